#include "RudUvud/xlsadapter/XlsSheet.h"

#include "RudUvud/xlsadapter/XlsCondFormats.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsTemplate.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

using namespace zivXlsMessages;

namespace {

constexpr Word xlr_WINDOW2 = 0x023E;
constexpr Word xlr_DEFCOLWIDTH = 0x0055;
constexpr Word xlr_STANDARDWIDTH = 0x0099;
constexpr Word xlr_DEFAULTROWHEIGHT = 0x0225;
constexpr Word xlr_DIMENSIONS = 0x0200;
constexpr Word xlr_ROW = 0x0208;
constexpr Word xlr_BOF = 0x0809;
constexpr Word xlr_CODENAME = 0x01BA;

template <class T> void Slot(T*& Ptr, TBaseRecord* Rec)
{
    if (auto* r = dynamic_cast<T*>(Rec))
        Ptr = r;
}

template <class T> std::unique_ptr<T> Cast(std::unique_ptr<TBaseRecord>& Rec)
{
    return std::unique_ptr<T>(static_cast<T*>(Rec.release()));
}

template <class T> std::unique_ptr<T> CopyOf(const T& Rec)
{
    std::unique_ptr<TBaseRecord> copy = Rec.CopyTo();
    return Cast<T>(copy);
}

} // namespace

void TSheetRecordCache::Take(TBaseRecord* Rec)
{
    if (!Rec)
        return;
    switch (Rec->Id()) {
    case 0x023E:
        Slot(Window2, Rec);
        break;
    case 0x00A0:
        Slot(Zoom, Rec);
        break;
    case 0x0015:
        Slot(PageFooter, Rec);
        break;
    case 0x0014:
        Slot(PageHeader, Rec);
        break;
    case 0x002B:
        Slot(PrintGridLines, Rec);
        break;
    case 0x0026:
        Slot(LeftMargin, Rec);
        break;
    case 0x0027:
        Slot(RightMargin, Rec);
        break;
    case 0x0028:
        Slot(TopMargin, Rec);
        break;
    case 0x0029:
        Slot(BottomMargin, Rec);
        break;
    case 0x00A1:
        Slot(Setup, Rec);
        break;
    case 0x004D:
        Slot(Pls, Rec);
        break;
    case 0x0081:
        Slot(WsBool, Rec);
        break;
    case 0x0083:
        Slot(HCenter, Rec);
        break;
    case 0x0084:
        Slot(VCenter, Rec);
        break;
    case 0x0041:
        Slot(Pane, Rec);
        break;
    case 0x0080:
        Slot(Guts, Rec);
        break;
    case 0x000F:
        Slot(RefMode, Rec);
        break;
    case 0x009D:
        Slot(AutoFilterInfo, Rec);
        break;
    default:
        break;
    }
}

void TSheetRecordCache::Forget(const TBaseRecord* Rec)
{
    if (Window2 == Rec)
        Window2 = nullptr;
    if (PageHeader == Rec)
        PageHeader = nullptr;
    if (PageFooter == Rec)
        PageFooter = nullptr;
    if (PrintGridLines == Rec)
        PrintGridLines = nullptr;
    if (LeftMargin == Rec)
        LeftMargin = nullptr;
    if (RightMargin == Rec)
        RightMargin = nullptr;
    if (TopMargin == Rec)
        TopMargin = nullptr;
    if (BottomMargin == Rec)
        BottomMargin = nullptr;
    if (Setup == Rec)
        Setup = nullptr;
    if (Pls == Rec)
        Pls = nullptr;
    if (WsBool == Rec)
        WsBool = nullptr;
    if (HCenter == Rec)
        HCenter = nullptr;
    if (VCenter == Rec)
        VCenter = nullptr;
    if (Zoom == Rec)
        Zoom = nullptr;
    if (Guts == Rec)
        Guts = nullptr;
    if (Pane == Rec)
        Pane = nullptr;
    if (AutoFilterInfo == Rec)
        AutoFilterInfo = nullptr;
    if (RefMode == Rec)
        RefMode = nullptr;
}

// ---- TSheet --------------------------------------------------------------------------------------

void TSheet::Clear()
{
    TBaseSection::Clear();
    FCache.Clear();
}

Int64 TSheet::TotalSize()
{
    return TBaseSection::TotalSize() + (FCodeName ? FCodeName->TotalSize() : 0);
}

