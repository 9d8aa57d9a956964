#include "FormsTestSupport.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/testing/TempFolder.h"

using uitest::AdvanceTime;
using uitest::Click;
using uitest::DoubleClick;
using uitest::Drag;
using uitest::ksAlt;
using uitest::ksCtrl;
using uitest::ksShift;
using uitest::MouseDown;
using uitest::MouseUp;
using uitest::MoveMouse;
using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::SaveWindowPng;

// ---- Focus and tab order ------------------------------------------------------------------------

TEST_F(FormsTest, TabMovesFocusInTabOrderWithEnterAndExitEvents)
{
    TForm* F = MakeForm("Tabs");
    auto* A = Add<TTestBox>(F, "A", 10, 10, 60, 24);
    auto* Panel = Add<TTestPanel>(F, "Panel", 10, 50, 200, 60);
    auto* B = Add<TTestBox>(Panel, "B", 5, 5, 60, 24);
    auto* C = Add<TTestBox>(Panel, "C", 80, 5, 60, 24);
    auto* D = Add<TTestBox>(F, "D", 10, 130, 60, 24);
    auto* Off = Add<TTestBox>(F, "Off", 100, 130, 60, 24);
    Off->SetEnabled(false);
    // D comes first in the tab order of the form, C before B inside the panel.
    D->SetTabOrder(0);
    C->SetTabOrder(0);

    std::vector<std::string> Log;
    for (TTestBox* Box : {A, B, C, D, Off}) {
        Box->OnEnter = [&Log](TObject* S) { Log.push_back("enter " + static_cast<TControl*>(S)->Name()); };
        Box->OnExit = [&Log](TObject* S) { Log.push_back("exit " + static_cast<TControl*>(S)->Name()); };
    }
    Panel->OnEnter = [&Log](TObject*) { Log.push_back("enter Panel"); };
    Panel->OnExit = [&Log](TObject*) { Log.push_back("exit Panel"); };

    F->Show();
    PumpUntilIdle();
    EXPECT_EQ(F->ActiveControl(), D) << "the first control in tab order gets the focus";
    EXPECT_TRUE(D->Focused());

    Log.clear();
    PressKey(VK_TAB);
    EXPECT_TRUE(A->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(C->Focused()) << "the panel is passed through to its first child in tab order";
    PressKey(VK_TAB);
    EXPECT_TRUE(B->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(D->Focused()) << "the disabled control is skipped and the order wraps";
    const std::vector<std::string> Expected = {"exit D", "enter A", "exit A", "enter Panel", "enter C",
                                               "exit C", "enter B", "exit B", "exit Panel",  "enter D"};
    EXPECT_EQ(Log, Expected);

    PressKey(VK_TAB, ksShift);
    EXPECT_TRUE(B->Focused()) << "Shift+Tab goes backwards";
    EXPECT_EQ(Screen->ActiveControl(), B);

    // A hidden control leaves the order too; SetFocus on it is refused.
    A->SetVisible(false);
    D->SetFocus();
    PressKey(VK_TAB);
    EXPECT_TRUE(C->Focused());
    EXPECT_THROW(A->SetFocus(), EInvalidOperation);
    EXPECT_FALSE(Off->CanFocus());
}

TEST_F(FormsTest, NextDialogControlMovesTheFocusInTabOrderOrToTheGivenControl)
{
    TForm* F = MakeForm("Next control");
    auto* A = Add<TTestBox>(F, "A", 10, 10, 60, 24);
    auto* Panel = Add<TTestPanel>(F, "Panel", 10, 50, 200, 60);
    auto* B = Add<TTestBox>(Panel, "B", 5, 5, 60, 24);
    auto* C = Add<TTestBox>(F, "C", 10, 130, 60, 24);
    F->Show();
    PumpUntilIdle();
    ASSERT_TRUE(A->Focused());
    const struct {
        WPARAM WParam;
        LPARAM LParam;
        TTestBox* Expected;
    } Steps[] = {
        {0, 0, B},            // next, into the panel
        {0, 0, C}, {0, 0, A}, // wraps
        {1, 0, C},            // previous, wrapping back
        {1, 0, B}, {0, 1, B}, // lParam set: wParam names the window, here none
    };
    for (const auto& Step : Steps) {
        SendMessage(F->Handle(), WM_NEXTDLGCTL, Step.WParam, Step.LParam);
        PumpUntilIdle();
        EXPECT_TRUE(Step.Expected->Focused()) << Step.Expected->Name();
        EXPECT_EQ(F->ActiveControl(), Step.Expected);
    }
    SendMessage(F->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(A->Handle()), 1);
    EXPECT_TRUE(A->Focused());
    EXPECT_EQ(F->ActiveControl(), A);
}

TEST_F(FormsTest, ControlsAskingForTabGetItAsAKey)
{
    TForm* F = MakeForm("Want tab");
    auto* A = Add<TTestBox>(F, "A", 10, 10, 60, 24);
    auto* B = Add<TTestBox>(F, "B", 10, 50, 60, 24);
    A->DlgCode = DLGC_WANTTAB;
    F->Show();
    PumpUntilIdle();
    ASSERT_TRUE(A->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(A->Focused());
    EXPECT_EQ(A->KeysDown, std::vector<Word>{VK_TAB});
    EXPECT_EQ(A->Typed, u"\t");
    A->DlgCode = 0;
    PressKey(VK_TAB);
    EXPECT_TRUE(B->Focused());
    EXPECT_TRUE(B->Typed.empty()) << "the Tab that moved the focus is not typed into the next control";
}

// ---- Keys ---------------------------------------------------------------------------------------------

TEST_F(FormsTest, KeyOrderIsShortcutThenDialogKeyThenPreviewThenControl)
{
    TForm* F = MakeForm("Keys");
    auto* Box = Add<TTestBox>(F, "Box", 10, 10, 60, 24);
    auto* List = New<TActionList>(F);
    auto* Save = New<TAction>(F);
    Save->SetActionList(List);
    Save->SetShortCut(TextToShortCut("Ctrl+S"));
    int Saved = 0;
    Save->OnExecute = [&](TObject*) { ++Saved; };

    std::vector<std::string> Log;
    F->SetKeyPreview(true);
    F->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
        Log.push_back("form " + std::to_string(Key));
        if (Key == VK_F2)
            Key = 0; // the form eats F2
    };
    Box->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { Log.push_back("box " + std::to_string(Key)); };
    F->Show();
    PumpUntilIdle();

    PressKey('S', ksCtrl);
    EXPECT_EQ(Saved, 1);
    EXPECT_TRUE(std::find(Log.begin(), Log.end(), "box 83") == Log.end())
        << "the shortcut never reaches the control";

    Log.clear();
    PressKey(VK_F2);
    PressKey(VK_F3);
    const std::vector<std::string> Expected = {"form 113", "form 114", "box 114"};
    EXPECT_EQ(Log, Expected);

    // A disabled action keeps its key from the control but does not run.
    Save->SetEnabled(false);
    Log.clear();
    PressKey('S', ksCtrl);
    EXPECT_EQ(Saved, 1);
    EXPECT_TRUE(std::find(Log.begin(), Log.end(), "box 83") == Log.end());
}

TEST_F(FormsTest, AcceleratorClicksTheControlWithTheUnderlinedLetter)
{
    TForm* F = MakeForm("Accel");
    auto* Go = Add<TTestBox>(F, "Go", 10, 10, 60, 24);
    Go->SetCaption("&Go");
    auto* Other = Add<TTestBox>(F, "Other", 10, 50, 60, 24);
    Other->SetCaption("Stop && go");
    int GoClicks = 0, OtherClicks = 0;
    Go->OnClick = [&](TObject*) { ++GoClicks; };
    Other->OnClick = [&](TObject*) { ++OtherClicks; };
    F->Show();
    PumpUntilIdle();
    PressKey('G', ksAlt);
    EXPECT_EQ(GoClicks, 1);
    EXPECT_EQ(OtherClicks, 0) << "&& is a literal ampersand, not an accelerator";
    EXPECT_TRUE(IsAccel('g', "&Go"));
    EXPECT_FALSE(IsAccel('g', "Stop && go"));
}

TEST_F(FormsTest, ActionShortcutsReachTheActiveModalFormOnly)
{
    TForm* Main = MakeForm("Main");
    Add<TTestBox>(Main, "MainBox", 10, 10, 60, 24);
    auto* MainList = New<TActionList>(Main);
    auto* MainAction = New<TAction>(Main);
    MainAction->SetActionList(MainList);
    MainAction->SetShortCut(ShortCut(VK_F5, {}));
    int MainRuns = 0;
    MainAction->OnExecute = [&](TObject*) { ++MainRuns; };

    TForm* Dialog = MakeForm("Dialog", 200, 120);
    Add<TTestBox>(Dialog, "DialogBox", 10, 10, 60, 24);
    auto* DialogList = New<TActionList>(Dialog);
    auto* DialogAction = New<TAction>(Dialog);
    DialogAction->SetActionList(DialogList);
    DialogAction->SetShortCut(ShortCut(VK_F5, {}));
    int DialogRuns = 0;
    DialogAction->OnExecute = [&](TObject* S) {
        ++DialogRuns;
        EXPECT_EQ(static_cast<TAction*>(S), DialogAction);
    };

    Main->Show();
    PumpUntilIdle();
    WhenIdle([] { PressKey(VK_F5); });
    WhenIdle([&] {
        // The main form is disabled while the dialog runs: clicks on it do nothing.
        EXPECT_FALSE(IsWindowEnabled(Main->Handle()));
        Dialog->SetModalResult(mrOk);
    });
    EXPECT_EQ(Dialog->ShowModal(), mrOk);
    EXPECT_EQ(DialogRuns, 1);
    EXPECT_EQ(MainRuns, 0);
    EXPECT_FALSE(Dialog->Visible());
    EXPECT_TRUE(IsWindowEnabled(Main->Handle()));

    PumpUntilIdle();
    PressKey(VK_F5);
    EXPECT_EQ(MainRuns, 1) << "back on the main form its own action runs";
    EXPECT_EQ(DialogRuns, 1);
}

// ---- Modal forms and closing ------------------------------------------------------------------------

TEST_F(FormsTest, ShowModalReturnsTheResultOfTheButtonChosen)
{
    // Enter presses the default (first) button, Esc the cancel one, a click the button clicked.
    WhenIdle([] { PressKey(VK_RETURN); });
    EXPECT_EQ(MessageDlg("Save the draw?", mtConfirmation, mbYesNoCancel, 0), mrYes);

    WhenIdle([] { PressKey(VK_ESCAPE); });
    EXPECT_EQ(MessageDlg("Save the draw?", mtConfirmation, mbYesNoCancel, 0), mrCancel);

    WhenIdle([] {
        TCustomForm* Box = Screen->ActiveForm();
        ASSERT_NE(Box, nullptr);
        auto* No = static_cast<TControl*>(Box->FindComponent("No"));
        ASSERT_NE(No, nullptr);
        auto* W = dynamic_cast<TWinControl*>(No);
        Click(W->Handle(), 5, 5);
    });
    EXPECT_EQ(MessageDlg("Save the draw?", mtConfirmation, mbYesNoCancel, 0), mrNo);

    WhenIdle([] { PressKey('N', ksAlt); });
    EXPECT_EQ(MessageDlg("Save the draw?", mtConfirmation, mbYesNoCancel, 0), mrNo);

    WhenIdle([] { PressKey(VK_RETURN); });
    EXPECT_EQ(Application->MessageBox("Retry?", "Question", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);

    // A form shown already cannot be made modal.
    TForm* F = MakeForm("Shown");
    F->Show();
    EXPECT_THROW(F->ShowModal(), EInvalidOperation);
}

TEST_F(FormsTest, CloseQueryCanRefuseAndCloseActionDecides)
{
    TForm* F = MakeForm("Closing");
    int Queries = 0;
    bool Allow = false;
    F->OnCloseQuery = [&](TObject*, bool& CanClose) {
        ++Queries;
        CanClose = Allow;
    };
    TCloseAction Action = caHide;
    F->OnClose = [&](TObject*, TCloseAction& A) { A = Action; };

    // Modal: a refused close keeps the loop running with no result.
    WhenIdle([&] { F->SetModalResult(mrOk); });
    WhenIdle([&] {
        EXPECT_TRUE(F->Visible()) << "the refused close left the form up";
        EXPECT_EQ(F->ModalResult(), mrNone);
        Allow = true;
        F->Close(); // a modal form closes with mrCancel
    });
    EXPECT_EQ(F->ShowModal(), mrCancel);
    EXPECT_EQ(Queries, 2);

    // Not modal: refusal, caNone, caHide, caFree.
    Allow = false;
    F->Show();
    F->Close();
    EXPECT_TRUE(F->Visible());
    Allow = true;
    Action = caNone;
    F->Close();
    EXPECT_TRUE(F->Visible());
    Action = caHide;
    F->Close();
    EXPECT_FALSE(F->Visible());
    F->Show();
    Action = caFree;
    const int Before = Screen->FormCount();
    F->Close();
    EXPECT_EQ(Screen->FormCount(), Before) << "freed only once the queued messages are handled";
    PumpUntilIdle();
    EXPECT_EQ(Screen->FormCount(), Before - 1);
}

TEST_F(FormsTest, ClosingTheMainFormEndsRun)
{
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    EXPECT_EQ(Application->MainForm(), Main);
    Main->SetBounds(0, 0, 200, 100);
    WhenIdle([&] {
        EXPECT_TRUE(Main->Visible());
        PostMessage(Main->Handle(), WM_CLOSE, 0, 0);
    });
    Application->Run();
    EXPECT_FALSE(Main->Visible() && Application->Terminated());
    Main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---- Exceptions ----------------------------------------------------------------------------------------

TEST_F(FormsTest, ExceptionInAHandlerIsShownByTheApplication)
{
    TForm* F = MakeForm("Errors");
    auto* Box = Add<TTestBox>(F, "Box", 10, 10, 60, 24);
    Box->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
    F->Show();
    PumpUntilIdle();

    std::string Shown, Title;
    WhenIdle([&] {
        TCustomForm* Dialog = Screen->ActiveForm();
        ASSERT_NE(Dialog, nullptr);
        ASSERT_NE(Dialog, F);
        Title = Dialog->Caption();
        if (auto* Text = dynamic_cast<TControl*>(Dialog->FindComponent("Message")))
            Shown = Text->Caption();
        ASSERT_TRUE(SaveWindowPng(Dialog->Handle(), uitest::TempFolder("forms").File("exception_box.png")));
        PressKey(VK_RETURN);
    });
    Click(Box->Handle(), 10, 10);
    EXPECT_EQ(Shown, "'x' is not a valid integer value.");
    EXPECT_EQ(Title, Application->Title());
    EXPECT_EQ(Screen->ActiveForm(), F) << "the box is gone and the form is active again";

    // With OnException assigned the application leaves the showing to it; EAbort stays silent.
    std::vector<std::string> Seen;
    Application->OnException = [&](TObject*, const Exception& E) { Seen.push_back(E.Message()); };
    Click(Box->Handle(), 10, 10);
    Box->OnClick = [](TObject*) { Abort(); };
    Click(Box->Handle(), 10, 10);
    EXPECT_EQ(Seen, std::vector<std::string>{"'x' is not a valid integer value"});
}

// ---- Layout --------------------------------------------------------------------------------------------

TEST_F(FormsTest, AlignStacksControlsAndFollowsResizes)
{
    TForm* F = MakeForm("Align");
    F->SetBorderStyle(bsNone);
    F->SetBounds(0, 0, 300, 200);
    F->DisableAlign();
    auto* Top = Add<TTestShape>(F, "Top", 0, 0, 10, 30);
    auto* Top2 = Add<TTestShape>(F, "Top2", 0, 40, 10, 10);
    auto* Bottom = Add<TTestShape>(F, "Bottom", 0, 0, 10, 20);
    auto* Left = Add<TTestShape>(F, "Left", 0, 0, 50, 10);
    auto* Right = Add<TTestBox>(F, "Right", 0, 0, 40, 10);
    auto* Client = Add<TTestPanel>(F, "Client", 0, 0, 10, 10);
    auto* Inner = Add<TTestShape>(Client, "Inner", 0, 0, 10, 10);
    Top->SetAlign(alTop);
    Top2->SetAlign(alTop);
    Bottom->SetAlign(alBottom);
    Left->SetAlign(alLeft);
    Right->SetAlign(alRight);
    Client->SetAlign(alClient);
    Inner->SetAlign(alClient);
    Client->SetBorderWidth(5);
    F->EnableAlign();

    struct Expect {
        TControl* C;
        TRect R;
    };
    auto Check = [&](const std::vector<Expect>& List) {
        for (const Expect& E : List)
            EXPECT_EQ(E.C->BoundsRect(), E.R) << E.C->Name();
    };
    Check({{Top, Rect(0, 0, 300, 30)},
           {Top2, Rect(0, 30, 300, 40)},
           {Bottom, Rect(0, 180, 300, 200)},
           {Left, Rect(0, 40, 50, 180)},
           {Right, Rect(260, 40, 300, 180)},
           {Client, Rect(50, 40, 260, 180)},
           {Inner, Rect(5, 5, 205, 135)}});

    F->SetBounds(0, 0, 400, 260);
    Check({{Top, Rect(0, 0, 400, 30)},
           {Bottom, Rect(0, 240, 400, 260)},
           {Right, Rect(360, 40, 400, 240)},
           {Client, Rect(50, 40, 360, 240)}});

    // A hidden control gives its room to the others.
    Top->SetVisible(false);
    Check({{Top2, Rect(0, 0, 400, 10)}, {Client, Rect(50, 10, 360, 240)}});
}

TEST_F(FormsTest, AnchorsKeepDistancesToTheirEdges)
{
    TForm* F = MakeForm("Anchors");
    F->SetBorderStyle(bsNone);
    F->SetBounds(0, 0, 300, 200);
    auto* Ok = Add<TTestBox>(F, "Ok", 220, 160, 70, 30);
    Ok->SetAnchors({akRight, akBottom});
    auto* Stretch = Add<TTestBox>(F, "Stretch", 10, 10, 280, 24);
    Stretch->SetAnchors({akLeft, akTop, akRight});
    auto* Fixed = Add<TTestBox>(F, "Fixed", 10, 50, 50, 24);

    F->SetBounds(0, 0, 400, 250);
    EXPECT_EQ(Ok->BoundsRect(), Rect(320, 210, 390, 240));
    EXPECT_EQ(Stretch->BoundsRect(), Rect(10, 10, 390, 34));
    EXPECT_EQ(Fixed->BoundsRect(), Rect(10, 50, 60, 74));
    F->SetBounds(0, 0, 300, 200);
    EXPECT_EQ(Ok->BoundsRect(), Rect(220, 160, 290, 190));
}

TEST_F(FormsTest, PositionWindowStateAndBorderStyle)
{
    TForm* F = MakeForm("Centred", 200, 100);
    F->SetPosition(poScreenCenter);
    F->Show();
    EXPECT_EQ(F->Left(), (Screen->Width() - 200) / 2);
    EXPECT_EQ(F->Top(), (Screen->Height() - 100) / 2);

    TForm* Plain = MakeForm("Plain", 200, 100);
    Plain->SetBorderStyle(bsNone);
    EXPECT_EQ(Plain->ClientWidth(), 200) << "no frame without a border";
    TForm* Dialog = MakeForm("Dialog", 200, 100);
    Dialog->SetBorderStyle(bsDialog);
    EXPECT_LT(Dialog->ClientHeight(), 100) << "caption and frame take room";
    Dialog->SetClientWidth(150);
    EXPECT_EQ(Dialog->ClientWidth(), 150);
    EXPECT_EQ(GetWindowLong(Dialog->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, LONG(WS_EX_DLGMODALFRAME));

    TForm* Big = MakeForm("Big", 200, 100);
    Big->SetWindowState(wsMaximized);
    Big->Show();
    PumpUntilIdle();
    EXPECT_EQ(Big->BoundsRect(), Screen->WorkAreaRect()) << "maximized over the work area";
    EXPECT_EQ(Big->WindowState(), wsMaximized);
    EXPECT_TRUE(IsZoomed(Big->Handle()));
}

// ---- Mouse, hints, drag and drop ------------------------------------------------------------------------

TEST_F(FormsTest, HintAppearsAfterThePauseOnTheVirtualClock)
{
    TForm* F = MakeForm("Hints");
    auto* Box = Add<TTestBox>(F, "Box", 20, 20, 80, 30);
    Box->SetHint("Draw|Start the prize draw");
    Box->SetShowHint(true);
    auto* Quiet = Add<TTestBox>(F, "Quiet", 20, 80, 80, 30);
    Quiet->SetHint("never shown");
    std::vector<std::string> StatusLine;
    Application->OnHint = [&](TObject*) { StatusLine.push_back(Application->Hint()); };
    F->Show();
    PumpUntilIdle();

    auto HintVisible = [] {
        THintWindow* H = Application->HintWindow();
        return H && H->HandleAllocated() && IsWindowVisible(H->Handle());
    };
    MoveMouse(Box->Handle(), 10, 10);
    MoveMouse(Box->Handle(), 12, 10);
    AdvanceTime(Application->HintPause() - 100);
    EXPECT_FALSE(HintVisible()) << "not before the pause";
    AdvanceTime(150);
    ASSERT_TRUE(HintVisible());
    EXPECT_EQ(Application->HintWindow()->Caption(), "Draw") << "the short part of the hint";
    EXPECT_EQ(StatusLine.back(), "Start the prize draw") << "the long part goes to the status line";
    ASSERT_TRUE(uitest::SaveScreenPng(uitest::TempFolder("forms").File("hint_screen.png")));
    const TRect R = Application->HintWindow()->BoundsRect();
    EXPECT_GE(R.Top, Box->ClientOrigin().Y + 10) << "below the cursor";
    EXPECT_EQ(R.Left, Box->ClientOrigin().X + 12) << "at the cursor";
    EXPECT_LT(R.Width(), 100) << "as wide as its text";

    AdvanceTime(Application->HintHidePause() + 10);
    EXPECT_FALSE(HintVisible()) << "hidden after the hide pause";

    // A control without ShowHint shows none; CM_HINTSHOW can refuse.
    MoveMouse(Quiet->Handle(), 10, 10);
    AdvanceTime(1000);
    EXPECT_FALSE(HintVisible());
}

TEST_F(FormsTest, MouseReachesWindowlessControlsWithTheirOwnCoordinates)
{
    TForm* F = MakeForm("Mouse");
    auto* Shape = Add<TTestShape>(F, "Shape", 50, 40, 60, 30);
    std::vector<std::string> Log;
    Shape->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState, Integer X, Integer Y) {
        Log.push_back("down " + std::to_string(B) + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    Shape->OnClick = [&](TObject*) { Log.push_back("click"); };
    Shape->OnDblClick = [&](TObject*) { Log.push_back("dblclick"); };
    int Wheels = 0;
    F->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        ++Wheels;
        Handled = true;
    };
    F->Show();
    PumpUntilIdle();

    Click(F->Handle(), 55, 45);
    EXPECT_EQ(Log, (std::vector<std::string>{"down 0 5,5", "click"}));
    Log.clear();
    // Pressed on the control, released outside: no click.
    AdvanceTime(1000);
    MouseDown(F->Handle(), 55, 45);
    MouseUp(F->Handle(), 200, 150);
    EXPECT_EQ(Log, (std::vector<std::string>{"down 0 5,5"}));
    Log.clear();
    AdvanceTime(1000);
    DoubleClick(F->Handle(), 60, 50);
    EXPECT_NE(std::find(Log.begin(), Log.end(), "dblclick"), Log.end());

    uitest::Wheel(F->Handle(), 20, 20, -WHEEL_DELTA);
    EXPECT_EQ(Wheels, 1);
}

TEST_F(FormsTest, DragAndDropBetweenControls)
{
    TForm* F = MakeForm("Drag");
    auto* Source = Add<TTestShape>(F, "Source", 10, 10, 40, 40);
    Source->SetDragMode(dmAutomatic);
    auto* Target = Add<TTestBox>(F, "Target", 150, 10, 80, 80);
    auto* Refuser = Add<TTestBox>(F, "Refuser", 150, 100, 80, 40);
    std::vector<std::string> Log;
    Target->OnDragOver = [&](TObject*, TObject* S, Integer, Integer, TDragState State, bool& Accept) {
        Accept = S == Source;
        if (State == dsDragEnter)
            Log.push_back("enter");
    };
    Target->OnDragDrop = [&](TObject*, TObject* S, Integer X, Integer Y) {
        Log.push_back("drop " + std::to_string(X) + "," + std::to_string(Y));
    };
    Source->OnEndDrag = [&](TObject*, TObject* T, Integer, Integer) {
        Log.push_back(T ? "end on " + static_cast<TControl*>(T)->Name() : "end nowhere");
    };
    F->Show();
    PumpUntilIdle();

    Drag(F->Handle(), 20, 20, 170, 30, 6);
    EXPECT_EQ(Log, (std::vector<std::string>{"enter", "drop 20,20", "end on Target"}));
    Log.clear();
    Drag(F->Handle(), 20, 20, 170, 110, 6);
    EXPECT_EQ(Log, (std::vector<std::string>{"end nowhere"})) << "a control without OnDragOver refuses";
    EXPECT_FALSE(Source->Dragging());
    (void)Refuser;
}

// ---- Windows of controls
// -----------------------------------------------------------------------------------

namespace {

constexpr UINT WM_TESTPING = WM_USER + 77;

LRESULT StandardProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_TESTPING)
        return 4242;
    return DefWindowProc(Wnd, Msg, WParam, LParam);
}

// A control made over a window class of the window layer keeps that class's behaviour.
class TSubclassed : public TWinControl {
public:
    explicit TSubclassed(TComponent* AOwner) : TWinControl(AOwner) {}
    int Creations = 0;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, "FORMSTESTSTD");
    }
    void CreateWnd() override
    {
        TWinControl::CreateWnd();
        ++Creations;
    }
};

} // namespace

TEST_F(FormsTest, HandlesAreMadeOnDemandAndMessagesEndInTheClassProcedure)
{
    WNDCLASS Wc;
    Wc.lpfnWndProc = StandardProc;
    Wc.lpszClassName = "FORMSTESTSTD";
    RegisterClass(&Wc);

    TForm* F = MakeForm("Handles");
    auto* S = New<TSubclassed>(F);
    S->SetBounds(5, 5, 50, 20);
    EXPECT_THROW(S->Handle(), EInvalidOperation) << "a child window needs its parent";
    S->SetParent(F);
    EXPECT_FALSE(S->HandleAllocated());
    EXPECT_EQ(S->Perform(WM_TESTPING, 0, 0), 0) << "no window yet, nothing answers";
    S->SetCaption("before");
    HWND First = S->Handle();
    EXPECT_TRUE(F->HandleAllocated()) << "the parent's window comes first";
    EXPECT_EQ(GetParent(First), F->Handle());
    EXPECT_EQ(S->Perform(WM_TESTPING, 0, 0), 4242);
    EXPECT_EQ(SendMessage(First, WM_TESTPING, 0, 0), 4242);
    EXPECT_EQ(TWinControl::FindControl(First), S);

    // Subclassing through WindowProc sees the messages first.
    int Seen = 0;
    TWndMethod Old = S->WindowProc();
    S->SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_TESTPING)
            ++Seen;
        Old(M);
    });
    EXPECT_EQ(SendMessage(First, WM_TESTPING, 0, 0), 4242);
    EXPECT_EQ(Seen, 1);
    S->SetWindowProc(Old);

    S->RecreateWnd();
    EXPECT_EQ(S->Creations, 2);
    EXPECT_FALSE(IsWindow(First));
    EXPECT_EQ(S->Caption(), "before") << "the text survives the new window";
    EXPECT_EQ(TWinControl::FindControl(First), nullptr);
}

