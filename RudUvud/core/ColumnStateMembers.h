// Members of TDidAririzEvar declared by column layout persistence: the column state string and
// the column size store (core/GridColumnState.cpp). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Column layout persistence (core/GridColumnState.cpp) ========
// "Count#Widths#Order#Visibility" of every column.
AnsiString ColumnStatesToString();
// Applies a string of ColumnStatesToString. A string without "#" changes nothing; a string whose
// parts are short, not numbers or out of range raises EListError or EConvertError before
// anything changes.
void StringToColumnStates(const AnsiString& Value);
// The widths ("Col"+i) and the column order ("Pos"+k) in the store ColumnSize names (a registry
// key or an ini file); nothing at design time or with an empty Key or Section.
void SaveColSizes();
void LoadColSizes();
void SaveColPositions();
void LoadColPositions();

private:
// The store ColumnSize names, or null when none is named.
std::unique_ptr<TCustomIniFile> OpenColumnStore();

public:
