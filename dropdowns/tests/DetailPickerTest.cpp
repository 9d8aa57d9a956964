#include "dropdowns/RozUvodudIvavAvuv.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class DetailPickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 500, 400);
        Form->Show();
        D = New<TRozUvodudIvavAvuv>(Form);
        D->SetParent(Form);
        D->SetBounds(20, 20, 200, 21);
        D->OnSelect = [this](TObject*) { ++Selects; };
        for (const char* C : {"Apple", "Apricot", "Banana"})
            D->Items()->Add()->SetCaption(C);
        PumpUntilIdle();
        D->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Open()
    {
        uitest::AdvanceTime(300);
        PressKey(VK_F4);
        ASSERT_TRUE(D->DroppedDown());
    }
    AnsiString Selected() { return D->Text().substr(D->SelStart(), D->SelLength()); }
    TPoint RowCentre(Integer Index)
    {
        const TRect R = D->Selector()->Panel()->GetItemRect(Index);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    }

    TForm* Form = nullptr;
    TRozUvodudIvavAvuv* D = nullptr;
    int Selects = 0;
};

TEST_F(DetailPickerTest, TypingCompletesFromTheCaptions)
{
    uitest::TypeText("ap");
    EXPECT_EQ(D->Text(), "Apple");
    EXPECT_EQ(Selected(), "ple");
    EXPECT_EQ(D->ItemIndex(), 0);
    const int AfterAp = Selects;
    EXPECT_GE(AfterAp, 1);
    // The completion is chosen (OnSelect) when the key is released, not before.
    uitest::KeyDown('R');
    EXPECT_EQ(D->Text(), "Apricot");
    EXPECT_EQ(Selected(), "icot");
    EXPECT_EQ(D->ItemIndex(), 1);
    EXPECT_EQ(Selects, AfterAp);
    uitest::KeyUp('R');
    EXPECT_EQ(Selects, AfterAp + 1);
    EXPECT_EQ(Selected(), "icot");
    // Backspace removes the tail without completing again.
    PressKey(VK_BACK);
    EXPECT_EQ(D->Text(), "Apr");
    // A prefix that matches nothing cuts the text back at the caret.
    D->SetText("Banana");
    D->SetSelStart(2);
    D->SetSelLength(0);
    uitest::TypeText("z");
    EXPECT_EQ(D->Text(), "Baz");
    // Enter takes only a caption that matches exactly, letter case included.
    D->SetText("banana");
    PressKey(VK_RETURN);
    EXPECT_EQ(D->ItemIndex(), 1);
    D->SetText("Banana");
    PressKey(VK_RETURN);
    EXPECT_EQ(D->ItemIndex(), 2);
}

TEST_F(DetailPickerTest, PopupByKeysAndMouse)
{
    Open();
    TVadCustomItemSelector* S = D->Selector();
    ASSERT_EQ(S->Parent(), D->DropDownForm());
    EXPECT_EQ(GetFocus(), D->Handle());
    // One full-width row per item, ItemHeight high.
    const TRect R0 = S->Panel()->GetItemRect(0);
    EXPECT_EQ(R0.Height(), 22);
    EXPECT_EQ(S->Panel()->GetItemRect(1).Top, R0.Bottom);
    EXPECT_GT(R0.Width(), D->Width() - 20);
    // Keys move the selection and keep the popup open.
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_TRUE(D->DroppedDown());
    EXPECT_EQ(D->ItemIndex(), 1);
    EXPECT_EQ(D->Text(), "Apricot");
    // Esc goes back to the item of the opening (none here: the text of the last choice stays).
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(D->DroppedDown());

    D->SetItemIndex(2);
    Open();
    PressKey(VK_UP);
    EXPECT_EQ(D->ItemIndex(), 1);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(D->ItemIndex(), 2);
    EXPECT_EQ(D->Text(), "Banana");

    // A click chooses the row, closes and fires OnSelect once.
    Open();
    const int Before = Selects;
    const TPoint P = RowCentre(0);
    uitest::Click(S->Panel()->Handle(), P.X, P.Y);
    EXPECT_FALSE(D->DroppedDown());
    EXPECT_EQ(D->ItemIndex(), 0);
    EXPECT_EQ(D->Text(), "Apple");
    EXPECT_EQ(Selects, Before + 1);
    EXPECT_EQ(GetFocus(), D->Handle());
}

