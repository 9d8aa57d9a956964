#include "RudUvud/support/PictureContainer.h"

#include "RudUvud/support/GifFile.h"
#include "RudUvud/support/WinMetafile.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Gdi.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace {

bool HasPrefixNoCase(const AnsiString& S, const char* Prefix)
{
    const std::size_t N = std::strlen(Prefix);
    return S.size() >= N && UpperCase(S.substr(0, N)) == Prefix;
}

// Reads a whole regular file of at most MaxPictureFileSize bytes; false for anything else
// (devices, pipes and directories never end or make no sense as pictures).
bool ReadPictureFile(const AnsiString& FileName, std::vector<Byte>& Bytes)
{
    struct stat Info;
    if (FileName.empty() || ::stat(FileName.c_str(), &Info) != 0 || !S_ISREG(Info.st_mode) ||
        Info.st_size > MaxPictureFileSize)
        return false;
    std::FILE* File = std::fopen(FileName.c_str(), "rb");
    if (!File)
        return false;
    TScopeExit Closing([File] { std::fclose(File); });
    Bytes.resize(std::size_t(Info.st_size));
    const std::size_t Read = Bytes.empty() ? 0 : std::fread(Bytes.data(), 1, Bytes.size(), File);
    Bytes.resize(Read);
    return true;
}

HBITMAP DecodeStill(const std::vector<Byte>& Bytes)
{
    const Byte* P = Bytes.data();
    const std::size_t N = Bytes.size();
    if (N >= 2 && P[0] == 'B' && P[1] == 'M')
        return LoadBmp(P, N);
    if (N >= 8 && std::memcmp(P, "\x89PNG", 4) == 0)
        return LoadPng(P, N);
    if (N >= 3 && P[0] == 0xFF && P[1] == 0xD8)
        return LoadJpeg(P, N);
    if (N >= 6 && P[0] == 0 && P[1] == 0 && (P[2] == 1 || P[2] == 2) && P[3] == 0) {
        std::vector<IconImage> Images = LoadIco(P, N);
        TOwnedBitmap Best;
        int BestArea = -1;
        for (IconImage& I : Images) {
            TOwnedBitmap Image(I.Image);
            if (I.Width * I.Height > BestArea) {
                Best = std::move(Image);
                BestArea = I.Width * I.Height;
            }
        }
        return Best.release();
    }
    if (IsWinMetafile(P, N))
        return PlayWinMetafile(P, N);
    return nullptr;
}

} // namespace

// ---- THTMLPicture ------------------------------------------------------------------------------

THTMLPicture::THTMLPicture() = default;
THTMLPicture::~THTMLPicture() = default;

Integer THTMLPicture::Width() const
{
    return FDecoded ? FDecoded->Width() * FLogPixels / 96 : 0;
}

Integer THTMLPicture::Height() const
{
    return FDecoded ? FDecoded->Height() * FLogPixels / 96 : 0;
}

void THTMLPicture::ResetFrames()
{
    FFrameCount = -1;
    FNextFrameTime = -1;
    FTicks = -1;
}

void THTMLPicture::Assign(TPersistent* Source)
{
    FEmpty = true;
    FDecoded.reset();
    ResetFrames();
    FFrame = 1;
    if (!Source) {
        FData.clear();
        return;
    }
    auto* Other = dynamic_cast<THTMLPicture*>(Source);
    if (!Other)
        return;
    FStretch = Other->FStretch;
    FFrame = Other->FFrame;
    FID = Other->FID;
    FData = Other->FData;
    if (!FData.empty()) {
        FEmpty = false;
        try {
            LoadPicture();
        } catch (const Exception&) {
            // The bytes stay; the picture just draws nothing, as after a failed decode.
        }
    }
    Changed();
}

void THTMLPicture::LoadPicture()
{
    FFrameXPos = FFrameYPos = 0;
    FAnimWidth = FAnimHeight = 0;
    FDecoded.reset();
    HBITMAP Bitmap = nullptr;
    try {
        if (IsGIFFile()) {
            const TGifLayout Layout = GifWalk(FData.data(), FData.size());
            FAnimWidth = Layout.ScreenWidth;
            FAnimHeight = Layout.ScreenHeight;
            if (Layout.Frames.empty())
                throw EInvalidGraphic(SImageInvalidFormat);
            std::size_t Index = FFrame >= 1 && std::size_t(FFrame) <= Layout.Frames.size() ? FFrame - 1 : 0;
            FFrameXPos = Layout.Frames[Index].Left;
            FFrameYPos = Layout.Frames[Index].Top;
            Bitmap = GifDecodeFrame(FData.data(), FData.size(), Layout, Index);
        } else {
            Bitmap = DecodeStill(FData);
        }
    } catch (const EInvalidGraphic&) {
        throw Exception(SImageInvalidFormat);
    }
    if (!Bitmap)
        throw Exception(SImageInvalidFormat);
    auto Decoded = std::make_unique<TBitmap>();
    Decoded->SetHandle(Bitmap);
    FDecoded = std::move(Decoded);
}

