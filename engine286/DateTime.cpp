#include "engine286/DateTime.h"

#include <cstddef>

// localtime_r, not localtime: conditions are evaluated on several threads by the parallel scan,
// and localtime's one static buffer would mix their results.
bool dbDateTime::localTime(std::tm& tm) const
{
    std::time_t t = std::time_t(stamp);
    return localtime_r(&t, &tm) != nullptr;
}

int dbDateTime::year() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_year + 1900 : 0;
}

int dbDateTime::month() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_mon + 1 : 0;
}

int dbDateTime::day() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_mday : 0;
}

int dbDateTime::dayOfYear() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_yday + 1 : 0;
}

int dbDateTime::dayOfWeek() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_wday + 1 : 0;
}

int dbDateTime::hour() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_hour : 0;
}

int dbDateTime::minute() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_min : 0;
}

int dbDateTime::second() const
{
    std::tm tm;
    return localTime(tm) ? tm.tm_sec : 0;
}

dbFieldDescriptor* dbDateTime::dbDescribeComponents()
{
    return describeInt4Field(new dbFieldDescriptor("stamp", offsetof(dbDateTime, stamp), 4, HASHED | INDEXED))
        ->chain(describeMethodField(new dbFieldDescriptor("year"), &dbDateTime::year))
        ->chain(describeMethodField(new dbFieldDescriptor("month"), &dbDateTime::month))
        ->chain(describeMethodField(new dbFieldDescriptor("day"), &dbDateTime::day))
        ->chain(describeMethodField(new dbFieldDescriptor("dayOfYear"), &dbDateTime::dayOfYear))
        ->chain(describeMethodField(new dbFieldDescriptor("dayOfWeek"), &dbDateTime::dayOfWeek))
        ->chain(describeMethodField(new dbFieldDescriptor("hour"), &dbDateTime::hour))
        ->chain(describeMethodField(new dbFieldDescriptor("minute"), &dbDateTime::minute))
        ->chain(describeMethodField(new dbFieldDescriptor("second"), &dbDateTime::second));
}

dbFieldDescriptor* describeDateField(dbFieldDescriptor* fd)
{
    return describeStructureField(fd, dbDateTime::dbDescribeComponents());
}
