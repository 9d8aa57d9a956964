#include "controls/RealTimeMarquee.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using uitest::AdvanceTime;
using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

constexpr TColor MarqueePaper = 0xFFFFFF;

class MarqueeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Marquee = New<TRealTimeMarquee>(Form);
        Marquee->SetParent(Form);
        Marquee->SetBounds(10, 10, 200, 20);
        Marquee->SetColor(MarqueePaper);
        Marquee->OnWrap = [this](TObject*) { ++Wraps; };
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    // An owner-drawn item of Width × 20 pixels filled with Colour.
    TMarqueeItem* AddBlock(TColor Colour, Integer Width)
    {
        TMarqueeItem* Item = Marquee->Items()->Add();
        Item->SetStyle(msOwnerDraw);
        Item->SetTag(static_cast<Integer>(Colour));
        Widths[Item] = Width;
        Marquee->OnDrawItem = [this](TObject*, TMarqueeItem* It, TBitmap* Bitmap) {
            Bitmap->SetSize(Widths[It], 20);
            Bitmap->Canvas()->Brush()->SetColor(static_cast<TColor>(It->Tag()));
            Bitmap->Canvas()->FillRect(TRect{0, 0, Widths[It], 20});
        };
        return Item;
    }

    HWND Hwnd() { return Marquee->Handle(); }

    TForm* Form = nullptr;
    TRealTimeMarquee* Marquee = nullptr;
    std::map<TMarqueeItem*, Integer> Widths;
    int Wraps = 0;
};

TEST_F(MarqueeTest, StepAndIntervalAreClamped)
{
    Marquee->SetStep(0);
    EXPECT_EQ(1, Marquee->Step());
    Marquee->SetInterval(0);
    EXPECT_EQ(1u, Marquee->Interval());
    EXPECT_EQ(200, Marquee->Width());
}

TEST_F(MarqueeTest, ResizeEventsMayRefuseOrBoundANewSize)
{
    bool Allow = false;
    Marquee->OnCanResize = [&](TObject*, Integer&, Integer&, bool& Resize) { Resize = Allow; };
    Marquee->SetBounds(10, 10, 300, 40);
    EXPECT_EQ(200, Marquee->Width());
    Allow = true;
    Marquee->OnConstrainedResize = [](TObject*, Integer& MinW, Integer&, Integer& MaxW, Integer&) {
        MinW = 50;
        MaxW = 250;
    };
    Marquee->SetBounds(10, 10, 300, 40);
    EXPECT_EQ(250, Marquee->Width());
    EXPECT_EQ(40, Marquee->Height());
    Marquee->SetBounds(10, 10, 10, 40);
    EXPECT_EQ(50, Marquee->Width());
}

TEST_F(MarqueeTest, ScrollsOneStepPerIntervalOnTheVirtualClock)
{
    AddBlock(0x0000FF, 30);
    Marquee->SetStep(2);
    Marquee->SetActive(true);
    EXPECT_TRUE(Marquee->TimerPending());
    AdvanceTime(100); // ten ticks of 10 ms
    EXPECT_EQ(20, Marquee->TailDistance());
    // The block's left edge is at 200 - 20; the pixels left of it are still paper.
    EXPECT_EQ(0x0000FFu, PixelAt(Hwnd(), 181, 10));
    EXPECT_EQ(0x0000FFu, PixelAt(Hwnd(), 199, 10));
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 179, 10));
    Marquee->SetActive(false);
    EXPECT_FALSE(Marquee->TimerPending());
    AdvanceTime(100);
    EXPECT_EQ(20, Marquee->TailDistance());
    // A repaint draws the same picture as the steps did.
    InvalidateRect(Hwnd(), nullptr, TRUE);
    PumpUntilIdle();
    EXPECT_EQ(0x0000FFu, PixelAt(Hwnd(), 181, 10));
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 179, 10));
}

TEST_F(MarqueeTest, FullSpacingLetsEachItemEnterAsThePreviousLeaves)
{
    AddBlock(0x0000FF, 30);
    AddBlock(0x00FF00, 40);
    AddBlock(0xFF0000, 50);
    Marquee->SetInterval(1);
    Marquee->SetStep(5);
    Marquee->SetActive(true);
    std::vector<Integer> Tails;
    for (int I = 0; I < 400; ++I) {
        AdvanceTime(1);
        ASSERT_LE(Marquee->OnScreenCount(), 1) << "step " << I;
        if (Tails.empty() || Tails.back() != Marquee->TailIndex())
            Tails.push_back(Marquee->TailIndex());
    }
    EXPECT_EQ((std::vector<Integer>{0, 1, 2, 0, 1, 2}),
              std::vector<Integer>(Tails.begin(), Tails.begin() + 6));
    EXPECT_GE(Wraps, 1);
}

