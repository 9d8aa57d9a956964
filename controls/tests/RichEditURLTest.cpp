#include "controls/RichEditURL.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/RichEdit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RichEditURLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 500, 300);
        Edit = New<TRichEditURL>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 460, 200);
        Edit->OnURLClick = [this](TObject*, const AnsiString& URL) { Clicked.push_back(URL); };
        Edit->OnSelectionChange = [this](TObject*) { ++SelectionChanges; };
        Form->Show();
        uitest::PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    // The client point of the character at Index.
    POINT CharAt(Integer Index)
    {
        POINT P{};
        SendMessage(Edit->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&P), Index);
        return POINT{P.X + 2, P.Y + 4};
    }

    TForm* Form = nullptr;
    TRichEditURL* Edit = nullptr;
    std::vector<AnsiString> Clicked;
    int SelectionChanges = 0;
};

TEST_F(RichEditURLTest, ATypedAddressIsALinkOnlyTheButtonGoingDownReports)
{
    Edit->SetFocus();
    uitest::TypeText("see https://example.com/prizes today");
    const LRESULT Mask = SendMessage(Edit->Handle(), EM_GETEVENTMASK, 0, 0);
    EXPECT_NE(Mask & ENM_LINK, 0);
    EXPECT_NE(Mask & ENM_SELCHANGE, 0) << "the edit's own notifications stay in the mask";

    const POINT P = CharAt(10);
    uitest::MoveMouse(Edit->Handle(), P.X, P.Y);
    EXPECT_TRUE(Clicked.empty()) << "moving over a link reports nothing";
    const int ChangesBefore = SelectionChanges;
    uitest::MouseDown(Edit->Handle(), P.X, P.Y);
    ASSERT_EQ(Clicked.size(), 1u);
    EXPECT_EQ(Clicked[0], "https://example.com/prizes");
    EXPECT_EQ(Edit->SelText(), Clicked[0]) << "the link is the selection";
    EXPECT_GT(SelectionChanges, ChangesBefore) << "selection changes are still reported";
    uitest::MouseUp(Edit->Handle(), P.X, P.Y);
    EXPECT_EQ(Clicked.size(), 1u) << "releasing the button reports nothing";

    // Plain text is no link.
    const POINT Plain = CharAt(1);
    uitest::Click(Edit->Handle(), Plain.X, Plain.Y);
    EXPECT_EQ(Clicked.size(), 1u);
}

TEST_F(RichEditURLTest, WithoutAHandlerAClickOnlySelectsTheLink)
{
    Edit->OnURLClick = nullptr;
    Edit->SetText("mail www.example.org now");
    const POINT P = CharAt(8);
    uitest::Click(Edit->Handle(), P.X, P.Y);
    EXPECT_EQ(Edit->SelText(), "www.example.org");

    // A handler that raises leaves the edit working.
    Edit->OnURLClick = [](TObject*, const AnsiString&) { throw Exception("handler failed"); };
    Edit->SetSelStart(0);
    uitest::AdvanceTime(1000); // a second press, not a double click
    uitest::Click(Edit->Handle(), P.X, P.Y);
    EXPECT_EQ(Edit->SelText(), "www.example.org");
}

} // namespace
