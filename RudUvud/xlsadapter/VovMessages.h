#pragma once

#include "RudUvud/xlsadapter/VovFormats.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <vector>

// The plain value records and small helpers through which callers talk to the spreadsheet
// engine. Records are plain data: copying one copies its texts by value; none owns an engine object.

using ByteArray = std::vector<Byte>;
using WidestringArray = std::vector<WideString>;
using WideCharArray = std::vector<WideChar>;
using BooleanArray = std::vector<bool>;
using TColorPaletteRange = Integer; // 1..56

// A cell value at the API. The engine's own value type: empty, number, date (days since
// 30 December 1899), wide text or boolean.
enum TXlsVarType { xvEmpty, xvNumber, xvDate, xvString, xvBoolean };
struct TXlsVariant {
    TXlsVarType VarType = xvEmpty;
    double Number = 0; // the number or the date
    bool Boolean = false;
    WideString Text;

    static TXlsVariant Empty() { return {}; }
    static TXlsVariant FromNumber(double N) { return {xvNumber, N, false, {}}; }
    static TXlsVariant FromDate(double D) { return {xvDate, D, false, {}}; }
    static TXlsVariant FromString(const WideString& S) { return {xvString, 0, false, S}; }
    static TXlsVariant FromBoolean(bool B) { return {xvBoolean, 0, B, {}}; }
    bool IsEmpty() const { return VarType == xvEmpty; }
    friend bool operator==(const TXlsVariant&, const TXlsVariant&) = default;
};
using ArrayOfVariant = std::vector<TXlsVariant>;
using VariantArray = std::vector<TXlsVariant>;

struct TXlsCellValue {
    TXlsVariant CellValue;
    Integer XFIndex = -1; // -1 for a cell that does not exist
    bool HoldsFormula = false;
};

// Inclusive; left, top, right, bottom.
struct TXlsCellRange {
    Integer FirstCol = 0;
    Integer FirstRow = 0;
    Integer LastCol = 0;
    Integer LastRow = 0;
    friend bool operator==(const TXlsCellRange&, const TXlsCellRange&) = default;
};

struct TXlsNamedRange {
    AnsiString RangeName;
    AnsiString RefersTo; // begins with "="
    LongWord NameOptions = 0;
    Integer LocalSheet = 0; // 0-based sheet, negative for a workbook-wide name
};

struct TXlsMargins {
    Extended MarginLeft = 0;
    Extended MarginTop = 0;
    Extended MarginRight = 0;
    Extended MarginBottom = 0;
    Extended MarginHeader = 0;
    Extended MarginFooter = 0;
};

// Column offsets in 1/1024 of the column's width, row offsets in 1/255 of the row's height.
struct TClientAnchor {
    Word AnchorFlags = 0;
    Word StartCol = 0;
    Word StartColOffset = 0;
    Word StartRow = 0;
    Word StartRowOffset = 0;
    Word EndCol = 0;
    Word EndColOffset = 0;
    Word EndRow = 0;
    Word EndRowOffset = 0;
};

struct TImageProperties {
    Integer StartCol = 0;
    Integer StartColOffset = 0;
    Integer StartRow = 0;
    Integer StartRowOffset = 0;
    Integer EndCol = 0;
    Integer EndColOffset = 0;
    Integer EndRow = 0;
    Integer EndRowOffset = 0;
    WideString PictureName;
};

struct TRTFRun {
    Word StartChar = 0;
    Word FontRef = 0;
    friend bool operator==(const TRTFRun&, const TRTFRun&) = default;
};
using TRTFRunList = std::vector<TRTFRun>;

struct TRichString {
    WideString Text;
    TRTFRunList Runs;
};

enum THyperLinkType : Byte { hl_URL, hl_LocalFile, hl_UNC, hl_CurrentWorkbook };

struct THyperLink {
    THyperLinkType Kind = hl_URL;
    WideString DisplayText;
    WideString FrameName;
    WideString Location;
    WideString Address;
    WideString ScreenTip;
};

struct TPrinterDriverSettings {
    Word Environment = 0;
    ByteArray DriverData;
};

enum TXlsImgTypes { xli_Emf, xli_Wmf, xli_Jpeg, xli_Png, xli_Bmp, xli_Unknown };
enum TVovAnchorType { at_MoveAndResize, at_MoveAndDontResize, at_DontMoveAndDontResize };
enum TXlsSheetVisible { sv_Visible, sv_Hidden, sv_VeryHidden };

// Declared for callers that want them; the engine raises neither.
using TOnGetFileNameEvent = std::function<void(TObject* Sender, Integer FileFormat, WideString& FileName)>;
using TOnGetOutStreamEvent = std::function<void(TObject* Sender, Integer FileFormat, ByteArray& Data)>;

// Grid pixels to column-width units of 1/256 character, and to twips.
inline constexpr Extended ColMult = 256.0 / 7.0;
inline constexpr Extended RowMult = 15.0;
inline constexpr Integer DefColWidthAdapt = 293;

// The column letters of a 1-based column: 1 A, 26 Z, 27 AA, 256 IV.
AnsiString EncodeColumn(Integer Column);

// The full name of an existing file; raises "Can't find the file "%s"" when there is none. A
// relative name with an empty path is looked for beside the running program.
AnsiString SearchPathStr(const AnsiString& FileName);
AnsiString SearchPathStr(const AnsiString& Path, const AnsiString& FileName);

// Whole text as a number with "." decimals, optional sign and exponent. Value holds what was
// converted even when the result is false.
bool TryStrToFloatInvariant(const AnsiString& Text, Extended& Value);

// Upper-cases every code unit by the Unicode simple case mapping.
WideString WideUpperCase98(const WideString& Text);

// The 1-based position of SubText in Text from Offset on; -1 when absent.
Integer PosEx(const WideString& SubText, const WideString& Text, Cardinal Offset = 1);

// Replaces OldPattern (compared without case) by NewPattern outside double quotes.
WideString StringReplaceSkipQuotes(const WideString& Text, const WideString& OldPattern,
                                   const WideString& NewPattern);

// The engine always uses the process-wide settings of the runtime library; these exist for
// callers that pass settings around and change nothing.
using PFormatSettings = TFormatSettings*;
void GetLocaleFormatSettings(Integer LCID, TFormatSettings& Settings);
void EnsureAMPM(PFormatSettings Settings);
PFormatSettings GetDefaultLocaleFormatSettings();

// Decides whether text typed into a cell is a date and/or a time and which display format fits
// it (DateFormat and TimeFormat default to the locale's short formats). Never raises. Texts
// such as 1.5, 10.30 and 1.2.3 are not dates.
bool VovTryStrToDateTime(const WideString& Text, TDateTime& Value, WideString& Format, bool& HasDate,
                         bool& HasTime, const WideString& DateFormat = WideString(),
                         const WideString& TimeFormat = WideString());

// The runtime's date-time formatting ("##" when it fails); with Is1904 the value is shifted
// from the 1904 date system first.
AnsiString TryFormatDateTime(const AnsiString& Format, TDateTime Value);
AnsiString TryFormatDateTime1904(const AnsiString& Format, TDateTime Value, bool Is1904);
AnsiString TryFormatDateTime1904(const AnsiString& Format, TDateTime Value, bool Is1904,
                                 const TFormatSettings& Settings);

// A cell value as text: numbers in the locale's form, booleans as "True"/"False", empty as
// empty text.
WideString VariantToString(const TXlsVariant& Value);

TXlsCellRange OffsetRange(const TXlsCellRange& Range, Integer DeltaRow, Integer DeltaCol);
void InitializeNamedRange(TXlsNamedRange& Range);
