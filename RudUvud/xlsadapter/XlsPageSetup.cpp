// The view and print settings of a sheet: grid lines, headers, margins, zoom, panes, page setup
// and printer driver settings, each read from and written to the record that holds it.

#include "RudUvud/xlsadapter/XlsSheet.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {

constexpr Word xlr_LEFTMARGIN = 0x0026;
constexpr Word xlr_RIGHTMARGIN = 0x0027;
constexpr Word xlr_TOPMARGIN = 0x0028;
constexpr Word xlr_BOTTOMMARGIN = 0x0029;
constexpr Word xlr_VCENTER = 0x0084;
constexpr Word xlr_DEFAULTROWHEIGHT = 0x0225;
constexpr Word xlr_PANE = 0x0041;
constexpr Word xlr_PLS = 0x004D;

constexpr Extended DefaultSideMargin = 0.7480314960629921;     // 19 mm
constexpr Extended DefaultTopBottomMargin = 0.984251968503937; // 25 mm

} // namespace

// ---- Every sheet ---------------------------------------------------------------------------------

bool TSheet::GetShowGridLines() const
{
    return !FCache.Window2 || FCache.Window2->GetShowGridLines();
}

void TSheet::SetShowGridLines(bool Value)
{
    if (FCache.Window2)
        FCache.Window2->SetShowGridLines(Value);
}

bool TSheet::GetShowGridHeaders() const
{
    return !FCache.Window2 || FCache.Window2->GetShowGridHeaders();
}

void TSheet::SetShowGridHeaders(bool Value)
{
    if (FCache.Window2)
        FCache.Window2->SetShowGridHeaders(Value);
}

bool TSheet::GetSelected() const
{
    return FCache.Window2 && FCache.Window2->GetSelected();
}

void TSheet::SetSelected(bool Value)
{
    if (FCache.Window2)
        FCache.Window2->SetSelected(Value);
}

bool TSheet::GetPrintGridLines() const
{
    return !FCache.PrintGridLines || FCache.PrintGridLines->GetValue();
}

void TSheet::SetPrintGridLines(bool Value)
{
    if (FCache.PrintGridLines)
        FCache.PrintGridLines->SetValue(Value);
}

WideString TSheet::GetPageHeader() const
{
    return FCache.PageHeader ? FCache.PageHeader->GetText() : WideString();
}

void TSheet::SetPageHeader(const WideString& Text)
{
    if (FCache.PageHeader)
        SetPageHeaderFooter(FCache.PageHeader, Text);
}

WideString TSheet::GetPageFooter() const
{
    return FCache.PageFooter ? FCache.PageFooter->GetText() : WideString();
}

void TSheet::SetPageFooter(const WideString& Text)
{
    if (FCache.PageFooter)
        SetPageHeaderFooter(FCache.PageFooter, Text);
}

TXlsMargins TSheet::GetMargins() const
{
    TXlsMargins m;
    m.MarginLeft = FCache.LeftMargin ? FCache.LeftMargin->GetValue() : DefaultSideMargin;
    m.MarginRight = FCache.RightMargin ? FCache.RightMargin->GetValue() : DefaultSideMargin;
    m.MarginTop = FCache.TopMargin ? FCache.TopMargin->GetValue() : DefaultTopBottomMargin;
    m.MarginBottom = FCache.BottomMargin ? FCache.BottomMargin->GetValue() : DefaultTopBottomMargin;
    if (FCache.Setup) {
        m.MarginHeader = FCache.Setup->GetHeaderMargin();
        m.MarginFooter = FCache.Setup->GetFooterMargin();
    }
    return m;
}

