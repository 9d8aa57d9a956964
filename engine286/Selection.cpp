// Running a query: the choice between index searches, ordered index walks, START FROM

#include "engine286/Messages.h"
// traversal, parallel and plain scans, and the ordering of the result.
#include "engine286/Compiler.h"
#include "engine286/IndexSearch.h"
#include "engine286/Query.h"
#include "engine286/StoredRow.h"
#include "engine286/TTree.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

using dbMessages::corruptChain;
using dbMessages::corruptRow;

namespace {

std::atomic<std::uint32_t> parallelScanThreshold{1000};

struct SelectState {
    dbDatabase& db;
    dbTableDescriptor* table;
    dbQuery& query;
    dbQueryResult& result;
    const dbSelectOptions& options;
    const dbTable* tableRow;
};

// ---- Ordering -------------------------------------------------------------------------------

int compareReals(double a, double b)
{
    // NaN after every number, equal to NaN: a total order, so that sorting stays well defined.
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb)
        return na == nb ? 0 : (na ? 1 : -1);
    return a < b ? -1 : (a == b ? 0 : 1);
}

// Compares two rows by the ORDER BY list.
class RecordComparator {
public:
    RecordComparator(dbDatabase& db, const std::vector<dbOrderByItem>& order, const dbTable* tableRow,
                     std::size_t fixedSize, const char* paramBase)
        : db(db), order(order), tableRow(tableRow), fixedSize(fixedSize), paramBase(paramBase)
    {
    }

    int compare(oid_t a, oid_t b) const
    {
        for (const dbOrderByItem& item : order) {
            int d = item.field ? compareFields(item.field, a, b) : compareExpressions(item.expr.get(), a, b);
            if (d != 0)
                return item.ascent ? d : -d;
        }
        return 0;
    }
    bool operator()(oid_t a, oid_t b) const { return compare(a, b) < 0; }

private:
    int compareFields(const dbFieldDescriptor* fd, oid_t a, oid_t b) const
    {
        dbEvaluationContext ca, cb;
        ca.db = cb.db = &db;
        ca.setRow(a, fixedSize);
        cb.setRow(b, fixedSize);
        dbExprNode load(dbvmLoadSelfBool, tpVoid);
        load.offs = std::uint16_t(fd->dbsOffs);
        load.field = const_cast<dbFieldDescriptor*>(fd);
        dbValue x, y;
        switch (fd->type) {
        case tpBool:
        case tpInt1:
        case tpInt2:
        case tpInt4:
        case tpInt8:
            load.cop = std::uint8_t(dbvmLoadSelfBool + fd->type);
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return x.ivalue < y.ivalue ? -1 : (x.ivalue > y.ivalue ? 1 : 0);
        case tpReal4:
        case tpReal8:
            load.cop = std::uint8_t(dbvmLoadSelfBool + fd->type);
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return compareReals(x.fvalue, y.fvalue);
        case tpString:
            load.cop = std::uint8_t(int(dbvmLoadSelfBool) + int(tpString));
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return std::strcmp(x.ptr, y.ptr);
        case tpReference:
            load.cop = dbvmLoadSelfReference;
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return x.oid < y.oid ? -1 : (x.oid > y.oid ? 1 : 0);
        case tpArray:
            load.cop = dbvmLoadSelfArray;
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return x.length < y.length ? -1 : (x.length > y.length ? 1 : 0);
        default:
            load.cop = dbvmLoadSelfRawBinary;
            dbEvaluate(&load, ca, x);
            dbEvaluate(&load, cb, y);
            return fd->comparator(x.ptr, y.ptr, fd->dbsSize);
        }
    }

    int compareExpressions(const dbExprNode* expr, oid_t a, oid_t b) const
    {
        dbEvaluationContext ca, cb;
        ca.db = cb.db = &db;
        ca.tableRow = cb.tableRow = tableRow;
        ca.parameterBase = cb.parameterBase = paramBase;
        ca.setRow(a, fixedSize);
        cb.setRow(b, fixedSize);
        dbValue x, y;
        dbEvaluate(expr, ca, x);
        dbEvaluate(expr, cb, y);
        switch (expr->type) {
        case tpInteger:
        case tpBoolean:
            return x.ivalue < y.ivalue ? -1 : (x.ivalue > y.ivalue ? 1 : 0);
        case tpReal:
            return compareReals(x.fvalue, y.fvalue);
        case tpStringValue:
            return std::strcmp(x.ptr, y.ptr);
        default:
            return 0; // references compare as equal
        }
    }

