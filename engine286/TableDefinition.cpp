#include "engine286/TableDefinition.h"

#include <cstring>

std::uint32_t dbTableDefinitionSize(const char* name, const std::vector<dbStoredFieldSpec>& fields)
{
    std::uint32_t size = sizeof(dbTable) + std::uint32_t(fields.size() * sizeof(dbField)) +
                         std::uint32_t(std::strlen(name) + 1);
    for (const dbStoredFieldSpec& f : fields)
        size += std::uint32_t(std::strlen(f.name) + std::strlen(f.tableName) + std::strlen(f.inverse) + 3);
    return size;
}

void dbWriteTableDefinition(dbTable* dst, const char* name, const std::vector<dbStoredFieldSpec>& fields,
                            std::int32_t fixedSize, std::int32_t nColumns)
{
    char* base = reinterpret_cast<char*>(dst);
    std::uint32_t pos = sizeof(dbTable) + std::uint32_t(fields.size() * sizeof(dbField));
    auto put = [&](const char* text, dbVarying& v, std::uint32_t relativeTo) {
        std::uint32_t len = std::uint32_t(std::strlen(text) + 1);
        std::memcpy(base + pos, text, len);
        v.size = len;
        v.offs = pos - relativeTo;
        pos += len;
    };
    put(name, dst->name, 0);
    dst->fields.size = std::uint32_t(fields.size());
    dst->fields.offs = sizeof(dbTable);
    dst->fixedSize = fixedSize;
    dst->nRows = 0;
    dst->nColumns = nColumns;
    dst->firstRow = 0;
    dst->lastRow = 0;
    for (std::size_t i = 0; i < fields.size(); i++) {
        std::uint32_t at = std::uint32_t(sizeof(dbTable) + i * sizeof(dbField));
        auto* f = reinterpret_cast<dbField*>(base + at);
        put(fields[i].name, f->name, at);
        put(fields[i].tableName, f->tableName, at);
        put(fields[i].inverse, f->inverse, at);
        f->type = fields[i].type;
        f->offset = fields[i].offset;
        f->size = fields[i].size;
        f->hashTable = fields[i].hashTable;
        f->tTree = fields[i].tTree;
    }
}

const std::vector<dbStoredFieldSpec>& dbMetatableFields()
{
    static const std::vector<dbStoredFieldSpec> fields = {
        {"name", dbStoredString, 8, 12},
        {"fields", dbStoredArray, 8, 20},
        {"fields[]", dbStoredStructure, 44, 0},
        {"fields[].name", dbStoredString, 8, 0},
        {"fields[].tableName", dbStoredString, 8, 8},
        {"fields[].inverse", dbStoredString, 8, 16},
        {"fields[].type", dbStoredInt4, 4, 24},
        {"fields[].offset", dbStoredInt4, 4, 28},
        {"fields[].size", dbStoredInt4, 4, 32},
        {"fields[].hashTable", dbStoredReference, 4, 36},
        {"fields[].tTree", dbStoredReference, 4, 40},
        {"fixedSize", dbStoredInt4, 4, 28},
        {"nRows", dbStoredInt4, 4, 32},
        {"nColumns", dbStoredInt4, 4, 36},
        {"firstRow", dbStoredReference, 4, 40},
        {"lastRow", dbStoredReference, 4, 44},
    };
    return fields;
}
