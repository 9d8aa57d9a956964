#include "engine286/UserFunction.h"

#include "engine286/Lexer.h"
#include "engine286/Symbols.h"
#include "engine286/Sync.h"

namespace {

// The registry: a list that static objects of any translation unit may join during static
// initialisation, so it is reached through functions with local statics.
dbMutex& registryMutex()
{
    static dbMutex mutex;
    return mutex;
}

dbUserFunction*& registryHead()
{
    static dbUserFunction* head = nullptr;
    return head;
}

} // namespace

void dbUserFunction::bind(const char* functionName, void* f, int functionKind)
{
    const char* interned = functionName;
    dbSymbolTable::instance().add(interned, tkn_ident);
    name = interned;
    function = f;
    kind = functionKind;
    dbCriticalSection cs(registryMutex());
    next = registryHead();
    registryHead() = this;
}

dbUserFunction::~dbUserFunction()
{
    dbCriticalSection cs(registryMutex());
    for (dbUserFunction** link = &registryHead(); *link; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
}

dbUserFunction* dbUserFunction::find(const char* internedName)
{
    dbCriticalSection cs(registryMutex());
    for (dbUserFunction* f = registryHead(); f; f = f->next) {
        if (f->name == internedName)
            return f;
    }
    return nullptr;
}
