#include "RudUvud/xlsadapter/XlsStyles.h"

#include "RudUvud/xlsadapter/XlsStrings.h"
#include "platform/rtl/FormatSettings.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {

const char* const BuiltInTexts[50] = {
    "",                             // 0
    "0",                            // 1
    "0.00",                         // 2
    "#,##0",                        // 3
    "#,##0.00",                     // 4
    "$#,##0_);($#,##0)",            // 5
    "$#,##0_);[Red]($#,##0)",       // 6
    "$#,##0.00_);($#,##0.00)",      // 7
    "$#,##0.00_);[Red]($#,##0.00)", // 8
    "0%",                           // 9
    "0.00%",                        // 10
    "0.00E+00",                     // 11
    "# ?/?",                        // 12
    "# ?"
    "?/?"
    "?",                             // 13
    "",                              // 14: from the locale
    "DD-MMM-YY",                     // 15
    "DD-MMM",                        // 16
    "MMM-YY",                        // 17
    "h:mm AM/PM",                    // 18
    "h:mm:ss AM/PM",                 // 19
    "hh:mm",                         // 20
    "hh:mm:ss",                      // 21
    "",                              // 22: from the locale
    "",                              // 23
    "",                              // 24
    "",                              // 25
    "",                              // 26
    "",                              // 27
    "",                              // 28
    "",                              // 29
    "",                              // 30
    "",                              // 31
    "",                              // 32
    "",                              // 33
    "",                              // 34
    "",                              // 35
    "",                              // 36
    "#,##0 _$;-#,##0 _$",            // 37
    "#,##0 _$;[Red]-#,##0 _$",       // 38
    "#,##0.00 _$;-#,##0.00 _$",      // 39
    "#,##0.00 _$;[Red]-#,##0.00 _$", // 40
    "",                              // 41
    "",                              // 42
    "",                              // 43
    "",                              // 44
    "mm:ss",                         // 45
    "[h]:mm:ss",                     // 46
    "mm:ss.0",                       // 47
    "##0.0E+0",                      // 48
    "@",                             // 49
};

// Colour indexes 8..63 as 0xRRGGBB.
const LongWord DefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, // 8..15
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, // 16..23
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, // 24..31
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF, // 32..39
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, // 40..47
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, // 48..55
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333, // 56..63
};

WideString Widen(const char* Text)
{
    return StringToWideStringNoCodePage(Text);
}

// The locale's short date as year, month and day in the order it names them first.
WideString LocaleDate(bool WithTime)
{
    const AnsiString& fmt = FormatSettings.ShortDateFormat;
    const AnsiString sep(1, FormatSettings.DateSeparator);
    AnsiString date;
    for (char c : fmt) {
        const char l = static_cast<char>(c | 0x20);
        if (l == 'y')
            date = "YYYY" + sep + "mm" + sep + "dd";
        else if (l == 'm')
            date = "mm" + sep + "dd" + sep + "YYYY";
        else if (l == 'd')
            date = "dd" + sep + "mm" + sep + "YYYY";
        else
            continue;
        break;
    }
    if (date.empty())
        return Widen(WithTime ? "mm/dd/YYYY hh:mm" : "mm/dd/YYYY");
    if (WithTime)
        date += " hh" + AnsiString(1, FormatSettings.TimeSeparator) + "mm";
    return StringToWideStringNoCodePage(date);
}

Byte ColorByte(Integer PaletteEntry)
{
    return static_cast<Byte>((PaletteEntry + 7) & 0x7F);
}

// A border colour as written: the fixed colours below 8 are not borders' colours, and nothing
// above the system colour exists.
LongWord BorderColor(Integer PaletteEntry)
{
    return std::clamp<LongWord>(ColorByte(PaletteEntry), 8, 64);
}

TVovFont DefaultFont()
{
    TVovFont f;
    f.FontName = u"Arial";
    f.HeightTwips = 200;
    f.PaletteIndex = 0x7FFF - 7;
    return f;
}

} // namespace

WideString XlsBuiltInFormats(Integer Id)
{
    if (Id == 14)
        return LocaleDate(false);
    if (Id == 22)
        return LocaleDate(true);
    if (Id < 0 || Id > 49)
        return WideString();
    return Widen(BuiltInTexts[Id]);
}

