#include "platform/rtl/Registry.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

// Value encodings in the ini file, each a prefix before the payload.
const char* const kString = "sz:";
const char* const kExpandString = "expand:";
const char* const kInteger = "dword:";
const char* const kBinary = "hex:";

AnsiString RegistryDirectory()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    AnsiString base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = AnsiString(home && *home ? home : "/tmp") + "/.config";
    }
    return IncludeTrailingPathDelimiter(base) + "drawmere";
}

// Holds the registry's lock file for one operation: shared while reading, exclusive while
// changing, so a change (read, modify, replace the file) is never interleaved with another.
class TRegistryLock {
public:
    TRegistryLock(bool Exclusive, bool Create)
    {
        AnsiString dir = RegistryDirectory();
        if (Create)
            ForceDirectories(dir);
        FFd = open((dir + "/registry.lock").c_str(), O_RDWR | O_CLOEXEC | (Create ? O_CREAT : 0), 0600);
        if (FFd >= 0)
            while (flock(FFd, Exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
            }
    }
    ~TRegistryLock()
    {
        if (FFd >= 0)
            close(FFd);
    }
    TRegistryLock(const TRegistryLock&) = delete;
    TRegistryLock& operator=(const TRegistryLock&) = delete;

private:
    int FFd = -1;
};

void ReadStore(const std::function<void(TIniDocument&)>& Action)
{
    TRegistryLock lock(false, false);
    TIniDocument document;
    document.LoadFromFile(RegistryFileName());
    Action(document);
}

// Action answers whether it changed the document; only then is the file written.
void ModifyStore(const std::function<bool(TIniDocument&)>& Action)
{
    TRegistryLock lock(true, true);
    TIniDocument document;
    document.LoadFromFile(RegistryFileName());
    if (Action(document))
        document.SaveToFile(RegistryFileName());
}

AnsiString RootName(HKEY Root)
{
    switch (reinterpret_cast<std::uintptr_t>(Root)) {
    case 0x80000000:
        return "HKEY_CLASSES_ROOT";
    case 0x80000001:
        return "HKEY_CURRENT_USER";
    case 0x80000002:
        return "HKEY_LOCAL_MACHINE";
    case 0x80000003:
        return "HKEY_USERS";
    case 0x80000005:
        return "HKEY_CURRENT_CONFIG";
    default: {
        char name[32];
        std::snprintf(name, sizeof name, "HKEY_%08lX",
                      static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(Root)));
        return name;
    }
    }
}

// Splits at '\' and drops empty parts: "\Software\\Drawmere\" is "Software\Drawmere".
AnsiString NormalizeKeyPath(const AnsiString& Path)
{
    AnsiString result;
    std::size_t start = 0;
    while (start <= Path.size()) {
        std::size_t end = Path.find('\\', start);
        if (end == AnsiString::npos)
            end = Path.size();
        if (end > start) {
            if (!result.empty())
                result += '\\';
            result += Path.substr(start, end - start);
        }
        start = end + 1;
    }
    return result;
}

bool StartsWithText(const AnsiString& S, const AnsiString& Prefix)
{
    return S.size() >= Prefix.size() && AnsiSameText(S.substr(0, Prefix.size()), Prefix);
}

