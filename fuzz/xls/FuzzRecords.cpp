// The BIFF8 record layer on an arbitrary "Workbook" stream: the factory with its CONTINUE
// handling, the record classes' accessors, strings and the shared string table. Beyond "no
// crash, no hang": every record loaded writes back as many bytes as its TotalSize says, and a
// shared string table survives a write and a read with its strings and sizes. The cells, column
// information and merged cells go into a sheet's cell store, which writes what its sizes say
// before and after row and column edits and after values, formulas and formats are set through
// the cell interface. Every cell format converts to the public format and back unchanged, and
// the conditional formats write what their sizes say.

#include "FuzzDocument.h"

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsColInfo.h"
#include "RudUvud/xlsadapter/XlsCondFormats.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsRangeRecords.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsStyles.h"

#include <algorithm>
#include <cstdint>

namespace {

using xlsfuzz::Doc;
void Check(bool Ok)
{
    if (!Ok)
        __builtin_trap();
}

void Exercise(TBaseRecord& R, TSST& Sst)
{
    try {
        if (auto* b = dynamic_cast<TBoundSheetRecord*>(&R)) {
            WideString n = b->GetSheetName();
            b->SetSheetName(n);
        } else if (auto* c = dynamic_cast<TCodeNameRecord*>(&R)) {
            c->SetSheetName(c->GetSheetName());
        } else if (auto* h = dynamic_cast<TPageHeaderFooterRecord*>(&R)) {
            h->SetText(h->GetText());
        } else if (auto* s = dynamic_cast<TStringRecord*>(&R)) {
            s->Value();
        } else if (auto* l = dynamic_cast<TLabelSSTRecord*>(&R)) {
            l->AttachToSST(&Sst);
            l->GetAsRichString();
        } else if (auto* l = dynamic_cast<TLabelRecord*>(&R)) {
            l->GetValue();
        } else if (auto* r = dynamic_cast<TRStringRecord*>(&R)) {
            r->GetAsRichString();
        } else if (auto* row = dynamic_cast<TRowRecord*>(&R)) {
            row->GetXF();
            row->IsModified();
        } else if (auto* w = dynamic_cast<TWindow2Record*>(&R)) {
            w->SetSheetZoom(w->GetSheetZoom());
        } else if (auto* scl = dynamic_cast<TSCLRecord*>(&R)) {
            scl->GetZoom();
        } else if (auto* pane = dynamic_cast<TPaneRecord*>(&R)) {
            pane->EnsureSelectedVisible();
        } else if (auto* pls = dynamic_cast<TPlsRecord*>(&R)) {
            pls->SetPrinterDriverSettings(pls->GetPrinterDriverSettings());
        } else if (auto* setup = dynamic_cast<TSetupRecord*>(&R)) {
            setup->SetValue(setup->GetValue());
        }
    } catch (const EExcelException&) {
    }
}

TSheetInfo SameSheet()
{
    TSheetInfo info;
    info.InsSheet = 0;
    info.FormulaSheet = 0;
    return info;
}

void CheckStore(TCells& Cells, TColInfoList& ColInfo, TMergedCells& Merged)
{
    Doc out;
    const Int64 expected = Cells.TotalSize() + ColInfo.TotalSize() + Merged.TotalSize();
    Cells.SaveToStream(*out.File);
    ColInfo.SaveToStream(*out.File);
    Merged.SaveToStream(*out.File);
    Check(out.File->Get_Position() == expected);
}

// The fonts, formats and cell formats of the stream: every XF reads as a cell format, and that
// format written as a new XF reads the same again (only the parent is not written).
void ExerciseStyles(const TBaseRecordList& Records)
{
    TFontRecordList fonts;
    TFormatRecordList formats;
    TXFRecordList xfs;
    for (Integer i = 0; i < Records.Count(); ++i) {
        TBaseRecord* r = Records.Items(i);
        if (dynamic_cast<TFontRecord*>(r))
            fonts.Add(r->CopyTo());
        else if (dynamic_cast<TFormatRecord*>(r))
            formats.Add(r->CopyTo());
        else if (dynamic_cast<TXFRecord*>(r))
            xfs.Add(r->CopyTo());
        else if (auto* p = dynamic_cast<TPaletteRecord*>(r)) {
            for (Integer c = 0; c < p->GetCount(); ++c)
                p->SetColor(c, p->GetColor(c));
            Check(4 * p->GetCount() + 2 <= p->DataSize());
        }
    }
    BooleanArray used;
    xfs.GetUsedColors(57, fonts, used);
    for (Integer i = 0; i < xfs.Count() && i < 200; ++i) {
        // Each XF is found, at its own place or at an equal one before it.
        Integer at;
        Check(xfs.FindFormat(*xfs.Items(i), at) && at <= i &&
              xfs.Items(at)->DataSize() == xfs.Items(i)->DataSize() &&
              std::equal(xfs.Items(at)->Data().get(), xfs.Items(at)->Data().get() + xfs.Items(at)->DataSize(),
                         xfs.Items(i)->Data().get()));
        try {
            TVovFormat f;
            xfs.Items(i)->VovFormat(fonts, formats, f);
            f.ParentBits = 0;
            TXFRecord back(f, formats, fonts);
            TVovFormat g;
            back.VovFormat(fonts, formats, g);
            // Border colours past the system colour are written as the system colour.
            for (TVovOneBorder* b : {&f.BorderSet.LeftEdge, &f.BorderSet.RightEdge, &f.BorderSet.TopEdge,
                                     &f.BorderSet.BottomEdge})
                b->LineColor = std::min<Integer>(b->LineColor, 64 - 7);
            Check(g == f);
        } catch (const EExcelException&) {
            // A font name or format text that runs past its record.
        }
    }
}

// The conditional formats of the stream read again from it: each writes what its size says,
// before and after row and column edits.
void ExerciseCondFormats(const ByteArray& Document, Int64 Size)
{
    TRangeList list;
    TOle2MemoryStream ms(Document);
    TOle2File F(&ms);
    try {
        F.SelectStream(u"Workbook");
        TRecordHeader h;
        ReadRecordHeader(F, h);
        while (F.Get_Position() - 4 < Size && list.Count() < 1000) {
            auto r = LoadRecords(F, h);
            if (!dynamic_cast<TCondFmtRecord*>(r.get()))
                continue;
            auto c = std::make_unique<TCondFmt>();
            c->LoadFromStream(F, h, std::move(r));
            list.Add(std::move(c));
        }
    } catch (const EExcelException&) {
    }
    auto check = [&] {
        Doc out;
        const Int64 expected = list.TotalSize();
        list.SaveToStream(*out.File);
        Check(out.File->Get_Position() == expected);
    };
    check();
    try {
        const TSheetInfo info = SameSheet();
        list.InsertAndCopyRowsOrCols(0, 2, 5, 2, info, false);
        list.DeleteRowsOrCols(1, 3, info, false);
        list.InsertAndCopyRowsOrCols(3, 4, 1, 1, info, true);
        list.DeleteRowsOrCols(0, 1, info, true);
    } catch (const EExcelException&) {
        // References pushed off the sheet, rule tokens the fix-up refuses.
    }
    check();
}

// The cell interface over the loaded cells: every cell reads, new values and formulas are
// written beside them, rows and columns are fitted, and the store still writes what it says.
void ExerciseCellValues(TCells& Cells, TColInfoList& ColInfo)
{
    TSST sst;
    TCellGlobals g;
    g.SST = &sst;
    TCellValues v(Cells, &ColInfo, g);
    const TCellList& list = Cells.CellList();
    for (Integer r = 0; r < list.Count() && r < 300; ++r)
        for (Integer c = 0; c < 256; c += 17) {
            try {
                v.GetValue(r, c);
                v.GetFormula(r, c);
            } catch (const EExcelException&) {
            }
        }
    try {
        TXlsCellValue x;
        x.CellValue = TXlsVariant::FromString(u"text");
        v.SetValueX2(1, 1, x, {}, false);
        x.CellValue = TXlsVariant::FromNumber(0.07);
        v.SetValueX2(2, 2, x, {}, false);
        x.CellValue = TXlsVariant();
        v.SetValueX2(1, 1, x, {}, false);
        v.SetFormula(3, 3, u"=A1+B2");
        v.SetFormat(4, 4, 20);
        v.RecalcRowHeights(0, 300, true, false, 1);
        v.RecalcColWidths(0, 10, false, 1);
    } catch (const EExcelException&) {
    }
}

// Cells, ROW records, column information and merges of the stream, as one sheet.
void ExerciseStore(const TBaseRecordList& Records)
{
    TColInfoList colInfo;
    TCells cells(&colInfo);
    TMergedCells merged;
    try {
        for (Integer i = 0; i < Records.Count(); ++i) {
            TBaseRecord* r = Records.Items(i);
            if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r)) {
                auto copy = mul->CopyTo();
                cells.AddMultipleCells(static_cast<TMultipleValueRecord&>(*copy));
            } else if (auto* row = dynamic_cast<TRowRecord*>(r)) {
                cells.AddRow(std::unique_ptr<TRowRecord>(static_cast<TRowRecord*>(row->CopyTo().release())));
            } else if (auto* cell = dynamic_cast<TCellRecord*>(r)) {
                cell->GetValue();
                if (dynamic_cast<TFormulaRecord*>(cell) || dynamic_cast<TLabelSSTRecord*>(cell))
                    continue; // their own upkeep needs the workbook's tables
                const Integer at = cell->GetRow();
                cells.AddCell(
                    std::unique_ptr<TCellRecord>(static_cast<TCellRecord*>(cell->CopyTo().release())), at);
            } else if (auto* ci = dynamic_cast<TColInfoRecord*>(r)) {
                colInfo.AddRecord(*ci);
            } else if (r->Id() == xlr_MERGEDCELLS) {
                TMergedCells m;
                m.LoadFromRecord(*r);
                for (const TExcelRange& x : m.Ranges().Items)
                    merged.MergeCells(x.R1, x.C1, x.R2, x.C2);
            }
        }
    } catch (const EExcelException&) {
    }
    cells.FixRows();
    CheckStore(cells, colInfo, merged);
    ExerciseCellValues(cells, colInfo);
    CheckStore(cells, colInfo, merged);
    try {
        const TSheetInfo info = SameSheet();
        cells.InsertAndCopyRows(0, 2, 5, 2, info, false);
        merged.InsertAndCopyRowsOrCols(0, 2, 5, 2, info, false);
        cells.DeleteRows(1, 3, info);
        merged.DeleteRowsOrCols(1, 3, info, false);
        cells.InsertAndCopyCols(1, 2, 0, 1, info, false);
        cells.DeleteCols(0, 1, info);
        merged.DeleteRowsOrCols(0, 1, info, true);
    } catch (const EExcelException&) {
        // Rows or columns pushed off the sheet are refused.
    }
    CheckStore(cells, colInfo, merged);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // The input is the stream itself.
    Doc source;
    source.File->WriteMem(Data, static_cast<Integer>(Size));
    ByteArray stream = source.Finish();
    TOle2MemoryStream ms(source.Out.Bytes());
    TOle2File f(&ms);
    f.SelectStream(u"Workbook");

    TSST sst;
    TBaseRecordList records;
    try {
        TRecordHeader h;
        ReadRecordHeader(f, h);
        while (f.Get_Position() - 4 < static_cast<Int64>(Size) && records.Count() < 100000) {
            auto r = LoadRecords(f, h);
            if (auto* s = dynamic_cast<TSSTRecord*>(r.get()))
                sst.Load(*s);
            records.Add(std::move(r));
        }
    } catch (const EExcelException&) {
    }
    sst.Sort();
    for (Integer i = 0; i < records.Count(); ++i) {
        Exercise(*records.Items(i), sst);
        auto copy = records.Items(i)->CopyTo();
        Check(copy->TotalSize() == records.Items(i)->TotalSize());
    }

    ExerciseStore(records);
    ExerciseStyles(records);
    ExerciseCondFormats(source.Out.Bytes(), static_cast<Int64>(Size));

    // The records write back exactly what their sizes say.
    Doc out;
    Int64 expected = records.ComputedTotalSize();
    records.SaveToStream(*out.File);
    Check(out.File->Get_Position() == expected);

    // The shared strings, referenced once each, survive a write and a read.
    for (Integer i = 0; i < sst.Count(); ++i)
        sst.IncRef(sst.GetItems(i));
    Doc table;
    sst.SaveToStream(*table.File);
    Check(table.File->Get_Position() == sst.TotalSize());
    ByteArray written = table.Finish();
    TOle2MemoryStream ts(table.Out.Bytes());
    TOle2File tf(&ts);
    tf.SelectStream(u"Workbook");
    TRecordHeader h;
    ReadRecordHeader(tf, h);
    auto rec = LoadRecords(tf, h);
    TSST back;
    back.Load(dynamic_cast<TSSTRecord&>(*rec));
    Check(back.Count() == sst.Count());
    for (Integer i = 0; i < sst.Count(); ++i) {
        Check(back.EntryText(back.GetItems(i)) == sst.EntryText(sst.GetItems(i)));
        Check(back.EntryRuns(back.GetItems(i)) == sst.EntryRuns(sst.GetItems(i)));
    }
    return 0;
}
