#include "dropdowns/ColorPicker.h"

#include "platform/rtl/Conversions.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

namespace {

struct PickerNamedColor {
    const char* Caption;
    TColor Color;
};

constexpr PickerNamedColor PickerDefaultColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

// The keys whose codes are the letters and digits of a name. Others (F4 that opened the popup,
// Shift held for a capital, Esc) are no part of the name being typed.
bool IsColorTypeAheadKey(Word Key)
{
    return Key == VK_SPACE || (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z');
}

AnsiString ColorHexByte(Integer Value)
{
    return IntToHex(Value, 2);
}

} // namespace

TZerUdiraZiruziZidaZore::TZerUdiraZiruziZidaZore(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FColors(std::make_unique<TColorItems>(this)),
      FItemAppearance(std::make_unique<TItemAppearance>(this))
{
    FColors->OnChange = [](TObject*) {};
}

TZerUdiraZiruziZidaZore::~TZerUdiraZiruziZidaZore()
{
    if (FKeyTimer)
        FKeyTimer->SetEnabled(false);
}

void TZerUdiraZiruziZidaZore::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    SetAutoSize(false);
    SetEditorEnabled(false);
    SetDropDownEnabled(true);
    FKeyTimer = New<TTimer>(this);
    FKeyTimer->SetEnabled(false);
    FKeyTimer->SetInterval(500);
    FKeyTimer->OnTimer = [this](TObject* Sender) { OnKeyTimerTime(Sender); };
    // The standard colours come with a picker placed on a form at design time only.
    TComponent* O = Owner();
    FAddDefaultColors =
        ComponentState().Contains(csDesigning) &&
        !(O && (O->ComponentState().Contains(csReading) || O->ComponentState().Contains(csLoading)));
    SetDropDownHeight(200);
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    SetCursor(crArrow);
}

void TZerUdiraZiruziZidaZore::CreateWnd()
{
    TDizEveverAvivIzar::CreateWnd();
    if (FAddDefaultColors && FColors->Count() == 0) {
        FAddDefaultColors = false;
        AddDefaultColors();
    }
}

void TZerUdiraZiruziZidaZore::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FItemList)
        FItemList = nullptr;
    if (AComponent == FGallery)
        FGallery = nullptr;
    if (AComponent == FCubePanel)
        FCubePanel = nullptr;
    if (AComponent == FSpectrumPanel)
        FSpectrumPanel = nullptr;
    if (AComponent == FKeyTimer)
        FKeyTimer = nullptr;
}

// ---- Value ---------------------------------------------------------------------------------------

void TZerUdiraZiruziZidaZore::DoSelect()
{
    if (OnSelect)
        OnSelect(this);
}

void TZerUdiraZiruziZidaZore::SetSelectedColor(TColor Value)
{
    if (Value == FSelectedColor)
        return;
    FSelectedColor = Value;
    for (Integer I = 0; I < FColors->Count(); ++I)
        if (FColors->Items(I)->Color() == Value) {
            SetItemIndex(I);
            break;
        }
    Invalidate();
}

void TZerUdiraZiruziZidaZore::SetItemIndex(Integer Index)
{
    if (Index >= FColors->Count())
        return;
    FItemIndex = Index;
    if (Index >= 0)
        FSelectedColor = FColors->Items(Index)->Color();
    Invalidate();
    DoSelect();
}

void TZerUdiraZiruziZidaZore::SelectFirst()
{
    if (FColors->Count() > 0)
        SetItemIndex(0);
}

void TZerUdiraZiruziZidaZore::SelectLast()
{
    if (FColors->Count() > 0)
        SetItemIndex(FColors->Count() - 1);
}

void TZerUdiraZiruziZidaZore::SelectNext()
{
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex + 1 < FColors->Count())
        SetItemIndex(FItemIndex + 1);
}

void TZerUdiraZiruziZidaZore::SelectPrevious()
{
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex - 1 >= 0)
        SetItemIndex(FItemIndex - 1);
}

void TZerUdiraZiruziZidaZore::AddDefaultColors()
{
    for (const PickerNamedColor& C : PickerDefaultColors) {
        TColorItem* Item = FColors->Add();
        Item->SetCaption(C.Caption);
        Item->SetColor(C.Color);
    }
}

