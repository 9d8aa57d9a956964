#include "RudUvud/xlsadapter/XlsStyles.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace xlstest;

namespace {

TVovFont Font(const char* Name, Word Height = 200, SetOfTVovFontStyle Style = 0, Integer Palette = 0x7FFF - 7)
{
    TVovFont f;
    f.FontName = UTF8Decode(Name);
    f.HeightTwips = Height;
    f.StyleSet = Style;
    f.PaletteIndex = Palette;
    return f;
}

// A FONT record as another writer stores it: the name 8-bit.
std::unique_ptr<TFontRecord> Font8(const char* Name, Word Height, Word Weight)
{
    ByteArray d(14, 0);
    SetWord(d.data(), 0, Height);
    SetWord(d.data(), 4, 0x7FFF);
    SetWord(d.data(), 6, Weight);
    d.push_back(static_cast<Byte>(strlen(Name)));
    d.push_back(0);
    d.insert(d.end(), Name, Name + strlen(Name));
    return std::make_unique<TFontRecord>(xlr_FONT, d);
}

std::string ErrorOf(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.Message();
    }
    return "(no error)";
}

struct TStyleLists {
    TFontRecordList Fonts;
    TFormatRecordList Formats;
    TStyleLists() { Fonts.AddFont(Font("Arial")); }
};

} // namespace

TEST(Styles, FontNumbersSkipFourAndEqualFontsAreShared)
{
    TStyleLists s;
    EXPECT_EQ(s.Fonts.AddFont(Font("Arial", 240)), 1);
    EXPECT_EQ(s.Fonts.AddFont(Font("Arial", 280)), 2);
    EXPECT_EQ(s.Fonts.AddFont(Font("Arial", 300)), 3);
    EXPECT_EQ(s.Fonts.AddFont(Font("Courier New")), 5);
    EXPECT_EQ(s.Fonts.Count(), 5);
    EXPECT_EQ(s.Fonts.AddFont(Font("Arial", 280)), 2);
    EXPECT_EQ(s.Fonts.Count(), 5);

    TVovFormat f;
    f.FontInfo = Font("Courier New");
    TXFRecord xf(f, s.Formats, s.Fonts);
    EXPECT_EQ(xf.FontIndex(), 5);
    EXPECT_EQ(xf.GetActualFontIndex(s.Fonts), 4);
    TVovFormat back;
    xf.VovFormat(s.Fonts, s.Formats, back);
    EXPECT_EQ(back.FontInfo.FontName, u"Courier New");

    // A font number outside the list reads the first font.
    SetWord(xf.Data(), 0, 40);
    xf.VovFormat(s.Fonts, s.Formats, back);
    EXPECT_EQ(back.FontInfo, Font("Arial"));
}

// A font another writer stored with an 8-bit name is the same font as the engine's 16-bit one:
// asking for it again takes the stored record rather than adding a copy on every save.
TEST(Styles, AFontStoredEightBitIsReused)
{
    TFontRecordList fonts;
    fonts.Add(Font8("Arial", 200, 400));
    fonts.Add(Font8("Arial", 200, 700));
    EXPECT_EQ(fonts.AddFont(Font("Arial", 200, 1 << flsBold)), 1);
    EXPECT_EQ(fonts.AddFont(Font("Arial")), 0);
    EXPECT_EQ(fonts.Count(), 2);
}

TEST(Styles, FontFieldsConvertBothWays)
{
    const TVovFont table[] = {
        Font("Arial"),
        Font("Times New Roman", 280, (1 << flsBold) | (1 << flsItalic), 2),
        Font("\xe7\xb4\xb0\xe6\x98\x8e\xe9\xab\x94", 180, (1 << flsStrikeOut) | (1 << flsSuperscript), 10),
        Font("Courier", 400, 1 << flsSubscript, 56),
    };
    for (const TVovFont& f : table) {
        for (TVovUnderline u : {fu_None, fu_Single, fu_Double, fu_SingleAccounting, fu_DoubleAccounting}) {
            TVovFont g = f;
            g.UnderlineKind = u;
            g.FamilyCode = 2;
            g.CharSetCode = 136;
            TFontRecord rec(g);
            EXPECT_EQ(rec.VovFont(), g);
            EXPECT_EQ(rec.DataSize(), 14 + 2 + 2 * g.FontName.size()); // count, option byte, 16-bit name
        }
    }
    // Weight 800 is not bold, and the font made from it again is written with weight 400.
    auto heavy = Font8("Arial", 200, 800);
    EXPECT_FALSE(heavy->VovFont().StyleSet & (1 << flsBold));
    EXPECT_EQ(TFontRecord(heavy->VovFont()).Weight(), 400);

    EXPECT_EQ(ErrorOf([] { TFontRecord(Font(std::string(256, 'x').c_str())); }), "Invalid String record");
}

