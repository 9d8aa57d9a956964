// How components and their windows share messages: the window class sees its own mouse input
// before the component's events, a parent hands notifications, owner drawing and colour
// questions back to the child control that asked, and a right click opens the control's popup
// menu.

#include "FormsTestSupport.h"

#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"

using uitest::Click;
using uitest::PixelAt;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

// An edit window wrapped by the plain windowed control, with none of the standard controls'
// own handling in between.
class TBareEdit : public TWinControl {
public:
    explicit TBareEdit(TComponent* AOwner) : TWinControl(AOwner) { FTabStop = true; }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        RegisterStandardControlClasses();
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, "EDIT");
        Params.Style |= ES_AUTOHSCROLL;
    }
};

// The height of a line of text in a font, as the standard controls measure it.
int FontLineHeight(HFONT Font)
{
    HDC Dc = GetDC(nullptr);
    HGDIOBJ Old = SelectObject(Dc, Font);
    TEXTMETRIC Tm{};
    GetTextMetrics(Dc, &Tm);
    SelectObject(Dc, Old);
    ReleaseDC(nullptr, Dc);
    return Tm.tmHeight;
}

class ControlMessagesTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Messages", 400, 300);
        Form->Show();
        PumpUntilIdle();
    }
};

TEST_F(ControlMessagesTest, AButtonClickedOnceClicksOnceBeforeTheRelease)
{
    auto* B = Add<TButton>(Form, "Draw", 10, 10, 75, 25);
    std::vector<std::string> Log;
    B->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { Log.push_back("down"); };
    B->OnClick = [&](TObject*) { Log.push_back("click"); };
    B->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { Log.push_back("up"); };
    Click(B->Handle(), 30, 12);
    EXPECT_EQ(Log, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(ControlMessagesTest, AnEditPutsItsCaretWhereClickedBeforeOnMouseDown)
{
    auto* Standard = Add<TEdit>(Form, "Standard", 10, 10, 200, 24);
    auto* Bare = Add<TBareEdit>(Form, "Bare", 10, 50, 200, 24);
    for (TWinControl* E : std::initializer_list<TWinControl*>{Standard, Bare}) {
        SCOPED_TRACE(E->Name());
        E->SetFocus();
        TypeText(u"prize draw");
        auto Caret = [&] {
            DWORD S = 0, End = 0;
            SendMessage(E->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&End));
            return int(S);
        };
        ASSERT_EQ(Caret(), 10);
        int AtPress = -1;
        E->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { AtPress = Caret(); };
        // The left edge of "d" (index 6).
        const LRESULT Pos = SendMessage(E->Handle(), EM_POSFROMCHAR, 6, 0);
        ASSERT_NE(Pos, -1);
        Click(E->Handle(), LOWORD(Pos) + 1, HIWORD(Pos) + 4);
        EXPECT_EQ(AtPress, 6);
        EXPECT_EQ(Caret(), 6);
    }
}

TEST_F(ControlMessagesTest, ColoursOfStandardControlsComeFromTheControl)
{
    auto* E = Add<TEdit>(Form, "Edit", 10, 10, 120, 24);
    auto* L = Add<TListBox>(Form, "List", 10, 50, 120, 60);
    auto* C = Add<TCheckBox>(Form, "Check", 10, 130, 120, 20);
    auto* Panel = Add<TTestPanel>(Form, "Panel", 150, 10, 200, 100);
    auto* Inner = Add<TEdit>(Panel, "Inner", 10, 10, 120, 24);
    const struct {
        TWinControl* Control;
        TColor Back;
        TPoint Probe; // a client pixel without text
    } Cases[] = {
        {E, clYellow, {100, 10}},
        {L, clAqua, {100, 50}},
        {C, clLime, {110, 10}},
        {Inner, clFuchsia, {100, 10}}, // its parent is no form
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Control->Name());
        Case.Control->SetColor(Case.Back);
        Case.Control->Font()->SetColor(clRed);
        PumpUntilIdle();
        EXPECT_EQ(PixelAt(Case.Control->Handle(), Case.Probe.X, Case.Probe.Y), ColorToRGB(Case.Back));
        // The colours handed to the window with its brush.
        HDC Dc = GetDC(Case.Control->Handle());
        const LRESULT Brush =
            SendMessage(GetParent(Case.Control->Handle()), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(Dc),
                        reinterpret_cast<LPARAM>(Case.Control->Handle()));
        EXPECT_NE(Brush, 0);
        EXPECT_EQ(GetTextColor(Dc), ColorToRGB(clRed));
        EXPECT_EQ(GetBkColor(Dc), ColorToRGB(Case.Back));
        ReleaseDC(Case.Control->Handle(), Dc);
    }
}

