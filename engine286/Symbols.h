#pragma once

#include "engine286/Sync.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

// The process-wide table of interned names. Keywords of the query language, table and field
// names all live here, so that a field found by the query compiler is recognised by comparing
// name pointers instead of texts. Names are never removed while the process runs.
class dbSymbolTable {
public:
    // The one table. Built on first use (a function-local static), so that static table
    // descriptors of any translation unit may intern their names during static initialisation
    // whatever the order in which the units are initialised. The keywords are registered when
    // the table is built.
    static dbSymbolTable& instance();

    // Interns name. When an entry with the same text exists, name is replaced by the stored
    // pointer and the stored tag is returned; otherwise a new entry holding a copy of the text
    // (copy) or the caller's pointer (which must then live for the whole process) is added and
    // tag is returned.
    int add(const char*& name, int tag, bool copy = true);
    // Looks a name of len bytes up without adding it. Returns the stored pointer (and its tag
    // in *tag) or null.
    const char* find(const char* name, std::size_t len, int* tag = nullptr);

    static std::uint32_t hashCode(const char* name, std::size_t len)
    {
        std::uint32_t h = 0;
        for (std::size_t i = 0; i < len; i++)
            h = h * 31 + (unsigned char)name[i];
        return h;
    }

    dbSymbolTable(const dbSymbolTable&) = delete;
    dbSymbolTable& operator=(const dbSymbolTable&) = delete;

private:
    dbSymbolTable();

    struct Entry {
        const char* name; // the interned pointer
        int tag;
    };
    struct Hash {
        std::size_t operator()(std::string_view s) const { return hashCode(s.data(), s.size()); }
    };

    // Keys view the interned texts, which never move: the copies live in a deque that only
    // grows (its elements keep their addresses), the others belong to their callers.
    std::unordered_map<std::string_view, Entry, Hash> entries;
    std::deque<std::string> copies;
    dbMutex mutex;
};