    dbDatabase& db;
    const std::vector<dbOrderByItem>& order;
    const dbTable* tableRow;
    std::size_t fixedSize;
    const char* paramBase;
};

void sortIds(std::vector<oid_t>& ids, const RecordComparator& cmp)
{
    if (ids.size() < 2)
        return;
    dbGetPlanStatistics().sorts++;
    // Input already in order stays as it is; input in reverse order is reversed.
    bool ordered = true, reversed = true;
    for (std::size_t i = 1; i < ids.size() && (ordered || reversed); i++) {
        int d = cmp.compare(ids[i - 1], ids[i]);
        if (d > 0)
            ordered = false;
        if (d < 0)
            reversed = false;
    }
    if (ordered)
        return;
    if (reversed) {
        std::reverse(ids.begin(), ids.end());
        return;
    }
    std::sort(ids.begin(), ids.end(), cmp);
}

// ---- Traversals and scans ---------------------------------------------------------------------

const dbExprNode* conditionOf(const dbQuery& q)
{
    return q.tree && q.tree->cop != dbvmVoid ? q.tree.get() : nullptr;
}

bool test(SelectState& s, const dbExprNode* condition, oid_t oid)
{
    return dbTestCondition(s.db, condition, oid, s.tableRow, s.table->fixedSize, s.options.parameterBase);
}

void followTraversal(SelectState& s)
{
    const dbQuery& q = s.query;
    std::vector<oid_t> stack;
    std::vector<oid_t> refs;
    stack.reserve(1024);
    const char* base = s.options.parameterBase;
    auto rootAddress = [&]() {
        return base ? base + reinterpret_cast<std::uintptr_t>(q.root) : static_cast<const char*>(q.root);
    };
    auto pushArray = [&](const dbAnyArray* arr) {
        if (!arr)
            return;
        const oid_t* items = static_cast<const oid_t*>(arr->data);
        for (std::size_t i = arr->nElems; i-- > 0;) {
            if (items[i] != 0)
                stack.push_back(items[i]);
        }
    };
    switch (q.startFrom) {
    case dbCompiledQuery::StartFromFirst:
        if (s.tableRow->firstRow)
            stack.push_back(s.tableRow->firstRow);
        break;
    case dbCompiledQuery::StartFromLast:
        if (s.tableRow->lastRow)
            stack.push_back(s.tableRow->lastRow);
        break;
    case dbCompiledQuery::StartFromRef: {
        oid_t oid;
        std::memcpy(&oid, rootAddress(), 4);
        if (oid != 0) // a null start gives an empty selection
            stack.push_back(oid);
        break;
    }
    case dbCompiledQuery::StartFromArray:
        pushArray(reinterpret_cast<const dbAnyArray*>(rootAddress()));
        break;
    default: {
        const dbAnyArray* arr;
        std::memcpy(&arr, rootAddress(), sizeof arr);
        pushArray(arr);
        break;
    }
    }
    s.result.enableDuplicateElimination();
    const dbExprNode* condition = conditionOf(q);
    while (!stack.empty()) {
        oid_t oid = stack.back();
        stack.pop_back();
        if (!s.result.markOnce(oid))
            continue;
        dbEvaluationContext ctx;
        ctx.db = &s.db;
        ctx.setRow(oid, s.table->fixedSize);
        if (!condition || test(s, condition, oid)) {
            if (s.result.size() >= s.result.limit || !s.result.append(oid))
                break;
        }
        const dbStoredRow stored{ctx.row, std::size_t(ctx.rowEnd - ctx.row)};
        for (const dbFollowByItem& f : q.follow) {
            // Pushed last to first, so the first reference is followed first.
            refs.clear();
            stored.references(f.field, refs);
            for (std::size_t i = refs.size(); i-- > 0;) {
                if (refs[i] != 0 && !s.result.isMarked(refs[i]))
                    stack.push_back(refs[i]);
            }
        }
    }
}

// The table's rows in chain order; a chain longer than the table's row count is corrupt (a
// cycle would otherwise never end).
std::vector<oid_t> chainRows(SelectState& s)
{
    std::vector<oid_t> rows;
    const std::uint64_t bound = std::uint64_t(std::uint32_t(s.tableRow->nRows)) + 1;
    rows.reserve(std::size_t(std::min<std::uint64_t>(bound, 1u << 24)));
    for (oid_t oid = s.tableRow->firstRow; oid != 0; oid = s.db.getRow(oid)->next) {
        if (rows.size() >= bound)
            throw dbException(corruptChain);
        rows.push_back(oid);
    }
    return rows;
}