TEST_F(FormsTest, ParentFontAndColourFlowDown)
{
    TForm* F = MakeForm("Fonts");
    auto* Panel = Add<TTestPanel>(F, "Panel", 0, 0, 100, 50);
    auto* Box = Add<TTestBox>(Panel, "Box", 0, 0, 50, 20);
    Box->SetParentColor(true);
    F->Font()->SetSize(14);
    EXPECT_EQ(Box->Font()->Size(), 14);
    Panel->SetColor(clTeal);
    EXPECT_EQ(Box->Color(), clTeal);
    Box->Font()->SetStyle({fsBold});
    EXPECT_FALSE(Box->ParentFont());
    F->Font()->SetSize(20);
    EXPECT_EQ(Box->Font()->Size(), 14) << "an own font no longer follows";
    EXPECT_EQ(Panel->Font()->Size(), 20);
}

TEST_F(FormsTest, TimerFiresOnTheVirtualClock)
{
    auto* T = New<TTimer>(nullptr);
    int Ticks = 0;
    T->OnTimer = [&](TObject*) { ++Ticks; };
    T->SetInterval(100);
    AdvanceTime(350);
    EXPECT_EQ(Ticks, 3);
    T->SetEnabled(false);
    AdvanceTime(500);
    EXPECT_EQ(Ticks, 3);

    // An exception in OnTimer goes to the application and the timer goes on.
    std::vector<std::string> Seen;
    Application->OnException = [&](TObject*, const Exception& E) { Seen.push_back(E.Message()); };
    T->OnTimer = [&](TObject*) {
        ++Ticks;
        throw Exception("tick failed");
    };
    T->SetEnabled(true);
    AdvanceTime(200);
    EXPECT_EQ(Ticks, 5);
    EXPECT_EQ(Seen.size(), 2u);
    T->Free();
    AdvanceTime(300);
    EXPECT_EQ(Ticks, 5);
}

