#include "controls/Backup.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

#include <zlib.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const StreamName = ":STREAM";
const char* const FileListName = "FILE:LIST";
const char* const NextDiskName = "NEXT:DISK";
const char SectionMark[4] = {'E', 'C', '2', '\0'};
// The identity list is read into memory; no list of a real backup comes near this.
constexpr Int64 MaxListBytes = 64 * 1024 * 1024;
// Folders below a "/s" pattern deeper than this are not expanded.
constexpr int MaxFolderDepth = 256;

const char* ErrorText(Integer Code)
{
    switch (Code) {
    case 1:
        return "Cannot read file";
    case 2:
        return "Overwriting file failed";
    case 3:
        return "Cannot read archive";
    case 4:
        return "Cannot write to archive";
    case 5:
        return "Invalid archive type";
    case 6:
        return "Compression error";
    case 7:
        return "Cannot create temporary file to save the file IDs";
    default:
        return "";
    }
}

int ZlibLevel(TCompressionLevel Level)
{
    switch (Level) {
    case Backup::clFastest:
        return 1;
    case Backup::clNone:
        return 0;
    case Backup::clDefault:
        return Z_DEFAULT_COMPRESSION;
    case Backup::clMax:
        return 9;
    }
    return 1;
}

[[noreturn]] void RaiseArchive(Integer Code)
{
    throw EBackupError(ErrorText(Code));
}

void WriteName(TStream* S, const AnsiString& Name)
{
    S->WriteInteger(static_cast<Integer>(Name.size()));
    S->WriteString(Name);
}

// A length read from the archive, checked against what the format allows before anything is
// allocated for it.
AnsiString ReadName(TStream* S, Integer Length)
{
    if (Length < 0 || Length > TBackupFile::MaxNameLength)
        RaiseArchive(5);
    return S->ReadString(Length);
}

bool StartsWith(const AnsiString& S, const char* Prefix)
{
    return S.compare(0, std::strlen(Prefix), Prefix) == 0;
}

AnsiString TrimText(const AnsiString& S)
{
    std::size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}

// The names the original platform reserves for devices, in any case and with any extension.
bool IsDeviceName(const AnsiString& Part)
{
    AnsiString Base = Part.substr(0, Part.find('.'));
    for (char& C : Base)
        C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    static const char* const Names[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* N : Names)
        if (Base == N)
            return true;
    return Base.size() == 4 && (StartsWith(Base, "COM") || StartsWith(Base, "LPT")) && Base[3] >= '0' &&
           Base[3] <= '9';
}

// Splits a stored relative name at '/' and '\' into its parts; false when a part is ".", "..",
// a device name or holds a character no file name may hold, or when there is no part at all.
bool SafeParts(const AnsiString& Name, std::vector<AnsiString>& Parts)
{
    Parts.clear();
    AnsiString Part;
    auto Flush = [&]() -> bool {
        if (Part.empty())
            return true; // doubled separators collapse
        if (Part == "." || Part == ".." || IsDeviceName(Part) || Part.find(':') != AnsiString::npos)
            return false;
        Parts.push_back(Part);
        Part.clear();
        return true;
    };
    for (char C : Name) {
        if (C == '\0')
            return false;
        if (C == '/' || C == '\\') {
            if (!Flush())
                return false;
        } else
            Part += C;
    }
    return Flush() && !Parts.empty();
}

// The stored name without its root: "/" of a name stored here, "X:\" or "\\server\share\" of a
// name stored on the original platform.
AnsiString WithoutRoot(const AnsiString& Name)
{
    if (Name.size() >= 2 && std::isalpha(static_cast<unsigned char>(Name[0])) && Name[1] == ':')
        return Name.substr(2);
    return Name;
}

bool IsLink(const AnsiString& Path)
{
    struct stat St {};
    return lstat(Path.c_str(), &St) == 0 && S_ISLNK(St.st_mode);
}

