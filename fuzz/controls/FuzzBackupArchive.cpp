// The backup archive reader on arbitrary bytes: the title and identity list are read, and the
// archive is restored (with and without stored paths) into a private folder that is emptied
// after every input. Nothing may crash, hang, allocate without bound or write outside it.

#include "controls/Backup.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string& Folder()
{
    static const std::string Path = [] {
        std::string Pattern = (std::filesystem::temp_directory_path() / "fuzz-backup-XXXXXX").string();
        if (!::mkdtemp(Pattern.data()))
            std::abort();
        return Pattern + "/target";
    }();
    return Path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TMemoryStream Stream;
    Stream.WriteBuffer(Data, static_cast<Integer>(Size));
    TBackupFile Backup(nullptr);
    Backup.OnError = [](TObject*, Integer, const AnsiString&) {};
    Stream.SetPosition(0);
    TStringList List;
    Backup.GetArchiveTitleFromStream(&Stream, &List);
    Backup.SetRestoreFullPath(Size > 0 && (Data[0] & 1));
    std::filesystem::create_directories(Folder());
    Stream.SetPosition(0);
    Backup.RestoreFromStream(&Stream, Folder());
    // Every file restored must be inside the folder: the folder's parent holds nothing else.
    std::filesystem::path Parent = std::filesystem::path(Folder()).parent_path();
    for (auto& Entry : std::filesystem::directory_iterator(Parent))
        if (Entry.path() != Folder())
            std::abort();
    std::filesystem::remove_all(Folder());
    return 0;
}
