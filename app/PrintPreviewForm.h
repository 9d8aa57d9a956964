#pragma once

// The print window: a grid laid out on pages under a block of title lines, shown with page
// navigation, zoom, a choice of printer and the range of pages to print. The same window, never
// shown, exports a grid to a spreadsheet, comma-separated, HTML or word-processor file.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "controls/ZelEdit.h"
#include "controls/ZevButton.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/CommonDialogs.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "print/VuGridPrint.h"
#include "print/VuPreview.h"

class TPrintPreviewForm : public TForm {
public:
    explicit TPrintPreviewForm(TComponent* AOwner);

    TPanel* Panel1 = nullptr;
    TZevButton* uFirst = nullptr;
    TZevButton* uPrevious = nullptr;
    TZevButton* uNext = nullptr;
    TZevButton* uLast = nullptr;
    TZevButton* zoomIn = nullptr;
    TZevButton* zoomOut = nullptr;
    TLabel* printerLabel = nullptr;
    TComboBox* printer = nullptr;
    TLabel* fromLabel = nullptr;
    TZelEdit* fromPage = nullptr;
    TLabel* toLabel = nullptr;
    TZelEdit* toPage = nullptr;
    TZevButton* exportButton = nullptr;
    TZevButton* printButton = nullptr;
    TZevButton* Button1 = nullptr;
    TVuPreview* VuPreview1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TVuGridPrint* VuGridPrint1 = nullptr;
    // The exchange buffer: the exported columns of sourceGrid, hidden.
    TDidAririzEvar* eGrid = nullptr;
    TDozAzevIzaroIO* xls = nullptr;
    TSaveDialog* SaveDialog2 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    // The grid printed (not owned); none until addGridPages.
    TStringGrid* sourceGrid = nullptr;
    // The last column printed as a plain text box; -1 until addGridPages.
    Integer lastTextColumn = -1;

    // Writes the title block of the first page: Title1 and Title2 centred, Title3 (when not
    // blank) under them, and a double rule below.
    void addPrintTitles(const AnsiString& Title1, const AnsiString& Title2, const AnsiString& Title3);
    // Lays Grid out over the pages from (X, Y) pixels of the current page; LastTextColumn -1
    // takes the grid's last column.
    void addGridPages(Integer X, Integer Y, TStringGrid* Grid, Integer LastTextColumn);

    void FormShow(TObject* Sender);
    void uFirstClick(TObject* Sender);
    void uPreviousClick(TObject* Sender);
    void uNextClick(TObject* Sender);
    void uLastClick(TObject* Sender);
    void zoomInClick(TObject* Sender);
    void zoomOutClick(TObject* Sender);
    void fromPageKeyPress(TObject* Sender, WideChar& Key);
    void printButtonClick(TObject* Sender);
    // Asks for a file and writes sourceGrid into it, the writer chosen by the file name's
    // ending ("xls", "csv", "htm" or "doc"); then offers to open the file.
    void exportButtonClick(TObject* Sender);
    void VuGridPrint1DrawCell(TObject* Sender, Integer Col, Integer Row, TVuValueRect* ARect,
                              TVuCanvas* ACanvas);
    void VuGridPrint1GridNewPage(TObject* Sender, TVuValue*& ATopMargin, TVuValue*& ABottomMargin);

private:
    // Enables the page buttons for the current page and shows its number.
    void ShowPageState(bool CanGoBack, bool CanGoOn);
    // The page number typed in Edit, or 0 after telling the user why it is no page of the
    // document (Edit then has the focus with its text selected).
    Integer CheckedPage(TZelEdit* Edit);
    // Copies the cells of sourceGrid's visible columns into eGrid, side by side.
    void FillExchangeGrid();
};
