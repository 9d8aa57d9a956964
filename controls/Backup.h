#pragma once

// TBackupFile: packs files named by patterns into a zlib-compressed archive that may span several
// volume files, and restores such an archive into a folder.
//
// Archive layout (every integer 32-bit little-endian): title length and title, total size, file
// count, then per file its name length and name, its DOS date-time and one data section per
// volume it touches ("EC2" NUL, blocks, 0; a block is n > 0 bytes of one zlib stream of a chunk
// of at most 16384 bytes, or n < 0 raw bytes), ended by a name length of 0. A file cut at the end
// of a volume is followed there by the name "NEXT:DISKnnn"; the next volume (the archive name
// with the extension "nnn") goes on with that file's next data section.
//
// Archives are untrusted input. Restore checks every stored name before it writes anything (no
// "." or ".." parts, no device names, nothing through a symbolic link, nothing outside the target
// folder), bounds every length by what the format allows and the restored bytes by the total the
// header declares, and writes each file to a temporary file beside its target that is renamed
// over the target only once the file is whole: a damaged or truncated archive raises
// EBackupError ("Invalid archive type", "Compression error") and leaves no half-written file
// under a user's file name.
//
// Everything runs on the caller's thread; pending window messages are processed after every
// block. An operation started while another one runs (from an event handler) returns False.

#include "platform/rtl/Classes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"

#include <functional>
#include <memory>
#include <vector>

enum TBackupMode { bmAll, bmIncremental };
// clNone and clDefault are also colours.
namespace Backup {
enum TCompressionLevel { clFastest, clNone, clDefault, clMax };
}
using Backup::TCompressionLevel;
enum TRestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };
using TPercentage = Byte; // 0..100

using TProgressEvent =
    std::function<void(TObject* Sender, const AnsiString& Filename, TPercentage Percent, bool& Continue)>;
using TNeedDiskEvent = std::function<void(TObject* Sender, Word DiskID, bool& Continue)>;
using TRestoreFileEvent =
    std::function<void(TObject* Sender, AnsiString& Filename, Integer FA, bool& DoRestore)>;
using TFileRestoredEvent = std::function<void(TObject* Sender, AnsiString& Filename, TFileStream*& Stream)>;
using TBackupErrorEvent =
    std::function<void(TObject* Sender, const Integer Error, const AnsiString& ErrString)>;

// A damaged archive; Message() is the text of error 3, 5 or 6.
class EBackupError : public Exception {
public:
    using Exception::Exception;
};

class TBackupFile : public TComponent {
public:
    using enum Backup::TCompressionLevel;

    // Limits of the format: the chunk size, the longest name or title accepted, and the room a
    // volume keeps for one more chunk.
    static constexpr Integer ChunkSize = 16384;
    static constexpr Integer MaxNameLength = 32768;
    static constexpr Integer VolumeReserve = ChunkSize + 100;
    static constexpr Integer MaxVolume = 999;

    explicit TBackupFile(TComponent* AOwner);
    ~TBackupFile() override;
    TBackupFile(const TBackupFile&) = delete;
    TBackupFile& operator=(const TBackupFile&) = delete;

    AnsiString Version() const { return "5.10"; }
    void SetVersion(const AnsiString&) {}
    const AnsiString& BackupTitle() const { return FBackupTitle; }
    void SetBackupTitle(const AnsiString& Value) { FBackupTitle = Value; }
    TBackupMode BackupMode() const { return FBackupMode; }
    // bmIncremental also sets SetArchiveFlag.
    void SetBackupMode(TBackupMode Value);
    TCompressionLevel CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(TCompressionLevel Value) { FCompressionLevel = Value; }
    TRestoreMode RestoreMode() const { return FRestoreMode; }
    void SetRestoreMode(TRestoreMode Value) { FRestoreMode = Value; }
    // Volume size in bytes, 0 for one archive of any size. A size from 1 to VolumeReserve leaves
    // no room for a chunk: Backup then fails with error 4.
    Integer MaxSize() const { return FMaxSize; }
    void SetMaxSize(Integer Value) { FMaxSize = Value; }
    bool SetArchiveFlag() const { return FSetArchiveFlag; }
    void SetSetArchiveFlag(bool Value) { FSetArchiveFlag = Value; }
    bool RestoreFullPath() const { return FRestoreFullPath; }
    void SetRestoreFullPath(bool Value) { FRestoreFullPath = Value; }
    bool SaveFileID() const { return FSaveFileID; }
    void SetSaveFileID(bool Value) { FSaveFileID = Value; }