void THTMLPicture::ReadBytes(TStream* Stream)
{
    const Int64 Count = Stream->Size() - Stream->Position();
    FData.assign(std::size_t(Count > 0 ? Count : 0), 0);
    if (!FData.empty())
        Stream->ReadBuffer(FData.data(), Integer(FData.size()));
    ResetFrames();
    FEmpty = FData.empty();
}

void THTMLPicture::LoadFromFile(const AnsiString& FileName)
{
    std::vector<Byte> Bytes;
    if (!ReadPictureFile(FileName, Bytes))
        return;
    FData = std::move(Bytes);
    ResetFrames();
    FEmpty = false;
    try {
        LoadPicture();
    } catch (const Exception&) {
        FEmpty = true;
        FDecoded.reset();
        return;
    }
    Changed();
}

void THTMLPicture::LoadFromStream(TStream* Stream)
{
    if (!Stream)
        return;
    ReadBytes(Stream);
    if (FEmpty)
        return;
    LoadPicture();
    Changed();
}

void THTMLPicture::ReadData(TStream* Stream)
{
    if (!Stream)
        return;
    ReadBytes(Stream);
    if (!FEmpty)
        LoadPicture();
}

void THTMLPicture::SaveToStream(TStream* Stream)
{
    if (Stream && !FData.empty())
        Stream->WriteBuffer(FData.data(), Integer(FData.size()));
}

void THTMLPicture::WriteData(TStream* Stream)
{
    SaveToStream(Stream);
}

void THTMLPicture::LoadFromResourceName(const void*, const AnsiString& Name)
{
    const TEmbeddedResource* Res = FindEmbeddedResource(Name, "RCDATA");
    if (!Res)
        return;
    TMemoryStream Stream;
    Stream.WriteBuffer(Res->Data, Integer(Res->Size));
    Stream.Seek(0, soBeginning);
    LoadFromStream(&Stream);
}

void THTMLPicture::LoadFromResourceID(const void* Instance, Integer ResID)
{
    LoadFromResourceName(Instance, IntToStr(ResID));
}

void THTMLPicture::LoadFromURL(const AnsiString& URL)
{
    if (HasPrefixNoCase(URL, "RES://")) {
        FID = URL;
        // A resource that is not a picture must not break the paint that asked for it.
        try {
            LoadFromResourceName(nullptr, URL.substr(6));
        } catch (const Exception&) {
            FEmpty = true;
            FDecoded.reset();
        }
        return;
    }
    if (HasPrefixNoCase(URL, "FILE://")) {
        FID = URL;
        const AnsiString Path = URL.substr(7);
        if (!Path.empty())
            LoadFromFile(Path);
        return;
    }
    // Nothing is fetched from other addresses; the picture stays empty. An asynchronous request
    // marks the picture busy so that it is asked for once only.
    if (!FAsynchronous) {
        FURL = URL;
        FID = URL;
    } else if (!FBusy) {
        FURL = URL;
        FBusy = true;
    }
}

void THTMLPicture::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (FEmpty || !FDecoded || !ACanvas)
        return;
    if (FStretch) {
        ACanvas->StretchDraw(Rect, FDecoded.get());
        return;
    }
    const Integer Ppi = ACanvas->Font()->PixelsPerInch();
    const Integer W = FDecoded->Width() * Ppi / 96, H = FDecoded->Height() * Ppi / 96;
    if (W == FDecoded->Width() && H == FDecoded->Height())
        ACanvas->Draw(Rect.Left, Rect.Top, FDecoded.get());
    else
        ACanvas->StretchDraw(TRect{Rect.Left, Rect.Top, Rect.Left + W, Rect.Top + H}, FDecoded.get());
}

Integer THTMLPicture::GetMaxWidth() const
{
    if (!FDecoded)
        return 0;
    return FAnimWidth != 0 ? FAnimWidth : Width();
}

