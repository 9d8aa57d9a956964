#include "dropdowns/ZerUdiraZiruziZidaZore.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Format.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

constexpr TColor CubeColors[TVadColorCubePanel::CellCount] = {
    0x663300, 0x996633, 0xCC6633, 0x993300, 0x990000, 0xCC0000, 0x660000, 0x666600, 0x996600, 0xCC9900,
    0xCC6600, 0xCC3300, 0xFF0000, 0xFF3333, 0x993333, 0x808000, 0x999900, 0xCCCC33, 0xFFCC00, 0xFF9900,
    0xFF6600, 0xFF6633, 0xCC3333, 0x996666, 0x669933, 0x99CC00, 0xCCFF00, 0xFFFF00, 0xFFCC33, 0xFF9933,
    0xFF9966, 0xFF6666, 0xFF0066, 0xCC0066, 0x339933, 0x66CC00, 0x99FF00, 0xCCFF66, 0xFFFF66, 0xFFCC66,
    0xFFCC99, 0xFF9999, 0xFF6699, 0xFF3399, 0xFF0099, 0x006600, 0x00CC00, 0x00FF00, 0x99FF66, 0xCCFF99,
    0xFFFFCC, 0xFFECCC, 0xFFCCCC, 0xFF99CC, 0xFF66CC, 0xFF00CC, 0xCC0099, 0x003300, 0x008000, 0x33CC33,
    0x66FF66, 0x99FF99, 0xCCFFCC, 0xFFFFFF, 0xFFCCFF, 0xFF99FF, 0xFF66FF, 0xFF00FF, 0xCC00CC, 0x660066,
    0x006633, 0x009900, 0x33FF66, 0x66FF99, 0x99FFCC, 0xCCFFFF, 0xCCCCFF, 0xCC99FF, 0xCC66FF, 0xCC33FF,
    0x9900CC, 0x800080, 0x003333, 0x009966, 0x33FF99, 0x66FFCC, 0x99FFFF, 0x99CCFF, 0x9999FF, 0x9966FF,
    0x9933FF, 0x9933CC, 0x990099, 0x336666, 0x00CC99, 0x33FFCC, 0x66FFFF, 0x66CCFF, 0x6699FF, 0x807CFF,
    0x6600FF, 0x9300D6, 0x663399, 0x008080, 0x00CCCC, 0x00FFFF, 0x00CCFF, 0x3399FF, 0x0066FF, 0x5050FF,
    0x6600CC, 0x330066, 0x336699, 0x0099CC, 0x0099FF, 0x0066CC, 0x0033FF, 0x0000FF, 0x0000CC, 0x330099,
    0x003366, 0x006699, 0x0033CC, 0x003399, 0x000099, 0x000080, 0x2100A5};

constexpr BYTE GalleryColors[60][3] = {
    {255, 255, 255}, {0, 0, 0},       {238, 236, 225}, {31, 73, 125},   {79, 129, 189},  {192, 80, 77},
    {155, 187, 89},  {128, 100, 162}, {75, 172, 198},  {247, 150, 70},  {242, 242, 242}, {127, 127, 127},
    {221, 217, 195}, {198, 217, 140}, {219, 229, 241}, {242, 220, 219}, {235, 241, 221}, {229, 224, 236},
    {219, 238, 243}, {253, 234, 218}, {216, 216, 216}, {89, 89, 89},    {196, 189, 151}, {141, 179, 226},
    {184, 204, 228}, {229, 185, 183}, {215, 227, 188}, {204, 193, 217}, {183, 221, 232}, {251, 213, 181},
    {191, 191, 191}, {63, 63, 63},    {147, 137, 83},  {84, 141, 212},  {149, 179, 215}, {217, 150, 148},
    {195, 214, 155}, {178, 162, 199}, {146, 205, 220}, {250, 192, 143}, {165, 165, 165}, {38, 38, 38},
    {73, 68, 41},    {23, 54, 93},    {54, 96, 146},   {149, 55, 52},   {118, 146, 60},  {95, 73, 122},
    {49, 133, 155},  {227, 108, 9},   {127, 127, 127}, {12, 12, 12},    {29, 27, 16},    {15, 36, 62},
    {36, 64, 97},    {99, 36, 35},    {79, 97, 40},    {63, 49, 81},    {32, 88, 103},   {151, 72, 6}};

