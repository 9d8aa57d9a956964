// The style records of files written by python3-xlwt and by LibreOffice, read as xlrd reads them
// (the expected listings and the files come from tests/data/make-styles-fixture.sh).

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsNumberFormat.h"
#include "RudUvud/xlsadapter/XlsStyles.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace xlstest;

namespace {

struct TStyles {
    TFontRecordList Fonts;
    TFormatRecordList Formats;
    TXFRecordList XF;
};

// The FONT, FORMAT and XF records of a file's workbook globals, in file order.
void LoadStyles(const std::string& Name, TStyles& S)
{
    const ByteArray stream = ReadStream(Fixture(Name), u"Workbook");
    BiffStream s(stream);
    for (auto& r : s.LoadAll()) {
        if (r->Id() == xlr_EOF)
            break;
        if (dynamic_cast<TFontRecord*>(r.get()))
            S.Fonts.Add(std::move(r));
        else if (dynamic_cast<TFormatRecord*>(r.get()))
            S.Formats.Add(std::move(r));
        else if (dynamic_cast<TXFRecord*>(r.get()))
            S.XF.Add(std::move(r));
    }
}

std::vector<std::string> Lines(const std::string& Name, const std::string& Kind)
{
    const ByteArray b = Fixture(Name);
    std::istringstream in(std::string(b.begin(), b.end()));
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(Kind + " ", 0) == 0)
            out.push_back(line.substr(Kind.size() + 1));
    return out;
}

int UnderlineByte(TVovUnderline U)
{
    static const int codes[] = {0, 1, 2, 0x21, 0x22};
    return codes[U];
}

std::string FontLine(Integer Number, const TFontRecord& F)
{
    const TVovFont v = F.VovFont();
    const int esc = (v.StyleSet & (1 << flsSuperscript)) ? 1 : (v.StyleSet & (1 << flsSubscript)) ? 2 : 0;
    std::ostringstream o;
    o << Number << " " << UTF8Encode(v.FontName) << "|" << v.HeightTwips << " " << F.Weight() << " "
      << ((v.StyleSet >> flsItalic) & 1) << " " << ((v.StyleSet >> flsStrikeOut) & 1) << " "
      << UnderlineByte(v.UnderlineKind) << " " << esc << " " << v.PaletteIndex + 7 << " " << int(v.FamilyCode)
      << " " << int(v.CharSetCode);
    return o.str();
}

// The fields of xlrd's XF listing from the engine's view: raw colour indexes come back through the
// palette-entry rules (a border colour of 7 or less reads as entry 1).
std::string XFLine(Integer Index, const TXFRecord& X, const TVovFormat& F,
                   const std::vector<Integer>& RawBorderColors)
{
    std::ostringstream o;
    o << Index << " " << X.FontIndex() << " " << X.FormatIndex() << " " << int(F.HorizontalAlign) << " "
      << int(F.VerticalAlign) << " " << int(F.TextRotation) << " " << F.Wrap << " " << int(F.IndentLevel)
      << " " << F.Shrink << " " << (F.ParentBits >> 4) << " | ";
    const TVovBorders& b = F.BorderSet;
    o << int(b.LeftEdge.LineStyle) << " " << int(b.RightEdge.LineStyle) << " " << int(b.TopEdge.LineStyle)
      << " " << int(b.BottomEdge.LineStyle) << " " << int(b.DiagonalEdge.LineStyle) << " ";
    const Integer colours[] = {b.LeftEdge.LineColor, b.RightEdge.LineColor, b.TopEdge.LineColor,
                               b.BottomEdge.LineColor, b.DiagonalEdge.LineColor};
    for (int i = 0; i < 5; ++i) {
        const Integer raw = RawBorderColors[static_cast<size_t>(i)];
        EXPECT_EQ(colours[i], raw > 7 ? raw - 7 : 1) << "xf " << Index << " border " << i;
        o << raw << " ";
    }
    o << (b.DiagonalKind & 1) << " " << ((b.DiagonalKind >> 1) & 1) << " | " << F.Fill.PatternKind - 1 << " "
      << F.Fill.ForeColor + 7 << " " << F.Fill.BackColor + 7 << " | " << F.IsLocked << " " << F.IsHidden
      << " " << ((GetWord(X.Data(), 4) >> 2) & 1);
    return o.str();
}

