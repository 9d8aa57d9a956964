#include "platform/forms/CommonDialogs.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Printers.h"
#include "platform/win/DialogAnswers.h"

#include <algorithm>

namespace {

std::string Trim(const std::string& S)
{
    std::size_t A = S.find_first_not_of(" \t");
    std::size_t B = S.find_last_not_of(" \t");
    return A == std::string::npos ? std::string() : S.substr(A, B - A + 1);
}

// The extension of a path's last part ("" when it has none).
std::string ExtensionOf(const std::string& Path)
{
    std::size_t Slash = Path.find_last_of('/');
    std::size_t Dot = Path.find_last_of('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash) || Dot + 1 == Path.size())
        return {};
    return Path.substr(Dot + 1);
}

// The concrete extension of a filter's first pattern ("*.csv" → "csv"; "*.*" or "*" → "").
std::string PatternExtension(const std::string& Patterns)
{
    std::string First = Trim(Patterns.substr(0, Patterns.find(';')));
    std::string Ext = ExtensionOf(First);
    if (First.rfind("*.", 0) != 0 || Ext.find_first_of("*?") != std::string::npos)
        return {};
    return Ext;
}

} // namespace

std::vector<std::pair<AnsiString, AnsiString>> ParseDialogFilter(const AnsiString& Filter)
{
    std::vector<AnsiString> Parts;
    std::size_t Start = 0;
    for (;;) {
        std::size_t Bar = Filter.find('|', Start);
        Parts.push_back(Filter.substr(Start, Bar == AnsiString::npos ? AnsiString::npos : Bar - Start));
        if (Bar == AnsiString::npos)
            break;
        Start = Bar + 1;
    }
    std::vector<std::pair<AnsiString, AnsiString>> Out;
    for (std::size_t I = 0; I + 1 < Parts.size(); I += 2)
        Out.emplace_back(Parts[I], Parts[I + 1]);
    return Out;
}

// ---- TCommonDialog -----------------------------------------------------------------------------------

HWND TCommonDialog::OwnerWindow() const
{
    if (Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated())
        return Screen->ActiveForm()->Handle();
    return GetActiveWindow();
}

void TCommonDialog::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCommonDialog::DoClose()
{
    if (OnClose)
        OnClose(this);
}

// ---- TOpenDialog / TSaveDialog ------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>())
{
}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    auto Filters = ParseDialogFilter(FFilter);
    FileDialogRequest Req;
    Req.Save = IsSave();
    Req.Title = FTitle;
    Req.InitialDir = FInitialDir;
    Req.FileName = FFileName;
    for (auto& [Description, Patterns] : Filters)
        Req.Filters.emplace_back(Description, Patterns);
    Req.FilterIndex = std::clamp<Integer>(FFilterIndex, 1, std::max<Integer>(1, Integer(Filters.size())));
    Req.MultiSelect = FOptions.Contains(ofAllowMultiSelect);
    Req.OverwritePrompt = FOptions.Contains(ofOverwritePrompt);
    RecordDialogShown(DialogShown{Req.Save ? DialogKind::Save : DialogKind::Open, FTitle, Req});
    DoShow();

    std::optional<FileDialogAnswer> Answer;
    if (auto Scripted = TakeDialogAnswer(Req.Save ? DialogKind::Save : DialogKind::Open)) {
        if (Scripted->Accept && !Scripted->Files.empty())
            Answer = FileDialogAnswer{Scripted->Files,
                                      Scripted->FilterIndex ? Scripted->FilterIndex : Req.FilterIndex};
    } else {
        Answer = Backend().RunFileDialog(OwnerWindow(), Req);
    }
    DoClose();
    if (!Answer || Answer->Files.empty())
        return false;

    if (Answer->FilterIndex >= 1)
        FFilterIndex = Answer->FilterIndex;
    // A name typed without extension gets the chosen filter's extension, or DefaultExt.
    std::string Ext;
    if (!FDefaultExt.empty()) {
        if (FFilterIndex >= 1 && FFilterIndex <= Integer(Filters.size()))
            Ext = PatternExtension(Filters[std::size_t(FFilterIndex - 1)].second);
        if (Ext.empty())
            Ext = FDefaultExt;
    }
    FFiles->Clear();
    std::size_t Count = FOptions.Contains(ofAllowMultiSelect) ? Answer->Files.size() : 1;
    for (std::size_t I = 0; I < Count; ++I) {
        std::string F = Answer->Files[I];
        if (!Ext.empty() && ExtensionOf(F).empty())
            F += "." + Ext;
        FFiles->Add(F);
    }
    FFileName = FFiles->Strings(0);
    return true;
}

// ---- TColorDialog ---------------------------------------------------------------------------------------

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>())
{
}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute()
{
    RecordDialogShown(DialogShown{DialogKind::Color, {}, {}});
    DoShow();
    std::optional<TColor> Chosen;
    if (auto Scripted = TakeDialogAnswer(DialogKind::Color)) {
        if (Scripted->Accept)
            Chosen = Scripted->Color;
    } else {
        Chosen = Backend().RunColorDialog(OwnerWindow(), ColorToRGB(FColor));
    }
    DoClose();
    if (!Chosen)
        return false;
    FColor = *Chosen & 0x00FFFFFF;
    return true;
}

