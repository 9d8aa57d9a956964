#pragma once

// Published properties: each class that is streamed or read by property name declares its
// properties once in a table (name, kind, accessors, default). Streaming walks the tables of
// an object's class and of its ancestors; a value equal to its default is not stored.

#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

enum TTypeKind { tkInteger, tkEnumeration, tkSet, tkString, tkFloat, tkClass, tkInt64 };

struct TPropInfo {
    AnsiString Name;
    TTypeKind Kind = tkInteger;
    // Enumerations (booleans included: "False", "True") and sets: the member names by ordinal.
    std::vector<AnsiString> Names;
    // Ordinal kinds (integers, enumerations, sets as bit masks of their ordinals).
    std::function<Int64(TObject*)> GetOrd;
    std::function<void(TObject*, Int64)> SetOrd;
    // Strings (UTF-8).
    std::function<AnsiString(TObject*)> GetStr;
    std::function<void(TObject*, const AnsiString&)> SetStr;
    std::function<Extended(TObject*)> GetFloat;
    std::function<void(TObject*, Extended)> SetFloat;
    // Nested persistent objects ("Font"): their own properties are streamed as "Font.Name" ….
    std::function<TPersistent*(TObject*)> GetObject;
    // Ordinal default; without one the value is always stored.
    bool HasDefault = false;
    Int64 Default = 0;
    // False for properties that are published but never stored (they follow from others).
    bool Stored = true;
};

// Declares the published properties of class T (in addition to those of its ancestors, which
// are declared with their own classes). Declare a base class before its descendants: the
// order of declaration is the order the properties are listed and streamed in. Declaring a
// class again replaces its table.
template <class T> void RegisterPublishedProperties(std::vector<TPropInfo> Props);

// The published properties of the object's class, ancestors' first.
std::vector<const TPropInfo*> GetPropList(TObject* Instance);
// The property of that name (ASCII case ignored), or nullptr.
const TPropInfo* GetPropInfo(TObject* Instance, const AnsiString& PropName);
// True when the value differs from the default (or there is no default).
bool IsStoredProp(TObject* Instance, const TPropInfo* Info);

// Reading and writing by name; a name that is not a property raises EPropertyError
// "Property <name> does not exist"; an enumeration value that is not a member raises
// EPropertyConvertError "Invalid property value".
Int64 GetOrdProp(TObject* Instance, const AnsiString& PropName);
void SetOrdProp(TObject* Instance, const AnsiString& PropName, Int64 Value);
AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName);
void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);
AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName);
void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value);

class EPropertyError : public Exception {
public:
    using Exception::Exception;
};
class EPropertyConvertError : public Exception {
public:
    using Exception::Exception;
};

// ---- Implementation details ---------------------------------------------------------------------

namespace typinfo_detail {
void Register(const void* Key, std::function<bool(TObject*)> Matches, std::vector<TPropInfo> Props);
} // namespace typinfo_detail

template <class T> void RegisterPublishedProperties(std::vector<TPropInfo> Props)
{
    static const char Key = 0;
    typinfo_detail::Register(
        &Key, [](TObject* O) { return dynamic_cast<T*>(O) != nullptr; }, std::move(Props));
}