// True when no existing part of Path below Root (Root itself included) is a symbolic link and
// every existing part but the last is a folder: writing there cannot leave Root.
bool StaysInside(const AnsiString& Root, const std::vector<AnsiString>& Parts)
{
    AnsiString Path = ExcludeTrailingPathDelimiter(Root);
    if (!Path.empty() && IsLink(Path))
        return false;
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        Path += "/" + Parts[I];
        struct stat St {};
        if (lstat(Path.c_str(), &St) != 0)
            return true; // nothing there yet: the rest is created by us
        if (S_ISLNK(St.st_mode))
            return false;
        if (I + 1 < Parts.size() && !S_ISDIR(St.st_mode))
            return false;
    }
    return true;
}

} // namespace

// The file being restored: written to a temporary file in its target's folder and renamed over
// the target once its last data section is in.
struct TBackupFile::TPendingFile {
    AnsiString Target;
    AnsiString Temporary;
    Integer Age = 0;
    std::unique_ptr<TFileStream> Stream;

    ~TPendingFile() { Discard(); }
    void Discard()
    {
        Stream.reset();
        if (!Temporary.empty())
            std::remove(Temporary.c_str());
        Temporary.clear();
    }
    bool Commit()
    {
        Stream.reset();
        if (std::rename(Temporary.c_str(), Target.c_str()) != 0)
            return false;
        Temporary.clear();
        FileSetDate(Target, Age);
        return true;
    }
};

TBackupFile::TBackupFile(TComponent* AOwner) : TComponent(AOwner) {}

TBackupFile::~TBackupFile() = default;

void TBackupFile::SetBackupMode(TBackupMode Value)
{
    FBackupMode = Value;
    if (Value == bmIncremental)
        FSetArchiveFlag = true;
}

Integer TBackupFile::CompressionRate() const
{
    if (FTotalSize <= 0)
        return 0;
    return 100 - static_cast<Integer>(std::nearbyint(static_cast<double>(FWritten) / FTotalSize * 100.0));
}

void TBackupFile::SetError(Integer Code)
{
    FError = Code;
    FContinue = false;
}

void TBackupFile::MessageError(Integer Code)
{
    AnsiString Text = ErrorText(Code);
    if (OnError)
        OnError(this, Code, Text);
    else
        MessageDlg(Text, mtError, TMsgDlgButtons{mbOK}, 0);
}

void TBackupFile::Progress(const AnsiString& Name)
{
    Integer Percent =
        FTotalSize > 0
            ? static_cast<Integer>(std::nearbyint(static_cast<double>(FProcessed) / FTotalSize * 100.0))
            : 0;
    bool Continue = FContinue;
    if (OnProgress)
        OnProgress(this, Name, static_cast<TPercentage>(std::clamp(Percent, 0, 100)), Continue);
    if (!Continue)
        FContinue = false;
}

void TBackupFile::AskForDisk(Word Disk)
{
    bool Continue = true;
    if (OnNeedDisk)
        OnNeedDisk(this, Disk, Continue);
    else
        Continue = MessageDlg(Format("Please insert disk %s and click OK to continue.", {IntToStr(Disk)}),
                              mtInformation, mbOKCancel, 0) == mrOk;
    if (!Continue)
        FContinue = false;
}

// ---- Expanding the file list ------------------------------------------------------------------

void TBackupFile::ExpandFileList(TStrings* FileList, const AnsiString& ArchiveName,
                                 std::vector<AnsiString>& Files)
{
    AnsiString Archive = ArchiveName == StreamName ? AnsiString() : ExpandFileName(ArchiveName);
    for (Integer I = 0; I < FileList->Count(); ++I) {
        // "/s" after a blank ends a recursive entry; elsewhere '/' separates folders here.
        AnsiString Entry = TrimText(FileList->Strings(I));
        std::size_t N = Entry.size();
        bool Recursive = N >= 3 && Entry[N - 2] == '/' && (Entry[N - 1] == 's' || Entry[N - 1] == 'S') &&
                         static_cast<unsigned char>(Entry[N - 3]) <= ' ';
        ExpandPattern(Recursive ? TrimText(Entry.substr(0, N - 2)) : Entry, Recursive, Archive, Files, 0);
    }
}