void TZerUdiraZiruziZidaZore::SetShowText(bool Value)
{
    if (Value != FShowText) {
        FShowText = Value;
        Invalidate();
    }
}

void TZerUdiraZiruziZidaZore::ChooseUnnamedColor(TColor Value)
{
    // One choice, one notification: the colour is stored as it is rather than searched among
    // the named colours (whose selection would notify first and the clearing a second time).
    FSelectedColor = Value;
    FItemIndex = -1;
    Invalidate();
    DoSelect();
}

// ---- Text and drawing -----------------------------------------------------------------------------

AnsiString TZerUdiraZiruziZidaZore::GetSelectedColorText()
{
    if (FColorSelectionStyle == csList && FItemIndex >= 0 && FItemIndex < FColors->Count())
        return FColors->Items(FItemIndex)->Caption();
    const COLORREF RGBValue = ColorToRGB(FSelectedColor);
    const Integer R = GetRValue(RGBValue), G = GetGValue(RGBValue), B = GetBValue(RGBValue);
    switch (FColorValueText) {
    case cvtHex:
        return IntToHex(static_cast<unsigned>(FSelectedColor), 6);
    case cvtWebName:
    case cvtHTML:
        // A web colour names red first, whatever order the colour value keeps its bytes in.
        return "#" + ColorHexByte(R) + ColorHexByte(G) + ColorHexByte(B);
    case cvtRGB:
        return "Red:" + IntToStr(R) + ",Green:" + IntToStr(G) + ",Blue:" + IntToStr(B);
    case cvtNone:
        break;
    }
    return AnsiString();
}

void TZerUdiraZiruziZidaZore::DrawSelectedItem()
{
    if (!HandleAllocated())
        return;
    HDC DC = GetWindowDC(Handle());
    {
        TCanvas Canvas;
        Canvas.SetHandle(DC);
        const TRect R{1, 1, Width() - DropDownButtonWidth() - 2, Height() - 2};
        if (OnDrawSelectedColor) {
            OnDrawSelectedColor(this, &Canvas, R);
        } else if (FSelectedColor != clNone) {
            const Integer BoxLeft = R.Left + 4, BoxTop = R.Top + (Height() - FColorBoxHeight) / 2;
            const TRect Box{BoxLeft, BoxTop, BoxLeft + FColorBoxWidth, BoxTop + FColorBoxHeight};
            Canvas.Pen()->SetColor(0x000000);
            Canvas.Brush()->SetStyle(bsSolid);
            Canvas.Brush()->SetColor(FSelectedColor);
            Canvas.Rectangle(Box);
            if (FShowText) {
                const bool Focused = GetFocus() == Handle();
                Canvas.Font()->Assign(Font());
                if (!EditorEnabled() && Focused)
                    Canvas.Font()->SetColor(clHighlightText);
                const AnsiString S = GetSelectedColorText();
                RECT TextBox = TRect{Box.Right + 4, R.Top, R.Right, R.Bottom};
                Canvas.Brush()->SetColor(Focused ? clHighlight : Color());
                DrawText(Canvas.Handle(), S.c_str(), int(S.size()), &TextBox,
                         DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            }
        }
        Canvas.SetHandle(nullptr);
    }
    ReleaseDC(Handle(), DC);
}

void TZerUdiraZiruziZidaZore::DrawBackGround()
{
    TDizEveverAvivIzar::DrawBackGround();
    DrawSelectedItem();
}

// ---- Contents ------------------------------------------------------------------------------------

void TZerUdiraZiruziZidaZore::PlaceContent(TWinControl* Content)
{
    Content->SetLeft(0);
    Content->SetTop(0);
    Content->SetColor(DropDownColor());
    SetControl(Content);
}

void TZerUdiraZiruziZidaZore::CreateItemListPanel()
{
    if (!DropDownForm())
        return;
    if (!FItemList) {
        FItemList = New<TVadCustomItemSelector>(this);
        FItemList->SetParent(DropDownForm());
        FItemList->SetSelectorType(stColor);
        FItemList->SetHeight(150);
        FItemList->UpdateSelectorPanel();
    }
    PlaceContent(FItemList);
}

void TZerUdiraZiruziZidaZore::CreateColorSelectorPanel()
{
    if (!DropDownForm())
        return;
    if (!FGallery) {
        FGallery = New<TCustomColorSelector>(this);
        FGallery->SetParent(DropDownForm());
        FGallery->CreateDefaultColors();
        FGallery->UpdateRectAndSize();
    }
    PlaceContent(FGallery);
}

void TZerUdiraZiruziZidaZore::CreateColorCubePanel()
{
    if (!DropDownForm())
        return;
    if (!FCubePanel) {
        FCubePanel = New<TVadColorCubePanel>(this);
        FCubePanel->SetParent(DropDownForm());
    }
    PlaceContent(FCubePanel);
}

void TZerUdiraZiruziZidaZore::CreateSpectrumPanel()
{
    if (!DropDownForm())
        return;
    if (!FSpectrumPanel) {
        FSpectrumPanel = New<TVadColorSpectrumPanel>(this);
        FSpectrumPanel->SetParent(DropDownForm());
    }
    PlaceContent(FSpectrumPanel);
}

void TZerUdiraZiruziZidaZore::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    // The popup takes the size of its content; scroll bars it showed while a panel did not
    // fit yet would stay and squeeze the panel.
    if (DropDownForm())
        DropDownForm()->SetAutoScroll(false);
    switch (FColorSelectionStyle) {
    case csList:
        CreateItemListPanel();
        break;
    case csDiscrete:
        CreateColorSelectorPanel();
        break;
    case csColorCube:
        CreateColorCubePanel();
        break;
    case csSpectrum:
        CreateSpectrumPanel();
        break;
    }
}

