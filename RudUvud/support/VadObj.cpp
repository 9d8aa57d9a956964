#include "RudUvud/support/VadObj.h"

#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

Pointer AsPointer(Integer Value)
{
    return reinterpret_cast<Pointer>(static_cast<std::intptr_t>(Value));
}

Integer AsInteger(Pointer Item)
{
    return static_cast<Integer>(reinterpret_cast<std::intptr_t>(Item));
}

constexpr std::uint32_t DescendingBit = 0x80000000u;

} // namespace

// ---- TIntList ------------------------------------------------------------------------------------

void TIntList::Changed()
{
    if (OnChange)
        OnChange(this, FCol, FRow);
}

Integer TIntList::GetInteger(Integer Index) const
{
    return AsInteger(TList::Items(Index));
}

void TIntList::SetInteger(Integer Index, Integer Value)
{
    SetItems(Index, AsPointer(Value));
    Changed();
}

Integer TIntList::Add(Integer Value)
{
    const Integer Index = TList::Add(AsPointer(Value));
    Changed();
    return Index;
}

void TIntList::Insert(Integer Index, Integer Value)
{
    TList::Insert(Index, AsPointer(Value));
}

void TIntList::Delete(Integer Index)
{
    TList::Delete(Index);
    Changed();
}

Integer TIntList::IndexOfValue(Integer Value) const
{
    for (Integer I = 0; I < Count(); ++I)
        if (GetInteger(I) == Value)
            return I;
    return -1;
}

void TIntList::DeleteValue(Integer Value)
{
    const Integer Index = IndexOfValue(Value);
    if (Index >= 0)
        Delete(Index);
}

bool TIntList::HasValue(Integer Value) const
{
    return IndexOfValue(Value) >= 0;
}

AnsiString TIntList::GetStrValue() const
{
    AnsiString Result;
    for (Integer I = 0; I < Count(); ++I) {
        if (I > 0)
            Result += ',';
        Result += IntToStr(GetInteger(I));
    }
    return Result;
}

void TIntList::SetStrValue(const AnsiString& Value)
{
    // Converted in full first, so a bad item leaves the list as it was.
    TStringList Parts;
    Parts.SetCommaText(Value);
    std::vector<Integer> Values;
    for (Integer I = 0; I < Parts.Count(); ++I)
        Values.push_back(StrToInt(Parts.Strings(I)));
    Clear();
    for (Integer V : Values)
        Add(V);
}

// ---- TSortIndexList ----------------------------------------------------------------------------

void TSortIndexList::AddIndex(Integer ColumnIndex, bool Ascending)
{
    std::uint32_t Item = std::uint32_t(ColumnIndex) & ~DescendingBit;
    if (!Ascending)
        Item |= DescendingBit;
    Add(Integer(Item));
}

Integer TSortIndexList::FindIndex(Integer ColumnIndex) const
{
    for (Integer I = 0; I < Count(); ++I)
        if (GetSortColumns(I) == (ColumnIndex & Integer(~DescendingBit)))
            return I;
    return -1;
}

void TSortIndexList::ToggleIndex(Integer ColumnIndex)
{
    const Integer Index = FindIndex(ColumnIndex);
    if (Index >= 0)
        SetInteger(Index, Integer(std::uint32_t(GetInteger(Index)) ^ DescendingBit));
}

Integer TSortIndexList::GetSortColumns(Integer Index) const
{
    return Integer(std::uint32_t(GetInteger(Index)) & ~DescendingBit);
}

void TSortIndexList::SetSortColumns(Integer Index, Integer Value)
{
    const std::uint32_t Old = std::uint32_t(GetInteger(Index));
    SetInteger(Index, Integer((Old & DescendingBit) | (std::uint32_t(Value) & ~DescendingBit)));
}

bool TSortIndexList::GetSortDirections(Integer Index) const
{
    return (std::uint32_t(GetInteger(Index)) & DescendingBit) == 0;
}

