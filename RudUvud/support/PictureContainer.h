#pragma once

// Pictures that mini-HTML names: THTMLPicture keeps the bytes of an image file and shows them,
// with frame-by-frame access to animated GIF files; THTMLPictureCache finds pictures by the
// address an IMG gave; TPictureContainer holds named pictures set up at design time; THTMLImage
// is a graphic control that shows one picture.
//
// Picture bytes come from cells, clipboards and files: every reader stays inside them, a
// damaged file leaves an empty or undecoded picture, and nothing here reads a file that is not
// a regular file of reasonable size.

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Collections.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Lists.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using TDownLoadProgressEvent = std::function<void(TObject* Sender, DWORD Size, DWORD TotSize)>;
using TDownLoadCancelEvent = std::function<void(TObject* Sender, bool& Cancel)>;
using TDownLoadErrorEvent = std::function<void(TObject* Sender, const AnsiString& Err)>;

// The decoding errors.
inline constexpr const char* SImageInvalidFormat = "Could not load image. Invalid format";
inline constexpr const char* SImageNotLoaded = "Could not load image";

// The largest picture file read through a FILE:// address or LoadFromFile.
inline constexpr std::int64_t MaxPictureFileSize = std::int64_t(64) << 20;

class THTMLPicture : public TGraphic {
public:
    THTMLPicture();
    ~THTMLPicture() override;

    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FEmpty; }
    // The decoded picture's size in pixels at the picture's logical resolution; 0 when nothing
    // is decoded.
    Integer Width() const override;
    Integer Height() const override;
    void SetWidth(Integer) override {}
    void SetHeight(Integer) override {}

    // Swallows every failure: a missing, unreadable or undecodable file leaves the picture empty.
    void LoadFromFile(const AnsiString& FileName);
    // Keeps the bytes and decodes them; a decoding failure is raised (the bytes stay).
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void LoadFromClipboardFormat(UINT, const std::vector<Byte>&) override {}
    void SaveToClipboardFormat(UINT&, std::vector<Byte>&) override {}
    // An embedded resource of the raw-data type ("RCDATA"); nothing when there is none.
    void LoadFromResourceName(const void* Instance, const AnsiString& Name);
    void LoadFromResourceID(const void* Instance, Integer ResID);
    // "RES://name" and "FILE://path" load (failures leave the picture empty); any other address
    // is remembered but never fetched.
    void LoadFromURL(const AnsiString& URL);

    // Stretched: into Rect. Otherwise at Rect's top-left at the natural size for the canvas's
    // resolution.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // The animation's screen size when the file gives one, else Width/Height.
    Integer GetMaxWidth() const;
    Integer GetMaxHeight() const;
    bool IsGIFFile() const;
    // Frames of a GIF file (-1 for other files); counted once by walking the file's blocks.
    Integer GetFrameCount();
    // The delay of frame n (1-based) in hundredths of a second; -1 when there is none.
    Integer GetFrameTime(Integer n);
    Integer Frame() const { return FFrame; }
    // Selects frame n and decodes it; raises on damaged frame data.
    void SetFrame(Integer n);
    void FrameNext();
    void FramePrev();
    // One animation tick (a tenth of a second); true when the picture moved to another frame.
    bool Step();
    bool GetStretched() const { return FStretch; }
    void SetStretched(bool Value) { FStretch = Value; }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { FStretch = Value; }

    // The current frame's offsets inside the animation.
    Integer FrameXPos() const { return FFrameXPos; }
    Integer FrameYPos() const { return FFrameYPos; }

    const AnsiString& ID() const { return FID; }
    void SetID(const AnsiString& Value) { FID = Value; }
    const AnsiString& URL() const { return FURL; }
    bool Asynchronous() const { return FAsynchronous; }
    void SetAsynchronous(bool Value) { FAsynchronous = Value; }
    bool DownLoadBusy() const { return FBusy; }
    Integer LogPixels() const { return FLogPixels; }
    void SetLogPixels(Integer Value) { FLogPixels = Value > 0 ? Value : 96; }
    const std::vector<Byte>& Data() const { return FData; }
    bool Decoded() const { return FDecoded != nullptr; }

    void DownLoadProgress(DWORD Size, DWORD TotSize);
    void DownLoadCancel(bool& Cancel);
    void DownLoadComplete();
    void DownLoadError(const AnsiString& Err);

    TNotifyEvent OnFrameChange;
    TDownLoadProgressEvent OnDownLoadProgress;
    TDownLoadCancelEvent OnDownLoadCancel;
    TNotifyEvent OnDownLoadComplete;
    TDownLoadErrorEvent OnDownLoadError;

