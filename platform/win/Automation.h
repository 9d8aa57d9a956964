#pragma once

// Late-bound automation: objects called by member name with Variant arguments, positional and
// named, as a Variant of type varDispatch holds them. Objects come from in-process servers
// registered under a ProgID (CreateOleObject) or from the running-object table
// (GetActiveOleObject). Member and ProgID names are compared without regard to ASCII case.
//
// The servers of the platform live in platform/servers (RegisterPlatformOleServers); a library
// may register its own (the spreadsheet server comes with the xls library).

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TDispatchKind { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };

struct TNamedArg {
    AnsiString Name;
    Variant Value;
};

// Automation errors: ErrorCode is the platform's code (an HRESULT).
class EOleError : public Exception {
public:
    using Exception::Exception;
};
class EOleSysError : public EOleError {
public:
    EOleSysError(const AnsiString& Message, Integer Code) : EOleError(Message), FErrorCode(Code) {}
    Integer ErrorCode() const { return FErrorCode; }

private:
    Integer FErrorCode;
};
// An error a server reports (its source and description).
class EOleException : public EOleSysError {
public:
    EOleException(const AnsiString& Message, Integer Code, const AnsiString& Source)
        : EOleSysError(Message, Code), FSource(Source)
    {
    }
    const AnsiString& Source() const { return FSource; }

private:
    AnsiString FSource;
};

inline constexpr Integer DISP_E_MEMBERNOTFOUND = Integer(0x80020003u);
inline constexpr Integer DISP_E_UNKNOWNNAME = Integer(0x80020006u);
inline constexpr Integer DISP_E_BADPARAMCOUNT = Integer(0x8002000Eu);
inline constexpr Integer DISP_E_EXCEPTION = Integer(0x80020009u);
inline constexpr Integer CO_E_CLASSSTRING = Integer(0x800401F3u);
inline constexpr Integer MK_E_UNAVAILABLE = Integer(0x800401E3u);

// An automation object. Invoke gets the member name, the kind of call (a method and a property
// read are often the same to a server: DISPATCH_METHOD | DISPATCH_PROPERTYGET), the positional
// arguments in order (for a property put, the value is the last one) and the named ones.
// Unknown members raise UnknownMember.
class TAutoObject : public IVarDispatch, public std::enable_shared_from_this<TAutoObject> {
public:
    virtual Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                           const std::vector<TNamedArg>& Named) = 0;

protected:
    [[noreturn]] void UnknownMember(const AnsiString& Name) const;
    // Raises EOleException with this server's name as its source.
    [[noreturn]] void ServerError(const AnsiString& Message) const;
    // The argument at Index, or the named one (either may be given); Empty when neither is.
    static Variant Arg(const std::vector<Variant>& Args, const std::vector<TNamedArg>& Named,
                       std::size_t Index, const char* Name);
    // The server's name used in its errors.
    virtual AnsiString ServerName() const { return "Automation server"; }
};

// A Variant holding the object.
Variant AutoVariant(std::shared_ptr<TAutoObject> Object);

// Calls by name. The object must be a varDispatch Variant holding a TAutoObject, else
// EOleError "Variant does not reference an automation object".
Variant OleInvoke(const Variant& Object, const AnsiString& Name, int Kind,
                  const std::vector<Variant>& Args = {}, const std::vector<TNamedArg>& Named = {});
// A method call or property read (Object.Name(Args)).
Variant OleCall(const Variant& Object, const AnsiString& Name, const std::vector<Variant>& Args = {},
                const std::vector<TNamedArg>& Named = {});
inline Variant OleGet(const Variant& Object, const AnsiString& Name, const std::vector<Variant>& Args = {})
{
    return OleInvoke(Object, Name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, Args);
}
// Object.Name(Args) := Value.
void OleSet(const Variant& Object, const AnsiString& Name, const Variant& Value,
            std::vector<Variant> Args = {});

// The server registry. A factory makes a new object of the server each time.
using TAutoFactory = std::function<std::shared_ptr<TAutoObject>()>;
void RegisterOleServer(const AnsiString& ProgID, TAutoFactory Factory);
void UnregisterOleServer(const AnsiString& ProgID);
bool OleServerRegistered(const AnsiString& ProgID);

// A new object of the registered server; EOleSysError "Invalid class string" (CO_E_CLASSSTRING)
// when none is registered under ProgID.
Variant CreateOleObject(const AnsiString& ProgID);
// The object registered as running under ProgID; EOleSysError "Operation unavailable"
// (MK_E_UNAVAILABLE) when none is.
Variant GetActiveOleObject(const AnsiString& ProgID);
// The running-object table: a server registers its application object while it runs.
void RegisterActiveObject(const AnsiString& ProgID, const Variant& Object);
void RevokeActiveObject(const AnsiString& ProgID);