TEST(Styles, FormatIdsComeFromTheFileTheBuiltInsOrAreNew)
{
    TFormatRecordList formats;
    EXPECT_EQ(formats.AddFormat(u"0.00"), 2);
    EXPECT_EQ(formats.AddFormat(u""), 0);
    EXPECT_EQ(formats.Count(), 0);
    for (Word id = 5; id <= 8; ++id)
        formats.Add(std::make_unique<TFormatRecord>(u"fmt" + std::u16string(1, u'0' + id), id));
    EXPECT_EQ(formats.AddFormat(u"fmt7"), 7);
    EXPECT_EQ(formats.AddFormat(u"0.000"), 164);
    EXPECT_EQ(formats.AddFormat(u"0.000"), 164);
    formats.Add(std::make_unique<TFormatRecord>(u"x", 170));
    EXPECT_EQ(formats.AddFormat(u"0.0000"), 171);
    EXPECT_EQ(formats.GetFormat(171), u"0.0000");
    EXPECT_EQ(formats.GetFormat(4), u"#,##0.00");
    EXPECT_EQ(formats.GetFormat(100), u"");
    // Texts are compared with case; a wide text is stored 16-bit.
    EXPECT_EQ(formats.AddFormat(u"0.0000 \u20ac"), 172);
    EXPECT_EQ(formats.GetFormat(172), u"0.0000 \u20ac");

    // Past the last id the first free id from 164 on is taken, not an id that wraps to General.
    TFormatRecordList full;
    full.Add(std::make_unique<TFormatRecord>(u"a", 164));
    full.Add(std::make_unique<TFormatRecord>(u"b", 0xFFFF));
    EXPECT_EQ(full.AddFormat(u"c"), 165);
    EXPECT_EQ(full.GetFormat(165), u"c");
}

TEST(Styles, BuiltInDateFormatsFollowTheLocale)
{
    struct Case {
        const char* ShortDate;
        char DateSep, TimeSep;
        const char16_t *F14, *F22;
    } cases[] = {
        {"d/M/yyyy", '/', ':', u"dd/mm/YYYY", u"dd/mm/YYYY hh:mm"},
        {"M/d/yyyy", '-', '.', u"mm-dd-YYYY", u"mm-dd-YYYY hh.mm"},
        {"yyyy/MM/dd", '/', ':', u"YYYY/mm/dd", u"YYYY/mm/dd hh:mm"},
        {"", '/', ':', u"mm/dd/YYYY", u"mm/dd/YYYY hh:mm"},
        {"---", '.', ':', u"mm/dd/YYYY", u"mm/dd/YYYY hh:mm"},
    };
    for (const Case& c : cases) {
        FormatSettings.ShortDateFormat = c.ShortDate;
        FormatSettings.DateSeparator = c.DateSep;
        FormatSettings.TimeSeparator = c.TimeSep;
        EXPECT_EQ(XlsBuiltInFormats(14), c.F14) << c.ShortDate;
        EXPECT_EQ(XlsBuiltInFormats(22), c.F22) << c.ShortDate;
    }
    SetDefaultFormatSettings();
    EXPECT_EQ(XlsBuiltInFormats(13), u"# ?\?/?\?");
    EXPECT_EQ(XlsBuiltInFormats(49), u"@");
    EXPECT_EQ(XlsBuiltInFormats(50), u"");
    EXPECT_EQ(XlsBuiltInFormats(23), u"");
}