LongWord StandardPalette(Integer Index)
{
    if (Index < 0 || Index > 55)
        XlsError(ErrXlsIndexOutBounds, {Int64(Index), AnsiString("Palette index"), Int64(0), Int64(55)});
    const LongWord rgb = DefaultPalette[Index];
    // Red in the low byte, as the file stores it.
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// ---- TFontRecord -------------------------------------------------------------------------------

TFontRecord::TFontRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 16)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TFontRecord::TFontRecord(const TVovFont& Font) : TBaseRecord(xlr_FONT, {})
{
    const TExcelString name(1, Font.FontName, true);
    TRecordBody d(static_cast<size_t>(14 + name.TotalSize()));
    ::SetWord(d.data(), 0, Font.HeightTwips);
    Word options = 0;
    if (Font.StyleSet & (1 << flsItalic))
        options |= 2;
    if (Font.StyleSet & (1 << flsStrikeOut))
        options |= 8;
    ::SetWord(d.data(), 2, options);
    ::SetWord(d.data(), 4, static_cast<Word>(Font.PaletteIndex + 7));
    ::SetWord(d.data(), 6, (Font.StyleSet & (1 << flsBold)) ? 700 : 400);
    Word escapement = 0;
    if (Font.StyleSet & (1 << flsSubscript))
        escapement = 2;
    else if (Font.StyleSet & (1 << flsSuperscript))
        escapement = 1;
    ::SetWord(d.data(), 8, escapement);
    static const Byte underline[] = {0, 1, 2, 0x21, 0x22};
    d[10] = Font.UnderlineKind <= fu_DoubleAccounting ? underline[Font.UnderlineKind] : 0;
    d[11] = Font.FamilyCode;
    d[12] = Font.CharSetCode;
    d[13] = 0;
    name.CopyToPtr(d.data(), 14);
    SetData(std::move(d));
}

SetOfTVovFontStyle TFontRecord::Style() const
{
    SetOfTVovFontStyle s = 0;
    if (Weight() == 700)
        s |= 1 << flsBold;
    if (Options() & 2)
        s |= 1 << flsItalic;
    if (Options() & 8)
        s |= 1 << flsStrikeOut;
    const Word esc = GetWord(Data(), 8);
    if (esc == 1)
        s |= 1 << flsSuperscript;
    else if (esc == 2)
        s |= 1 << flsSubscript;
    return s;
}

TVovUnderline TFontRecord::Underline() const
{
    switch (Data()[10]) {
    case 1:
        return fu_Single;
    case 2:
        return fu_Double;
    case 0x21:
        return fu_SingleAccounting;
    case 0x22:
        return fu_DoubleAccounting;
    default:
        return fu_None;
    }
}

WideString TFontRecord::Name() const
{
    const TBaseRecord* r = this;
    Integer pos = 14;
    return TExcelString(1, r, pos).GetValue();
}

TVovFont TFontRecord::VovFont() const
{
    TVovFont f;
    f.FontName = Name();
    f.HeightTwips = Height();
    f.PaletteIndex = static_cast<Integer>(GetWord(Data(), 4)) - 7;
    f.StyleSet = Style();
    f.UnderlineKind = Underline();
    f.FamilyCode = Family();
    f.CharSetCode = Charset();
    return f;
}

bool TFontRecord::SameFont(const TFontRecord& Other) const
{
    // Option bits 0 and 2 repeat the weight and the underline, which other writers set and the
    // engine does not: they make no other font.
    if ((Options() & ~5) != (Other.Options() & ~5) ||
        !std::equal(Data().get(), Data() + 2, Other.Data().get()) ||
        !std::equal(Data() + 4, Data() + 14, Other.Data() + 4))
        return false;
    try {
        return Name() == Other.Name();
    } catch (const EExcelException&) {
        return false;
    }
}

// ---- TFormatRecord -----------------------------------------------------------------------------

TFormatRecord::TFormatRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 5)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TFormatRecord::TFormatRecord(const WideString& Text, Word Id) : TBaseRecord(xlr_FORMAT, {})
{
    const TExcelString s(2, Text);
    TRecordBody d(static_cast<size_t>(2 + s.TotalSize()));
    ::SetWord(d.data(), 0, Id);
    s.CopyToPtr(d.data(), 2);
    SetData(std::move(d));
}

WideString TFormatRecord::Value() const
{
    const TBaseRecord* r = this;
    Integer pos = 2;
    return TExcelString(2, r, pos).GetValue();
}

// ---- TXFRecord ---------------------------------------------------------------------------------