void TBackupFile::ExpandPattern(const AnsiString& Pattern, bool Recursive, const AnsiString& ArchiveName,
                                std::vector<AnsiString>& Files, int Depth)
{
    if (Pattern.empty())
        return;
    AnsiString Dir = ExtractFilePath(ExpandFileName(Pattern));
    AnsiString Mask = ExtractFileName(NormalizePathDelimiters(Pattern));
    TSearchRec F;
    if (Recursive && Depth < MaxFolderDepth) {
        if (FindFirst(Dir + "*.*", faAnyFile, F) == 0) {
            do {
                // A linked folder is not entered: it may lead back up and never end.
                if ((F.Attr & faDirectory) && F.Name != "." && F.Name != ".." && !IsLink(Dir + F.Name))
                    ExpandPattern(Dir + F.Name + "/" + Mask, true, ArchiveName, Files, Depth + 1);
            } while (FindNext(F) == 0);
        }
        FindClose(F);
    }
    if (FindFirst(Dir + Mask, faAnyFile, F) == 0) {
        do {
            if (F.Attr & faDirectory)
                continue;
            AnsiString Name = Dir + F.Name;
            if (Name == ArchiveName || std::find(Files.begin(), Files.end(), Name) != Files.end())
                continue;
            if (FBackupMode == bmIncremental && !(F.Attr & faArchive))
                continue;
            Files.push_back(Name);
        } while (FindNext(F) == 0);
    }
    FindClose(F);
}

// ---- Backup -----------------------------------------------------------------------------------

bool TBackupFile::CompressChunk(const Byte* Chunk, Integer Length, TStream* Archive)
{
    z_stream Z{};
    if (deflateInit(&Z, ZlibLevel(FCompressionLevel)) != Z_OK) {
        SetError(6);
        return false;
    }
    Z.next_in = const_cast<Byte*>(Chunk);
    Z.avail_in = static_cast<uInt>(Length);
    Z.next_out = FPacked.data();
    Z.avail_out = ChunkSize;
    int Rc = deflate(&Z, Z_FINISH);
    Integer Packed = static_cast<Integer>(ChunkSize - Z.avail_out);
    deflateEnd(&Z);
    if (Rc != Z_STREAM_END && Rc != Z_OK && Rc != Z_BUF_ERROR) {
        SetError(6);
        return false;
    }
    if (Rc == Z_STREAM_END) {
        Archive->WriteInteger(Packed);
        Archive->WriteBuffer(FPacked.data(), Packed);
        FWritten += Packed + 4;
    } else {
        // The stream did not fit in a chunk's room: the chunk goes in as it is.
        Archive->WriteInteger(-Length);
        Archive->WriteBuffer(Chunk, Length);
        FWritten += Length + 4;
    }
    return true;
}

bool TBackupFile::WriteDataSection(TStream* Archive, TStream* Source, Int64& Remaining,
                                   const AnsiString& DisplayName)
{
    Archive->WriteBuffer(SectionMark, 4);
    FWritten += 4;
    while (Remaining > 0 && FContinue) {
        if (FMaxSize != 0 && Archive->Position() >= FMaxSize - VolumeReserve)
            break;
        Integer Length = static_cast<Integer>(std::min<Int64>(Remaining, ChunkSize));
        Integer Got = Source->Read(FChunk.data(), Length);
        if (Got != Length) {
            SetError(1);
            break;
        }
        Remaining -= Length;
        FProcessed += Length;
        if (!CompressChunk(FChunk.data(), Length, Archive))
            break;
        if (Application)
            Application->ProcessMessages();
        Progress(DisplayName);
    }
    Archive->WriteInteger(0);
    return FContinue;
}

