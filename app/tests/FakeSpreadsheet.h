#pragma once

// Spreadsheet files of the grid bridge's in-memory engine for the import tests: while one of
// these is alive, every spreadsheet file the program opens is read by that engine instead of
// the xls file.

#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "RudUvud/xlsadapter/tests/GridBridgeFake.h"
#include "platform/rtl/Conversions.h"

#include <string>
#include <vector>

class TFakeSpreadsheets {
public:
    TFakeSpreadsheets()
    {
        TDozAzevIzaroIO::SetDefaultFileFactory([this] {
            auto F = std::make_unique<bridgetest::TFakeExcelFile>();
            F->FailReadAtRow = FailReadAtRow;
            return std::unique_ptr<TExcelFile>(std::move(F));
        });
    }
    ~TFakeSpreadsheets()
    {
        TDozAzevIzaroIO::SetDefaultFileFactory([] { return NewXlsFile(nullptr); });
    }

    // Writes a one-sheet file of these rows to Path: a cell that reads as a number is stored
    // as a number, anything else (and a text after a leading ') as text; an empty text is no
    // cell.
    static void Write(const std::string& Path, const std::vector<std::vector<std::string>>& Rows)
    {
        bridgetest::TFakeWorkbook W = bridgetest::EmptyWorkbook(1);
        Integer R = 1;
        for (const auto& Row : Rows) {
            Integer C = 1;
            for (const std::string& Text : Row) {
                Extended V = 0;
                if (!Text.empty() && Text[0] == '\'')
                    W.Sheets[0].Cells[{R, C}].Value = TXlsVariant::FromString(AnsiToWide(Text.substr(1)));
                else if (TryStrToFloatInvariant(Text, V))
                    W.Sheets[0].Cells[{R, C}].Value = TXlsVariant::FromNumber(double(V));
                else if (!Text.empty())
                    W.Sheets[0].Cells[{R, C}].Value = TXlsVariant::FromString(AnsiToWide(Text));
                ++C;
            }
            ++R;
        }
        bridgetest::SaveWorkbook(W, Path);
    }

    // Reading a value of this sheet row fails (0: none).
    Integer FailReadAtRow = 0;
};
