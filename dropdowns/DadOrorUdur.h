#pragma once

// The dropdown base control: a single-line masked edit with a dropdown button inside its right
// end and a borderless popup (TDropDownForm) that opens below or above it, framed by an optional
// header and footer, with the picker's centre control in its middle. Every picker of the family
// derives from it and overrides the virtual operations below.

#include "dropdowns/DadOrorUdurDraw.h"
#include "dropdowns/DropDownAppearance.h"
#include "dropdowns/DropDownForm.h"

#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadStyleIF.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Mask.h"

#include <functional>
#include <memory>

enum TDropPosition { dpAuto, dpDown, dpUp };
enum TDropDownEditType {
    etString,
    etNumeric,
    etFloat,
    etUppercase,
    etMixedCase,
    etLowerCase,
    etPassword,
    etMoney,
    etRange,
    etHex,
    etAlphaNumeric,
    etValidChars
};
// In the unit's namespace: the grid support library has a number-kind enumeration of the
// same name with other members.
namespace DadOrorUdur {
enum TAutoType { atNumeric, atFloat, atString, atDate, atTime, atHex };

// What kind of value a text holds: atNumeric, atFloat, atHex or atString (the locale's
// separators, read at the call).
TAutoType TextTypeOf(const AnsiString& S);
AnsiString StripThousandSeparators(const AnsiString& S);
Integer HexDigitValue(char Ch);
// The value of hexadecimal digits; longer texts wrap around 32 bits.
Integer HexStrToInt(const AnsiString& S);
bool IsRangeSeparator(char Ch);
} // namespace DadOrorUdur
enum TSelectionColorStyle { scCustom, scOffice2007, scWindowsVista, scWindows7 };

using TDropDown = std::function<void(TObject* Sender, bool& acceptdrop)>;
using TDropUp = std::function<void(TObject* Sender, bool Cancelled)>;
using TDropDownButtonItemClick = std::function<void(TObject* Sender, Integer ButtonIndex)>;
using TDrawBackGroundEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect)>;
using TGetTextEvent = std::function<void(TObject* Sender, AnsiString& Text)>;
// In the unit's namespace: the string grid's clipboard event of the same name has no value.
namespace DadOrorUdur {
using TClipboardEvent = std::function<void(TObject* Sender, const AnsiString& value, bool& allow)>;
} // namespace DadOrorUdur

class TItemAppearance;

class TDizEveverAvivIzar : public TCustomMaskEdit, public RUZIVazov {
public:
    explicit TDizEveverAvivIzar(TComponent* AOwner);
    ~TDizEveverAvivIzar() override;
    // Creates the popup and the button (the steps of construction that reach the pickers'
    // overrides).
    void AfterConstruction() override;

    void ShowDropDown() { DoShowDropDown(); }
    void HideDropDown(bool Cancelled) { DoHideDropDown(Cancelled); }
    bool DroppedDown() const { return FDroppedDown; }
    TDropDownForm* DropDownForm() const { return FDropDownForm; }
    TDropDownEditButton* DropDownButton() const { return FDropDownButton; }

    TWinControl* Control() const { return FControl; }
    void SetControl(TWinControl* Value);
    TRect GetEditRect() const { return FEditRect; }
    TRect EditRect() const { return FEditRect; }
    Integer GetMinHeight();

