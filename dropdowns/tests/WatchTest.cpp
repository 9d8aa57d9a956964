#include "dropdowns/RurEradOvuvurOdivEdoz.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PumpUntilIdle;

namespace {

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        TVadWatch::FrameDelay() = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 300, 300);
        W = New<TVadWatch>(Form);
        W->SetParent(Form);
        W->SetBounds(0, 0, 180, 180);
        W->OnChange = [this](TObject*) { ++Changes; };
        Form->Show();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    std::pair<int, int> HM()
    {
        Word H, M, S, MS;
        DecodeTime(W->Time(), H, M, S, MS);
        return {H, M};
    }

    TForm* Form = nullptr;
    TVadWatch* W = nullptr;
    int Changes = 0;
};

TEST_F(WatchTest, DefaultFaceGeometry)
{
    EXPECT_EQ(W->GetWatchRect(), (TRect{10, 10, 170, 170}));
    EXPECT_EQ(W->GetCenterPoint(), (TPoint{90, 90}));
    EXPECT_DOUBLE_EQ(W->GetRadius(), 80.0);
    EXPECT_EQ(W->GetInnerRect(), (TRect{14, 14, 166, 166}));
}

TEST_F(WatchTest, PositionsGiveMinutesAndHours)
{
    struct Case {
        int X, Y, Minute, HourAM;
    } Cases[] = {
        {90, 20, 0, 0},  {90, 85, 0, 0}, {160, 90, 15, 3}, {90, 160, 30, 6},
        {20, 90, 45, 9}, {88, 20, 0, 0}, {85, 20, 59, 0},  {150, 55, 10, 2},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(W->GetXYToMinute(C.X, C.Y), C.Minute) << C.X << "," << C.Y;
        EXPECT_EQ(W->GetXYToHour(C.X, C.Y), C.HourAM) << C.X << "," << C.Y;
    }
    // In the afternoon the same positions give the hours of the afternoon; twelve o'clock is 12.
    W->SetAnimation(false);
    W->SetTime(EncodeTime(15, 0, 0, 0));
    EXPECT_FALSE(W->IsAM());
    EXPECT_EQ(W->GetXYToHour(85, 20), 12);
    EXPECT_EQ(W->GetXYToHour(160, 90), 15);
}

TEST_F(WatchTest, KeysStepTheTimeWithCarry)
{
    W->SetAnimation(false);
    W->SetTime(EncodeTime(10, 59, 0, 0));
    W->HandleKey(VK_RIGHT);
    EXPECT_EQ(HM(), std::make_pair(11, 0));
    W->SetTime(EncodeTime(0, 0, 0, 0));
    W->HandleKey(VK_LEFT);
    EXPECT_EQ(HM(), std::make_pair(23, 59));
    W->HandleKey(VK_PRIOR);
    EXPECT_EQ(HM(), std::make_pair(0, 59));
    W->HandleKey(VK_NEXT);
    EXPECT_EQ(HM(), std::make_pair(23, 59));
    W->HandleKey('a');
    EXPECT_EQ(HM(), std::make_pair(11, 59));
    W->HandleKey(VK_END); // from beyond the half hour, End moves on to the next full hour
    EXPECT_EQ(HM(), std::make_pair(12, 0));
    EXPECT_THROW(W->SetMinute(60), Exception);
}

TEST_F(WatchTest, ClicksSetMinuteHourAndHalfDay)
{
    W->SetAnimation(false);
    W->SetTime(EncodeTime(9, 20, 0, 0));
    Changes = 0;
    uitest::Click(W->Handle(), 175, 90); // margin, 3 o'clock: minute 15
    EXPECT_EQ(HM(), std::make_pair(9, 15));
    uitest::Click(W->Handle(), 150, 90); // face: hour 3
    EXPECT_EQ(HM(), std::make_pair(3, 15));
    // Every completed change notifies, also without animation.
    EXPECT_EQ(Changes, 2);
    const TRect Box = W->GetAMPMRect();
    uitest::Click(W->Handle(), (Box.Left + Box.Right) / 2, (Box.Top + Box.Bottom) / 2);
    EXPECT_EQ(HM(), std::make_pair(15, 15));
    EXPECT_FALSE(W->IsAM());
}

TEST_F(WatchTest, AnimationStepsOnTheVirtualClock)
{
    W->SetTime(EncodeTime(1, 0, 0, 0));
    W->SetAnimationFactor(2);
    W->SetHour(9);
    EXPECT_EQ(HM().first, 1); // nothing moves before the timer runs
    std::vector<int> Hours;
    for (int I = 0; I < 1000 && HM().first != 9; ++I) {
        uitest::AdvanceTime(1);
        if (HM().first != (Hours.empty() ? 1 : Hours.back()))
            Hours.push_back(HM().first);
    }
    // Each step covers half of the rest, at least one hour.
    EXPECT_EQ(Hours, (std::vector<int>{5, 7, 8, 9}));
    EXPECT_EQ(Changes, 1);
    // A minute animation through 0 carries the hour.
    W->SetAnimationFactor(0); // counts as 1
    W->SetTime(EncodeTime(9, 50, 0, 0));
    W->SetMinute(0);
    uitest::AdvanceTime(500);
    EXPECT_EQ(HM(), std::make_pair(10, 0));
    W->SetHour(30); // ignored
    uitest::AdvanceTime(500);
    EXPECT_EQ(HM(), std::make_pair(10, 0));
}

TEST_F(WatchTest, FaceIsDrawn)
{
    W->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(W->Handle(), 40, 130), static_cast<COLORREF>(0xFFFFFF));
    EXPECT_EQ(uitest::PixelAt(W->Handle(), 10, 90), static_cast<COLORREF>(0)); // the border
}

} // namespace