void TSheet::SetMargins(const TXlsMargins& Value)
{
    const struct {
        TMarginRecord*& Rec;
        Word Id;
        Extended V;
    } margins[] = {{FCache.LeftMargin, xlr_LEFTMARGIN, Value.MarginLeft},
                   {FCache.RightMargin, xlr_RIGHTMARGIN, Value.MarginRight},
                   {FCache.TopMargin, xlr_TOPMARGIN, Value.MarginTop},
                   {FCache.BottomMargin, xlr_BOTTOMMARGIN, Value.MarginBottom}};
    for (const auto& m : margins) {
        if (!m.Rec) {
            if (!FPrintList)
                continue;
            // A new margin goes after the last margin record, or after VCENTER or
            // DEFAULTROWHEIGHT, where the file order puts margins.
            Integer at = FPrintList->Count();
            for (Integer i = FPrintList->Count() - 1; i >= 0; --i) {
                const TBaseRecord* r = FPrintList->Items(i);
                const Word id = r ? r->Id() : 0;
                if (id == xlr_LEFTMARGIN || id == xlr_RIGHTMARGIN || id == xlr_TOPMARGIN ||
                    id == xlr_BOTTOMMARGIN || id == xlr_VCENTER || id == xlr_DEFAULTROWHEIGHT) {
                    at = i + 1;
                    break;
                }
            }
            InsertCached(*FPrintList, at, std::make_unique<TMarginRecord>(m.Id, TRecordBody(8)));
        }
        m.Rec->SetValue(static_cast<double>(m.V));
    }
    if (FCache.Setup) {
        FCache.Setup->SetHeaderMargin(Value.MarginHeader);
        FCache.Setup->SetFooterMargin(Value.MarginFooter);
    }
}

Integer TSheet::GetSheetZoom() const
{
    return FCache.Zoom ? FCache.Zoom->GetZoom() : 100;
}

void TSheet::SetSheetZoom(Integer Value)
{
    if (!FCache.Zoom)
        AddZoomRecord();
    if (FCache.Zoom)
        FCache.Zoom->SetZoom(Value);
}

bool TSheet::GetIsR1C1() const
{
    return FCache.RefMode && FCache.RefMode->GetIsR1C1();
}

void TSheet::SetIsR1C1(bool Value)
{
    if (FCache.RefMode)
        FCache.RefMode->SetIsR1C1(Value);
}

WideString TSheet::GetCodeName() const
{
    return FCodeName ? FCodeName->GetSheetName() : WideString();
}

void TSheet::SetCodeName(const WideString& Name)
{
    FCodeName = std::make_unique<TCodeNameRecord>(Name);
}

// ---- Panes ---------------------------------------------------------------------------------------

bool TSheet::IsFrozen() const
{
    return !FCache.Window2 || FCache.Window2->GetIsFrozen();
}

void TSheet::FreezePanes(Integer Row, Integer Col)
{
    const bool frozen = Row > 0 || Col > 0;
    if (FCache.Window2) {
        FCache.Window2->SetIsFrozen(frozen);
        FCache.Window2->SetIsFrozenButNoSplit(frozen);
    }
    AddOrRemovePane(frozen);
    if (TPaneRecord* pane = FCache.Pane) {
        pane->Set_RowSplit(static_cast<Word>(Row));
        if (pane->Get_FirstVisibleRow() < std::max(Row, 1))
            pane->Set_FirstVisibleRow(static_cast<Word>(std::max(Row, 1)));
        pane->Set_ColSplit(static_cast<Word>(Col));
        if (pane->Get_FirstVisibleCol() < std::max(Col, 1))
            pane->Set_FirstVisibleCol(static_cast<Word>(std::max(Col, 1)));
        pane->EnsureSelectedVisible();
    }
}

void TSheet::SplitWindow(Integer XOffset, Integer YOffset)
{
    if (FCache.Window2) {
        FCache.Window2->SetIsFrozen(false);
        FCache.Window2->SetIsFrozenButNoSplit(false);
    }
    AddOrRemovePane(XOffset > 0 || YOffset > 0);
    if (TPaneRecord* pane = FCache.Pane) {
        pane->Set_RowSplit(static_cast<Word>(YOffset));
        pane->Set_ColSplit(static_cast<Word>(XOffset));
        if (pane->Get_FirstVisibleRow() == 0)
            pane->Set_FirstVisibleRow(1);
        if (pane->Get_FirstVisibleCol() == 0)
            pane->Set_FirstVisibleCol(1);
        pane->EnsureSelectedVisible();
    }
}

