#include "AppTestSupport.h"

#include "platform/rtl/Strings.h"
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
                EXPECT_TRUE(
                    uitest::SaveWindowPng(M->Handle(), (TestDirectory() / "drawmere-message.png").string()));
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

// A path too long for the message window loses characters from the middle of its folders, then
// of its file name, shown as "...": the message stays whole and keeps its end (but for a
// message that could not fit anyway). Messages show what they say: an ampersand is no
// accelerator.
TEST_F(AppTest, LongPathsAreShortenedInTheMiddleToKeepMessagesWhole)
{
    const AnsiString Before = "12 records have been exported to ", After = ", open it now?";
    const AnsiString Folders = "/home/operator/Documents/company events/year-end party 2026/prize draw";
    struct Case {
        AnsiString Path;
        AnsiString End; // what the shortened message ends with
    };
    const Case Cases[] = {
        {"/home/operator/prizes.xls", "/home/operator/prizes.xls, open it now?"},
        {Folders + "/exports/prizes.xls", "/prizes.xls, open it now?"},
        {"/home/operator/尾牙抽獎/獎品清單/年終晚會/公司活動/獎品/尾牙抽獎/獎品清單/年終晚會/公司活動/"
         "prizes.xls",
         "/prizes.xls, open it now?"},
        {Folders + "/Q&A prizes.csv", "/Q&A prizes.csv, open it now?"},
        {Folders + "/" + AnsiString(200, 'n') + ".csv", "nnn.csv, open it now?"},
        {AnsiString(200, 'n') + ".csv", "nnn.csv, open it now?"},
    };
    // Text after the path too long for the window whatever the path: the path stays whole.
    const AnsiString Reason = ": " + AnsiString(60, 'r') + " " + AnsiString(60, 'r');
    EXPECT_EQ(fitPathInMessage(Before, Folders + "/prizes.xls", Reason),
              Before + Folders + "/prizes.xls" + Reason);

    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Path);
        const AnsiString Said = fitPathInMessage(Before, C.Path, After);
        EXPECT_TRUE(IsValidUtf8(Said)) << Said;
        EXPECT_EQ(Said.substr(0, Before.size()), Before);
        ASSERT_GE(Said.size(), C.End.size());
        EXPECT_EQ(Said.substr(Said.size() - C.End.size()), C.End) << Said;
        EXPECT_EQ(Said.find("...") == AnsiString::npos, Said == Before + C.Path + After) << Said;
        Inside([&] {
            auto* M = Active<TYesNoForm>();
            ASSERT_NE(M, nullptr);
            EXPECT_EQ(M->msg->Caption(), Said);
            EXPECT_FALSE(M->msg->ShowAccelChar());
            EXPECT_TRUE(ShowsWholeText(M)) << Said;
            PressKey(VK_ESCAPE);
        });
        askConfirmation(Said, Application);
    }
}
