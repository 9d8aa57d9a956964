#include "RudUvud/xlsadapter/XlsColInfo.h"
#include "RudUvud/xlsadapter/XlsRangeRecords.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace xlstest;

namespace {

// One sheet's cells, column information and merges, as the engine holds them.
struct TSheetParts {
    TColInfoList ColInfo;
    TCells Cells{&ColInfo};
    TMergedCells Merged;
    Int64 CellsStart = 0, CellsEnd = 0; // the sheet's DIMENSIONS .. last cell, in the stream
};

// Reads the first sheet of a workbook stream (the records after the second BOF).
void LoadSheet(const ByteArray& Stream, TSheetParts& P)
{
    BiffStream s(Stream);
    TOle2File& f = *s.File;
    TRecordHeader h;
    ReadRecordHeader(f, h);
    int bofs = 0;
    while (f.Get_Position() - 4 < s.Length) {
        const Int64 at = f.Get_Position() - 4;
        const bool sheet = bofs >= 2;
        if (h.Id == 0x0809)
            ++bofs;
        if (h.Id == 0x0200)
            P.CellsStart = at;
        if (h.Id == xlr_EOF && sheet)
            break; // the stream is padded with zeros after the sheet
        std::unique_ptr<TBaseRecord> r = LoadRecords(f, h);
        if (!sheet)
            continue;
        if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r.get())) {
            P.Cells.AddMultipleCells(*mul);
        } else if (dynamic_cast<TRowRecord*>(r.get())) {
            P.Cells.AddRow(std::unique_ptr<TRowRecord>(static_cast<TRowRecord*>(r.release())));
        } else if (auto* c = dynamic_cast<TCellRecord*>(r.get())) {
            const Integer row = c->GetRow();
            r.release();
            P.Cells.AddCell(std::unique_ptr<TCellRecord>(c), row);
        } else if (auto* ci = dynamic_cast<TColInfoRecord*>(r.get())) {
            P.ColInfo.AddRecord(*ci);
            continue;
        } else if (r->Id() == xlr_MERGEDCELLS) {
            TMergedCells m;
            m.LoadFromRecord(*r);
            for (const TExcelRange& x : m.Ranges().Items)
                P.Merged.MergeCells(x.R1, x.C1, x.R2, x.C2);
            continue;
        } else
            continue;
        P.CellsEnd = f.Get_Position() - 4;
    }
    P.Cells.FixRows();
}

// The listing the fixture script writes from xlrd, made from the engine's view.
std::string Listing(TSheetParts& P)
{
    std::ostringstream out;
    TCellList& list = P.Cells.CellList();
    for (Integer r = 0; r < list.Count(); ++r) {
        TCellRecordList* row = list.GetCells(r);
        if (!row)
            continue;
        Integer dummy;
        row->Find(0, dummy);
        for (Integer i = 0; i < row->Count(); ++i) {
            TCellRecord* c = row->Items(i);
            TXlsVariant v = c->GetValue();
            out << "cell " << r << " " << c->GetColumn() << " ";
            char num[64];
            switch (c->Id()) {
            case xlr_BLANK:
                out << "6 ";
                break;
            case xlr_BOOLERR:
                if (v.VarType == xvBoolean)
                    out << "4 " << (v.Boolean ? 1 : 0);
                else
                    out << "5 " << UTF8Encode(v.Text);
                break;
            default:
                // xlrd's repr: shortest text that reads back; the type is 3 for date formats.
                snprintf(num, sizeof num, "%.17g", v.Number);
                for (int prec = 1; prec <= 17; ++prec) {
                    snprintf(num, sizeof num, "%.*g", prec, v.Number);
                    if (strtod(num, nullptr) == v.Number)
                        break;
                }
                out << (c->GetXF() == 19 ? "3 " : "2 ") << num;
                break;
            }
            out << " " << c->GetXF() << "\n";
        }
    }
    for (Integer i = 0; i < P.Merged.MergedCount(); ++i) {
        TXlsCellRange m = P.Merged.MergedCell(i);
        out << "merge " << m.FirstRow << " " << m.LastRow << " " << m.FirstCol << " " << m.LastCol << "\n";
    }
    for (Integer i = 0; i < P.ColInfo.Count(); ++i)
        out << "col " << P.ColInfo.Items(i).Column << " " << P.ColInfo.Items(i).Width << " "
            << P.ColInfo.Items(i).XF << "\n";
    return out.str();
}

