#include "RudUvud/xlsadapter/XlsMessages.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace zivXlsMessages {
const char* const ErrFileIsNotXLS = "The file \"%s\" is invalid";
const char* const ErrCantReadFile = "Can't read file \"%s\"";
const char* const ErrExcelInvalid = "Error reading Excel records. File invalid";
const char* const ErrCantWriteOutput = "Can't create output file \"%s\"";
const char* const ErrCantWrite = "Error writing output file";
const char* const ErrFileNotFound = "Can't find file \"%s\"";
const char* const ErrStreamNotFound = "Can't open Stream \"%s\"";
const char* const ErrExtRefsNotSupported =
    "External references to another workbook are not supported by Tabrix";
const char* const ErrWrongExcelRecord = "Record with ID 0x%x is invalid";
const char* const ErrBadToken = "Error reading formula, Token Id: 0x%2x is not supported";
const char* const ErrBadFormula = "Formula at Row %d, column %d is not supported. Token Id: 0x%2x";
const char* const ErrBadName = "Error in Worksheet name: \"%s\". Token Id: 0x%2x";
const char* const ErrBadCF = "Bad Conditional format. Token Id: 0x%2x";
const char* const ErrBadChartFormula = "Error in Chart formula. Token Id: 0x%2x";
const char* const Err3DRef = "Found a reference to another worksheet on a formula that does not support it";
const char* const ErrReadingRecord = "Error reading record";
const char* const ErrInvalidVersion = "Template file is saved with an invalid Excel version";
const char* const ErrTooManyEntries = "Too many entries for this kind of record (%d out of a maximum of %d)";
const char* const ErrRecordNotSupported = "Template contains an unsopported record: %4x";
const char* const ErrSectionNotLoaded = "A section of the workbook is not loaded";
const char* const ErrInvalidContinue = "Trying to add more than one CONTINUE record to the same record";
const char* const ErrStringTooLarge = "String too large";
const char* const ErrInvalidDrawing = "The file has an usupported drawing record";
const char* const ErrInvalidCF = "Invalid conditional format record";
const char* const ErrDuplicatedSheetName = "Sheet name already exists: %s";
const char* const ErrDupRow = "Duplicated ROW record";
const char* const ErrRowMissing = "Missing ROW Record for row %d";
const char* const ErrBadCopyRows = "Ivalid arguments to call InsertAndCopyRows";
const char* const ErrInvalidSheetNo = "Sheet number \"%d\" invalid. Must be between %d and %d";
const char* const ErrBadRowCount = "Number of ROW record is not the same that the cell count";
const char* const ErrEscherNotLoaded = "Escher record is not fully loaded";
const char* const ErrLoadingEscher = "Error loading Escher record";
const char* const ErrBStroreDuplicated = "Error loading Escher record. Duplicated BStore";
const char* const ErrDgDuplicated = "Error loading Escher record. Duplicated Dg";
const char* const ErrDggDuplicated = "Error loading Escher record. Duplicated Dgg";
const char* const ErrsolverDuplicated = "Error loading Escher record. Duplicated Solver container";
const char* const ErrChangingEscher = "Error processing Escher record";
const char* const ErrInternal = "Tabrix: Logical Error";
const char* const ErrCantCopyPictFmla = "Can't copy OLE objects embedded on a sheet";
const char* const ErrInvalidErrStr = "Invalid cell error code: \"%s\"";
const char* const ErrInvalidCellValue = "Invalid cell value: \"%s\"";
const char* const ErrCantWriteToFile = "Can't write to file \"%s\". Check it is not in use by another user";
const char* const ErrShrFmlaNotFound = "Can't find Shared Formula";
const char* const ErrInvalidStrLenLength = "StrLenLength should be 1 or 2";
const char* const ErrInvalidStringRecord = "Invalid String record";
const char* const ErrNotImplemented = "This file has a not implemented kind of record: %s";
const char* const BaseSheetName = "Sheet";
const char* const ErrNoDataSet = "No dataset assigned";
const char* const ErrReportNotFound = "Report not found: %s";
const char* const ErrTooManyPageBreaks = "Too many manual Page breaks for this sheet";
const char* const ErrInvalidRow = "Invalid Row (%d)";
const char* const ErrInvalidCol = "Invalid Column (%d)";
const char* const ErrXlsIndexOutBounds = "The index \"%d\" of the property \"%s\" is not in the range %d-%d";
const char* const ErrFileIsPasswordProtected = "File is password protected";
const char* const ErrNotAString = "String expected";
const char* const ErrUnexpectedEof = "Unexpected end of formula: \"%s\"";
const char* const ErrUnexpectedChar = "Unexpected char \"%s\" at pos %d on formula: \"%s\"";
const char* const ErrUnterminatedString = "Unterminated string on formula: \"%s\"";
const char* const ErrMissingParen = "Missing closing parentheses on formula: \"%s\"";
const char* const ErrFormulaTooLong = "Formula too long: \"%s\"";
const char* const ErrUnexpectedId = "Unexpected Identifier: \"%s\" on formula \"%s\"";
const char* const ErrFunctionNotFound = "Function not found: \"%s\" on formula \"%s\"";
const char* const ErrInvalidNumberOfParams =
    "Invalid number of parameters to function \"%s\": Expected %d and found %d";
