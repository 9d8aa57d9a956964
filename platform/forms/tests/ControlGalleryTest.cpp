// Panels, shapes, images, status bars, track bars, up-downs, tab sets and buttons with glyphs:
// driven as a person would, and a form holding every control saved as PNG to look at.

#include "FormsTestSupport.h"

#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Mask.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/Tabs.h"

using uitest::Click;
using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class GalleryTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Gallery", 560, 420);
        Form->Show();
        PumpUntilIdle();
    }
};

TEST_F(GalleryTest, PanelInsetsItsChildrenByItsBevelsAndBorder)
{
    auto* P = Add<TPanel>(Form, "Panel", 10, 10, 200, 100);
    P->SetBevelInner(bvLowered);
    P->SetBevelWidth(2);
    P->SetBorderWidth(3);
    auto* Inner = Add<TPanel>(P, "Inner", 0, 0, 10, 10);
    Inner->SetAlign(alClient);
    EXPECT_EQ(Inner->BoundsRect(), (TRect{7, 7, 193, 93}));
    // A shape fills with its brush.
    auto* S = Add<TShape>(Form, "Shape", 250, 10, 60, 40);
    S->Brush()->SetColor(clRed);
    PumpUntilIdle();
    EXPECT_EQ(PixelAt(Form->Handle(), 280, 30), RGB(255, 0, 0));
    // A paint box paints through OnPaint.
    auto* Box = Add<TPaintBox>(Form, "Box", 320, 10, 40, 40);
    int Paints = 0;
    Box->OnPaint = [&](TObject*) {
        ++Paints;
        Box->Canvas()->Brush()->SetColor(clBlue);
        Box->Canvas()->FillRect(TRect{0, 0, 40, 40});
    };
    Box->Invalidate();
    PumpUntilIdle();
    EXPECT_GT(Paints, 0);
    EXPECT_EQ(PixelAt(Form->Handle(), 340, 30), RGB(0, 0, 255));
}

TEST_F(GalleryTest, TrackBarMovesWithKeysClicksAndDrags)
{
    auto* T = Add<TTrackBar>(Form, "Track", 10, 10, 200, 45);
    T->SetMax(20);
    T->SetPageSize(5);
    int Changes = 0;
    T->OnChange = [&](TObject*) { ++Changes; };
    T->SetFocus();
    PressKey(VK_RIGHT);
    PressKey(VK_NEXT);
    EXPECT_EQ(T->Position(), 6);
    PressKey(VK_END);
    EXPECT_EQ(T->Position(), 20);
    TRect Thumb = T->ThumbRect();
    Click(T->Handle(), 12, Thumb.Top + 5); // beside the thumb: a page towards the click
    EXPECT_EQ(T->Position(), 15);
    EXPECT_EQ(Changes, 4);
    Thumb = T->ThumbRect();
    uitest::Drag(T->Handle(), Thumb.Left + 5, Thumb.Top + 5, 14, Thumb.Top + 5);
    EXPECT_EQ(T->Position(), 0);
    T->SetPosition(99);
    EXPECT_EQ(T->Position(), 20);
}

TEST_F(GalleryTest, UpDownStepsItsAssociateAndRepeatsWhileHeld)
{
    auto* E = Add<TEdit>(Form, "Count", 10, 10, 80, 21);
    auto* U = Add<TUpDown>(Form, "Spin", 0, 0, 17, 21);
    U->SetMax(2000);
    U->SetIncrement(500);
    U->SetAssociate(E);
    EXPECT_EQ(U->Left(), 90); // beside the edit
    EXPECT_EQ(E->Text(), "0");
    std::vector<TUDBtnType> Buttons;
    U->OnClick = [&](TObject*, TUDBtnType B) { Buttons.push_back(B); };
    Click(U->Handle(), 8, 4);
    Click(U->Handle(), 8, 4);
    Click(U->Handle(), 8, 4);
    EXPECT_EQ(E->Text(), "1,500");
    Click(U->Handle(), 8, 17);
    EXPECT_EQ(U->Position(), 1000);
    EXPECT_EQ(Buttons, (std::vector<TUDBtnType>{btNext, btNext, btNext, btPrev}));
    // The text typed into the associate is where the next step starts.
    E->SetText("20");
    Click(U->Handle(), 8, 4);
    EXPECT_EQ(E->Text(), "520");
    // Refused changes leave the position; wrapping goes round.
    U->OnChanging = [](TObject*, bool& Allow) { Allow = false; };
    Click(U->Handle(), 8, 4);
    EXPECT_EQ(U->Position(), 520);
    U->OnChanging = nullptr;
    U->SetWrap(true);
    U->SetPosition(2000);
    Click(U->Handle(), 8, 4);
    EXPECT_EQ(U->Position(), 0);
    // Held down, it repeats.
    U->SetWrap(false);
    uitest::MouseDown(U->Handle(), 8, 4);
    uitest::AdvanceTime(1000);
    uitest::MouseUp(U->Handle(), 8, 4);
    EXPECT_GE(U->Position(), 2000); // capped at Max
}