// Hue from left to right, white at the top through the pure hue at row 64 to black at the bottom.
TColor SpectrumPixel(int X, int Y)
{
    const double H = X * 6.0 / 128.0;
    const int Sector = static_cast<int>(H) % 6;
    const double F = H - static_cast<int>(H);
    double Rgb[3];
    const double Up = F, Down = 1 - F;
    switch (Sector) {
    case 0:
        Rgb[0] = 1, Rgb[1] = Up, Rgb[2] = 0;
        break;
    case 1:
        Rgb[0] = Down, Rgb[1] = 1, Rgb[2] = 0;
        break;
    case 2:
        Rgb[0] = 0, Rgb[1] = 1, Rgb[2] = Up;
        break;
    case 3:
        Rgb[0] = 0, Rgb[1] = Down, Rgb[2] = 1;
        break;
    case 4:
        Rgb[0] = Up, Rgb[1] = 0, Rgb[2] = 1;
        break;
    default:
        Rgb[0] = 1, Rgb[1] = 0, Rgb[2] = Down;
        break;
    }
    BYTE Out[3];
    for (int I = 0; I < 3; ++I) {
        const double V = Y < 64 ? 1 - (1 - Rgb[I]) * Y / 64.0 : Rgb[I] * (127 - Y) / 63.0;
        Out[I] = static_cast<BYTE>(std::clamp(V, 0.0, 1.0) * 255 + 0.5);
    }
    return RGB(Out[0], Out[1], Out[2]);
}

} // namespace

// ---- Collections ---------------------------------------------------------------------------------

void TColorItem::ItemChanged()
{
    if (auto* Items = dynamic_cast<TColorItems*>(Collection()))
        Items->Change();
}

void TColorItem::SetCaption(const AnsiString& Value)
{
    if (FCaption != Value) {
        FCaption = Value;
        ItemChanged();
    }
}

void TColorItem::SetColor(TColor Value)
{
    if (FColor != Value) {
        FColor = Value;
        ItemChanged();
    }
}

void TColorItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TColorItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(S->Caption());
    SetColor(S->Color());
    FHint = S->Hint();
}

TColorItems::TColorItems(TPersistent* AOwner) : TCollection(ItemClassOf<TColorItem>()), FOwner(AOwner) {}

void TColorItems::Change()
{
    if (OnChange)
        OnChange(this);
}

void TColorBoxItem::SetColor(TColor Value)
{
    if (FColor != Value) {
        FColor = Value;
        if (auto* Items = dynamic_cast<TColorBoxItems*>(Collection()))
            Items->Change();
    }
}

void TColorBoxItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TColorBoxItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetColor(S->Color());
    FSelectable = S->FSelectable;
    // The position too: without it an assigned gallery loses its columns of shades.
    FColorBoxPos = S->ColorBoxPos();
}

TColorBoxItems::TColorBoxItems(TPersistent* AOwner)
    : TCollection(ItemClassOf<TColorBoxItem>()), FOwner(AOwner)
{
}

void TColorBoxItems::Change()
{
    if (OnChange)
        OnChange(this);
}

void TColorBoxAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TColorBoxAppearance*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    BorderColor = S->BorderColor;
    OuterBorderColorHot = S->OuterBorderColorHot;
    InnerBorderColorHot = S->InnerBorderColorHot;
    OuterBorderColorSelected = S->OuterBorderColorSelected;
    InnerBorderColorSelected = S->InnerBorderColorSelected;
}

// ---- Colour cube ---------------------------------------------------------------------------------

TVadColorCubePanel::TVadColorCubePanel(TComponent* AOwner) : TVadCustomColorSelectorPanel(AOwner)
{
    Initialize();
    SetShowRGBHint(true);
}

void TVadColorCubePanel::Initialize()
{
    FHexHalfWidth = 6;
    FHexQuarterHeight = 3;
    Integer X = 55, Y = 20, I = 1;
    for (Integer J = 1; J <= 13; ++J) {
        const Integer Count = J <= 7 ? J + 6 : 20 - J;
        if (J > 7)
            X = (J - 7) * 6 + 19;
        for (Integer K = 0; K < Count; ++K, ++I)
            FCubeCells[I] = {TPoint{X + K * 2 * FHexHalfWidth, Y}, CubeColors[I - 1]};
        Y += 10;
        if (J <= 7)
            X = 55 - 6 * J;
    }
}