// Every field of a cell format survives the XF record, over a table of formats.
TEST(Styles, CellFormatsSurviveTheXFRecord)
{
    TStyleLists s;
    std::vector<TVovFormat> table(6);
    table[1].FontInfo = Font("Times New Roman", 280, 1 << flsBold, 3);
    table[1].NumberFormat = u"#,##0.00";
    table[1].HorizontalAlign = fha_center;
    table[1].VerticalAlign = fva_top;
    table[1].Wrap = true;
    table[2].BorderSet = {
        {fbs_Thin, 2}, {fbs_Medium, 3}, {fbs_Double, 10}, {fbs_Hair, 56}, {fbs_Slanted_dash_dot, 12},
        fdb_Both};
    table[2].Fill = {2, 5, 57};
    table[2].IsLocked = true;
    table[2].IsHidden = true;
    table[3].Fill = {19, 40, 58};
    table[3].TextRotation = 255;
    table[3].IndentLevel = 15;
    table[3].Shrink = true;
    table[3].HorizontalAlign = fha_center_across_selection;
    table[3].VerticalAlign = fva_distributed;
    table[4].NumberFormat = u"[Red]0.0;\"minus\"0.0";
    table[4].TextRotation = 135;
    table[4].BorderSet.DiagonalKind = fdb_DiagUp;
    table[5].FontInfo = Font("Arial", 160, (1 << flsItalic) | (1 << flsStrikeOut) | (1 << flsSubscript), 1);
    table[5].FontInfo.UnderlineKind = fu_DoubleAccounting;
    for (size_t i = 0; i < table.size(); ++i) {
        TVovFormat& f = table[i];
        if (f.FontInfo.FontName.empty())
            f.FontInfo = Font("Arial");
        for (TVovOneBorder* b : {&f.BorderSet.LeftEdge, &f.BorderSet.RightEdge, &f.BorderSet.TopEdge,
                                 &f.BorderSet.BottomEdge, &f.BorderSet.DiagonalEdge})
            if (b->LineColor == 0)
                b->LineColor = 1; // entry 0 is no border colour: it reads back as 1
        TXFRecord xf(f, s.Formats, s.Fonts);
        TVovFormat back;
        xf.VovFormat(s.Fonts, s.Formats, back);
        EXPECT_EQ(back, f) << "format " << i;
    }
}

TEST(Styles, XFsAreFoundByTheirBytes)
{
    TStyleLists s;
    TXFRecordList list;
    TVovFormat a, b;
    a.FontInfo = b.FontInfo = Font("Arial");
    b.Wrap = true;
    list.Add(std::make_unique<TXFRecord>(a, s.Formats, s.Fonts));
    list.Add(std::make_unique<TXFRecord>(b, s.Formats, s.Fonts));
    Integer index;
    EXPECT_TRUE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, 1);
    // The first equal XF wins, however the list changed.
    list.Insert(0, std::make_unique<TXFRecord>(b, s.Formats, s.Fonts));
    EXPECT_TRUE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, 0);
    list.Delete(0);
    list.Delete(0);
    EXPECT_TRUE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, 0);
    list.Clear();
    list.Add(std::make_unique<TXFRecord>(a, s.Formats, s.Fonts));
    EXPECT_FALSE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, -1);
    list.Add(std::make_unique<TXFRecord>(b, s.Formats, s.Fonts));
    EXPECT_TRUE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, 1);
    b.IndentLevel = 1;
    EXPECT_FALSE(list.FindFormat(TXFRecord(b, s.Formats, s.Fonts), index));
    EXPECT_EQ(index, -1);
}

TEST(Styles, BorderAndFillColourRules)
{
    TStyleLists s;
    TVovFormat f;
    f.FontInfo = Font("Arial");
    f.BorderSet.LeftEdge = {fbs_Thin, 0};   // entry 0: written as colour index 8
    f.BorderSet.RightEdge = {fbs_Thin, 60}; // past the palette: cut to the system colour 64
    f.BorderSet.DiagonalEdge = {fbs_Thin, 70};
    f.Fill = {2, 57, 58};
    TXFRecord xf(f, s.Formats, s.Fonts);
    EXPECT_EQ(xf.Data()[12] & 0x7F, 8);
    EXPECT_EQ((GetWord(xf.Data(), 12) >> 7) & 0x7F, 64);
    EXPECT_EQ((GetLongWord(xf.Data(), 14) >> 14) & 0x7F, (70 + 7) & 0x7F); // not clamped
    EXPECT_EQ(GetWord(xf.Data(), 18), 64 + 128 * 65);
    EXPECT_EQ(GetWord(xf.Data(), 8), 0xFC00);
    // Colour indexes 0..7 read as palette entry 1.
    SetWord(xf.Data(), 12, 0x0003);
    EXPECT_EQ(xf.GetBorderColorIndexExt(12, 0), 1);
    // A pattern kind of 0 is written as no fill.
    f.Fill.PatternKind = 0;
    EXPECT_EQ(TXFRecord(f, s.Formats, s.Fonts).CellPattern(), 0);
}