TEST_F(FormsTest, ActionLinkCarriesCaptionEnabledAndExecute)
{
    TForm* F = MakeForm("Actions");
    auto* Box = Add<TTestBox>(F, "Box", 10, 10, 80, 24);
    auto* A = New<TAction>(F);
    A->SetCaption("&Draw");
    A->SetHint("Start");
    int Runs = 0;
    A->OnExecute = [&](TObject*) { ++Runs; };
    Box->SetAction(A);
    EXPECT_EQ(Box->Caption(), "&Draw");
    EXPECT_EQ(Box->Hint(), "Start");
    A->SetEnabled(false);
    EXPECT_FALSE(Box->Enabled());
    A->SetEnabled(true);
    A->SetCaption("&Redraw");
    EXPECT_EQ(Box->Caption(), "&Redraw");
    Box->Click();
    EXPECT_EQ(Runs, 1);
    A->Free();
    EXPECT_EQ(Box->Action(), nullptr) << "the link goes with the action";
    Box->Click();
    EXPECT_EQ(Runs, 1);
}

TEST_F(FormsTest, AssigningAnActionOverridesWhatTheControlHad)
{
    TForm* F = MakeForm("Actions");
    auto* Box = Add<TTestBox>(F, "Box", 10, 10, 80, 24);
    Box->SetCaption("Old caption");
    Box->SetHint("Old hint");
    int OwnClicks = 0;
    Box->OnClick = [&](TObject*) { ++OwnClicks; };
    auto* A = New<TAction>(F);
    A->SetCaption("&Draw");
    A->SetHint("Start");
    A->SetEnabled(false);
    A->SetVisible(false);
    int Runs = 0;
    A->OnExecute = [&](TObject*) { ++Runs; };
    Box->SetAction(A);
    EXPECT_EQ(Box->Caption(), "&Draw");
    EXPECT_EQ(Box->Hint(), "Start");
    EXPECT_FALSE(Box->Enabled());
    EXPECT_FALSE(Box->Visible());
    A->SetEnabled(true);
    A->SetVisible(true);
    Box->Click();
    EXPECT_EQ(Runs, 1) << "a click runs the action";
    EXPECT_EQ(OwnClicks, 0);
}