void TVadColorCubePanel::SetItemsPosition()
{
    FHotCell = -1;
    SetPanelSize();
}

void TVadColorCubePanel::SetPanelSize()
{
    SetHeight(160);
    SetWidth(182);
}

void TVadColorCubePanel::SetShowRGBHint(bool Value)
{
    FShowRGBHint = Value;
    SetShowHint(Value);
}

void TVadColorCubePanel::SetSelectedIndexAndColor(TColor AColor, Integer Index)
{
    FSelectedColor = AColor;
    if (Index >= 1 && Index <= CellCount) {
        FSelectedCell = Index;
        return;
    }
    FSelectedCell = -1;
    for (Integer I = 1; I <= CellCount; ++I)
        if (FCubeCells[I].Color == AColor) {
            FSelectedCell = I;
            return;
        }
}

bool TVadColorCubePanel::PtInCell(Integer Index, TPoint P) const
{
    const Integer Dx = FCubeCells[Index].Center.X - P.X, Dy = FCubeCells[Index].Center.Y - P.Y;
    return Dx * Dx + Dy * Dy <= FHexHalfWidth * FHexHalfWidth;
}

Integer TVadColorCubePanel::IndexOfCellAt(Integer X, Integer Y) const
{
    for (Integer I = 1; I <= CellCount; ++I)
        if (PtInCell(I, TPoint{X, Y}))
            return I;
    return -1;
}

void TVadColorCubePanel::DrawHexagon(TCanvas* ACanvas, TPoint C, Integer W, Integer H)
{
    ACanvas->Polygon({TPoint{C.X - W, C.Y - H}, TPoint{C.X, C.Y - 2 * H}, TPoint{C.X + W, C.Y - H},
                      TPoint{C.X + W, C.Y + H}, TPoint{C.X, C.Y + 2 * H}, TPoint{C.X - W, C.Y + H}});
}

void TVadColorCubePanel::DrawColorCube(Integer Index)
{
    if (Index < 1 || Index > CellCount)
        return;
    TCanvas* C = Canvas();
    C->Pen()->SetColor(FCubeCells[Index].Color);
    C->Brush()->SetColor(FCubeCells[Index].Color);
    C->Brush()->SetStyle(bsSolid);
    DrawHexagon(C, FCubeCells[Index].Center, FHexHalfWidth, FHexQuarterHeight);
    if (Index == FHotCell)
        DrawHotBorder();
    if (Index == FSelectedCell)
        DrawSelectedBorder();
}

static void DrawCellBorder(TCanvas* C, TPoint Center, TColor Outer, Integer W, Integer H)
{
    C->Brush()->SetStyle(bsClear);
    C->Pen()->SetColor(Outer);
    TVadColorCubePanel::DrawHexagon(C, Center, W - 1, H);
    C->Pen()->SetColor(0xFFFFFF);
    TVadColorCubePanel::DrawHexagon(C, Center, W - 2, H - 1);
}

void TVadColorCubePanel::DrawHotBorder()
{
    if (FHotCell >= 1 && FHotCell <= CellCount)
        DrawCellBorder(Canvas(), FCubeCells[FHotCell].Center, 0x0000FF, FHexHalfWidth, FHexQuarterHeight);
}

void TVadColorCubePanel::DrawSelectedBorder()
{
    if (FSelectedCell >= 1 && FSelectedCell <= CellCount)
        DrawCellBorder(Canvas(), FCubeCells[FSelectedCell].Center, 0x000000, FHexHalfWidth,
                       FHexQuarterHeight);
}

void TVadColorCubePanel::DrawAllColorCube()
{
    for (Integer I = 1; I <= CellCount; ++I)
        DrawColorCube(I);
}

void TVadColorCubePanel::Paint()
{
    TVadCustomColorSelectorPanel::Paint();
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    DrawAllColorCube();
}

void TVadColorCubePanel::RedrawCell(Integer Index)
{
    if (HandleAllocated())
        DrawColorCube(Index);
}

void TVadColorCubePanel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseDown(Button, Shift, X, Y);
    const Integer I = IndexOfCellAt(X, Y);
    if (I < 0)
        return;
    if (FSelectedCell >= 0) {
        const Integer Old = FSelectedCell;
        FSelectedCell = -1;
        RedrawCell(Old);
    }
    SetSelectedIndexAndColor(FCubeCells[I].Color, I);
    RedrawCell(I);
    if (OnSelect)
        OnSelect(this);
}

