// The size a cell's text takes when drawn, by its kind (mini-HTML, RTF, wide, formula, plain),
// font, zoom, margins, word wrapping and rotation; and each cell's alignment.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridGraphicState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/SysUtils.h"
#include "platform/win/Gdi.h"
#include "platform/win/RichEdit.h"

#include <cmath>
#include <numbers>

namespace {

// A rotated text's box: the corners of the unrotated box turned by Angle degrees, plus a margin
// of 12 in each direction.
TPoint RotatedTextSize(TPoint Size, Integer Angle)
{
    const double A = Angle * std::numbers::pi / 180.0;
    const Integer X1 = std::abs(static_cast<Integer>(std::trunc(Size.X * std::cos(A))));
    const Integer Y1 = std::abs(static_cast<Integer>(std::trunc(Size.Y * std::sin(A))));
    const Integer X2 = std::abs(static_cast<Integer>(std::trunc(Size.X * std::sin(A))));
    const Integer Y2 = std::abs(static_cast<Integer>(std::trunc(Size.Y * std::cos(A))));
    return TPoint{std::abs(Y1 - X1) + 12, std::abs(Y2 - X2) + 12};
}

} // namespace

bool TDidAririzEvar::CanHaveWindow()
{
    return HandleAllocated() || Parent();
}

TCanvas* TDidAririzEvar::MeasureCanvas()
{
    if (CanHaveWindow())
        return Canvas();
    if (!FGraph.MeasureBitmap) {
        FGraph.MeasureBitmap = std::make_unique<TBitmap>();
        FGraph.MeasureBitmap->SetSize(1, 1);
    }
    TCanvas* C = FGraph.MeasureBitmap->Canvas();
    C->Font()->Assign(Canvas()->Font());
    return C;
}

TPoint TDidAririzEvar::GetCellTextSize(Integer ACol, Integer ARow, bool WordWrap, bool WithButton)
{
    return GetCellTextSizeInt(ACol, RemapColInv(ACol), ARow, WordWrap, WithButton);
}