// The commonest scan condition, an integer field of the row compared with a constant or a
// parameter, tested without walking the tree: the right side is read once per select (a
// parameter cannot change during it) and each row costs one load and one comparison.
struct SimpleComparison {
    bool usable = false;
    int op = 0;
    int width = 0;
    int offs = 0;
    std::int64_t value = 0;

    SimpleComparison(const dbExprNode* c, const char* paramBase)
    {
        // The opcodes of a kind are laid out in the order of the comparisons and field types.
        constexpr int firstLoad = int(dbvmLoadSelfBool) + int(tpInt1);
        constexpr int lastLoad = int(dbvmLoadSelfBool) + int(tpInt8);
        if (!c || c->cop < dbvmEqInt || c->cop > int(dbvmEqInt) + int(cmpLe))
            return;
        const dbExprNode* l = c->operand[0];
        const dbExprNode* r = c->operand[1];
        if (l->cop < firstLoad || l->cop > lastLoad)
            return;
        if (r->cop != dbvmIntConst && (r->cop < dbvmVarInt1 || r->cop > dbvmVarInt8))
            return;
        dbEvaluationContext ctx; // constants and parameters need no row
        ctx.parameterBase = paramBase;
        dbValue v;
        dbEvaluate(r, ctx, v);
        static const int widths[] = {1, 2, 4, 8};
        width = widths[l->cop - firstLoad];
        offs = l->offs;
        op = c->cop - dbvmEqInt;
        value = v.ivalue;
        usable = true;
    }

    bool test(const char* row, const char* rowEnd) const
    {
        if (row + offs + width > rowEnd)
            throw dbException(corruptRow);
        std::int64_t x;
        switch (width) {
        case 1:
            x = static_cast<signed char>(row[offs]);
            break;
        case 2: {
            std::int16_t y;
            std::memcpy(&y, row + offs, 2);
            x = y;
            break;
        }
        case 4: {
            std::int32_t y;
            std::memcpy(&y, row + offs, 4);
            x = y;
            break;
        }
        default:
            std::memcpy(&x, row + offs, 8);
            break;
        }
        switch (op) {
        case cmpEq:
            return x == value;
        case cmpNe:
            return x != value;
        case cmpGt:
            return x > value;
        case cmpGe:
            return x >= value;
        case cmpLt:
            return x < value;
        default:
            return x <= value;
        }
    }
};

void plainScan(SelectState& s, const dbExprNode* condition)
{
    if (s.result.size() >= s.result.limit)
        return;
    const std::uint64_t bound = std::uint64_t(std::uint32_t(s.tableRow->nRows)) + 1;
    std::uint64_t visited = 0;
    dbEvaluationContext ctx;
    ctx.db = &s.db;
    ctx.tableRow = s.tableRow;
    ctx.parameterBase = s.options.parameterBase;
    const SimpleComparison simple(condition, s.options.parameterBase);
    oid_t oid = s.tableRow->firstRow;
    const char* base = s.db.getBase();
    const std::uint32_t fileSize = s.db.getHeader()->size;
    while (oid != 0) {
        if (++visited > bound)
            throw dbException(corruptChain);
        ctx.setRow(oid, s.table->fixedSize);
        const oid_t next = reinterpret_cast<const dbRecord*>(ctx.row)->next;
        // The chain is a dependent walk (row, its next link, the index, the next row), so each
        // row costs a memory round trip. Rows appended one after another take ids at a steady
        // stride, so the row a few steps ahead is guessed from the stride and fetched early; a
        // wrong guess costs nothing but the prefetch.
        if (next > oid) {
            const std::uint64_t ahead = std::uint64_t(next) + std::uint64_t(next - oid) * 16;
            if (ahead < s.db.getWorkingIndexUsed()) {
                offs_t entry = s.db.getObjectHandle(oid_t(ahead));
                if ((entry & (dbFreeHandleMarker | dbFlagsMask)) == 0 && entry < fileSize)
                    __builtin_prefetch(base + entry);
            }
        }
        bool ok = true;
        if (simple.usable) {
            ok = simple.test(ctx.row, ctx.rowEnd);
        } else if (condition) {
            dbValue v;
            dbEvaluate(condition, ctx, v);
            ok = v.ivalue != 0;
        }
        if (ok && !s.result.add(oid))
            return;
        oid = next;
    }
}

struct Worker {
    SelectState* state;
    const std::vector<oid_t>* rows;
    const dbExprNode* condition;
    const RecordComparator* comparator;
    std::size_t first, step;
    std::vector<oid_t> found;
    std::exception_ptr error;
};