bool TBackupFile::WriteFileSections(TStream*& Archive, const AnsiString& ArchiveName, TStream* Source,
                                    const AnsiString& DisplayName, Int64 FileSize, Integer& Volume)
{
    Int64 Remaining = FileSize;
    for (;;) {
        try {
            WriteDataSection(Archive, Source, Remaining, DisplayName);
        } catch (const EStreamError&) {
            if (FError == 0)
                SetError(4);
            return false;
        }
        if (Remaining == 0 || !FContinue)
            return FContinue;
        // The volume is full in the middle of the file.
        if (Volume >= MaxVolume) {
            SetError(4); // three digits name no further volume
            return false;
        }
        ++Volume;
        char Digits[8];
        std::snprintf(Digits, sizeof Digits, "%.3d", Volume % 1000);
        try {
            WriteName(Archive, AnsiString(NextDiskName) + Digits);
        } catch (const EStreamError&) {
            SetError(4);
            return false;
        }
        delete Archive;
        Archive = nullptr;
        AskForDisk(static_cast<Word>(Volume));
        if (!FContinue)
            return false;
        try {
            Archive = new TFileStream(ChangeFileExt(ArchiveName, AnsiString(".") + Digits), fmCreate);
        } catch (const EStreamError&) {
            SetError(4);
            return false;
        }
    }
}

bool TBackupFile::Backup(TStrings* FileList, const AnsiString& ArchiveName)
{
    if (FBusy || !FileList)
        return false;
    FError = 0;
    FBusy = true;
    FFilesProcessed = 0;
    FTotalSize = 0;
    FProcessed = 0;
    FWritten = 0;
    bool ToStream = ArchiveName == StreamName;
    if (ToStream && !FBackupStream) {
        FBusy = false;
        return false;
    }
    if (!ToStream && FMaxSize != 0 && FMaxSize <= VolumeReserve) {
        SetError(4); // no volume of that size holds a chunk
        FBusy = false;
        MessageError(FError);
        return false;
    }
    std::vector<AnsiString> Files;
    ExpandFileList(FileList, ArchiveName, Files);
    FContinue = true;
    Progress("");

    // Sizing pass and the identity list.
    AnsiString IdText;
    std::vector<Int64> Sizes(Files.size(), -1);
    for (std::size_t I = 0; I < Files.size(); ++I) {
        if (!FileExists(Files[I]))
            continue;
        try {
            TFileStream S(Files[I], fmOpenRead | fmShareDenyNone);
            Sizes[I] = S.Size();
            FTotalSize += Sizes[I];
            if (FSaveFileID)
                IdText +=
                    Files[I] + "\t" + IntToStr(FileGetDate(S.Handle())) + "=" + IntToStr(Sizes[I]) + "\r\n";
        } catch (const EStreamError&) {
            Sizes[I] = -1;
        }
    }
    AnsiString IdFile;
    bool Ok = false;
    TStream* Archive = nullptr;
    Integer Volume = 1;
    // An event handler's exception leaves through here: the archive file is closed, the
    // identity file removed and the component idle again.
    struct Cleanup {
        TBackupFile* Self;
        TStream*& Archive;
        bool ToStream;
        AnsiString& IdFile;
        ~Cleanup()
        {
            if (!ToStream)
                delete Archive;
            Archive = nullptr;
            if (!IdFile.empty())
                DeleteFile(IdFile);
            IdFile.clear();
            Self->FBusy = false;
        }
    } Leave{this, Archive, ToStream, IdFile};
    if (FSaveFileID) {
        try {
            IdFile = GetTempFileName("", "FID");
            TFileStream S(IdFile, fmCreate);
            S.WriteString(IdText);
            FTotalSize += static_cast<Int64>(IdText.size());
        } catch (const Exception&) {
            SetError(7);
        }
    }
    FFileCount = static_cast<Integer>(Files.size());
    FChunk.resize(ChunkSize);
    FPacked.resize(ChunkSize);
    if (FError == 0) {
        try {
            Archive = ToStream ? FBackupStream : new TFileStream(ArchiveName, fmCreate);
            WriteName(Archive, FBackupTitle);
            // The header keeps 32 bits: a total of 2 GiB or more is written as the largest value,
            // which Restore reads as "no limit".
            Archive->WriteInteger(static_cast<Integer>(std::min<Int64>(FTotalSize, 0x7FFFFFFF)));
            Archive->WriteInteger(FFileCount);
        } catch (const EStreamError&) {
            SetError(4);
        }
    }
    FProcessed = 0;
    FWritten = 0;
    // The identity list goes first, under its own name.
    std::vector<std::pair<AnsiString, Int64>> Entries;
    if (!IdFile.empty())
        Entries.emplace_back(IdFile, static_cast<Int64>(IdText.size()));
    for (std::size_t I = 0; I < Files.size(); ++I)
        if (Sizes[I] >= 0)
            Entries.emplace_back(Files[I], Sizes[I]);
    for (std::size_t I = 0; I < Entries.size() && FContinue && FError == 0; ++I) {
        const AnsiString& Name = Entries[I].first;
        bool IsList = !IdFile.empty() && I == 0;
        FCurrentFile = Name;
        std::unique_ptr<TFileStream> Source;
        try {
            Source = std::make_unique<TFileStream>(Name, fmOpenRead | fmShareDenyNone);
        } catch (const EStreamError&) {
            SetError(1);
            break;
        }
        // The file may have changed since the sizing pass; it is stored as it is now.
        Int64 Size = Source->Size();
        try {
            WriteName(Archive, IsList ? AnsiString(FileListName) : TrimText(Name));
            Archive->WriteInteger(FileGetDate(Source->Handle()));
            FWritten += static_cast<Int64>(Name.size()) + 8;
        } catch (const EStreamError&) {
            SetError(4);
            break;
        }
        bool Whole = WriteFileSections(Archive, ToStream ? AnsiString() : ArchiveName, Source.get(),
                                       IsList ? AnsiString(FileListName) : Name, Size, Volume);
        Source.reset();
        if (Whole && !IsList)
            ++FFilesProcessed;
        if (FSetArchiveFlag && !IsList) {
            Integer Attr = FileGetAttr(Name);
            if (Attr >= 0)
                FileSetAttr(Name, Attr & ~faArchive);
        }
        if (!Archive)
            break;
    }
    if (FContinue && FError == 0 && Archive) {
        try {
            Archive->WriteInteger(0);
            Ok = true;
        } catch (const EStreamError&) {
            SetError(4);
        }
    }
    if (!ToStream)
        delete Archive;
    Archive = nullptr;
    if (!IdFile.empty())
        DeleteFile(IdFile);
    IdFile.clear();
    FContinue = true;
    Progress("");
    FBusy = false;
    FCurrentFile.clear();
    if (FError != 0) {
        MessageError(FError);
        Ok = false;
    }
    return Ok;
}

