#pragma once

#include "engine286/Descriptors.h"

#include <cstdint>
#include <cstring>
#include <ctime>

// The date field type: a signed 32-bit count of seconds since 1 January 1970 UTC (so it ends
// in January 2038). Its methods are callable from query conditions, for example d.year = 2012;
// each converts the stamp to local time. A stamp the conversion rejects gives 0 from every
// method.
class dbDateTime {
public:
    dbDateTime() : stamp(-1) {}
    explicit dbDateTime(std::int32_t seconds) : stamp(seconds) {}

    int year() const;      // for example 2012
    int month() const;     // 1 to 12
    int day() const;       // 1 to 31
    int dayOfYear() const; // 1 to 366
    int dayOfWeek() const; // 1 (Sunday) to 7 (Saturday)
    int hour() const;      // 0 to 23
    int minute() const;    // 0 to 59
    int second() const;    // 0 to 59

    // The stored field stamp (hash and T-tree flags, kept when the enclosing field asks for an
    // index), followed by the eight methods.
    static dbFieldDescriptor* dbDescribeComponents();

    std::int32_t stamp;

private:
    bool localTime(std::tm& tm) const;
};
static_assert(sizeof(dbDateTime) == 4);

// Calls a method of a structure stored in a row: unpacks the structure's stored fields into a
// temporary and calls the method on it. Used when the stored layout differs from the
// application's.
template <class T, class R> class dbMethodTrampoline : public dbAnyMethodTrampoline {
public:
    typedef R (T::*Method)() const;
    dbMethodTrampoline(dbFieldDescriptor* fd, Method m) : dbAnyMethodTrampoline(fd), method(m) {}

    void invoke(const char* row, void* result) override
    {
        T temp;
        // The structure's data fields precede its methods in the ring that holds this method.
        dbFieldDescriptor* fd = cls;
        do {
            fd = fd->next;
        } while (fd->method && fd != cls);
        for (dbFieldDescriptor* first = fd; !fd->method;) {
            std::memcpy(reinterpret_cast<char*>(&temp) + fd->appOffs, row + fd->dbsOffs, fd->dbsSize);
            if ((fd = fd->next) == first)
                break;
        }
        R r = (temp.*method)();
        std::memcpy(result, &r, sizeof r);
    }
    dbAnyMethodTrampoline* optimize() override;

    Method method;
};

// The same call made directly on the structure inside the row, when the stored layout equals
// the application layout.
template <class T, class R> class dbMethodFastTrampoline : public dbMethodTrampoline<T, R> {
public:
    using dbMethodTrampoline<T, R>::dbMethodTrampoline;
    void invoke(const char* row, void* result) override
    {
        const T* obj = reinterpret_cast<const T*>(row + this->cls->dbsOffs);
        const typename dbMethodTrampoline<T, R>::Method m = this->method;
        R r = (obj->*m)();
        std::memcpy(result, &r, sizeof r);
    }
};

// The caller (the table layout) destroys the slow form once it has the fast one.
template <class T, class R> dbAnyMethodTrampoline* dbMethodTrampoline<T, R>::optimize()
{
    return new dbMethodFastTrampoline<T, R>(cls, method);
}

// Makes fd a method of result type R (int4 for the date methods): its type becomes the
// result's type plus 10.
template <class T> dbFieldDescriptor* describeMethodField(dbFieldDescriptor* fd, int (T::*method)() const)
{
    describeInt4Field(fd);
    if (fd->type > tpReference)
        dbDescriptorAssertion("fd->type <= dbField::tpReference");
    fd->type += 10;
    fd->appType += 10;
    fd->dbsSize = fd->appSize = 0;
    fd->method = new dbMethodTrampoline<T, int>(fd, method);
    return fd;
}

// Turns a field into a date: a structure whose components are the date type's.
dbFieldDescriptor* describeDateField(dbFieldDescriptor* fd);
