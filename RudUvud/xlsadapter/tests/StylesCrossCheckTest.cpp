// The style records of files written by python3-xlwt and by LibreOffice, read as xlrd reads them
// (the expected listings and the files come from tests/data/make-styles-fixture.sh).

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsNumberFormat.h"
#include "RudUvud/xlsadapter/XlsStyles.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

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
