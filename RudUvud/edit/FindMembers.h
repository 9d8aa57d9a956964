// Members of TDidAririzEvar declared by find and replace and by the search footer's handlers
// (edit/FindReplace.cpp, edit/SearchFooter.cpp). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Find and replace (edit/FindReplace.cpp) ========
// The next cell after StartCell whose text matches S under FindParams, (-1, -1) when none;
// StartCell (-1, -1) starts at the first cell of the range, inclusive. The walk never wraps.
// The column of the result is a display column unless fnIncludeHiddenColumns, its row a
// display row unless fnIncludeHiddenRows (then a real row).
TPoint Find(TPoint StartCell, const AnsiString& S, TFindParams FindParams);
// The same on the cells' wide texts.
TPoint FindWide(TPoint StartCell, const WideString& S, TFindParams FindParams);
// Find from the first cell; the result becomes the last found cell.
TPoint FindFirst(const AnsiString& S, TFindParams FindParams);
// Find after the last found cell with the last text and parameters; after a search that found
// nothing it starts again at the first cell.
TPoint FindNext();
// Replaces OldValue by NewValue in every matching cell (letter case as FindParams says);
// returns the number of cells changed.
Integer Replace(const AnsiString& OldValue, const AnsiString& NewValue, TFindParams FindParams);
// Whether one cell matches the last search text and parameters.
bool MatchCell(Integer ACol, Integer ARow, bool Wide);
TPoint LastFoundCell() const
{
    return FFind.LastFound;
}
TFindParams LastFindParams() const
{
    return FFind.Params;
}
// True while a search runs and after one that found a cell; false after a walk without match.
bool LastFind() const
{
    return FFind.LastFind;
}
// The row fnFindInPresetRow restricts to.
Integer FindPresetRow() const
{
    return FFind.PresetRow;
}
void SetFindPresetRow(Integer Value)
{
    FFind.PresetRow = Value;
}

// ======== Search footer (edit/SearchFooter.cpp) ========
TSearchPanel* SearchPanel() const
{
    return FSearchPanel;
}
// The panel's handlers: the text changed (incremental search), find next and previous (buttons,
// Enter and Ctrl+Enter), close, the highlight toggle; and the settings changed.
void SearchEditChange(TObject* Sender);
void SearchForward(TObject* Sender);
void SearchBackward(TObject* Sender);
void SearchExit(TObject* Sender);
void SearchHighLight(TObject* Sender);
void SearchChanged(TObject* Sender);

TSearchEditChangeEvent OnSearchEditChange;
TNotifyEvent OnSearchFooterClose;
TNotifyEvent OnCreatedSearchFooter;

protected:
TPoint FindInternal(TPoint StartCell, const AnsiString& S, const WideString& WS, bool Wide,
                    TFindParams FindParams);
// The footer's accelerators (find next, find previous, highlight) while it is visible: true when
// one ran. Called for the dialog-character message.
bool SearchDialogChar(Word CharCode);

private:
void WireSearchPanel();
TFindParams SearchFooterParams(bool Incremental);
// The find state, shared by FindFirst, FindNext and the search footer.
struct TGridFindState {
    TFindParams Params;
    AnsiString Text;
    WideString WideText;
    TPoint LastFound{0, 0};
    Integer PresetCol = 0;
    Integer PresetRow = 0;
    bool LastFind = false;
};
TGridFindState FFind;
