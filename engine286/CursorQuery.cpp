// The cursor's selections by condition: the query layer fills the cursor's selection.
#include "engine286/Cursor.h"
#include "engine286/Query.h"

int dbAnyCursor::select(dbQuery& query, int cursorType, void* base)
{
    beginSelect(cursorType);
    setParameterBase(base);
    dbQueryResult result;
    dbSelectOptions options;
    options.forUpdate = cursorType == dbCursorForUpdate;
    options.parameterBase = static_cast<const char*>(base);
    options.limit = limit;
    // A failed select (a compile error or an error met while evaluating a row, both reported
    // through the error hook) selects nothing.
    if (!dbSelect(*db, table, query, result, options))
        return 0;
    if (result.wholeTable)
        return select(cursorType);
    for (oid_t oid : result.ids) {
        if (!add(oid))
            break;
    }
    return finishSelect();
}

int dbAnyCursor::select(const char* condition, int cursorType, void* base)
{
    dbQuery query(condition);
    return select(query, cursorType, base);
}