protected:
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;

private:
    void LoadPicture();
    void ReadBytes(TStream* Stream);
    void ResetFrames();

    std::vector<Byte> FData;
    bool FEmpty = true;
    std::unique_ptr<TBitmap> FDecoded;
    Integer FLogPixels = 96;
    AnsiString FID, FURL;
    bool FAsynchronous = true;
    bool FBusy = false;
    bool FStretch = false;
    Integer FFrame = 1;
    Integer FFrameCount = -1;
    Integer FFrameXPos = 0, FFrameYPos = 0;
    Integer FAnimWidth = 0, FAnimHeight = 0;
    Integer FNextFrameTime = -1;
    Integer FTicks = -1;
};

// Pictures found by the address that named them; the cache owns them.
class THTMLPictureCache : public TList {
public:
    ~THTMLPictureCache() override;
    THTMLPicture* AddPicture();
    // The first picture whose ID equals Name exactly; nullptr when none.
    THTMLPicture* FindPicture(const AnsiString& Name) const;
    THTMLPicture* GetPicture(Integer Index) const;
    // Replaces (and frees) the picture at Index.
    void SetPicture(Integer Index, THTMLPicture* Value);
    void ClearPictures();
    // Steps every picture; true when any moved to another frame.
    bool Animate();
};

class TPictureItem : public TCollectionItem {
public:
    explicit TPictureItem(TCollection* Collection);
    ~TPictureItem() override;
    void Assign(TPersistent* Source) override;

    THTMLPicture* Picture() const { return FPicture.get(); }
    void SetPicture(THTMLPicture* Value) { FPicture->Assign(Value); }
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value) { FName = Value; }
    Integer Tag() const { return FTag; }
    void SetTag(Integer Value) { FTag = Value; }

private:
    std::unique_ptr<THTMLPicture> FPicture;
    AnsiString FName;
    Integer FTag = 0;
};

class TPictureCollection : public TOwnedCollection {
public:
    explicit TPictureCollection(TComponent* AOwner);
    TPictureItem* Add() { return static_cast<TPictureItem*>(TCollection::Add()); }
    TPictureItem* Insert(Integer Index) { return static_cast<TPictureItem*>(TCollection::Insert(Index)); }
    TPictureItem* Items(Integer Index) const { return static_cast<TPictureItem*>(TCollection::Items(Index)); }
    bool Animate();
};

class TPictureContainer : public TComponent {
public:
    explicit TPictureContainer(TComponent* AOwner);
    ~TPictureContainer() override;

    TPictureCollection* Items() const { return FItems.get(); }
    // "1.0.0.0"; setting it changes nothing.
    AnsiString Version() const;
    void SetVersion(const AnsiString&) {}
    // The picture of the first item whose Name equals Name without regard to ASCII case.
    virtual THTMLPicture* FindPicture(const AnsiString& Name);

private:
    std::unique_ptr<TPictureCollection> FItems;
};

enum TPicturePosition { bpTopLeft, bpTopRight, bpBottomLeft, bpBottomRight, bpCenter, bpTiled, bpStretched };

class THTMLImage : public TGraphicControl {
public:
    explicit THTMLImage(TComponent* AOwner);
    ~THTMLImage() override;

    THTMLPicture* HTMLPicture() const { return FHTMLPicture.get(); }
    void SetHTMLPicture(THTMLPicture* Value);
    TPicturePosition PicturePosition() const { return FPicturePosition; }
    void SetPicturePosition(TPicturePosition Value);

    TDownLoadErrorEvent OnDownLoadError;
    TNotifyEvent OnDownLoadComplete;
    TDownLoadCancelEvent OnDownLoadCancel;
    TDownLoadProgressEvent OnDownLoadProgress;

    void Loaded() override;
    void Paint() override;

private:
    std::unique_ptr<THTMLPicture> FHTMLPicture;
    TPicturePosition FPicturePosition = bpTopLeft;
};