TXFRecord::TXFRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 20)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TXFRecord::TXFRecord(const TVovFormat& Format, TFormatRecordList& Formats, TFontRecordList& Fonts)
    : TBaseRecord(xlr_XF, TRecordBody(20))
{
    Byte* d = Data();
    ::SetWord(d, 0, static_cast<Word>(Fonts.AddFont(Format.FontInfo)));
    ::SetWord(d, 2, static_cast<Word>(Formats.AddFormat(Format.NumberFormat)));
    ::SetWord(d, 4, static_cast<Word>((Format.IsLocked ? 1 : 0) | (Format.IsHidden ? 2 : 0)));
    d[6] = static_cast<Byte>((Format.HorizontalAlign & 7) | (Format.Wrap ? 8 : 0) |
                             ((Format.VerticalAlign & 7) << 4));
    d[7] = Format.TextRotation;
    ::SetWord(d, 8, static_cast<Word>((Format.IndentLevel & 0x0F) | (Format.Shrink ? 16 : 0) | 0xFC00));
    const TVovBorders& b = Format.BorderSet;
    ::SetWord(d, 10,
              static_cast<Word>((b.LeftEdge.LineStyle & 0x0F) | ((b.RightEdge.LineStyle & 0x0F) << 4) |
                                ((b.TopEdge.LineStyle & 0x0F) << 8) |
                                ((b.BottomEdge.LineStyle & 0x0F) << 12)));
    ::SetWord(d, 12,
              static_cast<Word>(BorderColor(b.LeftEdge.LineColor) |
                                (BorderColor(b.RightEdge.LineColor) << 7) | ((b.DiagonalKind & 3) << 14)));
    // A pattern kind of 0 names no pattern: it is written as no fill rather than as the
    // undefined pattern 63.
    const LongWord pattern = Format.Fill.PatternKind == 0 ? 0 : (Format.Fill.PatternKind - 1) & 0x3F;
    SetLongWord(d, 14,
                BorderColor(b.TopEdge.LineColor) | (BorderColor(b.BottomEdge.LineColor) << 7) |
                    (LongWord(ColorByte(b.DiagonalEdge.LineColor)) << 14) |
                    (LongWord(b.DiagonalEdge.LineStyle & 0x0F) << 21) | (pattern << 26));
    ::SetWord(d, 18,
              static_cast<Word>(ColorByte(Format.Fill.ForeColor) | (ColorByte(Format.Fill.BackColor) << 7)));
}

TVovBorderStyle TXFRecord::GetBorderStyle(Integer Pos, Integer Shift) const
{
    return static_cast<TVovBorderStyle>((Data()[Pos] >> Shift) & 0x0F);
}

TVovBorderStyle TXFRecord::GetBorderStyleExt(Integer Pos, Integer Shift) const
{
    return static_cast<TVovBorderStyle>((GetLongWord(Data(), Pos) >> Shift) & 0x0F);
}

Integer TXFRecord::GetBorderColorIndex(Integer Pos, Integer Shift) const
{
    const Integer x = (Data()[Pos] >> Shift) & 0x7F;
    return x > 7 ? x - 7 : 1;
}

Integer TXFRecord::GetBorderColorIndexExt(Integer Pos, Integer Shift) const
{
    const Integer x = static_cast<Integer>((GetLongWord(Data(), Pos) >> Shift) & 0x7F);
    return x > 7 ? x - 7 : 1;
}

void TXFRecord::FillMisc(bool& Locked, bool& Hidden, Integer& ParentBits, bool& Wrap, bool& Shrink,
                         Byte& aRotation, Byte& Indent) const
{
    const Word prot = GetWord(Data(), 4);
    Locked = prot & 1;
    Hidden = prot & 2;
    ParentBits = prot & 0xFFF0;
    Wrap = WrapText();
    Shrink = Data()[8] & 0x10;
    aRotation = Rotation();
    Indent = Data()[8] & 0x0F;
}

Integer TXFRecord::GetActualFontIndex(const TFontRecordList& Fonts) const
{
    const Integer pos = TFontRecordList::PositionOf(FontIndex());
    return pos < Fonts.Count() ? pos : 0;
}

