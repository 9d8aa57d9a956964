#include "platform/rtl/IniFiles.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Strings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

AnsiString TrimBlanks(const AnsiString& S)
{
    std::size_t begin = 0, end = S.size();
    while (begin < end && IsBlank(S[begin]))
        ++begin;
    while (end > begin && IsBlank(S[end - 1]))
        --end;
    return S.substr(begin, end - begin);
}

// A value or name must stay on its own line: a line break inside would start a new key, or a
// new section, when the file is read again.
AnsiString OneLine(const AnsiString& S)
{
    AnsiString result = S;
    for (char& c : result)
        if (c == '\r' || c == '\n')
            c = ' ';
    return result;
}

} // namespace

// ---- TIniDocument -----------------------------------------------------------------------------

void TIniDocument::Clear()
{
    FPreamble.clear();
    FSections.clear();
}

void TIniDocument::Parse(const AnsiString& Text)
{
    Clear();
    std::size_t pos = 0;
    // A byte-order mark is no part of the first line.
    if (Text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    TIniSection* current = nullptr;
    while (pos < Text.size()) {
        std::size_t end = Text.find('\n', pos);
        if (end == AnsiString::npos)
            end = Text.size();
        AnsiString line = Text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        AnsiString trimmed = TrimBlanks(line);
        if (trimmed.empty())
            continue;
        if (trimmed[0] == '[') {
            // The name ends at the first ']' (or with the line, when a damaged file lost it).
            auto close = trimmed.find(']');
            if (close == AnsiString::npos)
                close = trimmed.size();
            AnsiString name = TrimBlanks(trimmed.substr(1, close - 1));
            current = FindSection(name);
            if (!current)
                current = &AddSection(name);
            continue;
        }
        TIniEntry entry;
        if (trimmed[0] == ';') {
            entry.Comment = true;
            entry.Name = trimmed;
        } else {
            auto equals = trimmed.find('=');
            if (equals == AnsiString::npos) {
                entry.Name = trimmed;
                entry.HasValue = false;
            } else {
                entry.Name = TrimBlanks(trimmed.substr(0, equals));
                entry.Value = TrimBlanks(trimmed.substr(equals + 1));
            }
        }
        if (current)
            current->Entries.push_back(std::move(entry));
        else
            FPreamble.push_back(trimmed);
    }
}

AnsiString TIniDocument::Text() const
{
    AnsiString text;
    for (const auto& line : FPreamble)
        text += line + "\r\n";
    bool first = true;
    for (const auto& section : FSections) {
        if (!first)
            text += "\r\n";
        first = false;
        text += "[" + section.Name + "]\r\n";
        for (const auto& entry : section.Entries) {
            if (entry.Comment || !entry.HasValue)
                text += entry.Name + "\r\n";
            else
                text += entry.Name + "=" + entry.Value + "\r\n";
        }
    }
    return text;
}

TIniSection* TIniDocument::FindSection(const AnsiString& Name)
{
    for (auto& section : FSections)
        if (AnsiSameText(section.Name, Name))
            return &section;
    return nullptr;
}

TIniSection& TIniDocument::AddSection(const AnsiString& Name)
{
    FSections.push_back(TIniSection{Name, {}});
    return FSections.back();
}

TIniEntry* TIniDocument::FindEntry(const AnsiString& Section, const AnsiString& Ident)
{
    TIniSection* section = FindSection(Section);
    if (!section)
        return nullptr;
    for (auto& entry : section->Entries)
        if (!entry.Comment && AnsiSameText(entry.Name, Ident))
            return &entry;
    return nullptr;
}

bool TIniDocument::ReadString(const AnsiString& Section, const AnsiString& Ident, AnsiString& Value)
{
    TIniEntry* entry = FindEntry(Section, Ident);
    if (!entry)
        return false;
    Value = entry->Value;
    return true;
}

void TIniDocument::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    AnsiString sectionName = TrimBlanks(OneLine(Section));
    AnsiString ident = TrimBlanks(OneLine(Ident));
    AnsiString value = TrimBlanks(OneLine(Value));
    if (TIniEntry* entry = FindEntry(sectionName, ident)) {
        entry->Value = value;
        entry->HasValue = true;
        return;
    }
    TIniSection* section = FindSection(sectionName);
    if (!section)
        section = &AddSection(sectionName);
    TIniEntry entry;
    entry.Name = ident;
    entry.Value = value;
    section->Entries.push_back(std::move(entry));
}

