#include "engine286/TTree.h"

#include "engine286/Messages.h"

#include <cstring>

using dbMessages::corruptIndex;

// Why the index is built this way:
//
// - A T-tree, not a binary tree or a B-tree: each node holds up to 125 row oids in key order, so
//   a tree over a million rows is some ten thousand 512-byte objects, and a search compares
//   within a node by binary search once it has found the node whose range covers the key. Nodes
//   stay height-balanced (AVL rotations on the node level), which bounds a walk at about
//   1.44 log2(nodes) levels.
// - Keys are not stored: a node holds row oids and every comparison reads the key from the row
//   (dbFieldKey). The index cannot disagree with a row's value and costs four bytes a row, at the
//   price of a row read per comparison. A row must therefore leave the tree before its indexed
//   field changes and come back after.
// - Node pointers never outlive a call that may write: `put` makes the node's copy for this
//   transaction (copy-on-write moves it) and allocating a node may grow and remap the file, so
//   after any recursive insert or remove the node is fetched again with `get`, and a node is
//   only `put` when it is about to change (an unchanged node keeps its committed copy).
// - The file is not trusted: every node fetched is checked to be a tree node of sane size, a
//   walk deeper than any balanced tree can be (maxDepth) means a cycle, and removing a row that
//   is not where its key says means the index and the rows disagree. All three throw
//   dbException "Index object is corrupted" rather than loop or read outside the file.
// - Inserting into a full node pushes out its first or last item (towards the lighter side) and
//   inserts that one again below, so nodes fill before the tree grows a level.
// - The header's root is written only when the root node changed, so a search-only transaction
//   and most inserts leave the header page untouched.

namespace {

// A balanced tree over at most 2^32 rows is far lower than this; a deeper walk means a cycle.
const int maxDepth = 96;

class TreeOps {
public:
    TreeOps(dbDatabase& db, int type, int size, dbUDTComparator comparator, int offs)
        : db(db), type(type), size(size), comparator(comparator), offs(offs)
    {
    }

    const char* key(oid_t row) { return dbFieldKey(db, row, type, size, offs); }

    // Starts loading what comparing with a row's key will read: its index entry, then the row.
    // Rows lie scattered over the file, so every key read misses the caches; misses started
    // together overlap, and a walk down the tree waits for about half as many.
    void prefetchKey(oid_t row)
    {
        const offs_t h = db.getObjectHandle(row);
        if ((h & (dbFreeHandleMarker | dbFlagsMask)) == 0) {
            const char* p = db.getBase() + h;
            __builtin_prefetch(p);
            __builtin_prefetch(p + offs);
        }
    }
    void prefetchNode(oid_t id)
    {
        const offs_t h = db.getObjectHandle(id);
        if (id != 0 && (h & dbFreeHandleMarker) == 0)
            __builtin_prefetch(db.getBase() + (h & ~dbFlagsMask));
    }
    // A binary search over [l, r) compares at m next: the key it compares with after that is the
    // middle of one half or of the other, and both are fetched while this comparison waits.
    void prefetchHalves(const dbTtreeNode* node, int l, int m, int r)
    {
        if (m - l > 1)
            prefetchKey(node->item[(l + m) / 2]);
        if (r - m > 2)
            prefetchKey(node->item[(m + 1 + r) / 2]);
    }
    // The node's last key, needed next to its first one in most steps, and the children.
    void prefetchStep(const dbTtreeNode* node)
    {
        prefetchKey(node->item[node->nItems - 1]);
        prefetchNode(node->left);
        prefetchNode(node->right);
    }
    int compare(const void* k, oid_t row) { return dbCompareKeys(k, key(row), type, size, comparator); }

