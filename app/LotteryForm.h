#pragma once

// The draw board shown to the audience: a grid of cells with prize names and the no-prize
// text, a highlight that runs over them on every draw and stops on the drawn cell, and the
// counters of prizes and persons left.

#include "app/DrawBoard.h"
#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Grids.h"
#include "platform/forms/StdCtrls.h"

#include <initializer_list>
#include <map>
#include <memory>
#include <tuple>
#include <utility>

// The board's grid. A walk changes the look of two cells per move, and only those are
// repainted: on a large board a full repaint per move could not keep up with the walk.
class TBoardGrid : public TStringGrid {
public:
    using TCustomGrid::InvalidateCell;
    using TStringGrid::TStringGrid;
};

class TLotteryForm : public TForm {
public:
    explicit TLotteryForm(TComponent* AOwner);

    TBoardGrid* grid = nullptr;
    TPanel* actionPanel = nullptr;
    TPanel* showPanel = nullptr;
    TLabel* gift = nullptr;
    TLabel* person = nullptr;
    TZevButton* startButton = nullptr;
    TZevButton* ZevButton1 = nullptr;
    TTimer* Timer1 = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* saveAction = nullptr;
    TAction* exitAction = nullptr;

    // Set by the draw command before the board is shown.
    void SetPersonsLeft(Integer Value) { FPersonsLeft = Value; }
    void SetNoPrizeText(const AnsiString& Value) { FNoPrizeText = Value; }
    const AnsiString& NoPrizeText() const { return FNoPrizeText; }
    const TDrawBoard& Board() const { return FBoard; }

    void FormShow(TObject* Sender);
    void FormResize(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void saveActionExecute(TObject* Sender);
    void exitActionExecute(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void gridDrawCell(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State);

private:
    void ShowCounters();
    // Keeps the cell a walk starts on in view.
    void ScrollTo(Integer StartRow);
    // Keeps the highlight's column in view.
    void FollowColumn();
    // Repaints what changed now, so that the board keeps step with the walk's timer.
    void RepaintCells(std::initializer_list<std::pair<Integer, Integer>> Cells);
    // The size of a cell's text, measured once per text and font size: the board has few
    // distinct texts and many cells.
    TSize CellTextExtent(TCanvas* C, const AnsiString& Text, Integer Size);
    // Writes a cell's text with the canvas's font and brush at (X, Y), clipped to Rect. The text
    // is laid out and drawn once per text and look into a picture, which the cells then copy:
    // a scroll repaints every cell in view, and they show only a few distinct texts.
    void DrawCellText(TCanvas* C, const TRect& Rect, Integer X, Integer Y, const AnsiString& Text,
                      TSize Extent);

    std::map<std::pair<AnsiString, Integer>, TSize> FExtents;
    // By text, font size, font colour and brush colour.
    using TTextLook = std::tuple<AnsiString, Integer, TColor, TColor>;
    std::map<TTextLook, std::unique_ptr<TBitmap>> FTextImages;

    TDrawBoard FBoard;
    Integer FPersonsLeft = 0;
    AnsiString FNoPrizeText;
    // The window frame was closed during a walk: the board closes when it lands.
    bool FCloseAfterLanding = false;
};
