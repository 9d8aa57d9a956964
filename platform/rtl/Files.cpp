#include "platform/rtl/Files.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// The extended attribute that records "archive cleared": it holds the modification time the
// file had when the flag was cleared, so a file changed since (by anyone) counts as archive again.
const char* const kArchiveAttribute = "user.drawmere.archive";

AnsiString PathOf(const AnsiString& Path)
{
    return NormalizePathDelimiters(Path);
}

struct TDosFields {
    int Year, Month, Day, Hour, Minute, Second;
};

Integer PackDos(TDosFields f)
{
    // The format covers 1980..2107; anything outside is held at the nearest end.
    if (f.Year < 1980)
        f = {1980, 1, 1, 0, 0, 0};
    else if (f.Year > 2107)
        f = {2107, 12, 31, 23, 59, 58};
    LongWord date = static_cast<LongWord>(((f.Year - 1980) << 9) | (f.Month << 5) | f.Day);
    LongWord time = static_cast<LongWord>((f.Hour << 11) | (f.Minute << 5) | (f.Second / 2));
    return static_cast<Integer>((date << 16) | time);
}

Integer UnixTimeToFileDate(time_t Seconds)
{
    struct tm local {};
    if (!localtime_r(&Seconds, &local))
        return PackDos({1980, 1, 1, 0, 0, 0});
    return PackDos({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                    local.tm_sec > 59 ? 59 : local.tm_sec});
}

bool FileDateToUnixTime(Integer FileDate, time_t& Result)
{
    auto packed = static_cast<LongWord>(FileDate);
    struct tm local {};
    local.tm_year = static_cast<int>((packed >> 25) & 0x7F) + 80;
    local.tm_mon = static_cast<int>((packed >> 21) & 0x0F) - 1;
    local.tm_mday = static_cast<int>((packed >> 16) & 0x1F);
    local.tm_hour = static_cast<int>((packed >> 11) & 0x1F);
    local.tm_min = static_cast<int>((packed >> 5) & 0x3F);
    local.tm_sec = static_cast<int>(packed & 0x1F) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 ||
        local.tm_min > 59 || local.tm_sec > 59)
        return false;
    Result = mktime(&local);
    return Result != static_cast<time_t>(-1);
}

// ---- Wildcards ----

// Decodes UTF-8 into lower-case code points. A byte that starts no well-formed character stands
// for itself, as a value past the last code point, so that any name can still be matched and a
// mask matches only the bad bytes the name has.
std::u32string DecodeForMatch(const AnsiString& Text)
{
    std::u32string out;
    out.reserve(Text.size());
    std::size_t i = 0;
    while (i < Text.size()) {
        const std::size_t start = i;
        char32_t cp;
        if (!ReadUtf8Char(Text, i, cp))
            out.push_back(0x110000 + static_cast<unsigned char>(Text[start]));
        else if (cp < 0x80)
            out.push_back(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp);
        else
            out.push_back(UnicodeLower(cp));
    }
    return out;
}

bool MatchCodePoints(const std::u32string& Name, const std::u32string& Mask)
{
    // Iterative wildcard matching with one back-tracking point: linear in practice and never
    // exponential, whatever the mask holds.
    std::size_t n = 0, m = 0, starMask = std::u32string::npos, starName = 0;
    while (n < Name.size()) {
        if (m < Mask.size() && (Mask[m] == U'?' || Mask[m] == Name[n])) {
            ++n;
            ++m;
        } else if (m < Mask.size() && Mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < Mask.size() && Mask[m] == U'*')
        ++m;
    return m == Mask.size();
}

// ---- Attributes ----

bool ArchiveCleared(const AnsiString& FileName, const struct stat& St)
{
    char value[64];
    ssize_t n = getxattr(FileName.c_str(), kArchiveAttribute, value, sizeof value - 1);
    if (n <= 0)
        return false;
    value[n] = '\0';
    char expected[64];
    std::snprintf(expected, sizeof expected, "%lld.%09ld", static_cast<long long>(St.st_mtim.tv_sec),
                  static_cast<long>(St.st_mtim.tv_nsec));
    return std::strcmp(value, expected) == 0;
}

Integer AttributesOf(const AnsiString& FileName, const AnsiString& Name, const struct stat& St)
{
    Integer attr = 0;
    if (S_ISDIR(St.st_mode))
        attr |= faDirectory;
    else if (!ArchiveCleared(FileName, St))
        attr |= faArchive;
    if ((St.st_mode & S_IWUSR) == 0)
        attr |= faReadOnly;
    if (!Name.empty() && Name[0] == '.' && Name != "." && Name != "..")
        attr |= faHidden;
    return attr;
}

// ---- Sharing ----

// Emulates the share modes with advisory whole-file locks: a holder that denies others reading
// or writing keeps an exclusive lock, one that only denies writing keeps a shared lock, and an
// opener that denies nothing only checks that its access is not denied by a holder.
bool ApplyShareMode(int Fd, LongWord Mode, bool Writes)
{
    int share = static_cast<int>((Mode & 0xF0) >> 4);
    auto tryLock = [Fd](int op) { return flock(Fd, op | LOCK_NB) == 0; };
    switch (share) {
    case 2: // deny write
        if (Writes && !tryLock(LOCK_EX))
            return false;
        return tryLock(LOCK_SH);
    case 4: // deny none
        if (!tryLock(Writes ? LOCK_EX : LOCK_SH))
            return false;
        flock(Fd, LOCK_UN);
        return true;
    default: // compatibility, exclusive, deny read
        return tryLock(LOCK_EX);
    }
}

} // namespace

