#include "engine286/Symbols.h"

#include "engine286/Lexer.h"

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

int dbSymbolTable::add(const char*& name, int tag, bool copy)
{
    std::string_view text(name);
    dbCriticalSection cs(mutex);
    auto found = entries.find(text);
    if (found != entries.end()) {
        name = found->second.name;
        return found->second.tag;
    }
    const char* stored = copy ? copies.emplace_back(text).c_str() : name;
    entries.emplace(std::string_view(stored, text.size()), Entry{stored, tag});
    name = stored;
    return tag;
}

const char* dbSymbolTable::find(const char* name, std::size_t len, int* tag)
{
    dbCriticalSection cs(mutex);
    auto found = entries.find(std::string_view(name, len));
    if (found == entries.end())
        return nullptr;
    if (tag)
        *tag = found->second.tag;
    return found->second.name;
}