TEST_F(GalleryTest, TabSetSelectsTheClickedTabUnlessRefused)
{
    auto* T = Add<TTabSet>(Form, "Sheets", 10, 10, 300, 21);
    T->Tabs()->Add("一等獎");
    T->Tabs()->Add("Second");
    T->Tabs()->Add("Third");
    T->SetTabIndex(0);
    int Clicks = 0;
    T->OnClick = [&](TObject*) { ++Clicks; };
    TRect R = T->ItemRect(1);
    Click(T->Handle(), (R.Left + R.Right) / 2, 8);
    EXPECT_EQ(T->TabIndex(), 1);
    EXPECT_EQ(Clicks, 1);
    T->OnChange = [](TObject*, Integer NewTab, bool& Allow) { Allow = NewTab != 2; };
    R = T->ItemRect(2);
    Click(T->Handle(), (R.Left + R.Right) / 2, 8);
    EXPECT_EQ(T->TabIndex(), 1);
    T->Tabs()->Delete(2);
    T->Tabs()->Delete(1);
    EXPECT_EQ(T->TabIndex(), 0);
}

TEST_F(GalleryTest, TabSetBackgroundCanBeDithered)
{
    auto* T = Add<TTabSet>(Form, "Dithered", 10, 10, 300, 21);
    T->SetBackgroundColor(0x0000FF);
    T->SetDitherBackground(true);
    uitest::PumpUntilIdle();
    // Past the last tab: neighbouring pixels alternate between the colour and white.
    EXPECT_NE(PixelAt(T->Handle(), 250, 10), PixelAt(T->Handle(), 251, 10));
    EXPECT_EQ(PixelAt(T->Handle(), 250, 10), PixelAt(T->Handle(), 251, 11));
    T->SetDitherBackground(false);
    uitest::PumpUntilIdle();
    EXPECT_EQ(PixelAt(T->Handle(), 250, 10), COLORREF(0x0000FF));
    EXPECT_EQ(PixelAt(T->Handle(), 251, 10), COLORREF(0x0000FF));
}

TEST_F(GalleryTest, SpeedButtonsOfAGroupLatchOneAtATime)
{
    auto* A = Add<TSpeedButton>(Form, "A", 10, 10, 23, 22);
    auto* B = Add<TSpeedButton>(Form, "B", 40, 10, 23, 22);
    auto* Plain = Add<TSpeedButton>(Form, "Plain", 70, 10, 23, 22);
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    int Clicks = 0;
    Plain->OnClick = [&](TObject*) { ++Clicks; };
    Click(Form->Handle(), 20, 20);
    EXPECT_TRUE(A->Down());
    Click(Form->Handle(), 50, 20);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    Click(Form->Handle(), 50, 20); // no way back up without AllowAllUp
    EXPECT_TRUE(B->Down());
    B->SetAllowAllUp(true);
    Click(Form->Handle(), 50, 20);
    EXPECT_FALSE(B->Down());
    EXPECT_TRUE(A->AllowAllUp()); // shared by the group
    Click(Form->Handle(), 80, 20);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(Plain->Down());

    auto* Ok = Add<TBitBtn>(Form, "Ok", 10, 50, 75, 25);
    Ok->SetKind(bkOK);
    EXPECT_EQ(Ok->Caption(), "OK");
    EXPECT_TRUE(Ok->Default());
    Click(Ok->Handle(), 30, 12);
    EXPECT_EQ(Form->ModalResult(), mrOk);
}