void runWorker(void* arg)
{
    auto* w = static_cast<Worker*>(arg);
    try {
        SelectState& s = *w->state;
        for (std::size_t i = w->first; i < w->rows->size(); i += w->step) {
            oid_t oid = (*w->rows)[i];
            if (!w->condition || test(s, w->condition, oid))
                w->found.push_back(oid);
        }
        if (w->comparator)
            std::sort(w->found.begin(), w->found.end(), *w->comparator);
    } catch (...) {
        // Nothing may leave a worker thread: the scan's caller rethrows it once all have joined.
        w->error = std::current_exception();
    }
}

// Worker i examines the rows i, i + n, i + 2n... of the chain: the chain is walked once, up
// front, so that the workers share no pointer chasing.
void parallelScan(SelectState& s, const dbExprNode* condition, int n, const RecordComparator* cmp)
{
    dbGetPlanStatistics().parallelScans++;
    std::vector<oid_t> rows = chainRows(s);
    std::vector<Worker> workers(static_cast<std::size_t>(n));
    for (int i = 0; i < n; i++)
        workers[std::size_t(i)] =
            Worker{&s, &rows, condition, cmp, std::size_t(i), std::size_t(n), {}, nullptr};
    std::vector<dbPooledThread*> threads;
    for (int i = 0; i < n - 1; i++)
        threads.push_back(s.db.getThreadPool().create(runWorker, &workers[std::size_t(i)]));
    runWorker(&workers[std::size_t(n - 1)]);
    for (dbPooledThread* t : threads)
        s.db.getThreadPool().join(t);
    for (Worker& w : workers) {
        if (w.error)
            std::rethrow_exception(w.error);
    }
    if (!cmp) {
        for (Worker& w : workers) {
            for (oid_t oid : w.found) {
                if (!s.result.add(oid))
                    return;
            }
        }
        return;
    }
    // Merge: each step takes the lowest next id; the lower worker wins ties.
    std::vector<std::size_t> pos(std::size_t(n), 0);
    for (;;) {
        int best = -1;
        for (int i = 0; i < n; i++) {
            const Worker& w = workers[std::size_t(i)];
            if (pos[std::size_t(i)] >= w.found.size())
                continue;
            if (best < 0 || cmp->compare(w.found[pos[std::size_t(i)]],
                                         workers[std::size_t(best)].found[pos[std::size_t(best)]]) < 0)
                best = i;
        }
        if (best < 0)
            return;
        if (!s.result.add(workers[std::size_t(best)].found[pos[std::size_t(best)]++]))
            return;
    }
}

bool orderedWalk(SelectState& s, const dbExprNode* condition)
{
    const std::vector<dbOrderByItem>& order = s.query.order;
    if (order.size() != 1 || !order[0].field || !order[0].field->tTree ||
        (order[0].field->attr & dbFieldDescriptor::ComponentOfArray) || order[0].field->defTable != s.table)
        return false;
    dbFieldDescriptor* fd = order[0].field;
    if (fd->type == tpArray)
        return false; // arrays order by their element count, which the tree does not hold
    struct Arg {
        SelectState* s;
        const dbExprNode* condition;
    } arg{&s, condition};
    dbSearchContext sc;
    sc.type = fd->type;
    sc.sizeofType = int(fd->dbsSize);
    sc.comparator = fd->comparator;
    sc.offs = fd->dbsOffs;
    if (condition) {
        sc.condition = [](oid_t oid, void* a) {
            auto* x = static_cast<Arg*>(a);
            return test(*x->s, x->condition, oid);
        };
        sc.conditionArg = &arg;
    }
    sc.add = [](oid_t oid, void* r) { return static_cast<dbQueryResult*>(r)->add(oid); };
    sc.addArg = &s.result;
    dbGetPlanStatistics().orderedWalks++;
    if (order[0].ascent)
        visitAscending(s.db, fd->tTree, sc);
    else
        visitDescending(s.db, fd->tTree, sc);
    return true;
}