std::vector<AnsiString> TIniDocument::SectionNames() const
{
    std::vector<AnsiString> names;
    for (const auto& section : FSections)
        names.push_back(section.Name);
    return names;
}

std::vector<const TIniEntry*> TIniDocument::Entries(const AnsiString& Section)
{
    std::vector<const TIniEntry*> entries;
    if (TIniSection* section = FindSection(Section))
        for (const auto& entry : section->Entries)
            if (!entry.Comment)
                entries.push_back(&entry);
    return entries;
}

bool TIniDocument::EraseSection(const AnsiString& Section)
{
    for (auto it = FSections.begin(); it != FSections.end(); ++it) {
        if (AnsiSameText(it->Name, Section)) {
            FSections.erase(it);
            return true;
        }
    }
    return false;
}

bool TIniDocument::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    TIniSection* section = FindSection(Section);
    if (!section)
        return false;
    for (auto it = section->Entries.begin(); it != section->Entries.end(); ++it) {
        if (!it->Comment && AnsiSameText(it->Name, Ident)) {
            section->Entries.erase(it);
            return true;
        }
    }
    return false;
}

bool TIniDocument::LoadFromFile(const AnsiString& FileName)
{
    Clear();
    int fd = open(NormalizePathDelimiters(FileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    AnsiString text;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    Parse(text);
    return true;
}

void TIniDocument::SaveToFile(const AnsiString& FileName) const
{
    AnsiString target = NormalizePathDelimiters(FileName);
    // Write beside the target and rename over it: readers see the old file or the new one, never
    // a part of either, and a full disk leaves the old file as it was.
    struct stat st {};
    mode_t mode = 0644;
    if (lstat(target.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            char resolved[PATH_MAX];
            if (realpath(target.c_str(), resolved))
                target = resolved;
            if (stat(target.c_str(), &st) == 0)
                mode = st.st_mode & 07777;
        } else {
            mode = st.st_mode & 07777;
        }
    }
    auto fail = [&](int error) {
        throw EFCreateError("Cannot create file \"" + target + "\". " + SysErrorMessage(error));
    };
    AnsiString pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        fail(errno);
    AnsiString text = Text();
    std::size_t done = 0;
    int error = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!error && fchmod(fd, mode) != 0)
        error = errno;
    if (!error && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && !error)
        error = errno;
    if (!error && rename(name.data(), target.c_str()) != 0)
        error = errno;
    if (error) {
        unlink(name.data());
        fail(error);
    }
}

// ---- TCustomIniFile ---------------------------------------------------------------------------

TCustomIniFile::TCustomIniFile(const AnsiString& FileName) : FFileName(FileName) {}

TCustomIniFile::~TCustomIniFile() = default;

bool TCustomIniFile::SectionExists(const AnsiString& Section)
{
    TStringList names;
    ReadSection(Section, &names);
    return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
    TStringList names;
    ReadSection(Section, &names);
    for (Integer i = 0; i < names.Count(); ++i)
        if (AnsiSameText(names.Strings(i), Ident))
            return true;
    return false;
}

Integer TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default)
{
    AnsiString value = ReadString(Section, Ident, AnsiString());
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
        value = "$" + value.substr(2);
    return StrToIntDef(value, Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value)
{
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default)
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

Double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, Double Default)
{
    AnsiString value = ReadString(Section, Ident, AnsiString());
    Extended result;
    if (!value.empty() && TryStrToFloat(value, result))
        return result;
    return Default;
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, Double Value)
{
    WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TCustomIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    AnsiString value = ReadString(Section, Ident, AnsiString());
    TDateTime result;
    return !value.empty() && TryStrToDate(value, result) ? result : Default;
}

TDateTime TCustomIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    AnsiString value = ReadString(Section, Ident, AnsiString());
    TDateTime result;
    return !value.empty() && TryStrToDateTime(value, result) ? result : Default;
}