Int64 TSheet::TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange)
{
    return TBaseSection::TotalRangeSize(SheetIndex, CellRange) + (FCodeName ? FCodeName->TotalSize() : 0);
}

std::unique_ptr<TSheet> TSheet::DoCopyTo() const
{
    std::unique_ptr<TSheet> copy = Create(FWorkbookGlobals);
    if (FBOF)
        copy->FBOF = CopyOf(*FBOF);
    if (FEOF)
        copy->FEOF = CopyOf(*FEOF);
    return copy;
}

// ---- TWorkSheet ----------------------------------------------------------------------------------

TWorkSheet::TWorkSheet(TWorkbookGlobals* aWorkbookGlobals)
    : TSheet(aWorkbookGlobals), FDrawing(aWorkbookGlobals ? &aWorkbookGlobals->DrawingGroup() : nullptr)
{
    FPrintList = &FFrontList;
}

TWorkSheet::TWorkSheet(TWorkbookGlobals* aWorkbookGlobals, TSST* SST) : TWorkSheet(aWorkbookGlobals)
{
    LoadFromTemplate(SST);
}

void TWorkSheet::LoadFromTemplate(TSST* SST)
{
    TXlsTemplateDocument doc;
    TOle2File& f = doc.File();
    TRecordHeader header;
    ReadRecordHeader(f, header);
    // The template's globals section is passed over.
    for (;;) {
        if (f.NextEof(3))
            XlsError(ErrExcelInvalid);
        const Word id = header.Id;
        std::unique_ptr<TBaseRecord> r = LoadRecords(f, header);
        if (id == xlr_EOF)
            break;
    }
    std::unique_ptr<TBaseRecord> r = LoadRecords(f, header);
    if (!dynamic_cast<TBOFRecord*>(r.get()))
        XlsError(ErrExcelInvalid);
    LoadFromStream(f, header, Cast<TBOFRecord>(r), SST);
}

void TWorkSheet::ClearValues()
{
    Clear();
    LoadFromTemplate(FWorkbookGlobals ? &FWorkbookGlobals->SST() : nullptr);
}

std::unique_ptr<TSheet> TWorkSheet::DoCopyTo() const
{
    std::unique_ptr<TSheet> result = TSheet::DoCopyTo();
    auto& c = static_cast<TWorkSheet&>(*result);
    c.FFrontList.CopyFrom(&FFrontList);
    c.FWindowList.CopyFrom(&FWindowList);
    c.FHPageBreaks.CopyFrom(FHPageBreaks);
    c.FVPageBreaks.CopyFrom(FVPageBreaks);
    // Columns and rows first: the copied drawing places its shapes on the copy's sizes, which
    // are the source's.
    c.FColInfoList.CopyFrom(FColInfoList);
    c.FCells.CopyFrom(FCells);
    c.FDrawing.CopyFrom(FDrawing, c.EscherSheet());
    c.FRangeList.CopyFrom(FRangeList);
    c.FNotes.CopyFrom(FNotes);
    c.FHLinks.CopyFrom(FHLinks);
    // The copied notes still borrow the source's boxes: they take the copies, which keep the
    // object ids.
    c.FNotes.FixDwgIds(c.FDrawing);
    c.FDefColWidth = FDefColWidth;
    c.FDefRowHeight = FDefRowHeight;
    c.FixCachePointers();
    return result;
}