    dbTtreeNode* get(oid_t id)
    {
        auto* n = reinterpret_cast<dbTtreeNode*>(dbGetIndexObject(db, id, dbTtreeNodeMarker));
        if (n->nItems == 0 || n->nItems > dbTtreeNode::pageSize)
            throw dbException(corruptIndex);
        return n;
    }
    dbTtreeNode* put(oid_t id)
    {
        get(id);
        return reinterpret_cast<dbTtreeNode*>(db.putObject(id));
    }
    oid_t newNode(oid_t row)
    {
        oid_t id = db.allocateInternalObject(dbTtreeNodeMarker);
        auto* n = reinterpret_cast<dbTtreeNode*>(db.getObject(id));
        std::memset(n, 0, sizeof *n);
        n->nItems = 1;
        n->item[0] = row;
        return id;
    }

    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth)
        {
            if (++d > maxDepth)
                throw dbException(corruptIndex);
        }
        ~Depth() { d -= 1; }
    };

    // Returns whether the subtree grew by one level.
    bool insert(oid_t& nodeId, oid_t x, const void* k)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        const int n = node->nItems;
        prefetchStep(node);
        const int d = compare(k, node->item[0]);
        if (d > 0) {
            const int e = compare(k, node->item[n - 1]);
            if (e < 0) {
                int l = 1, r = n - 1;
                while (l < r) {
                    int m = (l + r) / 2;
                    prefetchHalves(node, l, m, r);
                    int t = compare(k, node->item[m]);
                    if (t <= 0) {
                        r = m;
                        if (t == 0)
                            break;
                    } else {
                        l = m + 1;
                    }
                }
                node = put(nodeId);
                if (n == dbTtreeNode::pageSize) {
                    // The item pushed out is the last key of the left subtree or the first of
                    // the right one: it goes down the edge of that subtree, with no comparison.
                    if (node->balance < 0) {
                        oid_t reinsert = node->item[n - 1];
                        std::memmove(&node->item[r + 1], &node->item[r], (n - 1 - r) * sizeof(oid_t));
                        node->item[r] = x;
                        return insertBelow(nodeId, true, reinsert, nullptr, true);
                    }
                    oid_t reinsert = node->item[0];
                    std::memmove(&node->item[0], &node->item[1], (r - 1) * sizeof(oid_t));
                    node->item[r - 1] = x;
                    return insertBelow(nodeId, false, reinsert, nullptr, false);
                }
                std::memmove(&node->item[r + 1], &node->item[r], (n - r) * sizeof(oid_t));
                node->item[r] = x;
                node->nItems += 1;
                return false;
            }
            if ((node->right != 0 && e != 0) || n == dbTtreeNode::pageSize)
                return insertBelow(nodeId, true, x, k);
            node = put(nodeId);
            node->item[n] = x;
            node->nItems += 1;
            return false;
        }
        if ((node->left == 0 || d == 0) && n < dbTtreeNode::pageSize) {
            node = put(nodeId);
            std::memmove(&node->item[1], &node->item[0], n * sizeof(oid_t));
            node->item[0] = x;
            node->nItems += 1;
            return false;
        }
        return insertBelow(nodeId, false, x, k);
    }

    // Inserts x, ordered not after any key of the subtree (first) or not before any, at that
    // edge of it. Returns whether the subtree grew by one level.
    bool insertEdge(oid_t& nodeId, oid_t x, bool first)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        const int n = node->nItems;
        if ((first ? node->left : node->right) == 0 && n < dbTtreeNode::pageSize) {
            node = put(nodeId);
            if (first) {
                std::memmove(&node->item[1], &node->item[0], n * sizeof(oid_t));
                node->item[0] = x;
            } else {
                node->item[n] = x;
            }
            node->nItems += 1;
            return false;
        }
        return insertBelow(nodeId, !first, x, nullptr, first);
    }

    // Inserts x into the right or left subtree of the node (a new node where there is none), by
    // its key k, or with no key at the subtree's first or last edge, and rebalances the node.
    // Returns whether the node's subtree grew by one level.
    bool insertBelow(oid_t& nodeId, bool right, oid_t x, const void* k, bool first = false)
    {
        dbTtreeNode* node = get(nodeId);
        oid_t child = right ? node->right : node->left;
        bool grew;
        if (child == 0) {
            child = newNode(x);
            grew = true;
        } else {
            grew = k ? insert(child, x, k) : insertEdge(child, x, first);
        }
        node = get(nodeId);
        if (child != (right ? node->right : node->left)) {
            node = put(nodeId);
            (right ? node->right : node->left) = child;
        }
        if (!grew)
            return false;
        node = put(nodeId);
        const std::int8_t lighter = right ? -1 : 1;
        if (node->balance == lighter) {
            node->balance = 0;
            return false;
        }
        if (node->balance == 0) {
            node->balance = std::int8_t(-lighter);
            return true;
        }
        if (right)
            rotateAfterRightGrowth(nodeId);
        else
            rotateAfterLeftGrowth(nodeId);
        return false;
    }

    // N is right-heavy by two.
    void rotateAfterRightGrowth(oid_t& nodeId)
    {
        dbTtreeNode* node = put(nodeId);
        oid_t rId = node->right;
        dbTtreeNode* r = put(rId);
        if (r->balance > 0) {
            node->right = r->left;
            r->left = nodeId;
            node->balance = r->balance = 0;
            nodeId = rId;
        } else {
            oid_t rlId = r->left;
            dbTtreeNode* rl = put(rlId);
            r->left = rl->right;
            rl->right = rId;
            node->right = rl->left;
            rl->left = nodeId;
            node->balance = rl->balance > 0 ? -1 : 0;
            r->balance = rl->balance < 0 ? 1 : 0;
            rl->balance = 0;
            nodeId = rlId;
        }
    }

    void rotateAfterLeftGrowth(oid_t& nodeId)
    {
        dbTtreeNode* node = put(nodeId);
        oid_t lId = node->left;
        dbTtreeNode* l = put(lId);
        if (l->balance < 0) {
            node->left = l->right;
            l->right = nodeId;
            node->balance = l->balance = 0;
            nodeId = lId;
        } else {
            oid_t lrId = l->right;
            dbTtreeNode* lr = put(lrId);
            l->right = lr->left;
            lr->left = lId;
            node->left = lr->right;
            lr->right = nodeId;
            node->balance = lr->balance < 0 ? 1 : 0;
            l->balance = lr->balance > 0 ? -1 : 0;
            lr->balance = 0;
            nodeId = lrId;
        }
    }

    // The left subtree became one level lower. Returns whether this subtree did.
    int balanceLeftBranch(oid_t& nodeId)
    {
        dbTtreeNode* node = put(nodeId);
        if (node->balance < 0) {
            node->balance = 0;
            return 1;
        }
        if (node->balance == 0) {
            node->balance = 1;
            return 0;
        }
        oid_t rId = node->right;
        dbTtreeNode* r = put(rId);
        if (r->balance < 0) {
            rotateAfterRightGrowth(nodeId);
            return 1;
        }
        node->right = r->left;
        r->left = nodeId;
        nodeId = rId;
        if (r->balance == 0) {
            node->balance = 1;
            r->balance = -1;
            return 0;
        }
        node->balance = r->balance = 0;
        return 1;
    }

    int balanceRightBranch(oid_t& nodeId)
    {
        dbTtreeNode* node = put(nodeId);
        if (node->balance > 0) {
            node->balance = 0;
            return 1;
        }
        if (node->balance == 0) {
            node->balance = -1;
            return 0;
        }
        oid_t lId = node->left;
        dbTtreeNode* l = put(lId);
        if (l->balance > 0) {
            rotateAfterLeftGrowth(nodeId);
            return 1;
        }
        node->left = l->right;
        l->right = nodeId;
        nodeId = lId;
        if (l->balance == 0) {
            node->balance = -1;
            l->balance = 1;
            return 0;
        }
        node->balance = l->balance = 0;
        return 1;
    }

    // -1: not found, 0: found, height unchanged, 1: found, the subtree is one level lower.
    int remove(oid_t& nodeId, oid_t x, const void* k)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        const int n = node->nItems;
        prefetchStep(node);
        const int d = compare(k, node->item[0]);
        if (d <= 0) {
            if (node->left != 0) {
                oid_t child = node->left;
                int h = remove(child, x, k);
                node = get(nodeId);
                if (child != node->left)
                    (node = put(nodeId))->left = child;
                if (h > 0)
                    return balanceLeftBranch(nodeId);
                if (h == 0)
                    return 0;
            }
            if (d != 0)
                return -1;
        }
        if (compare(k, node->item[n - 1]) <= 0) {
            for (int i = 0; i < n; i++) {
                if (node->item[i] == x)
                    return removeAt(nodeId, i);
            }
        }
        if (node->right == 0)
            return -1;
        oid_t child = node->right;
        int h = remove(child, x, k);
        node = get(nodeId);
        if (child != node->right)
            (node = put(nodeId))->right = child;
        return h > 0 ? balanceRightBranch(nodeId) : h;
    }

    // Removes the first (or last) item of the subtree, walking its edge with no comparison.
    // Returns 1 when the subtree became one level lower, else 0.
    int removeEdge(oid_t& nodeId, bool last)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        oid_t child = last ? node->right : node->left;
        if (child == 0)
            return removeAt(nodeId, last ? node->nItems - 1 : 0);
        int h = removeEdge(child, last);
        node = get(nodeId);
        if (child != (last ? node->right : node->left)) {
            node = put(nodeId);
            (last ? node->right : node->left) = child;
        }
        if (h == 0)
            return 0;
        return last ? balanceRightBranch(nodeId) : balanceLeftBranch(nodeId);
    }

    // Removes item i of the node. A node with children keeps its items: the gap is filled with
    // the greatest item of the left subtree or the least of the right one. Returns 1 when the
    // subtree became one level lower, else 0.
    int removeAt(oid_t& nodeId, int i)
    {
        dbTtreeNode* node = get(nodeId);
        const int n = node->nItems;
        if (n == 1) {
            if (node->right == 0) {
                oid_t left = node->left;
                db.freeObject(nodeId);
                nodeId = left;
                return 1;
            }
            if (node->left == 0) {
                oid_t right = node->right;
                db.freeObject(nodeId);
                nodeId = right;
                return 1;
            }
        }
        node = put(nodeId);
        if (n <= dbTtreeNode::pageSize - 2 && node->left != 0 && node->balance <= 0) {
            oid_t id = node->left;
            dbTtreeNode* c = get(id);
            for (int steps = 0; c->right != 0; steps++) {
                if (steps > maxDepth)
                    throw dbException(corruptIndex);
                id = c->right;
                c = get(id);
            }
            oid_t greatest = c->item[c->nItems - 1];
            std::memmove(&node->item[1], &node->item[0], i * sizeof(oid_t));
            node->item[0] = greatest;
            oid_t child = node->left;
            int h = removeEdge(child, true);
            node = get(nodeId);
            if (child != node->left)
                (node = put(nodeId))->left = child;
            return h > 0 ? balanceLeftBranch(nodeId) : 0;
        }
        if (n <= dbTtreeNode::pageSize - 2 && node->right != 0) {
            oid_t id = node->right;
            dbTtreeNode* c = get(id);
            for (int steps = 0; c->left != 0; steps++) {
                if (steps > maxDepth)
                    throw dbException(corruptIndex);
                id = c->left;
                c = get(id);
            }
            oid_t least = c->item[0];
            std::memmove(&node->item[i], &node->item[i + 1], (n - i - 1) * sizeof(oid_t));
            node->item[n - 1] = least;
            oid_t child = node->right;
            int h = removeEdge(child, false);
            node = get(nodeId);
            if (child != node->right)
                (node = put(nodeId))->right = child;
            return h > 0 ? balanceRightBranch(nodeId) : 0;
        }
        std::memmove(&node->item[i], &node->item[i + 1], (n - i - 1) * sizeof(oid_t));
        node->nItems -= 1;
        return 0;
    }

    // Offers one item; false stops the search.
    bool offer(oid_t row, dbSearchContext& sc, bool checkHigh)
    {
        if (checkHigh && sc.lastKey &&
            dbCompareKeys(key(row), sc.lastKey, type, size, comparator) >= sc.lastKeyInclusion)
            return false;
        if (sc.condition && !sc.condition(row, sc.conditionArg))
            return true;
        return !sc.add || sc.add(row, sc.addArg);
    }

    bool find(oid_t nodeId, dbSearchContext& sc)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        sc.probes += 1;
        const int n = node->nItems;
        if (sc.firstKey)
            prefetchStep(node);
        if (sc.firstKey && compare(sc.firstKey, node->item[0]) >= sc.firstKeyInclusion) {
            if (compare(sc.firstKey, node->item[n - 1]) < sc.firstKeyInclusion) {
                int l = 0, r = n - 1;
                while (l < r) {
                    int m = (l + r) / 2;
                    prefetchHalves(node, l, m, r);
                    if (compare(sc.firstKey, node->item[m]) >= sc.firstKeyInclusion)
                        l = m + 1;
                    else
                        r = m;
                }
                for (int i = r; i < n; i++) {
                    if (!offer(node->item[i], sc, true))
                        return false;
                }
            }
        } else {
            if (node->left != 0 && !find(node->left, sc))
                return false;
            node = get(nodeId);
            for (int i = 0; i < node->nItems; i++) {
                if (!offer(node->item[i], sc, true))
                    return false;
            }
        }
        node = get(nodeId);
        return node->right == 0 || find(node->right, sc);
    }

    bool ascending(oid_t nodeId, dbSearchContext& sc)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        if (node->left != 0 && !ascending(node->left, sc))
            return false;
        node = get(nodeId);
        for (int i = 0; i < node->nItems; i++) {
            if (!offer(node->item[i], sc, false))
                return false;
        }
        node = get(nodeId);
        return node->right == 0 || ascending(node->right, sc);
    }

    bool descending(oid_t nodeId, dbSearchContext& sc)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        if (node->right != 0 && !descending(node->right, sc))
            return false;
        node = get(nodeId);
        for (int i = node->nItems; --i >= 0;) {
            if (!offer(node->item[i], sc, false))
                return false;
        }
        node = get(nodeId);
        return node->left == 0 || descending(node->left, sc);
    }

    void purge(oid_t nodeId)
    {
        Depth guard(depth);
        dbTtreeNode* node = get(nodeId);
        oid_t left = node->left, right = node->right;
        if (left != 0)
            purge(left);
        if (right != 0)
            purge(right);
        db.freeObject(nodeId);
    }

    dbDatabase& db;
    int type;
    int size;
    dbUDTComparator comparator;
    int offs;
    int depth = 0;
};

