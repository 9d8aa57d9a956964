// Damaged database files: a sound file (built once, with rows, strings, arrays, references and
// both kinds of index) is patched as the input says, written out and opened. Every open either
// fails with a report or gives a database whose rows a select finds and unpacks without a crash;
// the checker then reads the file, whatever state it is in.
//
// Input: a list of patches, each [region][position: 4 bytes][length][bytes...]. The region picks
// where the position points, so that short inputs reach the structures that matter:
//   0 the header, 1 the committed object index, 2 inside a live object (position: oid and offset),
//   3 a bitmap page, anything else: anywhere in the file.
#include "engine286/Checker.h"
#include "engine286/Query.h"
#include "engine286/Records.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Fatal error classes stop the program in the engine; here they end the input instead.
struct FatalReport {};

class FuzzDatabase : public dbDatabase {
public:
    // Small parameters keep the file at its smallest (one bitmap page's coverage).
    FuzzDatabase() : dbDatabase(dbReadWrite, 64 * 1024, 64 * 1024, dbFirstUserId) {}
    void reportError(int errorClass, const char* msg, int arg) override
    {
        switch (errorClass) {
        case FileError:
        case OutOfMemoryError:
        case Deadlock:
        case LockRevoked:
        case DatabaseReadOnly:
            throw FatalReport{};
        default:
            reports++;
        }
    }
    int reports = 0;
};

struct Row {
    bool b;
    std::int32_t i;
    std::int64_t l;
    double d;
    const char* s;
    oid_t r;
    dbAnyArray a;
    dbAnyArray refs;
};

dbFieldDescriptor* describeRow()
{
    return describeBoolField(new dbFieldDescriptor("b", offsetof(Row, b), 1, 0))
        ->chain(describeInt4Field(new dbFieldDescriptor("i", offsetof(Row, i), 4, HASHED)))
        ->chain(describeInt8Field(new dbFieldDescriptor("l", offsetof(Row, l), 8, INDEXED)))
        ->chain(describeReal8Field(new dbFieldDescriptor("d", offsetof(Row, d), 8, INDEXED)))
        ->chain(describeStringField(
            new dbFieldDescriptor("s", offsetof(Row, s), sizeof(char*), HASHED | INDEXED)))
        ->chain(describeReferenceField(new dbFieldDescriptor("r", offsetof(Row, r), 4, INDEXED), "Row"))
        ->chain(describeInt1ArrayField(new dbFieldDescriptor("a", offsetof(Row, a), sizeof(dbAnyArray), 0)))
        ->chain(describeReferenceArrayField(
            new dbFieldDescriptor("refs", offsetof(Row, refs), sizeof(dbAnyArray), 0), "Row"));
}

struct Fixture {
    std::filesystem::path dir;
    std::string name, file;
    std::vector<char> image;
    std::uint32_t indexPos = 0, indexUsed = 0, bitmapPos = 0;

