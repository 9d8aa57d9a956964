#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/DudIdadeDovUrezAvir.h"
#include "dropdowns/RerUrazEzodIzaz.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class PickersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    template <class T> T* Make()
    {
        auto* P = New<T>(Form);
        P->SetParent(Form);
        P->SetBounds(20, 20, 200, 21);
        PumpUntilIdle();
        P->SetFocus();
        PumpUntilIdle();
        return P;
    }
    TForm* Form = nullptr;
};

TEST_F(PickersTest, TrackBarPickerKeysDragAndPopup)
{
    auto* T = Make<TDudIdadeDovUrezAvir>();
    int Tracks = 0;
    T->OnTrackChange = [&](TObject*) { ++Tracks; };
    EXPECT_EQ(T->Text(), "0");
    EXPECT_FALSE(T->EditorEnabled());
    // Closed: Down raises by the frequency, Up lowers, within the range.
    T->SetFrequency(3);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_EQ(T->Position(), 6);
    EXPECT_EQ(T->Text(), "6");
    PressKey(VK_DOWN);
    PressKey(VK_DOWN); // 12 would pass the maximum
    EXPECT_EQ(T->Position(), 9);
    PressKey(VK_UP);
    EXPECT_EQ(T->Position(), 6);
    EXPECT_GT(Tracks, 0);
    // Dragging across the edit: one step per page size of pixels.
    T->SetPosition(0);
    uitest::Drag(T->Handle(), 20, 10, 30, 10, 1);
    EXPECT_EQ(T->Position(), 5);
    T->SetPageSize(0); // no step at all rather than a division by zero
    uitest::Drag(T->Handle(), 20, 10, 60, 10, 2);
    EXPECT_EQ(T->Position(), 5);
    // A text that is no integer leaves the value alone.
    T->SetText("abc");
    EXPECT_EQ(T->Position(), 5);

    // The popup: a 40-pixel track bar as wide as the control; picking there is kept when the
    // person clicks elsewhere.
    uitest::AdvanceTime(300);
    PressKey(VK_F4);
    ASSERT_TRUE(T->DroppedDown());
    EXPECT_EQ(T->TrackBar()->Width(), T->DropDownForm()->ClientWidth() - 2);
    EXPECT_EQ(T->DropDownForm()->Height(), 50); // 42 asked, the popup's minimum height
    T->TrackBar()->SetPosition(8);
    EXPECT_EQ(T->Text(), "8");
    uitest::ClickAt(POINT{900, 700});
    EXPECT_FALSE(T->DroppedDown());
    EXPECT_EQ(T->Position(), 8);
    EXPECT_EQ(T->Text(), "8");
    // Alt+Down opens instead of stepping.
    PressKey(VK_DOWN, uitest::ksAlt);
    EXPECT_TRUE(T->DroppedDown());
    EXPECT_EQ(T->Position(), 8);
}

TEST_F(PickersTest, MemoPickerEditsLinesInItsPopup)
{
    auto* M = Make<TRerUrazEzodIzaz>();
    M->MemoText()->SetText("first\nsecond");
    EXPECT_EQ(M->Text(), "first...");
    M->MemoText()->SetText(AnsiString(80, 'w'));
    EXPECT_LT(M->Text().size(), 80u);
    EXPECT_EQ(M->Text().substr(M->Text().size() - 3), "...");

    // Typing in the memo, clicking outside: accepted.
    M->MemoText()->SetText("one");
    uitest::AdvanceTime(300);
    PressKey(VK_F4);
    ASSERT_TRUE(M->DroppedDown());
    EXPECT_EQ(M->Memo()->Lines()->Count(), 1);
    uitest::Click(M->Memo()->Handle(), 60, 5);
    EXPECT_EQ(GetFocus(), M->Memo()->Handle());
    PressKey(VK_END);
    PressKey(VK_RETURN); // stays in the memo
    uitest::TypeText("two");
    EXPECT_TRUE(M->DroppedDown());
    uitest::ClickAt(POINT{900, 700});
    EXPECT_FALSE(M->DroppedDown());
    ASSERT_EQ(M->MemoText()->Count(), 2);
    EXPECT_EQ(M->MemoText()->Strings(1), "two");
    EXPECT_EQ(M->Text(), "one...");

    // Esc in the memo closes and keeps the old text.
    uitest::AdvanceTime(300);
    M->SetFocus();
    PressKey(VK_F4);
    uitest::Click(M->Memo()->Handle(), 60, 5);
    uitest::TypeText("zzz");
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(M->DroppedDown());
    ASSERT_EQ(M->MemoText()->Count(), 2);
    EXPECT_EQ(M->MemoText()->Strings(0), "one");
    EXPECT_EQ(M->Text(), "one...");
    EXPECT_EQ(GetFocus(), M->Handle());

    // Typing in the edit replaces the whole text.
    PressKey(VK_END);
    uitest::TypeText("X");
    EXPECT_EQ(M->MemoText()->Count(), 1);
    EXPECT_EQ(M->MemoText()->Strings(0), "one...X");
}

TEST_F(PickersTest, EveryPopupOpensAndClosesByMouseAndKeys)
{
    std::vector<TDizEveverAvivIzar*> Controls{Make<TDadOrorUdur>(), Make<TDudIdadeDovUrezAvir>(),
                                              Make<TRerUrazEzodIzaz>()};
    for (std::size_t I = 0; I < Controls.size(); ++I) {
        SCOPED_TRACE(I);
        TDizEveverAvivIzar* C = Controls[I];
        C->SetBounds(20, 20 + 30 * Integer(I), 200, 21);
        C->SetFocus();
        PumpUntilIdle();
        TDropDownEditButton* B = C->DropDownButton();
        auto Step = [&](auto Open, auto Close) {
            uitest::AdvanceTime(300);
            Open();
            EXPECT_TRUE(C->DroppedDown());
            EXPECT_EQ(GetFocus(), C->Handle());
            Close();
            EXPECT_FALSE(C->DroppedDown());
        };
        auto Button = [&] { uitest::Click(B->Handle(), B->Width() / 2, B->Height() / 2); };
        Step(Button, [] { PressKey(VK_ESCAPE); });
        Step(Button, Button);
        Step([] { PressKey(VK_F4); }, [] { PressKey(VK_F4); });
        Step([] { PressKey(VK_DOWN, uitest::ksAlt); }, [] { PressKey(VK_UP, uitest::ksAlt); });
        Step([] { PressKey(VK_DOWN, uitest::ksAlt); }, [] { PressKey(VK_RETURN); });
        Step([] { PressKey(VK_F4); }, [] { uitest::ClickAt(POINT{900, 700}); });
    }
}

} // namespace
