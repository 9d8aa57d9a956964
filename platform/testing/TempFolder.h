#pragma once

// A folder of its own for a test: made fresh under the system's temporary folder, with a name
// no other test or parallel run can have (mkdtemp), and removed with all it holds when the
// object ends. Tests of write errors leave read-only files and folders behind; removal makes
// them writable first so nothing is left in /tmp.
//
// Header only, so that the tests of the runtime library, the kernel services and the database
// engine use it without linking the windowed harness of this folder.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace uitest {

class TempFolder {
public:
    // Prefix starts the folder's name, so that a folder left by a crashed run shows whose it is.
    explicit TempFolder(const std::string& Prefix = "drawmere-test")
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / (Prefix + "-XXXXXX")).string();
        if (::mkdtemp(Pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder from " + Pattern);
        FPath = Pattern;
    }
    ~TempFolder()
    {
        std::error_code Ignored;
        MakeWritable(FPath);
        std::filesystem::remove_all(FPath, Ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // The full name of an entry of the folder (which need not exist yet).
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }
    // Makes (or overwrites) an entry holding Contents; returns its full name.
    std::string Touch(const std::string& Name, const std::string& Contents = "x") const
    {
        std::string Full = File(Name);
        std::ofstream(Full, std::ios::binary | std::ios::trunc) << Contents;
        return Full;
    }

private:
    static void MakeWritable(const std::filesystem::path& Folder)
    {
        namespace fs = std::filesystem;
        std::error_code Ignored;
        // A folder without write or search permission hides its entries from remove_all.
        fs::permissions(Folder, fs::perms::owner_all, fs::perm_options::add, Ignored);
        for (fs::directory_iterator It(Folder, Ignored), End; It != End; It.increment(Ignored)) {
            if (It->is_directory(Ignored) && !It->is_symlink(Ignored))
                MakeWritable(It->path());
        }
    }

    std::filesystem::path FPath;
};

} // namespace uitest