    // Properties.
    Integer DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(Integer Value);
    Integer DropDownHeight() const { return FDropDownHeight; }
    void SetDropDownHeight(Integer Value);
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value);
    TDropPosition DropPosition() const { return FDropPosition; }
    void SetDropPosition(TDropPosition Value) { FDropPosition = Value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Etched() const { return FEtched; }
    void SetEtched(bool Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool DropDownShadow() const { return FDropDownShadow; }
    void SetDropDownShadow(bool Value) { FDropDownShadow = Value; }
    Integer DropDownBorderWidth() const { return FDropDownBorderWidth; }
    void SetDropDownBorderWidth(Integer Value) { FDropDownBorderWidth = Value; }
    const AnsiString& DropDownButtonHint() const { return FDropDownButtonHint; }
    void SetButtonHint(const AnsiString& Value);
    TColor DropDownColor() const { return FDropDownColor; }
    void SetDropDownColor(TColor Value) { FDropDownColor = Value; }
    TColor DropDownColorTo() const { return FDropDownColorTo; }
    void SetDropDownColorTo(TColor Value) { FDropDownColorTo = Value; }
    TColor DropDownBorderColor() const { return FDropDownBorderColor; }
    void SetDropDownBorderColor(TColor Value) { FDropDownBorderColor = Value; }
    Integer DropDownButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(Integer Value);
    AnsiString ButtonCaption() { return GetButtonCaption(); }
    AnsiString GetButtonCaption();
    void SetButtonCaption(const AnsiString& Value);
    TBitmap* DropDownButtonGlyph() const { return FButtonGlyph.get(); }
    void SetButtonGlyph(TBitmap* Value);
    THeaderAppearance* DropDownHeader() const { return FDropDownHeader.get(); }
    void SetDropDownHeader(THeaderAppearance* Value) { FDropDownHeader->Assign(Value); }
    TFooterAppearance* DropDownFooter() const { return FDropDownFooter.get(); }
    void SetDropDownFooter(TFooterAppearance* Value) { FDropDownFooter->Assign(Value); }
    TVadButtonAppearance* ButtonAppearance() const { return FButtonAppearance.get(); }
    void SetButtonAppearance(TVadButtonAppearance* Value) { FButtonAppearance->Assign(Value); }
    bool DropDownSizeable() const { return FDropDownSizeable; }
    void SetDropDownSizeable(bool Value) { FDropDownSizeable = Value; }
    TGradientDirection DropDownGradient() const { return FDropDownGradient; }
    TColor SelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value) { FSelectionColor = Value; }
    TColor SelectionColorTo() const { return FSelectionColorTo; }
    void SetSelectionColorTo(TColor Value) { FSelectionColorTo = Value; }
    TSelectionColorStyle SelectionColorStyle() const { return FSelectionColorStyle; }
    bool DropDownEnabled() const { return FDropDownEnabled; }
    void SetDropDownEnabled(bool Value) { FDropDownEnabled = Value; }
    bool FocusHighlight() const { return FFocusHighlight; }
    void SetFocusHighlight(bool Value) { FFocusHighlight = Value; }
    ZEDAVozor ComponentStyle() const { return GetComponentStyle(); }
    ZEDAVozor GetComponentStyle() const { return FComponentStyle; }
    // Published edit-control settings the platform edit keeps no use for: stored only.
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value) { FBevelEdges = Value; }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value) { FBevelKind = Value; }
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }
    AnsiString Version() const { return "1.0.7.0"; }
    void SetVersion(const AnsiString&) {}

    // The value: the edit line without its prefix and suffix. SetText formats it by the edit
    // type and makes it the accepted value, restored on a cancelled close.
    AnsiString Text() { return GetText(); }
    virtual void SetText(const AnsiString& Value);
    // Shows Value as the whole edit line, unformatted, without making it the accepted value.
    void SetTextDirect(const AnsiString& Value);

    // Typed editing.
    TDropDownEditType EditType() const { return FEditType; }
    void SetEditType(TDropDownEditType Value);
    Integer Precision() const { return FPrecision; }
    void SetPrecision(Integer Value);
    const AnsiString& Prefix() const { return FPrefix; }
    void SetPrefix(const AnsiString& Value);
    const AnsiString& Suffix() const { return FSuffix; }
    void SetSuffix(const AnsiString& Value);
    bool CanUndo() const { return FCanUndo; }
    void SetCanUndo(bool Value);
    bool AutoThousandSeparator() const { return FAutoThousandSeparator; }
    void SetAutoThousandSeparator(bool Value);
    bool Modified() const { return GetModified(); }
    bool GetModified() const { return FModified; }
    void SetModified(bool Value);
    const AnsiString& ValidChars() const { return FValidChars; }
    void SetValidChars(const AnsiString& Value) { FValidChars = Value; }
    double GetFloat();
    void SetFloat(double Value);
    Integer GetInt();
    void SetInt(Integer Value);
    double EStrToFloat(const AnsiString& S);
    void SelectAll() override;
    void SelectAfterDecimal();
    void SelectBeforeDecimal();
    Integer DecimalPos();
    Integer FixedLength(const AnsiString& S);
    bool AllowMin(char) { return false; }
    Integer CharFromPos(TPoint P);
    TPoint PosFromChar(Integer Index);
    void AutoSeparators();

    DadOrorUdur::TClipboardEvent OnClipboardCopy;
    DadOrorUdur::TClipboardEvent OnClipboardPaste;
    DadOrorUdur::TClipboardEvent OnClipboardCut;

    // Virtual operations every picker may override, in their order.
    virtual void CreateDropDownForm();
    virtual void CreateDropDownButton();
    virtual void UpdateDropDownButton();
    virtual void BeforeDropDown();
    virtual void AfterDropDown() {}
    virtual void DoShowDropDown();
    virtual void SetCenterControl();
    virtual void UpdateDropDownSize();
    virtual void DoHideDropDown(bool Cancelled);
    virtual void OnHideDropDown();
    virtual void OnDestroyDropDownForm() {}
    virtual void OnDropDownFormMouseWheelDown(TShiftState Shift, TPoint MousePos, bool& Handled);
    virtual void OnDropDownFormMouseWheelUp(TShiftState Shift, TPoint MousePos, bool& Handled);
    virtual void OnDropDownFormKeyPress(WideChar& Key);
    virtual void OnDropDownFormKeyDown(Word& Key, TShiftState Shift);
    virtual void OnDropDownFormKeyUp(Word& Key, TShiftState Shift);
    virtual void OnDropDownControlKeyDown(Word& Key, TShiftState Shift);
    virtual void OnDropDownControlKeyUp(Word& Key, TShiftState Shift);
    virtual void OnDropDownControlKeyPress(WideChar& Key);
    virtual void OnDropDownSizing() {}
    virtual void HandleMouseWheelDown() {}
    virtual void HandleMouseWheelUp() {}
    virtual void DrawBackGround();
    virtual void SetEditRect();
    virtual void ResizeControl();
    virtual void SetSelectionColorStyle(TSelectionColorStyle Value);
    virtual void DrawSelectionBackground(TCanvas* Canvas, const TRect& R, TColor Color, TGradientPart Part);
    virtual void DrawGradientBackground(TCanvas* Canvas, TColor FromColor, TColor ToColor, Integer Steps,
                                        const TRect& R, bool Direction);
    void SetComponentStyle(ZEDAVozor AStyle) override;
    // Colours an item list of a picker (colour, detail, image) in a component style.
    void SetAppearanceStyle(TItemAppearance* Appearance, ZEDAVozor Style);
    bool Is3DBorderControl();
    bool Is3DBorderButton();
    void DrawButtonBorder();

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnBeforeDropDown;
    TDropDown OnDropDown;
    TDropUp OnDropUp;
    TDropDownButtonItemClick OnDropDownFooterButtonClick;
    TDropDownButtonItemClick OnDropDownHeaderButtonClick;
    TDrawBackGroundEvent OnDrawHeader;
    TDrawBackGroundEvent OnDrawFooter;
    TGetTextEvent OnGetFooterText;
    TGetTextEvent OnGetHeaderText;

