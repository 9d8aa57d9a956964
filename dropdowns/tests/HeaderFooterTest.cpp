#include "dropdowns/VadHeader.h"

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PumpUntilIdle;

namespace {

class HeaderFooterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Edit = New<TDadOrorUdur>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 20, 200, 21);
        Edit->SetDropDownWidth(200);
        Edit->SetDropDownHeight(120);
        Edit->SetDropDownBorderWidth(0);
        Form->Show();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Drop()
    {
        uitest::AdvanceTime(300);
        Edit->ShowDropDown();
        PumpUntilIdle();
        ASSERT_TRUE(Edit->DroppedDown());
    }
    TVadHeader* Header() { return Edit->DropDownForm()->FVadHeader; }
    TVadFooter* Footer() { return Edit->DropDownForm()->FVadFooter; }
    // How many pixels of a strip's rectangle differ from the colour given.
    int PixelsOtherThan(TControl* Strip, const TRect& R, COLORREF Colour)
    {
        auto* W = static_cast<TWinControl*>(Strip);
        int N = 0;
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left; X < R.Right; ++X)
                N += uitest::PixelAt(W->Handle(), X, Y) != Colour;
        return N;
    }

    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
};

TEST_F(HeaderFooterTest, ButtonsLineUpFromTheRightAndTheCaptionStopsBeforeThem)
{
    for (int W : {30, 40, 50})
        Edit->DropDownHeader()->Buttons()->Add()->SetWidth(W);
    THeaderButton* Tall = Edit->DropDownHeader()->Buttons()->Add();
    Tall->SetWidth(10);
    Tall->SerHeight(40);
    Drop();
    ASSERT_NE(Header(), nullptr);
    EXPECT_EQ(Header()->Width(), 200);
    ASSERT_EQ(Header()->ButtonControls()->Count(), 4);
    EXPECT_EQ(Header()->ButtonControl(0)->Left(), 168);
    EXPECT_EQ(Header()->ButtonControl(1)->Left(), 128);
    EXPECT_EQ(Header()->ButtonControl(2)->Left(), 78);
    EXPECT_EQ(Header()->ButtonControl(3)->Left(), 68);
    // A button taller than the strip is cut to the button area: 22 - 2 - 3.
    EXPECT_EQ(Header()->ButtonControl(3)->Height(), 17);
    EXPECT_EQ(Header()->GetButtonsCoveredRect().Right, 66);
    Edit->HideDropDown(false);
    Edit->DropDownHeader()->Buttons()->Delete(3);
    Drop();
    EXPECT_EQ(Header()->GetButtonsCoveredRect().Right, 76);

    // Left alignment: from the left edge, touching.
    Edit->HideDropDown(false);
    Edit->DropDownHeader()->SetButtonAlignment(baLeft);
    Drop();
    EXPECT_EQ(Header()->ButtonControl(0)->Left(), 2);
    EXPECT_EQ(Header()->ButtonControl(1)->Left(), 32);
    EXPECT_EQ(Header()->ButtonControl(2)->Left(), 72);
}

TEST_F(HeaderFooterTest, FooterButtonClicksAndTheSizeGrip)
{
    std::vector<Integer> Clicked;
    Edit->OnDropDownFooterButtonClick = [&](TObject* Sender, Integer Index) {
        EXPECT_EQ(Sender, Edit);
        Clicked.push_back(Index);
    };
    Edit->DropDownFooter()->Buttons()->Add()->SetCaption("One");
    TFooterButton* Ok = Edit->DropDownFooter()->Buttons()->Add();
    Ok->SetCaption("Two");
    Drop();
    ASSERT_NE(Footer(), nullptr);
    ASSERT_EQ(Footer()->ButtonControls()->Count(), 2);
    // The grip takes 12 pixels at the right.
    EXPECT_TRUE(Footer()->HasSizeGrip());
    EXPECT_EQ(Footer()->GetButtonsRect().Right, 200 - 2 - 12);
    TVadButton* Second = Footer()->ButtonControl(1);
    uitest::Click(Second->Handle(), 5, 5);
    EXPECT_EQ(Clicked, std::vector<Integer>{1});
    EXPECT_TRUE(Edit->DroppedDown()); // no modal result: the popup stays

    // A sizeable popup's grip: white squares with their dark shadows at the bottom right.
    const int L = 200 - 16, B = Footer()->Height();
    EXPECT_EQ(uitest::PixelAt(Footer()->Handle(), L + 13, B - 4), 0xFFFFFFu);
    EXPECT_EQ(uitest::PixelAt(Footer()->Handle(), L + 12, B - 13), Edit->DropDownFooter()->BorderColor());

    // Dragging the grip resizes the popup; the next drop keeps the size.
    uitest::Drag(Footer()->Handle(), 200 - 4, B - 3, 200 + 36, B + 27);
    RECT R{};
    GetWindowRect(Edit->DropDownForm()->Handle(), &R);
    EXPECT_EQ(R.Right - R.Left, 240);
    EXPECT_EQ(R.Bottom - R.Top, 150);
    Edit->HideDropDown(false);
    Drop();
    GetWindowRect(Edit->DropDownForm()->Handle(), &R);
    EXPECT_EQ(R.Right - R.Left, 240);

    // A popup that cannot be sized has no grip, and the buttons have the full width.
    Edit->HideDropDown(false);
    Edit->SetDropDownSizeable(false);
    Edit->SetDropDownWidth(210); // forgets the size the person gave it
    Drop();
    EXPECT_FALSE(Footer()->HasSizeGrip());
    EXPECT_EQ(Footer()->GetButtonsRect().Right, 210 - 2);
}

