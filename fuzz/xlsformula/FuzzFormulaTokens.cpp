// Token arrays from damaged files: decoding and every token walk must end with a result or the
// engine's exception, never read or write outside the buffer. The input is a FORMULA record's
// data; the first byte picks the fix-up that runs after the decode.

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "fuzz/xlsformula/FuzzContext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1 || Size > 8224)
        return 0;
    const std::uint8_t mode = Data[0];
    ByteArray data(Data + 1, Data + Size);
    TFuzzFormulaContext cells;
    try {
        RPNToString(data, 2, &cells);
    } catch (const Exception&) {
    }
    try {
        TFormulaRecord rec(xlr_FORMULA, data);
        TSheetInfo info{0, 0, [](Word) { return 1; }, [](Integer) { return Word(0); }, nullptr};
        switch (mode % 4) {
        case 0:
            rec.ArrangeInsertRowsAndCols(mode, -3, 2, 1, info);
            break;
        case 1:
            rec.ArrangeCopyRowsAndCols(-5, 3);
            break;
        case 2:
            rec.ArrangeSharedTokens();
            break;
        default:
            UXlsTokenArray_ArrangeInsertSheets(rec.Data(), 22, 22 + rec.TokenSize(), info);
            break;
        }
        RPNToString(rec.Data(), rec.DataSize(), 22, &cells);
    } catch (const Exception&) {
    }
    return 0;
}
