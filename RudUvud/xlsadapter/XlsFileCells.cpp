#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cctype>

// The xls file's cells: values, formulas, formats, enumeration, typed text, and the workbook's
// palette, font and format lists.

// ---- Values and formulas -----------------------------------------------------------------------

TXlsVariant TXLSFile::GetCellValue(Integer Row, Integer Col)
{
    TXlsVariant V;
    if (auto C = Cells())
        C->GetVariant(Row - 1, Col - 1, V);
    return V;
}

void TXLSFile::SetCellValue(Integer Row, Integer Col, const TXlsVariant& Value)
{
    AssignCellData(Row, Col - FFirstColumn - 1, Value);
}

TXlsCellValue TXLSFile::GetCellValueX(Integer Row, Integer Col)
{
    return GetCellDataX(Row, Col - FFirstColumn - 1);
}

void TXLSFile::SetCellValueX(Integer Row, Integer Col, const TXlsCellValue& Value)
{
    AssignCellDataX(Row, Col - FFirstColumn - 1, Value);
}

TXlsVariant TXLSFile::GetCellData(Integer Row, Integer Col)
{
    return GetCellDataX(Row, Col).CellValue;
}

TXlsCellValue TXLSFile::GetCellDataX(Integer Row, Integer Col)
{
    TXlsCellValue V;
    TRTFRunList Runs;
    GetCellDataX2(Row, Col, V, Runs);
    return V;
}

void TXLSFile::GetCellDataX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs)
{
    Value = TXlsCellValue();
    Runs.clear();
    if (auto C = Cells())
        C->GetValueX2(Row - 1, FFirstColumn + Col, Value, Runs);
}

void TXLSFile::AssignCellData(Integer Row, Integer Col, const TXlsVariant& Value)
{
    TXlsCellValue V;
    V.CellValue = Value;
    AssignCellDataX2(Row, Col, V, TRTFRunList());
}

void TXLSFile::AssignCellDataX(Integer Row, Integer Col, const TXlsCellValue& Value)
{
    AssignCellDataX2(Row, Col, Value, TRTFRunList());
}

void TXLSFile::AssignCellDataX2(Integer Row, Integer Col, const TXlsCellValue& Value, const TRTFRunList& Runs)
{
    auto C = Cells();
    if (!C)
        return;
    C->SetValueX2(Row - 1, FFirstColumn + Col, Value, Runs, Is1904());
    CellsChanged(Row - 1, FFirstColumn + Col);
}

void TXLSFile::AssignBlockData(Integer Row, Integer Col, const TXlsVariant& Value)
{
    AssignCellData(Row, Col, Value);
}

void TXLSFile::PrepareBlockData(Integer, Integer, Integer, Integer) {}

void TXLSFile::PasteBlockData() {}

void TXLSFile::GetCellValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs)
{
    Value = TXlsCellValue();
    Runs.clear();
    auto C = Cells();
    if (!C)
        return;
    C->GetValueX2(Row - 1, Col - 1, Value, Runs);
    for (TRTFRun& R : Runs)
        ++R.StartChar;
}

void TXLSFile::AssignCellValueX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                                 const TRTFRunList& Runs)
{
    auto C = Cells();
    if (!C)
        return;
    // Run starts count from 1 here, from 0 in the workbook.
    TRTFRunList R = Runs;
    for (TRTFRun& Run : R)
        Run.StartChar = static_cast<Word>(Run.StartChar > 0 ? Run.StartChar - 1 : 0);
    C->SetValueX2(Row - 1, Col - 1, Value, R, Is1904());
    CellsChanged(Row - 1, Col - 1);
}

WideString TXLSFile::GetCellFormula(Integer Row, Integer Col)
{
    auto C = Cells();
    return C ? C->GetFormula(Row - 1, Col - 1) : WideString();
}

void TXLSFile::SetCellFormula(Integer Row, Integer Col, const WideString& Formula)
{
    auto C = Cells();
    if (!C)
        return;
    C->SetFormula(Row - 1, Col - 1, Formula);
    CellsChanged(Row - 1, Col - 1);
}

void TXLSFile::SetCellFormulaX(Integer Row, Integer Col, const WideString& Formula, const TXlsVariant& Value)
{
    if (auto C = Cells())
        C->AssignFormulaX(Row - 1, Col - 1, Formula, Value, Is1904());
}

Integer TXLSFile::GetCellFormat(Integer Row, Integer Col)
{
    auto C = Cells();
    return C ? C->GetValue(Row - 1, Col - 1).XFIndex : -1;
}