void TZerUdiraZiruziZidaZore::OnDestroyDropDownForm()
{
    TDizEveverAvivIzar::OnDestroyDropDownForm();
    if (ComponentState().Contains(csDestroying))
        return;
    FItemList = nullptr;
    FGallery = nullptr;
    FCubePanel = nullptr;
    FSpectrumPanel = nullptr;
}

TWinControl* TZerUdiraZiruziZidaZore::CurrentContent() const
{
    switch (FColorSelectionStyle) {
    case csList:
        return FItemList;
    case csDiscrete:
        return FGallery;
    case csColorCube:
        return FCubePanel;
    case csSpectrum:
        return FSpectrumPanel;
    }
    return nullptr;
}

void TZerUdiraZiruziZidaZore::HideContentsBut(TWinControl* Keep)
{
    for (TWinControl* C : {static_cast<TWinControl*>(FItemList), static_cast<TWinControl*>(FGallery),
                           static_cast<TWinControl*>(FCubePanel), static_cast<TWinControl*>(FSpectrumPanel)})
        if (C && C != Keep)
            C->SetVisible(false);
}

void TZerUdiraZiruziZidaZore::AssignedItemsToItemSelector()
{
    TSelectorItems* Items = FItemList->Items();
    Items->Clear();
    for (Integer I = 0; I < FColors->Count(); ++I) {
        const TColorItem* Source = FColors->Items(I);
        TSelectorItem* Item = Items->Add();
        Item->SetCaption(Source->Caption());
        Item->SetColor(Source->Color());
        Item->SetHint(Source->Hint());
    }
}

void TZerUdiraZiruziZidaZore::SetSelectorProperties()
{
    if (!FItemList)
        return;
    FItemList->OnItemSelect = nullptr;
    FItemList->SetColumns(FColumns);
    FItemList->SetImages(Images());
    FItemList->SetItemLayout(FLayout);
    FItemList->SetColor(DropDownColor());
    AssignedItemsToItemSelector();
    FItemList->SetColorBoxHeight(FColorBoxHeight);
    FItemList->SetColorBoxWidth(FColorBoxWidth);
    FItemList->ItemAppearance()->Assign(FItemAppearance.get());
    FItemList->UpdateSelectorPanel();
    FItemList->SetItemIndex(FItemIndex);
    FItemList->OnItemSelect = [this](TObject* Sender) { OnSelectorItemSelect(Sender); };
    FItemList->SetShowHint(ShowHint());
}

