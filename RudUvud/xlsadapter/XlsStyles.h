#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/VovFormats.h"
#include "RudUvud/xlsadapter/VovMessages.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The workbook's styles: cell formats (XF), fonts (FONT), number formats (FORMAT), named styles
// (STYLE) and the colour palette (PALETTE), with their conversion to and from the TVovFormat and
// TVovFont that callers use.
//
// Numbering rules every conversion follows:
// - Fonts: FONT records are numbered in list order, but number 4 is never used, so list position
//   n >= 4 has number n + 1. An XF's font number above 3 is list position number - 1.
// - Colours: palette entry p (1..56) is colour index p + 7 in XF and FONT records; indexes 0..7
//   are fixed colours and 64 the system colour.

inline constexpr Word xlr_XF = 0x00E0;
inline constexpr Word xlr_FONT = 0x0031;
inline constexpr Word xlr_FORMAT = 0x041E;
inline constexpr Word xlr_STYLE = 0x0293;
inline constexpr Word xlr_PALETTE = 0x0092;

// The first number-format id a workbook may define for itself.
inline constexpr Integer FirstUserFormatId = 164;

// The built-in number-format texts, ids 0 to 49; empty (general) for any other id and for the ids
// the table leaves out. Ids 14 and 22 follow the locale's short date format and separators.
WideString XlsBuiltInFormats(Integer Id);

// The default colour of palette entry 0..55 (colour indexes 8..63), as a colour value with red in
// the low byte. Another index raises "The index ... of the property "Palette index" ...".
LongWord StandardPalette(Integer Index);

class TFontRecordList;
class TFormatRecordList;

// FONT: height (twips), options (bit 1 italic, bit 3 strike-out), colour index, weight,
// escapement, underline, family, character set, reserved, then the name with a 1-byte count.
class TFontRecord : public TBaseRecord {
public:
    // Data shorter than 16 bytes raises "Record with ID 0x%x is invalid".
    TFontRecord(Word aId, TRecordBody aData);
    // The record a font is written as: the name always 16-bit. A name longer than 255 characters
    // raises "Invalid String record".
    explicit TFontRecord(const TVovFont& Font);
    XLS_RECORD_CREATE(TFontRecord)

    Word Height() const { return GetWord(Data(), 0); }
    Word Options() const { return GetWord(Data(), 2); }
    // The colour index minus 8: a 0-based palette position.
    Integer ColorIndex() const { return static_cast<Integer>(GetWord(Data(), 4)) - 8; }
    Word Weight() const { return GetWord(Data(), 6); }
    SetOfTVovFontStyle Style() const;
    TVovUnderline Underline() const;
    Byte Family() const { return Data()[11]; }
    Byte Charset() const { return Data()[12]; }
    // Read through the CONTINUE chain; a name that runs past it raises "Error reading record".
    WideString Name() const;
    TVovFont VovFont() const;
    // Same fields and the same name, however the name is stored (8- or 16-bit) and whether the
    // option bits that repeat the weight and the underline are set.
    bool SameFont(const TFontRecord& Other) const;
};

// FORMAT: the number-format id, then its text with a 2-byte count.
class TFormatRecord : public TBaseRecord {
public:
    // Data shorter than 5 bytes raises "Record with ID 0x%x is invalid".
    TFormatRecord(Word aId, TRecordBody aData);
    // Text stored 8-bit unless a character is above 255.
    TFormatRecord(const WideString& Text, Word Id);
    XLS_RECORD_CREATE(TFormatRecord)

    Word FormatId() const { return GetWord(Data(), 0); }
    WideString Value() const;
};

// STYLE: kept exactly as read.
class TStyleRecord : public TBaseRecord {
public:
    using TBaseRecord::TBaseRecord;
    XLS_RECORD_CREATE(TStyleRecord)
};

// XF, 20 bytes: font number (0), number-format id (2), protection and parent (4), alignment and
// wrap (6), rotation (7), indent and shrink (8), used attributes (9), border styles (10), border
// colours and diagonals (12, 14), fill pattern (14), pattern and background colours (18).
class TXFRecord : public TBaseRecord {
public:
    // Data shorter than 20 bytes raises "Record with ID 0x%x is invalid".
    TXFRecord(Word aId, TRecordBody aData);
    // A cell XF for Format: its font and number format are found in, or added to, the lists.
    TXFRecord(const TVovFormat& Format, TFormatRecordList& Formats, TFontRecordList& Fonts);
    XLS_RECORD_CREATE(TXFRecord)

