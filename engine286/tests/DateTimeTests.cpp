#include "RecordSupport.h"

#include "engine286/DateTime.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

dbDatabase* const neverOpened = reinterpret_cast<dbDatabase*>(std::uintptr_t(16));

// Local time is pinned for these tests and given back afterwards.
class DateTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        hadTz = tz != nullptr;
        savedTz = tz ? tz : "";
        setZone("UTC");
    }
    void TearDown() override
    {
        if (hadTz)
            setenv("TZ", savedTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void setZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

    bool hadTz = false;
    std::string savedTz;
};

struct Expected {
    std::int32_t stamp;
    int year, month, day, dayOfYear, dayOfWeek, hour, minute, second;
};

const Expected utcDates[] = {
    {1325376000, 2012, 1, 1, 1, 1, 0, 0, 0},        // Sunday 1 January 2012
    {1356998399, 2012, 12, 31, 366, 2, 23, 59, 59}, // Monday 31 December 2012, leap year
    {1356825600, 2012, 12, 30, 365, 1, 0, 0, 0},    // Sunday
    {1356739200, 2012, 12, 29, 364, 7, 0, 0, 0},    // Saturday
    {-1, 1969, 12, 31, 365, 4, 23, 59, 59},         // the default stamp
    {0x7FFFFFFF, 2038, 1, 19, 19, 3, 3, 14, 7},     // the last stamp
};

void expectDate(const dbDateTime& d, const Expected& e)
{
    EXPECT_EQ(e.year, d.year());
    EXPECT_EQ(e.month, d.month());
    EXPECT_EQ(e.day, d.day());
    EXPECT_EQ(e.dayOfYear, d.dayOfYear());
    EXPECT_EQ(e.dayOfWeek, d.dayOfWeek());
    EXPECT_EQ(e.hour, d.hour());
    EXPECT_EQ(e.minute, d.minute());
    EXPECT_EQ(e.second, d.second());
}

TEST_F(DateTimeTest, MethodsGiveTheLocalCalendarFieldsOfTheStamp)
{
    EXPECT_EQ(-1, dbDateTime().stamp);
    for (const Expected& e : utcDates) {
        SCOPED_TRACE(e.stamp);
        expectDate(dbDateTime(e.stamp), e);
    }
    // Local time, not UTC: 1 January 2012 00:00 in UTC+8 is 16:00 UTC the day before.
    setZone("CST-8"); // UTC+8, without zone files
    dbDateTime local(1325347200);
    EXPECT_EQ(2012, local.year());
    EXPECT_EQ(1, local.dayOfYear());
    EXPECT_EQ(0, local.hour());
}

struct Aligned {
    std::int32_t id;
    dbDateTime when;
};
struct Shifted { // the int8 moves the date to another stored offset than its application one
    std::int64_t id;
    dbDateTime when;
};

template <class R> dbFieldDescriptor* describeWith()
{
    const char* idName = "id";
    return (sizeof(R::id) == 8 ? describeInt8Field : describeInt4Field)(
               new dbFieldDescriptor(idName, offsetof(R, id), sizeof(R::id), 0))
        ->chain(describeDateField(new dbFieldDescriptor("when", offsetof(R, when), sizeof(dbDateTime), 0)));
}

dbFieldDescriptor* methodOf(dbTableDescriptor& table, const char* name)
{
    dbFieldDescriptor* date = table.columns->next;
    dbFieldDescriptor* fd = date->components;
    do {
        if (std::strcmp(fd->name, name) == 0)
            return fd;
    } while ((fd = fd->next) != date->components);
    return nullptr;
}

TEST_F(DateTimeTest, DateFieldsAreStructuresWhoseMethodsRunOnStoredRowsInBothLayouts)
{
    dbTableDescriptor aligned("AlignedDates", neverOpened, sizeof(Aligned), describeWith<Aligned>);
    dbTableDescriptor shifted("ShiftedDates", neverOpened, sizeof(Shifted), describeWith<Shifted>);

    dbFieldDescriptor* date = aligned.columns->next;
    EXPECT_EQ(tpStructure, date->type);
    EXPECT_EQ(tpInt4, date->components->type);
    EXPECT_EQ(0, date->components->indexType); // the stamp's indexes only when the field asks
    EXPECT_EQ(tpInt4 + 10, methodOf(aligned, "year")->type);

    using Fast = dbMethodFastTrampoline<dbDateTime, int>;
    EXPECT_NE(nullptr, dynamic_cast<Fast*>(methodOf(aligned, "year")->method));
    EXPECT_EQ(nullptr, dynamic_cast<Fast*>(methodOf(shifted, "year")->method));

    const char* methods[] = {"year", "month", "day", "dayOfYear", "dayOfWeek", "hour", "minute", "second"};
    for (const Expected& e : utcDates) {
        SCOPED_TRACE(e.stamp);
        const int want[] = {e.year, e.month, e.day, e.dayOfYear, e.dayOfWeek, e.hour, e.minute, e.second};
        for (dbTableDescriptor* table : {&aligned, &shifted}) {
            alignas(8) char row[64] = {};
            std::memcpy(row + table->columns->next->components->dbsOffs, &e.stamp, 4);
            for (int i = 0; i < 8; i++) {
                int got = -1000;
                methodOf(*table, methods[i])->method->invoke(row, &got);
                EXPECT_EQ(want[i], got) << table->name << "." << methods[i];
            }
        }
    }
}

} // namespace