void TZerUdiraZiruziZidaZore::PrepareContent()
{
    switch (FColorSelectionStyle) {
    case csList:
        CreateItemListPanel();
        if (!FItemList)
            break;
        HideContentsBut(FItemList);
        SetSelectorProperties();
        if (OnDrawColor)
            FItemList->OnDrawItem = [this](TObject* Sender, TCanvas* Canvas, TRect R, Integer Index) {
                if (OnDrawColor)
                    OnDrawColor(Sender, Canvas, R, Index);
            };
        else
            FItemList->OnDrawItem = nullptr;
        FItemList->SetVisible(true);
        break;
    case csDiscrete:
        CreateColorSelectorPanel();
        if (!FGallery)
            break;
        HideContentsBut(FGallery);
        FGallery->OnSelect = nullptr;
        FGallery->SetSelectedColor(FSelectedColor);
        FGallery->UpdateRectAndSize();
        FGallery->OnSelect = [this](TObject* Sender) { ColorSelectorOnItemSelect(Sender); };
        FGallery->SetItemColorStyle(SelectionColorStyle());
        FGallery->SetVisible(true);
        break;
    case csColorCube:
        CreateColorCubePanel();
        if (!FCubePanel)
            break;
        HideContentsBut(FCubePanel);
        FCubePanel->SetSelectedColor(FSelectedColor);
        FCubePanel->Initialize();
        FCubePanel->SetItemsPosition();
        FCubePanel->OnSelect = [this](TObject* Sender) { CubePanelOnSelect(Sender); };
        FCubePanel->SetVisible(true);
        break;
    case csSpectrum:
        CreateSpectrumPanel();
        if (!FSpectrumPanel)
            break;
        HideContentsBut(FSpectrumPanel);
        FSpectrumPanel->SetSelectedColor(FSelectedColor);
        FSpectrumPanel->SetItemsPosition();
        FSpectrumPanel->OnSelect = [this](TObject* Sender) { SpectrumPanelOnSelect(Sender); };
        FSpectrumPanel->SetVisible(true);
        break;
    }
}

void TZerUdiraZiruziZidaZore::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    PrepareContent();
    // Both parts of the value are kept for a cancelled close, whatever the style.
    FSavedItemIndex = FItemIndex;
    FSavedColor = FSelectedColor;
}

void TZerUdiraZiruziZidaZore::SetCenterControl()
{
    TDizEveverAvivIzar::SetCenterControl();
    if (FColorSelectionStyle != csList && DropDownForm())
        DropDownForm()->FSizeable = false;
}

void TZerUdiraZiruziZidaZore::SizeToList()
{
    FItemList->SetAlign(alNone);
    TSize Size{0, 0};
    FItemList->GetItemPanelSize(Size);
    if (DropDownWidth() < 1)
        FItemList->SetWidth(Size.cx);
    if (DropDownHeight() < 1)
        FItemList->SetHeight(Size.cy);
    TDizEveverAvivIzar::UpdateDropDownSize();
    Integer W = DropDownForm()->Width();
    // The list's own width inside the frame, so that it needs no horizontal scroll bar.
    if (DropDownWidth() < 1)
        W += 2 * DropDownBorderWidth();
    if (FItemList->VertScrollBar()->IsScrollBarVisible())
        W += GetSystemMetrics(SM_CXVSCROLL);
    DropDownForm()->SetWidth(W);
}

void TZerUdiraZiruziZidaZore::SizeToPanel()
{
    TWinControl* Content = Control();
    const bool Shown = Content && Content->Visible();
    if (Shown) {
        // Measured at the panel's own size, not at the size the popup gave it last time.
        Content->SetAlign(alNone);
        if (Content == FGallery)
            FGallery->UpdateRectAndSize();
        else if (Content == FCubePanel)
            FCubePanel->SetPanelSize();
        else if (Content == FSpectrumPanel)
            FSpectrumPanel->SetPanelSize();
    }
    // These popups are never resized by hand: a size kept from an earlier opening (of another
    // style, say) must not replace the panel's.
    FLastDropDownWidth = -1;
    FLastDropDownHeight = -1;
    const Integer Border = 2 * DropDownBorderWidth();
    const Integer W = Shown ? Content->Width() + Border : Width();
    Integer H = Border;
    if (DropDownHeader()->Visible())
        H += DropDownHeader()->Height();
    if (DropDownFooter()->Visible())
        H += DropDownFooter()->Height();
    if (Shown)
        H += Content->Height();
    DropDownForm()->SetBounds(DropDownForm()->Left(), DropDownForm()->Top(), W, H);
}

