// The points where the table, record and cursor layers join the transaction machinery. They are
// kept apart here so that those layers can replace them without touching the storage code.
#include "engine286/Database.h"

// The schema load runs as the first transaction of every open. Until table descriptors exist
// there is nothing to bind: it only proves that the lock protocol and mapping work.
bool dbDatabase::loadSchema(bool alter)
{
    if (!beginTransaction(alter ? dbExclusiveLock : dbSharedLock))
        return false;
    dbDatabaseThreadContext* ctx = getThreadContext();
    if (alter && modified)
        commit();
    else
        endTransaction(ctx);
    return true;
}

// A transaction's end empties the selection of every cursor of the thread.
void dbDatabase::resetCursors(dbDatabaseThreadContext* ctx)
{
    (void)ctx;
}