void TXLSFile::SetCellFormat(Integer Row, Integer Col, Integer XF)
{
    if (auto C = Cells())
        C->SetFormat(Row - 1, Col - 1, XF);
}

// ---- Enumeration -------------------------------------------------------------------------------

Integer TXLSFile::CellCount(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Row < 1 || Row > WS->Cells().CellList().Count())
        return 0;
    return FLastColumn - FFirstColumn + 1;
}

Integer TXLSFile::MaxRow()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->Cells().RowList().Count() : 0;
}

Integer TXLSFile::MaxCol()
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return 0;
    const TRowRecordList& Rows = WS->Cells().RowList();
    Integer Result = 0;
    for (Integer i = 0; i < Rows.Count(); ++i)
        if (const TRowRecord* R = Rows.Items(i))
            Result = std::max<Integer>(Result, R->GetMaxCol());
    return Result;
}

bool TXLSFile::IsEmptyRow(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Row < 1)
        return true;
    TCells& C = WS->Cells();
    return !(Row <= C.CellList().Count() && C.RowList().HasRow(Row - 1));
}

Integer TXLSFile::ColIndexCount(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Row < 1)
        return 0;
    return WS->Cells().CellList().CellCount(Row - 1);
}

Integer TXLSFile::ColByIndex(Integer Row, Integer ColIndex)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Row < 1)
        return 0;
    TCellRecordList* L = WS->Cells().CellList().StoredCells(Row - 1);
    if (!L || ColIndex < 1 || ColIndex > L->CellCount())
        return 0;
    return L->ColumnAt(ColIndex - 1) + 1;
}

Integer TXLSFile::ColIndex(Integer Row, Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Row < 1)
        return 0;
    TCellRecordList* L = WS->Cells().CellList().StoredCells(Row - 1);
    if (!L || L->CellCount() == 0)
        return 0;
    Integer Index = 0;
    L->FindColumn(Col, Index);
    return Index + 1;
}

void TXLSFile::SetBounds(const WideString& RangeName)
{
    TNameRecordList& Names = Book().Globals().Names();
    for (Integer i = 0; i < Names.Count(); ++i) {
        const TNameRecord* N = Names.Items(i);
        if (N && WideSameText(N->Name(), RangeName)) {
            FFirstColumn = N->GetC1();
            FLastColumn = N->GetC2();
            return;
        }
    }
}

Integer TXLSFile::GetFirstColumn()
{
    return FFirstColumn + 1;
}

// ---- Marked rows -------------------------------------------------------------------------------

void TXLSFile::DeleteMarkedRows(const WideString& Mark)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    FInvalidateFormulas = true;
    for (Integer Row = WS->Cells().CellList().Count(); Row >= 1; --Row) {
        try {
            if (VariantToString(GetCellValue(Row, 1)) == Mark)
                DeleteRows(Row, 1);
        } catch (const Exception&) {
            // One row that cannot go does not stop the others.
        }
    }
}

void TXLSFile::MakePageBreaks(const WideString& Mark)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    for (Integer Row = WS->Cells().CellList().Count(); Row >= 1; --Row) {
        try {
            if (VariantToString(GetCellValue(Row, 1)) == Mark) {
                auto C = Cells();
                TXlsCellValue Empty;
                C->SetValueX2(Row - 1, 0, Empty, TRTFRunList(), Is1904());
                CellsChanged(Row - 1, 0);
                WS->InsertHPageBreak(Row - 1);
            }
        } catch (const Exception&) {
        }
    }
}

// ---- Palette, fonts and formats ----------------------------------------------------------------

TColor TXLSFile::GetColorPalette(TColorPaletteRange Index)
{
    return static_cast<TColor>(Book().Globals().GetColorPalette(Index - 1));
}

void TXLSFile::SetColorPalette(TColorPaletteRange Index, TColor Value)
{
    Book().Globals().SetColorPalette(Index - 1, static_cast<LongWord>(Value));
}

BooleanArray TXLSFile::GetUsedPaletteColors()
{
    TWorkbookGlobals& G = Book().Globals();
    BooleanArray Used(57, false);
    G.XFList().GetUsedColors(57, G.FontList(), Used);
    return Used;
}

namespace {
// The list position of a font index of the interface: 4 reads font 0, indexes above 4 skip it,
// anything outside the list is font 0.
Integer FontPosition(Integer Index, Integer Count)
{
    Integer P = Index == 4 ? 0 : Index > 4 ? Index - 1 : Index;
    return P < 0 || P >= Count ? 0 : P;
}
} // namespace

Integer TXLSFile::FontListCount()
{
    return Book().Globals().FontList().Count() + 1;
}

