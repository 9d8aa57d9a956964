#include "engine286/Symbols.h"

#include "engine286/Lexer.h"

#include <cstring>

dbSymbolTable& dbSymbolTable::instance()
{
    static dbSymbolTable table;
    return table;
}

dbSymbolTable::dbSymbolTable()
{
    // Registered here rather than by the first compiler: the table is built exactly once, so
    // two threads compiling their first queries at the same time cannot register twice.
    static const struct {
        const char* name;
        int tag;
    } keywords[] = {
        {"all", tkn_all},         {"abs", tkn_abs},       {"and", tkn_and},         {"asc", tkn_asc},
        {"between", tkn_between}, {"by", tkn_by},         {"current", tkn_current}, {"desc", tkn_desc},
        {"escape", tkn_escape},   {"exists", tkn_exists}, {"first", tkn_first},     {"false", tkn_false},
        {"follow", tkn_follow},   {"from", tkn_from},     {"in", tkn_in},           {"is", tkn_is},
        {"integer", tkn_integer}, {"insert", tkn_insert}, {"into", tkn_into},       {"last", tkn_last},
        {"length", tkn_length},   {"like", tkn_like},     {"lower", tkn_lower},     {"not", tkn_not},
        {"null", tkn_null},       {"or", tkn_or},         {"order", tkn_order},     {"real", tkn_real},
        {"select", tkn_select},   {"start", tkn_start},   {"string", tkn_string},   {"table", tkn_table},
        {"true", tkn_true},       {"upper", tkn_upper},   {"where", tkn_where},
    };
    for (const auto& k : keywords) {
        const char* name = k.name;
        add(name, k.tag, false);
    }
}

dbSymbolTable::~dbSymbolTable()
{
    for (Entry*& chain : chains) {
        while (Entry* e = chain) {
            chain = e->next;
            if (e->ownsName)
                delete[] e->name;
            delete e;
        }
    }
}

dbSymbolTable::Entry* dbSymbolTable::lookup(const char* name, std::size_t len, std::uint32_t h) const
{
    for (Entry* e = chains[h % hashTableSize]; e; e = e->next) {
        if (e->hash == h && std::strncmp(e->name, name, len) == 0 && e->name[len] == '\0')
            return e;
    }
    return nullptr;
}

int dbSymbolTable::add(const char*& name, int tag, bool copy)
{
    std::size_t len = std::strlen(name);
    std::uint32_t h = hashCode(name, len);
    dbCriticalSection cs(mutex);
    if (Entry* e = lookup(name, len, h)) {
        name = e->name;
        return e->tag;
    }
    const char* stored = name;
    if (copy) {
        char* text = new char[len + 1];
        std::memcpy(text, name, len + 1);
        stored = text;
    }
    Entry* e = new Entry{chains[h % hashTableSize], stored, h, tag, copy};
    chains[h % hashTableSize] = e;
    name = stored;
    return tag;
}

const char* dbSymbolTable::find(const char* name, std::size_t len, int* tag)
{
    std::uint32_t h = hashCode(name, len);
    dbCriticalSection cs(mutex);
    Entry* e = lookup(name, len, h);
    if (!e)
        return nullptr;
    if (tag)
        *tag = e->tag;
    return e->name;
}
