#include "platform/win/Automation.h"

#include "platform/rtl/Strings.h"

#include <map>

namespace {

struct Entry {
    AnsiString ProgID;
    TAutoFactory Factory;
};

std::vector<Entry>& Servers()
{
    static std::vector<Entry> list;
    return list;
}

std::vector<std::pair<AnsiString, Variant>>& Running()
{
    static std::vector<std::pair<AnsiString, Variant>> list;
    return list;
}

TAutoObject* ObjectOf(const Variant& V)
{
    TAutoObject* o =
        (V.VType() & varTypeMask) == varDispatch ? dynamic_cast<TAutoObject*>(V.AsDispatch().get()) : nullptr;
    if (!o)
        throw EOleError("Variant does not reference an automation object");
    return o;
}

} // namespace

void TAutoObject::UnknownMember(const AnsiString& Name) const
{
    throw EOleSysError("Method '" + Name + "' not supported by automation object", DISP_E_UNKNOWNNAME);
}

void TAutoObject::ServerError(const AnsiString& Message) const
{
    throw EOleException(Message, DISP_E_EXCEPTION, ServerName());
}

Variant TAutoObject::Arg(const std::vector<Variant>& Args, const std::vector<TNamedArg>& Named,
                         std::size_t Index, const char* Name)
{
    for (const TNamedArg& n : Named)
        if (SameText(n.Name, Name))
            return n.Value;
    return Index < Args.size() ? Args[Index] : Variant();
}

Variant AutoVariant(std::shared_ptr<TAutoObject> Object)
{
    return Variant(std::shared_ptr<IVarDispatch>(std::move(Object)));
}

Variant OleInvoke(const Variant& Object, const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                  const std::vector<TNamedArg>& Named)
{
    TAutoObject* o = ObjectOf(Object);
    // Keep the object alive through the call even when the caller's Variant is reassigned in it.
    std::shared_ptr<IVarDispatch> keep = Object.AsDispatch();
    return o->Invoke(Name, Kind, Args, Named);
}

Variant OleCall(const Variant& Object, const AnsiString& Name, const std::vector<Variant>& Args,
                const std::vector<TNamedArg>& Named)
{
    return OleInvoke(Object, Name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args, Named);
}

void OleSet(const Variant& Object, const AnsiString& Name, const Variant& Value, std::vector<Variant> Args)
{
    Args.push_back(Value);
    OleInvoke(Object, Name, DISPATCH_PROPERTYPUT, Args);
}

void RegisterOleServer(const AnsiString& ProgID, TAutoFactory Factory)
{
    for (Entry& e : Servers())
        if (SameText(e.ProgID, ProgID)) {
            e.Factory = std::move(Factory);
            return;
        }
    Servers().push_back({ProgID, std::move(Factory)});
}

void UnregisterOleServer(const AnsiString& ProgID)
{
    auto& list = Servers();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (SameText(it->ProgID, ProgID)) {
            list.erase(it);
            return;
        }
}

bool OleServerRegistered(const AnsiString& ProgID)
{
    for (const Entry& e : Servers())
        if (SameText(e.ProgID, ProgID))
            return true;
    return false;
}

Variant CreateOleObject(const AnsiString& ProgID)
{
    for (const Entry& e : Servers())
        if (SameText(e.ProgID, ProgID))
            return AutoVariant(e.Factory());
    throw EOleSysError("Invalid class string", CO_E_CLASSSTRING);
}

Variant GetActiveOleObject(const AnsiString& ProgID)
{
    for (const auto& [id, object] : Running())
        if (SameText(id, ProgID))
            return object;
    throw EOleSysError("Operation unavailable", MK_E_UNAVAILABLE);
}

void RegisterActiveObject(const AnsiString& ProgID, const Variant& Object)
{
    for (auto& [id, object] : Running())
        if (SameText(id, ProgID)) {
            object = Object;
            return;
        }
    Running().emplace_back(ProgID, Object);
}

void RevokeActiveObject(const AnsiString& ProgID)
{
    auto& list = Running();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (SameText(it->first, ProgID)) {
            list.erase(it);
            return;
        }
}
