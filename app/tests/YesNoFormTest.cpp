#include "AppTestSupport.h"

#include "platform/win/Colors.h"

using uitest::PressKey;

TEST_F(AppTest, QuestionsSitLowerWhenShortAndStartOnNo)
{
    struct Case {
        AnsiString Text;
        Integer Top;
    };
    const Case Cases[] = {
        {"", 40},
        {AnsiString(49, 'x'), 40},
        {AnsiString(50, 'x'), 16},
        {AnsiString(120, 'x'), 16},
        {"刪除" + AnsiString(47, 'x'), 40}, // 49 characters in more than 49 bytes
    };
    for (const Case& C : Cases) {
        Integer Top = -1;
        bool NoFocused = false;
        Inside([&] {
            auto* M = Active<TYesNoForm>();
            ASSERT_NE(M, nullptr);
            Top = M->msg->Top();
            NoFocused = M->ActiveControl() == M->NoButton;
            PressKey(VK_ESCAPE);
        });
        EXPECT_FALSE(askConfirmation(C.Text, Application)) << "Esc answers No";
        EXPECT_EQ(Top, C.Top) << C.Text.size() << " bytes";
        EXPECT_TRUE(NoFocused);
    }

    Inside([&] {
        auto* M = Active<TYesNoForm>();
        ASSERT_NE(M, nullptr);
        EXPECT_EQ(M->Caption(), "Message Box");
        EXPECT_EQ(M->Width(), 554);
        EXPECT_EQ(M->Height(), 207);
        EXPECT_EQ(M->YesButton->Caption(), "&Yes F4");
        EXPECT_EQ(M->NoButton->Caption(), "&No Esc");
        PressKey(VK_F4);
    });
    EXPECT_TRUE(askConfirmation("Delete 2 records?", Application));

    // Yes first when asked: Enter answers the focused button.
    Inside([] { PressKey(VK_RETURN); });
    EXPECT_TRUE(askConfirmation("Replace it?", Application, true));
    Inside([] { PressKey('Y', uitest::ksAlt); });
    EXPECT_TRUE(askConfirmation("Replace it?", Application)) << "the accelerator of Yes";
}

TEST_F(AppTest, InformationHasOneOkayButtonThatEscAlsoCloses)
{
    for (UINT Key : {UINT(VK_F4), UINT(VK_ESCAPE), UINT(VK_RETURN)}) {
        bool Checked = false;
        Inside([&] {
            auto* M = Active<TYesNoForm>();
            ASSERT_NE(M, nullptr);
            EXPECT_EQ(M->msg->Caption(), "Fail to open database.");
            EXPECT_EQ(M->msg->Top(), 16);
            EXPECT_FALSE(M->NoButton->Visible());
            EXPECT_EQ(M->YesButton->Caption(), "Okay");
            EXPECT_EQ(M->YesButton->Left(), 200);
            if (Key == VK_F4) {
                EXPECT_TRUE(uitest::SaveWindowPng(
                    M->Handle(), (TestDirectory() / "drawmere-message.png").string()));
                EXPECT_EQ(uitest::PixelAt(M->YesButton->Handle(), 40, 1), ColorToRGB(0xB9E7FF));
            }
            Checked = true;
            PressKey(Key);
        });
        showInformation("Fail to open database.", Application);
        EXPECT_TRUE(Checked);
        EXPECT_EQ(Active<TYesNoForm>(), nullptr);
    }
}

TEST_F(AppTest, MessageWindowUnderTheMouseGoesAwayCleanly)
{
    auto* Owner = New<TForm>(Application);
    Owner->SetBounds(0, 0, 1024, 768);
    Owner->Show();
    uitest::PumpUntilIdle();
    Inside([&] {
        auto* M = Active<TYesNoForm>();
        ASSERT_NE(M, nullptr);
        uitest::MoveMouse(M->Handle(), 20, 20); // the application now tracks the window
        PressKey(VK_F4);
    });
    showInformation("The database has been opened.", Owner);
    // The window is gone; the mouse moving on must not reach it.
    uitest::MoveMouse(Owner->Handle(), 30, 30);
    uitest::MoveMouse(Owner->Handle(), 500, 380);
    SUCCEED();
}