const char* const ErrFormulaInvalid = "Formula can't be evaluated: \"%s\"";
const char* const ErrFormulaStart = "Formula must start with \"=\": \"%s\"";
const char* const ErrHiddenSheetSelected = "To save this file, you must select a visible sheet";
const char* const ErrNoSheetVisible = "There are not visible sheets on the file";
const char* const ErrCantDeleteSheetWithMacros = "Can't delete a sheet on a file containing macros";
const char* const ErrInvalidSheet = "Invalid sheet: %s";
const char* const ErrInvalidNamedRange = "Invalid named range: \"%s\"";
const char* const WorkbookStrS = "Workbook";
const char* const ErrInvalidStream = "Invalid OLE Stream operation on stream: \"%s\"";
const char* const ErrEofReached = "End of stream reached with %d bytes left to read";
const char* const ErrInvalidPropertySector = "Tabrix can't read the properties of this file.";
const char* const ErrCantFindFile = "Can't find the file \"%s\"";
const char* const ErrNoOpenFile = "There is no open file";
const char* const ErrNewStreamIO = "New Stream IO Error";
const char* const ErrCantDeleteRoot = "Can't delete root";
const char* const ErrMarginRecord = "Error in Margin Record";
const char* const ErrSetupRecord = "Error in Setup Record";
const char* const xlerr_Null = "#NULL!";
const char* const xlerr_Div0 = "#DIV/0!";
const char* const xlerr_Value = "#VALUE!";
const char* const xlerr_Ref = "#REF!";
const char* const xlerr_Name = "#NAME?";
const char* const xlerr_Num = "#NUM!";
const char* const xlerr_NA = "#N/A";
} // namespace zivXlsMessages

AnsiString XlsFormat(const char* Fmt, std::initializer_list<TXlsMsgArg> Args)
{
    AnsiString out;
    auto next = Args.begin();
    for (const char* p = Fmt; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        const char* q = p + 1;
        int width = 0;
        while (*q >= '0' && *q <= '9')
            width = width * 10 + (*q++ - '0');
        char conv = *q;
        if (conv != 's' && conv != 'd' && conv != 'x') {
            out += *p;
            continue;
        }
        p = q;
        if (next == Args.end())
            continue;
        const TXlsMsgArg& arg = *next++;
        AnsiString piece;
        if (const AnsiString* s = std::get_if<AnsiString>(&arg)) {
            piece = *s;
        } else {
            Int64 v = std::get<Int64>(arg);
            char buf[32];
            if (conv == 'x')
                std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
            else
                std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
            piece = buf;
        }
        if (static_cast<int>(piece.size()) < width)
            piece.insert(0, width - piece.size(), ' ');
        out += piece;
    }
    return out;
}

void XlsError(const char* Fmt, std::initializer_list<TXlsMsgArg> Args)
{
    throw EExcelException(XlsFormat(Fmt, Args));
}

void IncWord(Byte* Data, Integer Pos, Integer Delta, Integer Max)
{
    Int64 n = static_cast<Int64>(GetWord(Data, Pos)) + Delta;
    if (n < 0 || n > Max)
        XlsError(zivXlsMessages::ErrTooManyEntries, {n, static_cast<Int64>(Max)});
    SetWord(Data, Pos, static_cast<Word>(n));
}

