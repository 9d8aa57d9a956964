#include "RudUvud/xlsadapter/XlsStrings.h"

#include <algorithm>

using namespace zivXlsMessages;

Int64 BytesLeftInChain(const TBaseRecord* Rec, Integer Pos, Int64 Enough)
{
    Int64 left = Rec ? static_cast<Int64>(Rec->DataSize()) - Pos : 0;
    for (const TBaseRecord* c = Rec ? Rec->Continue() : nullptr; c && left < Enough; c = c->Continue())
        left += c->DataSize();
    return std::max<Int64>(left, 0);
}

TExcelString::TExcelString(Integer aStrLenLength, const TBaseRecord*& Rec, Integer& Pos)
    : FStrLenLength(aStrLenLength)
{
    if (aStrLenLength != 1 && aStrLenLength != 2)
        XlsError(ErrInvalidStrLenLength);
    Byte b[4] = {};
    ReadMem(Rec, Pos, aStrLenLength, b);
    FStrLen = aStrLenLength == 1 ? b[0] : GetWord(b, 0);
    ReadMem(Rec, Pos, 1, &FOptionFlags);
    Byte actual = FOptionFlags;
    if (HasRichText()) {
        ReadMem(Rec, Pos, 2, b);
        FRunCount = GetWord(b, 0);
    }
    if (HasFarInfo()) {
        ReadMem(Rec, Pos, 4, b);
        FFarEastDataSize = GetLongWord(b, 0);
    }
    // Every character takes at least one byte, every run four: counts that the remaining data
    // cannot hold are refused before anything is sized by them.
    const Int64 need = std::max<Int64>(FStrLen, static_cast<Int64>(FRunCount) * 4 + FFarEastDataSize);
    if (need > BytesLeftInChain(Rec, Pos, need))
        XlsError(ErrReadingRecord);
    FShortData.assign(FStrLen, '\0');
    FWideData.assign(FStrLen, u'\0');
    Integer done = 0;
    Byte options = FOptionFlags;
    ReadStr(Rec, Pos, FShortData, FWideData, options, actual, done, FStrLen);
    FOptionFlags = options;
    if (FOptionFlags & 1)
        FShortData.clear();
    else
        FWideData.clear();
    if (FRunCount > 0) {
        FRunData.resize(4 * static_cast<size_t>(FRunCount));
        ReadMem(Rec, Pos, static_cast<Integer>(FRunData.size()), FRunData.data());
    }
    if (FFarEastDataSize > 0) {
        if (FFarEastDataSize > BytesLeftInChain(Rec, Pos, FFarEastDataSize))
            XlsError(ErrReadingRecord);
        FFarEastData.resize(FFarEastDataSize);
        ReadMem(Rec, Pos, static_cast<Integer>(FFarEastDataSize), FFarEastData.data());
    }
}

TExcelString::TExcelString(Integer aStrLenLength, const WideString& S, bool ForceWide)
    : FStrLenLength(aStrLenLength)
{
    if ((aStrLenLength == 1 && S.size() > 255) || S.size() > 0xFFFF)
        XlsError(ErrInvalidStringRecord);
    FStrLen = static_cast<Word>(S.size());
    if (ForceWide || IsWide(S)) {
        FOptionFlags = 1;
        FWideData = S;
    } else {
        FOptionFlags = 0;
        FShortData = WideStringToStringNoCodePage(S);
    }
}

Integer TExcelString::Compare(const TExcelString& Other) const
{
    if (FStrLenLength != Other.FStrLenLength)
        return FStrLenLength < Other.FStrLenLength ? -1 : 1;
    if (FOptionFlags != Other.FOptionFlags)
        return FOptionFlags < Other.FOptionFlags ? -1 : 1;
    if (FOptionFlags & 1) {
        if (FWideData.size() != Other.FWideData.size())
            return FWideData.size() < Other.FWideData.size() ? -1 : 1;
        Integer c = FWideData.compare(Other.FWideData);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    Integer c = FShortData.compare(Other.FShortData);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Int64 TExcelString::TotalSize() const
{
    Int64 size = FStrLenLength + 1 + static_cast<Int64>(FStrLen) * GetCharSize();
    if (HasRichText())
        size += 2 + 4 * static_cast<Int64>(FRunCount);
    if (HasFarInfo())
        size += 4 + static_cast<Int64>(FFarEastDataSize);
    return size;
}

void TExcelString::SaveToBytes(ByteArray& Out, bool WriteLength) const
{
    auto put16 = [&](Word v) {
        Out.push_back(static_cast<Byte>(v));
        Out.push_back(static_cast<Byte>(v >> 8));
    };
    if (WriteLength) {
        if (FStrLenLength == 1)
            Out.push_back(static_cast<Byte>(FStrLen));
        else if (FStrLenLength == 2)
            put16(FStrLen);
        else
            XlsError(ErrInvalidStrLenLength);
    }
    Out.push_back(FOptionFlags);
    if (HasRichText())
        put16(FRunCount);
    if (HasFarInfo()) {
        put16(static_cast<Word>(FFarEastDataSize));
        put16(static_cast<Word>(FFarEastDataSize >> 16));
    }
    if (FOptionFlags & 1) {
        for (WideChar c : FWideData)
            put16(static_cast<Word>(c));
    } else {
        Out.insert(Out.end(), FShortData.begin(), FShortData.end());
    }
    Out.insert(Out.end(), FRunData.begin(), FRunData.end());
    Out.insert(Out.end(), FFarEastData.begin(), FFarEastData.end());
}

void TExcelString::SaveToStream(TOle2File& Stream, bool WriteLength) const
{
    ByteArray bytes;
    SaveToBytes(bytes, WriteLength);
    Stream.WriteMem(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TExcelString::CopyToPtr(Byte* Buffer, Integer Pos, bool WriteLength) const
{
    ByteArray bytes;
    SaveToBytes(bytes, WriteLength);
    std::copy(bytes.begin(), bytes.end(), Buffer + Pos);
}

WideString TExcelString::GetValue() const
{
    if (FOptionFlags & 1)
        return FWideData;
    return StringToWideStringNoCodePage(FShortData);
}
