#pragma once
// NAME=VALUE lists and the stream primitives that frame them.
//
// Everything the print suite stores is a small value list written as one block: a 32-bit
// little-endian byte count, then the lines, each ended by CR LF. Numbers use "." as decimal
// separator whatever the locale; points and rectangles are kept in thousandths of an inch.
//
// Streams read from files are untrusted: every count read from a stream is checked against
// what remains of it before anything is allocated, and a short or negative count raises the
// stream read error instead of reading past the end.
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"
#include "print/VuTypes.h"

#include <string>
#include <unordered_map>
#include <vector>

class TVuWriter : public TObject {
public:
    explicit TVuWriter(TStream* Stream) : FStream(Stream) {}
    void WriteInteger(Integer Value);
    // Byte length, then the bytes.
    void WriteString(const AnsiString& Text);
    // Size of Source, then all of Source from its beginning.
    void WriteStream(TStream* Source);
    // The list's text (each line followed by CR LF) as one block.
    void WriteStringList(TStrings* List);

private:
    TStream* FStream;
};

class TVuReader : public TObject {
public:
    explicit TVuReader(TStream* Stream) : FStream(Stream) {}
    Integer ReadInteger();
    AnsiString ReadString();
    // A byte count, then that many bytes copied into Target at its position; a count of 0 reads
    // nothing more and leaves Target alone.
    void ReadStream(TStream* Target);
    // One block loaded as text (lines end at CR LF, LF or CR), replacing List's lines.
    void ReadStringList(TStrings* List);

private:
    // A count read from the stream that must fit in what remains; raises EReadError otherwise.
    Integer ReadCount();
    TStream* FStream;
};

// Names are matched without regard to case; the first line of a name wins. Lines without "="
// stay in the list and are never found by a lookup.
//
// Lists with many keys (a poly object writes one line per point) are looked up through an index
// of the names rather than by comparing each line's name in turn, so reading or writing every
// key of a list costs time in proportion to its lines.
class TVuValueList : public TStringList {
public:
    // The first line whose name equals Name as the platform list compares names.
    Integer IndexOfName(const AnsiString& Name) override;

    void WriteIntValue(const AnsiString& Name, Integer Value);
    void WriteBoolValue(const AnsiString& Name, bool Value);
    void WriteExtValue(const AnsiString& Name, Extended Value);
    // An empty value removes the line of Name. A value holding a line break is stored escaped
    // (see VuValueList.cpp) so that it survives the line-based block.
    void WriteStringValue(const AnsiString& Name, const AnsiString& Value);
    void WriteVuPointValue(const AnsiString& Name, const TVuPoint& Point);
    void WriteVuRectValue(const AnsiString& Name, const TVuRect& Rect);
    void WritePointValue(const AnsiString& Name, const TPoint& Point);

    // The parsed value when Name exists (a malformed value raises EConvertError or
    // EStringListError; Default is never a fallback for it), otherwise Default.
    Integer ReadIntValue(const AnsiString& Name, Integer Default);
    bool ReadBoolValue(const AnsiString& Name, bool Default);
    Extended ReadExtValue(const AnsiString& Name, Extended Default);
    AnsiString ReadStringValue(const AnsiString& Name, const AnsiString& Default);
    TVuPoint ReadVuPointValue(const AnsiString& Name, const TVuPoint& Default);
    TVuRect ReadVuRectValue(const AnsiString& Name, const TVuRect& Default);
    TPoint ReadPointValue(const AnsiString& Name, const TPoint& Default);

    // One block (TVuWriter::WriteStringList / TVuReader::ReadStringList).
    void SaveToStream(TStream* Stream) override;
    void LoadFromStream(TStream* Stream) override;

    using TStringList::LoadFromStream;
    using TStringList::SaveToStream;

protected:
    // Any change to the lines made other than by the writers above drops the index.
    void Changing() override;

private:
    void PutValue(const AnsiString& Name, const AnsiString& Text);
    // Lists of up to this many lines are scanned rather than indexed.
    static constexpr Integer SmallList = 16;
    void BuildIndex();
    void IndexLine(Integer Index, const AnsiString& Line);
    // Lines whose names are plain ASCII letters and digits, by their upper-cased name (such a
    // name can only equal one of the same upper-cased form); and, in order, the lines with any
    // other name, which are compared the platform list's way.
    std::unordered_map<std::string, std::vector<Integer>> FPlainNames;
    std::vector<Integer> FOtherNames;
    bool FIndexed = false;
    bool FKeepIndex = false;
    // The text after the first "=" of Name's line; false when Name has no line.
    bool FindValue(const AnsiString& Name, AnsiString& Text);
};

// The text forms on their own (also used by the page objects' key tables).
AnsiString VuFormatExt(Extended Value);      // "0.000" with "."
Extended VuParseExt(const AnsiString& Text); // EConvertError on bad text