TEST_F(ControlMessagesTest, StandardControlsDrawInTheFontOfTheirControl)
{
    Form->Font()->SetName("細明體");
    Form->Font()->SetHeight(-24);
    auto* E = Add<TEdit>(Form, "Edit", 10, 10, 150, 30);
    auto* M = Add<TMemo>(Form, "Memo", 10, 50, 150, 90);
    M->Lines()->Add("獎品");
    M->Lines()->Add("b");
    auto* L = Add<TListBox>(Form, "List", 170, 10, 150, 90);
    L->Items()->Add("一等獎");
    auto* C = Add<TComboBox>(Form, "Combo", 170, 110, 150, 30);
    auto* B = Add<TButton>(Form, "Button", 10, 150, 100, 30);
    PumpUntilIdle();

    auto Check = [&](const char* When) {
        SCOPED_TRACE(When);
        for (TWinControl* Control : std::initializer_list<TWinControl*>{E, M, L, C, B}) {
            SCOPED_TRACE(Control->Name());
            EXPECT_EQ(SendMessage(Control->Handle(), WM_GETFONT, 0, 0),
                      reinterpret_cast<LRESULT>(Control->Font()->Handle()));
        }
        const int Line = FontLineHeight(M->Font()->Handle());
        // The second line of the memo starts one line of the font below the first ("獎品" is 6 bytes).
        const LRESULT First = SendMessage(M->Handle(), EM_POSFROMCHAR, 0, 0);
        const LRESULT Second = SendMessage(M->Handle(), EM_POSFROMCHAR, 8, 0);
        ASSERT_NE(First, -1);
        ASSERT_NE(Second, -1);
        EXPECT_EQ(HIWORD(Second) - HIWORD(First), Line);
        EXPECT_EQ(SendMessage(L->Handle(), LB_GETITEMHEIGHT, 0, 0), Line);
    };
    Check("on creation");
    EXPECT_GE(FontLineHeight(M->Font()->Handle()), 24) << "far above the system font";

    // A change of the form's font reaches the windows of the controls that follow it.
    Form->Font()->SetHeight(-36);
    PumpUntilIdle();
    Check("after the font changed");
    EXPECT_GE(FontLineHeight(M->Font()->Handle()), 36);
    // A window made again gets the font again.
    E->RecreateWnd();
    EXPECT_EQ(SendMessage(E->Handle(), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(E->Font()->Handle()));
}

TEST_F(ControlMessagesTest, AReadOnlyEditPaintsItsColour)
{
    auto* E = Add<TEdit>(Form, "Edit", 10, 10, 120, 24);
    auto* M = Add<TMemo>(Form, "Memo", 10, 50, 120, 60);
    for (TCustomEdit* Control : std::initializer_list<TCustomEdit*>{E, M}) {
        SCOPED_TRACE(Control->Name());
        Control->SetReadOnly(true);
        Control->SetColor(clYellow);
        PumpUntilIdle();
        EXPECT_EQ(PixelAt(Control->Handle(), 100, 10), ColorToRGB(clYellow));
    }
}

TEST_F(ControlMessagesTest, OwnerDrawnListsAskTheirControlToMeasureAndDraw)
{
    auto* L = New<TListBox>(Form);
    L->SetStyle(lbOwnerDrawVariable);
    L->SetBounds(10, 10, 150, 150);
    std::vector<Integer> Measured, Drawn;
    L->OnMeasureItem = [&](TWinControl* Control, Integer Index, Integer& Height) {
        EXPECT_EQ(Control, L);
        Measured.push_back(Index);
        Height = 20 + 10 * Index;
    };
    L->OnDrawItem = [&](TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState) {
        EXPECT_EQ(Control, L);
        Drawn.push_back(Index);
        // The canvas comes with the colours of the item's state.
        L->Canvas()->FillRect(Rect);
    };
    L->SetColor(clAqua);
    L->SetParent(Form);
    for (const char* S : {"first", "second", "third"})
        L->Items()->Add(S);
    PumpUntilIdle();
    EXPECT_EQ(Measured, (std::vector<Integer>{0, 1, 2}));
    EXPECT_EQ(L->ItemRect(1).Height(), 30);
    EXPECT_EQ(L->ItemRect(2).Height(), 40);
    EXPECT_EQ(std::count(Drawn.begin(), Drawn.end(), 2), 1);
    L->SetItemIndex(1);
    PumpUntilIdle();
    const TRect Second = L->ItemRect(1), Third = L->ItemRect(2);
    EXPECT_EQ(PixelAt(L->Handle(), Second.Left + 20, Second.Top + 15), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(L->Handle(), Third.Left + 20, Third.Top + 15), ColorToRGB(clAqua));

    auto* C = New<TComboBox>(Form);
    C->SetStyle(csOwnerDrawFixed);
    C->SetBounds(200, 10, 150, 24);
    std::vector<std::pair<Integer, bool>> ComboDrawn; // index, drawn in the field
    C->OnDrawItem = [&](TWinControl*, Integer Index, TRect, TOwnerDrawState State) {
        ComboDrawn.push_back({Index, State.Contains(odComboBoxEdit)});
    };
    C->SetParent(Form);
    C->Items()->Add("prize");
    C->SetItemIndex(0);
    PumpUntilIdle();
    EXPECT_NE(std::find(ComboDrawn.begin(), ComboDrawn.end(), std::make_pair(Integer(0), true)),
              ComboDrawn.end());
}

TEST_F(ControlMessagesTest, ARightClickOpensThePopupMenuOfTheControlOrOfItsParent)
{
    auto* FormMenu = New<TPopupMenu>(Form);
    auto* BoxMenu = New<TPopupMenu>(Form);
    auto* ShapeMenu = New<TPopupMenu>(Form);
    auto* QuietMenu = New<TPopupMenu>(Form);
    QuietMenu->SetAutoPopup(false);
    TPopupMenu* Opened = nullptr;
    for (TPopupMenu* M : {FormMenu, BoxMenu, ShapeMenu, QuietMenu}) {
        auto* I = New<TMenuItem>(Form);
        I->SetCaption("Draw");
        M->Items()->Add(I);
        M->OnPopup = [&Opened, M](TObject*) { Opened = M; };
    }
    Form->SetPopupMenu(FormMenu);
    auto* Box = Add<TTestBox>(Form, "Box", 10, 10, 60, 24);
    Box->SetPopupMenu(BoxMenu);
    auto* Shape = Add<TTestShape>(Form, "Shape", 10, 50, 40, 20);
    Shape->SetPopupMenu(ShapeMenu);
    auto* Plain = Add<TTestBox>(Form, "Plain", 10, 90, 60, 24);
    auto* Quiet = Add<TTestBox>(Form, "Quiet", 10, 130, 60, 24);
    Quiet->SetPopupMenu(QuietMenu);
    auto* Edit = Add<TEdit>(Form, "Edit", 100, 10, 100, 24);

    const struct {
        TControl* Target;
        TPopupMenu* Shown;
        TComponent* PopupComponent;
    } Cases[] = {
        {Box, BoxMenu, Box},     {Shape, ShapeMenu, Shape}, // windowless: found by its parent
        {Plain, FormMenu, Form},                            // none of its own: the parent's
        {Edit, FormMenu, Form},                             // a standard control passes the request up too
        {Quiet, FormMenu, Form},                            // its own menu does not pop up by itself
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Target->Name());
        Opened = nullptr;
        HWND MenuWindow = nullptr;
        RECT MenuRect{};
        Steps.clear();
        WhenIdle([&] {
            MenuWindow = TPopupMenu::OpenMenuWindow();
            GetWindowRect(MenuWindow, &MenuRect);
            uitest::PressKey(VK_ESCAPE);
        });
        const TPoint At = Case.Target->ClientToScreen(TPoint{5, 5});
        uitest::ClickAt(POINT{At.X, At.Y}, 1);
        Steps.clear();
        EXPECT_EQ(Opened, Case.Shown);
        if (Case.Shown) {
            EXPECT_NE(MenuWindow, nullptr);
            EXPECT_EQ(Case.Shown->PopupComponent(), Case.PopupComponent);
            // At the pointer.
            EXPECT_EQ(MenuRect.Left, At.X);
            EXPECT_EQ(MenuRect.Top, At.Y);
        }
        EXPECT_EQ(TPopupMenu::OpenMenuWindow(), nullptr);
    }
    // A menu freed first is forgotten by the control.
    BoxMenu->Free();
    EXPECT_EQ(Box->PopupMenu(), nullptr);
}