// ---- Painting ---------------------------------------------------------------------------------------------

TEST_F(FormsTest, FormSnapshotShowsItsControls)
{
    TForm* F = MakeForm("Prize draw", 320, 200);
    F->SetColor(clBtnFace);
    auto* Header = Add<TTestShape>(F, "Header", 0, 0, 10, 30);
    Header->Fill = clNavy;
    Header->SetAlign(alTop);
    auto* Box = Add<TTestBox>(F, "Box", 20, 50, 120, 30);
    Box->SetCaption("First prize");
    auto* Other = Add<TTestBox>(F, "Other", 20, 100, 120, 30);
    Other->SetCaption("Second prize");
    Other->Fill = clAqua;
    int Painted = 0;
    F->OnPaint = [&](TObject*) {
        ++Painted;
        F->Canvas()->Pen()->SetColor(clRed);
        F->Canvas()->MoveTo(200, 60);
        F->Canvas()->LineTo(300, 160);
    };
    F->Show();
    PumpUntilIdle();
    EXPECT_GT(Painted, 0);
    ASSERT_TRUE(SaveWindowPng(F->Handle(), uitest::TempFolder("forms").File("snapshot.png")));

    EXPECT_EQ(PixelAt(F->Handle(), 5, 5), ColorToRGB(clNavy)) << "the windowless header";
    EXPECT_EQ(PixelAt(F->Handle(), 250, 110), ColorToRGB(clRed)) << "OnPaint's line";
    EXPECT_EQ(PixelAt(F->Handle(), 180, 140), ColorToRGB(clBtnFace)) << "the form's colour";
    EXPECT_EQ(PixelAt(Box->Handle(), 60, 20), ColorToRGB(clYellow)) << "the focused box";
    EXPECT_EQ(PixelAt(Other->Handle(), 100, 20), ColorToRGB(clAqua));
}