void TVadColorCubePanel::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseMove(Shift, X, Y);
    const Integer I = IndexOfCellAt(X, Y);
    if (I > 0 && I != FHotCell) {
        if (FHotCell >= 0) {
            const Integer Old = FHotCell;
            FHotCell = -1;
            RedrawCell(Old);
        }
        FHotCell = I;
        RedrawCell(I);
        if (FShowRGBHint) {
            const TColor C = FCubeCells[I].Color;
            SetHint(Format("Red: %d,  Green: %d,  Blue: %d",
                           {Integer(GetRValue(C)), Integer(GetGValue(C)), Integer(GetBValue(C))}));
            if (Application)
                Application->CancelHint();
        }
    } else if (I < 0 && FShowRGBHint) {
        SetHint("");
        if (Application)
            Application->CancelHint();
    }
}

void TVadColorCubePanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseUp(Button, Shift, X, Y);
    if (OnPanelMouseUp)
        OnPanelMouseUp(this);
}

// ---- Spectrum ------------------------------------------------------------------------------------

TVadColorSpectrumPanel::TVadColorSpectrumPanel(TComponent* AOwner) : TVadCustomColorSelectorPanel(AOwner)
{
    FSpectrumView = new TImage(this);
    FSpectrumView->SetParent(this);
    FSpectrumView->SetBounds(0, 0, 128, 128);
    auto Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetWidth(128);
    Bitmap->SetHeight(128);
    for (int Y = 0; Y < 128; ++Y)
        for (int X = 0; X < 128; ++X)
            Bitmap->Canvas()->SetPixels(X, Y, SpectrumPixel(X, Y));
    FSpectrumView->Picture()->SetBitmap(Bitmap.get());
    FSpectrumView->OnMouseMove = [this](TObject* S, TShiftState Sh, Integer X, Integer Y) {
        SpectrumImageMouseMove(S, Sh, X, Y);
    };
    FSpectrumView->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        SpectrumImageMouseDown(S, B, Sh, X, Y);
    };
    FSpectrumView->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        SpectrumImageMouseUp(S, B, Sh, X, Y);
    };
}

TVadColorSpectrumPanel::~TVadColorSpectrumPanel() = default;

void TVadColorSpectrumPanel::SetPanelSize()
{
    SetHeight(174);
    SetWidth(150);
}

void TVadColorSpectrumPanel::SetItemsPosition()
{
    SetPanelSize();
    TImage* V = FSpectrumView;
    V->SetLeft((Width() - V->Width()) / 2);
    V->SetTop(10);
    FSelectedSwatch = TRect{V->Left() - 1, V->Top() + V->Height() + 8, V->Left() + V->Width() / 2 - 2,
                            V->Top() + V->Height() + 28};
    FHoverSwatch = TRect{FSelectedSwatch.Right + 4, FSelectedSwatch.Top, V->Left() + V->Width() + 1,
                         FSelectedSwatch.Bottom};
    FHoverColor = clNone;
    Invalidate();
}

void TVadColorSpectrumPanel::SetSelectedColor(TColor Value)
{
    if (FSelectedColor != Value)
        FSelectedColor = Value;
}

void TVadColorSpectrumPanel::DrawSwatch(const TRect& R, TColor AColor)
{
    TCanvas* C = Canvas();
    C->Pen()->SetColor(0x808080);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
    C->Pen()->SetColor(0xFFFFFF);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(AColor);
    C->Rectangle(R);
}

void TVadColorSpectrumPanel::DrawHotRect()
{
    DrawSwatch(FHoverSwatch, FHoverColor);
}

void TVadColorSpectrumPanel::DrawSelectedRect()
{
    DrawSwatch(FSelectedSwatch, FSelectedColor);
}

void TVadColorSpectrumPanel::Paint()
{
    TVadCustomColorSelectorPanel::Paint();
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(ClientRect());
    const TImage* V = FSpectrumView;
    const Integer L = V->Left(), T = V->Top(), R = L + V->Width(), B = T + V->Height();
    C->Brush()->SetStyle(bsClear);
    C->Pen()->SetColor(0xFFFFFF);
    C->Rectangle(L - 1, T - 1, R + 1, B + 1);
    C->Pen()->SetColor(0x808080);
    C->Rectangle(L - 2, T - 2, R + 2, B + 2);
    DrawSelectedRect();
    DrawHotRect();
}

