#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsTemplate.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// The xls file's life cycle: creation, opening from a file, a stream or the empty-workbook
// resource, saving, the clipboard; then the sheets and the workbook-wide settings.

using namespace zivXlsMessages;

namespace {

// The compound document written straight into a file, in blocks: a save never holds the whole
// file in memory. A failed write is remembered and reported by Flush.
class TOle2FileOutput : public TOle2Stream {
public:
    explicit TOle2FileOutput(int Fd) : FFd(Fd) { FBuffer.reserve(BlockSize); }
    Int64 Size() const override { return std::max(FSize, FStart + static_cast<Int64>(FBuffer.size())); }
    Int64 Position() const override { return FPos; }
    void Seek(Int64 Pos) override
    {
        if (Pos != FPos)
            Flush();
        FPos = Pos < 0 ? 0 : Pos;
    }
    Int64 Read(void* Buffer, Int64 Count) override
    {
        if (!Flush())
            return 0;
        Int64 done = 0;
        while (done < Count) {
            const ssize_t n = ::pread(FFd, static_cast<Byte*>(Buffer) + done,
                                      static_cast<size_t>(Count - done), static_cast<off_t>(FPos + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        FPos += done;
        return done;
    }
    void Write(const void* Buffer, Int64 Count) override
    {
        if (Count <= 0)
            return;
        if (FBuffer.empty())
            FStart = FPos;
        else if (FStart + static_cast<Int64>(FBuffer.size()) != FPos) {
            Flush();
            FStart = FPos;
        }
        const Byte* p = static_cast<const Byte*>(Buffer);
        FBuffer.insert(FBuffer.end(), p, p + Count);
        FPos += Count;
        if (FBuffer.size() >= BlockSize)
            Flush();
    }
    // Writes what is buffered; false once any write failed.
    bool Flush()
    {
        size_t done = 0;
        while (!FFailed && done < FBuffer.size()) {
            const ssize_t n = ::pwrite(FFd, FBuffer.data() + done, FBuffer.size() - done,
                                       static_cast<off_t>(FStart + static_cast<Int64>(done)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                FFailed = true;
            else
                done += static_cast<size_t>(n);
        }
        FSize = std::max(FSize, FStart + static_cast<Int64>(FBuffer.size()));
        FBuffer.clear();
        return !FFailed;
    }

private:
    static constexpr size_t BlockSize = 1 << 20;
    int FFd;
    Int64 FPos = 0, FSize = 0, FStart = 0;
    ByteArray FBuffer;
    bool FFailed = false;
};

} // namespace

bool WriteFileReplacing(const AnsiString& Name, const std::function<bool(int Fd)>& Write)
{
    const AnsiString FileName = NormalizePathDelimiters(Name);
    struct stat Old {};
    const bool Existed = ::stat(FileName.c_str(), &Old) == 0;
    // The new file takes the old one's place by a rename, which a read-only file does not stop:
    // a file that cannot be opened for writing is refused, as writing it in place would be.
    if (Existed) {
        const int Probe = ::open(FileName.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (Probe < 0)
            return false;
        ::close(Probe);
    }
    static unsigned Counter = 0;
    AnsiString Temp;
    int Fd = -1;
    for (int Try = 0; Try < 100 && Fd < 0; ++Try) {
        Temp = FileName + ".~" + std::to_string(::getpid()) + "-" + std::to_string(++Counter);
        Fd = ::open(Temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0 && errno != EEXIST)
            return false;
    }
    if (Fd < 0)
        return false;
    bool Ok = false;
    try {
        Ok = Write(Fd);
    } catch (...) {
        ::close(Fd);
        ::unlink(Temp.c_str());
        throw;
    }
    if (Ok && Existed)
        Ok = ::fchmod(Fd, Old.st_mode & 07777) == 0;
    Ok = Ok && ::fsync(Fd) == 0;
    Ok = ::close(Fd) == 0 && Ok;
    Ok = Ok && ::rename(Temp.c_str(), FileName.c_str()) == 0;
    if (!Ok)
        ::unlink(Temp.c_str());
    return Ok;
}

std::unique_ptr<TExcelFile> TXLSAdapter::GetWorkbook()
{
    return std::make_unique<TXLSFile>(this, FAllowOverwritingFiles);
}

std::unique_ptr<TExcelFile> NewXlsFile(TXLSAdapter* Adapter)
{
    return std::make_unique<TXLSFile>(Adapter);
}

TXLSFile::TXLSFile(TXLSAdapter* aAdapter) : TXLSFile(aAdapter, false) {}

TXLSFile::TXLSFile(TXLSAdapter* aAdapter, bool aAllowOverwritingFiles)
    : FAdapter(aAdapter), FAllowOverwritingFiles(aAllowOverwritingFiles)
{
}

TXLSFile::~TXLSFile() = default;

TWorkbook& TXLSFile::Book() const
{
    if (!FWorkbook)
        XlsError(ErrNoOpenFile);
    return *FWorkbook;
}

TSheet* TXLSFile::Sheet() const
{
    TWorkbook& B = Book();
    if (FActiveSheet < 1 || FActiveSheet > B.SheetCount())
        return nullptr;
    return &B.Sheets(FActiveSheet - 1);
}

TWorkSheet* TXLSFile::WorkSheet() const
{
    return dynamic_cast<TWorkSheet*>(Sheet());
}

TCellValues* TXLSFile::Cells() const
{
    TSheet* S = Sheet();
    TWorkbookGlobals& G = Book().Globals();
    // Made once for the sheet: reading or writing cell by cell allocates nothing and asks no
    // sheet for its class.
    if (FCellValues && S && S == FCellValuesSheet && FCellValues->Globals().Is1904 == G.GetIs1904())
        return FCellValues.get();
    TWorkSheet* WS = dynamic_cast<TWorkSheet*>(S);
    if (!WS)
        return nullptr;
    TCellGlobals CG;
    CG.SST = &G.SST();
    CG.References = &G.References();
    CG.Workbook = {&G.SheetList().BoundSheets(), &G.Names()};
    CG.XF = &G.XFList();
    CG.Fonts = &G.FontList();
    CG.Formats = &G.FormatList();
    CG.Is1904 = G.GetIs1904();
    FCellValues = std::make_unique<TCellValues>(WS->Cells(), &WS->ColInfoList(), CG);
    FCellValuesSheet = WS;
    return FCellValues.get();
}

bool TXLSFile::Is1904() const
{
    return Book().Globals().GetIs1904();
}

// ---- Life cycle --------------------------------------------------------------------------------

void TXLSFile::Connect()
{
    FCellValues.reset();
    FWorkbook = std::make_unique<TWorkbook>();
}

void TXLSFile::Disconnect()
{
    FCellValues.reset();
    FRowPictures.reset();
    FWorkbook.reset();
}

void TXLSFile::CloseFile() {}

namespace {
// Memory for a whole document read at once: fresh pages the system may back with huge pages and
// need not clear beyond what it must, so that reading a large file costs few page faults.
class TDocumentBuffer {
public:
    explicit TDocumentBuffer(Int64 Size) : FSize(static_cast<size_t>(std::max<Int64>(Size, 1)))
    {
        void* mem = ::mmap(nullptr, FSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mem == MAP_FAILED)
            throw std::bad_alloc();
        ::madvise(mem, FSize, MADV_HUGEPAGE); // advice only
        FData = static_cast<Byte*>(mem);
    }
    ~TDocumentBuffer() { ::munmap(FData, FSize); }
    TDocumentBuffer(const TDocumentBuffer&) = delete;
    TDocumentBuffer& operator=(const TDocumentBuffer&) = delete;
    Byte* Data() const { return FData; }

private:
    size_t FSize;
    Byte* FData = nullptr;
};

// A regular file's bytes from its current position on, mapped read-only for the time of the
// load: the system's cached pages are read in place, with no copy and no fresh memory. The pages
// well behind the place being read are let go as the reading moves on (they come back from the
// cache should a sector there be read again), so that a large file never needs to be all in
// the process's memory at once.
class TMappedFile : public TOle2ViewStream {
public:
    explicit TMappedFile(TStream* Stream) : TOle2ViewStream(nullptr, 0)
    {
        auto* handle = dynamic_cast<THandleStream*>(Stream);
        struct stat st {};
        if (!handle || ::fstat(handle->Handle(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
            return;
        const Int64 pos = Stream->Position();
        if (pos < 0 || pos >= st.st_size)
            return;
        void* mem =
            ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, handle->Handle(), 0);
        if (mem == MAP_FAILED)
            return;
        ::madvise(mem, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL); // advice only
        FMap = static_cast<const Byte*>(mem);
        FMapSize = static_cast<size_t>(st.st_size);
        Reset(FMap + pos, st.st_size - pos);
    }
    ~TMappedFile() override
    {
        if (FMap)
            ::munmap(const_cast<Byte*>(FMap), FMapSize);
    }
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;
    // False when the stream is no regular file or cannot be mapped.
    bool Mapped() const { return FMap != nullptr; }

    const Byte* Direct(Int64 Pos, Int64 Count) const override
    {
        const Byte* p = TOle2ViewStream::Direct(Pos, Count);
        if (p)
            LetGoBehind(static_cast<size_t>(p - FMap));
        return p;
    }

private:
    static constexpr size_t Keep = 1024 * 1024; // kept behind the place read
    const Byte* FMap = nullptr;
    size_t FMapSize = 0;
    mutable size_t FLetGo = 0; // the pages before this offset have been let go

    void LetGoBehind(size_t Offset) const
    {
        if (Offset < FLetGo + 2 * Keep)
            return;
        const size_t upTo = (Offset - Keep) & ~size_t(4095);
        ::madvise(const_cast<Byte*>(FMap) + FLetGo, upTo - FLetGo, MADV_DONTNEED); // advice only
        FLetGo = upTo;
    }
};
} // namespace

void TXLSFile::OpenStream(TStream* Stream)
{
    // A file is mapped and used in place; any other stream is read whole in large blocks: a
    // document is never read sector by sector.
    if (TMappedFile Mapped(Stream); Mapped.Mapped()) {
        // Left at the end, as reading it would leave it.
        Stream->Seek(0, soEnd);
        OpenDocument(Mapped);
        return;
    }
    const Int64 Size = std::max<Int64>(Stream->Size() - Stream->Position(), 0);
    TDocumentBuffer Bytes(Size);
    Int64 Got = 0;
    while (Got < Size) {
        const Integer N =
            Stream->Read(Bytes.Data() + Got, static_cast<Integer>(std::min<Int64>(Size - Got, 1 << 30)));
        if (N <= 0)
            break;
        Got += N;
    }
    TOle2ViewStream In(Bytes.Data(), Got);
    OpenDocument(In);
}

void TXLSFile::OpenDocument(ByteArray Bytes)
{
    TOle2MemoryStream In(std::move(Bytes));
    OpenDocument(In);
}

void TXLSFile::OpenDocument(TOle2Stream& In)
{
    FCellValues.reset();
    TWorkbook& B = Book();
    TOle2File Doc(&In);
    Doc.SelectStream(u"Workbook");
    B.LoadFromStream(Doc);
    // Everything but "Workbook" is kept for the next save, byte for byte.
    TOle2MemoryStream Others;
    Doc.PrepareForWrite(&Others, u"Workbook", {});
    Doc.FinishStream();
    FOtherStreams = std::move(Others.Bytes());
    FRowPictures.reset();
    FActiveSheet = B.GetActiveSheet() + 1;
    FInvalidateFormulas = false;
}

void TXLSFile::OpenFile(const AnsiString& FileName)
{
    if (FAdapter && FAdapter->TemplateStore())
        return OpenDocument(FAdapter->TemplateStore()->GetStoredFile(AnsiToWide(FileName)));
    TFileStream F(FileName, fmOpenRead | fmShareDenyNone);
    OpenStream(&F);
}

void TXLSFile::OpenFileAndSearch(const AnsiString& FileName)
{
    if (FAdapter && !FAdapter->TemplateStore())
        return OpenFile(SearchPathStr(FAdapter->BasePathToOpen(), FileName));
    OpenFile(FileName);
}

void TXLSFile::LoadFromStream(TStream* Stream)
{
    OpenStream(Stream);
}

void TXLSFile::NewFile(Integer SheetCount)
{
    OpenDocument(EmptyWorkbookTemplate());
    if (SheetCount > 1)
        InsertAndCopySheets(-1, 2, SheetCount - 1);
}

// ---- Saving ------------------------------------------------------------------------------------

void TXLSFile::Save(bool /*AutoClose*/, const AnsiString& FileName, const TOnGetFileNameEvent& OnGetFileName,
                    const TOnGetOutStreamEvent& OnGetOutStream, TStream* DataStream)
{
    static const char Delimiters[] = {0, ',', ';', '\t'};
    for (Integer Format = snXLS; Format <= snTabDelimited; ++Format) {
        const auto F = static_cast<TExcelSaveFormatNative>(Format);
        const bool Wanted = FAdapter ? FAdapter->SaveFormat().Contains(F) : F == snXLS;
        if (!Wanted)
            continue;
        AnsiString Name = FileName;
        if (DataStream) {
            if (F == snXLS)
                SaveAsXls(Name, DataStream);
            else
                SaveAsTextDelimited(Name, DataStream, Delimiters[Format]);
            continue;
        }
        if (OnGetOutStream) {
            // The callback takes the bytes of the file written for it.
            TMemoryStream M;
            if (F == snXLS)
                SaveAsXls(Name, &M);
            else
                SaveAsTextDelimited(Name, &M, Delimiters[Format]);
            const Byte* P = static_cast<const Byte*>(M.Memory());
            ByteArray Data(P, P + M.Size());
            OnGetOutStream(this, Format, Data);
            continue;
        }
        if (OnGetFileName) {
            WideString W = AnsiToWide(Name);
            OnGetFileName(this, Format, W);
            Name = WideToAnsi(W);
        }
        if (!FAllowOverwritingFiles && FileExists(Name))
            XlsError(ErrCantWriteToFile, {Name});
        if (F == snXLS)
            SaveAsXls(Name, nullptr);
        else
            SaveAsTextDelimited(Name, nullptr, Delimiters[Format]);
    }
}

void TXLSFile::SaveAsXls(const AnsiString& FileName, TStream* Stream)
{
    if (Stream)
        return SaveAsXls(Stream);
    // Written to a new file beside the target and moved over it once it is complete on disk: a
    // workbook that cannot be saved, a full disk or a crash while writing leaves any file of that
    // name as it was.
    const bool Written = WriteFileReplacing(FileName, [this](int Fd) {
        TOle2FileOutput Out(Fd);
        SaveDocument(Out);
        return Out.Flush();
    });
    if (!Written)
        XlsError(ErrCantWriteToFile, {FileName});
}

void TXLSFile::SaveAsXls(TStream* Stream)
{
    TOle2TStream Out(Stream);
    SaveDocument(Out);
}

void TXLSFile::SaveDocument(TOle2Stream& Out)
{
    TWorkbook& B = Book();
    if (FOtherStreams.empty())
        XlsError(ErrNoOpenFile);
    // The document writes into Out until it is destroyed (it completes itself then when a failed
    // save left it unfinished): Out and Source must outlive it.
    TOle2MemoryStream Source(FOtherStreams);
    TOle2File Doc(&Source);
    Doc.PrepareForWrite(&Out, u"Workbook", {});
    B.SaveToStream(Doc, FInvalidateFormulas);
    Doc.FinishStream();
}

void TXLSFile::SaveAsTextDelimited(const AnsiString&, TStream*, char) {}

// ---- Clipboard ---------------------------------------------------------------------------------

void TXLSFile::CopyToClipboard() {}

void TXLSFile::CopyToClipboard(const TXlsCellRange&) {}

void TXLSFile::PasteFromBiff8(TStream* Stream, Integer Row, Integer Col)
{
    if (!WorkSheet())
        return;
    TXLSFile Source(nullptr);
    Source.Connect();
    Source.LoadFromStream(Stream);
    TWorkbook& SB = Source.Book();
    if (SB.SheetCount() < 1 || !SB.IsWorksheet(0))
        return;
    const TDimensionsRec& D = SB.Sheets(0).FileDimensions();
    CellsChanged();
    Source.SetActiveSheet(1);
    auto SourceCells = Source.Cells();
    auto Here = Cells();
    TWorkbookGlobals& SG = SB.Globals();
    TWorkbookGlobals& G = Book().Globals();
    const bool Date1904 = Is1904();
    // The block is what DIMENSIONS says, kept within a sheet: a damaged record cannot make the
    // paste walk billions of cells.
    const Integer FirstRow = static_cast<Integer>(std::min<LongWord>(D.FirstRow, 65536));
    const Integer LastRow = static_cast<Integer>(std::min<LongWord>(D.LastRow, 65536));
    const Integer FirstCol = std::min<Integer>(D.FirstCol, 256), LastCol = std::min<Integer>(D.LastCol, 256);
    for (Integer R = FirstRow; R < LastRow; ++R)
        for (Integer C = FirstCol; C < LastCol; ++C) {
            TXlsCellValue V;
            TRTFRunList Runs;
            SourceCells->GetValueX2(R, C, V, Runs);
            Integer XF = V.XFIndex < 0 ? 0 : V.XFIndex;
            if (XF >= SG.XFList().Count())
                XF = 0;
            TVovFormat Fmt;
            SG.XFList().Items(XF)->VovFormat(SG.FontList(), SG.FormatList(), Fmt);
            V.XFIndex = AddFormat(Fmt);
            for (TRTFRun& Run : Runs) {
                const TVovFont Font = Source.GetFontList(Run.FontRef);
                Run.FontRef = static_cast<Word>(G.FontList().AddFont(Font));
            }
            Here->SetValueX2(Row + R - FirstRow - 1, Col + C - FirstCol - 1, V, Runs, Date1904);
        }
    Source.Disconnect();
}

void TXLSFile::ParseComments() {}

// ---- Sheets ------------------------------------------------------------------------------------

Integer TXLSFile::SheetCount()
{
    return Book().SheetCount();
}

Integer TXLSFile::GetActiveSheet()
{
    return FActiveSheet;
}

void TXLSFile::SetActiveSheet(Integer Sheet)
{
    FActiveSheet = Sheet;
    FRowPictures.reset();
}

void TXLSFile::SelectSheet(Integer Sheet)
{
    Book().SetActiveSheet(Sheet - 1);
}

bool TXLSFile::IsWorksheet(Integer Sheet)
{
    TWorkbook& B = Book();
    return Sheet >= 1 && Sheet <= B.SheetCount() && B.IsWorksheet(Sheet - 1);
}

WideString TXLSFile::GetActiveSheetName()
{
    return Book().Globals().GetSheetName(FActiveSheet - 1);
}

void TXLSFile::SetActiveSheetName(const WideString& Name)
{
    Book().Globals().SetSheetName(FActiveSheet - 1, Name);
}

WideString TXLSFile::GetActiveSheetCodeName()
{
    TSheet* S = Sheet();
    return S ? S->GetCodeName() : WideString();
}

void TXLSFile::SetActiveSheetCodeName(const WideString& Name)
{
    TWorkbook& B = Book();
    for (Integer i = 0; i < B.SheetCount(); ++i)
        if (B.Sheets(i).GetCodeName() == Name)
            XlsError(ErrDuplicatedSheetName, {WideToAnsi(Name)});
    if (TSheet* S = Sheet())
        S->SetCodeName(Name);
}

TXlsSheetVisible TXLSFile::GetActiveSheetVisible()
{
    return Book().Globals().GetSheetVisible(FActiveSheet - 1);
}

void TXLSFile::SetActiveSheetVisible(TXlsSheetVisible Value)
{
    Book().Globals().SetSheetVisible(FActiveSheet - 1, Value);
}

void TXLSFile::CellsChanged(Integer Row, Integer Col)
{
    FInvalidateFormulas = true;
    if (TSheet* S = Sheet()) {
        if (Row < 0)
            S->MarkValuesChanged();
        else
            S->MarkCellChanged(Row, Col);
    }
}

// ---- Workbook flags and options -----------------------------------------------------------------

bool TXLSFile::GetInvalidateFormulas()
{
    return FInvalidateFormulas;
}

void TXLSFile::SetInvalidateFormulas(bool Value)
{
    FInvalidateFormulas = Value;
}

bool TXLSFile::GetIsXltTemplate()
{
    return Book().GetIsXltTemplate();
}

void TXLSFile::SetIsXltTemplate(bool Value)
{
    Book().SetIsXltTemplate(Value);
}

bool TXLSFile::GetOptions1904Dates()
{
    return Is1904();
}

void TXLSFile::SetOptions1904Dates(bool Value)
{
    Book().Globals().SetIs1904(Value);
}

bool TXLSFile::GetOptionsPrecisionAsDisplayed()
{
    return Book().Globals().GetPrecisionAsDisplayed();
}

void TXLSFile::SetOptionsPrecisionAsDisplayed(bool Value)
{
    Book().Globals().SetPrecisionAsDisplayed(Value);
}

bool TXLSFile::GetOptionsSaveExternalLinkValues()
{
    return Book().Globals().GetSaveExternalLinkValues();
}

void TXLSFile::SetOptionsSaveExternalLinkValues(bool Value)
{
    Book().Globals().SetSaveExternalLinkValues(Value);
}

bool TXLSFile::GetOptionsR1C1()
{
    TWorkbook& B = Book();
    for (Integer i = 0; i < B.SheetCount(); ++i)
        if (B.IsWorksheet(i))
            return B.Sheets(i).GetIsR1C1();
    return false;
}

void TXLSFile::SetOptionsR1C1(bool Value)
{
    TWorkbook& B = Book();
    for (Integer i = 0; i < B.SheetCount(); ++i)
        if (B.IsWorksheet(i))
            B.Sheets(i).SetIsR1C1(Value);
}

void TXLSFile::RefreshPivotTables() {}

void TXLSFile::RefreshChartRanges(const TXlsCellRange&) {}

void TXLSFile::BeginSheet()
{
    FRowPictures = std::make_unique<TRowComments>();
    if (TWorkSheet* WS = WorkSheet()) {
        TDrawing& D = WS->Drawing();
        for (Integer i = 0; i < D.DrawingCount(); ++i)
            FRowPictures->Add(D.GetDrawingRow(i) + 1, i);
        const std::vector<TLoosePicture> loose = WS->LoosePictures();
        for (size_t k = 0; k < loose.size(); ++k)
            FRowPictures->Add(LoosePictureAnchor(loose[k]).StartRow + 1,
                              D.DrawingCount() + static_cast<Integer>(k));
    }
}

void TXLSFile::EndSheet() {}

bool TXLSFile::CanOptimizeRead()
{
    return true;
}
