#include "app/AppTables.h"

#include "engine286/Query.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

// ---- Descriptors ---------------------------------------------------------------------------------
// No field asks for an index: the tables are small and read whole.

namespace {

template <class F> dbFieldDescriptor* field(const char* name, std::size_t offs, std::size_t size, F describe)
{
    return describe(new dbFieldDescriptor(name, offs, size, 0));
}

#define APP_FIELD(Type, member, describe)                                                                    \
    field(#member, offsetof(Type, member), sizeof(Type::member), describe)

dbFieldDescriptor* describeReward()
{
    return APP_FIELD(Reward, name, describeStringField)
        ->chain(APP_FIELD(Reward, quantity, describeInt4Field))
        ->chain(APP_FIELD(Reward, take, describeInt4Field));
}

dbFieldDescriptor* describeSelectOption()
{
    return APP_FIELD(SelectOption, person, describeInt4Field)
        ->chain(APP_FIELD(SelectOption, row, describeInt4Field))
        ->chain(APP_FIELD(SelectOption, col, describeInt4Field))
        ->chain(APP_FIELD(SelectOption, showGift, describeInt4Field))
        ->chain(APP_FIELD(SelectOption, noReward, describeStringField));
}

dbFieldDescriptor* describeColWidth()
{
    return APP_FIELD(ColWidth, type, describeInt1Field)
        ->chain(APP_FIELD(ColWidth, col, describeInt1Field))
        ->chain(APP_FIELD(ColWidth, width, describeInt2Field));
}

dbFieldDescriptor* describeBackupRecord()
{
    return APP_FIELD(BackupRecord, lastBackupDate, describeDateField)
        ->chain(APP_FIELD(BackupRecord, everytime, describeBoolField))
        ->chain(APP_FIELD(BackupRecord, everyday, describeBoolField))
        ->chain(APP_FIELD(BackupRecord, lastBackup, describeInt1Field))
        ->chain(APP_FIELD(BackupRecord, totalBackup, describeInt1Field))
        ->chain(APP_FIELD(BackupRecord, path, describeStringField));
}

dbFieldDescriptor* describeEnvelopeSetup()
{
    using E = EnvelopeSetup;
    return APP_FIELD(E, pageWidth, describeReal4Field)
        ->chain(APP_FIELD(E, pageHeight, describeReal4Field))
        ->chain(APP_FIELD(E, title, describeStringField))
        ->chain(APP_FIELD(E, titleLeft, describeInt2Field))
        ->chain(APP_FIELD(E, titleTop, describeInt2Field))
        ->chain(APP_FIELD(E, titleColor, describeInt4Field))
        ->chain(APP_FIELD(E, titleFont, describeInt1ArrayField))
        ->chain(APP_FIELD(E, companyNameLeft, describeInt2Field))
        ->chain(APP_FIELD(E, companyNameTop, describeInt2Field))
        ->chain(APP_FIELD(E, companyNameColor, describeInt4Field))
        ->chain(APP_FIELD(E, companyNameFont, describeInt1ArrayField))
        ->chain(APP_FIELD(E, address1Left, describeInt2Field))
        ->chain(APP_FIELD(E, address1Top, describeInt2Field))
        ->chain(APP_FIELD(E, address1Color, describeInt4Field))
        ->chain(APP_FIELD(E, address1Font, describeInt1ArrayField))
        ->chain(APP_FIELD(E, address2Left, describeInt2Field))
        ->chain(APP_FIELD(E, address2Top, describeInt2Field))
        ->chain(APP_FIELD(E, address2Color, describeInt4Field))
        ->chain(APP_FIELD(E, address2Font, describeInt1ArrayField))
        ->chain(APP_FIELD(E, address3Left, describeInt2Field))
        ->chain(APP_FIELD(E, address3Top, describeInt2Field))
        ->chain(APP_FIELD(E, address3Color, describeInt4Field))
        ->chain(APP_FIELD(E, address3Font, describeInt1ArrayField))
        ->chain(APP_FIELD(E, attentionLeft, describeInt2Field))
        ->chain(APP_FIELD(E, attentionTop, describeInt2Field))
        ->chain(APP_FIELD(E, attentionColor, describeInt4Field))
        ->chain(APP_FIELD(E, attentionFont, describeInt1ArrayField))
        ->chain(APP_FIELD(E, image, describeStringField))
        ->chain(APP_FIELD(E, imageLeft, describeInt4Field))
        ->chain(APP_FIELD(E, imageTop, describeInt2Field))
        ->chain(APP_FIELD(E, image2, describeInt1ArrayField))
        ->chain(APP_FIELD(E, image2Left, describeInt2Field))
        ->chain(APP_FIELD(E, image2Top, describeInt2Field))
        ->chain(APP_FIELD(E, image1, describeInt1ArrayField))
        ->chain(APP_FIELD(E, vertical, describeBoolField))
        ->chain(APP_FIELD(E, name, describeStringField))
        ->chain(APP_FIELD(E, head, describeStringField))
        ->chain(APP_FIELD(E, tail, describeStringField))
        ->chain(APP_FIELD(E, printer, describeInt1Field));
}

#undef APP_FIELD

TPrizeRow prizeOf(oid_t id, const Reward& r)
{
    TPrizeRow p;
    p.Id = id;
    p.Name = r.name ? r.name : "";
    p.Quantity = r.quantity;
    p.Take = r.take;
    return p;
}

std::int16_t clampWidth(Integer w)
{
    return std::int16_t(std::clamp<Integer>(w, std::numeric_limits<std::int16_t>::min(),
                                            std::numeric_limits<std::int16_t>::max()));
}

// The database the tables are bound to: appDatabase in the program (tests may open another).
dbDatabase& tablesDatabase()
{
    dbDatabase* db = Reward::dbDescriptor.db;
    if (db == nullptr || db == DETACHED_TABLE)
        dbCursorAssertion("((void)\"cursor associated with online database table\", table->tableId != 0)");
    return *db;
}

} // namespace

// The database object comes first: the descriptors below join the engine's chain, which its open
// reads.
zarvoDatabase appDatabase(dbReadWrite, 1048576, 4194304, 65536, 1);
const char* const AppDatabaseName = "Drawmere";

dbTableDescriptor Reward::dbDescriptor("Reward", nullptr, sizeof(Reward), describeReward);
dbTableDescriptor SelectOption::dbDescriptor("SelectOption", nullptr, sizeof(SelectOption),
                                             describeSelectOption);
dbTableDescriptor ColWidth::dbDescriptor("ColWidth", nullptr, sizeof(ColWidth), describeColWidth);
dbTableDescriptor BackupRecord::dbDescriptor("BackupRecord", nullptr, sizeof(BackupRecord),
                                             describeBackupRecord);
dbTableDescriptor EnvelopeSetup::dbDescriptor("EnvelopeSetup", nullptr, sizeof(EnvelopeSetup),
                                              describeEnvelopeSetup);

// ---- Access paths --------------------------------------------------------------------------------

std::int64_t SumRewardQuantities()
{
    dbCursor<Reward> cursor(dbCursorForUpdate);
    std::int64_t sum = 0;
    if (cursor.select() > 0) {
        do {
            sum += cursor->quantity;
        } while (cursor.next());
    }
    return sum;
}

bool ReadSelectOption(TSelectOptionValues& values)
{
    dbCursor<SelectOption> cursor(dbCursorViewOnly);
    if (cursor.select() == 0)
        return false;
    values.Person = cursor->person;
    values.Row = cursor->row;
    values.Col = cursor->col;
    values.ShowGift = cursor->showGift;
    values.NoReward = cursor->noReward ? cursor->noReward : "";
    return true;
}

void ReplaceSelectOption(const TSelectOptionValues& values)
{
    dbCursor<SelectOption> cursor(dbCursorForUpdate);
    if (cursor.select() > 0)
        cursor.removeAllSelected();
    zarvoBuffer pool;
    SelectOption option{};
    option.person = values.Person;
    option.row = values.Row;
    option.col = values.Col;
    option.showGift = values.ShowGift;
    option.noReward = pool.append(values.NoReward);
    dbInsert(option);
}

std::vector<TPrizeRow> PrepareBoardRewards()
{
    std::vector<TPrizeRow> prizes;
    zarvoCursor<Reward> cursor(dbCursorForUpdate);
    cursor.select();
    if (cursor.first()) {
        do {
            cursor->take = cursor->quantity;
            prizes.push_back(prizeOf(cursor.getOid(), *cursor.get()));
            cursor.update();
        } while (cursor.next());
    }
    return prizes;
}

bool FindReward(oid_t id, TPrizeRow& prize)
{
    const offs_t handle = tablesDatabase().getObjectHandle(id);
    if (id == 0 || (handle & (dbFreeHandleMarker | dbFlagsMask)) != 0)
        return false;
    try {
        dbCursor<Reward> cursor(dbCursorViewOnly);
        cursor.positionAt(id);
        prize = prizeOf(id, *cursor.get());
        return true;
    } catch (const dbException&) {
        return false; // not a row of this table
    }
}

void DrawRewardUnit(oid_t id)
{
    {
        dbCursor<Reward> cursor(dbCursorForUpdate);
        cursor.positionAt(id);
        cursor->quantity -= 1;
        cursor.update();
    }
    tablesDatabase().commit();
}

void DecrementSelectOptionPerson()
{
    {
        dbCursor<SelectOption> cursor(dbCursorForUpdate);
        cursor.select();
        cursor->person -= 1;
        cursor.update();
    }
    tablesDatabase().commit();
}

bool LoadPrizeListColWidths(std::vector<Integer>& widths)
{
    bool found = false;
    {
        dbCursor<ColWidth> cursor(dbCursorViewOnly);
        if (cursor.select(PrizeListColWidthCondition) > 0) {
            found = true;
            do {
                if (cursor->col >= 0 && std::size_t(cursor->col) < widths.size())
                    widths[std::size_t(cursor->col)] = cursor->width;
            } while (cursor.next());
        }
    }
    if (!found) {
        // Column indexes are stored in one signed byte.
        const std::size_t n = std::min<std::size_t>(widths.size(), 128);
        for (std::size_t i = 0; i < n; i++) {
            ColWidth w{};
            w.type = std::int8_t(PrizeListColWidthType);
            w.col = std::int8_t(i);
            w.width = clampWidth(widths[i]);
            dbInsert(w);
        }
    }
    return found;
}

void StorePrizeListColWidths(const std::vector<Integer>& widths)
{
    dbCursor<ColWidth> cursor(dbCursorForUpdate);
    if (cursor.select(PrizeListColWidthCondition) == 0)
        return;
    do {
        // A stored column the list does not have keeps its width.
        if (cursor->col < 0 || std::size_t(cursor->col) >= widths.size())
            continue;
        cursor->width = clampWidth(widths[std::size_t(cursor->col)]);
        cursor.update();
    } while (cursor.next());
}

std::vector<TPrizeRow> ListRewards()
{
    std::vector<TPrizeRow> prizes;
    {
        dbCursor<Reward> cursor(dbCursorViewOnly);
        if (cursor.select() > 0) {
            do {
                prizes.push_back(prizeOf(cursor.getOid(), *cursor.get()));
            } while (cursor.next());
        }
    }
    tablesDatabase().commit();
    return prizes;
}

oid_t InsertReward(const AnsiString& name, Integer quantity)
{
    zarvoBuffer pool;
    Reward reward{};
    reward.name = pool.append(name);
    reward.quantity = quantity;
    reward.take = 0;
    return dbInsert(reward);
}

TPrizeRow ReadRewardForEdit(oid_t id)
{
    TPrizeRow prize;
    {
        dbCursor<Reward> cursor(dbCursorViewOnly);
        cursor.positionAt(id);
        prize = prizeOf(id, *cursor.get());
    }
    tablesDatabase().commit();
    return prize;
}

void UpdateReward(oid_t id, const AnsiString& name, Integer quantity)
{
    {
        zarvoBuffer pool;
        dbCursor<Reward> cursor(dbCursorForUpdate);
        cursor.positionAt(id);
        cursor->name = pool.append(name);
        cursor->quantity = quantity;
        cursor.update();
    }
    tablesDatabase().commit();
}

void RemoveReward(oid_t id)
{
    dbCursor<Reward> cursor(dbCursorForUpdate);
    cursor.positionAt(id);
    cursor.removeCurrent();
}

// The name is bound to the condition as a parameter, never placed into its text: a name holding
// quotes, wildcards or query words is data and matches only itself. When several prizes share the
// name, the first in storage order takes the quantity.
void ImportReward(const AnsiString& name, Integer quantity)
{
    {
        const char* wanted = name.c_str();
        dbQuery byName;
        byName.add("name = ").bind(wanted);
        dbCursor<Reward> cursor(dbCursorForUpdate);
        if (cursor.select(byName) > 0) {
            cursor->quantity = quantity;
            cursor.update();
            return;
        }
    }
    InsertReward(name, quantity);
}

AnsiString FormatRewardId(oid_t id)
{
    return std::to_string(id);
}

// Object identifiers use all 32 bits: read them unsigned, or identifiers from 2^31 on would be
// refused (or turned negative).
bool ParseRewardId(const AnsiString& text, oid_t& id)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin == end || *begin < '0' || *begin > '9')
        return false;
    std::uint32_t value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return false;
    id = value;
    return true;
}
