// TRichEdit on a form: RTF through its lines and streams, selection attributes, and the events
// of its notifications.

#include "FormsTestSupport.h"

#include "platform/forms/ComCtrls.h"
#include "platform/rtl/Streams.h"

using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class RichEditTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Rich edit", 400, 300);
        Form->Show();
        PumpUntilIdle();
    }
};

} // namespace

TEST_F(RichEditTest, LinesLoadAndSaveRtfAndSelAttributesFormatTheSelection)
{
    auto* R = Add<TRichEdit>(Form, "Notes", 10, 10, 300, 120);
    TStringStream In(R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\fs20 first \b bold\b0\par second\par})");
    R->Lines()->LoadFromStream(&In);
    EXPECT_EQ(R->Text(), "first bold\r\nsecond");
    EXPECT_EQ(R->Lines()->Count(), 2);
    EXPECT_EQ(R->GetTextLen(), 17);

    R->SetSelStart(6);
    R->SetSelLength(4);
    EXPECT_TRUE(R->SelAttributes()->Style().Contains(fsBold));
    EXPECT_EQ(R->SelAttributes()->Name(), "Arial");
    EXPECT_EQ(R->SelAttributes()->Size(), 10);
    R->SelAttributes()->SetColor(clRed);
    R->SelAttributes()->SetOffset(40);
    EXPECT_EQ(R->SelAttributes()->Color(), clRed);
    EXPECT_EQ(R->SelAttributes()->Offset(), 40);

    TStringStream Out;
    R->Lines()->SaveToStream(&Out);
    EXPECT_NE(Out.DataString().find("\\b\\cf1\\up4 bold"), std::string::npos) << Out.DataString();
    // Plain text mode streams the text only.
    R->SetPlainText(true);
    TStringStream Plain;
    R->Lines()->SaveToStream(&Plain);
    EXPECT_EQ(Plain.DataString(), "first bold\r\nsecond");
}

TEST_F(RichEditTest, SelectionChangeAndResizeRequestEventsFire)
{
    auto* R = Add<TRichEdit>(Form, "Notes", 10, 10, 300, 120);
    int SelChanges = 0;
    std::vector<TRect> Requests;
    int Changes = 0;
    R->OnSelectionChange = [&](TObject*) { ++SelChanges; };
    R->OnResizeRequest = [&](TObject*, TRect Rc) { Requests.push_back(Rc); };
    R->OnChange = [&](TObject*) { ++Changes; };
    R->SetFocus();
    TypeText(u"ab");
    PressKey(VK_RETURN);
    TypeText(u"c");
    PumpUntilIdle();
    EXPECT_EQ(R->Text(), "ab\r\nc");
    EXPECT_GE(SelChanges, 4);
    EXPECT_GE(Changes, 4);
    ASSERT_GE(Requests.size(), 2u);
    EXPECT_GT(Requests.back().Height(), Requests.front().Height());
}
