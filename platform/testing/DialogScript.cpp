#include "platform/testing/DialogScript.h"

namespace uitest {

void AnswerOpenDialog(const std::vector<std::string>& files, int filterIndex)
{
    DialogAnswer a;
    a.Kind = DialogKind::Open;
    a.Files = files;
    a.FilterIndex = filterIndex;
    QueueDialogAnswer(a);
}

void AnswerSaveDialog(const std::string& file, int filterIndex)
{
    DialogAnswer a;
    a.Kind = DialogKind::Save;
    a.Files = {file};
    a.FilterIndex = filterIndex;
    QueueDialogAnswer(a);
}

void AnswerColorDialog(TColor color)
{
    DialogAnswer a;
    a.Kind = DialogKind::Color;
    a.Color = color;
    QueueDialogAnswer(a);
}

void AnswerFontDialog(const FontDialogChoice& font)
{
    DialogAnswer a;
    a.Kind = DialogKind::Font;
    a.Font = font;
    QueueDialogAnswer(a);
}

void AnswerPrintDialog(int copies, int fromPage, int toPage, bool collate, const std::string& printer)
{
    DialogAnswer a;
    a.Kind = DialogKind::Print;
    a.Copies = copies;
    a.FromPage = fromPage;
    a.ToPage = toPage;
    a.Collate = collate;
    a.Printer = printer;
    QueueDialogAnswer(a);
}

void AnswerPrinterSetupDialog(const std::string& printer, int orientation)
{
    DialogAnswer a;
    a.Kind = DialogKind::PrinterSetup;
    a.Printer = printer;
    a.Orientation = orientation;
    QueueDialogAnswer(a);
}

void CancelNextDialog(DialogKind kind)
{
    DialogAnswer a;
    a.Kind = kind;
    a.Accept = false;
    QueueDialogAnswer(a);
}

const std::vector<DialogShown>& DialogsShown()
{
    return ::DialogsShown();
}

std::size_t UnusedDialogAnswers()
{
    return PendingDialogAnswers();
}

void ClearDialogScript()
{
    ResetDialogAnswers();
}

} // namespace uitest