    Fixture()
    {
        std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        dir = base / ("fuzzOpen." + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        name = (dir / "f").string();
        file = name + ".fdb";
        build();
        std::ifstream in(file, std::ios::binary);
        image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const auto* h = reinterpret_cast<const dbHeader*>(image.data());
        indexPos = h->root[h->curr].index;
        indexUsed = h->root[h->curr].indexUsed;
        bitmapPos = word(indexPos + 4 * dbBitmapId) & ~dbFlagsMask;
    }
    ~Fixture() { std::filesystem::remove_all(dir); }

    std::uint32_t word(std::uint64_t at) const
    {
        std::uint32_t v = 0;
        if (at + 4 <= image.size())
            std::memcpy(&v, image.data() + at, 4);
        return v;
    }

    void build()
    {
        FuzzDatabase db;
        dbTableDescriptor table("Row", &db, sizeof(Row), describeRow);
        if (!db.open(name.c_str(), file.c_str()))
            std::abort();
        const char* texts[] = {"", "a", "abc", "b%c", "\xe5\x90\x8d", "a longer text that needs more room"};
        std::vector<oid_t> rows;
        for (int k = 0; k < 24; k++) {
            std::int8_t bytes[3] = {std::int8_t(k), std::int8_t(-k), 7};
            oid_t refs[2] = {rows.empty() ? 0 : rows.front(), rows.empty() ? 0 : rows.back()};
            Row r{};
            r.b = k % 2;
            r.i = k % 5;
            r.l = std::int64_t(k) << 33;
            r.d = k / 3.0;
            r.s = texts[k % 6];
            r.r = rows.empty() ? 0 : rows[std::size_t(k) / 2];
            r.a = {std::size_t(k % 4), bytes, 0};
            r.refs = {k % 3 == 0 ? 2u : 0u, refs, 0};
            rows.push_back(dbInsertRecord(db, &table, &r));
            if (k == 12)
                db.commit(); // two committed states: freed space and copied objects
        }
        dbRemoveRecord(db, &table, rows[3]);
        db.commit();
        db.close();
        db.unbindTables();
    }
};

Fixture& fixture()
{
    static Fixture* f = new Fixture; // lives until exit
    return *f;
}

// Reads a select's rows the way an application would.
void readRows(FuzzDatabase& db, dbTableDescriptor& table, const char* condition)
{
    dbQuery q(condition);
    dbQueryResult result;
    if (!dbSelect(db, &table, q, result))
        return;
    std::vector<oid_t> ids = result.ids;
    if (result.wholeTable) {
        const dbTable* t = db.getTable(table.tableId);
        std::uint32_t steps = 0;
        for (oid_t r = t->firstRow; r != 0 && steps++ <= std::uint32_t(t->nRows); r = db.getRow(r)->next)
            ids.push_back(r);
    }
    for (oid_t oid : ids) {
        Row row{};
        dbUnpackRecord(&table, &row, db.getRow(oid));
        volatile std::size_t sink = std::strlen(row.s) + row.a.nElems + row.refs.nElems;
        (void)sink;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    Fixture& fx = fixture();
    std::vector<char> image = fx.image;
    const std::uint32_t length = std::uint32_t(image.size());
    for (std::size_t at = 0; at + 6 <= size;) {
        const std::uint8_t region = data[at];
        std::uint32_t pos;
        std::memcpy(&pos, data + at + 1, 4);
        std::size_t n = data[at + 5] % 16 + 1;
        at += 6;
        n = std::min(n, size - at);
        std::uint64_t where;
        switch (region % 5) {
        case 0:
            where = pos % sizeof(dbHeader);
            break;
        case 1:
            where = fx.indexPos + pos % (std::uint64_t(fx.indexUsed) * 4);
            break;
        case 2: {
            const oid_t oid = (pos >> 12) % fx.indexUsed;
            const offs_t entry = fx.word(fx.indexPos + 4 * std::uint64_t(oid));
            where = (entry & dbFreeHandleMarker) ? pos % length : (entry & ~dbFlagsMask) + (pos & 0xFFF) % 64;
            break;
        }
        case 3:
            where = fx.bitmapPos + pos % dbPageSize;
            break;
        default:
            where = pos % length;
        }
        for (std::size_t k = 0; k < n && where + k < length; k++)
            image[where + k] = char(data[at + k]);
        at += n;
    }
    {
        std::ofstream out(fx.file, std::ios::binary | std::ios::trunc);
        out.write(image.data(), std::streamsize(image.size()));
    }
    {
        FuzzDatabase db;
        dbTableDescriptor table("Row", &db, sizeof(Row), describeRow);
        try {
            if (db.open(fx.name.c_str(), fx.file.c_str())) {
                for (const char* condition : {"", "i = 3", "s like 'a%'", "l > 0 and d < 5",
                                              "r.i = 1 or length(refs) > 0", "order by s"})
                    readRows(db, table, condition);
                db.rollback();
                db.close();
            }
        } catch (const dbException&) {
            // a damaged row or index met after the open: reported as an error, as it should be
        } catch (const FatalReport&) {
        }
        db.unbindTables();
    }
    dbCheckReport report = dbCheckFile(fx.file);
    (void)report;
    return 0;
}
