// engine286_check: checks a database file's committed state and prints its header and tables.
//
//   engine286_check [--dump] FILE
//
// Exit status: 0 consistent, 1 warnings only, 2 errors. The file is only read.
#include "engine286/Checker.h"
#include "engine286/Format.h"
#include "platform/os/FileMapping.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void dump(const std::string& fileName)
{
    os::File file;
    if (file.open(fileName, true, false) != 0)
        return;
    std::int64_t length = file.size();
    if (length < std::int64_t(sizeof(dbHeader)))
        return;
    dbHeader h;
    if (file.pread(&h, sizeof h, 0) != 0)
        return;
    std::printf("file length %lld, header size %u, version %d.%d\n", (long long)length, h.size,
                h.majorVersion, h.minorVersion);
    std::printf("committed root %d, dirty %d, initialized %d\n", h.curr, h.dirty, h.initialized);
    for (int r = 0; r < 2; r++) {
        const dbRoot& root = h.root[r];
        std::printf("root[%d]: index %u (%u entries, %u used), shadow %u (%u), free list %u\n", r, root.index,
                    root.indexSize, root.indexUsed, root.shadowIndex, root.shadowIndexSize, root.freeList);
    }
    if (h.curr != 0 && h.curr != 1)
        return;
    const dbRoot& root = h.root[h.curr];
    if (root.indexUsed > root.indexSize ||
        std::int64_t(root.index) + std::int64_t(root.indexUsed) * 4 > length)
        return;
    std::vector<offs_t> index(root.indexUsed);
    if (file.pread(index.data(), index.size() * 4, root.index) != 0)
        return;
    auto readRow = [&](oid_t oid, std::vector<char>& row) {
        if (oid == 0 || oid >= index.size() || (index[oid] & (dbFreeHandleMarker | dbFlagsMask)))
            return false;
        dbRecord rec;
        if (file.pread(&rec, sizeof rec, index[oid]) != 0 || rec.size < sizeof(dbRecord) ||
            std::int64_t(index[oid]) + rec.size > length)
            return false;
        row.resize(rec.size);
        return file.pread(row.data(), row.size(), index[oid]) == 0;
    };
    std::vector<char> meta, def;
    if (!readRow(dbMetatableId, meta))
        return;
    oid_t t = reinterpret_cast<dbTable*>(meta.data())->firstRow;
    for (std::uint32_t n = 0; t != 0 && n < index.size() && readRow(t, def); n++) {
        const auto* table = reinterpret_cast<const dbTable*>(def.data());
        std::string name = "?";
        if (table->name.size > 0 && std::uint64_t(table->name.offs) + table->name.size <= def.size())
            name.assign(def.data() + table->name.offs, table->name.size - 1);
        std::printf("table %u \"%s\": %d rows, fixed size %d, %u fields\n", t, name.c_str(), table->nRows,
                    table->fixedSize, table->fields.size);
        t = table->next;
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool wantDump = false;
    const char* fileName = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--dump") == 0)
            wantDump = true;
        else
            fileName = argv[i];
    }
    if (!fileName) {
        std::fprintf(stderr, "usage: engine286_check [--dump] FILE\n");
        return 2;
    }
    if (wantDump)
        dump(fileName);
    dbCheckReport report = dbCheckFile(fileName);
    std::fputs(report.text().c_str(), stdout);
    return !report.errors.empty() ? 2 : !report.warnings.empty() ? 1 : 0;
}
