#include "controls/AcquireImage.h"

#include "controls/SaneManager.h"

#include "platform/forms/Clipbrd.h"
#include "platform/win/Clipboard.h"

#include <cstring>
#include <memory>

namespace {

struct TManagerChoice {
    bool Replaced = false;
    DSMENTRYPROC Entry = nullptr;
};

TManagerChoice& ManagerChoice()
{
    static TManagerChoice Choice;
    return Choice;
}

} // namespace

void SetTwainManager(DSMENTRYPROC Entry)
{
    ManagerChoice() = {true, Entry};
}

void ResetTwainManager()
{
    ManagerChoice() = {};
}

TAcquireImage::TAcquireImage(TComponent* AOwner) : TComponent(AOwner)
{
    CopyIdentityText(FAppId.Version.Info, "Twain Freeware Component");
    CopyIdentityText(FAppId.Manufacturer, "none");
    CopyIdentityText(FAppId.ProductFamily, "none");
    CopyIdentityText(FAppId.ProductName, "none");
}

TAcquireImage::~TAcquireImage() = default;

void TAcquireImage::CopyIdentityText(char (&Field)[34], const AnsiString& Value)
{
    // At most 33 bytes and always a terminating NUL.
    std::memset(Field, 0, sizeof Field);
    std::memcpy(Field, Value.data(), std::min<std::size_t>(Value.size(), sizeof Field - 1));
}

void TAcquireImage::SetAppInfo(const AnsiString& Value)
{
    CopyIdentityText(FAppId.Version.Info, Value);
}
void TAcquireImage::SetAppManufacturer(const AnsiString& Value)
{
    CopyIdentityText(FAppId.Manufacturer, Value);
}
void TAcquireImage::SetAppProductFamily(const AnsiString& Value)
{
    CopyIdentityText(FAppId.ProductFamily, Value);
}
void TAcquireImage::SetAppProductName(const AnsiString& Value)
{
    CopyIdentityText(FAppId.ProductName, Value);
}

TW_UINT16 TAcquireImage::Call(pTW_IDENTITY Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF Data)
{
    return FEntry(&FAppId, Dest, DG, DAT, MSG, Data);
}

// The error type of a failure: the status call's own failure, else 32768 + the condition
// code, else 1.
Word TAcquireImage::ErrorType()
{
    TW_STATUS Status{};
    TW_UINT16 Rc = Call(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &Status);
    if (Rc != TWRC_SUCCESS)
        return Rc;
    if (Status.ConditionCode != 0)
        return static_cast<Word>(32768 + Status.ConditionCode);
    return 1;
}

Word TAcquireImage::Result(TW_UINT16 Rc)
{
    return Rc == TWRC_FAILURE ? ErrorType() : Rc;
}

void TAcquireImage::Fail(Integer State, Word Error)
{
    if (Error != 0 && OnTwainError)
        OnTwainError(this, State, Error);
}

bool TAcquireImage::LoadTwainModule()
{
    const TManagerChoice& Choice = ManagerChoice();
    FEntry = Choice.Replaced ? Choice.Entry : SaneDSMEntry;
    FLoaded = FEntry != nullptr;
    return FLoaded;
}

bool TAcquireImage::UnLoadTwainModule()
{
    bool Was = FLoaded;
    FLoaded = false;
    FEntry = nullptr;
    return Was;
}

Word TAcquireImage::OpenSourceManager()
{
    if (!FLoaded)
        return 1;
    FAppId.Id = 0;
    FAppId.ProtocolMajor = 1;
    FAppId.ProtocolMinor = 8;
    FAppId.SupportedGroups = 2;
    FParent = GetActiveWindow();
    Word Rc = Result(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &FParent));
    Fail(2, Rc);
    return Rc;
}

AnsiString TAcquireImage::GetSource(bool DefaultOnly)
{
    if (!FLoaded)
        return "";
    FSourceId.Id = 0;
    std::memset(FSourceId.ProductName, 0, sizeof FSourceId.ProductName);
    Word Rc = Result(
        Call(nullptr, DG_CONTROL, DAT_IDENTITY, DefaultOnly ? MSG_GETDEFAULT : MSG_USERSELECT, &FSourceId));
    Fail(3, Rc);
    FSourceId.ProductName[33] = '\0';
    return FSourceId.ProductName;
}