bool TBackupFile::BackupToStream(TStrings* FileList, TStream* Stream)
{
    if (!Stream || FBusy)
        return false;
    FBackupStream = Stream;
    FMaxSize = 0;
    try {
        return Backup(FileList, StreamName);
    } catch (const Exception&) {
        FBusy = false;
        return false;
    }
}

// ---- Reading --------------------------------------------------------------------------------

void TBackupFile::ReadHeader(TStream* Archive, AnsiString& Title)
{
    try {
        Title = ReadName(Archive, Archive->ReadInteger());
        Integer Total = Archive->ReadInteger();
        Integer Count = Archive->ReadInteger();
        if (Total < 0 || Count < 0)
            throw EBackupError(ErrorText(3));
        FTotalSize = Total;
        FFileCount = Count;
    } catch (const Exception&) {
        throw EBackupError(ErrorText(3));
    }
}

// Expands (or skips) one data section. Budget, when given, is how many bytes the archive may
// still produce; a section that would produce more is refused as damaged.
void TBackupFile::ExpandSection(TStream* Archive, TStream* Output, Int64* Budget)
{
    char Mark[4];
    if (Archive->Read(Mark, 4) != 4 || std::strncmp(Mark, SectionMark, 4) != 0)
        RaiseArchive(5);
    FChunk.resize(ChunkSize);
    FPacked.resize(compressBound(ChunkSize));
    for (;;) {
        Integer N = 0;
        if (Archive->Read(&N, 4) != 4)
            RaiseArchive(5);
        if (N == 0)
            break;
        // A block holds one chunk: raw, at most a chunk; compressed, at most zlib's bound for one.
        if (N < -ChunkSize || N > static_cast<Integer>(compressBound(ChunkSize)))
            RaiseArchive(5);
        Integer Length = N < 0 ? -N : N;
        if (!Output) {
            if (Archive->Position() + Length > Archive->Size())
                RaiseArchive(5);
            Archive->Seek(Length, soCurrent);
            continue;
        }
        if (Archive->Read(FPacked.data(), Length) != Length)
            RaiseArchive(5);
        Integer Produced = Length;
        const Byte* Bytes = FPacked.data();
        if (N > 0) {
            uLongf Out = ChunkSize;
            // uncompress fails with Z_BUF_ERROR when the stream expands past a chunk and with
            // Z_DATA_ERROR when it is damaged or does not end: either way the chunk is not whole.
            if (uncompress(FChunk.data(), &Out, FPacked.data(), static_cast<uLong>(Length)) != Z_OK)
                RaiseArchive(6);
            Produced = static_cast<Integer>(Out);
            Bytes = FChunk.data();
        }
        if (Budget) {
            if (Produced > *Budget)
                RaiseArchive(5);
            *Budget -= Produced;
        }
        Output->WriteBuffer(Bytes, Produced);
        if (dynamic_cast<TFileStream*>(Output)) {
            FProcessed += Produced;
            if (Application)
                Application->ProcessMessages();
            Progress(FCurrentFile);
        }
        if (!FContinue)
            break;
    }
}