TEST_F(GalleryTest, AFormWithEveryControl)
{
    Form->SetColor(clBtnFace);
    auto* Status = Add<TStatusBar>(Form, "Status", 0, 0, 100, 19);
    Status->Panels()->Add()->SetText("就緒 Ready");
    Status->Panels()->Items(0)->SetWidth(120);
    Status->Panels()->Add()->SetText("3 prizes");
    auto* L = Add<TLabel>(Form, "Label", 10, 12, 80, 17);
    L->SetCaption("獎品 &Prize:");
    auto* E = Add<TEdit>(Form, "Edit", 90, 10, 150, 21);
    E->SetText("頭獎 — a car");
    auto* M = Add<TMaskEdit>(Form, "Mask", 250, 10, 80, 21);
    M->SetEditMask("!90:00;1;_");
    M->SetText("9:30");
    auto* Memo = Add<TMemo>(Form, "Memo", 10, 40, 160, 60);
    Memo->Lines()->Add("第一行");
    Memo->Lines()->Add("second line");
    auto* Btn = Add<TButton>(Form, "Button", 180, 40, 75, 25);
    Btn->SetCaption("抽獎");
    auto* Bit = Add<TBitBtn>(Form, "BitBtn", 260, 40, 75, 25);
    Bit->SetKind(bkCancel);
    auto* Speed = Add<TSpeedButton>(Form, "Speed", 340, 40, 60, 25);
    Speed->SetCaption("Speed");
    auto* Check = Add<TCheckBox>(Form, "Check", 180, 75, 120, 17);
    Check->SetCaption("Include 已抽");
    Check->SetChecked(true);
    auto* Radio = Add<TRadioButton>(Form, "Radio", 300, 75, 100, 17);
    Radio->SetCaption("Radio");
    Radio->SetChecked(true);
    auto* Group = Add<TGroupBox>(Form, "Group", 10, 110, 160, 80);
    Group->SetCaption("Group 群組");
    auto* InGroup = Add<TCheckBox>(Group, "InGroup", 10, 20, 120, 17);
    InGroup->SetCaption("Inside");
    auto* Combo = Add<TComboBox>(Form, "Combo", 180, 100, 150, 21);
    Combo->Items()->Add("一等獎");
    Combo->Items()->Add("二等獎");
    Combo->SetItemIndex(0);
    auto* List = Add<TListBox>(Form, "List", 340, 100, 150, 80);
    for (const char* S : {"Apple", "香蕉", "Cherry"})
        List->Items()->Add(S);
    List->SetItemIndex(1);
    auto* Scroll = Add<TScrollBar>(Form, "Scroll", 180, 130, 150, 17);
    Scroll->SetPageSize(10);
    Scroll->SetPosition(30);
    auto* Panel = Add<TPanel>(Form, "Panel", 10, 200, 160, 40);
    Panel->SetCaption("Panel 面板");
    auto* Bevel = Add<TBevel>(Form, "Bevel", 180, 200, 60, 40);
    auto* Shape = Add<TShape>(Form, "Shape", 250, 200, 40, 40);
    Shape->SetShape(stCircle);
    Shape->Brush()->SetColor(clYellow);
    auto* Image = Add<TImage>(Form, "Image", 300, 200, 40, 40);
    Image->Picture()->Bitmap()->SetWidth(32);
    Image->Picture()->Bitmap()->SetHeight(32);
    Image->Picture()->Bitmap()->Canvas()->Brush()->SetColor(clGreen);
    Image->Picture()->Bitmap()->Canvas()->FillRect(TRect{0, 0, 32, 32});
    Image->Invalidate();
    auto* Track = Add<TTrackBar>(Form, "Track", 350, 190, 150, 45);
    Track->SetPosition(4);
    auto* Spin = Add<TEdit>(Form, "SpinEdit", 10, 250, 60, 21);
    auto* Up = Add<TUpDown>(Form, "Up", 0, 0, 17, 21);
    Up->SetAssociate(Spin);
    Up->SetPosition(7);
    auto* Tabs = Add<TTabSet>(Form, "Tabs", 100, 250, 300, 21);
    Tabs->Tabs()->Add("Sheet1");
    Tabs->Tabs()->Add("工作表2");
    Tabs->SetTabIndex(0);
    auto* Paint = Add<TPaintBox>(Form, "Paint", 420, 250, 40, 30);
    Paint->OnPaint = [Paint](TObject*) {
        Paint->Canvas()->Brush()->SetColor(clNavy);
        Paint->Canvas()->Ellipse(0, 0, 40, 30);
    };
    E->SetFocus();
    PumpUntilIdle();
    EXPECT_TRUE(uitest::SaveWindowPng(Form->Handle(), "control_gallery.png"));
    (void)Bevel;
    // A few fixed points of the look: the image's pixels, the shape's fill, the status bar's
    // face.
    EXPECT_EQ(PixelAt(Form->Handle(), 310, 210), RGB(0, 128, 0));
    EXPECT_EQ(PixelAt(Form->Handle(), 270, 220), RGB(255, 255, 0));
    EXPECT_EQ(Status->Align(), alBottom);
    EXPECT_EQ(Status->Top(), Form->ClientHeight() - Status->Height());
}

} // namespace