// ---- Path names -------------------------------------------------------------------------------

AnsiString NormalizePathDelimiters(const AnsiString& Path)
{
    AnsiString result = Path;
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

AnsiString ExtractFilePath(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    auto slash = path.rfind('/');
    return slash == AnsiString::npos ? AnsiString() : path.substr(0, slash + 1);
}

AnsiString ExtractFileDir(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    auto slash = path.rfind('/');
    if (slash == AnsiString::npos)
        return AnsiString();
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

AnsiString ExtractFileName(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    auto slash = path.rfind('/');
    return slash == AnsiString::npos ? path : path.substr(slash + 1);
}

AnsiString ExtractFileExt(const AnsiString& FileName)
{
    AnsiString name = ExtractFileName(FileName);
    auto dot = name.rfind('.');
    return dot == AnsiString::npos ? AnsiString() : name.substr(dot);
}

AnsiString ExtractFileDrive(const AnsiString&)
{
    return AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension)
{
    AnsiString path = PathOf(FileName);
    auto slash = path.rfind('/');
    auto dot = path.rfind('.');
    if (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash))
        return path + Extension;
    return path.substr(0, dot) + Extension;
}

AnsiString ExpandFileName(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    if (path.empty())
        return IncludeTrailingPathDelimiter(GetCurrentDir());
    if (path[0] != '/')
        path = IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
    bool trailing = path.back() == '/';
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto slash = path.find('/', start);
        if (slash == AnsiString::npos)
            slash = path.size();
        AnsiString part = path.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    AnsiString result;
    for (const auto& part : parts)
        result += "/" + part;
    if (result.empty() || trailing)
        result += "/";
    return result;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& Path)
{
    AnsiString path = PathOf(Path);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& Path)
{
    AnsiString path = PathOf(Path);
    if (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsPathDelimiter(const AnsiString& Path, Integer Index)
{
    return Index >= 1 && static_cast<std::size_t>(Index) <= Path.size() &&
           (Path[static_cast<std::size_t>(Index) - 1] == '/' ||
            Path[static_cast<std::size_t>(Index) - 1] == '\\');
}

AnsiString GetCurrentDir()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return AnsiString();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool SetCurrentDir(const AnsiString& Dir)
{
    return chdir(PathOf(Dir).c_str()) == 0;
}

// ---- Files and directories --------------------------------------------------------------------

bool FileExists(const AnsiString& FileName)
{
    struct stat st {};
    return !FileName.empty() && stat(PathOf(FileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& Directory)
{
    struct stat st {};
    return !Directory.empty() && stat(PathOf(Directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const AnsiString& Dir)
{
    return mkdir(PathOf(Dir).c_str(), 0777) == 0;
}

bool RemoveDir(const AnsiString& Dir)
{
    return rmdir(PathOf(Dir).c_str()) == 0;
}

bool ForceDirectories(const AnsiString& Dir)
{
    AnsiString dir = ExcludeTrailingPathDelimiter(Dir);
    if (dir.empty()) {
        if (PathOf(Dir) == "/")
            return true;
        throw EInOutError("Cannot create directory");
    }
    if (DirectoryExists(dir))
        return true;
    AnsiString parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent))
        return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

bool DeleteFile(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return unlink(path.c_str()) == 0;
}

bool RenameFile(const AnsiString& OldName, const AnsiString& NewName)
{
    // The platform refuses to rename over an existing file; rename(2) would replace it silently.
    AnsiString target = PathOf(NewName);
    struct stat st {};
    if (lstat(target.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(PathOf(OldName).c_str(), target.c_str()) == 0;
}

// ---- Dates ------------------------------------------------------------------------------------

Integer FileAge(const AnsiString& FileName)
{
    struct stat st {};
    if (stat(PathOf(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return UnixTimeToFileDate(st.st_mtim.tv_sec);
}

Integer FileGetDate(Integer Handle)
{
    struct stat st {};
    if (fstat(Handle, &st) != 0)
        return -1;
    return UnixTimeToFileDate(st.st_mtim.tv_sec);
}

Integer FileSetDate(const AnsiString& FileName, Integer Age)
{
    time_t when;
    if (!FileDateToUnixTime(Age, when))
        return EINVAL;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, PathOf(FileName).c_str(), times, 0) == 0 ? 0 : errno;
}

Integer FileSetDate(Integer Handle, Integer Age)
{
    time_t when;
    if (!FileDateToUnixTime(Age, when))
        return EINVAL;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    return futimens(Handle, times) == 0 ? 0 : errno;
}

// ---- Attributes -------------------------------------------------------------------------------

Integer FileGetAttr(const AnsiString& FileName)
{
    AnsiString path = PathOf(FileName);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return AttributesOf(path, ExtractFileName(path), st);
}

Integer FileSetAttr(const AnsiString& FileName, Integer Attr)
{
    AnsiString path = PathOf(FileName);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return errno;
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = (Attr & faReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    if (S_ISDIR(st.st_mode))
        return wanted != mode && chmod(path.c_str(), wanted) != 0 ? errno : 0;

    // Changing an extended attribute needs write permission: a read-only file is made writable
    // for the moment of the change. Permissions touch only the change time, and the archive
    // record is kept against the modification time, so this does not mark the file changed.
    bool lent = (mode & S_IWUSR) == 0 && chmod(path.c_str(), mode | S_IWUSR) == 0;
    int error = 0;
    if (Attr & faArchive) {
        if (removexattr(path.c_str(), kArchiveAttribute) != 0 && errno != ENODATA && errno != ENOTSUP)
            error = errno;
    } else {
        char value[64];
        std::snprintf(value, sizeof value, "%lld.%09ld", static_cast<long long>(st.st_mtim.tv_sec),
                      static_cast<long>(st.st_mtim.tv_nsec));
        // Without extended attributes the flag cannot be cleared; the file keeps reporting it,
        // which makes an incremental backup store it again rather than lose it.
        if (setxattr(path.c_str(), kArchiveAttribute, value, std::strlen(value), 0) != 0 &&
            errno != ENOTSUP && errno != EPERM)
            error = errno;
    }
    mode_t current = lent ? (mode | S_IWUSR) : mode;
    if (wanted != current && chmod(path.c_str(), wanted) != 0 && !error)
        error = errno;
    return error;
}

// ---- Enumerating a directory ------------------------------------------------------------------

struct TSearchRecData {
    AnsiString Directory; // with a trailing '/'
    std::vector<AnsiString> Names;
    std::size_t Next = 0;
};

bool MatchesMask(const AnsiString& Name, const AnsiString& Mask)
{
    std::u32string name = DecodeForMatch(Name);
    std::u32string mask = DecodeForMatch(Mask);
    if (MatchCodePoints(name, mask))
        return true;
    // A trailing ".*" also matches a name without any dot: "*.*" is every name, "read*.*" finds
    // "readme".
    if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, U".*") == 0 &&
        name.find(U'.') == std::u32string::npos)
        return MatchCodePoints(name, mask.substr(0, mask.size() - 2));
    return false;
}

static Integer FindMatching(TSearchRec& F)
{
    TSearchRecData& data = *F.FindHandle;
    while (data.Next < data.Names.size()) {
        const AnsiString& name = data.Names[data.Next++];
        AnsiString full = data.Directory + name;
        struct stat st {};
        if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0)
            continue;
        Integer attr = AttributesOf(full, name, st);
        if (attr & F.ExcludeAttr)
            continue;
        F.Name = name;
        F.Attr = attr;
        F.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
        F.Time = UnixTimeToFileDate(st.st_mtim.tv_sec);
        return 0;
    }
    return ENOENT;
}

Integer FindFirst(const AnsiString& Path, Integer Attr, TSearchRec& F)
{
    AnsiString path = PathOf(Path);
    AnsiString directory = ExtractFilePath(path);
    AnsiString mask = ExtractFileName(path);
    F = TSearchRec();
    F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return errno;
    auto data = std::make_shared<TSearchRecData>();
    data->Directory = directory;
    while (dirent* entry = readdir(dir)) {
        AnsiString name = entry->d_name;
        if (MatchesMask(name, mask))
            data->Names.push_back(name);
    }
    closedir(dir);
    // The directory order of the file system is arbitrary; sorting makes every listing (and every
    // test of one) repeatable. "." and ".." come first, as on the original platform.
    std::sort(data->Names.begin(), data->Names.end(), [](const AnsiString& a, const AnsiString& b) {
        bool aDots = a == "." || a == "..";
        bool bDots = b == "." || b == "..";
        if (aDots != bDots)
            return aDots;
        return a < b;
    });
    F.FindHandle = data;
    Integer result = FindMatching(F);
    if (result != 0)
        FindClose(F);
    return result;
}

Integer FindNext(TSearchRec& F)
{
    if (!F.FindHandle)
        return EBADF;
    return FindMatching(F);
}

void FindClose(TSearchRec& F)
{
    F.FindHandle.reset();
}

// ---- Low-level file handles -------------------------------------------------------------------

Integer FileOpen(const AnsiString& FileName, LongWord Mode)
{
    int access = static_cast<int>(Mode & 0x03);
    int flags = access == 1 ? O_WRONLY : access == 2 ? O_RDWR : O_RDONLY;
    int fd = open(PathOf(FileName).c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    if (!ApplyShareMode(fd, Mode, access != 0)) {
        close(fd);
        errno = EWOULDBLOCK;
        return -1;
    }
    return fd;
}

Integer FileCreate(const AnsiString& FileName)
{
    return FileCreate(FileName, 0u, 0666);
}

Integer FileCreate(const AnsiString& FileName, Integer Rights)
{
    return FileCreate(FileName, 0u, Rights);
}

Integer FileCreate(const AnsiString& FileName, LongWord Mode, Integer Rights)
{
    // Open without truncating first: a file another holder denies us must keep its contents.
    int fd =
        open(PathOf(FileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, static_cast<mode_t>(Rights & 07777));
    if (fd < 0)
        return -1;
    if (!ApplyShareMode(fd, Mode & 0xF0, true)) {
        close(fd);
        errno = EWOULDBLOCK;
        return -1;
    }
    if (ftruncate(fd, 0) != 0) {
        int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

Integer FileRead(Integer Handle, void* Buffer, LongWord Count)
{
    ssize_t n;
    do
        n = read(Handle, Buffer, std::min<LongWord>(Count, 0x7FFFFFFF));
    while (n < 0 && errno == EINTR);
    return static_cast<Integer>(n);
}

Integer FileWrite(Integer Handle, const void* Buffer, LongWord Count)
{
    ssize_t n;
    do
        n = write(Handle, Buffer, std::min<LongWord>(Count, 0x7FFFFFFF));
    while (n < 0 && errno == EINTR);
    return static_cast<Integer>(n);
}

Int64 FileSeek(Integer Handle, Int64 Offset, Integer Origin)
{
    int whence = Origin == 1 ? SEEK_CUR : Origin == 2 ? SEEK_END : SEEK_SET;
    off_t result = lseek(Handle, static_cast<off_t>(Offset), whence);
    return static_cast<Int64>(result);
}

void FileClose(Integer Handle)
{
    if (Handle >= 0)
        close(Handle);
}

// ---- Temporary files --------------------------------------------------------------------------

AnsiString GetTempPath()
{
    const char* dir = std::getenv("TMPDIR");
    AnsiString path = dir && *dir ? AnsiString(dir) : AnsiString("/tmp");
    return IncludeTrailingPathDelimiter(path);
}

AnsiString GetTempFileName(const AnsiString& Dir, const AnsiString& Prefix)
{
    AnsiString directory = Dir.empty() ? GetTempPath() : IncludeTrailingPathDelimiter(Dir);
    AnsiString name = directory + NormalizePathDelimiters(Prefix);
    std::replace(name.begin() + static_cast<std::ptrdiff_t>(directory.size()), name.end(), '/', '_');
    name += "XXXXXX.tmp";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    int fd = mkstemps(buffer.data(), 4);
    if (fd < 0)
        throw EInOutError("Cannot create a temporary file in \"" + directory + "\". " +
                          SysErrorMessage(errno));
    close(fd);
    return buffer.data();
}

AnsiString SysErrorMessage(Integer ErrorCode)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in the buffer.
    const char* text = strerror_r(ErrorCode, buffer, sizeof buffer);
    return text ? AnsiString(text) : AnsiString();
}