TEST_F(DetailPickerTest, TypeAheadOnAPickerNotTypedInto)
{
    D->SetEditorEnabled(false);
    Open();
    uitest::TypeText("b");
    EXPECT_TRUE(D->DroppedDown());
    EXPECT_EQ(D->ItemIndex(), 2);
    uitest::TypeText("x"); // "BX" matches nothing
    EXPECT_EQ(D->ItemIndex(), 2);
    uitest::AdvanceTime(600); // the buffer is emptied
    uitest::TypeText("apr");
    EXPECT_EQ(D->ItemIndex(), 1);
    EXPECT_TRUE(D->DroppedDown());
    PressKey(VK_RETURN);
    EXPECT_FALSE(D->DroppedDown());
    EXPECT_EQ(D->Text(), "Apricot");
    // Closed: Home and End choose the ends.
    PressKey(VK_END);
    EXPECT_EQ(D->ItemIndex(), 2);
    PressKey(VK_HOME);
    EXPECT_EQ(D->ItemIndex(), 0);
}

TEST_F(DetailPickerTest, ClearingTheChoiceAndCopyingItems)
{
    D->SetItemIndex(1);
    const int Before = Selects;
    D->SetItemIndex(-1); // no item -1 is looked up
    EXPECT_EQ(D->ItemIndex(), -1);
    EXPECT_EQ(D->Text(), "");
    EXPECT_EQ(Selects, Before + 1);
    D->SetItemIndex(3); // beyond the items
    EXPECT_EQ(D->ItemIndex(), -1);

    D->Items()->Items(0)->SetNotes("<b>red</b> and round");
    D->Items()->Items(0)->SetImageIndex(4);
    auto* Other = New<TRozUvodudIvavAvuv>(Form);
    Other->SetParent(Form);
    Other->SetItems(D->Items());
    ASSERT_EQ(Other->Items()->Count(), 3);
    EXPECT_EQ(Other->Items()->Items(0)->Notes(), "<b>red</b> and round");
    EXPECT_EQ(Other->Items()->Items(0)->ImageIndex(), 4);
    EXPECT_EQ(Other->Items()->IndexOf("Banana"), 2);
    EXPECT_EQ(Other->Items()->IndexOf("banana"), -1);
}

TEST_F(DetailPickerTest, RowsDrawCaptionAndNotesInsideTheRow)
{
    D->Items()->Items(0)->SetNotes("WWWW<br>WWWW<br>WWWW<br>WWWW");
    D->NotesFont()->SetColor(0x0000FF);
    D->NotesFont()->SetSize(12);
    D->ItemAppearance()->ColorSelectedText = 0x0000FF;
    Open();
    PumpUntilIdle();
    HWND H = D->Selector()->Panel()->Handle();
    auto RedIn = [&](const TRect& R) {
        int N = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; X += 2)
                N += uitest::PixelAt(H, X, Y) == 0x0000FFu;
        return N;
    };
    const TRect R0 = D->Selector()->Panel()->GetItemRect(0), R1 = D->Selector()->Panel()->GetItemRect(1);
    EXPECT_GT(RedIn(R0), 0); // the first note line shows
    EXPECT_EQ(RedIn(R1), 0); // the rest is cut at the row's bottom
    PressKey(VK_ESCAPE);

    // A handler of its own draws over the selector's backgrounds instead.
    int Calls = 0;
    D->OnDrawSelectedImage = [&](TObject*, TCanvas* C, TRect R) {
        ++Calls;
        C->Brush()->SetColor(0x00FF00);
        C->FillRect(TRect{R.Left + 2, R.Top + 2, R.Left + 12, R.Top + 12});
    };
    Open();
    PumpUntilIdle();
    EXPECT_GE(Calls, 3);
    EXPECT_EQ(uitest::PixelAt(H, R1.Left + 5, R1.Top + 5), 0x00FF00u);
    EXPECT_EQ(RedIn(R0), 0);
}

// The popup is exactly as tall as the header, the selector and the footer: no scroll bar of
// the popup takes room from them, and the footer sits at its bottom.
TEST_F(DetailPickerTest, FooterSitsAtThePopupsBottom)
{
    D->DropDownHeader()->SetVisible(true);
    D->DropDownFooter()->SetVisible(true);
    Open();
    TForm* Popup = D->DropDownForm();
    TControl* Header = nullptr;
    TControl* Footer = nullptr;
    for (Integer I = 0; I < Popup->ControlCount(); ++I) {
        TControl* C = Popup->Controls(I);
        if (C->Align() == alTop)
            Header = C;
        if (C->Align() == alBottom)
            Footer = C;
    }
    ASSERT_NE(Header, nullptr);
    ASSERT_NE(Footer, nullptr);
    const Integer Border = D->DropDownBorderWidth();
    EXPECT_EQ(Popup->ClientHeight(), Popup->Height());
    EXPECT_EQ(Popup->Height(), 2 * Border + Header->Height() + 100 + Footer->Height());
    EXPECT_EQ(Footer->Top() + Footer->Height(), Popup->ClientHeight() - Border);
    EXPECT_EQ(D->Selector()->Top(), Header->Top() + Header->Height());
    EXPECT_EQ(D->Selector()->Top() + D->Selector()->Height(), Footer->Top());
}

} // namespace
