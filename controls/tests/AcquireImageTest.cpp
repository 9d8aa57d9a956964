#include "controls/AcquireImage.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Threads.h"
#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Clipboard.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// SANE's test device keeps a buffer per scan that it never frees; the backend is kept loaded
// (below) so that the leak checker can name it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libsane-test.so\n";
}

namespace {

// A scripted data source manager: it records every call and answers as the test set it up.
struct TCall {
    bool ToSource;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 Message;
    bool operator==(const TCall&) const = default;
};

struct TScript {
    std::vector<TCall> Calls;
    std::vector<std::string> Sources{"Scanner A", "Scanner B"};
    std::size_t NextSource = 0;
    TW_UINT16 OpenDsRc = TWRC_SUCCESS;
    TW_UINT16 Condition = 0;
    // What each transfer answers, in turn; a colour per image made.
    std::vector<TW_UINT16> Transfers{TWRC_XFERDONE};
    std::vector<TColor> Colours{0x0000FF};
    std::size_t Transfer = 0;
    TW_UINT16 PendingAfterFirst = 0;
    bool PostReady = true;
    bool CloseRequest = false;
    TW_ONEVALUE SetValue{};
    std::size_t SetSize = 0;
    std::vector<HGLOBAL> Made;
};

TScript* Script = nullptr;

UINT ReadyMessage()
{
    static const UINT Msg = RegisterWindowMessage("scripted source event");
    return Msg;
}

// A 2 × 1 24-bit DIB of one colour.
HGLOBAL MakeDib(TColor Colour)
{
    const std::size_t Size = sizeof(BITMAPINFOHEADER) + 8;
    HGLOBAL Block = GlobalAlloc(GHND, Size);
    auto* Bytes = static_cast<Byte*>(GlobalLock(Block));
    BITMAPINFOHEADER H{};
    H.biSize = sizeof H;
    H.biWidth = 2;
    H.biHeight = 1;
    H.biPlanes = 1;
    H.biBitCount = 24;
    std::memcpy(Bytes, &H, sizeof H);
    for (int X = 0; X < 2; ++X) {
        Bytes[sizeof H + X * 3 + 0] = static_cast<Byte>(Colour >> 16);
        Bytes[sizeof H + X * 3 + 1] = static_cast<Byte>(Colour >> 8);
        Bytes[sizeof H + X * 3 + 2] = static_cast<Byte>(Colour);
    }
    GlobalUnlock(Block);
    return Block;
}

TW_UINT16 ScriptedEntry(pTW_IDENTITY, pTW_IDENTITY Dest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 Message,
                        TW_MEMREF Data)
{
    TScript& S = *Script;
    S.Calls.push_back({Dest != nullptr, DG, DAT, Message});
    if (DAT == DAT_STATUS) {
        static_cast<TW_STATUS*>(Data)->ConditionCode = S.Condition;
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_IDENTITY) {
        auto* Id = static_cast<TW_IDENTITY*>(Data);
        if (Message == MSG_GETFIRST)
            S.NextSource = 0;
        if (Message == MSG_GETFIRST || Message == MSG_GETNEXT || Message == MSG_GETDEFAULT ||
            Message == MSG_USERSELECT) {
            if (Message == MSG_GETDEFAULT || Message == MSG_USERSELECT)
                S.NextSource = 0;
            if (S.NextSource >= S.Sources.size())
                return S.Sources.empty() && Message == MSG_GETFIRST ? TWRC_FAILURE : TWRC_ENDOFLIST;
            std::memset(Id->ProductName, 0, sizeof Id->ProductName);
            std::strncpy(Id->ProductName, S.Sources[S.NextSource++].c_str(), 33);
            Id->ProtocolMajor = 1;
            Id->ProtocolMinor = 9;
            Id->Version.MajorNum = 2;
            Id->Version.MinorNum = 5;
            return TWRC_SUCCESS;
        }
        if (Message == MSG_OPENDS)
            return S.OpenDsRc;
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_CAPABILITY && Message == MSG_SET) {
        auto* Cap = static_cast<TW_CAPABILITY*>(Data);
        S.SetSize = GlobalSize(static_cast<HGLOBAL>(Cap->hContainer));
        std::memcpy(&S.SetValue, GlobalLock(static_cast<HGLOBAL>(Cap->hContainer)), sizeof(TW_ONEVALUE));
        GlobalUnlock(static_cast<HGLOBAL>(Cap->hContainer));
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_USERINTERFACE && Message == MSG_ENABLEDS) {
        if (S.PostReady)
            PostThreadMessage(GetCurrentThreadId(), ReadyMessage(),
                              S.CloseRequest ? MSG_CLOSEDSREQ : MSG_XFERREADY, 0);
        return TWRC_SUCCESS;
    }
    if (DAT == DAT_EVENT) {
        auto* Event = static_cast<TW_EVENT*>(Data);
        auto* Msg = static_cast<MSG*>(Event->pEvent);
        if (Msg->message != ReadyMessage())
            return TWRC_NOTDSEVENT;
        Event->TWMessage = static_cast<TW_UINT16>(Msg->wParam);
        return TWRC_DSEVENT;
    }
    if (DAT == DAT_IMAGENATIVEXFER) {
        TW_UINT16 Rc = S.Transfers[std::min(S.Transfer, S.Transfers.size() - 1)];
        TColor Colour = S.Colours[std::min(S.Transfer, S.Colours.size() - 1)];
        ++S.Transfer;
        if (Rc == TWRC_XFERDONE) {
            *static_cast<HGLOBAL*>(Data) = MakeDib(Colour);
            S.Made.push_back(*static_cast<HGLOBAL*>(Data));
        }
        return Rc;
    }
    if (DAT == DAT_PENDINGXFERS) {
        auto* P = static_cast<TW_PENDINGXFERS*>(Data);
        P->Count = Message == MSG_ENDXFER && S.Transfer == 1 ? S.PendingAfterFirst : 0;
        return TWRC_SUCCESS;
    }
    return TWRC_SUCCESS;
}

class AcquireImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Script = &S;
        SetTwainManager(ScriptedEntry);
        Acquire = New<TAcquireImage>(nullptr);
        Acquire->OnTwainError = [this](TObject*, Integer State, Integer Error) {
            Events.push_back({State, Error});
        };
    }
    void TearDown() override
    {
        Acquire->Free();
        ResetTwainManager();
        Script = nullptr;
    }
    void Open()
    {
        ASSERT_TRUE(Acquire->LoadTwainModule());
        ASSERT_EQ(0, Acquire->OpenSourceManager());
    }

    TScript S;
    TAcquireImage* Acquire = nullptr;
    std::vector<std::pair<Integer, Integer>> Events;
};

