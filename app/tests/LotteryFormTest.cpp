#include "AppTestSupport.h"

#include "platform/win/Backend.h"

#include "app/LotteryForm.h"

using uitest::AdvanceTime;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

struct TCellPaints {
    std::vector<std::pair<Integer, Integer>> Cells;
    bool Has(Integer Col, Integer Row) const
    {
        return std::find(Cells.begin(), Cells.end(), std::make_pair(Col, Row)) != Cells.end();
    }
};

// Notes every cell the board paints, then paints it as before.
void WatchPaints(TLotteryForm* B, TCellPaints& Paints)
{
    TDrawCellEvent Paint = B->grid->OnDrawCell;
    B->grid->OnDrawCell = [&Paints, Paint](TObject* S, Integer C, Integer R, TRect Rect, TGridDrawState St) {
        Paints.Cells.emplace_back(C, R);
        Paint(S, C, R, Rect, St);
    };
}

class LotteryFormTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        // A small screen: fewer cells in view keep the large boards' runs short.
        ResetWindowLayer();
        InstallBackend(std::make_unique<HeadlessBackend>(TSize{640, 480}));
        ResetWindowLayer();
    }

    // A board set up as the draw command sets it (two prizes, 30 units); Check runs once the
    // board is shown and ends by closing it (further steps it queues run in turn, with the
    // board's own loop in between). Returns how the board was closed.
    TModalResult OpenBoard(Integer Persons, Integer Rows, Integer Cols,
                           std::function<void(TLotteryForm*)> Check)
    {
        if (Store->Working.Prizes.empty()) {
            Store->AddPrize("Pen", 20);
            Store->AddPrize("Cup", 10);
        }
        auto* B = New<TLotteryForm>(Application);
        B->SetPersonsLeft(Persons);
        B->grid->SetRowCount(Rows);
        B->grid->SetColCount(Cols);
        B->SetNoPrizeText("No prize");
        Then([=, this] {
            ASSERT_EQ(Active<TLotteryForm>(), B);
            Check(B);
        });
        const TModalResult Result = B->ShowModal();
        EXPECT_TRUE(Steps.empty());
        B->Free();
        return Result;
    }
};

} // namespace

// Every board the options window accepts, up to the largest, walks at the pace of the timer:
// 50 ms per move, then five beeping moves slowing by 100 ms each and the landing. Each move
// repaints the cell left and the cell entered, not the board; only a move that scrolls the board
// repaints what comes into view.
TEST_F(LotteryFormTest, WalkKeepsItsPaceAndRepaintsOnlyTheCellsItMovesOnLargeBoards)
{
    struct Case {
        Integer Rows, Cols;
    };
    for (const Case Size : {Case{30, 30}, Case{100, 100}, Case{TDrawBoard::MaxRows, TDrawBoard::MaxCols}}) {
        SCOPED_TRACE(std::to_string(Size.Rows) + " x " + std::to_string(Size.Cols));
        OpenBoard(2, Size.Rows, Size.Cols, [](TLotteryForm* B) {
            TCellPaints Paints;
            WatchPaints(B, Paints);
            const Integer Visible = (B->grid->VisibleRowCount() + 1) * (B->grid->VisibleColCount() + 1);

            uitest::ClearRecords();
            B->saveAction->Execute(); // the keys are the whole run's to test
            const Integer S = B->Board().StepsLeft();
            ASSERT_GE(S, 10);
            EXPECT_LE(Paints.Cells.size(), size_t(Visible));
            for (Integer I = 1; I <= S + 1; ++I) {
                const Integer Col = B->Board().HighlightCol(), Row = B->Board().HighlightRow();
                const Integer Top = B->grid->TopRow(), Left = B->grid->LeftCol();
                const Integer Pause = I <= S - 4 ? 50 : 50 + 100 * (I - (S - 4));
                AdvanceTime(Pause - 1);
                ASSERT_EQ(B->Board().StepsLeft(), I <= S ? S - I + 1 : 0) << "move " << I << " came early";
                ASSERT_FALSE(B->exitAction->Enabled());
                Paints.Cells.clear();
                AdvanceTime(1);
                EXPECT_EQ(uitest::Beeps().size(), size_t(std::clamp(I - (S - 5), 0, 5))) << "move " << I;
                if (I > S) {
                    EXPECT_TRUE(B->exitAction->Enabled()) << "landed";
                    EXPECT_EQ(B->Board().HighlightCol(), Col);
                    EXPECT_TRUE(Paints.Cells.empty()) << "the landing changes no cell";
                    break;
                }
                ASSERT_EQ(B->Board().StepsLeft(), S - I) << "move " << I << " is late";
                const Integer Next = (Row * B->grid->ColCount() + Col + 1) % B->Board().Cells();
                EXPECT_EQ(B->Board().HighlightCol(), Next % B->grid->ColCount());
                EXPECT_EQ(B->Board().HighlightRow(), Next / B->grid->ColCount());
                EXPECT_TRUE(Paints.Has(B->Board().HighlightCol(), B->Board().HighlightRow()))
                    << "the cell entered is shown at once";
                if (B->grid->TopRow() == Top && B->grid->LeftCol() == Left)
                    EXPECT_LE(Paints.Cells.size(), 2u) << "move " << I;
                else
                    EXPECT_LE(Paints.Cells.size(), size_t(Visible)) << "move " << I << " scrolled";
            }
            B->exitAction->Execute();
        });
    }
}