void TXFRecord::FillUsedColors(BooleanArray& Used, const TFontRecordList& Fonts) const
{
    auto mark = [&](Integer Entry) {
        if (Entry >= 0 && Entry < static_cast<Integer>(Used.size()))
            Used[static_cast<size_t>(Entry)] = true;
    };
    if (GetBorderStyle(10, 0) != fbs_None)
        mark(GetBorderColorIndexExt(12, 0));
    if (GetBorderStyle(10, 4) != fbs_None)
        mark(GetBorderColorIndexExt(12, 7));
    if (GetBorderStyle(11, 0) != fbs_None)
        mark(GetBorderColorIndexExt(14, 0));
    if (GetBorderStyle(11, 4) != fbs_None)
        mark(GetBorderColorIndexExt(14, 7));
    if (GetBorderStyleExt(14, 21) != fbs_None)
        mark(GetBorderColorIndexExt(14, 14));
    const Integer pattern = CellPattern();
    if (pattern != 0)
        mark(CellFgColorIndex());
    if (pattern != 0 && pattern != 1)
        mark(CellBgColorIndex());
    const Integer font = GetActualFontIndex(Fonts);
    if (font < Fonts.Count() && Fonts.Items(font))
        mark(static_cast<Integer>(GetWord(Fonts.Items(font)->Data(), 4)) - 7);
}

void TXFRecord::VovFormat(const TFontRecordList& Fonts, const TFormatRecordList& Formats,
                          TVovFormat& Result) const
{
    // A workbook without fonts (only a damaged file has none) reads the default font.
    const Integer font = GetActualFontIndex(Fonts);
    Result.FontInfo =
        font < Fonts.Count() && Fonts.Items(font) ? Fonts.Items(font)->VovFont() : DefaultFont();

    TVovBorders& b = Result.BorderSet;
    b.LeftEdge = {GetBorderStyle(10, 0), GetBorderColorIndexExt(12, 0)};
    b.RightEdge = {GetBorderStyle(10, 4), GetBorderColorIndexExt(12, 7)};
    b.TopEdge = {GetBorderStyle(11, 0), GetBorderColorIndexExt(14, 0)};
    b.BottomEdge = {GetBorderStyle(11, 4), GetBorderColorIndexExt(14, 7)};
    b.DiagonalEdge = {GetBorderStyleExt(14, 21), GetBorderColorIndexExt(14, 14)};
    b.DiagonalKind = DiagonalStyle();

    Result.NumberFormat = Formats.GetFormat(FormatIndex());
    Result.Fill.PatternKind = static_cast<TVovPatternStyle>(CellPattern() + 1);
    Result.Fill.ForeColor = CellFgColorIndex();
    Result.Fill.BackColor = CellBgColorIndex();
    Result.HorizontalAlign = HAlign();
    Result.VerticalAlign = VAlign();
    FillMisc(Result.IsLocked, Result.IsHidden, Result.ParentBits, Result.Wrap, Result.Shrink,
             Result.TextRotation, Result.IndentLevel);
}

// ---- Lists -------------------------------------------------------------------------------------

void TXFRecordList::Added(TBaseRecord* Rec)
{
    TBaseRecordList::Added(Rec);
    if (Count() == 1) { // the first record, also after Clear: nothing before it to remember
        FIndex.clear();
        FIndexValid = true;
    }
    if (FIndexValid && Rec && FList.back().get() == Rec)
        FIndex[Key(*Rec)].push_back(Count() - 1);
    else
        FIndexValid = false;
}

void TXFRecordList::Removed(TBaseRecord* Rec)
{
    TBaseRecordList::Removed(Rec);
    FIndexValid = false;
}

bool TXFRecordList::FindFormat(const TXFRecord& XF, Integer& Index) const
{
    if (!FIndexValid) {
        FIndex.clear();
        for (Integer i = 0; i < Count(); ++i)
            if (Items(i))
                FIndex[Key(*Items(i))].push_back(i);
        FIndexValid = true;
    }
    const std::string key = Key(XF);
    auto it = FIndex.find(key);
    if (it != FIndex.end())
        for (Integer i : it->second) {
            // A record changed in place leaves its old bytes behind.
            const TXFRecord* r = i < Count() ? Items(i) : nullptr;
            if (r && Key(*r) == key) {
                Index = i;
                return true;
            }
        }
    Index = -1;
    return false;
}

void TXFRecordList::GetUsedColors(Integer aCount, const TFontRecordList& Fonts, BooleanArray& Used) const
{
    Used.assign(static_cast<size_t>(std::max<Integer>(aCount, 0)), false);
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i))
            Items(i)->FillUsedColors(Used, Fonts);
}

Integer TFontRecordList::AddFont(const TVovFont& Font)
{
    auto rec = std::make_unique<TFontRecord>(Font);
    // A font read from a file may hold its name 8-bit while the new one is always 16-bit: the
    // two are the same font, and taking the old one keeps every save from adding another.
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i) && Items(i)->SameFont(*rec))
            return NumberOf(i);
    return NumberOf(TBaseRecordList::Add(std::move(rec)));
}