void CheckAgainstXlrd(const std::string& File, const std::string& Listing)
{
    SCOPED_TRACE(File);
    TStyles s;
    LoadStyles(File, s);

    const auto fonts = Lines(Listing, "font");
    ASSERT_EQ(static_cast<Integer>(fonts.size()), s.Fonts.Count());
    for (Integer i = 0; i < s.Fonts.Count(); ++i)
        EXPECT_EQ(FontLine(TFontRecordList::NumberOf(i), *s.Fonts.Items(i)), fonts[static_cast<size_t>(i)]);

    // Formats the file defines read as xlrd reads them; xlrd names the built-in ones in its own way.
    Integer defined = 0;
    for (const std::string& line : Lines(Listing, "format")) {
        const size_t sp = line.find(' ');
        const Integer id = std::stoi(line.substr(0, sp));
        Integer index;
        if (!s.Formats.Find(id, index)) {
            EXPECT_LT(id, FirstUserFormatId) << line;
            continue;
        }
        ++defined;
        EXPECT_EQ(UTF8Encode(s.Formats.GetFormat(id)), line.substr(sp + 1));
    }
    EXPECT_EQ(defined, s.Formats.Count());

    const auto xfs = Lines(Listing, "xf");
    ASSERT_EQ(static_cast<Integer>(xfs.size()), s.XF.Count());
    for (Integer i = 0; i < s.XF.Count(); ++i) {
        const TXFRecord& x = *s.XF.Items(i);
        TVovFormat f;
        x.VovFormat(s.Fonts, s.Formats, f);
        EXPECT_EQ(f.FontInfo, s.Fonts.Items(TFontRecordList::PositionOf(x.FontIndex()))->VovFont());
        EXPECT_EQ(f.NumberFormat, s.Formats.GetFormat(x.FormatIndex()));
        const Byte* d = x.Data();
        const std::vector<Integer> raw = {d[12] & 0x7F, (GetWord(d, 12) >> 7) & 0x7F, d[14] & 0x7F,
                                          (GetWord(d, 14) >> 7) & 0x7F,
                                          static_cast<Integer>((GetLongWord(d, 14) >> 14) & 0x7F)};
        EXPECT_EQ(XFLine(i, x, f, raw), xfs[static_cast<size_t>(i)]);
    }
}

} // namespace

TEST(StylesCrossCheck, FontsFormatsAndXFsReadAsXlrdReadsThem)
{
    CheckAgainstXlrd("xlwt-styles.xls", "xlwt-styles.styles.txt");
    CheckAgainstXlrd("lo-styles.xls", "lo-styles.styles.txt");
}

// Every cell format of the files written back as a new XF reads the same, and finds the file's
// own fonts and formats instead of adding copies (the file's font names are stored 8-bit, the
// engine's 16-bit).
TEST(StylesCrossCheck, EveryFormatOfTheFilesSurvivesARoundTrip)
{
    for (const char* file : {"xlwt-styles.xls", "lo-styles.xls"}) {
        SCOPED_TRACE(file);
        TStyles s;
        LoadStyles(file, s);
        const Integer fonts = s.Fonts.Count(), formats = s.Formats.Count();
        for (Integer i = 0; i < s.XF.Count(); ++i) {
            TVovFormat f;
            s.XF.Items(i)->VovFormat(s.Fonts, s.Formats, f);
            f.ParentBits = 0;
            TXFRecord back(f, s.Formats, s.Fonts);
            TVovFormat g;
            back.VovFormat(s.Fonts, s.Formats, g);
            EXPECT_EQ(g, f) << "xf " << i;
        }
        EXPECT_EQ(s.Fonts.Count(), fonts);
        EXPECT_EQ(s.Formats.Count(), formats);
    }
}