protected:
    friend class TDropDownForm;
    friend class TDadOrorUdurSpeedButton;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void DoEnter() override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    AnsiString GetText() override;

    // Opens the popup for the button and for a press on a non-editable edit, unless it closed
    // itself within the last 250 ms (that press is the one that closed it).
    void MouseButtonDown(TObject* Sender);
    // The flat look's border (on enter, exit, mouse enter and leave).
    void DrawBorders();
    void ToggleDropDown();

    Integer FDropDownWidth = 0;
    Integer FDropDownHeight = 0;
    Integer FLastDropDownWidth = -1;
    Integer FLastDropDownHeight = -1;
    bool FEditorEnabled = true;
    TDropPosition FDropPosition = dpAuto;
    bool FFlat = false;
    TCustomImageList* FImages = nullptr;
    bool FDropDownShadow = true;
    Integer FDropDownBorderWidth = 1;
    AnsiString FDropDownButtonHint;
    TColor FDropDownColorTo = clNone;
    TColor FDropDownColor = 0xFFFFFF;
    TColor FDropDownBorderColor = 0;
    Integer FButtonWidth = 17;
    bool FMouseInControl = false;
    bool FEtched = false;
    std::unique_ptr<THeaderAppearance> FDropDownHeader;
    std::unique_ptr<TVadButtonAppearance> FButtonAppearance;
    std::unique_ptr<TFooterAppearance> FDropDownFooter;
    TWinControl* FControl = nullptr;
    TGradientDirection FDropDownGradient = gdHorizontal;
    bool FDropDownSizeable = true;
    TColor FSelectionColor = clNone;
    TColor FSelectionColorTo = clNone;
    TSelectionColorStyle FSelectionColorStyle = scCustom;
    bool FMouseDownInSelection = false;
    TRect FEditRect;
    bool FDropDownEnabled = false;
    bool FDroppedDown = false;
    std::unique_ptr<TBitmap> FButtonGlyph;
    bool FFocusHighlight = true;
    ZEDAVozor FComponentStyle = tsOffice2003Blue;
    TDropDownForm* FDropDownForm = nullptr;
    TDropDownEditButton* FDropDownButton = nullptr;
    AnsiString FAcceptedText;
    TDropDownEditType FEditType = etString;
    Integer FPrecision = 0;
    AnsiString FPrefix;
    AnsiString FSuffix;
    bool FCanUndo = true;
    AnsiString FValidChars;
    bool FAutoThousandSeparator = true;
    bool FModified = false;
    bool FBlockChange = false;
    bool FInCut = false;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelKind FBevelKind = bkNone;
    bool FParentBiDiMode = true;

