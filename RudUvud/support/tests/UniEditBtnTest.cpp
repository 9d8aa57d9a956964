#include "RudUvud/support/VadUni.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class UniEditBtnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    template <class T> T* Add(int Y)
    {
        auto* E = New<T>(Form);
        E->SetParent(Form);
        E->SetBounds(20, Y, 150, 24);
        return E;
    }
    RECT EditRect(TWinControl* E)
    {
        RECT R{};
        SendMessage(E->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
        return R;
    }

    TForm* Form = nullptr;
};

// The two edits with button side by side: what the Unicode one does differently.
TEST_F(UniEditBtnTest, DiffersFromThe8BitEditWhereItShould)
{
    auto* A = Add<TVadEditBtn>(20);
    auto* U = Add<TVadUniEditBtn>(60);
    EXPECT_EQ(A->Text(), "0");
    EXPECT_TRUE(U->Text().empty());
    EXPECT_EQ(U->UnitSpace(), 0);
    EXPECT_EQ(U->ButtonWidth(), 0);
    EXPECT_EQ(U->ButtonControl()->Width(), 18);
    int ClicksA = 0, ClicksU = 0;
    A->OnClickBtn = [&](TObject*) { ++ClicksA; };
    U->OnClickBtn = [&](TObject* Sender) {
        EXPECT_EQ(Sender, U);
        ++ClicksU;
    };
    Form->Show();
    PumpUntilIdle();
    ASSERT_TRUE(IsWindowUnicode(U->Handle()));

    struct Case {
        TWinControl* Edit;
        int RightGap, Inset;
    } Cases[] = {{A, 5, 3}, {U, 3, 2}};
    for (const Case& C : Cases) {
        auto* E = static_cast<TCustomEdit*>(C.Edit);
        RECT R = EditRect(E);
        EXPECT_EQ(R.Right, E->ClientWidth() - 18 - C.RightGap);
        EXPECT_EQ(R.Left, 1);
        E->SetBorderStyle(bsNone);
        PumpUntilIdle();
        R = EditRect(E);
        EXPECT_EQ(R.Left, C.Inset);
        EXPECT_EQ(R.Top, C.Inset);
    }

    // Alt+F4 is left to the form (which is asked to close, and refuses here).
    int CloseRequests = 0;
    Form->OnCloseQuery = [&](TObject*, bool& CanClose) {
        ++CloseRequests;
        CanClose = false;
    };
    for (TWinControl* E : {static_cast<TWinControl*>(A), static_cast<TWinControl*>(U)}) {
        E->SetFocus();
        PressKey(VK_F4);
        PressKey(VK_F4, uitest::ksCtrl);
        PressKey(VK_F4, uitest::ksAlt);
    }
    EXPECT_EQ(ClicksA, 1);
    EXPECT_EQ(ClicksU, 2);
    EXPECT_EQ(CloseRequests, 2);

    U->OnClickBtn = [&](TObject* Sender) {
        EXPECT_EQ(Sender, U->ButtonControl());
        ++ClicksU;
    };
    uitest::Click(U->ButtonControl()->Handle(), 5, 5);
    EXPECT_EQ(ClicksU, 3);
}

TEST_F(UniEditBtnTest, WideTextTypedAndPastedSurvives)
{
    auto* U = Add<TVadUniEditBtn>(20);
    Form->Show();
    PumpUntilIdle();
    U->SetFocus();
    uitest::TypeText(u"獎\U00020BB7");
    PressKey(VK_RETURN); // one line only
    const WideString Paste = u"品\U0002A6A5";
    Clipboard()->SetAsText(WideToAnsi(Paste));
    PressKey('V', uitest::ksCtrl);
    EXPECT_EQ(U->Text(), u"獎\U00020BB7" + Paste);

    U->SetEditorEnabled(false);
    PressKey('V', uitest::ksCtrl);
    uitest::TypeText(u"x");
    EXPECT_EQ(U->Text(), u"獎\U00020BB7" + Paste);

    U->SetRightAlign(true); // a new window, the same wide text
    EXPECT_TRUE(IsWindowUnicode(U->Handle()));
    EXPECT_EQ(U->Text(), u"獎\U00020BB7" + Paste);
}

} // namespace