void runSelect(SelectState& s)
{
    dbQuery& q = s.query;
    const dbExprNode* condition = conditionOf(q);
    RecordComparator comparator(s.db, q.order, s.tableRow, s.table->fixedSize, s.options.parameterBase);
    auto finishOrder = [&]() {
        if (!q.order.empty())
            sortIds(s.result.ids, comparator);
    };

    if (q.startFrom != dbCompiledQuery::StartFromAny) {
        followTraversal(s);
        finishOrder();
        return;
    }
    if (!condition && q.order.empty()) {
        s.result.wholeTable = true;
        return;
    }
    // current = reference parameter: the one row it names.
    if (condition && condition->cop == dbvmEqReference) {
        const dbExprNode* l = condition->operand[0];
        const dbExprNode* r = condition->operand[1];
        const dbExprNode* param = l->cop == dbvmCurrent && r->cop == dbvmVarReference
                                      ? r
                                      : (r->cop == dbvmCurrent && l->cop == dbvmVarReference ? l : nullptr);
        if (param) {
            oid_t oid;
            std::memcpy(&oid, dbParameterAddress(param, s.options.parameterBase), 4);
            if (oid != 0) { // a null reference names no row
                s.db.getRow(oid);
                s.result.add(oid);
            }
            return;
        }
    }

    dbPlanContext pc{s.db, s.table, s.tableRow, s.options.parameterBase, s.result};
    const dbExprNode* remaining = condition;
    if (condition) {
        dbFieldDescriptor* indexed = nullptr;
        bool answered = false;
        bool whole = true; // the whole condition was one index search
        if (condition->cop == dbvmAnd) {
            answered = dbFindIndexForCondition(pc, condition->operand[0], condition, &indexed);
        } else {
            if (condition->cop == dbvmOr)
                s.result.enableDuplicateElimination();
            while (remaining->cop == dbvmOr && s.result.size() < s.result.limit &&
                   dbFindIndexForCondition(pc, remaining->operand[0], nullptr, &indexed)) {
                remaining = remaining->operand[1];
                whole = false;
            }
            if (s.result.size() < s.result.limit)
                answered = dbFindIndexForCondition(pc, remaining, nullptr, &indexed);
            else
                answered = true;
        }
        if (answered) {
            if (!q.order.empty()) {
                if (whole && q.order.size() == 1 && q.order[0].field == indexed && indexed &&
                    indexed->defTable == s.table) {
                    if (!q.order[0].ascent)
                        std::reverse(s.result.ids.begin(), s.result.ids.end());
                } else {
                    sortIds(s.result.ids, comparator);
                }
            }
            return;
        }
    }
    if (s.result.empty() && orderedWalk(s, remaining))
        return;
    const int threads = s.db.getParallelScanThreads();
    if (s.result.empty() && threads > 1 && std::uint32_t(s.tableRow->nRows) >= parallelScanThreshold.load() &&
        s.result.limit >= 2000000000u) {
        parallelScan(s, remaining, std::min(threads, 64), q.order.empty() ? nullptr : &comparator);
        return;
    }
    plainScan(s, remaining);
    finishOrder();
}

} // namespace

void dbSetParallelScanThreshold(std::uint32_t rows)
{
    parallelScanThreshold.store(rows);
}

std::uint32_t dbGetParallelScanThreshold()
{
    return parallelScanThreshold.load();
}

bool dbSelect(dbDatabase& db, dbTableDescriptor* table, dbQuery& query, dbQueryResult& result,
              const dbSelectOptions& options)
{
    result.clear();
    result.limit = options.limit;
    if (!db.isOpen() || !table || table->tableId == 0)
        return false;
    // The query's mutex covers only the check and the compilation: selects of one query object
    // from several threads run side by side, each holding the compiled form in shared use.
    std::shared_lock<std::shared_mutex> use;
    {
        dbCriticalSection cs(query.mutex);
        if (!query.compiled() || query.table != table) {
            std::unique_lock<std::shared_mutex> exclusive(query.inUse);
            static thread_local dbCompiler compiler;
            if (!compiler.compile(db, table, query))
                return false;
        }
        use = std::shared_lock<std::shared_mutex>(query.inUse);
    }
    if (!db.beginTransaction(options.forUpdate ? dbExclusiveLock : dbSharedLock))
        return false;
    // Ids that must be sorted first are collected here and handed to the sink afterwards.
    auto sink = result.sink;
    void* sinkArg = result.sinkArg;
    const bool collectFirst = sink && !query.order.empty();
    if (collectFirst)
        result.sink = nullptr;
    struct RestoreSink {
        dbQueryResult& result;
        bool (*sink)(oid_t, void*);
        ~RestoreSink() { result.sink = sink; }
    } restore{result, sink};
    SelectState s{db, table, query, result, options, db.getTable(table->tableId)};
    try {
        runSelect(s);
    } catch (const dbEvaluationError& e) {
        result.clear();
        result.limit = options.limit;
        db.reportError(e.errorClass, e.message, e.arg);
        return false;
    }
    if (collectFirst) {
        for (oid_t oid : result.ids) {
            if (!sink(oid, sinkArg))
                break;
        }
        result.ids.clear();
    }
    return true;
}
