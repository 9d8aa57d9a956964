// Cell streams come from other programs through the clipboard and drops: any bytes must either
// parse into a consistent rectangle or raise, never crash, and a parsed rectangle's merged blocks
// must stay inside it; cell graphics come with their cells' records.

#include "RudUvud/exchange/CellStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 262144)
        return 0;
    TStringStream S(AnsiString(reinterpret_cast<const char*>(Data), Size));
    try {
        const TParsedCellStream P = ParseCellStream(&S);
        if (Int64(P.Cells.size()) != Int64(P.ColCount) * P.RowCount)
            std::abort();
        for (std::size_t I = 0; I < P.Cells.size(); ++I) {
            // A graphic comes only with a record, and never as a shared kind.
            if (const TCellGraphic* CG = P.Cells[I].Graphic.get())
                if (!P.Cells[I].Props || CG->CellType == ctRowCheckBox || CG->CellType == ctVirtCheckBox)
                    std::abort();
            const TCellProperties* CP = P.Cells[I].Props.get();
            if (!CP)
                continue;
            const Integer X = static_cast<Integer>(I % static_cast<std::size_t>(P.ColCount));
            const Integer Y = static_cast<Integer>(I / static_cast<std::size_t>(P.ColCount));
            if (CP->IsBaseCell()) {
                if (X + CP->CellSpanX() >= P.ColCount || Y + CP->CellSpanY() >= P.RowCount)
                    std::abort();
            } else if (CP->CellSpanX() < 0 || CP->CellSpanY() < 0 || CP->CellSpanX() > X ||
                       CP->CellSpanY() > Y) {
                std::abort();
            }
        }
    } catch (const Exception&) {
    }
    return 0;
}