void TSortIndexList::SetSortDirections(Integer Index, bool Value)
{
    const std::uint32_t Old = std::uint32_t(GetInteger(Index));
    SetInteger(Index, Integer(Value ? Old & ~DescendingBit : Old | DescendingBit));
}

AnsiString TSortIndexList::SaveToString() const
{
    AnsiString Result;
    for (Integer I = 0; I < Count(); ++I) {
        if (I > 0)
            Result += ';';
        Result += GetSortDirections(I) ? 'u' : 'd';
        Result += IntToStr(GetSortColumns(I) & 0xFFFF);
    }
    return Result;
}

void TSortIndexList::LoadFromString(const AnsiString& Value)
{
    Clear();
    std::size_t From = 0;
    while (From <= Value.size()) {
        std::size_t End = Value.find(';', From);
        if (End == AnsiString::npos)
            End = Value.size();
        const AnsiString Entry = Value.substr(From, End - From);
        From = End + 1;
        if (Entry.size() < 2)
            continue;
        // A stored sort order is read from settings files: a column that is not a number is
        // left out rather than becoming a column the grid does not have.
        Integer Column = 0;
        if (!TryStrToInt(Entry.substr(1), Column) || Column < 0)
            continue;
        AddIndex(Column, Entry[0] == 'u');
    }
}

// ---- TArrowWindow ------------------------------------------------------------------------------

