#include "engine286/Query.h"

#include <cstring>

dbQuery& dbQuery::add(const char* text)
{
    // Copied: a query built from a temporary string must not keep a dangling pointer.
    texts.emplace_back(text ? text : "");
    return append(dbQueryElement::qExpression, texts.back().c_str());
}

dbQuery& dbQuery::append(int type, const void* ptr, dbTableDescriptor* ref)
{
    dbCriticalSection cs(mutex);
    dbQueryElement& e = elementStore.emplace_back();
    e.type = type;
    e.ptr = ptr;
    e.ref = ref;
    *lastLink = &e;
    lastLink = &e.next;
    // A changed condition must be compiled again.
    destroy();
    return *this;
}

void dbQuery::reset()
{
    dbCriticalSection cs(mutex);
    elementStore.clear();
    texts.clear();
    first = nullptr;
    lastLink = &first;
    destroy();
}