dbTtree* treeHeader(dbDatabase& db, oid_t treeId)
{
    return reinterpret_cast<dbTtree*>(dbGetIndexObject(db, treeId, dbTtreeMarker));
}

} // namespace

oid_t createTTree(dbDatabase& db)
{
    oid_t id = db.allocateInternalObject(dbTtreeMarker);
    reinterpret_cast<dbTtree*>(db.getObject(id))->root = 0;
    return id;
}

void insertInTTree(dbDatabase& db, oid_t treeId, oid_t rowId, int type, int sizeofType,
                   dbUDTComparator comparator, int offs)
{
    TreeOps ops(db, type, sizeofType, comparator, offs);
    oid_t root = treeHeader(db, treeId)->root;
    const char* k = ops.key(rowId);
    if (root == 0) {
        root = ops.newNode(rowId);
    } else {
        ops.insert(root, rowId, k);
    }
    if (root != treeHeader(db, treeId)->root)
        reinterpret_cast<dbTtree*>(db.putObject(treeId))->root = root;
}

void removeFromTTree(dbDatabase& db, oid_t treeId, oid_t rowId, int type, int sizeofType,
                     dbUDTComparator comparator, int offs)
{
    TreeOps ops(db, type, sizeofType, comparator, offs);
    oid_t root = treeHeader(db, treeId)->root;
    const char* k = ops.key(rowId);
    int h = root == 0 ? -1 : ops.remove(root, rowId, k);
    if (h < 0)
        throw dbException(corruptIndex);
    if (root != treeHeader(db, treeId)->root)
        reinterpret_cast<dbTtree*>(db.putObject(treeId))->root = root;
}

