#pragma once

#include "engine286/Descriptors.h"
#include "engine286/Messages.h"

#include <cstdint>
#include <cstring>
#include <vector>

// The bytes of one stored row and the checked reads of its fields. A row comes from the file, so
// every offset and length in it is hostile until checked: index search, selection, record
// unpacking and schema conversion all read through here, and a read that would leave the row
// throws dbException "Row is corrupted" instead of touching memory outside it.
struct dbStoredRow {
    const char* start;
    std::size_t size;

    // `bytes` bytes at p end inside the row. For the fixed part, whose start is known good.
    const char* within(const char* p, std::uint64_t bytes) const
    {
        if (std::uint64_t(p - start) + bytes > size)
            throw dbException(dbMessages::corruptRow);
        return p;
    }

    // `bytes` bytes at p lie inside the row's body, past the record header: where a variable
    // part, located by an offset stored in the row, must be.
    const char* at(const char* p, std::uint64_t bytes) const
    {
        if (p < start + sizeof(dbRecord) || std::uint64_t(p - start) + bytes > size)
            throw dbException(dbMessages::corruptRow);
        return p;
    }

    // The descriptor of a variable part stored at p.
    const dbVarying* varying(const char* p) const
    {
        return reinterpret_cast<const dbVarying*>(within(p, sizeof(dbVarying)));
    }

    // The text whose descriptor is stored at base + offs (its offset counts from base): not
    // empty, inside the body and ending in its terminating nul.
    const char* text(const char* base, std::size_t offs, std::uint32_t* textSize) const
    {
        const dbVarying* v = varying(base + offs);
        if (v->size == 0)
            throw dbException(dbMessages::corruptRow);
        const char* s = at(base + v->offs, v->size);
        if (s[v->size - 1] != '\0')
            throw dbException(dbMessages::corruptRow);
        if (textSize)
            *textSize = v->size;
        return s;
    }

    // Appends the references held by a reference field, or by an array of references, in the
    // order they are stored.
    void references(const dbFieldDescriptor* fd, std::vector<oid_t>& out) const
    {
        const char* p = start + fd->dbsOffs;
        if (fd->type == tpReference) {
            oid_t r;
            std::memcpy(&r, within(p, 4), 4);
            out.push_back(r);
            return;
        }
        dbVarying var;
        std::memcpy(&var, within(p, sizeof var), sizeof var);
        if (std::uint64_t(var.offs) + std::uint64_t(var.size) * 4 > size)
            throw dbException(dbMessages::corruptRow);
        const char* elems = start + var.offs;
        for (std::uint32_t i = 0; i < var.size; i++) {
            oid_t r;
            std::memcpy(&r, elems + 4 * std::size_t(i), 4);
            out.push_back(r);
        }
    }
};