void TZerUdiraZiruziZidaZore::UpdateDropDownSize()
{
    if (!DropDownForm())
        return;
    if (FColorSelectionStyle == csList) {
        if (FItemList)
            SizeToList();
        else
            TDizEveverAvivIzar::UpdateDropDownSize();
        return;
    }
    SizeToPanel();
}

void TZerUdiraZiruziZidaZore::SetColorSelectionStyle(TColorSelectionStyle Value)
{
    if (Value == FColorSelectionStyle)
        return;
    FColorSelectionStyle = Value;
    if (ComponentState().Contains(csDesigning))
        return;
    FLastDropDownWidth = -1;
    FLastDropDownHeight = -1;
    PrepareContent();
    FSavedItemIndex = FItemIndex;
    FSavedColor = FSelectedColor;
    TWinControl* Content = CurrentContent();
    if (!Content || !DropDownForm())
        return;
    UpdateDropDownSize();
    Content->SetAlign(alClient);
    DropDownForm()->Invalidate();
}

// ---- Closing and choosing ------------------------------------------------------------------------

void TZerUdiraZiruziZidaZore::DoHideDropDown(bool Cancelled)
{
    const bool WasOpen = DropDownForm() && DropDownForm()->Visible();
    TDizEveverAvivIzar::DoHideDropDown(Cancelled);
    // Esc on a closed picker is no cancelled choice: the saved value is the last drop-down's.
    if (!Cancelled || !WasOpen)
        return;
    if (FColorSelectionStyle == csDiscrete && FGallery) {
        FGallery->OnSelect = nullptr;
        FGallery->SetSelectedColor(FSavedColor);
        FGallery->OnSelect = [this](TObject* Sender) { ColorSelectorOnItemSelect(Sender); };
    }
    // A cancelled close gives back the value the popup opened with, name and colour alike.
    const bool Changed = FItemIndex != FSavedItemIndex || FSelectedColor != FSavedColor;
    if (!Changed && !(FColorSelectionStyle == csList && FItemList))
        return;
    FItemIndex = FSavedItemIndex < FColors->Count() ? FSavedItemIndex : -1;
    FSelectedColor = FSavedColor;
    Invalidate();
    DoSelect();
}

void TZerUdiraZiruziZidaZore::OnSelectorItemSelect(TObject*)
{
    if (!FItemList)
        return;
    SetItemIndex(FItemList->ItemIndex());
    if (!FKeySelecting)
        DoHideDropDown(false);
}

void TZerUdiraZiruziZidaZore::ColorSelectorOnItemSelect(TObject*)
{
    if (!FGallery)
        return;
    ChooseUnnamedColor(FGallery->SelectedColor());
    if (!FKeySelecting)
        DoHideDropDown(false);
}

void TZerUdiraZiruziZidaZore::CubePanelOnSelect(TObject*)
{
    if (!FCubePanel)
        return;
    ChooseUnnamedColor(FCubePanel->SelectedColor());
    DoHideDropDown(false);
}

void TZerUdiraZiruziZidaZore::SpectrumPanelOnSelect(TObject*)
{
    if (!FSpectrumPanel)
        return;
    ChooseUnnamedColor(FSpectrumPanel->SelectedColor());
    DoHideDropDown(false);
}

// ---- Keys and wheel ------------------------------------------------------------------------------

void TZerUdiraZiruziZidaZore::OnKeyTimerTime(TObject*)
{
    FKeyTimer->SetEnabled(false);
    FTypeAhead.clear();
}

void TZerUdiraZiruziZidaZore::ApplyListTarget(Integer Target)
{
    if (Target < 0 || Target >= FItemList->Items()->Count())
        return;
    FItemList->SetItemIndex(Target);
}

