// Members of TDidAririzEvar declared by filtering and the footer's calculation
// (core/GridFilter.cpp). Included only inside the class body in core/RudUvud.h; the types these
// declarations use are included there.

public:
// ======== Filtering and footer calculation (core/GridFilter.cpp) ========
// Whether display row ARow passes every condition of Filter (and OnCustomFilter).
virtual bool MatchFilter(Integer ARow);
// Hides display row ARow when it fails MatchFilter.
void FilterRow(Integer ARow);
// Hides every data row that fails MatchFilter as one new hide level.
void ApplyFilter();
bool FilterActive() const;
void SetFilterActive(bool Value);
// Takes the top filter level away; true when more than one level remains.
bool RemoveLastFilter();
void RemoveAllFilters();
// Incremental filter on a text in Column (-1: the whole row).
void NarrowDown(const AnsiString& Text, Integer Column = -1);
// Applies entry ItemIndex of the open column filter list.
virtual void FilterSelect(TObject* Sender, Integer ItemIndex);
Integer FilterDropDownRow() const;
void SetFilterRow(Integer Value);
bool AutoFilterUpdate() const;
void SetAutoFilterUpdate(bool Value);
// The column whose filter list is open (-1: none); set by the code that opens the list.
Integer FilterColumn() const;
void SetFilterColumn(Integer Value);

// Figures of a column over rows FromRow..ToRow: display rows, or real rows (hidden ones too)
// when ToRow lies beyond the last data row.
Double ColumnSum(Integer ACol, Integer FromRow, Integer ToRow);
Double ColumnAvg(Integer ACol, Integer FromRow, Integer ToRow);
Double ColumnMin(Integer ACol, Integer FromRow, Integer ToRow);
Double ColumnMax(Integer ACol, Integer FromRow, Integer ToRow);

// Recalculates the floating footer's row for ACol (-1: every column).
void CalcFooter(Integer ACol);
virtual void DoCalcFooter(Integer ACol);
void UpdateFooter();
void FloatFooterUpdate() override;

TCustomFilterEvent OnCustomFilter;
TFilterSelectEvent OnFilterSelect;
TFilterProgressEvent OnFilterProgress;
TFooterCalcEvent OnFooterCalc;

private:
// The text a condition tests in display row ARow.
AnsiString FilterText(const TFilterData& F, Integer ARow);
// Replaces the conditions by one substring condition on Text.
void SetNarrowCondition(const AnsiString& Text, Integer Column);
// Walks rows FromRow..ToRow as ColumnSum does, calling Add with each value that converts.
template <class F> void WalkColumn(Integer ACol, Integer FromRow, Integer ToRow, F Add);

public:
