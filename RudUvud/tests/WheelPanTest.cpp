// The mouse wheel and middle-button panning, what follows every scroll (controls placed in cells
// stay over their cells), the end of an edit reported later, and sizing with the owner form.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/edit/GridEditors.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/CommCtrl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

HCURSOR PanCursor(Integer Id)
{
    return ::LoadCursor(reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000)),
                        MAKEINTRESOURCE(static_cast<std::uintptr_t>(Id)));
}

class WheelPanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 30, 100);
        G->SetFocus();
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }

    // One notch: negative towards the user ("down").
    LRESULT Notch(Integer Delta, WPARAM Keys = 0)
    {
        const POINT P = uitest::ToScreen(G->Handle(), 100, 100);
        const LRESULT R = ::SendMessage(G->Handle(), WM_MOUSEWHEEL,
                                        MAKEWPARAM(Keys, static_cast<WORD>(Delta)), MAKELPARAM(P.X, P.Y));
        uitest::PumpUntilIdle();
        return R;
    }
    void StartPan(Integer X = 200, Integer Y = 200)
    {
        uitest::MouseDown(G->Handle(), X, Y, 2);
        uitest::MouseUp(G->Handle(), X, Y, 2);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(WheelPanTest, NotchMovesTheRowByTheStepPlusThePlatformStep)
{
    G->SetRow(1);
    uitest::Wheel(G->Handle(), 100, 100, -120);
    EXPECT_EQ(G->Row(), 5) << "3 rows from the grid, 1 from the platform grid's step";
    uitest::Wheel(G->Handle(), 100, 100, 120);
    EXPECT_EQ(G->Row(), 1);
    // Never beyond the last row.
    G->SetRow(98);
    uitest::Wheel(G->Handle(), 100, 100, -120);
    EXPECT_EQ(G->Row(), 99);
}

TEST_F(WheelPanTest, WheelIncrementMovesByItselfAloneAndAnswersOne)
{
    G->MouseActions()->WheelIncrement = 2;
    G->SetRow(1);
    EXPECT_EQ(Notch(-120), 1);
    EXPECT_EQ(G->Row(), 3);
    // A hook that asks for the platform's handling gets its step too.
    struct THooked : TDidAririzEvar {
        using TDidAririzEvar::TDidAririzEvar;
        Integer Delta = 0;
        void DirectWheelChange(Integer D, bool& DoDefault) override
        {
            Delta = D;
            DoDefault = false;
        }
    };
    auto* H = New<THooked>(Form);
    H->SetParent(Form);
    H->SetBounds(0, 0, 300, 300);
    H->SetRowCount(50);
    H->MouseActions()->WheelIncrement = 2;
    H->SetRow(10);
    uitest::PumpUntilIdle();
    const POINT P = uitest::ToScreen(H->Handle(), 50, 50);
    ::SendMessage(H->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(120)), MAKELPARAM(P.X, P.Y));
    EXPECT_EQ(H->Delta, -2);
    EXPECT_EQ(H->Row(), 7) << "2 rows up from the grid, 1 from the platform";
}

TEST_F(WheelPanTest, ScrollActionMovesTheViewOnly)
{
    G->MouseActions()->SetWheelAction(waScroll);
    G->SetRow(2);
    Notch(-120);
    EXPECT_EQ(G->TopRow(), 4);
    EXPECT_EQ(G->Row(), 2);
    Notch(-120);
    EXPECT_EQ(G->TopRow(), 7);
    // Up never passes the first data row.
    Notch(120);
    Notch(120);
    Notch(120);
    EXPECT_EQ(G->TopRow(), G->FixedRows());
    EXPECT_EQ(G->Row(), 2);
}

TEST_F(WheelPanTest, CtrlWheelZoomsAndOneRowAlwaysFixedDropsTheNotch)
{
    G->SetCells(1, 1, "x");
    Notch(-120, MK_CONTROL);
    EXPECT_EQ(G->ZoomStep(), 3);
    Notch(120, MK_CONTROL);
    EXPECT_EQ(G->ZoomStep(), 0);

    G->SetFixedRowAlways(true);
    G->SetRowCount(1);
    uitest::PumpUntilIdle();
    Notch(-120);
    EXPECT_EQ(G->RowCount(), 1);
}

TEST_F(WheelPanTest, MiddleButtonPansWithDirectionCursorsUntilAClick)
{
    G->SetIntelliPan(ipBoth);
    G->MouseActions()->SetWheelAction(waScroll);
    StartPan();
    ASSERT_TRUE(G->Panning());
    EXPECT_EQ(::GetCursor(), PanCursor(8000));
    EXPECT_EQ(::GetCapture(), G->Handle());
    // Inside the dead zone nothing moves.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), 204, 196).X, uitest::ToScreen(G->Handle(), 204, 196).Y);
    uitest::AdvanceTime(50);
    EXPECT_EQ(G->TopRow(), 1);
    EXPECT_EQ(G->LeftCol(), 1);
    EXPECT_EQ(::GetCursor(), PanCursor(8000));
    // Down and right: both move on each tick.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), 240, 260).X, uitest::ToScreen(G->Handle(), 240, 260).Y);
    uitest::AdvanceTime(10);
    EXPECT_EQ(G->TopRow(), 2);
    EXPECT_EQ(G->LeftCol(), 2);
    EXPECT_EQ(::GetCursor(), PanCursor(8007));
    uitest::AdvanceTime(20);
    EXPECT_EQ(G->TopRow(), 4);
    // Up and left.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), 150, 150).X, uitest::ToScreen(G->Handle(), 150, 150).Y);
    uitest::AdvanceTime(10);
    EXPECT_EQ(G->TopRow(), 3);
    EXPECT_EQ(::GetCursor(), PanCursor(8006));
    // A left press ends panning; the view stays.
    uitest::Click(G->Handle(), 150, 150);
    EXPECT_FALSE(G->Panning());
    EXPECT_NE(::GetCapture(), G->Handle());
    uitest::AdvanceTime(50);
    EXPECT_EQ(G->TopRow(), 3);
}

TEST_F(WheelPanTest, PanningMovesTheCurrentCellAlongTheAllowedAxis)
{
    G->SetIntelliPan(ipHorizontal);
    G->SetRow(5);
    G->SetCol(5);
    StartPan();
    ASSERT_TRUE(G->Panning());
    // Straight down: a horizontal pan ignores it.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), 200, 300).X, uitest::ToScreen(G->Handle(), 200, 300).Y);
    uitest::AdvanceTime(30);
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(::GetCursor(), PanCursor(8000));
    // Left: one column per tick, never into the fixed column.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), 100, 300).X, uitest::ToScreen(G->Handle(), 100, 300).Y);
    uitest::AdvanceTime(20);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(::GetCursor(), PanCursor(8002));
    uitest::AdvanceTime(100);
    EXPECT_EQ(G->Col(), G->FixedCols());
    // A key ends panning.
    uitest::PressKey(VK_SHIFT);
    EXPECT_FALSE(G->Panning());
}

TEST_F(WheelPanTest, NoPanningWhenSwitchedOff)
{
    G->SetIntelliPan(ipNone);
    StartPan();
    EXPECT_FALSE(G->Panning());
    uitest::AdvanceTime(50);
    EXPECT_EQ(G->Row(), 1);
}

TEST_F(WheelPanTest, DestroyingTheWindowWhilePanningEndsIt)
{
    G->SetIntelliPan(ipVertical);
    StartPan();
    ASSERT_TRUE(G->Panning());
    G->Free();
    G = nullptr;
    uitest::AdvanceTime(50); // no tick reaches a freed grid
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WheelPanTest, CellControlsStayOverTheirCellsAfterScrolling)
{
    auto* E = New<TEdit>(Form);
    G->SetCellControls(3, 4, E);
    uitest::PumpUntilIdle();
    auto Placed = [&](Integer C, Integer R) {
        const TRect Rc = G->CellRect(C, R);
        return E->Left() == Rc.Left - 1 && E->Top() == Rc.Top - 1 && E->Width() == Rc.Right - Rc.Left + 1 &&
               E->Height() == Rc.Bottom - Rc.Top + 1;
    };
    EXPECT_EQ(G->GetCellControls(3, 4), E);
    EXPECT_TRUE(Placed(3, 4));
    G->SetTopRow(3);
    uitest::PumpUntilIdle();
    EXPECT_TRUE(E->Visible());
    EXPECT_TRUE(Placed(3, 4)) << "moved up with its row";
    G->SetLeftCol(2);
    uitest::PumpUntilIdle();
    EXPECT_TRUE(Placed(3, 4)) << "moved left with its column";
    // Scrolled out of view: hidden; back: shown over its cell again.
    G->SetTopRow(20);
    uitest::PumpUntilIdle();
    EXPECT_FALSE(E->Visible());
    Notch(120);
    G->SetTopRow(1);
    uitest::PumpUntilIdle();
    EXPECT_TRUE(E->Visible());
    EXPECT_TRUE(Placed(3, 4));
    // A hidden row hides its control.
    G->HideRow(2);
    uitest::PumpUntilIdle();
    EXPECT_TRUE(Placed(3, 3)) << "its row is the third display row now";
    // Taken away: the control stays, the cell forgets it.
    G->SetCellControls(3, 3, nullptr);
    EXPECT_EQ(G->GetCellControls(3, 3), nullptr);
    E->Free();
}