// The cells of the files read through the cell interface with the value, the format and the kind
// (number or date, by the format's codes) that xlrd reports.
TEST(StylesCrossCheck, CellsReadWithTheValuesAndFormatsXlrdReports)
{
    for (const char* name : {"xlwt-styles", "lo-styles"}) {
        SCOPED_TRACE(name);
        TStyles st;
        TSST sst;
        TColInfoList colInfo;
        TCells cells(&colInfo);
        const ByteArray stream = ReadStream(Fixture(std::string(name) + ".xls"), u"Workbook");
        BiffStream s(stream);
        int bofs = 0;
        for (auto& r : s.LoadAll()) {
            bofs += r->Id() == 0x0809;
            if (bofs == 1) {
                if (auto* t = dynamic_cast<TSSTRecord*>(r.get()))
                    sst.Load(*t);
                else if (dynamic_cast<TFontRecord*>(r.get()))
                    st.Fonts.Add(std::move(r));
                else if (dynamic_cast<TFormatRecord*>(r.get()))
                    st.Formats.Add(std::move(r));
                else if (dynamic_cast<TXFRecord*>(r.get()))
                    st.XF.Add(std::move(r));
                continue;
            }
            if (r->Id() == xlr_EOF)
                break;
            if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r.get())) {
                cells.AddMultipleCells(*mul);
            } else if (dynamic_cast<TRowRecord*>(r.get())) {
                cells.AddRow(std::unique_ptr<TRowRecord>(static_cast<TRowRecord*>(r.release())));
            } else if (auto* c = dynamic_cast<TCellRecord*>(r.get())) {
                if (auto* l = dynamic_cast<TLabelSSTRecord*>(c))
                    l->AttachToSST(&sst);
                const Integer row = c->GetRow();
                r.release();
                cells.AddCell(std::unique_ptr<TCellRecord>(c), row);
            }
        }
        cells.FixRows();
        TCellGlobals g;
        g.SST = &sst;
        g.XF = &st.XF;
        g.Fonts = &st.Fonts;
        g.Formats = &st.Formats;
        TCellValues values(cells, &colInfo, g);

        const auto lines = Lines(std::string(name) + ".styles.txt", "cell");
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines) {
            std::istringstream in(line);
            Integer row, col, xf, type;
            in >> row >> col >> xf >> type;
            std::string text;
            std::getline(in, text);
            text.erase(0, 1);
            SCOPED_TRACE(line);
            TXlsCellValue v;
            TRTFRunList runs;
            values.GetValueX2(row, col, v, runs);
            EXPECT_EQ(v.XFIndex, xf);
            TVovFormat f;
            st.XF.Items(xf)->VovFormat(st.Fonts, st.Formats, f);
            bool hasDate = false, hasTime = false;
            if (type == 1) {
                EXPECT_EQ(UTF8Encode(v.CellValue.Text), text);
            } else {
                EXPECT_EQ(v.CellValue.Number, strtod(text.c_str(), nullptr));
                EXPECT_EQ(HasXlsDateTime(f.NumberFormat, hasDate, hasTime), type == 3)
                    << UTF8Encode(f.NumberFormat);
            }
        }
    }
}

