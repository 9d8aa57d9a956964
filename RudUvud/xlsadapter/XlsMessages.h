#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <variant>

// The engine's exception. Every failure of the spreadsheet engine, from a damaged file to a
// wrong argument, is raised as an EExcelException carrying one of the texts below, so that a
// caller can tell the engine's refusals from other failures.
class EExcelException : public Exception {
public:
    using Exception::Exception;
};

// The engine's message texts. Placeholders are filled by XlsFormat.
namespace zivXlsMessages {
extern const char* const ErrFileIsNotXLS;
extern const char* const ErrCantReadFile;
extern const char* const ErrExcelInvalid;
extern const char* const ErrCantWriteOutput;
extern const char* const ErrCantWrite;
extern const char* const ErrFileNotFound;
extern const char* const ErrStreamNotFound;
extern const char* const ErrExtRefsNotSupported;
extern const char* const ErrWrongExcelRecord;
extern const char* const ErrBadToken;
extern const char* const ErrBadFormula;
extern const char* const ErrBadName;
extern const char* const ErrBadCF;
extern const char* const ErrBadChartFormula;
extern const char* const Err3DRef;
extern const char* const ErrReadingRecord;
extern const char* const ErrInvalidVersion;
extern const char* const ErrTooManyEntries;
extern const char* const ErrRecordNotSupported;
extern const char* const ErrSectionNotLoaded;
extern const char* const ErrInvalidContinue;
extern const char* const ErrStringTooLarge;
extern const char* const ErrInvalidDrawing;
extern const char* const ErrInvalidCF;
extern const char* const ErrDuplicatedSheetName;
extern const char* const ErrDupRow;
extern const char* const ErrRowMissing;
extern const char* const ErrBadCopyRows;
extern const char* const ErrInvalidSheetNo;
extern const char* const ErrBadRowCount;
extern const char* const ErrEscherNotLoaded;
extern const char* const ErrLoadingEscher;
extern const char* const ErrBStroreDuplicated;
extern const char* const ErrDgDuplicated;
extern const char* const ErrDggDuplicated;
extern const char* const ErrsolverDuplicated;
extern const char* const ErrChangingEscher;
extern const char* const ErrInternal;
extern const char* const ErrCantCopyPictFmla;
extern const char* const ErrInvalidErrStr;
extern const char* const ErrInvalidCellValue;
extern const char* const ErrCantWriteToFile;
extern const char* const ErrShrFmlaNotFound;
extern const char* const ErrInvalidStrLenLength;
extern const char* const ErrInvalidStringRecord;
extern const char* const ErrNotImplemented;
extern const char* const BaseSheetName;
extern const char* const ErrNoDataSet;
extern const char* const ErrReportNotFound;
extern const char* const ErrTooManyPageBreaks;
extern const char* const ErrInvalidRow;
extern const char* const ErrInvalidCol;
extern const char* const ErrXlsIndexOutBounds;
extern const char* const ErrFileIsPasswordProtected;
extern const char* const ErrNotAString;
extern const char* const ErrUnexpectedEof;
extern const char* const ErrUnexpectedChar;
extern const char* const ErrUnterminatedString;
extern const char* const ErrMissingParen;
extern const char* const ErrFormulaTooLong;
extern const char* const ErrUnexpectedId;
extern const char* const ErrFunctionNotFound;
extern const char* const ErrInvalidNumberOfParams;
extern const char* const ErrFormulaInvalid;
extern const char* const ErrFormulaStart;
extern const char* const ErrHiddenSheetSelected;
extern const char* const ErrNoSheetVisible;
extern const char* const ErrCantDeleteSheetWithMacros;
extern const char* const ErrInvalidSheet;
extern const char* const ErrInvalidNamedRange;
extern const char* const WorkbookStrS;
extern const char* const ErrInvalidStream;
extern const char* const ErrEofReached;
extern const char* const ErrInvalidPropertySector;
extern const char* const ErrCantFindFile;
extern const char* const ErrNoOpenFile;
extern const char* const ErrNewStreamIO;
extern const char* const ErrCantDeleteRoot;
extern const char* const ErrMarginRecord;
extern const char* const ErrSetupRecord;
extern const char* const xlerr_Null;
extern const char* const xlerr_Div0;
extern const char* const xlerr_Value;
extern const char* const xlerr_Ref;
extern const char* const xlerr_Name;
extern const char* const xlerr_Num;
extern const char* const xlerr_NA;
} // namespace zivXlsMessages

// One argument of a message: an integer or a text.
using TXlsMsgArg = std::variant<Int64, AnsiString>;

// Fills the printf-style placeholders of Fmt (%s, %d, %x with an optional width such as %2x or
// %4x, and %% for a percent sign) with Args in order. Missing arguments leave the placeholder
// out; it never reads past Args.
AnsiString XlsFormat(const char* Fmt, std::initializer_list<TXlsMsgArg> Args = {});

// Raises EExcelException with the formatted message.
[[noreturn]] void XlsError(const char* Fmt, std::initializer_list<TXlsMsgArg> Args = {});