// Names and values are escaped so that the ini syntax cannot change them: backslashes, control
// characters, '=' in names, a leading ';' or '[' of a name and blanks at either end are written as
// \xHH (a backslash as \\).
AnsiString Escape(const AnsiString& S, bool IsName)
{
    AnsiString out;
    for (std::size_t i = 0; i < S.size(); ++i) {
        auto c = static_cast<unsigned char>(S[i]);
        bool edge = i == 0 || i + 1 == S.size();
        bool escape = c < 0x20 || c == 0x7F || (IsName && c == '=') || ((c == ' ') && edge) ||
                      (IsName && i == 0 && (c == ';' || c == '['));
        if (c == '\\') {
            out += "\\\\";
        } else if (escape) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

AnsiString Unescape(const AnsiString& S)
{
    AnsiString out;
    for (std::size_t i = 0; i < S.size(); ++i) {
        if (S[i] == '\\' && i + 1 < S.size() && S[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (S[i] == '\\' && i + 3 < S.size() && S[i + 1] == 'x' && HexDigit(S[i + 2]) >= 0 &&
                   HexDigit(S[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(S[i + 2]) * 16 + HexDigit(S[i + 3]));
            i += 3;
        } else {
            out += S[i];
        }
    }
    return out;
}

TRegDataType TypeOf(const AnsiString& Encoded)
{
    if (Encoded.starts_with(kString))
        return rdString;
    if (Encoded.starts_with(kExpandString))
        return rdExpandString;
    if (Encoded.starts_with(kInteger))
        return rdInteger;
    if (Encoded.starts_with(kBinary))
        return rdBinary;
    return rdUnknown;
}

AnsiString Payload(const AnsiString& Encoded)
{
    auto colon = Encoded.find(':');
    return colon == AnsiString::npos ? AnsiString() : Encoded.substr(colon + 1);
}

// Decodes "hex:0a,ff"; false for a malformed list (edited by hand, damaged).
bool DecodeBinary(const AnsiString& Payload, std::vector<Byte>& Bytes)
{
    Bytes.clear();
    std::size_t i = 0;
    while (i < Payload.size()) {
        if (i + 1 >= Payload.size() || HexDigit(Payload[i]) < 0 || HexDigit(Payload[i + 1]) < 0)
            return false;
        Bytes.push_back(static_cast<Byte>(HexDigit(Payload[i]) * 16 + HexDigit(Payload[i + 1])));
        i += 2;
        if (i < Payload.size()) {
            if (Payload[i] != ',')
                return false;
            ++i;
        }
    }
    return true;
}

bool DecodeInteger(const AnsiString& Payload, Integer& Value)
{
    return TryStrToInt(Payload, Value);
}

} // namespace

AnsiString RegistryFileName()
{
    return RegistryDirectory() + "/registry.ini";
}

// ---- TRegistry --------------------------------------------------------------------------------

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(LongWord AAccess) : FRootKey(HKEY_CURRENT_USER), FAccess(AAccess) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value)
{
    CloseKey();
    FRootKey = Value;
}

AnsiString TRegistry::KeySection(const AnsiString& Path) const
{
    return Path.empty() ? RootName(FRootKey) : RootName(FRootKey) + "\\" + Path;
}

AnsiString TRegistry::ResolvePath(const AnsiString& Key) const
{
    if (!Key.empty() && Key[0] == '\\')
        return NormalizeKeyPath(Key);
    if (FKeyOpen && !FCurrentPath.empty())
        return NormalizeKeyPath(FCurrentPath + "\\" + Key);
    return NormalizeKeyPath(Key);
}

namespace {

bool SectionKeyExists(TIniDocument& Document, const AnsiString& Section)
{
    if (Document.FindSection(Section))
        return true;
    for (const auto& name : Document.SectionNames())
        if (StartsWithText(name, Section + "\\"))
            return true;
    return false;
}

// Adds the sections of the key and of every missing key above it (below the root).
bool CreateSections(TIniDocument& Document, const AnsiString& RootSection, const AnsiString& Path)
{
    bool changed = false;
    AnsiString section = RootSection;
    std::size_t start = 0;
    while (start < Path.size()) {
        std::size_t end = Path.find('\\', start);
        if (end == AnsiString::npos)
            end = Path.size();
        section += "\\" + Path.substr(start, end - start);
        if (!Document.FindSection(section)) {
            Document.AddSection(section);
            changed = true;
        }
        start = end + 1;
    }
    return changed;
}

} // namespace

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate)
{
    AnsiString path = ResolvePath(Key);
    AnsiString section = KeySection(path);
    bool exists = path.empty();
    if (!exists)
        ReadStore([&](TIniDocument& d) { exists = SectionKeyExists(d, section); });
    if (!exists) {
        if (!CanCreate)
            return false;
        try {
            ModifyStore([&](TIniDocument& d) { return CreateSections(d, RootName(FRootKey), path); });
        } catch (const EStreamError&) {
            return false;
        }
    }
    FCurrentPath = path;
    FKeyOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key)
{
    if (!OpenKey(Key, false))
        return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    FKeyOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(const AnsiString& Key)
{
    AnsiString path = ResolvePath(Key);
    try {
        ModifyStore([&](TIniDocument& d) { return CreateSections(d, RootName(FRootKey), path); });
    } catch (const EStreamError&) {
        return false;
    }
    return true;
}

bool TRegistry::DeleteKey(const AnsiString& Key)
{
    AnsiString path = ResolvePath(Key);
    if (path.empty())
        return false; // a root cannot be deleted
    AnsiString section = KeySection(path);
    bool existed = false;
    try {
        ModifyStore([&](TIniDocument& d) {
            auto& sections = d.Sections();
            for (auto it = sections.begin(); it != sections.end();) {
                if (AnsiSameText(it->Name, section) || StartsWithText(it->Name, section + "\\")) {
                    it = sections.erase(it);
                    existed = true;
                } else {
                    ++it;
                }
            }
            return existed;
        });
    } catch (const EStreamError&) {
        return false;
    }
    return existed;
}

bool TRegistry::KeyExists(const AnsiString& Key)
{
    AnsiString path = ResolvePath(Key);
    if (path.empty())
        return true;
    bool exists = false;
    ReadStore([&](TIniDocument& d) { exists = SectionKeyExists(d, KeySection(path)); });
    return exists;
}

bool TRegistry::HasSubKeys()
{
    TStringList names;
    GetKeyNames(&names);
    return names.Count() > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings)
{
    Strings->Clear();
    if (!FKeyOpen)
        return;
    AnsiString prefix = KeySection(FCurrentPath) + "\\";
    std::vector<AnsiString> names;
    ReadStore([&](TIniDocument& d) {
        for (const auto& section : d.SectionNames()) {
            if (!StartsWithText(section, prefix))
                continue;
            AnsiString rest = section.substr(prefix.size());
            AnsiString child = rest.substr(0, rest.find('\\'));
            if (child.empty())
                continue;
            bool seen = false;
            for (const auto& name : names)
                seen = seen || AnsiSameText(name, child);
            if (!seen)
                names.push_back(child);
        }
    });
    for (const auto& name : names)
        Strings->Add(name);
}

void TRegistry::GetValueNames(TStrings* Strings)
{
    Strings->Clear();
    if (!FKeyOpen)
        return;
    std::vector<AnsiString> names;
    ReadStore([&](TIniDocument& d) {
        for (const TIniEntry* entry : d.Entries(KeySection(FCurrentPath)))
            if (entry->HasValue)
                names.push_back(Unescape(entry->Name));
    });
    for (const auto& name : names)
        Strings->Add(name);
}

bool TRegistry::ReadValue(const AnsiString& Name, AnsiString& Encoded) const
{
    if (!CanRead())
        return false;
    bool found = false;
    ReadStore([&](TIniDocument& d) {
        TIniEntry* entry = d.FindEntry(KeySection(FCurrentPath), Escape(Name, true));
        if (entry && entry->HasValue) {
            Encoded = entry->Value;
            found = true;
        }
    });
    return found;
}

void TRegistry::SetDataError(const AnsiString& Name) const
{
    throw ERegistryException("Failed to set data for '" + Name + "'");
}

void TRegistry::WriteValue(const AnsiString& Name, const AnsiString& Encoded)
{
    if (!FKeyOpen || FReadOnly || (FAccess & KEY_SET_VALUE) == 0)
        SetDataError(Name);
    AnsiString section = KeySection(FCurrentPath);
    try {
        ModifyStore([&](TIniDocument& d) {
            d.WriteString(section, Escape(Name, true), Encoded);
            return true;
        });
    } catch (const EStreamError&) {
        SetDataError(Name);
    }
}

bool TRegistry::ValueExists(const AnsiString& Name)
{
    AnsiString encoded;
    return ReadValue(Name, encoded);
}

bool TRegistry::DeleteValue(const AnsiString& Name)
{
    if (!FKeyOpen || FReadOnly)
        return false;
    bool existed = false;
    AnsiString section = KeySection(FCurrentPath);
    try {
        ModifyStore([&](TIniDocument& d) { return existed = d.DeleteKey(section, Escape(Name, true)); });
    } catch (const EStreamError&) {
        return false;
    }
    return existed;
}

TRegDataType TRegistry::GetDataType(const AnsiString& Name)
{
    AnsiString encoded;
    return ReadValue(Name, encoded) ? TypeOf(encoded) : rdUnknown;
}

Integer TRegistry::GetDataSize(const AnsiString& Name)
{
    AnsiString encoded;
    if (!ReadValue(Name, encoded))
        return -1;
    std::vector<Byte> bytes;
    switch (TypeOf(encoded)) {
    case rdString:
    case rdExpandString:
        return static_cast<Integer>(Unescape(Payload(encoded)).size()) + 1;
    case rdInteger:
        return 4;
    case rdBinary:
        return DecodeBinary(Payload(encoded), bytes) ? static_cast<Integer>(bytes.size()) : 0;
    default:
        return static_cast<Integer>(encoded.size());
    }
}

AnsiString TRegistry::ReadString(const AnsiString& Name)
{
    AnsiString encoded;
    if (!ReadValue(Name, encoded))
        return AnsiString();
    TRegDataType type = TypeOf(encoded);
    if (type != rdString && type != rdExpandString)
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return Unescape(Payload(encoded));
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value)
{
    WriteValue(Name, kString + Escape(Value, false));
}

void TRegistry::WriteExpandString(const AnsiString& Name, const AnsiString& Value)
{
    WriteValue(Name, kExpandString + Escape(Value, false));
}

Integer TRegistry::ReadInteger(const AnsiString& Name)
{
    AnsiString encoded;
    if (!ReadValue(Name, encoded))
        throw ERegistryException("Failed to get data for '" + Name + "'");
    Integer value = 0;
    if (TypeOf(encoded) != rdInteger || !DecodeInteger(Payload(encoded), value))
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return value;
}

void TRegistry::WriteInteger(const AnsiString& Name, Integer Value)
{
    WriteValue(Name, kInteger + IntToStr(Value));
}

bool TRegistry::ReadBool(const AnsiString& Name)
{
    return ReadInteger(Name) != 0;
}

void TRegistry::WriteBool(const AnsiString& Name, bool Value)
{
    WriteInteger(Name, Value ? 1 : 0);
}

Integer TRegistry::ReadBinaryData(const AnsiString& Name, void* Buffer, Integer BufSize)
{
    AnsiString encoded;
    if (!ReadValue(Name, encoded))
        return 0;
    std::vector<Byte> bytes;
    if (TypeOf(encoded) != rdBinary || !DecodeBinary(Payload(encoded), bytes) ||
        static_cast<std::size_t>(std::max(BufSize, 0)) < bytes.size())
        throw ERegistryException("Invalid data type for '" + Name + "'");
    if (!bytes.empty())
        std::memcpy(Buffer, bytes.data(), bytes.size());
    return static_cast<Integer>(bytes.size());
}

void TRegistry::WriteBinaryData(const AnsiString& Name, const void* Buffer, Integer BufSize)
{
    AnsiString encoded = kBinary;
    const auto* bytes = static_cast<const Byte*>(Buffer);
    for (Integer i = 0; i < BufSize; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : ",%02x", bytes[i]);
        encoded += hex;
    }
    WriteValue(Name, encoded);
}

// ---- TRegistryIniFile -------------------------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const AnsiString& FileName) : TRegistryIniFile(FileName, KEY_ALL_ACCESS) {}

TRegistryIniFile::TRegistryIniFile(const AnsiString& FileName, LongWord AAccess)
    : TCustomIniFile(FileName), FRegistry(std::make_unique<TRegistry>(AAccess)),
      FBase(NormalizeKeyPath(FileName))
{
    FRegistry->OpenKey("\\" + FBase, true);
}

TRegistryIniFile::~TRegistryIniFile() = default;

bool TRegistryIniFile::OpenSection(const AnsiString& Section, bool Create)
{
    return FRegistry->OpenKey("\\" + FBase + "\\" + Section, Create);
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                        const AnsiString& Default)
{
    if (!OpenSection(Section, false))
        return Default;
    switch (FRegistry->GetDataType(Ident)) {
    case rdString:
    case rdExpandString:
        return FRegistry->ReadString(Ident);
    case rdInteger:
        return IntToStr(FRegistry->ReadInteger(Ident));
    default:
        return Default;
    }
}

void TRegistryIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Value)
{
    if (!OpenSection(Section, true))
        throw ERegistryException("Failed to set data for '" + Ident + "'");
    FRegistry->WriteString(Ident, Value);
}

Integer TRegistryIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default)
{
    if (!OpenSection(Section, false))
        return Default;
    switch (FRegistry->GetDataType(Ident)) {
    case rdInteger:
        return FRegistry->ReadInteger(Ident);
    case rdString:
    case rdExpandString:
        return StrToIntDef(FRegistry->ReadString(Ident), Default);
    default:
        return Default;
    }
}

void TRegistryIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value)
{
    if (!OpenSection(Section, true))
        throw ERegistryException("Failed to set data for '" + Ident + "'");
    FRegistry->WriteInteger(Ident, Value);
}

bool TRegistryIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default)
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegistryIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
    WriteInteger(Section, Ident, Value ? 1 : 0);
}

void TRegistryIniFile::ReadSection(const AnsiString& Section, TStrings* Strings)
{
    Strings->Clear();
    if (OpenSection(Section, false))
        FRegistry->GetValueNames(Strings);
}

void TRegistryIniFile::ReadSections(TStrings* Strings)
{
    FRegistry->OpenKey("\\" + FBase, true);
    FRegistry->GetKeyNames(Strings);
}

void TRegistryIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
    TStringList names;
    ReadSection(Section, &names);
    Strings->BeginUpdate();
    Strings->Clear();
    for (Integer i = 0; i < names.Count(); ++i)
        Strings->Add(names.Strings(i) + "=" + ReadString(Section, names.Strings(i), AnsiString()));
    Strings->EndUpdate();
}

void TRegistryIniFile::EraseSection(const AnsiString& Section)
{
    FRegistry->DeleteKey("\\" + FBase + "\\" + Section);
}

void TRegistryIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    if (OpenSection(Section, false))
        FRegistry->DeleteValue(Ident);
}

bool TRegistryIniFile::SectionExists(const AnsiString& Section)
{
    return FRegistry->KeyExists("\\" + FBase + "\\" + Section);
}

bool TRegistryIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
    return OpenSection(Section, false) && FRegistry->ValueExists(Ident);
}

void TRegistryIniFile::UpdateFile() {}