Integer THTMLPicture::GetMaxHeight() const
{
    if (!FDecoded)
        return 0;
    return FAnimHeight != 0 ? FAnimHeight : Height();
}

bool THTMLPicture::IsGIFFile() const
{
    return FData.size() > 4 && std::memcmp(FData.data(), "GIF8", 4) == 0;
}

Integer THTMLPicture::GetFrameCount()
{
    if (FFrameCount != -1)
        return FFrameCount;
    if (!IsGIFFile())
        return -1;
    FFrameCount = Integer(GifWalk(FData.data(), FData.size()).Frames.size());
    return FFrameCount;
}

Integer THTMLPicture::GetFrameTime(Integer n)
{
    if (!IsGIFFile() || n < 1)
        return -1;
    const TGifLayout Layout = GifWalk(FData.data(), FData.size());
    if (std::size_t(n) > Layout.Frames.size())
        return -1;
    return Layout.Frames[std::size_t(n) - 1].Delay;
}

void THTMLPicture::SetFrame(Integer n)
{
    FFrame = n;
    if (FData.empty())
        return;
    LoadPicture();
    if (OnFrameChange)
        OnFrameChange(this);
}

void THTMLPicture::FrameNext()
{
    FFrame = FFrame < GetFrameCount() ? FFrame + 1 : 1;
}

void THTMLPicture::FramePrev()
{
    FFrame = FFrame > 1 ? FFrame - 1 : std::max<Integer>(GetFrameCount(), 1);
}

bool THTMLPicture::Step()
{
    if (GetFrameCount() < 2 || FEmpty)
        return false;
    if (FNextFrameTime == -1)
        FNextFrameTime = GetFrameTime(FFrame);
    bool Moved = false;
    if (FTicks * 10 >= FNextFrameTime) {
        FrameNext();
        try {
            SetFrame(FFrame);
        } catch (const Exception&) {
            // A damaged frame is skipped; the animation timer must not fail.
        }
        FNextFrameTime += std::max<Integer>(GetFrameTime(FFrame), 0);
        Moved = true;
    }
    ++FTicks;
    return Moved;
}

void THTMLPicture::DownLoadProgress(DWORD Size, DWORD TotSize)
{
    if (OnDownLoadProgress)
        OnDownLoadProgress(this, Size, TotSize);
}

void THTMLPicture::DownLoadCancel(bool& Cancel)
{
    if (OnDownLoadCancel)
        OnDownLoadCancel(this, Cancel);
}

void THTMLPicture::DownLoadComplete()
{
    if (OnDownLoadComplete)
        OnDownLoadComplete(this);
}

void THTMLPicture::DownLoadError(const AnsiString& Err)
{
    if (OnDownLoadError)
        OnDownLoadError(this, Err);
}

// ---- THTMLPictureCache ---------------------------------------------------------------------------

THTMLPictureCache::~THTMLPictureCache()
{
    ClearPictures();
}

THTMLPicture* THTMLPictureCache::AddPicture()
{
    auto* Picture = New<THTMLPicture>();
    Add(Picture);
    return Picture;
}

THTMLPicture* THTMLPictureCache::FindPicture(const AnsiString& Name) const
{
    for (Integer I = 0; I < Count(); ++I)
        if (GetPicture(I)->ID() == Name)
            return GetPicture(I);
    return nullptr;
}

THTMLPicture* THTMLPictureCache::GetPicture(Integer Index) const
{
    return static_cast<THTMLPicture*>(Items(Index));
}

void THTMLPictureCache::SetPicture(Integer Index, THTMLPicture* Value)
{
    THTMLPicture* Old = GetPicture(Index);
    SetItems(Index, Value);
    if (Old != Value)
        delete Old;
}

void THTMLPictureCache::ClearPictures()
{
    for (Integer I = 0; I < Count(); ++I)
        delete GetPicture(I);
    Clear();
}

bool THTMLPictureCache::Animate()
{
    bool Moved = false;
    for (Integer I = 0; I < Count(); ++I)
        Moved = GetPicture(I)->Step() || Moved;
    return Moved;
}

// ---- Collection and container ------------------------------------------------------------------

TPictureItem::TPictureItem(TCollection* Collection)
    : TCollectionItem(Collection), FPicture(std::make_unique<THTMLPicture>())
{
}

TPictureItem::~TPictureItem() = default;