// Cell formats the engine makes, added to the xlwt file's styles and given to its first cells,
// read in xlrd with every field the engine wrote.
TEST(StylesCrossCheck, NewFormatsReadInXlrd)
{
    const ByteArray doc = Fixture("xlwt-styles.xls");
    const ByteArray stream = ReadStream(doc, u"Workbook");
    TStyles st;
    LoadStyles("xlwt-styles.xls", st);
    const Integer oldFonts = st.Fonts.Count(), oldXF = st.XF.Count();
    std::set<Integer> oldIds;
    for (Integer i = 0; i < st.Formats.Count(); ++i)
        oldIds.insert(st.Formats.Items(i)->FormatId());

    std::vector<TVovFormat> table(5);
    for (TVovFormat& f : table) {
        f.FontInfo.FontName = u"Arial";
        f.FontInfo.HeightTwips = 200;
        f.FontInfo.PaletteIndex = 0x7FFF - 7;
    }
    table[0].FontInfo.FontName = u"Courier New";
    table[0].FontInfo.HeightTwips = 320;
    table[0].FontInfo.StyleSet = (1 << flsBold) | (1 << flsItalic);
    table[0].FontInfo.PaletteIndex = 3;
    table[0].NumberFormat = u"0.0000";
    table[1].FontInfo.FontName = u"\u65b0\u7d30\u660e\u9ad4";
    table[1].FontInfo.CharSetCode = 136;
    table[1].FontInfo.UnderlineKind = fu_Double;
    table[1].NumberFormat = u"[Blue]#,##0.0;[Red]-#,##0.0";
    table[1].HorizontalAlign = fha_right;
    table[1].VerticalAlign = fva_center;
    table[1].TextRotation = 60;
    table[2].BorderSet = {{fbs_Thin, 3},  {fbs_Dashed, 5}, {fbs_Double, 10},
                          {fbs_Thick, 1}, {fbs_Hair, 4},   fdb_DiagDown};
    table[2].Fill = {2, 6, 57};
    table[2].NumberFormat = u"yyyy-mm-dd";
    table[3].Fill = {5, 13, 22};
    table[3].Wrap = true;
    table[3].IndentLevel = 4;
    table[3].IsLocked = true;
    table[3].IsHidden = true;
    table[4].Shrink = true;
    table[4].NumberFormat = u"0.00";
    std::vector<Integer> newXF;
    for (TVovFormat& f : table)
        for (TVovOneBorder* b : {&f.BorderSet.LeftEdge, &f.BorderSet.RightEdge, &f.BorderSet.TopEdge,
                                 &f.BorderSet.BottomEdge, &f.BorderSet.DiagonalEdge})
            if (b->LineColor == 0)
                b->LineColor = 1; // entry 0 is no border colour: it reads back as 1
    for (const TVovFormat& f : table)
        newXF.push_back(st.XF.Add(std::make_unique<TXFRecord>(f, st.Formats, st.Fonts)));
    ASSERT_GT(st.Fonts.Count(), oldFonts);

    // The globals with the new records after the last of their kind; the sheet's offset moves
    // by their size, and its first cells take the new formats.
    ByteArray fonts, formats, xfs;
    for (Integer i = oldFonts; i < st.Fonts.Count(); ++i)
        PutRecord(fonts, xlr_FONT,
                  ByteArray(st.Fonts.Items(i)->Data().get(),
                            st.Fonts.Items(i)->Data() + st.Fonts.Items(i)->DataSize()));
    for (Integer i = 0; i < st.Formats.Count(); ++i)
        if (!oldIds.count(st.Formats.Items(i)->FormatId()))
            PutRecord(formats, xlr_FORMAT,
                      ByteArray(st.Formats.Items(i)->Data().get(),
                                st.Formats.Items(i)->Data() + st.Formats.Items(i)->DataSize()));
    for (Integer i = oldXF; i < st.XF.Count(); ++i)
        PutRecord(
            xfs, xlr_XF,
            ByteArray(st.XF.Items(i)->Data().get(), st.XF.Items(i)->Data() + st.XF.Items(i)->DataSize()));
    const LongWord delta = static_cast<LongWord>(fonts.size() + formats.size() + xfs.size());

    std::vector<std::pair<size_t, size_t>> recs; // offset, length
    for (size_t at = 0; at + 4 <= stream.size();
         at += 4 + GetWord(stream.data(), static_cast<Integer>(at) + 2))
        recs.push_back({at, 4 + static_cast<size_t>(GetWord(stream.data(), static_cast<Integer>(at) + 2))});
    auto lastOf = [&](Word Id) {
        size_t last = 0;
        for (size_t i = 0;
             i < recs.size() && GetWord(stream.data(), static_cast<Integer>(recs[i].first)) != xlr_EOF; ++i)
            if (GetWord(stream.data(), static_cast<Integer>(recs[i].first)) == Id)
                last = i;
        return last;
    };
    const size_t lastFont = lastOf(xlr_FONT), lastFormat = lastOf(xlr_FORMAT), lastXF = lastOf(xlr_XF);
    ByteArray out;
    Integer labels = 0;
    for (size_t i = 0; i < recs.size(); ++i) {
        const size_t start = out.size();
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(recs[i].first),
                   stream.begin() + static_cast<std::ptrdiff_t>(recs[i].first + recs[i].second));
        const Word id = GetWord(out.data(), static_cast<Integer>(start));
        if (id == 0x0085)
            SetLongWord(out.data(), static_cast<Integer>(start) + 4,
                        GetLongWord(out.data(), static_cast<Integer>(start) + 4) + delta);
        if (id == 0x00FD && labels < static_cast<Integer>(newXF.size()))
            SetWord(out.data(), static_cast<Integer>(start) + 4 + 4,
                    static_cast<Word>(newXF[static_cast<size_t>(labels++)]));
        if (i == lastFont)
            out.insert(out.end(), fonts.begin(), fonts.end());
        if (i == lastFormat)
            out.insert(out.end(), formats.begin(), formats.end());
        if (i == lastXF)
            out.insert(out.end(), xfs.begin(), xfs.end());
    }
    ASSERT_EQ(labels, static_cast<Integer>(newXF.size()));

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    TempDir dir;
    TOle2MemoryStream in(doc), written;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&written, u"Workbook", {});
        f.WriteMem(out.data(), static_cast<Integer>(out.size()));
        f.FinishStream();
    }
    SaveFile(dir.File("out.xls"), written.Bytes());
    const std::string script = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sh = book.sheet_by_index(0)
