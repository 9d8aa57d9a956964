#pragma once

#include "engine286/Descriptors.h"

// Binds the table descriptors of the process to an opening database: identical stored
// definitions bind at once, changed ones are converted (alter only), new ones are added, and
// hash and T-tree indices are created or dropped to match the descriptors. Runs as the open's
// first transaction and commits. Returns false after reporting class 4 (the open then fails).
bool dbLoadSchema(dbDatabase& db, bool alter);

// Unbinds every descriptor bound to db and destroys the copies made for it (run at close).
void dbUnbindTables(dbDatabase& db);

// The descriptor bound to db for table: itself or the copy made from it, or null.
dbTableDescriptor* dbFindBoundTable(dbDatabase& db, dbTableDescriptor* table);
// A table bound to db by name (interned or not), or null.
dbTableDescriptor* dbFindBoundTable(dbDatabase& db, const char* name);