TVovFont TXLSFile::GetFontList(Integer Index)
{
    TFontRecordList& Fonts = Book().Globals().FontList();
    if (Fonts.Count() == 0)
        return TVovFont();
    return Fonts.Items(FontPosition(Index, Fonts.Count()))->VovFont();
}

void TXLSFile::SetFontList(Integer Index, const TVovFont& Value)
{
    TFontRecordList& Fonts = Book().Globals().FontList();
    if (Index == 4 || Fonts.Count() == 0)
        return;
    Fonts.SetItems(FontPosition(Index, Fonts.Count()), std::make_unique<TFontRecord>(Value));
}

Integer TXLSFile::AddFont(const TVovFont& Font)
{
    return Book().Globals().FontList().AddFont(Font);
}

Integer TXLSFile::FormatListCount()
{
    return Book().Globals().XFList().Count();
}

TVovFormat TXLSFile::GetFormatList(Integer Index)
{
    TWorkbookGlobals& G = Book().Globals();
    TVovFormat Result;
    if (G.XFList().Count() == 0)
        return Result;
    if (Index < 0 || Index >= G.XFList().Count())
        Index = 0;
    G.XFList().Items(Index)->VovFormat(G.FontList(), G.FormatList(), Result);
    return Result;
}

void TXLSFile::SetFormatList(Integer Index, const TVovFormat& Value)
{
    TWorkbookGlobals& G = Book().Globals();
    if (G.XFList().Count() == 0)
        return;
    if (Index < 0 || Index >= G.XFList().Count())
        Index = 0;
    G.XFList().SetItems(Index, std::make_unique<TXFRecord>(Value, G.FormatList(), G.FontList()));
}

Integer TXLSFile::AddFormat(const TVovFormat& Format)
{
    TWorkbookGlobals& G = Book().Globals();
    auto XF = std::make_unique<TXFRecord>(Format, G.FormatList(), G.FontList());
    Integer Index = 0;
    if (G.XFList().FindFormat(*XF, Index))
        return Index;
    return G.XFList().Add(std::move(XF));
}

// ---- Typed text --------------------------------------------------------------------------------

namespace {
bool StartsWith(const AnsiString& S, const AnsiString& P)
{
    return !P.empty() && S.size() >= P.size() && S.compare(0, P.size(), P) == 0;
}

bool EndsWith(const AnsiString& S, const AnsiString& P)
{
    return !P.empty() && S.size() >= P.size() && S.compare(S.size() - P.size(), P.size(), P) == 0;
}

// Takes the thousands separators out of T only where they stand in a number such as 1,234,567.
AnsiString RemoveThousands(const AnsiString& T)
{
    const char Sep = ThousandSeparator;
    const std::size_t D = T.find(DecimalSeparator);
    const AnsiString IntPart = D == AnsiString::npos ? T : T.substr(0, D);
    if (D != AnsiString::npos && T.find(Sep, D + 1) != AnsiString::npos)
        return T;
    if (!T.empty() && T[0] == Sep)
        return T;
    for (std::size_t Place = 4; Place <= IntPart.size(); Place += 4) {
        const char C = IntPart[IntPart.size() - Place];
        if (C != Sep && C != '-')
            return T;
    }
    AnsiString Out;
    for (std::size_t i = 0; i < T.size(); ++i)
        if (T[i] != Sep)
            Out += T[i];
    return Out;
}

// The number format of a currency amount after the locale's currency formats.
WideString CurrencyNumberFormat(bool HasDecimals)
{
    const AnsiString C = CurrencyString;
    AnsiString N = "###,###";
    if (HasDecimals)
        N += "." + AnsiString(CurrencyDecimals, '0');
    AnsiString P;
    switch (CurrencyFormat) {
    case 0:
        P = C + N;
        break;
    case 1:
        P = N + C;
        break;
    case 2:
        P = C + "\\ " + N;
        break;
    default:
        P = N + "\\ " + C;
        break;
    }
    AnsiString Neg;
    switch (NegCurrFormat) {
    case 1:
        Neg = ";[Red]-" + C + N;
        break;
    case 2:
        Neg = ";[Red]" + C + "-" + N;
        break;
    case 3:
        Neg = ";[Red]" + C + N + "-";
        break;
    case 4:
        Neg = "_);[Red]\\(" + N + C + "\\)";
        break;
    case 5:
        Neg = ";[Red]-" + N + C;
        break;
    case 6:
        Neg = ";[Red]" + N + "-" + C;
        break;
    case 7:
        Neg = ";[Red]" + N + C + "-";
        break;
    case 8:
        Neg = ";[Red]-" + N + "\\ " + C;
        break;
    case 9:
        Neg = ";[Red]-" + C + "\\ " + N;
        break;
    case 10:
        Neg = ";[Red]" + N + "\\ " + C + "-";
        break;
    case 11:
        Neg = ";[Red]" + C + "\\ " + N + "-";
        break;
    case 12:
        Neg = ";[Red]" + C + "\\ -" + N;
        break;
    case 13:
        Neg = ";[Red]" + N + "-\\ " + C;
        break;
    case 14:
        Neg = "_);[Red]\\(" + C + "\\ " + N + "\\)";
        break;
    case 15:
        Neg = "_);[Red]\\(" + N + "\\ " + C + "\\)";
        break;
    default:
        Neg = "_);[Red]\\(" + C + N + "\\)";
        break;
    }
    return AnsiToWide(P + Neg);
}
} // namespace