TEST_F(WheelPanTest, EditDoneMessageReportsTheCellLater)
{
    Integer C = -1, R = -1;
    G->OnEditCellDone = [&](TObject*, Integer ACol, Integer ARow) {
        C = ACol;
        R = ARow;
    };
    ::PostMessage(G->Handle(), GridEditDoneMessage(), 3, 7);
    EXPECT_EQ(C, -1);
    uitest::PumpUntilIdle();
    EXPECT_EQ(C, 3);
    EXPECT_EQ(R, 7);
}

TEST_F(WheelPanTest, VersionStringAndSizingWithTheForm)
{
    EXPECT_EQ(G->GetVersionString(), "5.0.6.0 Apr, 2010");

    TForm* F = gridtest::NewForm();
    int Own = 0;
    F->OnResize = [&](TObject*) {
        ++Own;
        throw std::runtime_error("the form's own handler fails");
    };
    auto* H = New<TDidAririzEvar>(F);
    H->SetParent(F);
    H->SetBounds(10, 10, 300, 200);
    H->SetSizeWithForm(true);
    uitest::PumpUntilIdle();
    F->SetBounds(0, 0, 840, 600);
    uitest::PumpUntilIdle();
    EXPECT_EQ(H->Width(), 340) << "keeps its distance to the form's right edge";
    EXPECT_EQ(H->Height(), 200);
    EXPECT_GE(Own, 1) << "the form's own handler still runs, its exception stays inside";
    // A size that would leave the grid without width is ignored.
    F->SetBounds(0, 0, 400, 600);
    uitest::PumpUntilIdle();
    EXPECT_EQ(H->Width(), 340);
    F->Free();
}

TEST_F(WheelPanTest, ComboCloseUpReportsTheCellAndBalloonsAnswerTheToolTip)
{
    TGridCombo* Cb = G->Editors().Combo;
    ASSERT_NE(Cb, nullptr);
    Cb->HandleNeeded();
    G->SetCol(2);
    G->SetRow(6);
    Integer R = -1, C = -1;
    G->OnComboCloseUp = [&](TObject*, Integer ARow, Integer ACol) {
        R = ARow;
        C = ACol;
    };
    ::SendMessage(G->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP),
                  reinterpret_cast<LPARAM>(Cb->Handle()));
    EXPECT_EQ(R, 6);
    EXPECT_EQ(C, 2);

    // The balloon tool tip asks for the text of the cell under the mouse.
    G->SetCells(3, 4, "\r\n\tfirst\tprize");
    G->Balloon()->Enable = true;
    AnsiString Title;
    G->OnCellBalloon = [&](TObject*, Integer, Integer, AnsiString& T, AnsiString&, Integer&) { T = "Prize"; };
    const TRect Rc = G->CellRect(3, 4);
    const POINT P = uitest::ToScreen(G->Handle(), (Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2);
    ::SetCursorPos(P.X, P.Y);
    NMTTDISPINFO Info{};
    Info.hdr.code = TTN_NEEDTEXT;
    ::SendMessage(G->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Info));
    ASSERT_NE(Info.lpszText, nullptr);
    EXPECT_STREQ(Info.lpszText, " first prize") << "tabs are blanks, then line breaks before the text go";
    // Off: the notification is not the grid's.
    G->Balloon()->Enable = false;
    NMTTDISPINFO Off{};
    Off.hdr.code = TTN_NEEDTEXT;
    ::SendMessage(G->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Off));
    EXPECT_EQ(Off.lpszText, nullptr);
}

} // namespace
