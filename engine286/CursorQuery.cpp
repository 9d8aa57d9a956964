// The cursor's selections by condition: the query layer fills the cursor's selection.
#include "engine286/Cursor.h"
#include "engine286/Query.h"

int dbAnyCursor::select(dbQuery& query, int cursorType, void* base)
{
    beginSelect(cursorType);
    setParameterBase(base);
    // The select adds the ids it finds to the selection directly.
    dbQueryResult result;
    result.sink = [](oid_t oid, void* cursor) { return static_cast<dbAnyCursor*>(cursor)->add(oid); };
    result.sinkArg = this;
    dbSelectOptions options;
    options.forUpdate = cursorType == dbCursorForUpdate;
    options.parameterBase = static_cast<const char*>(base);
    options.limit = limit;
    // A failed select (a compile error or an error met while evaluating a row, both reported
    // through the error hook) selects nothing, even when it had added ids before it failed.
    if (!dbSelect(*db, table, query, result, options)) {
        selection.reset();
        return 0;
    }
    if (result.wholeTable)
        return select(cursorType);
    return finishSelect();
}

int dbAnyCursor::select(const char* condition, int cursorType, void* base)
{
    dbQuery query(condition);
    return select(query, cursorType, base);
}
