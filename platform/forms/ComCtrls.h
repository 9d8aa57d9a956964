#pragma once

// Status bars with panels, track bars and up-down buttons, drawn by themselves.

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

#include <memory>
#include <vector>

// ---- TStatusBar --------------------------------------------------------------------------------------

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel : public TPersistent {
public:
    explicit TStatusPanel(TStatusBar* AOwner) : FOwner(AOwner) {}
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle Value);
    Integer Index() const;

private:
    void Changed();
    TStatusBar* FOwner;
    AnsiString FText;
    Integer FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* AOwner) : FOwner(AOwner) {}
    TStatusPanel* Add();
    TStatusPanel* Items(Integer Index) const;
    Integer Count() const { return Integer(FItems.size()); }
    void Delete(Integer Index);
    void Clear();
    Integer IndexOf(const TStatusPanel* Panel) const;

private:
    TStatusBar* FOwner;
    std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    // One panel showing SimpleText across the bar instead of the panels.
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    const AnsiString& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const AnsiString& Value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    // The rectangle of a panel in client coordinates (the last one reaches the right end).
    TRect PanelRect(Integer Index);

    TDrawPanelEvent OnDrawPanel;

    void PanelsChanged();

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    AnsiString FSimpleText;
    bool FSizeGrip = true;
};

// ---- TTrackBar ---------------------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TCustomControl {
public:
    explicit TTrackBar(TComponent* AOwner);

    Integer Min() const { return FMin; }
    void SetMin(Integer Value);
    Integer Max() const { return FMax; }
    void SetMax(Integer Value);
    // Kept within Min..Max; OnChange when it moves.
    Integer Position() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer Frequency() const { return FFrequency; }
    void SetFrequency(Integer Value);
    Integer LineSize() const { return FLineSize; }
    void SetLineSize(Integer Value) { FLineSize = Value; }
    Integer PageSize() const { return FPageSize; }
    void SetPageSize(Integer Value) { FPageSize = Value; }
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation Value);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark Value);
    TTickStyle TickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle Value);
    Integer SelStart() const { return FSelStart; }
    void SetSelStart(Integer Value);
    Integer SelEnd() const { return FSelEnd; }
    void SetSelEnd(Integer Value);
    // The thumb's rectangle in client coordinates.
    TRect ThumbRect();

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    virtual void Changed();

private:
    TRect Channel();
    Integer PositionAt(Integer X, Integer Y);
    Integer FMin = 0, FMax = 10, FPosition = 0, FFrequency = 1, FLineSize = 1, FPageSize = 2;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
    TTickStyle FTickStyle = tsAuto;
    Integer FSelStart = 0, FSelEnd = 0;
    bool FDragging = false;
    Integer FGrab = 0;
};

// ---- TUpDown -------------------------------------------------------------------------------------------

enum TUDBtnType { btNext, btPrev };
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TCustomControl {
public:
    explicit TUpDown(TComponent* AOwner);

    // The control whose text shows the position (an edit, usually); the up-down sits beside it.
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* Value);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton Value);
    Integer Min() const { return FMin; }
    void SetMin(Integer Value);
    Integer Max() const { return FMax; }
    void SetMax(Integer Value);
    Integer Position() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer Increment() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value; }
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation Value);
    bool Wrap() const { return FWrap; }
    void SetWrap(bool Value) { FWrap = Value; }
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool Value) { FArrowKeys = Value; }
    bool Thousands() const { return FThousands; }
    void SetThousands(bool Value);

    void WndProc(TMessage& Message) override;

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // One step of a button: changes Position (unless OnChanging refuses), then OnClick.
    using TCustomControl::Click;
    virtual void Click(TUDBtnType Button);
    bool CanChange();

private:
    void Step(TUDBtnType Button);
    void UpdateAssociate();
    void PlaceBesideAssociate();
    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
    Integer FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    TUDOrientation FOrientation = udVertical;
    bool FWrap = false;
    bool FArrowKeys = true;
    bool FThousands = true;
    Integer FPressed = -1; // the button held: btNext or btPrev
    bool FRepeating = false;
};