void TVadColorSpectrumPanel::SpectrumImageMouseMove(TObject*, TShiftState, Integer X, Integer Y)
{
    FHoverColor = Canvas()->Pixels(FSpectrumView->Left() + X, FSpectrumView->Top() + Y);
    DrawHotRect();
}

void TVadColorSpectrumPanel::SpectrumImageMouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
    SetSelectedColor(FHoverColor);
    DrawSelectedRect();
    if (OnSelect)
        OnSelect(this);
}

void TVadColorSpectrumPanel::SpectrumImageMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
    if (OnPanelMouseUp)
        OnPanelMouseUp(this);
}

void TVadColorSpectrumPanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseUp(Button, Shift, X, Y);
    if (OnPanelMouseUp)
        OnPanelMouseUp(this);
}

// ---- Gallery -------------------------------------------------------------------------------------

TCustomColorSelector::TCustomColorSelector(TComponent* AOwner)
    : TVadCustomColorSelectorPanel(AOwner), FColorBoxAppearance(std::make_unique<TColorBoxAppearance>()),
      FItems(std::make_unique<TColorBoxItems>(this))
{
    SetItemColorStyle(scOffice2007);
    SetParentColor(true);
}

TCustomColorSelector::~TCustomColorSelector() = default;

void TCustomColorSelector::CreateDefaultColors()
{
    FItems->Clear();
    for (Integer I = 0; I < 60; ++I) {
        TColorBoxItem* Item = FItems->Add();
        Item->SetColor(RGB(GalleryColors[I][0], GalleryColors[I][1], GalleryColors[I][2]));
        const Integer Row = I / 10;
        Item->SetColorBoxPos(Row == 0 ? ipStandAlone : Row == 1 ? ipTop : Row == 5 ? ipBottom : ipMiddle);
    }
}

TRect TCustomColorSelector::GetInnerRect()
{
    TRect R = ClientRect();
    return TRect{R.Left + FInsetX, R.Top + FInsetY, R.Right - FInsetX, R.Bottom - FInsetY};
}

TSize TCustomColorSelector::GetItemSize()
{
    return TSize{FColorBoxWidth, FColorBoxHeight};
}

void TCustomColorSelector::UpdateSize(Integer W, Integer H)
{
    SetHeight(H);
    SetWidth(W);
}

void TCustomColorSelector::UpdateRectAndSize()
{
    const Integer Count = FItems->Count();
    if (Count == 0) {
        UpdateSize(100, 50);
        return;
    }
    FItemHot = -1;
    const TSize S = GetItemSize();
    const TRect Inner = GetInnerRect();
    Integer X = Inner.Left, Y = Inner.Top, Column = 0, Widest = 0;
    bool Gap = false;
    for (Integer J = 0; J < Count; ++J) {
        TColorBoxItem* Item = FItems->Items(J);
        Item->FBoxRect = TRect{X, Y, X + S.cx, Y + S.cy};
        ++Column;
        if (J == Count - 1)
            break;
        if (Item->ColorBoxPos() == ipStandAlone)
            Gap = true;
        if (Column >= FColumns) {
            Widest = std::max(Widest, X);
            X = Inner.Left;
            Y += Gap ? S.cy + FColumnGap : S.cy;
            Column = 0;
            Gap = false;
        } else {
            X += S.cx + FColumnGap;
        }
    }
    Widest = std::max(Widest, X);
    UpdateSize(Widest + S.cx + Inner.Left + 1, Y + S.cy + Inner.Top);
}

TRect TCustomColorSelector::GetItemRect(Integer Index)
{
    if (Index < 0 || Index >= FItems->Count())
        return TRect{-1, -1, -1, -1};
    return FItems->Items(Index)->FBoxRect;
}

Integer TCustomColorSelector::ItemAtPos(Integer X, Integer Y)
{
    for (Integer I = 0; I < FItems->Count(); ++I) {
        const TRect& R = FItems->Items(I)->FBoxRect;
        if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
            return I;
    }
    return -1;
}

void TCustomColorSelector::InvalidateItem(Integer Index)
{
    if (Index < 0 || Index >= FItems->Count() || !HandleAllocated())
        return;
    RECT R = FItems->Items(Index)->FBoxRect;
    InvalidateRect(Handle(), &R, TRUE);
}