std::array<TPoint, 7> TArrowWindow::ArrowPoints(TArrowDirection Direction)
{
    switch (Direction) {
    case arrUp:
        return {TPoint{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
    case arrDown:
        return {TPoint{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case arrLeft:
        return {TPoint{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    case arrRight:
        break;
    }
    return {TPoint{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
}

TArrowWindow::TArrowWindow(TComponent* AOwner, TArrowDirection Direction)
    : TPanel(AOwner), FDirection(Direction), FArrow(ArrowPoints(Direction))
{
    SetColor(0x00FF00);
    if (auto* Parent = dynamic_cast<TWinControl*>(AOwner))
        SetParent(Parent);
    SetVisible(false);
}

void TArrowWindow::CreateParams(TCreateParams& Params)
{
    TPanel::CreateParams(Params);
    Params.Style = WS_POPUP;
}

void TArrowWindow::CreateWnd()
{
    TPanel::CreateWnd();
    // Only the arrow shows: the window is cut to its polygon.
    HRGN Region = CreatePolygonRgn(FArrow.data(), int(FArrow.size()), WINDING);
    SetWindowRgn(Handle(), Region, TRUE);
}

void TArrowWindow::Paint()
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Pen()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

// ---- TPopupButton ------------------------------------------------------------------------------

TPopupButton::TPopupButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetDoubleBuffered(true);
    SetColor(TColor(0x8000000F)); // clBtnFace
}

void TPopupButton::SetCaption(const AnsiString& Value)
{
    FCaption = Value;
    Invalidate();
}

void TPopupButton::SetFlat(bool Value)
{
    FFlat = Value;
    Invalidate();
}

void TPopupButton::SetGradFrom(TColor Value)
{
    FGradFrom = Value;
    Invalidate();
}

void TPopupButton::SetGradTo(TColor Value)
{
    FGradTo = Value;
    Invalidate();
}

void TPopupButton::SetGradMirrorFrom(TColor Value)
{
    FGradMirrorFrom = Value;
    Invalidate();
}

void TPopupButton::SetGradMirrorTo(TColor Value)
{
    FGradMirrorTo = Value;
    Invalidate();
}

void TPopupButton::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_DISABLED | WS_BORDER;
    Params.WindowClass.style |= CS_SAVEBITS;
}

void TPopupButton::CreateWnd()
{
    TCustomControl::CreateWnd();
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TPopupButton::Paint()
{
    PaintTo(Canvas(), ClientRect());
}

void TPopupButton::PaintTo(TCanvas* ACanvas, const TRect& Client)
{
    TRect R = Client;
    if (!FFlat)
        Frame3D(ACanvas, R, 0xFFFFFF, 0x808080, 1);
    DrawVistaGradient(ACanvas, Client, FGradFrom, FGradTo, FGradMirrorFrom, FGradMirrorTo, true, clNone,
                      false, true);
    SetBkMode(ACanvas->Handle(), TRANSPARENT);
    if (FCaption.find("</") != AnsiString::npos) {
        AnsiString Anchor, Strip, Focus, Hint, CtrlID, CtrlVal, CtrlType;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect{}, CtrlRect{};
        const TRect Box{Client.Left + 2, Client.Top + 2, Client.Right, Client.Bottom};
        HTMLDrawEx(ACanvas, FCaption, Box, FImages, 0, 0, -1, -1, 2, false, false, false, false, true, false,
                   false, false, 1.0, 0xFF0000, clNone, clNone, 0x808080, Anchor, Strip, Focus, Hint, XSize,
                   YSize, Links, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal, CtrlType, nullptr, nullptr,
                   HandleAllocated() ? Handle() : nullptr);
    } else {
        TRect Text = Client;
        DrawText(ACanvas->Handle(), FCaption.c_str(), int(FCaption.size()), &Text,
                 DT_CENTER | DT_TOP | DT_END_ELLIPSIS);
    }
}

// ---- TControlList ------------------------------------------------------------------------------

// Receives the free notifications of the listed controls.
class TControlList::TWatcher : public TComponent {
public:
    explicit TWatcher(TControlList* AList) : TComponent(nullptr), FList(AList) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            FList->ControlDestroyed(AComponent);
    }

private:
    TControlList* FList;
};

TControlList::TControlList() : FWatcher(std::make_unique<TWatcher>(this)) {}

TControlList::~TControlList()
{
    while (Count() > 0)
        RemoveControl(Count() - 1);
}

void TControlList::AddControl(Integer X, Integer Y, TControl* AControl)
{
    Add(new TControlItem(X, Y, AControl));
    if (AControl)
        AControl->FreeNotification(FWatcher.get());
}

Integer TControlList::ControlIndex(Integer X, Integer Y) const
{
    for (Integer I = 0; I < Count(); ++I)
        if (GetControl(I)->X == X && GetControl(I)->Y == Y)
            return I;
    return -1;
}

TControlItem* TControlList::GetControl(Integer Index) const
{
    return static_cast<TControlItem*>(Items(Index));
}

bool TControlList::HasHandle(HWND Handle) const
{
    for (Integer I = 0; I < Count(); ++I) {
        auto* Windowed = dynamic_cast<TWinControl*>(GetControl(I)->Control);
        if (Windowed && Windowed->HandleAllocated() && Windowed->Handle() == Handle)
            return true;
    }
    return false;
}

void TControlList::RemoveControl(Integer Index)
{
    TControlItem* Item = GetControl(Index);
    Delete(Index);
    bool StillListed = false;
    for (Integer I = 0; I < Count(); ++I)
        StillListed = StillListed || GetControl(I)->Control == Item->Control;
    if (Item->Control && !StillListed)
        Item->Control->RemoveFreeNotification(FWatcher.get());
    delete Item;
}

void TControlList::ControlDestroyed(TComponent* AControl)
{
    for (Integer I = Count() - 1; I >= 0; --I) {
        if (GetControl(I)->Control == AControl) {
            TControlItem* Item = GetControl(I);
            Delete(I);
            delete Item;
        }
    }
}

// ---- TFilePicture ------------------------------------------------------------------------------

TFilePicture::TFilePicture() = default;
TFilePicture::~TFilePicture() = default;

void TFilePicture::Assign(TPersistent* Source)
{
    if (auto* Other = dynamic_cast<TFilePicture*>(Source)) {
        FFilename = Other->FFilename;
        FWidth = Other->FWidth;
        FHeight = Other->FHeight;
        return;
    }
    TPersistent::Assign(Source);
}

void TFilePicture::SetFilename(const AnsiString& Value)
{
    FFilename = Value;
    FWidth = FHeight = 0;
    FCache.reset();
    if (Value.empty())
        return;
    auto Picture = std::make_unique<TPicture>();
    Picture->LoadFromFile(Value);
    FWidth = Picture->Width();
    FHeight = Picture->Height();
}

bool TFilePicture::LoadCached()
{
    struct stat Info;
    if (::stat(FFilename.c_str(), &Info) != 0)
        return false;
    const long long Time = static_cast<long long>(Info.st_mtime);
    if (FCache && FCachedName == FFilename && FCachedTime == Time)
        return true;
    auto Picture = std::make_unique<TPicture>();
    try {
        Picture->LoadFromFile(FFilename);
    } catch (const Exception&) {
        return false;
    }
    FCache = std::move(Picture);
    FCachedName = FFilename;
    FCachedTime = Time;
    return true;
}

void TFilePicture::DrawPicture(TCanvas* Canvas, const TRect& R)
{
    // Painting never fails on a picture file that went missing or bad: it draws nothing.
    if (FFilename.empty() || !Canvas || !LoadCached() || !FCache->Graphic())
        return;
    Canvas->StretchDraw(R, FCache->Graphic());
}

// ---- TFileStringList ---------------------------------------------------------------------------

void TFileStringList::Reset()
{
    FCursor = 0;
    FPending.clear();
}

void TFileStringList::ReadLn(AnsiString& S)
{
    S = Strings(FCursor);
    ++FCursor;
}

void TFileStringList::WriteLn(const AnsiString& S)
{
    Add(FPending + S);
    FPending.clear();
}

// ---- Shared system tests -----------------------------------------------------------------------

Integer GetFileVersion(const AnsiString& FileName)
{
    DWORD MS = 0, LS = 0;
    if (!GetLibraryFileVersion(FileName.c_str(), MS, LS))
        return -1;
    return Integer(MS);
}

bool IsWinXPSystem()
{
    return IsWinXP;
}

bool IsVisualStylesActive()
{
    return IsWinXPSystem() && VadXPVS().ThemeActive() && (GetFileVersion("COMCTL32.DLL") >> 16) > 5;
}

Integer CurrentXPColorScheme()
{
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (!IsWinXPSystem() || !Theme.ThemeActive() || !Theme.GetCurrentThemeName)
        return 0;
    char16_t File[256]{}, Color[256]{}, Size[256]{};
    if (Theme.GetCurrentThemeName(File, 255, Color, 255, Size, 255) != S_OK)
        return 0;
    const std::u16string Name(Color);
    if (Name == u"NormalColor")
        return 1;
    if (Name == u"HomeStead")
        return 2;
    if (Name == u"Metallic")
        return 3;
    return 0;
}

void DrawBandedGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, bool Horizontal, const TRect& R,
                        Integer Bands, TColor BorderColor)
{
    if (Bands <= 0)
        Bands = 1;
    const COLORREF From = ColorToRGB(FromColor), To = ColorToRGB(ToColor);
    const int Extent = Horizontal ? R.Width() : R.Height();
    const double Step = double(Extent) / Bands;
    auto Part = [&](int Shift, int I) {
        const int A = int((From >> Shift) & 0xFF), B = int((To >> Shift) & 0xFF);
        return (A + int(std::nearbyint(double(I) * (B - A) / Bands))) & 0xFF;
    };
    for (Integer I = 0; I < Bands; ++I) {
        const TColor Color = TColor(Part(0, I) | (Part(8, I) << 8) | (Part(16, I) << 16));
        Canvas->Pen()->SetColor(Color);
        Canvas->Brush()->SetColor(Color);
        const Integer Start = Integer(std::nearbyint(I * Step));
        const Integer Length = Integer(std::nearbyint(Step)) + 1;
        if (Horizontal)
            Canvas->Rectangle(R.Left + Start, R.Top, R.Left + Start + Length, R.Bottom);
        else
            Canvas->Rectangle(R.Left, R.Top + Start, R.Right, R.Top + Start + Length);
    }
    if (BorderColor != clNone) {
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Pen()->SetColor(BorderColor);
        Canvas->Rectangle(R);
    }
}
