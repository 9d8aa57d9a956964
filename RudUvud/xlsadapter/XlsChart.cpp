#include "RudUvud/xlsadapter/XlsChart.h"

#include "RudUvud/xlsadapter/XlsTokenArray.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {

constexpr Integer AIFormulaStart = 8;

template <class Fn> void FixTokens(TChartAIRecord& Rec, Fn&& Fix)
{
    const Integer size = Rec.FormulaSize();
    if (size <= 0)
        return;
    try {
        Fix(Rec.Data(), AIFormulaStart, AIFormulaStart + size);
    } catch (const ETokenException& e) {
        XlsError(ErrBadChartFormula, {Int64(e.TokenId)});
    }
}

} // namespace

TChartAIRecord::TChartAIRecord(Word aId, TRecordBody aData) : TChartRecord(aId, std::move(aData))
{
    // The fix-ups walk the formula in place: it must lie inside the data.
    if (DataSize() < AIFormulaStart || AIFormulaStart + FormulaSize() > DataSize())
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

void TChartAIRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                              Integer ColCount, const TSheetInfo& SheetInfo)
{
    FixTokens(*this, [&](Byte* D, Integer Start, Integer End) {
        UXlsTokenArray_ArrangeInsertRowsAndCols(D, Start, End, RowPos, RowCount, 0, ColPos, ColCount, 0,
                                                SheetInfo, false);
    });
}

void TChartAIRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    const TSheetInfo none;
    FixTokens(*this, [&](Byte* D, Integer Start, Integer End) {
        UXlsTokenArray_ArrangeInsertRowsAndCols(D, Start, End, 0, 0, RowOffset, 0, 0, ColOffset, none, false);
    });
}

void TChartAIRecord::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    FixTokens(*this, [&](Byte* D, Integer Start, Integer End) {
        UXlsTokenArray_ArrangeInsertSheets(D, Start, End, SheetInfo);
    });
}

// ---- TChartRecordList ----------------------------------------------------------------------------

TChartRecordList::~TChartRecordList() = default;

void TChartRecordList::Clear()
{
    FAIRecords.clear();
    TBaseRecordList::Clear();
}

void TChartRecordList::Added(TBaseRecord* Rec)
{
    TBaseRecordList::Added(Rec);
    if (auto* ai = dynamic_cast<TChartAIRecord*>(Rec))
        FAIRecords.push_back(ai);
}

void TChartRecordList::Removed(TBaseRecord* Rec)
{
    TBaseRecordList::Removed(Rec);
    if (auto* ai = dynamic_cast<TChartAIRecord*>(Rec))
        std::erase(FAIRecords, ai);
}

void TChartRecordList::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                                Integer ColCount, const TSheetInfo& SheetInfo)
{
    for (TChartAIRecord* ai : FAIRecords)
        ai->ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo);
}

void TChartRecordList::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    for (TChartAIRecord* ai : FAIRecords)
        ai->ArrangeCopyRowsAndCols(RowOffset, ColOffset);
}

void TChartRecordList::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    for (TChartAIRecord* ai : FAIRecords)
        ai->ArrangeCopySheet(SheetInfo);
}