Integer TFormatRecordList::Add(std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    return TBaseRecordList::Add(std::move(Rec));
}

void TFormatRecordList::Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    TBaseRecordList::Insert(Index, std::move(Rec));
}

void TFormatRecordList::SortList() const
{
    auto& list = const_cast<decltype(FList)&>(FList);
    // Null items (none are made by the engine) go last.
    std::stable_sort(list.begin(), list.end(),
                     [](const std::unique_ptr<TBaseRecord>& a, const std::unique_ptr<TBaseRecord>& b) {
                         if (!a || !b)
                             return a && !b;
                         return GetWord(a->Data(), 0) < GetWord(b->Data(), 0);
                     });
    FSorted = true;
}

void TFormatRecordList::Sort()
{
    SortList();
}

bool TFormatRecordList::Find(Integer FormatId, Integer& Index) const
{
    if (!FSorted)
        SortList();
    Integer lo = 0, hi = Count() - 1;
    while (hi >= lo && !Items(hi))
        --hi;
    bool found = false;
    while (hi >= lo) {
        const Integer mid = (lo + hi) / 2;
        const Integer id = Items(mid)->FormatId();
        if (id < FormatId)
            lo = mid + 1;
        else {
            hi = mid - 1;
            if (id == FormatId) {
                lo = mid;
                found = true;
            }
        }
    }
    Index = lo;
    return found;
}

Integer TFormatRecordList::AddFormat(const WideString& Text)
{
    for (Integer i = 0; i < Count(); ++i) {
        if (!Items(i))
            continue;
        try {
            if (Items(i)->Value() == Text)
                return Items(i)->FormatId();
        } catch (const EExcelException&) {
            // A damaged format text matches nothing.
        }
    }
    for (Integer id = 0; id <= 49; ++id)
        if (XlsBuiltInFormats(id) == Text)
            return id;
    if (!FSorted)
        SortList();
    Integer last = -1;
    for (Integer i = Count() - 1; i >= 0 && last < 0; --i)
        if (Items(i))
            last = Items(i)->FormatId();
    Integer id = std::max(last + 1, FirstUserFormatId);
    if (id > 0xFFFF) {
        // The ids run out at the top: take the first free one from 164 on.
        id = FirstUserFormatId;
        for (Integer i = 0; i < Count(); ++i) {
            if (!Items(i) || Items(i)->FormatId() < id)
                continue;
            if (Items(i)->FormatId() > id)
                break;
            ++id;
        }
        if (id > 0xFFFF)
            XlsError(ErrTooManyEntries, {Int64(id), Int64(0xFFFF)});
    }
    Add(std::make_unique<TFormatRecord>(Text, static_cast<Word>(id)));
    return id;
}

WideString TFormatRecordList::GetFormat(Integer FormatId) const
{
    Integer i;
    if (Find(FormatId, i)) {
        try {
            return Items(i)->Value();
        } catch (const EExcelException&) {
            return WideString();
        }
    }
    return XlsBuiltInFormats(FormatId);
}

// ---- TPaletteRecord ----------------------------------------------------------------------------

TPaletteRecord::TPaletteRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 2)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TPaletteRecord::TPaletteRecord() : TBaseRecord(xlr_PALETTE, TRecordBody(2 + 4 * 56))
{
    ::SetWord(Data(), 0, 56);
    for (Integer i = 0; i < 56; ++i)
        SetLongWord(Data(), 2 + 4 * i, StandardPalette(i));
}

Integer TPaletteRecord::GetCount() const
{
    return std::min<Integer>(GetWord(Data(), 0), (DataSize() - 2) / 4);
}

LongWord TPaletteRecord::GetColor(Integer Index) const
{
    if (Index < 0 || Index >= GetCount())
        XlsError(ErrXlsIndexOutBounds,
                 {Int64(Index), AnsiString("Palette Color Index"), Int64(0), Int64(GetCount() - 1)});
    return GetLongWord(Data(), 2 + 4 * Index);
}

void TPaletteRecord::SetColor(Integer Index, LongWord Color)
{
    if (Index < 0 || Index >= GetCount())
        XlsError(ErrTooManyEntries, {Int64(Index), Int64(GetCount() - 1)});
    SetLongWord(Data(), 2 + 4 * Index, Color);
}
