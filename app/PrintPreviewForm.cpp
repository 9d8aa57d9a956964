#include "app/PrintPreviewForm.h"

#include "app/FormActions.h"
#include "app/YesNoForm.h"
#include "platform/forms/Printers.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"

#include <filesystem>
#include <system_error>

namespace {

// Columns at most this wide are identifiers, not content: they are left out of the pages.
constexpr Integer HiddenColumnWidth = 5;

} // namespace

TPrintPreviewForm::TPrintPreviewForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Print Form");
    SetWindowState(wsMaximized);
    Font()->SetName("Times New Roman");
    Font()->SetHeight(-16);
    SetShowHint(true);

    Panel1 = New<TPanel>(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(73);
    Panel1->SetCaption("");

    auto MakeButton = [this](const char* Name, const char* Caption, const char* Hint, Integer Left,
                             Integer Top, Integer Width, Integer Height,
                             void (TPrintPreviewForm::*Handler)(TObject*)) {
        auto* B = MakeFormButton(this, Panel1, Name);
        B->SetBounds(Left, Top, Width, Height);
        B->SetCaption(Caption);
        if (Hint)
            B->SetHint(Hint);
        if (Handler)
            B->OnClick = [this, Handler](TObject* S) { (this->*Handler)(S); };
        return B;
    };
    uFirst = MakeButton("uFirst", "&First", "最前一頁", 4, 2, 80, 33, &TPrintPreviewForm::uFirstClick);
    uPrevious = MakeButton("uPrevious", "Pre&v", "前一頁", 84, 2, 80, 33, &TPrintPreviewForm::uPreviousClick);
    uNext = MakeButton("uNext", "&Next", "後一頁", 164, 2, 80, 33, &TPrintPreviewForm::uNextClick);
    uLast = MakeButton("uLast", "&Last", "最後一頁", 244, 2, 80, 33, &TPrintPreviewForm::uLastClick);
    for (TZevButton* B : {uFirst, uPrevious, uNext, uLast})
        B->SetEnabled(false);
    zoomIn = MakeButton("zoomIn", "Zoon In", nullptr, 4, 37, 80, 33, &TPrintPreviewForm::zoomInClick);
    zoomOut = MakeButton("zoomOut", "Zoon out", nullptr, 84, 37, 80, 33, &TPrintPreviewForm::zoomOutClick);

    auto MakeLabel = [this](const char* Name, const char* Caption, Integer Left, Integer Top, Integer Width) {
        auto* L = New<TLabel>(this);
        L->SetName(Name);
        L->SetParent(Panel1);
        L->SetAutoSize(false);
        L->SetAlignment(taRightJustify);
        L->SetBounds(Left, Top, Width, 20);
        L->SetCaption(Caption);
        return L;
    };
    printerLabel = MakeLabel("printerLabel", "Printer:", 330, 10, 70);
    printer = New<TComboBox>(this);
    printer->SetName("printer");
    printer->SetParent(Panel1);
    printer->SetStyle(csDropDownList);
    printer->SetBounds(404, 6, 260, 26);

    auto MakeEdit = [this](const char* Name, Integer Left) {
        auto* E = New<TZelEdit>(this);
        E->SetName(Name);
        E->SetParent(Panel1);
        E->SetBounds(Left, 41, 60, 26);
        E->SetColor(clWhite);
        E->SetText("1");
        return E;
    };
    fromLabel = MakeLabel("fromLabel", "Print Page From:", 170, 45, 130);
    fromPage = MakeEdit("fromPage", 304);
    fromPage->OnKeyPress = [this](TObject* S, WideChar& K) { fromPageKeyPress(S, K); };
    toLabel = MakeLabel("toLabel", "To", 366, 45, 34);
    toPage = MakeEdit("toPage", 404);

    // Right-aligned, from left to right: export, print, close.
    exportButton = MakeButton("exportButton", "&Export", nullptr, 840, 0, 80, 71, nullptr);
    printButton =
        MakeButton("printButton", "&Print", nullptr, 920, 0, 80, 71, &TPrintPreviewForm::printButtonClick);
    Button1 = MakeButton("Button1", "&Close", nullptr, 1000, 0, 80, 71, nullptr);
    Button1->SetModalResult(2);
    for (TZevButton* B : {exportButton, printButton, Button1})
        B->SetAlign(alRight);
    exportButton->OnClick = [this](TObject* S) { exportButtonClick(S); };

    StatusBar1 = New<TStatusBar>(this);
    StatusBar1->SetName("StatusBar1");
    StatusBar1->SetParent(this);
    StatusBar1->SetAlign(alBottom);
    StatusBar1->Panels()->Add()->SetWidth(150);
    StatusBar1->Panels()->Add()->SetWidth(100);

    VuPreview1 = New<TVuPreview>(this);
    VuPreview1->SetName("VuPreview1");
    VuPreview1->SetParent(this);
    VuPreview1->SetAlign(alClient);
    VuPreview1->SetZoom(100);
    VuPreview1->SetPagesPerSheet(vuOnePage);
    TVuFooter* Footer = VuPreview1->GetFooter();
    Footer->CaptionCenter()->SetCaption("Page {PAGE} of  {NUMPAGES}");
    Footer->CaptionCenter()->Font()->SetName("Arial");
    Footer->CaptionCenter()->Font()->SetHeight(-13);
    Footer->SetShowLine(false);
    Footer->SetVisible(true);
    TVuPrinter* Vp = VuPreview1->GetVuPrinter();
    Vp->SetCollate(false);
    Vp->SetDuplex(vuSimplex);
    Vp->SetPrintColor(vuColor);
    Vp->SetPrintQuality(vuMedium);

    VuGridPrint1 = New<TVuGridPrint>(this);
    VuGridPrint1->SetName("VuGridPrint1");
    VuGridPrint1->SetPreview(VuPreview1);
    VuGridPrint1->CellPenColor = clWhite;
    VuGridPrint1->GridOptions = TVuGridOptions{};
    VuGridPrint1->OnDrawCell = [this](TObject* S, Integer C, Integer R, TVuValueRect* Rect,
                                      TVuCanvas* Canvas) { VuGridPrint1DrawCell(S, C, R, Rect, Canvas); };
    VuGridPrint1->OnGridNewPage = [this](TObject* S, TVuValue*& Top, TVuValue*& Bottom) {
        VuGridPrint1GridNewPage(S, Top, Bottom);
    };

    eGrid = New<TDidAririzEvar>(this);
    eGrid->SetName("eGrid");
    eGrid->SetVisible(false);
    eGrid->SetParent(this);
    eGrid->SetRowCount(1);
    eGrid->SetFixedRows(0);
    eGrid->SetFixedCols(0);
    eGrid->SetDefaultRowHeight(24);
    eGrid->SetParentFont(false);
    eGrid->Font()->SetName("細明體");
    eGrid->Font()->SetHeight(-16);
    eGrid->SetOptions(eGrid->Options() + TGridOptions{goColSizing, goRowSelect});

    xls = New<TDozAzevIzaroIO>(this);
    xls->SetName("xls");
    xls->SetDidAririzEvar(eGrid);
    xls->SetGridStartRow(0);
    xls->SetGridStartCol(0);
    xls->UseUnicode = true;
    xls->Options()->ImportCellSizes = false;
    xls->Options()->ExportRawRTF = false;

    SaveDialog2 = New<TSaveDialog>(this);
    SaveDialog2->SetName("SaveDialog2");
    SaveDialog2->SetDefaultExt("csv");
    SaveDialog2->SetFilter("Excel File|*.xls|Comma 分隔檔案|*.csv");
    SaveDialog2->SetOptions(TOpenOptions{ofHideReadOnly, ofPathMustExist, ofEnableSizing});
    OpenDialog1 = New<TOpenDialog>(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->SetDefaultExt("xls");
    OpenDialog1->SetFilter("Excel File|*.xls");

    OnShow = [this](TObject* S) { FormShow(S); };

    VuPreview1->Clear();
    TVuMargins* M = VuPreview1->GetMargins();
    for (TVuValue* Side : {M->Left(), M->Top(), M->Right(), M->Bottom()})
        Side->SetAsMillimeters(5);
    printer->Items()->Assign(Printer()->Printers());
    printer->Items()->Insert(0, "Default Printer");
    printer->SetItemIndex(Printer()->PrinterIndex() + 1);
}

void TPrintPreviewForm::addPrintTitles(const AnsiString& Title1, const AnsiString& Title2,
                                       const AnsiString& Title3)
{
    TVuCanvas* C = VuPreview1->Canvas();
    TUpdateBracket Update(VuPreview1);
    C->SetFont(printButton->Font());
    const Integer W = Integer(Trunc(VuPreview1->GetPageWidth(vuUnits)));
    // Each title centred on the page: measured in hundredths of millimetres, placed in
    // screen pixels.
    auto Centred = [C, W](const AnsiString& Title, Integer Size, Integer Y) {
        C->Font()->SetSize(Size);
        const Int64 X = Trunc((W - C->TextWidth(Title)->GetVuValue(vuUnits)) / 2);
        C->TextOut(Extended(Trunc(ConvertValue(Extended(X), vuUnits, vuPixels))), Y, Title, vuPixels);
    };
    Centred(Title1, 18, 50);
    Centred(Title2, 14, 75);
    Integer RuleY = 100;
    if (!Trim(Title3).empty()) {
        Centred(Title3, 12, 100);
        RuleY = 120;
    }
    const Extended Wp = Extended(Trunc(ConvertValue(W, vuUnits, vuPixels)));
    C->Line(50, RuleY, Wp - 50, RuleY, vuPixels);
    C->Line(50, RuleY + 5, Wp - 50, RuleY + 5, vuPixels);
}

void TPrintPreviewForm::addGridPages(Integer X, Integer Y, TStringGrid* Grid, Integer LastTextColumn)
{
    sourceGrid = Grid;
    if (LastTextColumn != -1)
        lastTextColumn = LastTextColumn;
    else if (lastTextColumn == -1)
        lastTextColumn = Grid->ColCount() - 1;
    VuGridPrint1->SetGrid(Grid);
    VuGridPrint1->SetFont(Grid->Font());
    VuGridPrint1->SetFixedFont(Grid->Font());
    // An identifier column is not printed: it has no width while the pages are laid out.
    const Integer FirstWidth = Grid->ColWidths(0);
    const bool HideFirst = FirstWidth < HiddenColumnWidth;
    if (HideFirst)
        Grid->SetColWidths(0, 0);
    if (Grid->FixedRows() > 0)
        VuGridPrint1->GridOptions.Include(vuFixedRowPerPage);
    VuGridPrint1->BottomMargin()->SetAsMillimeters(5);
    TScopeExit ShowFirst([Grid, HideFirst, FirstWidth] {
        if (HideFirst)
            Grid->SetColWidths(0, FirstWidth);
    });
    VuGridPrint1->GridToPage(X, Y, 0, vuPixels);
}

void TPrintPreviewForm::VuGridPrint1DrawCell(TObject*, Integer Col, Integer Row, TVuValueRect* ARect,
                                             TVuCanvas* ACanvas)
{
    // A column without width (the identifier column) is not printed.
    if (ARect->Right()->GetAsInches() <= ARect->Left()->GetAsInches())
        return;
    if (Col > lastTextColumn) {
        VuGridPrint1->DefaultDrawCell(ARect, Col, Row);
        return;
    }
    ACanvas->Pen()->SetColor(clWhite);
    ACanvas->TextBox(ARect->Left()->GetAsVuUnits(), ARect->Top()->GetAsVuUnits(),
                     ARect->Right()->GetAsVuUnits(), ARect->Bottom()->GetAsVuUnits(),
                     sourceGrid->Cells(Col, Row), vuUnits);
}

void TPrintPreviewForm::VuGridPrint1GridNewPage(TObject*, TVuValue*& ATopMargin, TVuValue*&)
{
    ATopMargin->SetAsMillimeters(15);
}

void TPrintPreviewForm::FormShow(TObject*)
{
    StatusBar1->Panels()->Items(0)->SetText("Total Page: " + IntToStr(VuPreview1->GetNumPages()));
    toPage->SetText(IntToStr(VuPreview1->GetNumPages()));
    uFirstClick(this);
}

void TPrintPreviewForm::ShowPageState(bool CanGoBack, bool CanGoOn)
{
    uFirst->SetEnabled(CanGoBack);
    uPrevious->SetEnabled(CanGoBack);
    uNext->SetEnabled(CanGoOn);
    uLast->SetEnabled(CanGoOn);
    StatusBar1->Panels()->Items(1)->SetText("Page: " + IntToStr(VuPreview1->GetCurrentPageNum()));
    // A page button that just turned itself off would leave the keyboard with nowhere to go:
    // the pages take the focus instead.
    if (TWinControl* A = ActiveControl(); A && !A->Enabled() && VuPreview1->CanFocus())
        VuPreview1->SetFocus();
}

void TPrintPreviewForm::uFirstClick(TObject*)
{
    VuPreview1->FirstPage();
    ShowPageState(false, VuPreview1->GetCurrentPageNum() != VuPreview1->GetNumPages());
}

void TPrintPreviewForm::uPreviousClick(TObject*)
{
    VuPreview1->PrevPage();
    const Integer N = VuPreview1->GetCurrentPageNum();
    ShowPageState(N != 1, N != VuPreview1->GetNumPages());
}

void TPrintPreviewForm::uNextClick(TObject*)
{
    VuPreview1->NextPage();
    const Integer N = VuPreview1->GetCurrentPageNum();
    ShowPageState(N != 1, N != VuPreview1->GetNumPages());
}

void TPrintPreviewForm::uLastClick(TObject*)
{
    VuPreview1->LastPage();
    ShowPageState(VuPreview1->GetCurrentPageNum() != 1, false);
}

void TPrintPreviewForm::zoomInClick(TObject*)
{
    VuPreview1->SetZoom(VuPreview1->Zoom() + VuPreview1->ZoomIncrement());
}

void TPrintPreviewForm::zoomOutClick(TObject*)
{
    if (VuPreview1->ZoomIncrement() < VuPreview1->Zoom())
        VuPreview1->SetZoom(VuPreview1->Zoom() - VuPreview1->ZoomIncrement());
}

void TPrintPreviewForm::fromPageKeyPress(TObject*, WideChar& Key)
{
    if (Key != '\r')
        return;
    Key = 0;
    Integer Page = 0;
    if (!TryStrToInt(fromPage->Text(), Page))
        return;
    if (Page <= 0) {
        showInformation("Page cannot be negative.", this);
    } else if (Page > VuPreview1->GetNumPages()) {
        showInformation("Page exceeded.", this);
    } else {
        VuPreview1->SetCurrentPageNum(Page);
        StatusBar1->Panels()->Items(1)->SetText("Page: " + IntToStr(Page));
    }
    fromPage->SelectAll();
    fromPage->SetFocus();
}

Integer TPrintPreviewForm::CheckedPage(TZelEdit* Edit)
{
    // Raises the conversion error for a text that is no number.
    const Integer Page = StrToInt(Edit->Text());
    const char* Refusal = Page <= 0                          ? "Page cannot be negative."
                          : Page > VuPreview1->GetNumPages() ? "Page exceeded."
                                                             : nullptr;
    if (!Refusal)
        return Page;
    showInformation(Refusal, this);
    Edit->SelectAll();
    Edit->SetFocus();
    return 0;
}

void TPrintPreviewForm::printButtonClick(TObject*)
{
    if (printer->ItemIndex() > 0)
        VuPreview1->GetVuPrinter()->SetPrinterIndex(printer->ItemIndex() - 1);
    // A page the document does not have is refused here, before any job starts.
    const Integer From = CheckedPage(fromPage);
    if (From == 0)
        return;
    const Integer To = CheckedPage(toPage);
    if (To == 0)
        return;
    VuPreview1->PrintRange(From, To);
}

void TPrintPreviewForm::FillExchangeGrid()
{
    eGrid->SetColCount(sourceGrid->ColCount());
    eGrid->SetRowCount(sourceGrid->RowCount());
    for (Integer Row = 0; Row < sourceGrid->RowCount(); ++Row) {
        Integer To = 0;
        for (Integer Col = 0; Col < sourceGrid->ColCount(); ++Col)
            if (sourceGrid->ColWidths(Col) > HiddenColumnWidth)
                eGrid->SetCells(To++, Row, sourceGrid->Cells(Col, Row));
        for (; To < eGrid->ColCount(); ++To)
            eGrid->SetCells(To, Row, "");
    }
}

void TPrintPreviewForm::exportButtonClick(TObject*)
{
    if (!SaveDialog2->Execute())
        return;
    const AnsiString FileName = SaveDialog2->FileName();
    const AnsiString Ending = FileName.size() >= 3 ? FileName.substr(FileName.size() - 3) : AnsiString();
    // A name with an ending no writer knows would write nothing; the file it names is left as
    // it is and the person is told, rather than offered a file that was never written.
    if (Ending != "xls" && Ending != "csv" && Ending != "htm" && Ending != "doc") {
        showInformation(fitPathInMessage("Cannot export to ", FileName,
                                         ": the file name must end in xls, csv, htm or doc."),
                        this);
        return;
    }
    // The file being replaced is moved aside rather than deleted, and comes back if the export
    // fails: a failed export must not cost the person the file they had.
    AnsiString Aside;
    if (FileExists(FileName)) {
        if (!askConfirmation("File exists, replace it?", this))
            return;
        for (int N = 0; Aside.empty() || FileExists(Aside); ++N)
            Aside = FileName + ".replaced" + (N ? IntToStr(N) : AnsiString()) + "~";
        std::error_code Error;
        std::filesystem::rename(FileName, Aside, Error);
        if (Error) {
            showInformation(fitPathInMessage("Cannot replace ", FileName, "."), this);
            return;
        }
    }
    AnsiString Failure;
    Screen->SetCursor(crHourGlass);
    try {
        FillExchangeGrid();
        if (Ending == "xls")
            xls->XLSExport(FileName, WideString(), -1, 1, InsertInSheet_Clear);
        else if (Ending == "csv")
            eGrid->SaveToCSV(FileName);
        else if (Ending == "htm")
            eGrid->SaveToHTML(FileName, false);
        else
            eGrid->SaveToDOC(FileName, true);
    } catch (const Exception& E) {
        Failure = E.Message();
    } catch (const std::exception& E) {
        Failure = E.what();
    }
    Screen->SetCursor(crDefault);
    if (!Failure.empty()) {
        // Whatever a failed writer left behind is incomplete: it goes, so that no file looks
        // like an export that is not one.
        if (FileExists(FileName))
            DeleteFile(FileName);
        if (!Aside.empty()) {
            std::error_code Error;
            std::filesystem::rename(Aside, FileName, Error);
        }
        showInformation(Failure, this);
        return;
    }
    if (!Aside.empty())
        DeleteFile(Aside);
    if (askConfirmation(
            fitPathInMessage(IntToStr(sourceGrid->RowCount() - 1) + " records have been exported to ",
                             FileName, ", open it now?"),
            this))
        Backend().ShellOpen(FileName, "open");
}