TEST_F(MarqueeTest, NumLoopsStopsAfterTheLastItemHasLeft)
{
    AddBlock(0x0000FF, 30);
    AddBlock(0x00FF00, 30);
    AddBlock(0xFF0000, 30);
    Marquee->SetSpacing(10);
    Marquee->SetLoopSpacing(10);
    Marquee->SetNumLoops(1);
    Marquee->SetInterval(1);
    Marquee->SetStep(4);
    Marquee->SetActive(true);
    AdvanceTime(2000);
    EXPECT_FALSE(Marquee->Active());
    EXPECT_FALSE(Marquee->TimerPending());
    EXPECT_EQ(1, Wraps);
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 100, 10));
}

TEST_F(MarqueeTest, FirstItemStartsTheTimerAndDeletingTheLastStopsIt)
{
    Marquee->SetActive(true);
    EXPECT_FALSE(Marquee->TimerPending());
    AddBlock(0x0000FF, 30);
    EXPECT_TRUE(Marquee->TimerPending());
    AdvanceTime(50);
    Marquee->Items()->Delete(0);
    EXPECT_FALSE(Marquee->TimerPending());
    AdvanceTime(50);
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 199, 10));
}

TEST_F(MarqueeTest, ChangingOrientationKeepsTheItemsAndStartsAgain)
{
    AddBlock(0x0000FF, 30);
    Marquee->SetBounds(10, 10, 100, 100);
    Marquee->SetActive(true);
    AdvanceTime(50);
    EXPECT_EQ(1, Marquee->OnScreenCount());
    Marquee->SetOrientation(moVertical);
    EXPECT_EQ(0, Marquee->OnScreenCount());
    EXPECT_EQ(1, Marquee->Items()->Count());
    AdvanceTime(30); // three steps up from the bottom edge
    EXPECT_EQ(3, Marquee->TailDistance());
    EXPECT_EQ(0x0000FFu, PixelAt(Hwnd(), 50, 98)); // centred across: x 35..64
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 50, 96));
    EXPECT_EQ(MarqueePaper, PixelAt(Hwnd(), 30, 98));
}

TEST_F(MarqueeTest, ClickOnAnHtmlLinkFiresOnLinkOrOpensIt)
{
    TMarqueeItem* Item = Marquee->Items()->Add();
    Item->SetStyle(msHTML);
    Item->SetText(u"<A HREF=\"https://example.org/prize\">PRIZE LINK</A>");
    Marquee->SetStep(200);
    Marquee->SetInterval(1000);
    Marquee->SetActive(true);
    AdvanceTime(1000); // one step: the item's left edge at 0
    ASSERT_EQ(200, Marquee->TailDistance());
    Marquee->SetActive(false);
    std::vector<WideString> Links;
    int Clicks = 0;
    Marquee->OnClick = [&](TObject*) { ++Clicks; };
    Marquee->OnLink = [&](TObject*, const WideString& Link) { Links.push_back(Link); };
    uitest::Click(Hwnd(), 15, 10);
    ASSERT_EQ(1u, Links.size());
    EXPECT_EQ(u"https://example.org/prize", Links[0]);
    uitest::Click(Hwnd(), 190, 10); // beyond the text
    EXPECT_EQ(1u, Links.size());
    EXPECT_EQ(2, Clicks);
    Marquee->OnLink = nullptr;
    uitest::Click(Hwnd(), 15, 10);
    ASSERT_FALSE(uitest::ShellOpens().empty());
    EXPECT_EQ("https://example.org/prize", uitest::ShellOpens().back().Target);
}

