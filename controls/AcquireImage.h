#pragma once

// TAcquireImage: acquires one picture from a scanner or camera through an image acquisition data
// source manager: loads the manager, opens it for the active window, chooses a source, opens it,
// enables it and waits in a message loop of its own for the picture, which it hands over as a
// DIB memory block, on the clipboard, as a bitmap or as a JPEG picture. Every failure comes back
// as a code (0 success, 3 cancelled, 32768 + condition code, or 1) and through OnTwainError.
//
// The manager is the SANE stand-in of this library (SaneManager.h) unless another one is set
// with SetTwainManager (tests put a scripted one there).
//
// Everything runs on the calling (user-interface) thread; while waiting, the component pumps
// the thread's window messages itself. A WM_QUIT that arrives meanwhile ends the wait as a
// cancel and is posted again for the application's own loop.

#include "controls/Twainh.h"

#include "platform/forms/Graphics.h"
#include "platform/forms/Jpeg.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Windows.h"

#include <functional>

using TTwainErrorEvent = std::function<void(TObject* Sender, Integer state, Integer error)>;

struct TSourceInfo {
    AnsiString ProtocolVersion;
    AnsiString Manufacturer;
    AnsiString ProductFamily;
    AnsiString ProductName;
    AnsiString Version;
    Integer Language = 0;
    AnsiString Info;
};

// The data source manager LoadTwainModule finds from now on (nullptr: none, so loading fails);
// ResetTwainManager goes back to the SANE stand-in.
void SetTwainManager(DSMENTRYPROC Entry);
void ResetTwainManager();

class TAcquireImage : public TComponent {
public:
    explicit TAcquireImage(TComponent* AOwner);
    ~TAcquireImage() override;
    TAcquireImage(const TAcquireImage&) = delete;
    TAcquireImage& operator=(const TAcquireImage&) = delete;

    bool SHOWhideUI() const { return FShowUI; }
    void SetSHOWhideUI(bool Value) { FShowUI = Value; }
    Word AppVersionMajorNum() const { return FAppId.Version.MajorNum; }
    void SetAppVersionMajorNum(Word Value) { FAppId.Version.MajorNum = Value; }
    Word AppVersionMinorNum() const { return FAppId.Version.MinorNum; }
    void SetAppVersionMinorNum(Word Value) { FAppId.Version.MinorNum = Value; }
    Word Language() const { return FAppId.Version.Language; }
    void SetLanguage(Word Value) { FAppId.Version.Language = Value; }
    Word Country() const { return FAppId.Version.Country; }
    void SetCountry(Word Value) { FAppId.Version.Country = Value; }
    // Identity texts, cut to 33 characters.
    AnsiString AppInfo() const { return FAppId.Version.Info; }
    void SetAppInfo(const AnsiString& Value);
    AnsiString AppManufacturer() const { return FAppId.Manufacturer; }
    void SetAppManufacturer(const AnsiString& Value);
    AnsiString AppProductFamily() const { return FAppId.ProductFamily; }
    void SetAppProductFamily(const AnsiString& Value);
    AnsiString AppProductName() const { return FAppId.ProductName; }
    void SetAppProductName(const AnsiString& Value);

    TTwainErrorEvent OnTwainError;

    bool LoadTwainModule();
    bool UnLoadTwainModule();
    Word OpenSourceManager();
    // The default source (DefaultOnly) or the one the person selects; its product name.
    AnsiString GetSource(bool DefaultOnly);
    // A new list (owned by the caller) of every source's product name; none when the manager
    // is not loaded or the first query fails.
    void GetSources(TStringList*& List);
    Word SelectSource(const AnsiString& Name);
    Word OpenSource();
    // The picture as a packed DIB memory block (GlobalAlloc) that the caller then owns.
    Word AcquirehDIB(HGLOBAL& hDIB);
    Word AcquireToClipboard();
    // A new bitmap / JPEG picture owned by the caller; the clipboard is left empty.
    Word AcquireBmp(TBitmap*& Bitmap);
    Word AcquireJpg(TJPEGImage*& Jpeg, Integer Quality);
    Word GetImageInfo(TW_IMAGEINFO& Info);
    TSourceInfo GetSourceInfo() const;
    Word CloseTwainSession();

private:
    TW_UINT16 Call(pTW_IDENTITY Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data);
    Word ErrorType();
    Word Result(TW_UINT16 Rc);
    void Fail(Integer State, Word Error);
    Word AcquireNative(HGLOBAL& hDIB, bool& Done);
    static void CopyIdentityText(char (&Field)[34], const AnsiString& Value);

    bool FShowUI = true;
    bool FLoaded = false;
    DSMENTRYPROC FEntry = nullptr;
    TW_IDENTITY FAppId{};
    TW_IDENTITY FSourceId{};
    TW_CAPABILITY FCap{};
    HWND FParent = nullptr;
    TW_USERINTERFACE FUI{};
    TW_EVENT FEvent{};
};