void TWorkSheet::InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow,
                                          Integer RowCount, Integer FirstCol, Integer LastCol,
                                          Integer DestCol, Integer ColCount, const TSheetInfo& SheetInfo,
                                          bool OnlyFormulas)
{
    if (RowCount > 0) {
        const auto w = [](Integer V) { return static_cast<Word>(V); };
        FCells.InsertAndCopyRows(w(FirstRow), w(LastRow), w(DestRow), w(RowCount), SheetInfo, OnlyFormulas);
        FRangeList.InsertAndCopyRowsOrCols(FirstRow, LastRow, DestRow, RowCount, SheetInfo, false);
        // Comments are copied with their rows whether or not only formulas are.
        FNotes.InsertAndCopyRows(w(FirstRow), w(LastRow), w(DestRow), w(RowCount), SheetInfo, false);
        FHPageBreaks.InsertRows(DestRow, RowCount * (LastRow - FirstRow + 1));
        FHLinks.InsertAndCopyRange({0, FirstRow, 255, LastRow}, DestRow, 0, RowCount, 0, SheetInfo);
    }
    if (ColCount > 0) {
        const auto w = [](Integer V) { return static_cast<Word>(V); };
        FCells.InsertAndCopyCols(w(FirstCol), w(LastCol), w(DestCol), w(ColCount), SheetInfo, OnlyFormulas);
        FRangeList.InsertAndCopyRowsOrCols(FirstCol, LastCol, DestCol, ColCount, SheetInfo, true);
        FNotes.InsertAndCopyCols(w(FirstCol), w(LastCol), w(DestCol), w(ColCount), SheetInfo, false);
        FVPageBreaks.InsertCols(DestCol, ColCount * (LastCol - FirstCol + 1));
        FHLinks.InsertAndCopyRange({FirstCol, 0, LastCol, 65535}, 0, DestCol, 0, ColCount, SheetInfo);
    }
    FDrawing.InsertAndCopyRowsAndCols(FirstRow, LastRow, DestRow, RowCount, FirstCol, LastCol, DestCol,
                                      ColCount, SheetInfo, EscherSheet());
}

void TWorkSheet::DeleteRowsAndCols(Word Row, Word RowCount, Word Col, Word ColCount,
                                   const TSheetInfo& SheetInfo)
{
    if (RowCount != 0) {
        FCells.DeleteRows(Row, RowCount, SheetInfo);
        FDrawing.DeleteRows(Row, RowCount, SheetInfo, EscherSheet());
        FRangeList.DeleteRowsOrCols(Row, RowCount, SheetInfo, false);
        FNotes.DeleteRows(Row, RowCount, SheetInfo);
        FHPageBreaks.DeleteRows(Row, RowCount);
        FHLinks.DeleteRange({0, Row, 255, Row + RowCount - 1}, 1, 0, SheetInfo);
    }
    if (ColCount != 0) {
        FCells.DeleteCols(Col, ColCount, SheetInfo);
        FDrawing.DeleteCols(Col, ColCount, SheetInfo, EscherSheet());
        FRangeList.DeleteRowsOrCols(Col, ColCount, SheetInfo, true);
        FNotes.DeleteCols(Col, ColCount, SheetInfo);
        FVPageBreaks.DeleteCols(Col, ColCount);
        FHLinks.DeleteRange({Col, 0, Col + ColCount - 1, 65535}, 0, 1, SheetInfo);
    }
}

void TWorkSheet::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                          const TSheetInfo& SheetInfo)
{
    FCells.ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo);
    FDrawing.ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo, EscherSheet());
}

void TWorkSheet::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    FCells.ArrangeInsertSheet(SheetInfo);
    FDrawing.ArrangeCopySheet(SheetInfo);
}

std::vector<TLoosePicture> TWorkSheet::LoosePictures() const
{
    std::vector<TLoosePicture> pictures;
    FindLoosePictures(FFrontList, pictures);
    FindLoosePictures(FWindowList, pictures);
    return pictures;
}

void TWorkSheet::Clear()
{
    TSheet::Clear();
    FRangeList.Items.clear();
    FCells.Clear();
    // A note removes its box from the drawing when it goes.
    FNotes.Clear();
    FDrawing.Clear();
    FHLinks.Clear();
    FDrawingDropped = false;
    FColInfoList.Clear();
    FHPageBreaks.Clear();
    FVPageBreaks.Clear();
    FFrontList.Clear();
    FWindowList.Clear();
}

void TWorkSheet::FixCachePointers()
{
    TSheet::FixCachePointers();
    for (Integer i = 0; i < FFrontList.Count(); ++i)
        FCache.Take(FFrontList.Items(i));
    for (Integer i = 0; i < FWindowList.Count(); ++i)
        FCache.Take(FWindowList.Items(i));
}