void TCustomColorSelector::DrawItem(Integer Index, TCanvas* ACanvas)
{
    if (Index < 0 || Index >= FItems->Count() || !ACanvas)
        return;
    TRect R = GetItemRect(Index);
    if (R.Left < 0 && R.Right < 0)
        return;
    TColorBoxItem* Item = FItems->Items(Index);
    TColor Outer = FColorBoxAppearance->BorderColor, Inner = clNone;
    bool Marked = false;
    if (Index == FItemHot) {
        Outer = FColorBoxAppearance->OuterBorderColorHot;
        Inner = FColorBoxAppearance->InnerBorderColorHot;
        Marked = true;
    }
    if (Index == FItemIndex) {
        Outer = FColorBoxAppearance->OuterBorderColorSelected;
        Inner = FColorBoxAppearance->InnerBorderColorSelected;
        Marked = true;
    }
    if (Item->Color() != clNone) {
        ACanvas->Pen()->SetColor(Item->Color());
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->Brush()->SetColor(Item->Color());
        ACanvas->Rectangle(R);
    }
    if (Marked) {
        ACanvas->Brush()->SetStyle(bsClear);
        if (Outer != clNone) {
            ACanvas->Pen()->SetColor(Outer);
            ACanvas->Rectangle(R);
            R = TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
        }
        if (Inner != clNone) {
            ACanvas->Pen()->SetColor(Inner);
            ACanvas->Rectangle(R);
        }
        return;
    }
    ACanvas->Pen()->SetColor(Outer);
    const Integer L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    switch (Item->ColorBoxPos()) {
    case ipStandAlone:
        ACanvas->Polyline({TPoint{L, B}, TPoint{L, T}, TPoint{Rt, T}, TPoint{Rt, B}, TPoint{L, B}});
        break;
    case ipTop:
        ACanvas->Polyline({TPoint{L, B}, TPoint{L, T}, TPoint{Rt, T}, TPoint{Rt, B}});
        break;
    case ipMiddle:
        ACanvas->MoveTo(L, T);
        ACanvas->LineTo(L, B);
        ACanvas->MoveTo(Rt, T);
        ACanvas->LineTo(Rt, B);
        break;
    case ipBottom:
        ACanvas->Polyline({TPoint{L, T}, TPoint{L, B}, TPoint{Rt, B}});
        ACanvas->MoveTo(Rt, T);
        ACanvas->LineTo(Rt, B + 1);
        break;
    }
}

void TCustomColorSelector::DrawItems(TCanvas* ACanvas)
{
    for (Integer I = 0; I < FItems->Count(); ++I)
        DrawItem(I, ACanvas);
}

void TCustomColorSelector::Paint()
{
    TVadCustomColorSelectorPanel::Paint();
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    DrawItems(Canvas());
}

bool TCustomColorSelector::Unselectable(Integer Index) const
{
    return Index >= 0 && Index < FItems->Count() && !FItems->Items(Index)->FSelectable;
}

void TCustomColorSelector::SetItemIndex(Integer Index)
{
    if (Unselectable(Index))
        return;
    if (FItemIndex >= 0 && Index != FItemIndex) {
        const Integer Old = FItemIndex;
        FItemIndex = -1;
        InvalidateItem(Old);
    }
    FItemIndex = Index;
    if (Index < 0 || Index >= FItems->Count())
        return;
    FSelectedColor = FItems->Items(Index)->Color();
    InvalidateItem(Index);
    if (OnSelect)
        OnSelect(this);
}

void TCustomColorSelector::SetItemHot(Integer Hot)
{
    if (Hot == FItemHot || Unselectable(Hot))
        return;
    if (FItemHot >= 0) {
        const Integer Old = FItemHot;
        FItemHot = -1;
        InvalidateItem(Old);
    }
    FItemHot = Hot;
    if (Hot >= 0)
        InvalidateItem(Hot);
}

void TCustomColorSelector::SetSelectedColor(TColor Value)
{
    if (Value == FSelectedColor)
        return;
    FSelectedColor = Value;
    Integer Found = -1;
    if (Value != clNone)
        for (Integer I = 0; I < FItems->Count() && Found < 0; ++I)
            if (FItems->Items(I)->Color() == Value)
                Found = I;
    SetItemIndex(Found);
    // Selecting a box sets the colour from it; a colour with no box is kept.
    FSelectedColor = Value;
}

