#include "platform/forms/Tabs.h"

#include "platform/win/Colors.h"

#include <algorithm>

namespace {

constexpr Integer kSlant = 6;   // each side of a tab leans in by this much
constexpr Integer kPadding = 4; // between a slant and the text

} // namespace

TTabSet::TTabSet(TComponent* AOwner) : TCustomControl(AOwner), FTabs(std::make_unique<TStringList>())
{
    // A click is the selection of a tab (SetTabIndex clicks), not any press on the control.
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks, csOpaque};
    FTabs->OnChange = [this](TObject*) { TabsChanged(); };
    SetBounds(0, 0, 185, 21);
}

TTabSet::~TTabSet()
{
    FTabs->OnChange = nullptr;
}

void TTabSet::TabsChanged()
{
    if (FTabIndex >= FTabs->Count())
        FTabIndex = FTabs->Count() - 1;
    FFirstIndex = std::clamp(FFirstIndex, 0, std::max(0, FTabs->Count() - 1));
    Invalidate();
}

bool TTabSet::CanChange(Integer NewIndex)
{
    bool Allow = true;
    if (OnChange)
        OnChange(this, NewIndex, Allow);
    return Allow;
}

void TTabSet::SetTabIndex(Integer Value)
{
    if (Value < -1 || Value >= FTabs->Count() || Value == FTabIndex)
        return;
    if (!CanChange(Value))
        return;
    FTabIndex = Value;
    Invalidate();
    Click();
}

void TTabSet::SetSelectedColor(TColor Value)
{
    FSelectedColor = Value;
    Invalidate();
}

void TTabSet::SetDitherBackground(bool Value)
{
    FDitherBackground = Value;
    Invalidate();
}

void TTabSet::SetUnselectedColor(TColor Value)
{
    FUnselectedColor = Value;
    Invalidate();
}

void TTabSet::SetBackgroundColor(TColor Value)
{
    FBackgroundColor = Value;
    Invalidate();
}

void TTabSet::SetTabHeight(Integer Value)
{
    FTabHeight = std::max(Value, 1);
    Invalidate();
}

void TTabSet::SetStartMargin(Integer Value)
{
    FStartMargin = std::max(Value, 0);
    Invalidate();
}

void TTabSet::SetFirstIndex(Integer Value)
{
    FFirstIndex = std::clamp(Value, 0, std::max(0, FTabs->Count() - 1));
    Invalidate();
}

TRect TTabSet::ItemRect(Integer Index)
{
    if (Index < FFirstIndex || Index >= FTabs->Count())
        return TRect{0, 0, 0, 0};
    Canvas()->SetFont(Font());
    Integer X = FStartMargin;
    for (Integer I = FFirstIndex; I <= Index; ++I) {
        Integer W = Canvas()->TextWidth(FTabs->Strings(I)) + 2 * (kSlant + kPadding);
        if (I == Index)
            return TRect{X, 0, X + W, std::min(FTabHeight, Height())};
        X += W - kSlant; // neighbouring tabs overlap at their slants
    }
    return TRect{0, 0, 0, 0};
}

Integer TTabSet::ItemAtPos(TPoint Pos)
{
    // The selected tab lies on top of its neighbours: it wins where they overlap.
    if (FTabIndex >= FFirstIndex) {
        TRect R = ItemRect(FTabIndex);
        if (Pos.X >= R.Left && Pos.X < R.Right && Pos.Y >= R.Top && Pos.Y < R.Bottom)
            return FTabIndex;
    }
    for (Integer I = FFirstIndex; I < FTabs->Count(); ++I) {
        TRect R = ItemRect(I);
        if (R.Left >= Width())
            break;
        if (Pos.X >= R.Left + kSlant / 2 && Pos.X < R.Right - kSlant / 2 && Pos.Y >= R.Top &&
            Pos.Y < R.Bottom)
            return I;
    }
    return -1;
}

void TTabSet::Paint()
{
    TCanvas* C = Canvas();
    TRect Client = ClientRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FBackgroundColor);
    if (FDitherBackground) {
        TBitmap* Check = New<TBitmap>();
        Check->SetSize(8, 8);
        for (Integer Y = 0; Y < 8; ++Y)
            for (Integer X = 0; X < 8; ++X)
                Check->Canvas()->SetPixels(X, Y, (X + Y) % 2 ? clWhite : FBackgroundColor);
        C->Brush()->SetBitmap(Check);
        C->FillRect(Client);
        C->Brush()->SetBitmap(nullptr);
        Check->Free();
    } else
        C->FillRect(Client);
    C->SetFont(Font());
    C->Pen()->SetColor(clBlack);
    C->Pen()->SetWidth(1);
    auto DrawTab = [&](Integer I) {
        TRect R = ItemRect(I);
        if (R.Width() == 0 || R.Left >= Client.Right)
            return;
        bool Selected = I == FTabIndex;
        C->Brush()->SetColor(Selected ? FSelectedColor : FUnselectedColor);
        std::vector<TPoint> Shape{{R.Left, R.Top - 1},
                                  {R.Left + kSlant, R.Bottom - 1},
                                  {R.Right - kSlant, R.Bottom - 1},
                                  {R.Right, R.Top - 1}};
        C->Polygon(Shape);
        C->Brush()->SetStyle(bsClear);
        AnsiString S = FTabs->Strings(I);
        C->TextOut(R.Left + kSlant + kPadding, R.Top + (R.Height() - C->TextHeight(S)) / 2, S);
        C->Brush()->SetStyle(bsSolid);
    };
    for (Integer I = FTabs->Count() - 1; I >= FFirstIndex; --I)
        if (I != FTabIndex)
            DrawTab(I);
    // The edge the tabs hang from, broken where the selected tab joins the sheet above.
    C->MoveTo(0, 0);
    C->LineTo(Client.Right, 0);
    if (FTabIndex >= FFirstIndex && FTabIndex < FTabs->Count()) {
        DrawTab(FTabIndex);
        TRect R = ItemRect(FTabIndex);
        C->Pen()->SetColor(FSelectedColor);
        C->MoveTo(R.Left + 1, 0);
        C->LineTo(R.Right - 1, 0);
        C->Pen()->SetColor(clBlack);
    }
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (Button == mbLeft) {
        Integer I = ItemAtPos(TPoint{X, Y});
        if (I >= 0)
            SetTabIndex(I);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}