void TBackupFile::DeCompress(TStream* Archive, TStream* Output, bool Write)
{
    ExpandSection(Archive, Write ? Output : nullptr, nullptr);
}

// ---- Restore ----------------------------------------------------------------------------------

AnsiString TBackupFile::TargetName(const AnsiString& Stored, const AnsiString& TargetDir) const
{
    std::vector<AnsiString> Parts;
    if (TargetDir.empty()) {
        // Back to where the file came from: only a plain absolute name of this system, and not
        // among the system's device and process folders.
        if (Stored.empty() || Stored[0] != '/' || !SafeParts(Stored, Parts))
            return "";
        if (Parts[0] == "dev" || Parts[0] == "proc" || Parts[0] == "sys")
            return "";
        AnsiString Name;
        for (const AnsiString& P : Parts)
            Name += "/" + P;
        return StaysInside("/", Parts) ? Name : AnsiString();
    }
    if (FRestoreFullPath) {
        if (!SafeParts(WithoutRoot(Stored), Parts))
            return "";
    } else {
        AnsiString File = ExtractFileName(NormalizePathDelimiters(Stored));
        if (!SafeParts(File, Parts))
            return "";
    }
    if (!StaysInside(TargetDir, Parts))
        return "";
    AnsiString Name = ExcludeTrailingPathDelimiter(TargetDir);
    for (const AnsiString& P : Parts)
        Name += "/" + P;
    return Name;
}

bool TBackupFile::WantRestore(const AnsiString& Target, Integer Stored) const
{
    bool Exists = FileExists(Target);
    // Dates compare as local times, which their packed form orders.
    bool Older = Exists && static_cast<LongWord>(FileAge(Target)) < static_cast<LongWord>(Stored);
    switch (FRestoreMode) {
    case rmAll:
        return true;
    case rmNoOverwrite:
        return !Exists;
    case rmNewer:
        return !Exists || Older;
    case rmExisting:
        return Exists;
    case rmExistingNewer:
        return Older;
    }
    return false;
}

bool TBackupFile::OpenNextVolume(TStream*& Archive, AnsiString& ArchiveName, const AnsiString& Digits)
{
    if (Digits.size() != 3 || !std::all_of(Digits.begin(), Digits.end(), ::isdigit))
        RaiseArchive(5);
    Word Disk = static_cast<Word>(std::stoi(Digits));
    delete Archive;
    Archive = nullptr;
    AnsiString Next = ChangeFileExt(ArchiveName, "." + Digits);
    // The volume is asked for even when it is already there: it may sit on a disk of its own.
    do
        AskForDisk(Disk);
    while (FContinue && !FileExists(Next));
    if (!FContinue)
        return false;
    ArchiveName = Next;
    Archive = new TFileStream(Next, fmOpenRead | fmShareDenyNone);
    return true;
}