TEST_F(MarqueeTest, ItemsRenderLazilyAndKeepTheirRenderingWhereTheyMay)
{
    TMarqueeItem* Text = Marquee->Items()->Add();
    Text->SetText(u"Grand prize");
    EXPECT_FALSE(Text->Prepared());
    EXPECT_GT(Text->GetWidth(), 0);
    EXPECT_TRUE(Text->Prepared());
    Text->SetAlignment(maLeftOrTop); // horizontal: kept
    EXPECT_TRUE(Text->Prepared());
    WideString Link;
    EXPECT_FALSE(Text->LinkAt(5, 5, Link));
    Marquee->SetOrientation(moVertical);
    EXPECT_GT(Text->GetHeight(), 0);
    Text->SetAlignment(maRightOrBottom); // vertical: laid out again
    EXPECT_FALSE(Text->Prepared());
    TMarqueeItem* Empty = Marquee->Items()->Add();
    Empty->SetStyle(msOwnerDraw);
    EXPECT_EQ(0, Empty->GetWidth());
    EXPECT_EQ(0, Empty->GetHeight());

    TStringList Lines;
    Lines.Add("one");
    Lines.Add("二");
    Lines.Add("<B>three</B>");
    Marquee->Items()->LoadFromStrings(&Lines, msHTML);
    ASSERT_EQ(3, Marquee->Items()->Count());
    // The update bracket left the lock as it found it: another thread can take it now.
    std::thread Other([this] {
        Marquee->Lock();
        Marquee->Unlock();
    });
    Other.join();
    EXPECT_EQ(msHTML, Marquee->Items()->GetItems(2)->Style());
    EXPECT_EQ(u"二", Marquee->Items()->GetItems(1)->Text());
    TStringList Back;
    Marquee->Items()->SaveToStrings(&Back);
    EXPECT_EQ(Lines.Text(), Back.Text());
    EXPECT_EQ("one", Marquee->Items()->GetItems(0)->DisplayName());
}

// Real time: the timer thread ticks while the user-interface thread starts, stops, changes and
// destroys marquees (scripts/tsan runs this under ThreadSanitizer).
TEST_F(MarqueeTest, ThreadStartStopAndDestroyWhileTicking)
{
    SetMultimediaTimersRealTime(true);
    for (int Round = 0; Round < 20; ++Round) {
        auto* M = New<TRealTimeMarquee>(Form);
        M->SetParent(Form);
        M->SetBounds(10, 40, 200, 20);
        M->SetInterval(1);
        M->SetStep(3);
        M->Items()->Add()->SetText(u"tick");
        M->SetActive(true);
        auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(15);
        int I = 0;
        while (std::chrono::steady_clock::now() < Until) {
            MSG Msg;
            while (PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&Msg);
                DispatchMessage(&Msg);
            }
            if (++I % 7 == 0)
                M->SetActive(!M->Active());
            if (I % 11 == 0)
                M->Items()->Add()->SetText(u"more");
            if (I % 13 == 0 && M->Items()->Count() > 1)
                M->Items()->Delete(0);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        if (Round % 2)
            M->SetActive(true); // destroyed while its timer is pending
        M->Free();
    }
    SetMultimediaTimersRealTime(false);
    PumpUntilIdle();
}

// A tick that fires while an update bracket holds the marquee waits for it; stopping the marquee
// inside the bracket must not wait for that tick in turn.
TEST_F(MarqueeTest, StoppingInsideAnUpdateWhileATickWaitsDoesNotHang)
{
    std::mutex DoneMutex;
    std::condition_variable DoneChanged;
    bool Done = false;
    std::thread Watchdog([&] {
        std::unique_lock<std::mutex> Lock(DoneMutex);
        if (!DoneChanged.wait_for(Lock, std::chrono::seconds(30), [&] { return Done; })) {
            std::fprintf(stderr, "the marquee hung stopping its timer inside an update\n");
            std::_Exit(1);
        }
    });
    SetMultimediaTimersRealTime(true);
    Marquee->SetInterval(1);
    Marquee->Items()->Add()->SetText(u"tick");
    for (int Round = 0; Round < 3; ++Round) {
        // Started inside the bracket, so that the tick cannot fire and clear the timer before the
        // check below.
        Marquee->Items()->BeginUpdate();
        Marquee->SetActive(true);
        EXPECT_TRUE(Marquee->TimerPending());
        std::this_thread::sleep_for(std::chrono::milliseconds(30)); // the tick is due and waits
        Marquee->SetActive(false);
        EXPECT_FALSE(Marquee->TimerPending());
        Marquee->Items()->EndUpdate();
        PumpUntilIdle();
    }
    SetMultimediaTimersRealTime(false);
    {
        std::lock_guard<std::mutex> Lock(DoneMutex);
        Done = true;
    }
    DoneChanged.notify_all();
    Watchdog.join();
}

} // namespace