void TAcquireImage::GetSources(TStringList*& List)
{
    List = nullptr;
    if (!FLoaded)
        return;
    TW_IDENTITY Id{};
    TW_UINT16 Rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &Id);
    if (Rc != TWRC_SUCCESS) {
        // No list at all, whether or not someone listens: an empty name is no source.
        Fail(3, Result(Rc));
        return;
    }
    List = new TStringList;
    while (Rc == TWRC_SUCCESS) {
        Id.ProductName[33] = '\0';
        List->Add(Id.ProductName);
        Rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &Id);
    }
}

Word TAcquireImage::SelectSource(const AnsiString& Name)
{
    if (!FLoaded)
        return 1;
    TW_UINT16 Rc;
    if (Name.empty()) {
        Rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &FSourceId);
    } else {
        Rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &FSourceId);
        while (Rc == TWRC_SUCCESS) {
            FSourceId.ProductName[33] = '\0';
            if (Name == FSourceId.ProductName)
                break;
            Rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &FSourceId);
        }
    }
    Word Code = Result(Rc);
    Fail(3, Code);
    return Code;
}

Word TAcquireImage::OpenSource()
{
    if (!FLoaded)
        return 1;
    Word Rc = Result(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &FSourceId));
    if (Rc == 0) {
        FCap.Cap = CAP_XFERCOUNT;
        FCap.ConType = TWON_ONEVALUE;
        FCap.hContainer = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
        auto* One = static_cast<TW_ONEVALUE*>(GlobalLock(static_cast<HGLOBAL>(FCap.hContainer)));
        One->ItemType = TWTY_INT16;
        One->Item = static_cast<TW_UINT32>(static_cast<TW_UINT16>(-1));
        GlobalUnlock(static_cast<HGLOBAL>(FCap.hContainer));
        TW_UINT16 SetRc = Call(&FSourceId, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &FCap);
        GlobalFree(static_cast<HGLOBAL>(FCap.hContainer));
        FCap.hContainer = nullptr;
        if (SetRc == TWRC_CHECKSTATUS) {
            FCap.ConType = TWON_DONTCARE16;
            Call(&FSourceId, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &FCap);
            if (FCap.hContainer)
                GlobalFree(static_cast<HGLOBAL>(FCap.hContainer));
            FCap.hContainer = nullptr;
        } else
            Rc = Result(SetRc);
    }
    Fail(4, Rc);
    return Rc;
}

// One transfer. Done is set when no further image is pending.
Word TAcquireImage::AcquireNative(HGLOBAL& hDIB, bool& Done)
{
    HGLOBAL Image = nullptr;
    TW_UINT16 Rc = Call(&FSourceId, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &Image);
    TW_PENDINGXFERS Pending{};
    switch (Rc) {
    case TWRC_XFERDONE:
        // A later image replaces an earlier one: the earlier block is freed, not leaked.
        if (hDIB && hDIB != Image)
            GlobalFree(hDIB);
        hDIB = Image;
        Call(&FSourceId, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &Pending);
        if (Pending.Count == 0) {
            Call(&FSourceId, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &Pending);
            Done = true;
        }
        return 0;
    case TWRC_CANCEL:
        if (Image)
            GlobalFree(Image);
        if (hDIB)
            GlobalFree(hDIB);
        hDIB = nullptr;
        Call(&FSourceId, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &Pending);
        if (Pending.Count != 0)
            Call(&FSourceId, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &Pending);
        Done = true;
        return TWRC_CANCEL;
    case TWRC_FAILURE: {
        Word Error = ErrorType();
        if (hDIB)
            GlobalFree(hDIB);
        hDIB = nullptr;
        Call(&FSourceId, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &Pending);
        Done = true;
        return Error;
    }
    default:
        Done = true;
        return Rc;
    }
}

