#pragma once

// The XML exchange's rules free of any grid, so that the reader can be fuzzed on its own.

#include "platform/rtl/Types.h"

#include <functional>

namespace xmlexchange {

// A cell text as element content (see XmlExchange.cpp); Utf8: the document is declared UTF-8,
// else every character outside ASCII goes as a character reference.
AnsiString EscapeText(const AnsiString& Cell, bool Utf8);

using TStoreField =
    std::function<void(Integer Col, Integer Row, const AnsiString& Name, const AnsiString& Text)>;

// Reads the document through the XML document server and hands every field to Store with the
// column and row it belongs in (FC, FR: the first column and row). Raises Exception "XML file not
// found", "XMLDOM server component not found" and "XMLDOM Parsing error <code> on line <line>".
void ReadDocument(const AnsiString& FileName, bool RowsFromAttributes, Integer FC, Integer FR,
                  bool EmptyCellsAsQuotes, const TStoreField& Store);

} // namespace xmlexchange