void TSheet::GetFrozenPanes(Integer& Row, Integer& Col) const
{
    Row = 0;
    Col = 0;
    if (FCache.Pane && IsFrozen()) {
        Row = FCache.Pane->Get_RowSplit();
        Col = FCache.Pane->Get_ColSplit();
    }
}

void TSheet::GetSplitWindow(Integer& XOffset, Integer& YOffset) const
{
    XOffset = 0;
    YOffset = 0;
    if (FCache.Pane && !IsFrozen()) {
        XOffset = FCache.Pane->Get_ColSplit();
        YOffset = FCache.Pane->Get_RowSplit();
    }
}

// ---- Worksheets ----------------------------------------------------------------------------------

void TWorkSheet::SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text)
{
    // The record reports its change of size to the list that holds it.
    Rec->SetText(Text);
}

void TWorkSheet::AddZoomRecord()
{
    // SCL belongs right after WINDOW2; a window list of WINDOW2 alone takes none.
    if (FWindowList.Count() > 1)
        InsertCached(FWindowList, 1, std::make_unique<TSCLRecord>(100));
}

void TWorkSheet::AddOrRemovePane(bool Add)
{
    if (Add) {
        if (!FCache.Pane && FWindowList.Count() > 1)
            InsertCached(FWindowList, 1, std::make_unique<TPaneRecord>(xlr_PANE, TRecordBody(10)));
        return;
    }
    if (!FCache.Pane)
        return;
    for (Integer i = FWindowList.Count() - 1; i >= 0; --i)
        if (FWindowList.Items(i) == FCache.Pane) {
            FWindowList.Delete(i);
            break;
        }
    FCache.Pane = nullptr;
}

void TWorkSheet::CheckSetup(Integer Value, const char* Property) const
{
    if (Value < 0 || Value > 65535)
        XlsError(ErrXlsIndexOutBounds, {Int64(Value), AnsiString(Property), Int64(0), Int64(65535)});
}

Integer TWorkSheet::GetPrintNumberOfHorizontalPages() const
{
    return FCache.Setup ? FCache.Setup->GetFitWidth() : 1;
}