void TWorkSheet::LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader,
                                std::unique_ptr<TBOFRecord> First, TSST* SST)
{
    Clear();
    TBaseRecordList* current = &FFrontList;
    TShrFmlaRecordList shrFmlas;
    TFormulaRecord* lastFormula = nullptr;
    std::unique_ptr<TBaseRecord> outsideFormula; // see below
    bool standardWidth = false;
    Integer defWidthChars = 8;
    ByteArray body(16); // the data of the cell records read without a record object
    for (;;) {
        const Word id = RecordHeader.Id;
        std::unique_ptr<TBaseRecord> r;
        // The plain value cells that make up nearly all of a large sheet go to the cell table
        // as their bytes, no record object made, unless a CONTINUE or the like follows them.
        // MULRK and MULBLANK runs go in as their cells the same way.
        // ROW records the same way, into a record made directly.
        const bool run = (id == xlr_MULRK || id == xlr_MULBLANK) && RecordHeader.Size >= 6;
        const bool row = id == xlr_ROW && RecordHeader.Size == 16;
        if (run || row || (TPlainCell::BodySize(id) != 0 && RecordHeader.Size == TPlainCell::BodySize(id))) {
            const Word size = RecordHeader.Size;
            // Read where the document holds it when it can be (it stays valid while the record
            // header after it is read, as that header is the next bytes).
            const Byte* data = DataStream.ReadInPlace(size);
            if (!data) {
                if (body.size() < size)
                    body.resize(size);
                DataStream.ReadMem(body.data(), size);
                data = body.data();
            }
            ReadRecordHeader(DataStream, RecordHeader);
            if (!IsRecordTail(RecordHeader.Id)) {
                if (row)
                    FCells.AddRow(std::make_unique<TRowRecord>(id, TRecordBody(data, data + size)));
                else if (run)
                    FCells.AddRun(id, data, size);
                else
                    FCells.AddPlainCell(id, data, SST);
                continue;
            }
            r = CreateRecordById(id, TRecordBody(data, data + size));
            LoadRecordTail(DataStream, RecordHeader, *r);
        } else {
            r = LoadRecords(DataStream, RecordHeader);
        }
        // The other cell records of these ids go straight to the cell table too: their ids
        // always make these classes, so the class tests below are not needed.
        if (IsPlainValueCellId(id)) {
            if (static_cast<TCellRecord&>(*r).GetColumn() > XlsWholeSheet.LastCol)
                continue; // see TCells::AddCell; dropped before its label takes a shared string
            if (id == xlr_LABELSST)
                static_cast<TLabelSSTRecord&>(*r).AttachToSST(SST);
            const Integer row = static_cast<TCellRecord&>(*r).GetRow();
            FCells.AddCell(Cast<TCellRecord>(r), row);
            continue;
        }
        if (id == xlr_MULRK || id == xlr_MULBLANK) {
            FCells.AddMultipleCells(static_cast<TMultipleValueRecord&>(*r));
            continue;
        }
        if (id == xlr_ROW) {
            FCells.AddRow(Cast<TRowRecord>(r));
            continue;
        }
        if (id == xlr_WINDOW2)
            current = &FWindowList;
        if (auto* cell = dynamic_cast<TCellRecord*>(r.get());
            cell && cell->GetColumn() > XlsWholeSheet.LastCol) {
            // A cell right of the last column is not loaded (see TCells::AddCell). A formula
            // there is still what a following STRING or SHRFMLA belongs to: it is kept aside
            // until the next formula comes.
            if (auto* f = dynamic_cast<TFormulaRecord*>(cell)) {
                lastFormula = f;
                outsideFormula = std::move(r);
            }
            continue;
        }
        FCache.Take(r.get());
        if (auto* f = dynamic_cast<TFormulaRecord*>(r.get()))
            lastFormula = f;
        if (id == xlr_DEFCOLWIDTH) {
            const Word chars = GetWord(r->Data(), 0);
            if (!(standardWidth && chars == 8)) {
                FDefColWidth = DefColWidthAdapt * chars;
                defWidthChars = chars;
            }
        } else if (id == xlr_STANDARDWIDTH) {
            if (defWidthChars == 8) {
                FDefColWidth = GetWord(r->Data(), 0);
                standardWidth = true;
            }
        } else if (id == xlr_DEFAULTROWHEIGHT) {
            FDefRowHeight = static_cast<TDefRowHeightRecord&>(*r).Height();
        }
        if (auto* label = dynamic_cast<TLabelSSTRecord*>(r.get()))
            label->AttachToSST(SST);
        if (id == xlr_BOF)
            XlsError(ErrExcelInvalid);

        if (dynamic_cast<TDrawingRecord*>(r.get())) {
            if (!FDrawingDropped) {
                try {
                    FDrawing.LoadFromStream(DataStream, RecordHeader, std::move(r), SST);
                } catch (const EExcelException&) {
                    // The drawing has emptied itself; what it did not take of its records is
                    // dropped below.
                    FDrawingDropped = true;
                }
            }
        } else if (FDrawingDropped && (id == xlr_OBJ || id == xlr_TXO)) {
            // the shapes of a drawing that could not be read
        } else if (dynamic_cast<TIgnoreRecord*>(r.get())) {
            // not kept
        } else if (id == xlr_DIMENSIONS) {
            FFileDimensions = static_cast<TDimensionsRecord&>(*r).Dim();
            FCells.CellList().ReserveFor(FFileDimensions);
            FCells.RowList().Reserve(
                static_cast<Integer>(std::min<LongWord>(FFileDimensions.LastRow, 65536)));
        } else if (auto* note = dynamic_cast<TNoteRecord*>(r.get())) {
            const Integer row = note->GetRow();
            FNotes.AddRecord(Cast<TNoteRecord>(r), row);
        } else if (id == xlr_HLINK) {
            FHLinks.Add(std::move(r));
        } else if (auto* ci = dynamic_cast<TColInfoRecord*>(r.get())) {
            FColInfoList.AddRecord(*ci);
        } else if (auto* cell = dynamic_cast<TCellRecord*>(r.get())) {
            const Integer row = cell->GetRow();
            FCells.AddCell(Cast<TCellRecord>(r), row);
        } else if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r.get())) {
            FCells.AddMultipleCells(*mul);
        } else if (id == xlr_ROW) {
            FCells.AddRow(Cast<TRowRecord>(r));
        } else if (id == xlr_MERGEDCELLS) {
            auto merged = std::make_unique<TMergedCells>();
            merged->LoadFromRecord(*r);
            FRangeList.Add(std::move(merged));
        } else if (id == xlr_CONDFMT) {
            auto condFmt = std::make_unique<TCondFmt>();
            condFmt->LoadFromStream(DataStream, RecordHeader, std::move(r));
            FRangeList.Add(std::move(condFmt));
        } else if (id == xlr_SHRFMLA) {
            if (!lastFormula)
                XlsError(ErrExcelInvalid);
            auto* shr = static_cast<TShrFmlaRecord*>(r.get());
            shr->AnchorKey = lastFormula->GetRow() + (LongWord(lastFormula->GetColumn()) << 16);
            shrFmlas.Add(std::move(r));
        } else if (id == xlr_HORIZONTALPAGEBREAKS || id == xlr_VERTICALPAGEBREAKS) {
            if (auto* pb = dynamic_cast<TPageBreakRecord*>(r.get())) {
                if (id == xlr_HORIZONTALPAGEBREAKS)
                    FHPageBreaks.AddRecord(*pb);
                else
                    FVPageBreaks.AddRecord(*pb);
            }
        } else if (id == xlr_STRING) {
            if (!lastFormula)
                XlsError(ErrExcelInvalid);
            lastFormula->SetFormulaValue(TXlsVariant::FromString(static_cast<TStringRecord&>(*r).Value()));
        } else if (id == xlr_EOF) {
            FEOF = Cast<TEOFRecord>(r);
            break;
        } else if (id == xlr_CODENAME) {
            FCodeName = Cast<TCodeNameRecord>(r);
        } else {
            current->Add(std::move(r));
        }
    }
    FNotes.FixDwgIds(FDrawing);
    FCells.CellList().FixFormulas(&shrFmlas);
    FDrawing.SaveObjectCoords(EscherSheet());
    FCells.FixRows();
    FBOF = std::move(First);
}

