#include "TestDirectory.h"

#include "app/AppTables.h"
#include "app/MainForm.h"

namespace {

std::filesystem::path DatabaseDirectory()
{
    const std::string& Root = appDatabase.getRootPath();
    return Root.empty() ? TestDirectory() : std::filesystem::path(Root);
}

} // namespace

void RemoveDatabaseFiles()
{
    const std::filesystem::path Dir = DatabaseDirectory();
    for (const char* Name : {"Drawmere.zrv", "Drawmere.dm", InstanceLockFileName, "manual.doc"})
        std::filesystem::remove(Dir / Name);
}

std::filesystem::path EnterDatabaseDirectory()
{
    const std::filesystem::path Old = std::filesystem::current_path();
    RemoveDatabaseFiles();
    std::filesystem::current_path(DatabaseDirectory());
    return Old;
}
