#pragma once

// The grid's search footer: its settings (TSearchFooter, the grid's SearchFooter property), the
// panel docked at the grid's bottom (TSearchPanel) and the panel's search edit (TRetEdit). The
// grid wires the panel's events to its own search handlers (edit/SearchFooter.cpp).

#include "RudUvud/edit/FindTypes.h"

#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/StdCtrls.h"

#include <memory>

class TDidAririzEvar;
class TRudUvudButton;
class TDirEdaduVer;

enum TSearchDirection { sdTopBottom, sdLeftRight };

// The search footer's settings. Setters of the look call Changed (some only on a change of
// value, as noted); the search options are plain fields the grid reads at each search.
class TSearchFooter : public TPersistent {
public:
    TSearchFooter();
    ~TSearchFooter() override;
    TSearchFooter(const TSearchFooter&) = delete;
    TSearchFooter& operator=(const TSearchFooter&) = delete;

    // Copies from another TSearchFooter only, without AutoSearch, SearchFixedCells and OnChange,
    // and without calling Changed.
    void Assign(TPersistent* Source) override;
    // Fires OnChange with this object.
    void Changed();

    bool AlwaysHighLight() const { return FAlwaysHighLight; }
    void SetAlwaysHighLight(bool Value) { FAlwaysHighLight = Value; }
    bool AutoSearch() const { return FAutoSearch; }
    void SetAutoSearch(bool Value) { FAutoSearch = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor Value);
    const AnsiString& FindNextCaption() const { return FFindNextCaption; }
    void SetFindNextCaption(const AnsiString& Value);
    const AnsiString& FindPrevCaption() const { return FFindPrevCaption; }
    void SetFindPrevCaption(const AnsiString& Value);
    TFont* Font() const { return FFont.get(); }
    // Takes a copy of Value.
    void SetFont(TFont* Value);
    const AnsiString& HighLightCaption() const { return FHighLightCaption; }
    void SetHighLightCaption(const AnsiString& Value);
    const AnsiString& HintClose() const { return FHintClose; }
    void SetHintClose(const AnsiString& Value);
    const AnsiString& HintFindNext() const { return FHintFindNext; }
    void SetHintFindNext(const AnsiString& Value);
    const AnsiString& HintFindPrev() const { return FHintFindPrev; }
    void SetHintFindPrev(const AnsiString& Value);
    const AnsiString& HintHighlight() const { return FHintHighlight; }
    void SetHintHighlight(const AnsiString& Value);
    const AnsiString& MatchCaseCaption() const { return FMatchCaseCaption; }
    void SetMatchCaseCaption(const AnsiString& Value);
    bool SearchActiveColumnOnly() const { return FSearchActiveColumnOnly; }
    void SetSearchActiveColumnOnly(bool Value) { FSearchActiveColumnOnly = Value; }
    // The one column searched; -1 (or a column beyond ColCount) searches them all.
    Integer SearchColumn() const { return FSearchColumn; }
    void SetSearchColumn(Integer Value) { FSearchColumn = Value; }
    bool SearchMatchStart() const { return FSearchMatchStart; }
    void SetSearchMatchStart(bool Value) { FSearchMatchStart = Value; }
    bool SearchFixedCells() const { return FSearchFixedCells; }
    void SetSearchFixedCells(bool Value) { FSearchFixedCells = Value; }
    bool SearchHiddenRows() const { return FSearchHiddenRows; }
    void SetSearchHiddenRows(bool Value) { FSearchHiddenRows = Value; }
    TSearchDirection SearchDirection() const { return FSearchDirection; }
    void SetSearchDirection(TSearchDirection Value) { FSearchDirection = Value; }
    bool ShowClose() const { return FShowClose; }
    void SetShowClose(bool Value);
    // These four and Visible call Changed only when the value changes.
    bool ShowFindNext() const { return FShowFindNext; }
    void SetShowFindNext(bool Value);
    bool ShowFindPrev() const { return FShowFindPrev; }
    void SetShowFindPrev(bool Value);
    bool ShowHighLight() const { return FShowHighLight; }
    void SetShowHighLight(bool Value);
    bool ShowMatchCase() const { return FShowMatchCase; }
    void SetShowMatchCase(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
    void SetAutoThemeAdapt(bool Value);

    TNotifyEvent OnChange;

private:
    friend class TDidAririzEvar;
    bool FAlwaysHighLight = false;
    bool FAutoSearch = true;
    TColor FColor = clWhite;
    TColor FColorTo = clBtnFace;
    AnsiString FFindNextCaption = "Find &next";
    AnsiString FFindPrevCaption = "Find &previous";
    std::unique_ptr<TFont> FFont;
    AnsiString FHighLightCaption = "Highlight";
    AnsiString FHintClose = "Close";
    AnsiString FHintFindNext = "Find next occurence";
    AnsiString FHintFindPrev = "Find previous occurence";
    AnsiString FHintHighlight = "Highlight occurences";
    AnsiString FMatchCaseCaption = "Match case";
    bool FSearchActiveColumnOnly = false;
    Integer FSearchColumn = -1;
    bool FSearchMatchStart = false;
    bool FSearchFixedCells = false;
    bool FSearchHiddenRows = false;
    TSearchDirection FSearchDirection = sdTopBottom;
    bool FShowClose = true;
    bool FShowFindNext = true;
    bool FShowFindPrev = true;
    bool FShowHighLight = true;
    bool FShowMatchCase = true;
    bool FVisible = false;
    bool FAutoThemeAdapt = false;
    // The text of the last Find next / previous while AutoSearch is off.
    AnsiString FLastSearch;
};

// The search edit: multi-line so that Enter reaches it, Enter fires OnReturn and Ctrl+Enter
// OnCtrlReturn; neither inserts a line break.
class TRetEdit : public TEdit {
public:
    using TEdit::TEdit;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnReturn;
    TNotifyEvent OnCtrlReturn;

protected:
    void CreateParams(TCreateParams& Params) override;
};

// The panel: close button, search edit, find next, find previous and highlight buttons and the
// match case box, at fixed places (mirrored for right-to-left). Owned by the grid.
class TSearchPanel : public TPanel {
public:
    explicit TSearchPanel(TComponent* AOwner);
    ~TSearchPanel() override;