void TWorkSheet::SaveParts(TOle2File& DataStream, const TXlsCellRange* Range)
{
    if (!FBOF || !FEOF)
        XlsError(ErrSectionNotLoaded);
    FBOF->SaveToStream(DataStream);
    if (FCache.Guts && FCache.Guts->RecalcNeeded) {
        FCells.RowList().CalcGuts(FCache.Guts);
        FColInfoList.CalcGuts(FCache.Guts);
        FCache.Guts->RecalcNeeded = false;
    }
    FFrontList.SaveToStream(DataStream);
    if (Range) {
        FHPageBreaks.SaveRangeToStream(DataStream, *Range);
        FVPageBreaks.SaveRangeToStream(DataStream, *Range);
        FColInfoList.SaveRangeToStream(DataStream, *Range);
        FCells.SaveRangeToStream(DataStream, *Range);
        FNotes.SaveRangeToStream(DataStream, *Range);
    } else {
        FHPageBreaks.SaveToStream(DataStream);
        FVPageBreaks.SaveToStream(DataStream);
        FColInfoList.SaveToStream(DataStream);
        FCells.SaveToStream(DataStream);
        FDrawing.SaveToStream(DataStream);
        FNotes.SaveToStream(DataStream);
    }
    FWindowList.SaveToStream(DataStream);
    if (Range) {
        FRangeList.SaveRangeToStream(DataStream, *Range);
        FHLinks.SaveRangeToStream(DataStream, *Range);
    } else {
        FRangeList.SaveToStream(DataStream);
        FHLinks.SaveToStream(DataStream);
    }
    if (FCodeName)
        FCodeName->SaveToStream(DataStream);
    FEOF->SaveToStream(DataStream);
}

