// The points where the table, record and cursor layers join the transaction machinery. They are
// kept apart here so that those layers can replace them without touching the storage code.
#include "engine286/Cursor.h"
#include "engine286/Database.h"
#include "engine286/Schema.h"

// The schema load runs as the first transaction of every open: it binds the table descriptors.
bool dbDatabase::loadSchema(bool alter)
{
    return dbLoadSchema(*this, alter);
}

// A transaction's end empties the selection of every cursor of the thread. ctx may be another
// thread's (the delayed-commit thread ends the transactions handed to it).
void dbDatabase::resetCursors(dbDatabaseThreadContext* ctx)
{
    while (!ctx->cursors.isEmpty())
        static_cast<dbAnyCursor*>(ctx->cursors.next)->clearSelection();
}
