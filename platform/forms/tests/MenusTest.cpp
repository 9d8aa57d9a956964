// Popup menus opened, walked with keys and the mouse, and closed.

#include "FormsTestSupport.h"

#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class MenusTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    TPopupMenu* Menu = nullptr;
    std::vector<std::string> Clicked;

    TMenuItem* Item(TMenuItem* Parent, const std::string& Caption, TShortCut Key = scNone)
    {
        auto* I = New<TMenuItem>(Form);
        I->SetCaption(Caption);
        I->SetShortCut(Key);
        I->OnClick = [this, Caption](TObject*) { Clicked.push_back(Caption); };
        Parent->Add(I);
        return I;
    }

    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Menus", 300, 200);
        Add<TEdit>(Form, "Edit", 10, 10, 100, 21);
        Form->Show();
        PumpUntilIdle();
        Menu = New<TPopupMenu>(Form);
        Item(Menu->Items(), "&Copy", ShortCut('C', TShiftState{ssCtrl}));
        Item(Menu->Items(), "-");
        TMenuItem* Sub = Item(Menu->Items(), "&Prizes");
        Item(Sub, "First");
        Item(Sub, "Second");
        Item(Menu->Items(), "&Locked")->SetEnabled(false);
        Item(Menu->Items(), "&Draw");
    }

    // Rows of the open menu window: first row at y 1..20, separators 8 high.
    POINT Row(int Index) { return POINT{30, 1 + 10 + (Index >= 2 ? 20 * (Index - 1) + 8 : 20 * Index)}; }
};

TEST_F(MenusTest, KeysWalkTheMenuSkipSeparatorsOpenSubmenusAndChoose)
{
    bool Shown = false;
    Menu->OnPopup = [&](TObject*) { Shown = true; };
    WhenIdle([&] {
        ASSERT_NE(TPopupMenu::OpenMenuWindow(), nullptr);
        PressKey(VK_DOWN);  // Copy
        PressKey(VK_DOWN);  // over the line: Prizes
        PressKey(VK_RIGHT); // its submenu, first item hot
        PressKey(VK_DOWN);  // Second
        PressKey(VK_RETURN);
    });
    Menu->Popup(200, 200);
    EXPECT_TRUE(Shown);
    EXPECT_EQ(Clicked, (std::vector<std::string>{"Second"}));
    EXPECT_EQ(TPopupMenu::OpenMenuWindow(), nullptr);

    // Esc closes a submenu first, then the menu; nothing is clicked.
    Clicked.clear();
    WhenIdle([&] {
        PressKey('P');
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
    });
    Menu->Popup(200, 200);
    EXPECT_TRUE(Clicked.empty());
    // An accelerator chooses at once; a disabled item cannot be chosen.
    WhenIdle([&] { PressKey('L'); });
    WhenIdle([&] { PressKey('D'); });
    Menu->Popup(200, 200);
    EXPECT_EQ(Clicked, (std::vector<std::string>{"&Draw"}));
    // Typing went to the menu, not to the edit under it.
    EXPECT_EQ(static_cast<TEdit*>(Form->FindComponent("Edit"))->Text(), "");
}

TEST_F(MenusTest, TheMouseChoosesAndAPressOutsideDismisses)
{
    WhenIdle([&] {
        HWND W = TPopupMenu::OpenMenuWindow();
        ASSERT_NE(W, nullptr);
        RECT R;
        GetWindowRect(W, &R);
        EXPECT_EQ(R.Left, 200);
        EXPECT_EQ(R.Top, 150);
        POINT P = Row(4); // Draw
        uitest::Click(W, P.X, P.Y);
    });
    Menu->Popup(200, 150);
    EXPECT_EQ(Clicked, (std::vector<std::string>{"&Draw"}));

    Clicked.clear();
    WhenIdle([&] { uitest::Click(Form->Handle(), 5, 150); });
    Menu->Popup(200, 150);
    EXPECT_TRUE(Clicked.empty());
    EXPECT_EQ(TPopupMenu::OpenMenuWindow(), nullptr);
    // The shortcut of an item works through the menu.
    TWMKey Key{WM_KEYDOWN, 'C', 0, 0};
    InputKey(VK_CONTROL, true);
    PumpUntilIdle();
    EXPECT_TRUE(Menu->IsShortCut(Key));
    InputKey(VK_CONTROL, false);
    PumpUntilIdle();
    EXPECT_EQ(Clicked, (std::vector<std::string>{"&Copy"}));
}

TEST_F(MenusTest, RadioItemsCheckOnePerGroupAndItemsLeaveTheirParent)
{
    auto* A = Item(Menu->Items(), "A");
    auto* B = Item(Menu->Items(), "B");
    A->SetRadioItem(true);
    B->SetRadioItem(true);
    A->SetChecked(true);
    B->SetChecked(true);
    EXPECT_FALSE(A->Checked());
    Integer Before = Menu->Items()->Count();
    B->Free();
    EXPECT_EQ(Menu->Items()->Count(), Before - 1);
    EXPECT_EQ(Menu->Items()->Find("Prizes")->Count(), 2);
}

} // namespace