void TWorkSheet::SaveToStream(TOle2File& DataStream)
{
    SaveParts(DataStream, nullptr);
}

void TWorkSheet::SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex, const TXlsCellRange& CellRange)
{
    SaveParts(DataStream, &CellRange);
}

Int64 TWorkSheet::TotalSize()
{
    return TSheet::TotalSize() + FFrontList.GetTotalSize() + FHPageBreaks.TotalSize() +
           FVPageBreaks.TotalSize() + FColInfoList.TotalSize() + FCells.TotalSize() + FDrawing.TotalSize() +
           FNotes.TotalSize() + FWindowList.GetTotalSize() + FRangeList.TotalSize() + FHLinks.TotalSize();
}

Int64 TWorkSheet::TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange)
{
    return TSheet::TotalRangeSize(SheetIndex, CellRange) + FFrontList.GetTotalSize() +
           FHPageBreaks.TotalRangeSize(CellRange) + FVPageBreaks.TotalRangeSize(CellRange) +
           FColInfoList.TotalRangeSize(CellRange) + FCells.TotalRangeSize(CellRange, false) +
           FNotes.TotalRangeSize(CellRange, false) + FWindowList.GetTotalSize() +
           FRangeList.TotalRangeSize(CellRange) + FHLinks.TotalRangeSize(CellRange);
}

Int64 TWorkSheet::FixTotalSize(bool Recalc)
{
    if (Recalc)
        FCells.FixTotalSize(true);
    return TotalSize();
}

// ---- TVovChart -----------------------------------------------------------------------------------

TVovChart::TVovChart(TWorkbookGlobals* aWorkbookGlobals) : TSheet(aWorkbookGlobals)
{
    FPrintList = &FChartRecords;
}

void TVovChart::Clear()
{
    TSheet::Clear();
    FChartRecords.Clear();
    FTrailingData.reset();
}

void TVovChart::FixCachePointers()
{
    TSheet::FixCachePointers();
    // As when loading, only the records outside every BEGIN..END block count.
    Integer depth = 0;
    for (Integer i = 0; i < FChartRecords.Count(); ++i) {
        TBaseRecord* r = FChartRecords.Items(i);
        if (!r)
            continue;
        if (depth == 0)
            FCache.Take(r);
        if (r->Id() == xlr_CHARTBEGIN)
            ++depth;
        else if (r->Id() == xlr_CHARTEND && depth > 0)
            --depth;
    }
}

void TVovChart::LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader,
                               std::unique_ptr<TBOFRecord> First, TSST* SST)
{
    Clear();
    // The BEGIN..END levels are counted rather than recursed into, so that no file can nest them
    // deeper than the stack allows.
    Integer depth = 0;
    for (;;) {
        const Word id = RecordHeader.Id;
        std::unique_ptr<TBaseRecord> r = LoadRecords(DataStream, RecordHeader);
        if (depth == 0)
            FCache.Take(r.get());
        if (id == xlr_BOF)
            XlsError(ErrExcelInvalid);
        if (auto* label = dynamic_cast<TLabelSSTRecord*>(r.get())) {
            label->AttachToSST(SST);
            FChartRecords.Add(std::move(r));
        } else if (dynamic_cast<TIgnoreRecord*>(r.get())) {
            // not kept
        } else if (id == xlr_DIMENSIONS) {
            if (auto* dim = dynamic_cast<TDimensionsRecord*>(r.get()))
                FFileDimensions = dim->Dim();
        } else if (id == xlr_EOF) {
            // An EOF ends the chart at any level: what followed it would belong to the next
            // section.
            FEOF = Cast<TEOFRecord>(r);
            FTrailingData = FEOF->ReleaseContinue();
            break;
        } else if (id == xlr_CODENAME) {
            FCodeName = Cast<TCodeNameRecord>(r);
        } else if (id == xlr_CHARTBEGIN) {
            FChartRecords.Add(std::move(r));
            if (++depth > MaxNesting)
                XlsError(ErrExcelInvalid);
        } else if (id == xlr_CHARTEND) {
            FChartRecords.Add(std::move(r));
            if (depth == 0)
                break;
            --depth;
        } else {
            FChartRecords.Add(std::move(r));
        }
    }
    FBOF = std::move(First);
}