void TXLSFile::WriteCell(Integer Row, Integer Col, const TXlsVariant& Value, TVovFormat* Format)
{
    if (!Format) {
        SetCellValue(Row, Col, Value);
        return;
    }
    TXlsCellValue V;
    V.CellValue = Value;
    V.XFIndex = AddFormat(*Format);
    SetCellValueX(Row, Col, V);
}

void TXLSFile::SetCellString(Integer Row, Integer Col, const WideString& Text, const WideString& DateFormat,
                             const WideString& TimeFormat)
{
    SetCellStringWith(Row, Col, Text, nullptr, DateFormat, TimeFormat);
}

void TXLSFile::SetCellString(Integer Row, Integer Col, const WideString& Text, TVovFormat& Format,
                             const WideString& DateFormat, const WideString& TimeFormat)
{
    SetCellStringWith(Row, Col, Text, &Format, DateFormat, TimeFormat);
}

void TXLSFile::SetCellStringWith(Integer Row, Integer Col, const WideString& Text, TVovFormat* Given,
                                 const WideString& DateFormat, const WideString& TimeFormat)
{
    const WideString S = Trim(Text);
    AnsiString T = WideToAnsi(S);

    // Marks: an exponent form is only noted; then a percentage or else a currency amount.
    AnsiString Lower = T;
    for (char& C : Lower)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    const std::size_t E = Lower.find('e');
    const bool IsExp = E != AnsiString::npos && E > 0;
    bool IsPercent = false, IsCurrency = false;
    if (!T.empty() && T[0] == '%') {
        IsPercent = true;
        T.erase(0, 1);
    } else if (T.size() > 1 && T.back() == '%') {
        IsPercent = true;
        T.pop_back();
    } else if (StartsWith(T, CurrencyString)) {
        // An empty currency string marks nothing (a locale without one would make every number
        // a currency amount).
        IsCurrency = true;
        T.erase(0, CurrencyString.size());
    } else if (EndsWith(T, CurrencyString)) {
        IsCurrency = true;
        T.erase(T.size() - CurrencyString.size());
    }
    T = RemoveThousands(T);

    Extended Number = 0;
    if (!T.empty() && TryStrToFloat(T, Number)) {
        try {
            if (IsPercent)
                Number /= 100;
            TVovFormat Fmt = Given ? *Given : GetFormatList(GetCellFormat(Row, Col));
            const std::size_t Dec = T.find(DecimalSeparator);
            const bool HasDecimals = Dec != AnsiString::npos && Dec > 0;
            if (IsExp)
                Fmt.NumberFormat = u"0.00E+00";
            else if (IsPercent)
                Fmt.NumberFormat = HasDecimals ? u"0.00%" : u"0%";
            else if (IsCurrency)
                Fmt.NumberFormat = CurrencyNumberFormat(HasDecimals);
            WriteCell(Row, Col, TXlsVariant::FromNumber(Number), &Fmt);
            return;
        } catch (const Exception&) {
            // Not a number after all: the text goes on.
        }
    }

    const WideString Upper = WideUpperCase(S);
    if (Upper == u"TRUE" || Upper == u"FALSE") {
        WriteCell(Row, Col, TXlsVariant::FromBoolean(Upper == u"TRUE"), Given);
        return;
    }

    TDateTime When = 0;
    WideString DateText;
    bool HasDate = false, HasTime = false;
    if (VovTryStrToDateTime(S, When, DateText, HasDate, HasTime, DateFormat, TimeFormat)) {
        TVovFormat Fmt = Given ? *Given : GetFormatList(GetCellFormat(Row, Col));
        Fmt.NumberFormat = DateText;
        WriteCell(Row, Col, TXlsVariant::FromDate(When), &Fmt);
        return;
    }
    WriteCell(Row, Col, TXlsVariant::FromString(Text), Given);
}
