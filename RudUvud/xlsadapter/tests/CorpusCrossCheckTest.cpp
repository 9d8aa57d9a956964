// Workbooks with formulas written by python3-xlwt and LibreOffice (tests/data/formula-books): 3-D
// references over sheets and sheet ranges, defined names of workbook and sheet scope, shared and
// array formulas, functions with variable argument counts, error and boolean results, dates and
// number formats. The engine's view of each must be what xlrd reads, with every formula decoded
// to the text LibreOffice shows; saved unchanged, xlrd reads the same again. Then every workbook
// of the test data is saved unchanged and LibreOffice's csv of each sheet is compared with its
// csv of the original.

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsNumberFormat.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Strings.h"

#include "SheetTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

using namespace xlstest;

namespace {

void Load(TWorkbook& Book, const ByteArray& Doc)
{
    BiffStream s(ReadStream(Doc, u"Workbook"));
    Book.LoadFromStream(*s.File);
}

// Doc with its "Workbook" stream replaced by the book's save.
ByteArray SaveDocument(TWorkbook& Book, const ByteArray& Doc)
{
    const ByteArray stream = WriteWorkbook([&](TOle2File& f) { Book.SaveToStream(f); });
    TOle2MemoryStream in(Doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(stream.data(), static_cast<Integer>(stream.size()));
        f.FinishStream();
    }
    return out.Bytes();
}

// Python's repr of a float: the shortest text that reads back, in exponent form only below
// 1e-4 and from 1e16.
std::string Repr(double V)
{
    char num[64];
    const bool exponent = V != 0 && (std::fabs(V) < 1e-4 || std::fabs(V) >= 1e16);
    for (int prec = 1; prec <= 17; ++prec) {
        snprintf(num, sizeof num, "%.*g", prec, V);
        if (strtod(num, nullptr) == V && (exponent || !strchr(num, 'e')))
            break;
    }
    std::string s = num;
    if (s.find_first_of(".en") == std::string::npos)
        s += ".0";
    return s;
}

std::string Text(const ByteArray& B)
{
    return std::string(B.begin(), B.end());
}

// xlrd's cell types.
enum { ctText = 1, ctNumber = 2, ctDate = 3, ctBoolean = 4, ctError = 5, ctBlank = 6 };

// Type and value text of a cell record as xlrd reports them.
std::pair<int, std::string> TypeAndValue(TCellRecord& C, bool DateFormat)
{
    const TXlsVariant v = C.GetValue();
    int type = 0;
    switch (C.Id()) {
    case xlr_BLANK:
        return {ctBlank, ""};
    case xlr_BOOLERR:
        type = C.Data()[7] ? ctError : ctBoolean;
        break;
    case xlr_FORMULA:
        if (GetWord(C.Data(), 12) == 0xFFFF)
            type = C.Data()[6] == 1 ? ctBoolean : C.Data()[6] == 2 ? ctError : ctText;
        break;
    default:
        if (v.VarType == xvString)
            type = ctText;
        break;
    }
    if (type == ctBoolean)
        return {type, v.Boolean ? "1" : "0"};
    if (type == ctText || type == ctError)
        return {type, UTF8Encode(v.Text)};
    return {DateFormat ? ctDate : ctNumber, Repr(v.Number)};
}

// The listing formula-book-listing.py writes, made from the engine's view of the workbook.
// Formula texts are left out where LibreOffice showed none ("?").
std::string Listing(TWorkbook& Book, const std::set<std::tuple<Integer, Integer, Integer>>& NoText)
{
    TWorkbookGlobals& g = Book.Globals();
    std::ostringstream out;
    for (Integer i = 0; i < Book.SheetCount(); ++i) {
        out << "sheet " << i << " " << UTF8Encode(g.GetSheetName(i)) << " " << g.GetSheetVisible(i) << "\n";
        TWorkSheet& s = Book.GetWorkSheets(i);
        TCellGlobals cg;
        cg.SST = &g.SST();
        cg.References = &g.References();
        cg.Workbook.Sheets = &g.SheetList().BoundSheets();
        cg.Workbook.Names = &g.Names();
        cg.XF = &g.XFList();
        cg.Fonts = &g.FontList();
        cg.Formats = &g.FormatList();
        TCellValues values(s.Cells(), &s.ColInfoList(), cg);
        TCellList& list = s.Cells().CellList();
        for (Integer r = 0; r < list.Count(); ++r) {
            TCellRecordList* row = list.GetCells(r);
            if (!row)
                continue;
            Integer dummy;
            row->Find(0, dummy);
            for (Integer k = 0; k < row->Count(); ++k) {
                TCellRecord& c = *row->Items(k);
                const Integer xf = c.GetXF();
                const Integer key = g.XFList().Items(xf)->FormatIndex();
                TVovFormat f;
                g.XFList().Items(xf)->VovFormat(g.FontList(), g.FormatList(), f);
                bool hasDate = false, hasTime = false;
                const bool isDate = HasXlsDateTime(f.NumberFormat, hasDate, hasTime);
                auto [type, value] = TypeAndValue(c, isDate);
                if (type == ctBlank && xf == 15)
                    continue;
                out << "cell " << r << " " << c.GetColumn() << " " << type << " " << value << " " << xf
                    << " ";
                if (key >= 164)
                    out << UTF8Encode(g.FormatList().GetFormat(key)) << "\n";
                else
                    out << "builtin " << key << "\n";
                if (c.Id() == xlr_FORMULA) {
                    out << "formula " << r << " " << c.GetColumn() << " ";
                    if (NoText.count({i, r, c.GetColumn()}))
                        out << "?\n";
                    else
                        out << UTF8Encode(values.GetFormula(r, c.GetColumn())) << "\n";
                }
            }
        }
        std::vector<std::tuple<Integer, Integer, Integer, Integer>> merges;
        for (Integer k = 0; k < s.CellMergedListCount(); ++k) {
            TXlsCellRange m = s.CellMergedList(k);
            merges.emplace_back(m.FirstRow, m.LastRow, m.FirstCol, m.LastCol);
        }
        std::sort(merges.begin(), merges.end());
        for (auto& [r1, r2, c1, c2] : merges)
            out << "merge " << r1 << " " << r2 << " " << c1 << " " << c2 << "\n";
        using TCol = std::tuple<Integer, bool, Integer>;
        Integer first = -1, last = -1;
        TCol run{};
        auto flush = [&] {
            if (first >= 0)
                out << "col " << first << " " << last << " " << std::get<0>(run) << " " << std::get<1>(run)
                    << " " << std::get<2>(run) << "\n";
        };
        for (Integer c = 0; c < 256; ++c) {
            if (s.GetColFormat(c) < 0)
                continue;
            TCol v{s.GetColWidth(c), s.GetColHidden(c), s.GetColFormat(c)};
            if (first >= 0 && last == c - 1 && v == run) {
                last = c;
                continue;
            }
            flush();
            first = last = c;
            run = v;
        }
        flush();
        const TRowRecordList& rows = s.Cells().RowList();
        for (Integer r = 0; r < rows.Count(); ++r)
            if (rows.HasRow(r))
                out << "row " << r << " " << (s.GetRowHeight(r) & 0x7FFF) << " " << s.GetRowHidden(r) << " "
                    << s.GetRowOutlineLevel(r) << "\n";
    }

    // Names sorted by scope and name, each with its formula decoded.
    std::vector<std::tuple<Integer, std::string, std::string>> names;
    TCellGlobals cg;
    cg.References = &g.References();
    cg.Workbook.Sheets = &g.SheetList().BoundSheets();
    cg.Workbook.Names = &g.Names();
    TCellValues context(Book.GetWorkSheets(0).Cells(), nullptr, cg);
    for (Integer k = 0; k < g.Names().Count(); ++k) {
        TNameRecord& n = *static_cast<TNameRecord*>(g.Names().Items(k));
        // The decoder reads the token size just before the tokens.
        ByteArray tokens(2);
        SetWord(tokens.data(), 0, static_cast<Word>(n.TokenSize()));
        tokens.insert(tokens.end(), n.Data() + n.TokenStart(), n.Data() + n.DataSize());
        std::string text = UTF8Encode(RPNToString(tokens, 2, &context));
        names.emplace_back(n.RangeSheet(), UTF8Encode(n.Name()), text.substr(1));
    }
    std::sort(names.begin(), names.end());
    for (auto& [scope, name, text] : names)
        out << "name " << name << " " << scope << " " << text << "\n";
    return out.str();
}

// The cells whose formula LibreOffice showed no text for.
std::set<std::tuple<Integer, Integer, Integer>> NoTextCells(const std::string& Listing)
{
    std::set<std::tuple<Integer, Integer, Integer>> out;
    std::istringstream in(Listing);
    std::string line;
    Integer sheet = -1;
    while (std::getline(in, line)) {
        if (line.rfind("sheet ", 0) == 0)
            ++sheet;
        Integer r, c;
        char q;
        if (sscanf(line.c_str(), "formula %d %d %c", &r, &c, &q) == 3 && q == '?' &&
            line.size() == line.rfind('?') + 1)
            out.insert({sheet, r, c});
    }
    return out;
}

// A formula line in the form both readers can be compared in. LibreOffice shows a boolean
// constant as the call TRUE() or FALSE(), and one cell on a range of sheets as that cell twice
// ('Other:Third'!A1:A1); the engine keeps the constant and the call apart, and shows the one
// cell once only for a cell token. Neither difference is in the tokens.
std::string Comparable(const std::string& Line)
{
    if (Line.rfind("formula ", 0) != 0)
        return Line;
    static const std::regex boolCall("\\b(TRUE|FALSE)\\(\\)");
    static const std::regex sameCell("!(\\$?[A-Z]+\\$?[0-9]+):\\1\\b");
    std::string out;
    // String constants are left as they are.
    static const std::regex text("\"(?:[^\"]|\"\")*\"");
    size_t at = 0;
    for (std::sregex_iterator i(Line.begin(), Line.end(), text), end; i != end; ++i) {
        const std::string part = Line.substr(at, static_cast<size_t>(i->position()) - at);
        out += std::regex_replace(std::regex_replace(part, boolCall, "$1"), sameCell, "!$1") + i->str();
        at = static_cast<size_t>(i->position() + i->length());
    }
    out += std::regex_replace(std::regex_replace(Line.substr(at), boolCall, "$1"), sameCell, "!$1");
    return out;
}

// Compares two listings and names the lines that differ rather than printing both whole.
void ExpectSameListing(const std::string& Actual, const std::string& Expected)
{
    auto lines = [](const std::string& S) {
        std::vector<std::string> out;
        std::istringstream in(S);
        std::string line;
        while (std::getline(in, line))
            out.push_back(Comparable(line));
        return out;
    };
    const auto a = lines(Actual), e = lines(Expected);
    std::string report;
    for (size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(none)", y = i < e.size() ? e[i] : "(none)";
        if (x != y)
            report += "  line " + std::to_string(i + 1) + ": engine \"" + x + "\", expected \"" + y + "\"\n";
    }
    EXPECT_TRUE(report.empty()) << report;
}

class FormulaBooks : public ::testing::TestWithParam<const char*> {};

TEST_P(FormulaBooks, ReadAsXlrdAndLibreOfficeReadThemAndWrittenBackUnchanged)
{
    const std::string name = std::string("formula-books/") + GetParam();
    const ByteArray doc = Fixture(name + ".xls");
    const std::string expected = Text(Fixture(name + ".txt"));
    const auto noText = NoTextCells(expected);

    TWorkbook book;
    Load(book, doc);
    ExpectSameListing(Listing(book, noText), expected);

    const ByteArray saved = SaveDocument(book, doc);
    TWorkbook again;
    Load(again, saved);
    ExpectSameListing(Listing(again, noText), expected);

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    TempDir dir;
    SaveFile(dir.File("saved.xls"), saved);
    std::string output;
    ASSERT_EQ(RunPython(Text(Fixture("formula-books/formula-book-listing.py")), dir.File("saved.xls") + " -",
                        output),
              0)
        << output;
    // The formula lines come from LibreOffice; xlrd must agree on everything else.
    auto withoutFormulas = [](const std::string& S) {
        std::istringstream in(S);
        std::string line, out;
        while (std::getline(in, line))
            if (line.rfind("formula ", 0) != 0)
                out += line + "\n";
        return out;
    };
    ExpectSameListing(withoutFormulas(output), withoutFormulas(expected));
}

// Every formula text the decoder gave goes through the encoder into the cell and decodes to the
// same text again: sheet ranges, quoted Chinese sheet names, errors, booleans, functions of
// variable argument counts. Defined names are not accepted in formula text: a text using one is
// refused and the cell keeps its formula.
TEST_P(FormulaBooks, DecodedTextsEncodeBackToTheSameFormulas)
{
    const ByteArray doc = Fixture(std::string("formula-books/") + GetParam() + ".xls");
    TWorkbook book;
    Load(book, doc);
    TWorkbookGlobals& g = book.Globals();
    Integer checked = 0;
    for (Integer i = 0; i < book.SheetCount(); ++i) {
        TWorkSheet& s = book.GetWorkSheets(i);
        TCellGlobals cg;
        cg.SST = &g.SST();
        cg.References = &g.References();
        cg.Workbook.Sheets = &g.SheetList().BoundSheets();
        cg.Workbook.Names = &g.Names();
        cg.XF = &g.XFList();
        cg.Fonts = &g.FontList();
        cg.Formats = &g.FormatList();
        TCellValues values(s.Cells(), &s.ColInfoList(), cg);
        std::vector<std::pair<Integer, Integer>> cells;
        TCellList& list = s.Cells().CellList();
        for (Integer r = 0; r < list.Count(); ++r)
            if (TCellRecordList* row = list.GetCells(r))
                for (Integer k = 0; k < row->Count(); ++k)
                    if (row->Items(k)->Id() == xlr_FORMULA)
                        cells.emplace_back(r, row->Items(k)->GetColumn());
        for (auto [r, c] : cells) {
            const WideString text = values.GetFormula(r, c);
            // Cells of an array formula point at it; they are not texts a cell can be given.
            if (text.rfind(u"{", 0) == 0)
                continue;
            SCOPED_TRACE(UTF8Encode(text));
            bool usesName = false;
            for (Integer k = 0; k < g.Names().Count(); ++k) {
                const std::regex word(
                    "\\b" + UTF8Encode(static_cast<TNameRecord*>(g.Names().Items(k))->Name()) + "\\b");
                usesName = usesName || std::regex_search(UTF8Encode(text), word);
            }
            if (usesName) {
                EXPECT_ANY_THROW(values.SetFormula(r, c, text));
                EXPECT_EQ(UTF8Encode(values.GetFormula(r, c)), UTF8Encode(text));
                continue;
            }
            values.SetFormula(r, c, text);
            EXPECT_EQ(UTF8Encode(values.GetFormula(r, c)), UTF8Encode(text));
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FormulaBooks,
                         ::testing::Values("xlwt-formula-book", "lo-xlwt-formula-book", "lo-formula-book"));

bool HaveLibreOffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

std::string ReadText(const std::filesystem::path& P)
{
    return Text(LoadFile(P.string()));
}

// Every workbook of the test data, saved unchanged by the engine, converts in LibreOffice to the
// same csv, sheet by sheet (formulas as formula text), as the original does. One LibreOffice run
// converts every file, each with its own profile directory.
TEST(CorpusReadBack, SavedWorkbooksConvertInLibreOfficeAsTheOriginals)
{
    if (!HaveLibreOffice())
        return uitest::SkipMissing("soffice (LibreOffice) is not installed");
    const char* const corpus[] = {"xlwt-small.xls",
                                  "xlwt-cells.xls",
                                  "xlwt-continue.xls",
                                  "xlwt-settings.xls",
                                  "xlwt-styles.xls",
                                  "lo-small.xls",
                                  "lo-panes.xls",
                                  "lo-settings.xls",
                                  "lo-styles.xls",
                                  "drawings/lo-drawing.xls",
                                  "drawings/lo-links.xls",
                                  "formulas/xlwt-formulas.xls",
                                  "formula-books/xlwt-formula-book.xls",
                                  "formula-books/lo-xlwt-formula-book.xls",
                                  "formula-books/lo-formula-book.xls"};
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "csv");
    std::string files;
    for (size_t i = 0; i < std::size(corpus); ++i) {
        const ByteArray doc = Fixture(corpus[i]);
        TWorkbook book;
        Load(book, doc);
        const std::string n = std::to_string(i);
        SaveFile(dir.File("o" + n + ".xls"), doc);
        SaveFile(dir.File("s" + n + ".xls"), SaveDocument(book, doc));
        files += " " + dir.File("o" + n + ".xls") + " " + dir.File("s" + n + ".xls");
    }
    // Token 10 writes formulas as text, -1 every sheet to a file of its own.
    const std::string cmd = "cd " + dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                            dir.File("profile") +
                            " --headless --norestore --convert-to "
                            "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,true,false,-1' "
                            "--outdir " +
                            dir.File("csv") + files + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (size_t i = 0; i < std::size(corpus); ++i) {
        SCOPED_TRACE(corpus[i]);
        const std::string n = std::to_string(i);
        std::vector<std::string> sheets;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path() / "csv")) {
            const std::string f = e.path().filename().string();
            // "o<n>.csv" for a one-sheet book, "o<n>-<sheet>.csv" otherwise.
            if (f == "o" + n + ".csv" || f.rfind("o" + n + "-", 0) == 0)
                sheets.push_back(f.substr(1 + n.size()));
        }
        ASSERT_FALSE(sheets.empty());
        for (const std::string& tail : sheets) {
            SCOPED_TRACE(tail);
            const auto saved = dir.Path() / "csv" / ("s" + n + tail);
            ASSERT_TRUE(std::filesystem::exists(saved));
            EXPECT_EQ(ReadText(saved), ReadText(dir.Path() / "csv" / ("o" + n + tail)));
        }
    }
}

} // namespace