bool TBackupFile::RunRestore(TStream*& Archive, const AnsiString& ArchiveName, const AnsiString& TargetDir)
{
    AnsiString Title;
    ReadHeader(Archive, Title);
    FProcessed = 0;
    bool FromStream = ArchiveName == StreamName;
    AnsiString VolumeName = ArchiveName;
    // The header's total bounds what the archive may produce (unless it says 2 GiB or more).
    Int64 Budget = FTotalSize;
    Int64* Limit = FTotalSize < 0x7FFFFFFF ? &Budget : nullptr;
    std::unique_ptr<TPendingFile> Pending;
    bool InFile = false;
    bool Refused = false; // a stored name that could reach outside the folder was skipped

    auto Finish = [&]() {
        if (Pending) {
            TPendingFile* P = Pending.get();
            if (!P->Commit()) {
                SetError(1);
            } else
                ++FFilesProcessed;
            Pending.reset();
        }
        InFile = false;
    };
    auto ExpandInto = [&]() {
        ExpandSection(Archive, Pending ? Pending->Stream.get() : nullptr, Limit);
        if (Pending && FContinue && OnFileRestored) {
            AnsiString Name = Pending->Target;
            TFileStream* Stream = Pending->Stream.get();
            OnFileRestored(this, Name, Stream);
        }
    };

    while (FContinue) {
        Integer Length = Archive->ReadInteger();
        if (Length == 0) {
            Finish();
            break;
        }
        AnsiString Name = ReadName(Archive, Length);
        if (StartsWith(Name, NextDiskName)) {
            if (!InFile || FromStream)
                RaiseArchive(5); // a volume change belongs in the middle of a file
            if (!OpenNextVolume(Archive, VolumeName, Name.substr(std::strlen(NextDiskName))))
                break;
            ExpandInto();
            continue;
        }
        Finish();
        if (FError != 0)
            break;
        Integer Age = Archive->ReadInteger();
        InFile = true;
        FCurrentFile = Name;
        bool DoRestore = false;
        AnsiString Target;
        if (Name != FileListName) {
            Target = TargetName(Name, TargetDir);
            Refused = Refused || Target.empty();
            // A name that could reach outside the folder is never written.
            DoRestore = !Target.empty() && WantRestore(Target, Age);
            if (OnRestoreFile && !Target.empty()) {
                AnsiString Asked = Target;
                OnRestoreFile(this, Asked, Age, DoRestore);
                // A handler's name is the application's own choice and is taken as it is.
                Target = Asked;
            }
        }
        if (DoRestore && !Target.empty()) {
            AnsiString Dir = ExtractFileDir(Target);
            if (!Dir.empty() && !DirectoryExists(Dir)) {
                try {
                    ForceDirectories(Dir);
                } catch (const Exception&) {
                }
            }
            if (DirectoryExists(Dir) || Dir.empty()) {
                Pending = std::make_unique<TPendingFile>();
                Pending->Target = Target;
                Pending->Age = Age;
                try {
                    Pending->Temporary =
                        GetTempFileName(ExtractFilePath(Target), "." + ExtractFileName(Target) + ".");
                    Pending->Stream = std::make_unique<TFileStream>(Pending->Temporary, fmOpenReadWrite);
                } catch (const Exception&) {
                    Pending.reset();
                    SetError(1);
                    break;
                }
            }
        }
        ExpandInto();
    }
    if (Pending && !FContinue)
        Pending.reset(); // cancelled or failed in the middle: the target stays as it was
    if (Refused && FError == 0)
        FError = 5; // the other files are restored, but the archive is not what it should be
    return FError == 0 && FContinue;
}