TEST(Styles, UsedColours)
{
    TStyleLists s;
    s.Fonts.AddFont(Font("Arial", 200, 0, 30));
    TXFRecordList list;
    TVovFormat f;
    f.FontInfo = Font("Arial", 200, 0, 30);
    f.BorderSet.TopEdge = {fbs_Thin, 5};
    f.BorderSet.BottomEdge = {fbs_None, 6}; // no border: its colour is not used
    f.Fill = {2, 9, 11};                    // solid: the background does not show
    list.Add(std::make_unique<TXFRecord>(f, s.Formats, s.Fonts));
    f.Fill = {3, 12, 13};
    list.Add(std::make_unique<TXFRecord>(f, s.Formats, s.Fonts));
    BooleanArray used;
    list.GetUsedColors(57, s.Fonts, used);
    ASSERT_EQ(used.size(), 57u);
    std::vector<int> marked;
    for (size_t i = 0; i < used.size(); ++i)
        if (used[i])
            marked.push_back(static_cast<int>(i));
    EXPECT_EQ(marked, (std::vector<int>{5, 9, 12, 13, 30}));
}

// A workbook without a single FONT record (only a damaged file is like that) reads the default
// font instead of failing.
TEST(Styles, AnXFWithoutFontsReadsTheDefaultFont)
{
    TFontRecordList none;
    TFormatRecordList formats;
    TXFRecord xf(xlr_XF, ByteArray(20, 0));
    TVovFormat f;
    xf.VovFormat(none, formats, f);
    EXPECT_EQ(f.FontInfo.FontName, u"Arial");
    EXPECT_EQ(f.FontInfo.HeightTwips, 200);
    BooleanArray used;
    TXFRecordList list;
    list.Add(std::make_unique<TXFRecord>(xlr_XF, ByteArray(20, 0)));
    list.GetUsedColors(57, none, used);
}

TEST(Styles, Palette)
{
    TPaletteRecord p;
    EXPECT_EQ(p.GetCount(), 56);
    EXPECT_EQ(p.DataSize(), 226);
    EXPECT_EQ(p.GetColor(2), 0x0000FFu); // red, red in the low byte
    p.SetColor(2, 0x123456);
    EXPECT_EQ(p.GetColor(2), 0x123456u);
    EXPECT_EQ(ErrorOf([&] { p.GetColor(56); }),
              "The index \"56\" of the property \"Palette Color Index\" is not in the range 0-55");
    EXPECT_EQ(ErrorOf([&] { p.SetColor(-1, 0); }),
              "Too many entries for this kind of record (-1 out of a maximum of 55)");
    EXPECT_EQ(ErrorOf([] { StandardPalette(56); }),
              "The index \"56\" of the property \"Palette index\" is not in the range 0-55");

    // A stored count larger than the data gives only the colours the data holds.
    ByteArray d(2 + 4 * 3, 0);
    SetWord(d.data(), 0, 56);
    TPaletteRecord shortOne(xlr_PALETTE, d);
    EXPECT_EQ(shortOne.GetCount(), 3);
    EXPECT_NE(ErrorOf([&] { shortOne.GetColor(3); }), "(no error)");

    // The standard colours are the ones xlrd gives a file without a PALETTE record.
    const ByteArray listing = Fixture("xlwt-styles.styles.txt");
    std::istringstream in(std::string(listing.begin(), listing.end()));
    std::string kind, rgb;
    int index, seen = 0;
    while (in >> kind) {
        if (kind != "palette") {
            std::getline(in, kind);
            continue;
        }
        in >> index >> rgb;
        const LongWord c = StandardPalette(index - 8);
        char text[8];
        snprintf(text, sizeof text, "%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        EXPECT_EQ(text, rgb) << index;
        ++seen;
    }
    EXPECT_EQ(seen, 56);
}