TPoint TDidAririzEvar::GetCellTextSizeInt(Integer ACol, Integer DisplCol, Integer ARow, bool WordWrap,
                                          bool WithButton)
{
    AnsiString S = GetFormattedCell(ACol, ARow);
    const TTextType Kind = TextType(S, FCore.EnableHTML);
    const bool Designing = ComponentState().Contains(csDesigning);
    TCanvas* C = MeasureCanvas();
    TGridDrawState NoState;
    GetFontProperties(DisplCol, ACol, ARow, NoState, C->Font(), C->Brush(), true);
    C->Font()->SetSize(C->Font()->Size() + FPaint.Zoom);
    if (Kind == ttFormula)
        S = CalcCell(ACol, ARow);

    TRect R = CellRect(DisplCol, ARow);
    const TPoint Margin = FPaint.XYOffset;
    if (FGraph.XYOffsetTopLeft) {
        R.Left += Margin.X;
        R.Top += Margin.Y;
    } else {
        R = TRect{R.Left + Margin.X, R.Top + Margin.Y, R.Right - Margin.X, R.Bottom - Margin.Y};
    }
    if (WithButton)
        R.Right -= 17;

    if (Kind == ttHTML) {
        if (!WordWrap)
            R.Right = 65535;
        R.Bottom = 65535;
        AnsiString Anchor, Strip, FocusAnchor, Hint, CtrlID, CtrlVal, CtrlType;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect{}, CtrlRect{};
        HTMLDrawEx(C, S, R, GridImages(), 0, 0, -1, -1, 1, false, true, false, false, false, false,
                   !FPaint.EnhTextSize, false, 1.0, FCore.URLColor, clNone, clNone, clGray, Anchor, Strip,
                   FocusAnchor, Hint, XSize, YSize, Links, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal,
                   CtrlType, FPictureCache.get(), nullptr, HandleAllocated() ? Handle() : nullptr);
        return TPoint{XSize + 2, YSize + 2};
    }

    // The rich edit formats through its window, which needs the grid's: without one, rich text is
    // measured as its plain text, as at design time.
    TZurIdodAdod* Rich = Kind == ttRTF && !Designing && CanHaveWindow() ? RichEdit() : nullptr;
    if (Rich) {
        Rich->Lines()->Clear();
        Rich->SetBounds(0, 0, 0, 0);
        Rich->SetWordWrap(false);
        CellToRich(ACol, ARow, Rich);
        C->Font()->SetName(Rich->SelAttributes()->Name());
        C->Font()->SetSize(Rich->SelAttributes()->Size());
        C->Font()->SetStyle(Rich->SelAttributes()->Style());
        S = Rich->Text();
    }

    if (Kind == ttUnicode) {
        // Measured with the calculating form on every platform: the height is always known.
        std::u16string W = GetWideCells(ACol, ARow);
        RECT WR{R.Left, R.Top, R.Right, R.Bottom};
        UINT Flags = DT_NOPREFIX | DT_CALCRECT;
        Flags |= (this->WordWrap() || Multilinecells()) ? DT_WORDBREAK : DT_SINGLELINE;
        C->RequiredState({csHandleValid, csFontValid});
        const Integer H =
            ::DrawTextExW(C->Handle(), W.data(), static_cast<int>(W.size()), &WR, Flags, nullptr);
        return TPoint{WR.Right - WR.Left, H};
    }

    TPoint Size{0, 0};
    if (WordWrap) {
        RECT TR{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2};
        // In the cell being edited (a type-specific edit control shown over it: FEditControlShown)
        // a trailing line break starts a line of its own.
        if (Editing().Shown && DisplCol == Col() && ARow == Row() && !S.empty() && S.back() == '\n')
            S += 'w';
        C->RequiredState({csHandleValid, csFontValid});
        Size.Y = ::DrawTextEx(C->Handle(), S.data(), static_cast<int>(S.size()), &TR,
                              DT_EDITCONTROL | DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK, nullptr);
        Size.X = TR.Right - TR.Left;
    } else {
        const bool StripProtocol = FPaint.URLShow && !FPaint.URLFull && Kind == ttText;
        Integer Lines = 0;
        do {
            AnsiString Line;
            GetNextLine(S, Multilinecells(), Line);
            if (StripProtocol)
                StripURLProtocol(Line);
            Size.X = std::max(Size.X, C->TextWidth(Line));
            ++Lines;
        } while (!S.empty());
        Size.Y = Lines * C->TextHeight("gh");
    }

    if (GetCellType(ACol, ARow) == ctRotated)
        Size = RotatedTextSize(Size, GetCellGraphic(ACol, ARow)->CellAngle);

    if (Rich) {
        // The rich edit lays the text out at the cell's width and asks for the height it needs.
        TRect Requested{0, 0, 0, 0};
        bool Asked = false;
        auto Saved = Rich->OnResizeRequest;
        Rich->OnResizeRequest = [&](TObject*, TRect Rc) {
            Requested = Rc;
            Asked = true;
        };
        try {
            // A change of word wrap makes the rich edit lay its text out anew. The platform's
            // rich edit builds a new window for it, keeping the text but not its formats, so the
            // cell is loaded again at the final width and wrap.
            Rich->SetBounds(0, 0, R.Width(), R.Height());
            Rich->SetWordWrap(this->WordWrap());
            CellToRich(ACol, ARow, Rich);
            ::SetWindowLong(Rich->Handle(), GWL_EXSTYLE,
                            ::GetWindowLong(Rich->Handle(), GWL_EXSTYLE) | WS_EX_TRANSPARENT);
            Rich->Perform(EM_REQUESTRESIZE, 0, 0);
        } catch (...) {
            Rich->OnResizeRequest = Saved;
            throw;
        }
        Rich->OnResizeRequest = Saved;
        if (Asked)
            Size = TPoint{Requested.Width(), Requested.Height()};
    }
    return Size;
}

void TDidAririzEvar::GetCellAlignment(Integer ACol, Integer ARow, TAlignment& HAlign, TVAlignment& VAlign)
{
    HAlign = taLeftJustify;
    VAlign = FCore.VAlignment;
    if (FGraph.AutoNumAlign) {
        AnsiString S = GetCellEx(ACol, ARow);
        const bool Formula = !S.empty() && S[0] == '=';
        const bool WideFormula = S.size() > 3 && S.compare(0, 2, "|\\") == 0 && S[3] == '=';
        if (Formula || WideFormula)
            S = CalcCell(ACol, ARow);
        const TAutoType T = IsType(Trim(S));
        if (T == atNumeric || T == atFloat || T == atScientific)
            HAlign = taRightJustify;
    } else if (TCellProperties* CP = RecordAt(ACol, ARow)) {
        HAlign = CP->Alignment();
    }
    GetCellAlign(ACol, ARow, HAlign, VAlign);
}

bool TDidAririzEvar::AutoNumAlign() const
{
    return FGraph.AutoNumAlign;
}

void TDidAririzEvar::SetAutoNumAlign(bool V)
{
    FGraph.AutoNumAlign = V;
}

bool TDidAririzEvar::XYOffsetTopLeft() const
{
    return FGraph.XYOffsetTopLeft;
}

void TDidAririzEvar::SetXYOffsetTopLeft(bool V)
{
    FGraph.XYOffsetTopLeft = V;
}