bool TBackupFile::Restore(const AnsiString& ArchiveName, const AnsiString& TargetDir)
{
    if (FBusy)
        return false;
    AnsiString Dir =
        TargetDir.empty() ? TargetDir : IncludeTrailingPathDelimiter(NormalizePathDelimiters(TargetDir));
    bool FromStream = ArchiveName == StreamName;
    if (FromStream ? !FRestoreStream : !FileExists(ArchiveName))
        return false;
    FError = 0;
    FFilesProcessed = 0;
    FContinue = true;
    TStream* Archive = nullptr;
    try {
        Archive = FromStream ? FRestoreStream : new TFileStream(ArchiveName, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        throw EBackupError(ErrorText(3));
    }
    FBusy = true;
    bool Ok = false;
    auto Abandon = [&]() {
        if (!FromStream)
            delete Archive;
        FBusy = false;
        FCurrentFile.clear();
    };
    try {
        Ok = RunRestore(Archive, ArchiveName, Dir);
    } catch (const EBackupError& E) {
        FError = E.Message() == ErrorText(6) ? 6 : (E.Message() == ErrorText(3) ? 3 : 5);
        Abandon();
        throw;
    } catch (const EStreamError&) {
        // A read past the end of a volume: the archive is truncated.
        FError = 5;
        Abandon();
        throw EBackupError(ErrorText(5));
    } catch (...) {
        // An event handler's exception: the file in hand was discarded on the way out.
        Abandon();
        throw;
    }
    if (!FromStream)
        delete Archive;
    bool Continued = FContinue;
    FContinue = true;
    Progress("");
    FContinue = Continued;
    FBusy = false;
    FCurrentFile.clear();
    if (FError != 0)
        MessageError(FError);
    return Ok;
}

bool TBackupFile::RestoreFromStream(TStream* Stream, const AnsiString& TargetDir)
{
    if (!Stream || FBusy)
        return false;
    FRestoreStream = Stream;
    try {
        return Restore(StreamName, TargetDir);
    } catch (const Exception&) {
        return false;
    }
}

// ---- Title and identity list ------------------------------------------------------------------

AnsiString TBackupFile::GetArchiveTitle(const AnsiString& ArchiveName, TStrings* List)
{
    FFileCount = 0;
    FTotalSize = 0;
    FProcessed = 0;
    FFilesProcessed = 0;
    bool FromStream = ArchiveName == StreamName;
    if (FromStream ? !FRestoreStream : !FileExists(ArchiveName))
        return "";
    TStream* Archive = nullptr;
    try {
        Archive = FromStream ? FRestoreStream : new TFileStream(ArchiveName, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        MessageError(3);
        Abort();
    }
    AnsiString Title;
    FContinue = true;
    try {
        ReadHeader(Archive, Title);
        if (List) {
            List->Clear();
            Integer Length = Archive->ReadInteger();
            if (Length != 0 && ReadName(Archive, Length) == FileListName) {
                Archive->ReadInteger(); // the list's date-time
                TMemoryStream Text;
                Int64 Budget = std::min(FTotalSize, MaxListBytes);
                ExpandSection(Archive, &Text, &Budget);
                AnsiString VolumeName = ArchiveName;
                // A long list may go on in the next volumes.
                for (;;) {
                    Int64 Here = Archive->Position();
                    if (Archive->Read(&Length, 4) != 4 || Length <= 0 || Length > MaxNameLength)
                        break;
                    AnsiString Next = Archive->ReadString(Length);
                    if (FromStream || !StartsWith(Next, NextDiskName)) {
                        Archive->SetPosition(Here);
                        break;
                    }
                    if (!OpenNextVolume(Archive, VolumeName, Next.substr(std::strlen(NextDiskName))))
                        break;
                    ExpandSection(Archive, &Text, &Budget);
                }
                Text.SetPosition(0);
                List->LoadFromStream(&Text);
            }
        }
    } catch (const Exception&) {
        if (List)
            List->Clear();
        MessageError(5);
    }
    if (!FromStream)
        delete Archive;
    FContinue = true;
    return Title;
}

AnsiString TBackupFile::GetArchiveTitleFromStream(TStream* Stream, TStrings* List)
{
    if (!Stream)
        return "";
    FRestoreStream = Stream;
    try {
        return GetArchiveTitle(StreamName, List);
    } catch (const Exception&) {
        return "";
    }
}
