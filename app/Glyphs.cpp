#include "app/Glyphs.h"

#include "platform/win/Colors.h"

namespace {

// The see-through colour: every picture leaves its top-left pixel in it.
constexpr TColor Backdrop = clFuchsia;
constexpr Integer Size = 24;

void DrawPicture(TCanvas* C, TGlyphKind Kind)
{
    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(clBlack);
    switch (Kind) {
    case gkPrize: // a wrapped present
        C->Brush()->SetColor(clRed);
        C->Rectangle(3, 9, 21, 22);
        C->Brush()->SetColor(clYellow);
        C->Rectangle(10, 9, 14, 22);
        C->Rectangle(2, 6, 22, 10);
        C->Ellipse(6, 2, 12, 7);
        C->Ellipse(12, 2, 18, 7);
        break;
    case gkDraw: // a die showing five
        C->Brush()->SetColor(clWhite);
        C->RoundRect(2, 2, 22, 22, 6, 6);
        C->Brush()->SetColor(clBlack);
        for (TPoint P : {TPoint{7, 7}, TPoint{17, 7}, TPoint{12, 12}, TPoint{7, 17}, TPoint{17, 17}})
            C->Ellipse(P.X - 2, P.Y - 2, P.X + 2, P.Y + 2);
        break;
    case gkHelp: // a question mark on a blue disc
        C->Brush()->SetColor(clBlue);
        C->Ellipse(2, 2, 22, 22);
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetName("Arial");
        C->Font()->SetHeight(-16);
        C->Font()->SetStyle(TFontStyles{fsBold});
        C->Font()->SetColor(clWhite);
        C->TextOut(8, 3, "?");
        C->Brush()->SetStyle(bsSolid);
        break;
    case gkExit: // an open door
        C->Brush()->SetColor(clMaroon);
        C->Rectangle(5, 2, 19, 23);
        C->Brush()->SetColor(clOlive);
        C->Polygon({TPoint{5, 2}, TPoint{13, 5}, TPoint{13, 23}, TPoint{5, 22}});
        C->Brush()->SetColor(clYellow);
        C->Ellipse(10, 12, 13, 15);
        break;
    case gkStart: // a green tick
        C->Pen()->SetColor(clGreen);
        C->Pen()->SetWidth(4);
        C->MoveTo(4, 13);
        C->LineTo(10, 19);
        C->LineTo(20, 5);
        break;
    case gkCancel: // a red cross
        C->Pen()->SetColor(clRed);
        C->Pen()->SetWidth(4);
        C->MoveTo(5, 5);
        C->LineTo(19, 19);
        C->MoveTo(19, 5);
        C->LineTo(5, 19);
        break;
    }
}

} // namespace

void SetButtonGlyph(TZevButton* Button, TGlyphKind Kind)
{
    TBitmap Picture;
    Picture.SetSize(Size, Size);
    TCanvas* C = Picture.Canvas();
    C->Brush()->SetColor(Backdrop);
    C->FillRect(TRect{0, 0, Size, Size});
    DrawPicture(C, Kind);
    C->SetPixels(0, 0, Backdrop);
    Button->SetGlyph(&Picture);
    Button->SetNumGlyphs(1);
}
