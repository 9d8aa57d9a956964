#pragma once

// The custom editor link: the component through which an application puts a control of its own
// into a cell as its editor (editor kind edCustom). The grid asks the link to create its
// control, places it over the cell or in a borderless popup form, hands it the cell's colour,
// font and text, focuses it and takes its value back when the edit ends. Descendants override
// the virtual operations to drive their control and attach EditKeyDown and EditExit to it.

#include "platform/forms/Controls.h"

class TDidAririzEvar;
class TForm;
class TFont;

enum TEditStyle { esInplace, esPopup };

class TEditLink : public TComponent {
public:
    explicit TEditLink(TComponent* AOwner);
    // Frees the popup form it made.
    ~TEditLink() override;

    TEditStyle EditStyle = esInplace;
    Integer PopupLeft = -1, PopupTop = -1; // screen position; -1 in either: at the cell
    Integer PopupWidth = 0, PopupHeight = 0;
    bool AutoPopupWidth = false;
    bool WantKeyLeftRight = false;
    bool WantKeyUpDown = false;
    bool WantKeyHomeEnd = false;
    bool WantKeyPriorNext = false;
    bool WantKeyReturn = false;
    bool WantKeyEscape = false;
    Integer Tag = 0;

    TDidAririzEvar* Grid() const { return FGrid; }
    TPoint EditCell() const { return FEditCell; } // real column, row
    TForm* PopupForm() const { return FPopupForm; }

    // Routes the keys that end the edit; attach it to the control's key-down event.
    virtual void EditKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    virtual TWinControl* GetEditControl() { return nullptr; }
    virtual void CreateEditor(TWinControl* AParent) {}
    virtual void DestroyEditor() {}
    virtual void SetFocus(bool Value);
    virtual void SetRect(const TRect& R);
    virtual void SetVisible(bool Value);
    virtual void SetProperties() {}
    virtual void SetCellProps(TColor AColor, TFont* AFont) {}
    virtual AnsiString GetEditorValue() { return AnsiString(); }
    virtual void SetEditorValue(const AnsiString& S) {}

    // Attach to the control's exit event: stores the value and ends the edit.
    void EditExit(TObject* Sender);
    // The popup form's deactivation.
    void FormExit(TObject* Sender);
    void HideEditor();
    void RestoreWinProc();
    AnsiString GetCellValue();
    void SetCellValue(const AnsiString& S);
    TWinControl* GetParent();

protected:
    // A popup form freed elsewhere (another link making its own) is forgotten.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDidAririzEvar;
    // The grid's side of a show (kept here, with the link's state).
    void Show(TDidAririzEvar* G, const TRect& R, Integer RealCol, Integer ARow, TColor CellColor,
              TFont* CellFont);
    void ForcedFocusToGrid();

    TDidAririzEvar* FGrid = nullptr;
    TPoint FEditCell{-1, -1};
    TForm* FPopupForm = nullptr;
    bool FForcedExit = false;
    TWinControl* FSubclassed = nullptr; // the control whose window procedure the grid replaced
    TWndMethod FKeptProc;
};