void TWorkSheet::SetPrintNumberOfHorizontalPages(Integer Value)
{
    if (FCache.Setup)
        FCache.Setup->SetFitWidth(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintNumberOfVerticalPages() const
{
    return FCache.Setup ? FCache.Setup->GetFitHeight() : 1;
}

void TWorkSheet::SetPrintNumberOfVerticalPages(Integer Value)
{
    if (FCache.Setup)
        FCache.Setup->SetFitHeight(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintScale() const
{
    return FCache.Setup ? FCache.Setup->GetScale() : 100;
}

void TWorkSheet::SetPrintScale(Integer Value)
{
    CheckSetup(Value, "PrintScale");
    if (FCache.Setup)
        FCache.Setup->SetScale(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintPaperSize() const
{
    return FCache.Setup ? FCache.Setup->GetPrintPaperSize() : 1;
}

void TWorkSheet::SetPrintPaperSize(Integer Value)
{
    CheckSetup(Value, "PrintPaperSize");
    if (FCache.Setup)
        FCache.Setup->SetPrintPaperSize(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintCopies() const
{
    return FCache.Setup ? FCache.Setup->GetPrintCopies() : 1;
}

void TWorkSheet::SetPrintCopies(Integer Value)
{
    CheckSetup(Value, "PrintCopies");
    if (FCache.Setup)
        FCache.Setup->SetPrintCopies(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintXResolution() const
{
    return FCache.Setup ? FCache.Setup->GetPrintXResolution() : 600;
}

void TWorkSheet::SetPrintXResolution(Integer Value)
{
    CheckSetup(Value, "PrintXResolution");
    if (FCache.Setup)
        FCache.Setup->SetPrintXResolution(static_cast<Word>(Value));
}

Integer TWorkSheet::GetPrintYResolution() const
{
    return FCache.Setup ? FCache.Setup->GetPrintYResolution() : 600;
}

void TWorkSheet::SetPrintYResolution(Integer Value)
{
    CheckSetup(Value, "PrintYResolution");
    if (FCache.Setup)
        FCache.Setup->SetPrintYResolution(static_cast<Word>(Value));
}

Word TWorkSheet::GetPrintOptions() const
{
    return FCache.Setup ? FCache.Setup->GetPrintOptions() : 0;
}

void TWorkSheet::SetPrintOptions(Word Value)
{
    if (FCache.Setup)
        FCache.Setup->SetPrintOptions(Value);
}

bool TWorkSheet::GetPrintToFit() const
{
    return FCache.WsBool && FCache.WsBool->GetFitToPage();
}

void TWorkSheet::SetPrintToFit(bool Value)
{
    if (FCache.WsBool)
        FCache.WsBool->SetFitToPage(Value);
}

bool TWorkSheet::GetOutlineSummaryRowsBelowDetail() const
{
    return !FCache.WsBool || FCache.WsBool->GetOutlineSummaryRowsBelowDetail();
}

void TWorkSheet::SetOutlineSummaryRowsBelowDetail(bool Value)
{
    if (FCache.WsBool)
        FCache.WsBool->SetOutlineSummaryRowsBelowDetail(Value);
}

bool TWorkSheet::GetOutlineSummaryColsRightOfDetail() const
{
    return !FCache.WsBool || FCache.WsBool->GetOutlineSummaryColsRightOfDetail();
}

void TWorkSheet::SetOutlineSummaryColsRightOfDetail(bool Value)
{
    if (FCache.WsBool)
        FCache.WsBool->SetOutlineRightOfDetail(Value);
}

bool TWorkSheet::GetOutlineAutomaticStyles() const
{
    return FCache.WsBool && FCache.WsBool->GetOutlineAutomaticStyles();
}

void TWorkSheet::SetOutlineAutomaticStyles(bool Value)
{
    if (FCache.WsBool)
        FCache.WsBool->SetOutlineAutomaticStyles(Value);
}

bool TWorkSheet::GetPrintHCentered() const
{
    return FCache.HCenter && FCache.HCenter->GetCentered();
}

void TWorkSheet::SetPrintHCentered(bool Value)
{
    if (FCache.HCenter)
        FCache.HCenter->SetCentered(Value);
}

bool TWorkSheet::GetPrintVCentered() const
{
    return FCache.VCenter && FCache.VCenter->GetCentered();
}

void TWorkSheet::SetPrintVCentered(bool Value)
{
    if (FCache.VCenter)
        FCache.VCenter->SetCentered(Value);
}

TPrinterDriverSettings TWorkSheet::GetPrinterDriverSettings() const
{
    return FCache.Pls ? FCache.Pls->GetPrinterDriverSettings() : TPrinterDriverSettings();
}

void TWorkSheet::SetPrinterDriverSettings(const TPrinterDriverSettings& Settings)
{
    // Build the new record first: a failure leaves the old settings in place.
    std::unique_ptr<TPlsRecord> pls;
    if (!Settings.DriverData.empty())
        pls = std::make_unique<TPlsRecord>(Settings);
    for (Integer i = FFrontList.Count() - 1; i >= 0; --i)
        if (FFrontList.Items(i) && FFrontList.Items(i)->Id() == xlr_PLS) {
            FCache.Forget(FFrontList.Items(i));
            FFrontList.Delete(i);
        }
    FCache.Pls = nullptr;
    if (!pls)
        return;
    Integer at = FFrontList.Count();
    for (Integer i = 0; i < FFrontList.Count(); ++i)
        if (FCache.Setup && FFrontList.Items(i) == FCache.Setup) {
            at = i;
            break;
        }
    InsertCached(FFrontList, at, std::move(pls));
    if (FCache.Setup)
        FCache.Setup->SetPrintOptions(FCache.Setup->GetPrintOptions() & ~Word(4));
}