void TCustomColorSelector::SelectFirst()
{
    if (FItems->Count() > 0)
        SetItemIndex(0);
}

void TCustomColorSelector::SelectLast()
{
    if (FItems->Count() > 0)
        SetItemIndex(FItems->Count() - 1);
}

void TCustomColorSelector::SelectNext()
{
    if (FItemIndex + 1 < FItems->Count())
        SetItemIndex(FItemIndex + 1);
}

void TCustomColorSelector::SelectPrevious()
{
    if (FItemIndex - 1 >= 0)
        SetItemIndex(FItemIndex - 1);
}

void TCustomColorSelector::HotNext()
{
    if (FItemHot + 1 < FItems->Count())
        SetItemHot(FItemHot + 1);
}

void TCustomColorSelector::HotPrevious()
{
    if (FItemHot - 1 >= 0)
        SetItemHot(FItemHot - 1);
}

void TCustomColorSelector::HandleKey(Word Key, bool EditorEnabled, bool DroppedDown)
{
    if (!Enabled())
        return;
    switch (Key) {
    case VK_PRIOR:
    case VK_HOME:
        SelectFirst();
        break;
    case VK_NEXT:
    case VK_END:
        SelectLast();
        break;
    case VK_LEFT:
        if (!EditorEnabled || DroppedDown)
            SelectPrevious();
        break;
    case VK_RIGHT:
        if (!EditorEnabled || DroppedDown)
            SelectNext();
        break;
    case VK_UP:
    case VK_DOWN:
        if (DroppedDown) {
            const Integer Step = Key == VK_UP ? -FColumns : FColumns;
            const Integer Target = FItemIndex < 0 ? 0 : FItemIndex + Step;
            if (Target >= 0 && Target < FItems->Count())
                SetItemIndex(Target);
        } else if (Key == VK_UP) {
            SelectPrevious();
        } else {
            SelectNext();
        }
        break;
    default:
        break;
    }
}

void TCustomColorSelector::SetColumns(Integer Value)
{
    if (Value != FColumns) {
        FColumns = Value;
        UpdateRectAndSize();
    }
}

void TCustomColorSelector::SetColumnGap(Integer Value)
{
    if (Value != FColumnGap) {
        FColumnGap = Value;
        UpdateRectAndSize();
    }
}

void TCustomColorSelector::SetColorBoxWidth(Integer Value)
{
    if (Value != FColorBoxWidth) {
        FColorBoxWidth = Value;
        UpdateRectAndSize();
    }
}

void TCustomColorSelector::SetColorBoxHeight(Integer Value)
{
    if (Value != FColorBoxHeight) {
        FColorBoxHeight = Value;
        UpdateRectAndSize();
    }
}

void TCustomColorSelector::SetItemColorStyle(TSelectionColorStyle Value)
{
    if (Value == FItemColorStyle)
        return;
    FItemColorStyle = Value;
    if (Value == scCustom)
        return;
    FColorBoxAppearance->OuterBorderColorSelected = 0x0000FF;
    FColorBoxAppearance->InnerBorderColorSelected = RGB(255, 226, 148);
    FColorBoxAppearance->OuterBorderColorHot = RGB(242, 148, 54);
    FColorBoxAppearance->InnerBorderColorHot = RGB(255, 226, 148);
    FColorBoxAppearance->BorderColor = RGB(197, 197, 197);
}

void TCustomColorSelector::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseDown(Button, Shift, X, Y);
    const Integer I = ItemAtPos(X, Y);
    if (I >= 0 && FItems->Items(I)->FSelectable)
        SetItemIndex(I);
}

void TCustomColorSelector::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TVadCustomColorSelectorPanel::MouseMove(Shift, X, Y);
    const Integer I = ItemAtPos(X, Y);
    if (I < 0) {
        if (FItemHot >= 0)
            SetItemHot(-1);
    } else if (I != FItemHot) {
        SetItemHot(FItems->Items(I)->FSelectable ? I : -1);
    }
}

void TCustomColorSelector::WndProc(TMessage& Message)
{
    TVadCustomColorSelectorPanel::WndProc(Message);
    if (Message.Msg == CM_MOUSELEAVE && FItemHot >= 0)
        SetItemHot(-1);
}