void TSheet::SaveRecordsBetweenBofAndEof(TOle2File& DataStream, TBaseRecordList& Records)
{
    if (!FBOF || !FEOF)
        XlsError(ErrSectionNotLoaded);
    FBOF->SaveToStream(DataStream);
    Records.SaveToStream(DataStream);
    if (FCodeName)
        FCodeName->SaveToStream(DataStream);
    FEOF->SaveToStream(DataStream);
}

void TVovChart::SaveToStream(TOle2File& DataStream)
{
    SaveRecordsBetweenBofAndEof(DataStream, FChartRecords);
}

Int64 TVovChart::TotalSize()
{
    return TSheet::TotalSize() + FChartRecords.GetTotalSize();
}

std::unique_ptr<TSheet> TVovChart::DoCopyTo() const
{
    std::unique_ptr<TSheet> result = TSheet::DoCopyTo();
    auto& c = static_cast<TVovChart&>(*result);
    c.FChartRecords.CopyFrom(&FChartRecords);
    c.FixCachePointers();
    return result;
}

void TVovChart::SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text)
{
    Rec->SetText(Text);
}

void TVovChart::AddZoomRecord()
{
    InsertCached(FChartRecords, FChartRecords.Count(), std::make_unique<TSCLRecord>(100));
}

// ---- TVovUnsupportedSheet ------------------------------------------------------------------------

std::unique_ptr<TSheet> TVovUnsupportedSheet::DoCopyTo() const
{
    std::unique_ptr<TSheet> result = TSheet::DoCopyTo();
    auto& c = static_cast<TVovUnsupportedSheet&>(*result);
    c.FSheetRecords.CopyFrom(&FSheetRecords);
    c.FixCachePointers();
    return result;
}

TVovUnsupportedSheet::TVovUnsupportedSheet(TWorkbookGlobals* aWorkbookGlobals) : TSheet(aWorkbookGlobals)
{
    FPrintList = &FSheetRecords;
}

void TVovUnsupportedSheet::Clear()
{
    TSheet::Clear();
    FSheetRecords.Clear();
}

void TVovUnsupportedSheet::FixCachePointers()
{
    TSheet::FixCachePointers();
    for (Integer i = 0; i < FSheetRecords.Count(); ++i)
        FCache.Take(FSheetRecords.Items(i));
}

void TVovUnsupportedSheet::LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader,
                                          std::unique_ptr<TBOFRecord> First, TSST* SST)
{
    Clear();
    for (;;) {
        const Word id = RecordHeader.Id;
        std::unique_ptr<TBaseRecord> r = LoadRecords(DataStream, RecordHeader);
        FCache.Take(r.get());
        if (auto* label = dynamic_cast<TLabelSSTRecord*>(r.get()))
            label->AttachToSST(SST);
        if (id == xlr_BOF)
            XlsError(ErrExcelInvalid);
        if (dynamic_cast<TIgnoreRecord*>(r.get())) {
            // not kept
        } else if (id == xlr_DIMENSIONS) {
            if (auto* dim = dynamic_cast<TDimensionsRecord*>(r.get()))
                FFileDimensions = dim->Dim();
        } else if (id == xlr_EOF) {
            FEOF = Cast<TEOFRecord>(r);
            break;
        } else if (id == xlr_CODENAME) {
            FCodeName = Cast<TCodeNameRecord>(r);
        } else {
            FSheetRecords.Add(std::move(r));
        }
    }
    FBOF = std::move(First);
}

void TVovUnsupportedSheet::SaveToStream(TOle2File& DataStream)
{
    SaveRecordsBetweenBofAndEof(DataStream, FSheetRecords);
}

Int64 TVovUnsupportedSheet::TotalSize()
{
    return TSheet::TotalSize() + FSheetRecords.GetTotalSize();
}