// Little-endian byte routines on raw bytes: the caller guarantees that the bytes exist. A
// record's fields go through the checked forms on its TRecordBytes below. Inline: every record
// field is read and written through these.
inline Word GetWord(const Byte* Data, Integer Pos)
{
    return static_cast<Word>(Data[Pos] | (Data[Pos + 1] << 8));
}

inline LongWord GetLongWord(const Byte* Data, Integer Pos)
{
    return static_cast<LongWord>(Data[Pos]) | (static_cast<LongWord>(Data[Pos + 1]) << 8) |
           (static_cast<LongWord>(Data[Pos + 2]) << 16) | (static_cast<LongWord>(Data[Pos + 3]) << 24);
}

inline void SetWord(Byte* Data, Integer Pos, Word Value)
{
    Data[Pos] = static_cast<Byte>(Value);
    Data[Pos + 1] = static_cast<Byte>(Value >> 8);
}

inline void SetLongWord(Byte* Data, Integer Pos, LongWord Value)
{
    for (int i = 0; i < 4; ++i)
        Data[Pos + i] = static_cast<Byte>(Value >> (8 * i));
}

inline double GetDouble(const Byte* Data, Integer Pos)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | Data[Pos + i];
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void SetDouble(Byte* Data, Integer Pos, double Value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        Data[Pos + i] = static_cast<Byte>(bits >> (8 * i));
}

// A record's bytes with their count, as a record hands them out. The field routines below read
// and write through it only inside the bytes: a field that would pass the end raises "Error
// reading Excel records. File invalid", whatever path built the record. It turns into a plain
// pointer for bulk copies, which the caller bounds.
template <class B> class TRecordBytesT {
public:
    TRecordBytesT(B* Bytes, size_t Count) : FBytes(Bytes), FCount(Count) {}
    operator TRecordBytesT<const B>() const { return {FBytes, FCount}; }
    operator B*() const { return FBytes; }
    B* get() const { return FBytes; }
    size_t size() const { return FCount; }
    B& operator[](Integer Pos) const
    {
        Check(Pos, 1);
        return FBytes[Pos];
    }
    // Raises unless the Count bytes from Pos on lie inside.
    void Check(Integer Pos, Integer Count) const
    {
        if (Pos < 0 || static_cast<size_t>(Pos) + static_cast<size_t>(Count) > FCount) [[unlikely]]
            XlsError(zivXlsMessages::ErrExcelInvalid);
    }

private:
    B* FBytes;
    size_t FCount;
};
using TRecordBytes = TRecordBytesT<Byte>;
using TConstRecordBytes = TRecordBytesT<const Byte>;

template <class B> Word GetWord(TRecordBytesT<B> Data, Integer Pos)
{
    Data.Check(Pos, 2);
    return GetWord(Data.get(), Pos);
}
template <class B> LongWord GetLongWord(TRecordBytesT<B> Data, Integer Pos)
{
    Data.Check(Pos, 4);
    return GetLongWord(Data.get(), Pos);
}
template <class B> double GetDouble(TRecordBytesT<B> Data, Integer Pos)
{
    Data.Check(Pos, 8);
    return GetDouble(Data.get(), Pos);
}
inline void SetWord(TRecordBytes Data, Integer Pos, Word Value)
{
    Data.Check(Pos, 2);
    SetWord(Data.get(), Pos, Value);
}
inline void SetLongWord(TRecordBytes Data, Integer Pos, LongWord Value)
{
    Data.Check(Pos, 4);
    SetLongWord(Data.get(), Pos, Value);
}
inline void SetDouble(TRecordBytes Data, Integer Pos, double Value)
{
    Data.Check(Pos, 8);
    SetDouble(Data.get(), Pos, Value);
}

// Adds Delta to the 16-bit word at Pos; a result below 0 or above Max raises "Too many entries"
// with the result and Max, leaving the word unchanged.
void IncWord(Byte* Data, Integer Pos, Integer Delta, Integer Max);
void IncByte(Byte* Data, Integer Pos, Integer Delta, Integer Max);
void IncMax(Word& Value, Integer Delta, Integer Max);
// Value + Delta clamped to Min..Max; never raises.
void IncMaxMin(Word& Value, Integer Delta, Integer Max, Integer Min);
void IncLongWord(Byte* Data, Integer Pos, Int64 Delta);

// Byte size of the BIFF8 Unicode string at Pos. With LenGiven the string has no length field and
// its character count is Len. Needs the string's header bytes to exist; the caller bounds the rest.
Int64 GetStrLen(bool Len16, const Byte* Data, Integer Pos, bool LenGiven, Word Len);
// Reads such a string (runs and far-east data skipped) into WideStr; StSize is its byte size.
// DataSize bounds every read: a string that runs past it raises "Error reading record".
void GetSimpleString(bool Len16, const Byte* Data, Integer Pos, Integer DataSize, bool LenGiven, Word Len,
                     WideString& WideStr, Int64& StSize);
bool IsWide(const WideString& W);
AnsiString WideStringToStringNoCodePage(const WideString& W);
WideString StringToWideStringNoCodePage(const AnsiString& S);
// Writes one byte per code unit at Pos, "?" for a code unit above 255.
void CompressBestUnicode(const WideString& W, Byte* Data, Integer Pos);