for r in range()" + std::to_string(newXF.size()) +
                               R"():
    i = sh.cell_xf_index(r, 0)
    x = book.xf_list[i]
    f = book.font_list[x.font_index]
    a, b, g, p = x.alignment, x.border, x.background, x.protection
    print("font %d %s|%d %d %d %d %d %d %d %d %d" % (
        x.font_index, f.name, f.height, f.weight, f.italic, f.struck_out, f.underline_type,
        f.escapement, f.colour_index, f.family, f.character_set))
    print("format %s" % book.format_map[x.format_key].format_str)
    print("xf %d %d %d %d %d %d %d %d %d %d | %d %d %d %d %d %d %d %d %d %d %d %d | %d %d %d | %d %d %d" % (
        i, x.font_index, x.format_key, a.hor_align, a.vert_align, a.rotation, a.text_wrapped,
        a.indent_level, a.shrink_to_fit, x.parent_style_index,
        b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style,
        b.diag_line_style, b.left_colour_index, b.right_colour_index, b.top_colour_index,
        b.bottom_colour_index, b.diag_colour_index, b.diag_down, b.diag_up,
        g.fill_pattern, g.pattern_colour_index, g.background_colour_index,
        p.cell_locked, p.formula_hidden, x.is_style))
)";
    std::string output;
    ASSERT_EQ(RunPython(script, dir.File("out.xls"), output), 0) << output;
    std::ostringstream expected;
    for (Integer i : newXF) {
        const TXFRecord& x = *st.XF.Items(i);
        TVovFormat f;
        x.VovFormat(st.Fonts, st.Formats, f);
        EXPECT_EQ(f, table[static_cast<size_t>(i - oldXF)]);
        expected << "font "
                 << FontLine(x.FontIndex(), *st.Fonts.Items(TFontRecordList::PositionOf(x.FontIndex())))
                 << "\n";
        // xlrd names the built-in format 0, whose text is empty, "General".
        expected << "format " << (f.NumberFormat.empty() ? "General" : UTF8Encode(f.NumberFormat)) << "\n";
        const Byte* d = x.Data();
        const std::vector<Integer> rawColours = {d[12] & 0x7F, (GetWord(d, 12) >> 7) & 0x7F, d[14] & 0x7F,
                                                 (GetWord(d, 14) >> 7) & 0x7F,
                                                 static_cast<Integer>((GetLongWord(d, 14) >> 14) & 0x7F)};
        expected << "xf " << XFLine(i, x, f, rawColours) << "\n";
    }
    EXPECT_EQ(output, expected.str());
}

// The built-in number formats whose text is the same in every locale are the ones xlrd knows:
// the numbers, percentages, fractions, currencies (5 to 8 in dollars) and times. The dates and
// clock times (14 to 17, 20 to 22) and the accounting formats (37 to 44) follow the locale's
// conventions instead.
TEST(StylesCrossCheck, BuiltInFormatsAreThoseOfOtherReaders)
{
    std::string Out;
    ASSERT_EQ(RunPython("import xlrd.formatting as f\n"
                        "for i in list(range(1, 14)) + [18, 19] + list(range(45, 50)):\n"
                        "    print(i, f.std_format_strings[i])\n",
                        "", Out),
              0)
        << Out;
    std::string Ours;
    for (Integer Id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 18, 19, 45, 46, 47, 48, 49})
        Ours += std::to_string(Id) + " " + UTF8Encode(XlsBuiltInFormats(Id)) + "\n";
    EXPECT_EQ(Ours, Out);
}