private:
    AnsiString Line() { return TCustomMaskEdit::GetText(); }
    void SetLine(const AnsiString& Value) { TCustomMaskEdit::SetText(Value); }
    bool WindowModified() { return TCustomMaskEdit::Modified(); }
    void Default(TMessage& Message) { TCustomMaskEdit::WndProc(Message); }
    void WMChar(TMessage& Message);
    void FloatChar(TMessage& Message, char Ch, bool Money);
    bool SeparatorTooClose(AnsiString S, Integer Caret);
    bool DecimalsFull(const AnsiString& S, Integer Caret);
    void WMPaste(TMessage& Message);
    void WMCut(TMessage& Message);
    void WMCopy(TMessage& Message);
    void CNCommand(TMessage& Message);
    void FormatOnExit();
    AnsiString SelectedValue();
    void WMKeyDown(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMLButtonDown(TMessage& Message);
    void WMLButtonUp(TMessage& Message);
    void CMWantSpecialKey(TMessage& Message);
    void HookControlKeys();
    void OnButtonGlyphChanged(TObject* Sender);
    void OnHeaderAppearanceChanged(TObject* Sender);
    void OnFooterAppearanceChanged(TObject* Sender);
    bool FocusInPopup();
};

// The dropdown base with its properties published.
class TDadOrorUdur : public TDizEveverAvivIzar {
public:
    using TDizEveverAvivIzar::TDizEveverAvivIzar;
};