// ---- TRichEdit -------------------------------------------------------------------------------------------

class TCustomRichEdit;

// The character format of a rich edit's selection (SelAttributes) or its default one
// (DefAttributes), read and written through the window.
class TTextAttributes : public TPersistent {
public:
    enum TAttributeType { atSelected, atDefaultText };
    TTextAttributes(TCustomRichEdit* AOwner, TAttributeType AType) : FRichEdit(AOwner), FType(AType) {}

    TColor Color() const;
    void SetColor(TColor Value);
    AnsiString Name() const;
    void SetName(const AnsiString& Value);
    // Points.
    Integer Size() const;
    void SetSize(Integer Value);
    // Pixels at the screen's resolution.
    Integer Height() const;
    void SetHeight(Integer Value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);
    // Baseline shift in twips, positive raises.
    Integer Offset() const;
    void SetOffset(Integer Value);

private:
    void Get(struct CHARFORMATA& Format) const;
    void Set(struct CHARFORMATA& Format);
    TCustomRichEdit* FRichEdit;
    TAttributeType FType;
};

// The lines of a rich edit: loading and saving a stream go through RTF unless PlainText.
class TRichEditStrings : public TMemoStrings {
public:
    explicit TRichEditStrings(TCustomRichEdit* ARichEdit);
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

protected:
    bool WindowEditsLines() const override { return false; }

private:
    TCustomRichEdit* FRichEdit;
};

using TRichEditResizeEvent = std::function<void(TObject* Sender, TRect Rect)>;

class TCustomRichEdit : public TCustomMemo {
public:
    explicit TCustomRichEdit(TComponent* AOwner);
    ~TCustomRichEdit() override;

    TStrings* Lines() const { return FRichLines.get(); }
    void SetLines(TStrings* Value) { FRichLines->Assign(Value); }
    TTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
    TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    // The length of the text in characters (paragraph ends count one).
    Integer GetTextLen();

    // RTF (or plain text when PlainText) in and out; with `Selection` only the selection is
    // replaced or written.
    void LoadFromStream(TStream* Stream, bool Selection = false);
    void SaveToStream(TStream* Stream, bool Selection = false);

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnSelectionChange;
    TRichEditResizeEvent OnResizeRequest;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void SelectionChange();
    virtual void RequestSize(const TRect& Rect);

private:
    std::unique_ptr<TRichEditStrings> FRichLines;
    std::unique_ptr<TTextAttributes> FSelAttributes;
    std::unique_ptr<TTextAttributes> FDefAttributes;
    bool FPlainText = false;
};

class TRichEdit : public TCustomRichEdit {
public:
    using TCustomRichEdit::TCustomRichEdit;
};

// ---- TDateTimePicker -------------------------------------------------------------------------------------

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };

class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* AOwner);

    TDateTime DateTime() const { return FDateTime; }
    void SetDateTime(TDateTime Value);
    // The date part (the time part kept) and the time part (the date part kept).
    TDateTime Date() const;
    void SetDate(TDateTime Value);
    TDateTime Time() const;
    void SetTime(TDateTime Value);
    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind Value);
    TDTDateMode DateMode() const { return FDateMode; }
    void SetDateMode(TDTDateMode Value);
    TDTDateFormat DateFormat() const { return FDateFormat; }
    void SetDateFormat(TDTDateFormat Value);
    // A picture of the window's format letters (yyyy-MM-dd, HH:mm …); empty: the kind's default.
    AnsiString Format() const { return FFormat; }
    void SetFormat(const AnsiString& Value);
    bool ShowCheckbox() const { return FShowCheckbox; }
    void SetShowCheckbox(bool Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool DroppedDown();

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnDropDown;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void Change();

private:
    void SendValue();
    TDateTime FDateTime = 0;
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
    TDTDateFormat FDateFormat = dfShort;
    AnsiString FFormat;
    bool FShowCheckbox = false;
    bool FChecked = true;
};