void IncByte(Byte* Data, Integer Pos, Integer Delta, Integer Max)
{
    Int64 n = static_cast<Int64>(Data[Pos]) + Delta;
    if (n < 0 || n > Max)
        XlsError(zivXlsMessages::ErrTooManyEntries, {n, static_cast<Int64>(Max)});
    Data[Pos] = static_cast<Byte>(n);
}

void IncMax(Word& Value, Integer Delta, Integer Max)
{
    Int64 n = static_cast<Int64>(Value) + Delta;
    if (n < 0 || n > Max)
        XlsError(zivXlsMessages::ErrTooManyEntries, {n, static_cast<Int64>(Max)});
    Value = static_cast<Word>(n);
}

void IncMaxMin(Word& Value, Integer Delta, Integer Max, Integer Min)
{
    Int64 n = static_cast<Int64>(Value) + Delta;
    if (n > Max)
        n = Max;
    if (n < Min)
        n = Min;
    Value = static_cast<Word>(n);
}

void IncLongWord(Byte* Data, Integer Pos, Int64 Delta)
{
    SetLongWord(Data, Pos, static_cast<LongWord>(GetLongWord(Data, Pos) + Delta));
}

Int64 GetStrLen(bool Len16, const Byte* Data, Integer Pos, bool LenGiven, Word Len)
{
    Int64 size = 0;
    Int64 count = Len;
    if (!LenGiven) {
        count = Len16 ? GetWord(Data, Pos) : Data[Pos];
        size = Len16 ? 2 : 1;
    }
    Byte options = Data[Pos + size];
    size += 1;
    Int64 runs = 0, farEast = 0;
    if (options & 0x08) {
        runs = GetWord(Data, Pos + size);
        size += 2;
    }
    if (options & 0x04) {
        farEast = GetLongWord(Data, Pos + size);
        size += 4;
    }
    size += (options & 0x01) ? count * 2 : count;
    return size + runs * 4 + farEast;
}

void GetSimpleString(bool Len16, const Byte* Data, Integer Pos, Integer DataSize, bool LenGiven, Word Len,
                     WideString& WideStr, Int64& StSize)
{
    Int64 headerNeeded = (LenGiven ? 0 : (Len16 ? 2 : 1)) + 1;
    if (Pos < 0 || Pos + headerNeeded > DataSize)
        XlsError(zivXlsMessages::ErrReadingRecord);
    Byte options = Data[Pos + headerNeeded - 1];
    Int64 extra = ((options & 0x08) ? 2 : 0) + ((options & 0x04) ? 4 : 0);
    if (Pos + headerNeeded + extra > DataSize)
        XlsError(zivXlsMessages::ErrReadingRecord);
    StSize = GetStrLen(Len16, Data, Pos, LenGiven, Len);
    Int64 count = LenGiven ? Len : (Len16 ? GetWord(Data, Pos) : Data[Pos]);
    Int64 chars = Pos + headerNeeded + extra;
    Int64 charBytes = (options & 0x01) ? count * 2 : count;
    if (chars + charBytes > DataSize)
        XlsError(zivXlsMessages::ErrReadingRecord);
    WideStr.assign(static_cast<size_t>(count), u'\0');
    for (Int64 i = 0; i < count; ++i)
        WideStr[i] = (options & 0x01)
                         ? static_cast<WideChar>(GetWord(Data, static_cast<Integer>(chars + 2 * i)))
                         : static_cast<WideChar>(Data[chars + i]);
}

bool IsWide(const WideString& W)
{
    for (WideChar c : W)
        if (c > 255)
            return true;
    return false;
}

AnsiString WideStringToStringNoCodePage(const WideString& W)
{
    AnsiString s(W.size(), '\0');
    for (size_t i = 0; i < W.size(); ++i)
        s[i] = static_cast<char>(static_cast<Byte>(W[i]));
    return s;
}

WideString StringToWideStringNoCodePage(const AnsiString& S)
{
    WideString w(S.size(), u'\0');
    for (size_t i = 0; i < S.size(); ++i)
        w[i] = static_cast<WideChar>(static_cast<Byte>(S[i]));
    return w;
}

void CompressBestUnicode(const WideString& W, Byte* Data, Integer Pos)
{
    for (size_t i = 0; i < W.size(); ++i)
        Data[Pos + i] = W[i] > 255 ? static_cast<Byte>('?') : static_cast<Byte>(W[i]);
}