bool findInTTree(dbDatabase& db, oid_t treeId, dbSearchContext& sc)
{
    oid_t root = treeHeader(db, treeId)->root;
    if (root == 0)
        return true;
    TreeOps ops(db, sc.type, sc.sizeofType, sc.comparator, sc.offs);
    return ops.find(root, sc);
}

bool visitAscending(dbDatabase& db, oid_t treeId, dbSearchContext& sc)
{
    oid_t root = treeHeader(db, treeId)->root;
    if (root == 0)
        return true;
    TreeOps ops(db, sc.type, sc.sizeofType, sc.comparator, sc.offs);
    return ops.ascending(root, sc);
}

bool visitDescending(dbDatabase& db, oid_t treeId, dbSearchContext& sc)
{
    oid_t root = treeHeader(db, treeId)->root;
    if (root == 0)
        return true;
    TreeOps ops(db, sc.type, sc.sizeofType, sc.comparator, sc.offs);
    return ops.descending(root, sc);
}

void clearTTree(dbDatabase& db, oid_t treeId)
{
    oid_t root = treeHeader(db, treeId)->root;
    if (root == 0)
        return;
    TreeOps ops(db, 0, 0, nullptr, 0);
    ops.purge(root);
    reinterpret_cast<dbTtree*>(db.putObject(treeId))->root = 0;
}

void deleteTTree(dbDatabase& db, oid_t treeId)
{
    clearTTree(db, treeId);
    db.freeObject(treeId);
}