// The window frame's close during the walk waits for the landing, and the board closes then;
// the close key stays off meanwhile.
TEST_F(LotteryFormTest, FrameCloseDuringTheWalkClosesAfterTheLanding)
{
    const TModalResult Result = OpenBoard(2, 6, 6, [this](TLotteryForm* B) {
        // The close box at the right end of the caption.
        RECT W{};
        GetWindowRect(B->Handle(), &W);
        POINT CloseBox{-1, -1};
        for (int Y = W.Top; Y < W.Top + 40 && CloseBox.X < 0; ++Y)
            for (int X = W.Right - 1; X > W.Right - 40; --X)
                if (SendMessage(B->Handle(), WM_NCHITTEST, 0, MAKELPARAM(X, Y)) == HTCLOSE) {
                    CloseBox = POINT{X, Y};
                    break;
                }
        ASSERT_GE(CloseBox.X, 0) << "the board has a close box";

        PressKey(VK_F4);
        const TPrizeId Won = B->Board().Outcomes()[1];
        AdvanceTime(100);
        uitest::ClickAt(CloseBox);
        PressKey(VK_ESCAPE);
        Then([=, this] {
            ASSERT_EQ(Active<TLotteryForm>(), B) << "still open during the walk";
            EXPECT_TRUE(B->Timer1->Enabled());
            EXPECT_EQ(B->ModalResult(), mrNone);
            AdvanceTime(5000);
            EXPECT_EQ(B->Board().StepsLeft(), 0) << "the walk went on to its landing";
            EXPECT_EQ(B->Board().CellPrize(B->Board().HighlightCol(), B->Board().HighlightRow()), Won);
            EXPECT_EQ(B->person->Caption(), "Person: 1");
            EXPECT_EQ(B->ModalResult(), mrCancel) << "and the board closes";
        });
    });
    EXPECT_EQ(Result, mrCancel);
}

// Cells copy their text from pictures drawn once per text and look; what they show is what
// writing the text straight into each cell would show.
TEST_F(LotteryFormTest, CellsShowTheirTextAsIfWrittenStraightIntoThem)
{
    Store->AddPrize("Pen", 2);
    Store->AddPrize("獎品 Cup", 1);
    OpenBoard(2, 2, 3, [](TLotteryForm* B) {
        for (Integer Row = 0; Row < 2; ++Row)
            for (Integer Col = 0; Col < 3; ++Col) {
                SCOPED_TRACE(B->grid->Cells(Col, Row));
                const TRect R = B->grid->CellRect(Col, Row);
                TBitmap Expected;
                Expected.SetSize(R.Width(), R.Height());
                TCanvas* C = Expected.Canvas();
                C->Font()->Assign(B->grid->Font());
                const bool Highlighted = Col == 0 && Row == 0, Prize = B->Board().CellPrize(Col, Row) != 0;
                C->Brush()->SetColor(Highlighted ? clHighlight : Prize ? RGB(0, 128, 0) : clWhite);
                C->Font()->SetColor(Highlighted ? RGB(255, 255, 0) : Prize ? clWhite : clBlack);
                C->Font()->SetSize(Highlighted ? 32 : 16);
                const TRect All{0, 0, R.Width(), R.Height()};
                C->FillRect(All);
                const AnsiString Text = B->grid->Cells(Col, Row);
                C->TextRect(All, (All.Width() - C->TextWidth(Text)) / 2,
                            (All.Height() - C->TextHeight(Text)) / 2, Text);
                int Differ = 0;
                for (Integer Y = 0; Y < R.Height(); ++Y)
                    for (Integer X = 0; X < R.Width(); ++X)
                        Differ +=
                            C->Pixels(X, Y) != uitest::PixelAt(B->grid->Handle(), R.Left + X, R.Top + Y);
                EXPECT_EQ(Differ, 0);
            }
        B->exitAction->Execute();
    });
}