TEST_F(ControlMessagesTest, EachRightClickOrMenuKeyOpensOnePopup)
{
    auto* Menu = New<TPopupMenu>(Form);
    auto* Item = New<TMenuItem>(Form);
    Item->SetCaption("Draw");
    Menu->Items()->Add(Item);
    int Popups = 0;
    Menu->OnPopup = [&](TObject*) { ++Popups; };
    Form->SetPopupMenu(Menu);
    auto* Box = Add<TTestBox>(Form, "Box", 10, 10, 60, 24);
    auto* Shape = Add<TTestShape>(Form, "Shape", 10, 50, 40, 20);
    auto* Edit = Add<TEdit>(Form, "Edit", 100, 10, 100, 24);
    auto* List = Add<TListBox>(Form, "List", 100, 50, 100, 60);
    PumpUntilIdle();

    const struct {
        const char* Name;
        std::function<void()> Ask;
    } Cases[] = {
        {"right click on the form", [&] { uitest::Click(Form->Handle(), 300, 200, 1); }},
        {"right click on a custom control", [&] { uitest::Click(Box->Handle(), 5, 5, 1); }},
        {"right click on a windowless control",
         [&] {
             const TPoint P = Shape->ClientToScreen(TPoint{5, 5});
             uitest::ClickAt(POINT{P.X, P.Y}, 1);
         }},
        {"right click on an edit", [&] { uitest::Click(Edit->Handle(), 5, 5, 1); }},
        {"right click on a list box", [&] { uitest::Click(List->Handle(), 5, 5, 1); }},
        {"Shift+F10 in the edit",
         [&] {
             Edit->SetFocus();
             uitest::PressKey(VK_F10, uitest::ksShift);
         }},
        {"the menu key on the custom control",
         [&] {
             Box->SetFocus();
             uitest::PressKey(VK_APPS);
         }},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Popups = 0;
        Steps.clear();
        WhenIdle([&] { uitest::PressKey(VK_ESCAPE); });
        Case.Ask();
        Steps.clear();
        PumpUntilIdle();
        EXPECT_EQ(Popups, 1);
        EXPECT_EQ(TPopupMenu::OpenMenuWindow(), nullptr);
    }
}

} // namespace
