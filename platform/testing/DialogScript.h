#pragma once

// Answering the common dialogs from tests: each call queues what the person picks in the next
// dialog of that kind. A dialog with no answer waiting is cancelled headless (the headless
// backend has no dialogs of its own).

#include "platform/win/DialogAnswers.h"

#include <string>
#include <vector>

namespace uitest {

// The next open dialog returns these files (filterIndex 0 keeps the dialog's filter).
void AnswerOpenDialog(const std::vector<std::string>& files, int filterIndex = 0);
void AnswerSaveDialog(const std::string& file, int filterIndex = 0);
void AnswerColorDialog(TColor color);
void AnswerFontDialog(const FontDialogChoice& font);
// The next print dialog: copies, page range (0, 0 for all pages), collation, printer (empty:
// the current one).
void AnswerPrintDialog(int copies = 1, int fromPage = 0, int toPage = 0, bool collate = false,
                       const std::string& printer = "");
// The next printer-setup dialog: the printer (empty: the current one) and the orientation
// (1 portrait, 2 landscape, 0 unchanged).
void AnswerPrinterSetupDialog(const std::string& printer = "", int orientation = 0);
// The next dialog of the kind is cancelled.
void CancelNextDialog(DialogKind kind);

// The dialogs shown so far, and the answers not yet used.
const std::vector<DialogShown>& DialogsShown();
std::size_t UnusedDialogAnswers();
// Forgets both (call at the start of a test).
void ClearDialogScript();

} // namespace uitest
