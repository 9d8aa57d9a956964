#pragma once

// Answers given in advance to the common dialogs (open, save, colour, font, print, printer
// setup), and a record of the dialogs the program asked for. A dialog component takes the first
// queued answer of its kind before it asks the backend for the desktop's own dialog; tests queue
// the answers (platform/testing/DialogScript.h) so that a headless run needs no person.
//
// User-interface thread only.

#include "platform/win/Backend.h"

#include <optional>
#include <string>
#include <vector>

enum class DialogKind { Open, Save, Color, Font, Print, PrinterSetup };

struct DialogAnswer {
    DialogKind Kind = DialogKind::Open;
    bool Accept = true;             // false: the person cancelled
    std::vector<std::string> Files; // Open / Save
    int FilterIndex = 0;            // Open / Save: 1-based; 0 keeps the dialog's
    TColor Color = 0;               // Color
    FontDialogChoice Font;          // Font
    int Copies = 1;                 // Print
    bool Collate = false;           // Print
    int FromPage = 0, ToPage = 0;   // Print: both 0 for all pages
    bool PrintToFile = false;       // Print
    std::string Printer;            // Print / PrinterSetup: empty keeps the current one
    int Orientation = 0;            // Print / PrinterSetup: 1 portrait, 2 landscape, 0 keeps it
};

// What a dialog showed: its kind, title and, for file dialogs, the request.
struct DialogShown {
    DialogKind Kind = DialogKind::Open;
    std::string Title;
    FileDialogRequest File;
};

void QueueDialogAnswer(const DialogAnswer& answer);
// The first queued answer of the kind (removed from the queue), or nothing.
std::optional<DialogAnswer> TakeDialogAnswer(DialogKind kind);
// How many answers are still waiting (a test may check that each was used).
std::size_t PendingDialogAnswers();

void RecordDialogShown(const DialogShown& shown);
const std::vector<DialogShown>& DialogsShown();

// Forgets the queued answers and the record.
void ResetDialogAnswers();