    TRetEdit* EditControl() const { return FEdit; }
    TRudUvudButton* ForwardButton() const { return FForward; }
    TRudUvudButton* BackwardButton() const { return FBackward; }
    TRudUvudButton* CloseButton() const { return FClose; }
    TRudUvudButton* HighlightButton() const { return FHighlight; }
    TDirEdaduVer* MatchCase() const { return FMatchCase; }
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor Value);

    // Each fires the panel event of the same name when assigned.
    void ForwardClick(TObject* Sender);
    void BackwardClick(TObject* Sender);
    void HighlightClick(TObject* Sender);
    void ExitClick(TObject* Sender);
    // Enables the three search buttons exactly when the edit holds text, then OnEditChange.
    void EditChange(TObject* Sender);
    void EditReturn(TObject* Sender);
    void EditCtrlReturn(TObject* Sender);
    void EditKeydown(TObject* Sender, Word& Key, TShiftState Shift);

    // Captions and hints shown, copied from the settings by the grid.
    AnsiString FindNextCaption;
    AnsiString FindPrevCaption;
    AnsiString HighLightCaption;
    AnsiString MatchCaseCaption;
    AnsiString HintClose;
    AnsiString HintFindNext;
    AnsiString HintFindPrev;
    AnsiString HintHighlight;

    TNotifyEvent OnForwardClick;
    TNotifyEvent OnBackwardClick;
    TNotifyEvent OnEditChange;
    TNotifyEvent OnHighlightClick;
    TNotifyEvent OnExitClick;

protected:
    void CreateWnd() override;
    void Paint() override;

private:
    TDidAririzEvar* FGrid = nullptr;
    TRetEdit* FEdit = nullptr;
    TRudUvudButton* FForward = nullptr;
    TRudUvudButton* FBackward = nullptr;
    TRudUvudButton* FClose = nullptr;
    TRudUvudButton* FHighlight = nullptr;
    TDirEdaduVer* FMatchCase = nullptr;
    TColor FColorTo = clNone;
};