// xlrd prints floats with repr: "1.0" rather than "1", "1e+300" as is.
std::string Normalise(std::string S)
{
    std::istringstream in(S);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string kind, a, b, type, value, xf;
        l >> kind;
        if (kind != "cell") {
            out << line << "\n";
            continue;
        }
        l >> a >> b >> type;
        if (type == "6") {
            l >> xf;
            out << "cell " << a << " " << b << " 6  " << xf << "\n";
            continue;
        }
        l >> value >> xf;
        if (type == "2" || type == "3") {
            char num[64];
            const double d = strtod(value.c_str(), nullptr);
            snprintf(num, sizeof num, "%.17g", d);
            value = num;
        }
        out << "cell " << a << " " << b << " " << type << " " << value << " " << xf << "\n";
    }
    return out.str();
}

std::string TextFixture(const std::string& Name)
{
    ByteArray b = Fixture(Name);
    return std::string(b.begin(), b.end());
}

} // namespace

TEST(CellsCrossCheck, ReadsWhatXlrdReads)
{
    const ByteArray doc = Fixture("xlwt-cells.xls");
    TSheetParts p;
    LoadSheet(ReadStream(doc, u"Workbook"), p);
    EXPECT_EQ(Normalise(Listing(p)), Normalise(TextFixture("xlwt-cells.txt")));
}

// The cells written back in place of the sheet's own records read the same in xlrd, with runs
// of numbers joined into MULRK records.
TEST(CellsCrossCheck, WrittenCellsReadTheSameInXlrd)
{
    const ByteArray doc = Fixture("xlwt-cells.xls");
    const ByteArray stream = ReadStream(doc, u"Workbook");
    TSheetParts p;
    LoadSheet(stream, p);
    ASSERT_GT(p.CellsEnd, p.CellsStart);
    ByteArray cells = WriteWorkbook([&](TOle2File& f) { p.Cells.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(cells.size()), p.Cells.TotalSize());
    bool joined = false;
    for (size_t at = 0; at + 4 <= cells.size(); at += 4 + GetWord(cells.data(), (Integer)at + 2))
        joined |= GetWord(cells.data(), (Integer)at) == xlr_MULRK;
    EXPECT_TRUE(joined);

    // The sheet's records before DIMENSIONS and after its last cell are kept; the cells between
    // come from the engine. The sheet offset in BOUNDSHEET is before them and stays right.
    ByteArray spliced(stream.begin(), stream.begin() + p.CellsStart);
    spliced.insert(spliced.end(), cells.begin(), cells.end());
    spliced.insert(spliced.end(), stream.begin() + p.CellsEnd, stream.end());
    TSheetParts again;
    LoadSheet(spliced, again);
    EXPECT_EQ(Normalise(Listing(again)), Normalise(TextFixture("xlwt-cells.txt")));

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    TempDir dir;
    TOle2MemoryStream in(doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(spliced.data(), static_cast<Integer>(spliced.size()));
        f.FinishStream();
    }
    SaveFile(dir.File("out.xls"), out.Bytes());
    const std::string script = R"(
import sys, xlrd
sh = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
for r in range(sh.nrows):
    for c in range(sh.ncols):
        cell = sh.cell(r, c)
        if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_BOOLEAN):
            print(r, c, repr(float(cell.value)))
        elif cell.ctype == xlrd.XL_CELL_ERROR:
            print(r, c, xlrd.error_text_from_code[cell.value])
)";
    std::string output;
    ASSERT_EQ(RunPython(script, dir.File("out.xls"), output), 0) << output;
    EXPECT_NE(output.find("5 0 12345.67"), std::string::npos) << output;
    EXPECT_NE(output.find("7 6 60.0"), std::string::npos) << output;
    EXPECT_NE(output.find("10 1 1e+300"), std::string::npos) << output;
    EXPECT_NE(output.find("3 2 #N/A"), std::string::npos) << output;
    EXPECT_NE(output.find("0 2 1.0"), std::string::npos) << output;
}
