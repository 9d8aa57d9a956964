#pragma once

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Types.h"

#include <memory>

// Files, directories and path names.
//
// Paths are written with '/'. A path that arrives with '\' (a name stored by a program of the
// original platform, or written that way in a library) is accepted: every routine here turns '\'
// into '/' before it uses the path, and every path it returns uses '/'.

inline constexpr char PathDelim = '/';
inline constexpr char DriveDelim = '\0';
inline constexpr char PathSep = ':';

// File attributes as the platform reports them. Read-only is the absence of the owner's write
// permission, hidden a name starting with '.', archive ("changed since the flag was cleared")
// an extended attribute; see FileGetAttr.
inline constexpr Integer faReadOnly = 0x01;
inline constexpr Integer faHidden = 0x02;
inline constexpr Integer faSysFile = 0x04;
inline constexpr Integer faVolumeID = 0x08;
inline constexpr Integer faDirectory = 0x10;
inline constexpr Integer faArchive = 0x20;
inline constexpr Integer faAnyFile = 0x3F;

// ---- Path names -------------------------------------------------------------------------------

// Replaces every '\' by '/'.
AnsiString NormalizePathDelimiters(const AnsiString& Path);
// Everything up to and including the last '/' ("" when there is none).
AnsiString ExtractFilePath(const AnsiString& FileName);
// ExtractFilePath without the trailing '/', except for the root "/".
AnsiString ExtractFileDir(const AnsiString& FileName);
// Everything after the last '/'.
AnsiString ExtractFileName(const AnsiString& FileName);
// The extension of the name part including its '.', or "".
AnsiString ExtractFileExt(const AnsiString& FileName);
// There are no drives here: always "".
AnsiString ExtractFileDrive(const AnsiString& FileName);
// Replaces (or adds, or with "" removes) the extension of the name part.
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
// An absolute path with "." and ".." resolved textually against the current directory.
AnsiString ExpandFileName(const AnsiString& FileName);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& Path);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& Path);
bool IsPathDelimiter(const AnsiString& Path, Integer Index); // Index is 1-based

AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& Dir);

// ---- Files and directories --------------------------------------------------------------------

bool FileExists(const AnsiString& FileName); // true for files, false for directories
bool DirectoryExists(const AnsiString& Directory);
bool CreateDir(const AnsiString& Dir);
bool RemoveDir(const AnsiString& Dir);
// Creates Dir and every missing parent; true when it exists afterwards. Raises
// EInOutError "Cannot create directory" for an empty name.
bool ForceDirectories(const AnsiString& Dir);
bool DeleteFile(const AnsiString& FileName);
bool RenameFile(const AnsiString& OldName, const AnsiString& NewName);

// ---- Dates ------------------------------------------------------------------------------------

// File dates are DOS date-times in local time (DateTime.h packs and unpacks them). A file time
// before 1980 reads as 1 January 1980 00:00, one after 2107 as the last moment of 2107; seconds
// round down to even.

// The modification time of a file as a DOS date-time, or -1 when it does not exist.
Integer FileAge(const AnsiString& FileName);
// The modification time of an open file, or -1.
Integer FileGetDate(Integer Handle);
// Set the modification time; 0 on success, else the system error code.
Integer FileSetDate(const AnsiString& FileName, Integer Age);
Integer FileSetDate(Integer Handle, Integer Age);

// ---- Attributes -------------------------------------------------------------------------------

// The fa... attributes of a file or directory, or -1 when it does not exist.
// faArchive is set unless it was cleared with FileSetAttr and the file has not been modified
// since. Where the file system keeps no extended attributes, files always report faArchive.
Integer FileGetAttr(const AnsiString& FileName);
// Sets faReadOnly and faArchive as given (other bits are ignored: hidden follows from the
// name, directory from the kind). 0 on success, else the system error code.
Integer FileSetAttr(const AnsiString& FileName, Integer Attr);

// ---- Enumerating a directory ------------------------------------------------------------------

struct TSearchRecData;

// One entry found by FindFirst/FindNext. Time is a DOS date-time.
struct TSearchRec {
    Integer Time = 0;
    Int64 Size = 0;
    Integer Attr = 0;
    AnsiString Name;
    Integer ExcludeAttr = 0;
    std::shared_ptr<TSearchRecData> FindHandle;
};

// Finds the first entry of the directory of Path whose name matches Path's name part under the
// platform's wildcard rules: '*' any run of characters, '?' one character, letters compared
// without regard to case, and a trailing ".*" that also matches a name without any dot ("*.*"
// matches every name). Entries with faHidden, faSysFile or faDirectory are returned only when
// Attr asks for them; "." and ".." are entries like others. Returns 0 on success, else a system
// error code (ENOENT when nothing matches). Call FindClose afterwards.
Integer FindFirst(const AnsiString& Path, Integer Attr, TSearchRec& F);
Integer FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// True when Name matches Mask under the wildcard rules of FindFirst.
bool MatchesMask(const AnsiString& Name, const AnsiString& Mask);

// ---- Low-level file handles -------------------------------------------------------------------

// Opens with an fm... access mode and share mode (Streams.h); -1 on failure.
Integer FileOpen(const AnsiString& FileName, LongWord Mode);
// Creates or truncates for reading and writing; -1 on failure.
Integer FileCreate(const AnsiString& FileName);
// Rights are the permission bits of a new file (0666 by default, less the umask); Mode may add a
// share mode (exclusive by default, as the platform creates files).
Integer FileCreate(const AnsiString& FileName, Integer Rights);
Integer FileCreate(const AnsiString& FileName, LongWord Mode, Integer Rights);
// Number of bytes moved, or -1.
Integer FileRead(Integer Handle, void* Buffer, LongWord Count);
Integer FileWrite(Integer Handle, const void* Buffer, LongWord Count);
// Origin 0 from the start, 1 from the current position, 2 from the end; the new position or -1.
Int64 FileSeek(Integer Handle, Int64 Offset, Integer Origin);
void FileClose(Integer Handle);

// ---- Temporary files --------------------------------------------------------------------------

// The directory for temporary files ($TMPDIR, else /tmp) with a trailing '/'.
AnsiString GetTempPath();
// Creates a new empty file in Dir (the temporary directory when "") whose name starts with
// Prefix, and returns its full name. Raises EInOutError when no file can be created.
AnsiString GetTempFileName(const AnsiString& Dir, const AnsiString& Prefix);

// The text of a system error code, as SysErrorMessage gives it.
AnsiString SysErrorMessage(Integer ErrorCode);
