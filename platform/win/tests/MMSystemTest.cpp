#include "platform/win/MMSystem.h"

#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<int> Fired{0};
std::atomic<bool> InCallback{false};

void CountTick(UINT, UINT, DWORD_PTR User, DWORD_PTR, DWORD_PTR)
{
    ++Fired;
    if (User) {
        // A slow callback: the kill must wait for it.
        InCallback = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        InCallback = false;
    }
}

class MMSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Fired = 0;
    }
    void TearDown() override { SetMultimediaTimersRealTime(false); }
};

TEST_F(MMSystemTest, TimersFollowTheVirtualClock)
{
    TIMECAPS Caps{};
    ASSERT_EQ(TIMERR_NOERROR, timeGetDevCaps(&Caps, sizeof Caps));
    EXPECT_EQ(1u, Caps.wPeriodMin);
    EXPECT_EQ(0u, timeSetEvent(0, 0, CountTick, 0, TIME_ONESHOT));
    UINT OneShot = timeSetEvent(50, 5, CountTick, 0, TIME_ONESHOT);
    ASSERT_NE(0u, OneShot);
    uitest::AdvanceTime(49);
    EXPECT_EQ(0, Fired);
    uitest::AdvanceTime(1);
    EXPECT_EQ(1, Fired);
    uitest::AdvanceTime(200);
    EXPECT_EQ(1, Fired);
    EXPECT_EQ(TIMERR_NOCANDO, timeKillEvent(OneShot));

    UINT Periodic = timeSetEvent(10, 1, CountTick, 0, TIME_PERIODIC);
    uitest::AdvanceTime(100);
    EXPECT_EQ(11, Fired);
    EXPECT_EQ(TIMERR_NOERROR, timeKillEvent(Periodic));
    uitest::AdvanceTime(100);
    EXPECT_EQ(11, Fired);
}

TEST_F(MMSystemTest, KillWaitsForACallbackUnderWay)
{
    SetMultimediaTimersRealTime(true);
    UINT Id = timeSetEvent(1, 1, CountTick, 1, TIME_ONESHOT);
    while (!InCallback)
        std::this_thread::yield();
    timeKillEvent(Id);
    EXPECT_FALSE(InCallback);
    EXPECT_EQ(1, Fired);
}

} // namespace
