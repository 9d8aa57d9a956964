#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>

class TStrings;

// The registry stand-in. Keys and their typed values live in one per-user ini file,
// $XDG_CONFIG_HOME/drawmere/registry.ini ($HOME/.config/drawmere/registry.ini without it).
// Each key is a section named after its root and path ("HKEY_CURRENT_USER\Software\Drawmere");
// key and value names are compared without regard to case, as on the original platform.
// Every change is written through at once, under a file lock, so two objects (or two
// processes) see each other's changes.

struct HKEY__;
using HKEY = HKEY__*;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x80000005});

inline constexpr LongWord KEY_QUERY_VALUE = 0x0001;
inline constexpr LongWord KEY_SET_VALUE = 0x0002;
inline constexpr LongWord KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr LongWord KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr LongWord KEY_READ = 0x20019;
inline constexpr LongWord KEY_WRITE = 0x20006;
inline constexpr LongWord KEY_ALL_ACCESS = 0xF003F;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Raised with the platform's texts: "Failed to get data for '%s'", "Failed to set data for
// '%s'", "Invalid data type for '%s'".
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// The path of the ini file that holds the keys (created on first write).
AnsiString RegistryFileName();

class TRegistry : public TObject {
public:
    TRegistry();
    explicit TRegistry(LongWord AAccess);
    ~TRegistry() override;

    HKEY RootKey() const { return FRootKey; }
    // Closes the current key.
    void SetRootKey(HKEY Value);
    LongWord Access() const { return FAccess; }
    void SetAccess(LongWord Value) { FAccess = Value; }
    // The path of the open key below the root, without a leading '\' ("" when none is open).
    const AnsiString& CurrentPath() const { return FCurrentPath; }
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool Value) { FLazyWrite = Value; }

    // Opens Key: a path starting with '\' is relative to the root, otherwise to the open key.
    // Creates the missing keys when CanCreate; false when the key does not exist.
    bool OpenKey(const AnsiString& Key, bool CanCreate);
    bool OpenKeyReadOnly(const AnsiString& Key);
    void CloseKey();
    bool CreateKey(const AnsiString& Key);
    // Deletes Key with all its subkeys and values.
    bool DeleteKey(const AnsiString& Key);
    bool KeyExists(const AnsiString& Key);
    bool HasSubKeys();
    // The names of the direct subkeys of the open key.
    void GetKeyNames(TStrings* Strings);
    void GetValueNames(TStrings* Strings);

    bool ValueExists(const AnsiString& Name);
    bool DeleteValue(const AnsiString& Name);
    TRegDataType GetDataType(const AnsiString& Name);
    // Bytes the value takes (strings with their terminating zero, as the platform counts),
    // or -1 when it does not exist.
    Integer GetDataSize(const AnsiString& Name);

    // "" when the value is missing; raises "Invalid data type" for a value of another type.
    AnsiString ReadString(const AnsiString& Name);
    void WriteString(const AnsiString& Name, const AnsiString& Value);
    void WriteExpandString(const AnsiString& Name, const AnsiString& Value);
    // Raise "Failed to get data" when the value is missing and "Invalid data type" when it is
    // not an integer.
    Integer ReadInteger(const AnsiString& Name);
    void WriteInteger(const AnsiString& Name, Integer Value);
    bool ReadBool(const AnsiString& Name);
    void WriteBool(const AnsiString& Name, bool Value);
    // Copies the value into Buffer and returns its size; raises "Failed to get data" when it
    // does not fit or is missing.
    Integer ReadBinaryData(const AnsiString& Name, void* Buffer, Integer BufSize);
    void WriteBinaryData(const AnsiString& Name, const void* Buffer, Integer BufSize);

private:
    // The section of the key at Path (below the root).
    AnsiString KeySection(const AnsiString& Path) const;
    // Key made absolute: relative to the open key unless it starts with '\'.
    AnsiString ResolvePath(const AnsiString& Key) const;
    bool CanRead() const { return FKeyOpen; }
    [[noreturn]] void SetDataError(const AnsiString& Name) const;
    void WriteValue(const AnsiString& Name, const AnsiString& Encoded);
    // The stored (encoded) value, false when missing.
    bool ReadValue(const AnsiString& Name, AnsiString& Encoded) const;

    HKEY FRootKey;
    LongWord FAccess;
    AnsiString FCurrentPath;
    bool FKeyOpen = false;
    bool FReadOnly = false;
    bool FLazyWrite = true;
};

// A registry key seen as an ini file: sections are its subkeys, idents their values.
// Integers are stored as integer values and read back from integer or string values.
class TRegistryIniFile : public TCustomIniFile {
public:
    // Opens (creating it) the key FileName under HKEY_CURRENT_USER.
    explicit TRegistryIniFile(const AnsiString& FileName);
    TRegistryIniFile(const AnsiString& FileName, LongWord AAccess);
    ~TRegistryIniFile() override;

    TRegistry* RegIniFile() { return FRegistry.get(); }

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
    Integer ReadInteger(const AnsiString& Section, const AnsiString& Ident, Integer Default) override;
    void WriteInteger(const AnsiString& Section, const AnsiString& Ident, Integer Value) override;
    bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) override;
    void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) override;
    void ReadSection(const AnsiString& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
    void EraseSection(const AnsiString& Section) override;
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
    bool SectionExists(const AnsiString& Section) override;
    bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
    // Nothing is pending: the registry writes through.
    void UpdateFile() override;

private:
    // Opens the subkey Section of the ini key; false when it does not exist and !Create.
    bool OpenSection(const AnsiString& Section, bool Create);

    std::unique_ptr<TRegistry> FRegistry;
    AnsiString FBase; // the key path of the ini file, below HKEY_CURRENT_USER
};