    TProgressEvent OnProgress;
    TNeedDiskEvent OnNeedDisk;
    TRestoreFileEvent OnRestoreFile;
    TFileRestoredEvent OnFileRestored;
    TBackupErrorEvent OnError;

    // Writes the files of FileList (names, wildcard patterns, "pattern /s" for every folder
    // below) to ArchiveName, or to the stream of BackupToStream when ArchiveName is ":STREAM".
    // True only when everything, end mark included, was written.
    bool Backup(TStrings* FileList, const AnsiString& ArchiveName);
    // Backup into Stream (not owned, left open); MaxSize becomes 0. False for no stream or an
    // exception.
    bool BackupToStream(TStrings* FileList, TStream* Stream);
    // Restores ArchiveName (":STREAM": the stream of RestoreFromStream) into TargetDir, or to the
    // stored names when TargetDir is empty. False at once for a missing archive; True when no
    // error was recorded and nothing cancelled. Raises EBackupError for a damaged archive.
    bool Restore(const AnsiString& ArchiveName, const AnsiString& TargetDir);
    bool RestoreFromStream(TStream* Stream, const AnsiString& TargetDir);
    // The archive's title; fills List (when given) with the stored identity list. Reports error
    // 3 and raises EAbort when the archive cannot be opened, reports error 5 for a damaged one.
    AnsiString GetArchiveTitle(const AnsiString& ArchiveName, TStrings* List);
    AnsiString GetArchiveTitleFromStream(TStream* Stream, TStrings* List);
    // Reads one data section of Archive; with Write the expanded bytes go to Output, else the
    // blocks are skipped. Raises EBackupError "Invalid archive type" for a section that does not
    // start with "EC2" or has a block no chunk can have, "Compression error" for a block zlib
    // cannot expand to a whole chunk.
    void DeCompress(TStream* Archive, TStream* Output, bool Write);

    // The saving of the last backup in per cent (0 after a backup of no bytes).
    Integer CompressionRate() const;
    bool Busy() const { return FBusy; }
    void Stop() { FContinue = false; }
    // The code of the last operation's error (0: none).
    Integer LastError() const { return FError; }
    // Reports Code through OnError or, without it, an error message box.
    void MessageError(Integer Code);
    // Number of files stored or restored by the last operation, and the archive's file count.
    Integer FilesProcessed() const { return FFilesProcessed; }
    Integer FileCount() const { return FFileCount; }

private:
    struct TPendingFile;

    void ExpandFileList(TStrings* FileList, const AnsiString& ArchiveName, std::vector<AnsiString>& Files);
    void ExpandPattern(const AnsiString& Pattern, bool Recursive, const AnsiString& ArchiveName,
                       std::vector<AnsiString>& Files, int Depth);
    bool WriteFileSections(TStream*& Archive, const AnsiString& ArchiveName, TStream* Source,
                           const AnsiString& DisplayName, Int64 FileSize, Integer& Volume);
    bool WriteDataSection(TStream* Archive, TStream* Source, Int64& Remaining, const AnsiString& DisplayName);
    bool CompressChunk(const Byte* Chunk, Integer Length, TStream* Archive);
    bool RunRestore(TStream*& Archive, const AnsiString& ArchiveName, const AnsiString& TargetDir);
    bool OpenNextVolume(TStream*& Archive, AnsiString& ArchiveName, const AnsiString& Digits);
    AnsiString TargetName(const AnsiString& Stored, const AnsiString& TargetDir) const;
    bool WantRestore(const AnsiString& Target, Integer Stored) const;
    void ExpandSection(TStream* Archive, TStream* Output, Int64* Budget);
    void ReadHeader(TStream* Archive, AnsiString& Title);
    void Progress(const AnsiString& Name);
    void AskForDisk(Word Disk);
    void SetError(Integer Code);

    AnsiString FBackupTitle;
    TBackupMode FBackupMode = bmAll;
    TCompressionLevel FCompressionLevel = Backup::clFastest;
    TRestoreMode FRestoreMode = rmAll;
    Integer FMaxSize = 0;
    bool FSetArchiveFlag = false;
    bool FRestoreFullPath = false;
    bool FSaveFileID = false;

    Integer FFileCount = 0;
    Integer FFilesProcessed = 0;
    Int64 FTotalSize = 0;
    Int64 FProcessed = 0;
    Int64 FWritten = 0;
    AnsiString FCurrentFile;
    bool FBusy = false;
    bool FContinue = false;
    Integer FError = 0;
    TStream* FBackupStream = nullptr;
    TStream* FRestoreStream = nullptr;
    std::vector<Byte> FChunk;
    std::vector<Byte> FPacked;
};
