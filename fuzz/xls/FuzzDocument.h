#pragma once

#include "RudUvud/xlsadapter/tests/WorkbookDocument.h"

// A compound document to write a "Workbook" stream into and read it back, for the fuzz targets
// that take a raw record stream as their input.
namespace xlsfuzz {

using Doc = xlstest::TWriteDoc;
using xlstest::EmptyDocument;

} // namespace xlsfuzz
