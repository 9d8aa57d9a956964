#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

class TStrings;
class TStream;

// Ini files: "[Section]" lines followed by "Name=Value" lines, UTF-8 text. Section and value
// names are compared without regard to case; names and values are trimmed of blanks; lines
// starting with ';' are comments (kept when the file is written back, never listed). Files are
// read with or without a UTF-8 byte-order mark and with LF or CR LF line ends, and written with
// CR LF. A write replaces the file as a whole (a new file renamed over the old one), so a crash
// never leaves a half-written file.

// One line of a section: a value ("Name=Value"), a name without '=' (HasValue false), or a
// comment kept as written (Comment true, the text in Name).
struct TIniEntry {
    AnsiString Name;
    AnsiString Value;
    bool HasValue = true;
    bool Comment = false;
};

struct TIniSection {
    AnsiString Name;
    std::vector<TIniEntry> Entries;
};

// The parsed contents of an ini file: the engine shared by the ini-file classes and the
// registry. Sections of the same name (in any case) are merged when read; the first of
// duplicate names in a section is the one read and written.
class TIniDocument {
public:
    void Clear();
    void Parse(const AnsiString& Text);
    // The contents as text with CR LF line ends and a blank line between sections.
    AnsiString Text() const;
    // False (and empty) when the file cannot be read.
    bool LoadFromFile(const AnsiString& FileName);
    // Replaces the file atomically; raises EFCreateError "Cannot create file "%s". %s".
    void SaveToFile(const AnsiString& FileName) const;

    TIniSection* FindSection(const AnsiString& Name);
    TIniSection& AddSection(const AnsiString& Name);
    TIniEntry* FindEntry(const AnsiString& Section, const AnsiString& Ident);
    bool ReadString(const AnsiString& Section, const AnsiString& Ident, AnsiString& Value);
    // Adds the section and the value as needed. Line breaks in any part become blanks, so that
    // no text can add lines of its own to the file; blanks around each part are dropped.
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
    std::vector<AnsiString> SectionNames() const;
    // The value entries of Section (comments left out).
    std::vector<const TIniEntry*> Entries(const AnsiString& Section);
    bool EraseSection(const AnsiString& Section);
    bool DeleteKey(const AnsiString& Section, const AnsiString& Ident);
    std::vector<TIniSection>& Sections() { return FSections; }

private:
    std::vector<AnsiString> FPreamble;
    std::vector<TIniSection> FSections;
};

// Raised by TIniFile when a change cannot be written: "Unable to write to <file name>".
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const AnsiString& FileName);
    ~TCustomIniFile() override;

    const AnsiString& FileName() const { return FFileName; }

    virtual bool SectionExists(const AnsiString& Section);
    virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);

    virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                                  const AnsiString& Default) = 0;
    virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) = 0;

    // Decimal, or hexadecimal with "$" or "0x"; Default when missing or not a number.
    virtual Integer ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default);
    virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value);
    // Any integer other than 0 is true; written as "1" or "0".
    virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
    virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
    // Numbers with the locale's decimal separator (or '.'); Default when missing or malformed.
    virtual Double ReadFloat(const AnsiString& Section, const AnsiString& Ident, Double Default);
    virtual void WriteFloat(const AnsiString& Section, const AnsiString& Ident, Double Value);
    // Dates and times in the locale's short formats; Default when missing or malformed.
    virtual TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    virtual void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    virtual void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);

    // The value names of Section, in file order (Strings is cleared first).
    virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
    // The section names, in file order.
    virtual void ReadSections(TStrings* Strings) = 0;
    // "Name=Value" lines of Section.
    virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
    virtual void EraseSection(const AnsiString& Section) = 0;
    virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
    // Writes pending changes to the file.
    virtual void UpdateFile() = 0;

protected:
    AnsiString FFileName;
};

// An ini file kept in memory: read when created, written only by UpdateFile. A missing file
// reads as empty; UpdateFile then creates it.
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(const AnsiString& FileName);
    ~TMemIniFile() override;

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
    void ReadSection(const AnsiString& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
    void EraseSection(const AnsiString& Section) override;
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
    bool SectionExists(const AnsiString& Section) override;
    bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
    // Raises EFCreateError when the file cannot be written.
    void UpdateFile() override;

    void Clear();
    // The whole contents as lines of text, and replacing them from lines.
    void GetStrings(TStrings* List);
    void SetStrings(TStrings* List);
    // Re-reads the file, dropping unsaved changes.
    void Rename(const AnsiString& FileName, bool Reload);

private:
    std::unique_ptr<TIniDocument> FDocument;
};

// An ini file that reads the file at every call and writes every change through at once.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const AnsiString& FileName);
    ~TIniFile() override;

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) override;
    // WriteString, EraseSection and DeleteKey raise EIniFileException when the file cannot be
    // written.
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
    void ReadSection(const AnsiString& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
    void EraseSection(const AnsiString& Section) override;
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
    bool SectionExists(const AnsiString& Section) override;
    bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
    // Nothing is pending: every change is already in the file.
    void UpdateFile() override;
};