TDateTime TCustomIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    AnsiString value = ReadString(Section, Ident, AnsiString());
    TDateTime result;
    return !value.empty() && TryStrToTime(value, result) ? result : Default;
}

void TCustomIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, TimeToStr(Value));
}

// ---- Shared list helpers ----------------------------------------------------------------------

namespace {

void FillSection(TIniDocument& Document, const AnsiString& Section, TStrings* Strings)
{
    TUpdateBracket Bracket(Strings);
    Strings->Clear();
    for (const TIniEntry* entry : Document.Entries(Section))
        Strings->Add(entry->Name);
}

void FillSections(TIniDocument& Document, TStrings* Strings)
{
    TUpdateBracket Bracket(Strings);
    Strings->Clear();
    for (const auto& name : Document.SectionNames())
        Strings->Add(name);
}

void FillSectionValues(TIniDocument& Document, const AnsiString& Section, TStrings* Strings)
{
    TUpdateBracket Bracket(Strings);
    Strings->Clear();
    for (const TIniEntry* entry : Document.Entries(Section))
        Strings->Add(entry->HasValue ? entry->Name + "=" + entry->Value : entry->Name);
}

} // namespace

// ---- TMemIniFile ------------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const AnsiString& FileName)
    : TCustomIniFile(FileName), FDocument(std::make_unique<TIniDocument>())
{
    FDocument->LoadFromFile(FileName);
}

TMemIniFile::~TMemIniFile() = default;

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Default)
{
    AnsiString value;
    return FDocument->ReadString(Section, Ident, value) ? value : Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    FDocument->WriteString(Section, Ident, Value);
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
    FillSection(*FDocument, Section, Strings);
}

void TMemIniFile::ReadSections(TStrings* Strings)
{
    FillSections(*FDocument, Strings);
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
    FillSectionValues(*FDocument, Section, Strings);
}

void TMemIniFile::EraseSection(const AnsiString& Section)
{
    FDocument->EraseSection(Section);
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    FDocument->DeleteKey(Section, Ident);
}

bool TMemIniFile::SectionExists(const AnsiString& Section)
{
    return FDocument->FindSection(Section) != nullptr;
}

bool TMemIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
    return FDocument->FindEntry(Section, Ident) != nullptr;
}

void TMemIniFile::UpdateFile()
{
    FDocument->SaveToFile(FFileName);
}

void TMemIniFile::Clear()
{
    FDocument->Clear();
}

void TMemIniFile::GetStrings(TStrings* List)
{
    List->SetText(FDocument->Text());
}

void TMemIniFile::SetStrings(TStrings* List)
{
    FDocument->Parse(List->Text());
}

void TMemIniFile::Rename(const AnsiString& FileName, bool Reload)
{
    FFileName = FileName;
    if (Reload)
        FDocument->LoadFromFile(FileName);
}

namespace {

void SaveThrough(const TIniDocument& Document, const AnsiString& FileName)
{
    try {
        Document.SaveToFile(FileName);
    } catch (const EFCreateError&) {
        throw EIniFileException("Unable to write to " + FileName);
    }
}

} // namespace

// ---- TIniFile ---------------------------------------------------------------------------------

TIniFile::TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName) {}

TIniFile::~TIniFile() = default;

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    AnsiString value;
    return document.ReadString(Section, Ident, value) ? value : Default;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    document.WriteString(Section, Ident, Value);
    SaveThrough(document, FFileName);
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    FillSection(document, Section, Strings);
}

void TIniFile::ReadSections(TStrings* Strings)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    FillSections(document, Strings);
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    FillSectionValues(document, Section, Strings);
}

void TIniFile::EraseSection(const AnsiString& Section)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    if (document.EraseSection(Section))
        SaveThrough(document, FFileName);
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    if (document.DeleteKey(Section, Ident))
        SaveThrough(document, FFileName);
}

bool TIniFile::SectionExists(const AnsiString& Section)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    return document.FindSection(Section) != nullptr;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
    TIniDocument document;
    document.LoadFromFile(FFileName);
    return document.FindEntry(Section, Ident) != nullptr;
}

void TIniFile::UpdateFile() {}