TEST_F(AcquireImageTest, AcquiresABitmapThroughTheWholeSequence)
{
    Open();
    ASSERT_EQ(0, Acquire->SelectSource("Scanner B"));
    EXPECT_EQ("Scanner B", Acquire->GetSourceInfo().ProductName);
    EXPECT_EQ("1.9", Acquire->GetSourceInfo().ProtocolVersion);
    EXPECT_EQ("2.5", Acquire->GetSourceInfo().Version);
    ASSERT_EQ(0, Acquire->OpenSource());
    EXPECT_EQ(6u, S.SetSize);
    EXPECT_EQ(TWTY_INT16, S.SetValue.ItemType);
    const TW_UINT32 Item = S.SetValue.Item; // packed: not bound by reference
    EXPECT_EQ(0xFFFFu, Item);
    S.Calls.clear();
    TBitmap* Bitmap = nullptr;
    ASSERT_EQ(0, Acquire->AcquireBmp(Bitmap));
    ASSERT_NE(nullptr, Bitmap);
    EXPECT_EQ(2, Bitmap->Width());
    EXPECT_EQ(0x0000FFu, Bitmap->Canvas()->Pixels(1, 0));
    delete Bitmap;
    EXPECT_FALSE(Clipboard()->HasFormat(CF_DIB));
    const std::vector<TCall> Expected{
        {true, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
        {true, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT},
        {true, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},
        {true, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER},
        {true, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET},
    };
    EXPECT_EQ(Expected, S.Calls);
    S.Calls.clear();
    EXPECT_EQ(0, Acquire->CloseTwainSession());
    const std::vector<TCall> Closing{{true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS},
                                     {false, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},
                                     {false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM}};
    EXPECT_EQ(Closing, S.Calls);
    EXPECT_TRUE(Events.empty());
}

TEST_F(AcquireImageTest, SourcesAreListedAndAnUnknownNameEndsTheList)
{
    Open();
    TStringList* List = nullptr;
    Acquire->GetSources(List);
    ASSERT_NE(nullptr, List);
    EXPECT_EQ(2, List->Count());
    EXPECT_EQ("Scanner B", List->Strings(1));
    delete List;
    EXPECT_EQ(TWRC_ENDOFLIST, Acquire->SelectSource("Scanner Z"));
    EXPECT_EQ((std::vector<std::pair<Integer, Integer>>{{3, TWRC_ENDOFLIST}}), Events);
    EXPECT_EQ("Scanner A", Acquire->GetSource(true));
    // A failing first query gives no list, with or without a listener.
    S.Sources.clear();
    S.Condition = 0;
    Acquire->OnTwainError = nullptr;
    Acquire->GetSources(List);
    EXPECT_EQ(nullptr, List);
}

TEST_F(AcquireImageTest, CancelFailureAndCloseRequestAreReportedAsCodes)
{
    Open();
    ASSERT_EQ(0, Acquire->SelectSource("Scanner A"));
    ASSERT_EQ(0, Acquire->OpenSource());
    S.Transfers = {TWRC_CANCEL};
    HGLOBAL hDIB = reinterpret_cast<HGLOBAL>(1);
    EXPECT_EQ(TWRC_CANCEL, Acquire->AcquirehDIB(hDIB));
    EXPECT_EQ(nullptr, hDIB);
    EXPECT_EQ((std::pair<Integer, Integer>{7, TWRC_CANCEL}), Events.back());
    S.Transfer = 0;
    EXPECT_EQ(1, Acquire->AcquireToClipboard());
    // The source asks to be closed.
    S.CloseRequest = true;
    EXPECT_EQ(TWRC_CANCEL, Acquire->AcquirehDIB(hDIB));
    // A failure whose status carries condition code 4.
    S.OpenDsRc = TWRC_FAILURE;
    S.Condition = TWCC_MAXCONNECTIONS;
    EXPECT_EQ(32772, Acquire->OpenSource());
    EXPECT_EQ((std::pair<Integer, Integer>{4, 32772}), Events.back());
    S.Condition = 0;
    EXPECT_EQ(1, Acquire->OpenSource());
}

TEST_F(AcquireImageTest, ALaterPendingImageReplacesTheFirstAndJpegTakesIt)
{
    Open();
    ASSERT_EQ(0, Acquire->SelectSource(""));
    ASSERT_EQ(0, Acquire->OpenSource());
    S.Transfers = {TWRC_XFERDONE, TWRC_XFERDONE};
    S.Colours = {0x0000FF, 0x00FF00};
    S.PendingAfterFirst = 1;
    // The second image comes from a second ready notice.
    PostThreadMessage(GetCurrentThreadId(), ReadyMessage(), MSG_XFERREADY, 0);
    TJPEGImage* Jpeg = nullptr;
    ASSERT_EQ(0, Acquire->AcquireJpg(Jpeg, 75));
    ASSERT_NE(nullptr, Jpeg);
    EXPECT_EQ(2, Jpeg->Width());
    EXPECT_EQ(75, Jpeg->CompressionQuality());
    TColor Pixel = Jpeg->Bitmap()->Canvas()->Pixels(0, 0);
    EXPECT_GT((Pixel >> 8) & 0xFF, 0xC0u); // green, the second image
    EXPECT_LT(Pixel & 0xFF, 0x40u);
    delete Jpeg;
    EXPECT_EQ(2u, S.Made.size());
    EXPECT_EQ(GlobalSize(S.Made[0]), 0u); // the first block was freed
}

TEST_F(AcquireImageTest, AQuitWhileWaitingEndsAsCancelAndReachesTheApplication)
{
    Open();
    ASSERT_EQ(0, Acquire->SelectSource(""));
    ASSERT_EQ(0, Acquire->OpenSource());
    S.PostReady = false;
    PostQuitMessage(0);
    HGLOBAL hDIB = nullptr;
    EXPECT_EQ(TWRC_CANCEL, Acquire->AcquirehDIB(hDIB));
    MSG Msg{};
    EXPECT_FALSE(GetMessage(&Msg, nullptr, 0, 0)); // the quit is there again
}

TEST_F(AcquireImageTest, WithoutAManagerNothingRunsAndNothingIsReported)
{
    SetTwainManager(nullptr);
    EXPECT_FALSE(Acquire->LoadTwainModule());
    HGLOBAL hDIB = nullptr;
    TStringList* List = nullptr;
    EXPECT_EQ(1, Acquire->OpenSourceManager());
    EXPECT_EQ("", Acquire->GetSource(true));
    Acquire->GetSources(List);
    EXPECT_EQ(nullptr, List);
    EXPECT_EQ(1, Acquire->SelectSource("x"));
    EXPECT_EQ(1, Acquire->OpenSource());
    EXPECT_EQ(1, Acquire->AcquirehDIB(hDIB));
    EXPECT_EQ(1, Acquire->CloseTwainSession());
    EXPECT_TRUE(Events.empty());
    EXPECT_TRUE(S.Calls.empty());
    // Identity texts are cut to 33 characters.
    Acquire->SetAppProductName(std::string(50, 'n'));
    EXPECT_EQ(std::string(33, 'n'), Acquire->AppProductName());
}

// SANE's "test" device end to end through the stand-in manager.
class SaneAcquireTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        ResetTwainManager();
        static void* const TestBackend =
            dlopen("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
        (void)TestBackend;
        std::ofstream(Config.File("dll.conf")) << "test\n";
        setenv("SANE_CONFIG_DIR", Config.Path().c_str(), 1);
        Acquire = New<TAcquireImage>(nullptr);
        Acquire->SetSHOWhideUI(false);
    }
    void TearDown() override
    {
        Acquire->Free();
        unsetenv("SANE_CONFIG_DIR");
        unsetenv("DRAWMERE_SANE_OPTIONS");
    }
    uitest::TempFolder Config{"sane-config"};
    TAcquireImage* Acquire = nullptr;
};

