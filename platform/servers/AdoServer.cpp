// "ADODB.Connection" and "ADODB.RecordSet": forward-only record sets over SQLite files.

#include "platform/servers/Servers.h"

#include "platform/rtl/Strings.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

bool Is(const AnsiString& a, const char* b)
{
    return SameText(a, b);
}

class AdoObject : public TAutoObject {
protected:
    AnsiString ServerName() const override { return "ADODB"; }
    static bool IsPut(int kind) { return (kind & DISPATCH_PROPERTYPUT) != 0; }
};

struct DbHolder {
    sqlite3* Db = nullptr;
    ~DbHolder()
    {
        if (Db)
            sqlite3_close(Db);
    }
};

// The value of Key in a connection string of Key=Value pairs separated by ';'.
AnsiString ConnectionValue(const AnsiString& conn, const char* key)
{
    std::size_t at = 0;
    while (at < conn.size()) {
        std::size_t end = conn.find(';', at);
        AnsiString part = conn.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
        std::size_t eq = part.find('=');
        if (eq != AnsiString::npos && SameText(Trim(part.substr(0, eq)), key))
            return Trim(part.substr(eq + 1));
        if (end == AnsiString::npos)
            break;
        at = end + 1;
    }
    return AnsiString();
}

// Record sets only read: a statement that would write anywhere (VACUUM INTO and ATTACH included)
// is refused when it is prepared.
int ReadsOnly(void*, int action, const char*, const char*, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A database in write-ahead-log mode that no one has open: read it as it stands, without the log
// and shared-memory files a reader would otherwise leave beside it.
bool ClosedWalDatabase(const std::string& file)
{
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return false;
    unsigned char header[20] = {};
    bool wal = std::fread(header, 1, sizeof header, f) == sizeof header &&
               std::memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2;
    std::fclose(f);
    return wal && !Exists(file + "-wal") && !Exists(file + "-shm");
}

// file: URI of a path, with the characters a URI gives meaning to escaped.
std::string ImmutableUri(const std::string& file)
{
    std::string uri = file.rfind('/', 0) == 0 ? "file://" : "file:";
    for (char c : file) {
        if (c == '%' || c == '?' || c == '#') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", unsigned(static_cast<unsigned char>(c)));
            uri += hex;
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

class Connection : public AdoObject {
public:
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Open")) {
            Variant c = Arg(Args, Named, 0, "ConnectionString");
            Open(c.IsEmpty() ? Conn : c.AsString());
            return Variant();
        }
        if (Is(Name, "ConnectionString")) {
            if (IsPut(Kind)) {
                Conn = Args.back().AsString();
                return Variant();
            }
            return Conn;
        }
        if (Is(Name, "Close")) {
            Db.reset();
            return Variant();
        }
        if (Is(Name, "State"))
            return Integer(Db ? 1 : 0);
        UnknownMember(Name);
    }
    std::shared_ptr<DbHolder> Db;

private:
    void Open(const AnsiString& conn)
    {
        Conn = conn;
        AnsiString file = ConnectionValue(conn, "DBQ");
        if (file.empty())
            file = ConnectionValue(conn, "Data Source");
        if (file.empty())
            ServerError("Data source name not found and no default driver specified");
        auto h = std::make_shared<DbHolder>();
        // Read-only and never created: a missing file is an error, not a new database.
        std::string name = ClosedWalDatabase(file) ? ImmutableUri(file) : std::string(file);
        if (sqlite3_open_v2(name.c_str(), &h->Db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK)
            ServerError("Could not open the database " + file + ": " + sqlite3_errmsg(h->Db));
        sqlite3_limit(h->Db, SQLITE_LIMIT_ATTACHED, 0);
        // A file that is no database only shows at the first read.
        if (sqlite3_exec(h->Db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
            ServerError("Could not open the database " + file + ": " + sqlite3_errmsg(h->Db));
        sqlite3_set_authorizer(h->Db, ReadsOnly, nullptr);
        Db = h;
    }
    AnsiString Conn;
};

struct Cursor {
    std::shared_ptr<DbHolder> Db;
    sqlite3_stmt* Stmt = nullptr;
    bool Eof = true;
    ~Cursor()
    {
        if (Stmt)
            sqlite3_finalize(Stmt);
    }
};
using CursorPtr = std::shared_ptr<Cursor>;

class Field : public AdoObject {
public:
    Field(CursorPtr c, int index) : C(std::move(c)), I(index) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Name"))
            return AnsiString(sqlite3_column_name(C->Stmt, I));
        if (Is(Name, "ActualSize")) {
            if (C->Eof)
                ServerError("Either BOF or EOF is True, or the current record has been deleted.");
            return Integer(sqlite3_column_bytes(C->Stmt, I));
        }
        if (Is(Name, "Value")) {
            if (C->Eof)
                ServerError("Either BOF or EOF is True, or the current record has been deleted.");
            switch (sqlite3_column_type(C->Stmt, I)) {
            case SQLITE_INTEGER:
                return Variant(static_cast<long long>(sqlite3_column_int64(C->Stmt, I)));
            case SQLITE_FLOAT:
                return sqlite3_column_double(C->Stmt, I);
            case SQLITE_NULL:
                return Variant::Null();
            default: {
                const unsigned char* t = sqlite3_column_text(C->Stmt, I);
                return AnsiString(t ? reinterpret_cast<const char*>(t) : "",
                                  std::size_t(sqlite3_column_bytes(C->Stmt, I)));
            }
            }
        }
        UnknownMember(Name);
    }

private:
    CursorPtr C;
    int I;
};

class Fields : public AdoObject {
public:
    explicit Fields(CursorPtr c) : C(std::move(c)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Count"))
            return Integer(sqlite3_column_count(C->Stmt));
        if (Is(Name, "Item"))
            return Item(Arg(Args, Named, 0, "Index"));
        UnknownMember(Name);
    }
    Variant Item(const Variant& index)
    {
        int n = sqlite3_column_count(C->Stmt);
        if (VarIsStr(index)) {
            for (int i = 0; i < n; ++i)
                if (SameText(sqlite3_column_name(C->Stmt, i), index.AsString()))
                    return AutoVariant(std::make_shared<Field>(C, i));
        } else {
            Integer i = index.AsInteger();
            if (i >= 0 && i < n)
                return AutoVariant(std::make_shared<Field>(C, i));
        }
        ServerError("Item cannot be found in the collection corresponding to the requested name or ordinal.");
    }

private:
    CursorPtr C;
};

class RecordSet : public AdoObject {
public:
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "ActiveConnection")) {
            if (IsPut(Kind)) {
                Variant v = Args.back();
                Conn = (v.VType() & varTypeMask) == varDispatch
                           ? std::dynamic_pointer_cast<Connection>(v.AsDispatch())
                           : nullptr;
                if (!Conn)
                    ServerError("The connection cannot be used to perform this operation.");
                return Variant();
            }
            return Variant();
        }
        if (Is(Name, "Open")) {
            Open(Arg(Args, Named, 0, "Source").AsString());
            return Variant();
        }
        if (Is(Name, "Close")) {
            C.reset();
            return Variant();
        }
        Require();
        if (Is(Name, "Fields")) {
            auto f = std::make_shared<Fields>(C);
            if (!Args.empty())
                return f->Item(Args[0]);
            return AutoVariant(f);
        }
        // Forward-only: the count is not known in advance.
        if (Is(Name, "RecordCount"))
            return Integer(-1);
        if (Is(Name, "Eof") || Is(Name, "EOF"))
            return C->Eof;
        if (Is(Name, "MoveNext")) {
            if (C->Eof)
                ServerError("Either BOF or EOF is True, or the current record has been deleted.");
            Step();
            return Variant();
        }
        UnknownMember(Name);
    }

private:
    void Require()
    {
        if (!C)
            ServerError("Operation is not allowed when the object is closed.");
    }
    void Open(const AnsiString& sql)
    {
        if (!Conn || !Conn->Db)
            ServerError("Operation is not allowed when the object is closed.");
        auto c = std::make_shared<Cursor>();
        c->Db = Conn->Db;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(c->Db->Db, sql.c_str(), int(sql.size()), &c->Stmt, &tail) != SQLITE_OK ||
            !c->Stmt)
            ServerError(AnsiString("Syntax error in query: ") + sqlite3_errmsg(c->Db->Db));
        // One statement only: what follows it may be white space and comments, nothing else.
        sqlite3_stmt* next = nullptr;
        int rc = sqlite3_prepare_v2(c->Db->Db, tail, int(sql.c_str() + sql.size() - tail), &next, nullptr);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next)
            ServerError("Characters found after end of SQL statement.");
        C = c;
        Step();
    }
    void Step()
    {
        int rc = sqlite3_step(C->Stmt);
        if (rc == SQLITE_ROW) {
            C->Eof = false;
            return;
        }
        C->Eof = true;
        if (rc != SQLITE_DONE)
            ServerError(AnsiString("The query failed: ") + sqlite3_errmsg(C->Db->Db));
    }

    std::shared_ptr<Connection> Conn;
    CursorPtr C;
};

} // namespace

std::shared_ptr<TAutoObject> NewAdoConnection()
{
    return std::make_shared<Connection>();
}

std::shared_ptr<TAutoObject> NewAdoRecordSet()
{
    return std::make_shared<RecordSet>();
}