// ---- TFontDialog ------------------------------------------------------------------------------------------

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute()
{
    RecordDialogShown(DialogShown{DialogKind::Font, {}, {}});
    DoShow();
    FontDialogChoice Initial;
    Initial.Family = FFont->Name();
    Initial.PointSize = FFont->Size();
    Initial.Bold = FFont->Style().Contains(fsBold);
    Initial.Italic = FFont->Style().Contains(fsItalic);
    Initial.Underline = FFont->Style().Contains(fsUnderline);
    Initial.StrikeOut = FFont->Style().Contains(fsStrikeOut);
    std::optional<FontDialogChoice> Chosen;
    if (auto Scripted = TakeDialogAnswer(DialogKind::Font)) {
        if (Scripted->Accept)
            Chosen = Scripted->Font;
    } else {
        Chosen = Backend().RunFontDialog(OwnerWindow(), Initial);
    }
    DoClose();
    if (!Chosen)
        return false;
    Integer Size = Chosen->PointSize;
    if (FOptions.Contains(fdLimitSize)) {
        if (FMinFontSize > 0)
            Size = std::max(Size, FMinFontSize);
        if (FMaxFontSize > 0)
            Size = std::min(Size, FMaxFontSize);
    }
    if (!Chosen->Family.empty())
        FFont->SetName(Chosen->Family);
    if (Size > 0)
        FFont->SetSize(Size);
    TFontStyles Style;
    if (Chosen->Bold)
        Style.Include(fsBold);
    if (Chosen->Italic)
        Style.Include(fsItalic);
    if (FOptions.Contains(fdEffects)) {
        if (Chosen->Underline)
            Style.Include(fsUnderline);
        if (Chosen->StrikeOut)
            Style.Include(fsStrikeOut);
    }
    FFont->SetStyle(Style);
    return true;
}

// ---- TPrintDialog / TPrinterSetupDialog
// --------------------------------------------------------------------

namespace {

// What the print dialogs show of the program's printer.
PrintDialogRequest PrinterRequest(bool Setup)
{
    PrintDialogRequest R;
    R.Setup = Setup;
    TPrinter* P = Printer();
    for (Integer I = 0; I < P->Printers()->Count(); ++I)
        R.Printers.push_back(P->Printers()->Strings(I));
    R.Current = P->PrinterIndex();
    R.Copies = P->Copies();
    R.Orientation = P->Orientation() == poLandscape ? 2 : 1;
    return R;
}

// The answer queued in advance, else the desktop's dialog.
std::optional<PrintDialogChoice> AskPrintDialog(DialogKind Kind, HWND Owner,
                                                const PrintDialogRequest& Request)
{
    if (auto Scripted = TakeDialogAnswer(Kind)) {
        if (!Scripted->Accept)
            return std::nullopt;
        PrintDialogChoice C;
        C.Printer = Scripted->Printer;
        C.Copies = Scripted->Copies;
        C.Collate = Scripted->Collate;
        C.FromPage = Scripted->FromPage;
        C.ToPage = Scripted->ToPage;
        C.PrintToFile = Scripted->PrintToFile;
        C.Orientation = Scripted->Orientation;
        return C;
    }
    return Backend().RunPrintDialog(Owner, Request);
}

// The chosen printer and orientation go to the program's printer (a name it does not list is
// left alone: the dialog's PrinterName still tells it).
void ApplyToPrinter(const PrintDialogChoice& C)
{
    TPrinter* P = Printer();
    if (P->Printing())
        return;
    if (!C.Printer.empty()) {
        Integer Index = P->Printers()->IndexOf(C.Printer);
        if (Index >= 0 && Index != P->PrinterIndex())
            P->SetPrinterIndex(Index);
    }
    if (C.Orientation == 1 || C.Orientation == 2)
        P->SetOrientation(C.Orientation == 2 ? poLandscape : poPortrait);
}

} // namespace

bool TPrintDialog::Execute()
{
    RecordDialogShown(DialogShown{DialogKind::Print, {}, {}});
    DoShow();
    PrintDialogRequest Request = PrinterRequest(false);
    Request.Copies = FCopies;
    Request.Collate = FCollate;
    Request.PageNums = FOptions.Contains(poPageNums);
    Request.MinPage = FMinPage;
    Request.MaxPage = FMaxPage;
    Request.FromPage = FFromPage;
    Request.ToPage = FToPage;
    auto Chosen = AskPrintDialog(DialogKind::Print, OwnerWindow(), Request);
    DoClose();
    if (!Chosen)
        return false;
    FCopies = std::max(1, Chosen->Copies);
    FCollate = Chosen->Collate;
    if (Chosen->FromPage > 0 || Chosen->ToPage > 0) {
        FPrintRange = prPageNums;
        FFromPage = Chosen->FromPage;
        FToPage = std::max(Chosen->ToPage, Chosen->FromPage);
        if (FMaxPage > 0) {
            FFromPage = std::clamp(FFromPage, std::max(FMinPage, 1), FMaxPage);
            FToPage = std::clamp(FToPage, FFromPage, FMaxPage);
        }
    } else {
        FPrintRange = prAllPages;
    }
    FPrintToFile = Chosen->PrintToFile && !FOptions.Contains(poDisablePrintToFile);
    FPrinterName = Chosen->Printer;
    ApplyToPrinter(*Chosen);
    if (!Printer()->Printing())
        Printer()->SetCopies(FCopies);
    return true;
}

bool TPrinterSetupDialog::Execute()
{
    RecordDialogShown(DialogShown{DialogKind::PrinterSetup, {}, {}});
    DoShow();
    auto Chosen = AskPrintDialog(DialogKind::PrinterSetup, OwnerWindow(), PrinterRequest(true));
    DoClose();
    if (!Chosen)
        return false;
    FPrinterName = Chosen->Printer;
    ApplyToPrinter(*Chosen);
    return true;
}