TEST_F(SaneAcquireTest, TheTestDeviceGivesAPicture)
{
    ASSERT_TRUE(Acquire->LoadTwainModule());
    ASSERT_EQ(0, Acquire->OpenSourceManager());
    TStringList* List = nullptr;
    Acquire->GetSources(List);
    std::unique_ptr<TStringList> Owned(List);
    if (!List || List->IndexOf("test:0") < 0) {
        Acquire->CloseTwainSession();
        return uitest::SkipMissing("SANE's test device cannot be opened (libsane1 with its test backend)");
    }
    ASSERT_EQ(0, Acquire->SelectSource("test:0"));
    ASSERT_EQ(0, Acquire->OpenSource());
    struct Case {
        const char* Options;
        TColor Expected;
    } Cases[] = {
        {"mode=Gray;depth=8;resolution=25;test-picture=Solid white", 0xFFFFFF},
        {"mode=Gray;depth=8;resolution=25;test-picture=Solid black", 0x000000},
        {"mode=Color;depth=8;resolution=25;test-picture=Solid white", 0xFFFFFF},
        {"mode=Gray;depth=1;resolution=25;test-picture=Solid black", 0x000000},
        {"mode=Gray;depth=16;resolution=25;test-picture=Solid white", 0xFFFFFF},
    };
    for (const Case& C : Cases) {
        setenv("DRAWMERE_SANE_OPTIONS", C.Options, 1);
        TBitmap* Bitmap = nullptr;
        ASSERT_EQ(0, Acquire->AcquireBmp(Bitmap)) << C.Options;
        std::unique_ptr<TBitmap> Picture(Bitmap);
        // The device's page is 80 × 100 mm: about 79 × 98 pixels at 25 dpi.
        EXPECT_NEAR(79, Picture->Width(), 2) << C.Options;
        EXPECT_NEAR(98, Picture->Height(), 2) << C.Options;
        EXPECT_EQ(C.Expected, Picture->Canvas()->Pixels(Picture->Width() / 2, Picture->Height() / 2))
            << C.Options;
        TW_IMAGEINFO Info{};
        EXPECT_EQ(0, Acquire->GetImageInfo(Info));
        const TW_INT32 InfoWidth = Info.ImageWidth;
        EXPECT_EQ(Picture->Width(), InfoWidth);
        EXPECT_EQ(25, Info.XResolution.Whole);
    }
    EXPECT_EQ(0, Acquire->CloseTwainSession());
}

} // namespace
