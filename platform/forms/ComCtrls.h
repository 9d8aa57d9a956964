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