TEST_F(HeaderFooterTest, BordersBackgroundAndCaption)
{
    THeaderAppearance* H = Edit->DropDownHeader();
    H->SetColor(0xFFFFFF);
    H->SetColorTo(clNone);
    H->SetBorderColor(0x0000FF);
    H->SetBorderWidth(3);
    H->SetCaption("<b>Prizes</b>");
    Edit->DropDownFooter()->SetVisible(false);
    // The popup draws its own frame: the header draws only its bottom line.
    Edit->SetDropDownBorderWidth(1);
    Edit->SetDropDownBorderColor(0x000000);
    Drop();
    TVadHeader* S = Header();
    // (A 3-pixel pen centred on the edge; the inner light line lies on the outermost pixels.)
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 50, S->Height() - 2), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 0, 10), DadOrorUdur::BlendColor(0x0000FF, 0xFFFFFF, 20));
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 1, 10), 0xFFFFFFu);
    const TRect CaptionArea{4, 4, S->Width() - 4, S->Height() - 4};
    const COLORREF Inner = 0xFFFFFF;
    EXPECT_GT(PixelsOtherThan(S, CaptionArea, Inner), 0); // the caption is drawn

    // Without the popup's frame the header frames itself; the caption can be taken away.
    Edit->HideDropDown(false);
    Edit->SetDropDownBorderColor(clNone);
    Edit->OnGetHeaderText = [](TObject*, AnsiString& Text) { Text = ""; };
    Drop();
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 1, 10), 0x0000FFu);
    EXPECT_EQ(PixelsOtherThan(S, CaptionArea, Inner), 0);

    // No background colours: the border is still drawn.
    Edit->HideDropDown(false);
    H->SetColor(clNone);
    Drop();
    EXPECT_EQ(uitest::PixelAt(S->Handle(), 1, 10), 0x0000FFu);

    // A height set between drops is used at the next drop.
    Edit->HideDropDown(false);
    H->SetHeight(30);
    Drop();
    EXPECT_EQ(Header()->Height(), 30);
}

TEST(HeaderFooterAppearance, AssignCopiesEverySettingAndButtons)
{
    THeaderAppearance A(nullptr), B(nullptr);
    A.SetColor(0x010203);
    A.SetCaption("x");
    A.SetHeight(30);
    A.SetVisible(false);
    A.Buttons()->Add()->SetCaption("b");
    int Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    B.Assign(&A);
    EXPECT_EQ(B.Color(), 0x010203u);
    EXPECT_EQ(B.Caption(), "x");
    EXPECT_EQ(B.Height(), 30);
    EXPECT_FALSE(B.Visible());
    EXPECT_EQ(Changes, 1);
    ASSERT_EQ(B.Buttons()->Count(), 1);
    EXPECT_EQ(B.Buttons()->Items(0)->Caption(), "b");
    TFooterAppearance F(nullptr), G(nullptr);
    F.SetSizeGrip(false);
    F.Buttons()->Add()->SetModalResult(mrOk);
    G.Assign(&F);
    EXPECT_FALSE(G.SizeGrip());
    EXPECT_EQ(G.Buttons()->Items(0)->ModalResult(), mrOk);
    B.Assign(&G); // another kind: nothing copied
    EXPECT_EQ(B.Buttons()->Count(), 1);
}

} // namespace