void TZerUdiraZiruziZidaZore::ListKey(Word Key, bool Handled, bool Ctrl)
{
    const bool Open = DroppedDown();
    FKeySelecting = true;
    switch (Key) {
    case VK_RETURN:
        if (!Handled)
            DoSelect();
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (FItemList->Items()->Count() != FColors->Count())
            SetSelectorProperties();
        const Integer N = FItemList->GetVisibleItemCount();
        if (N > 0) {
            const Integer Index = FItemList->ItemIndex();
            ApplyListTarget(Key == VK_PRIOR ? std::max(Index - N, 0)
                                            : std::min(Index + N, FColors->Count() - 1));
        }
        break;
    }
    case VK_END:
        if (Open)
            FItemList->SelectLast();
        else
            SelectLast();
        break;
    case VK_HOME:
        if (Open)
            FItemList->SelectFirst();
        else
            SelectFirst();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (!EditorEnabled() && Open) {
            if (Key == VK_LEFT)
                FItemList->SelectPrevious();
            else
                FItemList->SelectNext();
        }
        break;
    case VK_UP:
    case VK_DOWN:
        if (Open) {
            const Integer Index = FItemList->ItemIndex();
            ApplyListTarget(Index < 0 ? 0 : Index + (Key == VK_UP ? -FColumns : FColumns));
        } else if (Key == VK_UP) {
            SelectPrevious();
        } else {
            SelectNext();
        }
        break;
    default:
        if (!Ctrl && IsColorTypeAheadKey(Key) && FKeyTimer) {
            FTypeAhead += char(Key);
            FItemList->LookupItem(FTypeAhead);
            FKeyTimer->SetEnabled(true);
        }
        break;
    }
    FKeySelecting = false;
}

void TZerUdiraZiruziZidaZore::WMKeyDown(TMessage& Message)
{
    const Word Key = Word(Message.WParam);
    bool Handled = false;
    if (Enabled() && DroppedDown() && Key == VK_RETURN) {
        if (FColorSelectionStyle == csList && FItemList && FItemList->GetItemHot() >= 0) {
            FItemList->SetItemIndex(FItemList->GetItemHot());
            Handled = true;
        } else if (FColorSelectionStyle == csDiscrete && FGallery && FGallery->ItemHot() >= 0) {
            FGallery->SetItemIndex(FGallery->ItemHot());
            Handled = true;
        }
    }
    TDizEveverAvivIzar::WndProc(Message);
    const bool Alt = GetKeyState(VK_MENU) < 0, Ctrl = GetKeyState(VK_CONTROL) < 0;
    if (!Enabled() || Alt)
        return;
    if (FColorSelectionStyle == csList && FItemList) {
        ListKey(Key, Handled, Ctrl);
    } else if (FColorSelectionStyle == csDiscrete && FGallery) {
        FKeySelecting = true;
        FGallery->HandleKey(Key, EditorEnabled(), DroppedDown());
        FKeySelecting = false;
        if (Key == VK_RETURN && !Handled)
            DoSelect();
    }
}

void TZerUdiraZiruziZidaZore::HandleMouseWheelDown()
{
    TDizEveverAvivIzar::HandleMouseWheelDown();
    if (!Enabled() || ReadOnly())
        return;
    FKeySelecting = true;
    if (FColorSelectionStyle == csList && FItemList) {
        if (DroppedDown())
            FItemList->HotNext();
        else
            FItemList->SelectNext();
    } else if (FColorSelectionStyle == csDiscrete && FGallery) {
        if (DroppedDown())
            FGallery->HotNext();
        else
            FGallery->SelectNext();
    }
    FKeySelecting = false;
}

void TZerUdiraZiruziZidaZore::HandleMouseWheelUp()
{
    TDizEveverAvivIzar::HandleMouseWheelUp();
    if (!Enabled() || ReadOnly())
        return;
    FKeySelecting = true;
    if (FColorSelectionStyle == csList && FItemList) {
        if (DroppedDown())
            FItemList->HotPrevious();
        else
            FItemList->SelectPrevious();
    } else if (FColorSelectionStyle == csDiscrete && FGallery) {
        if (DroppedDown())
            FGallery->HotPrevious();
        else
            FGallery->SelectPrevious();
    }
    FKeySelecting = false;
}

// ---- Looks ---------------------------------------------------------------------------------------

void TZerUdiraZiruziZidaZore::SetSelectionColorStyle(TSelectionColorStyle Value)
{
    TDizEveverAvivIzar::SetSelectionColorStyle(Value);
    if (FItemList)
        FItemList->ItemAppearance()->SetColorStyle(Value);
}

void TZerUdiraZiruziZidaZore::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    SetAppearanceStyle(FItemAppearance.get(), AStyle);
}

void TZerUdiraZiruziZidaZore::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_PAINT:
        TDizEveverAvivIzar::WndProc(Message);
        DrawSelectedItem();
        return;
    default:
        TDizEveverAvivIzar::WndProc(Message);
    }
}