TEST_F(FormsTest, ClipboardCarriesTextAndPictures)
{
    Clipboard()->SetAsText("獎品 list");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->AsText(), "獎品 list");
    char Small[4];
    EXPECT_EQ(Clipboard()->GetTextBuf(Small, sizeof Small), 3);
    EXPECT_STREQ(Small, "\xE7\x8D\x8E");

    auto* B = New<TBitmap>();
    B->SetSize(3, 2);
    B->Canvas()->SetPixels(2, 1, clMaroon);
    Clipboard()->Assign(B);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_DIB));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)) << "new data replaces the old";
    TPicture P;
    P.Assign(Clipboard());
    EXPECT_EQ(P.Width(), 3);
    EXPECT_EQ(P.Bitmap()->Canvas()->Pixels(2, 1), clMaroon);
    B->Free();

    Clipboard()->Clear();
    EXPECT_EQ(Clipboard()->AsText(), "");
    EXPECT_THROW(P.Assign(Clipboard()), EInvalidGraphic);
}

TEST_F(FormsTest, ScrollingFormFollowsItsContents)
{
    TForm* F = MakeForm("Scroll", 200, 150);
    F->SetBorderStyle(bsNone);
    auto* Far = Add<TTestBox>(F, "Far", 20, 400, 60, 24);
    auto* Near = Add<TTestBox>(F, "Near", 20, 10, 60, 24);
    EXPECT_EQ(F->VertScrollBar()->Range(), 424);
    EXPECT_TRUE(F->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(F->HorzScrollBar()->IsScrollBarVisible());
    F->ScrollInView(Far);
    EXPECT_GE(Far->Top(), 0);
    EXPECT_LE(Far->Top() + Far->Height(), F->ClientHeight());
    EXPECT_EQ(Near->Top(), 10 - F->VertScrollBar()->Position()) << "everything moved together";
    F->VertScrollBar()->SetPosition(0);
    EXPECT_EQ(Far->Top(), 400);

    // Moving many controls with the range calculation suspended.
    F->DisableAutoRange();
    Far->SetTop(50);
    EXPECT_EQ(F->VertScrollBar()->Range(), 424);
    F->EnableAutoRange();
    EXPECT_EQ(F->VertScrollBar()->Range(), 74);
}