Word TAcquireImage::AcquirehDIB(HGLOBAL& hDIB)
{
    hDIB = nullptr;
    if (!FLoaded)
        return 1;
    FUI.ShowUI = FShowUI ? 65535 : 0;
    FUI.ModalUI = FUI.ShowUI;
    FUI.hParent = GetActiveWindow();
    Integer State = 5;
    Word Rc = Result(Call(&FSourceId, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &FUI));
    bool Done = Rc != 0;
    while (!Done) {
        MSG Msg{};
        if (!GetMessage(&Msg, nullptr, 0, 0)) {
            // The application is quitting: the wait ends as a cancel and its loop gets the quit.
            PostQuitMessage(static_cast<int>(Msg.wParam));
            if (hDIB)
                GlobalFree(hDIB);
            hDIB = nullptr;
            Rc = TWRC_CANCEL;
            break;
        }
        FEvent.pEvent = &Msg;
        FEvent.TWMessage = 0;
        TW_UINT16 EventRc = Call(&FSourceId, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &FEvent);
        if (EventRc == TWRC_DSEVENT) {
            if (FEvent.TWMessage == MSG_XFERREADY) {
                Rc = AcquireNative(hDIB, Done);
                State = 7;
            } else if (FEvent.TWMessage == MSG_CLOSEDSREQ) {
                Rc = TWRC_CANCEL;
                Done = true;
            }
        } else if (EventRc == TWRC_NOTDSEVENT) {
            TranslateMessage(&Msg);
            DispatchMessage(&Msg);
        } else if (EventRc == TWRC_FAILURE) {
            Rc = ErrorType();
            State = 6;
            Done = true;
        }
    }
    Fail(State, Rc);
    return Rc;
}

Word TAcquireImage::AcquireToClipboard()
{
    HGLOBAL hDIB = nullptr;
    if (AcquirehDIB(hDIB) != 0 || !hDIB)
        return 1;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        bool Placed = SetClipboardData(CF_DIB, hDIB) != nullptr;
        CloseClipboard();
        if (Placed)
            return 0;
    }
    GlobalFree(hDIB);
    return 1;
}

Word TAcquireImage::AcquireBmp(TBitmap*& Bitmap)
{
    Bitmap = nullptr;
    Word Rc = AcquireToClipboard();
    if (Rc != 0)
        return Rc;
    auto Result = std::make_unique<TBitmap>();
    Result->Assign(Clipboard());
    Clipboard()->Clear();
    Bitmap = Result.release();
    return 0;
}

Word TAcquireImage::AcquireJpg(TJPEGImage*& Jpeg, Integer Quality)
{
    Jpeg = nullptr;
    TBitmap* Bitmap = nullptr;
    Word Rc = AcquireBmp(Bitmap);
    if (Rc != 0)
        return Rc;
    std::unique_ptr<TBitmap> Owned(Bitmap);
    auto Result = std::make_unique<TJPEGImage>();
    // The quality first: taking the bitmap compresses it.
    Result->SetCompressionQuality(Quality);
    Result->Assign(Bitmap);
    Result->JPEGNeeded();
    Jpeg = Result.release();
    return 0;
}

Word TAcquireImage::GetImageInfo(TW_IMAGEINFO& Info)
{
    if (!FLoaded)
        return 1;
    return Result(Call(&FSourceId, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &Info));
}

TSourceInfo TAcquireImage::GetSourceInfo() const
{
    auto Text = [](const char(&Field)[34]) { return AnsiString(Field, strnlen(Field, sizeof Field)); };
    TSourceInfo Info;
    Info.ProtocolVersion =
        std::to_string(FSourceId.ProtocolMajor) + "." + std::to_string(FSourceId.ProtocolMinor);
    Info.Manufacturer = Text(FSourceId.Manufacturer);
    Info.ProductFamily = Text(FSourceId.ProductFamily);
    Info.ProductName = Text(FSourceId.ProductName);
    Info.Version =
        std::to_string(FSourceId.Version.MajorNum) + "." + std::to_string(FSourceId.Version.MinorNum);
    Info.Language = FSourceId.Version.Language;
    Info.Info = Text(FSourceId.Version.Info);
    return Info;
}

Word TAcquireImage::CloseTwainSession()
{
    if (!FLoaded)
        return 1;
    Call(&FSourceId, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &FUI);
    Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &FSourceId);
    return Result(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &FParent));
}
