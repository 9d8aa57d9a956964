// TDateTimePicker on a form: the value both ways, typing, and the drop-down events.

#include "FormsTestSupport.h"

#include "platform/forms/ComCtrls.h"
#include "platform/rtl/DateTime.h"

using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class DateTimePickerTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Dates", 400, 300);
        Form->Show();
        PumpUntilIdle();
    }
};

} // namespace

TEST_F(DateTimePickerTest, ValueFollowsTheKeyboardAndTheCalendarEventsFire)
{
    auto* P = Add<TDateTimePicker>(Form, "Drawn", 10, 10, 180, 22);
    P->SetFormat("yyyy-MM-dd");
    P->SetDateTime(EncodeDate(2024, 3, 9) + EncodeTime(10, 30, 0, 0));
    int Changes = 0, Drops = 0, Closes = 0;
    P->OnChange = [&](TObject*) { ++Changes; };
    P->OnDropDown = [&](TObject*) { ++Drops; };
    P->OnCloseUp = [&](TObject*) { ++Closes; };
    P->SetFocus();
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    TypeText(u"21");
    PumpUntilIdle();
    EXPECT_EQ(P->Date(), EncodeDate(2024, 3, 21));
    EXPECT_NEAR(P->Time(), EncodeTime(10, 30, 0, 0), 1e-6); // the time of day is kept
    EXPECT_EQ(Changes, 2);

    PressKey(VK_F4);
    PumpUntilIdle();
    EXPECT_TRUE(P->DroppedDown());
    EXPECT_EQ(Drops, 1);
    PressKey(VK_RIGHT); // the calendar moves its selection by a day
    PressKey(VK_RETURN);
    PumpUntilIdle();
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(Closes, 1);
    EXPECT_EQ(P->Date(), EncodeDate(2024, 3, 22));

    // A time picker with its check box.
    auto* T = Add<TDateTimePicker>(Form, "At", 10, 50, 120, 22);
    T->SetKind(dtkTime);
    T->SetShowCheckbox(true);
    T->SetTime(EncodeTime(8, 15, 0, 0));
    T->SetFocus();
    PressKey(VK_UP);
    PumpUntilIdle();
    EXPECT_NEAR(T->Time(), EncodeTime(9, 15, 0, 0), 1e-6);
    TypeText(u" ");
    PumpUntilIdle();
    EXPECT_FALSE(T->Checked());
}
