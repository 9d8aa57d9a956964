#pragma once

// The database remembers the directory of its first open for the whole process, so every test
// of this binary works in one directory, emptied before each test and removed at exit.

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

inline const std::filesystem::path& TestDirectory()
{
    // Not a static object but ended by the exit handler, so that forked children, which exit
    // too, leave what the test process still uses.
    static uitest::TempFolder* Dir = new uitest::TempFolder("drawmere-app-tests");
    static const bool Registered = [] {
        static const pid_t OwnerPid = ::getpid();
        std::atexit([] {
            if (::getpid() == OwnerPid) {
                std::error_code Ignored;
                std::filesystem::current_path(std::filesystem::temp_directory_path(), Ignored);
                delete Dir;
            }
        });
        return true;
    }();
    (void)Registered;
    return Dir->Path();
}

// Empties the test directory and makes it the current one; returns the directory left.
inline std::filesystem::path EnterFreshTestDirectory()
{
    const std::filesystem::path Old = std::filesystem::current_path();
    for (const auto& Entry : std::filesystem::directory_iterator(TestDirectory()))
        std::filesystem::remove_all(Entry.path());
    std::filesystem::current_path(TestDirectory());
    return Old;
}

// The directory the database's files go to: the one its first open recorded for this process
// (tests of the tables may have opened it elsewhere), else the test directory. Entered with the
// program's files removed; returns the directory left.
std::filesystem::path EnterDatabaseDirectory();
// Removes the program's files from the database directory again.
void RemoveDatabaseFiles();