void TPictureItem::Assign(TPersistent* Source)
{
    auto* Other = dynamic_cast<TPictureItem*>(Source);
    if (!Other) {
        TCollectionItem::Assign(Source);
        return;
    }
    FPicture->Assign(Other->FPicture.get());
    FName = Other->FName;
    FTag = Other->FTag;
}

TPictureCollection::TPictureCollection(TComponent* AOwner)
    : TOwnedCollection(AOwner, ItemClassOf<TPictureItem>())
{
}

bool TPictureCollection::Animate()
{
    bool Moved = false;
    for (Integer I = 0; I < Count(); ++I)
        Moved = Items(I)->Picture()->Step() || Moved;
    return Moved;
}

TPictureContainer::TPictureContainer(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TPictureCollection>(this))
{
}

TPictureContainer::~TPictureContainer() = default;

AnsiString TPictureContainer::Version() const
{
    const std::uint32_t Nr = 0x01000000; // major 1, minor 0, release 0, build 0
    return IntToStr(Nr >> 24) + "." + IntToStr((Nr >> 16) & 0xFF) + "." + IntToStr((Nr >> 8) & 0xFF) + "." +
           IntToStr(Nr & 0xFF);
}

THTMLPicture* TPictureContainer::FindPicture(const AnsiString& Name)
{
    const AnsiString Wanted = UpperCase(Name);
    for (Integer I = 0; I < FItems->Count(); ++I)
        if (UpperCase(FItems->Items(I)->Name()) == Wanted)
            return FItems->Items(I)->Picture();
    return nullptr;
}

// ---- THTMLImage --------------------------------------------------------------------------------

THTMLImage::THTMLImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FHTMLPicture(std::make_unique<THTMLPicture>())
{
    SetBounds(Left(), Top(), 100, 100);
    FHTMLPicture->OnChange = [this](TObject*) { Invalidate(); };
    FHTMLPicture->OnDownLoadError = [this](TObject*, const AnsiString& Err) {
        if (OnDownLoadError)
            OnDownLoadError(this, Err);
    };
    FHTMLPicture->OnDownLoadComplete = [this](TObject*) {
        if (OnDownLoadComplete)
            OnDownLoadComplete(this);
    };
    FHTMLPicture->OnDownLoadCancel = [this](TObject*, bool& Cancel) {
        if (OnDownLoadCancel)
            OnDownLoadCancel(this, Cancel);
    };
    FHTMLPicture->OnDownLoadProgress = [this](TObject*, DWORD Size, DWORD Total) {
        if (OnDownLoadProgress)
            OnDownLoadProgress(this, Size, Total);
    };
}

THTMLImage::~THTMLImage() = default;

void THTMLImage::SetHTMLPicture(THTMLPicture* Value)
{
    FHTMLPicture->Assign(Value);
    Invalidate();
}

void THTMLImage::SetPicturePosition(TPicturePosition Value)
{
    if (Value != FPicturePosition) {
        FPicturePosition = Value;
        Invalidate();
    }
}

void THTMLImage::Loaded()
{
    TGraphicControl::Loaded();
    FHTMLPicture->SetLogPixels(Canvas()->Font()->PixelsPerInch());
}

void THTMLImage::Paint()
{
    THTMLPicture* P = FHTMLPicture.get();
    if (!P || P->Empty())
        return;
    const Integer PW = P->Width(), PH = P->Height();
    const Integer DX = std::max<Integer>(Width() - PW, 0), DY = std::max<Integer>(Height() - PH, 0);
    auto DrawAt = [&](Integer X, Integer Y) { P->Draw(Canvas(), TRect{X, Y, X + PW, Y + PH}); };
    switch (FPicturePosition) {
    case bpTopLeft:
        DrawAt(0, 0);
        break;
    case bpTopRight:
        DrawAt(DX, 0);
        break;
    case bpBottomLeft:
        DrawAt(0, DY);
        break;
    case bpBottomRight:
        DrawAt(DX, DY);
        break;
    case bpCenter:
        DrawAt(DX / 2, DY / 2);
        break;
    case bpTiled:
        if (PW > 0 && PH > 0)
            for (Integer Y = 0; Y < Height(); Y += PH)
                for (Integer X = 0; X < Width(); X += PW)
                    DrawAt(X, Y);
        break;
    case bpStretched: {
        const bool Was = P->GetStretched();
        P->SetStretched(true);
        P->Draw(Canvas(), TRect{0, 0, Width(), Height()});
        P->SetStretched(Was);
        break;
    }
    }
}
