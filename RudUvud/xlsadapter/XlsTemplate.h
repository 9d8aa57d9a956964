#pragma once

#include "RudUvud/xlsadapter/Ole2File.h"

#include <memory>

// The empty workbook the program carries as the RCDATA resource "RIRORORIDUVARURO": a compound
// document whose "Workbook" stream holds the globals and one empty worksheet named "Sheet1".
// A new file is loaded from it, and so is every new empty sheet.
//
// The bytes are made by template/make-empty-workbook.py (next to this file) from the record
// values the engine relies on: the settings records a new file's setters need are all present,
// and WINDOW2 is followed by SELECTION so that zoom and panes have their place.

inline constexpr const char* EmptyWorkbookResourceName = "RIRORORIDUVARURO";

// The template's bytes. Raises the platform's resource-not-found error when the program
// carries none.
ByteArray EmptyWorkbookTemplate();

// The template opened as a compound document, its "Workbook" stream selected at its start.
class TXlsTemplateDocument {
public:
    TXlsTemplateDocument();
    TXlsTemplateDocument(const TXlsTemplateDocument&) = delete;
    TXlsTemplateDocument& operator=(const TXlsTemplateDocument&) = delete;

    TOle2File& File() { return *FFile; }

private:
    TOle2MemoryStream FDoc;
    std::unique_ptr<TOle2File> FFile;
};
