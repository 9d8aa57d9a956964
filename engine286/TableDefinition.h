#pragma once

#include "engine286/Format.h"

#include <cstdint>
#include <vector>

// Builds stored table definitions (rows of the Metatable).

struct dbStoredFieldSpec {
    const char* name;
    int type;
    int size;
    int offset;
    const char* tableName = "";
    const char* inverse = "";
    oid_t hashTable = 0;
    oid_t tTree = 0;
};

// Bytes of the definition row for a table with these fields.
std::uint32_t dbTableDefinitionSize(const char* name, const std::vector<dbStoredFieldSpec>& fields);
// Writes everything after the 12-byte row header: the fixed part, the field entries and the
// names. dst must have dbTableDefinitionSize bytes.
void dbWriteTableDefinition(dbTable* dst, const char* name, const std::vector<dbStoredFieldSpec>& fields,
                            std::int32_t fixedSize, std::int32_t nColumns);
// The fields of the Metatable itself.
const std::vector<dbStoredFieldSpec>& dbMetatableFields();