    Word FontIndex() const { return GetWord(Data(), 0); }
    Word FormatIndex() const { return GetWord(Data(), 2); }
    THVovAlignment HAlign() const { return static_cast<THVovAlignment>(Data()[6] & 7); }
    TVVovAlignment VAlign() const { return static_cast<TVVovAlignment>((Data()[6] >> 4) & 7); }
    Byte Rotation() const { return Data()[7]; }
    bool WrapText() const { return Data()[6] & 8; }
    // The fill pattern, 0 none, 1 solid.
    Integer CellPattern() const { return static_cast<Integer>(GetLongWord(Data(), 14) >> 26); }
    // Pattern and background colour indexes minus 7 (the system colour 64 reads 57).
    Integer CellFgColorIndex() const { return static_cast<Integer>(GetWord(Data(), 18) & 0x7F) - 7; }
    Integer CellBgColorIndex() const { return static_cast<Integer>((GetWord(Data(), 18) >> 7) & 0x7F) - 7; }
    TVovDiagonalBorder DiagonalStyle() const
    {
        return static_cast<TVovDiagonalBorder>(GetWord(Data(), 12) >> 14);
    }
    // A 4-bit border style at a bit Shift of the byte at Pos, or of the 32-bit value at Pos.
    TVovBorderStyle GetBorderStyle(Integer Pos, Integer Shift) const;
    TVovBorderStyle GetBorderStyleExt(Integer Pos, Integer Shift) const;
    // A 7-bit border colour as a palette entry: index - 7, or 1 for the fixed colours 0..7.
    Integer GetBorderColorIndex(Integer Pos, Integer Shift) const;
    Integer GetBorderColorIndexExt(Integer Pos, Integer Shift) const;
    void FillMisc(bool& Locked, bool& Hidden, Integer& ParentBits, bool& Wrap, bool& Shrink, Byte& Rotation,
                  Byte& Indent) const;
    // The list position of the XF's font, 0 when its number lies outside the list.
    Integer GetActualFontIndex(const TFontRecordList& Fonts) const;
    // Marks the palette entries the XF uses (borders drawn, fill colours shown, its font's colour).
    void FillUsedColors(BooleanArray& Used, const TFontRecordList& Fonts) const;
    void VovFormat(const TFontRecordList& Fonts, const TFormatRecordList& Formats, TVovFormat& Result) const;
};

class TXFRecordList : public TBaseRecordList {
public:
    TXFRecord* Items(Integer Index) const { return static_cast<TXFRecord*>(TBaseRecordList::Items(Index)); }
    // The first XF whose data equals XF's. Exporting asks this once per cell, so the XFs are
    // found through an index of their bytes (kept up to date by appends, rebuilt after any other
    // change) rather than by walking the list.
    bool FindFormat(const TXFRecord& XF, Integer& Index) const;
    // Count entries, true for the palette entries some XF uses.
    void GetUsedColors(Integer Count, const TFontRecordList& Fonts, BooleanArray& Used) const;

protected:
    void Added(TBaseRecord* Rec) override;
    void Removed(TBaseRecord* Rec) override;

private:
    // Data bytes to the positions holding them, in list order. An entry is checked against the
    // record at its position before it is believed.
    mutable std::unordered_map<std::string, std::vector<Integer>> FIndex;
    mutable bool FIndexValid = false;
    static std::string Key(const TBaseRecord& Rec)
    {
        return std::string(reinterpret_cast<const char*>(Rec.Data().get()), Rec.DataSize());
    }
};

class TFontRecordList : public TBaseRecordList {
public:
    TFontRecord* Items(Integer Index) const
    {
        return static_cast<TFontRecord*>(TBaseRecordList::Items(Index));
    }
    // The number of a font equal to Font, appended when there is none.
    Integer AddFont(const TVovFont& Font);
    // The list position of a font number.
    static Integer PositionOf(Integer FontNumber) { return FontNumber > 3 ? FontNumber - 1 : FontNumber; }
    static Integer NumberOf(Integer Position) { return Position >= 4 ? Position + 1 : Position; }
};

// Number formats, found by id in a list sorted on demand.
class TFormatRecordList : public TBaseRecordList {
public:
    TFormatRecord* Items(Integer Index) const
    {
        return static_cast<TFormatRecord*>(TBaseRecordList::Items(Index));
    }
    Integer Add(std::unique_ptr<TBaseRecord> Rec) override;
    void Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec) override;
    bool Sorted() const { return FSorted; }
    void Sort();
    bool Find(Integer FormatId, Integer& Index) const;
    // The id of a format text: one of the workbook's, a built-in one, or a new one (164 on).
    Integer AddFormat(const WideString& Text);
    // The text of an id: the workbook's, the built-in one, or empty.
    WideString GetFormat(Integer FormatId) const;

private:
    mutable bool FSorted = true;
    void SortList() const;
};

// PALETTE: the colour count, then each colour as red, green, blue, 0.
class TPaletteRecord : public TBaseRecord {
public:
    // Data shorter than 2 bytes raises "Record with ID 0x%x is invalid".
    TPaletteRecord(Word aId, TRecordBody aData);
    // The standard 56 colours.
    TPaletteRecord();
    XLS_RECORD_CREATE(TPaletteRecord)
    // The stored count, but never more colours than the data holds.
    Integer GetCount() const;
    LongWord GetColor(Integer Index) const;
    void SetColor(Integer Index, LongWord Color);
};
