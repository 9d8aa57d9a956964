// A "Workbook" stream opened through the file interface (TXLSFile), edited and saved, the way the
// program and the grid bridge use it. The last eight bytes of the input choose the edits (cell
// values, texts and formulas, rows and columns inserted, copied and deleted, sheets copied and
// deleted, another active sheet). Beyond "no crash, no hang": a workbook that was saved opens
// again, and saves again.

#include "RudUvud/xlsadapter/XlsFile.h"

#include "FuzzDocument.h"

#include <cstdint>

using namespace xlsfuzz;

namespace {

void Check(bool Ok)
{
    if (!Ok)
        __builtin_trap();
}

// The stream in a compound document, as a file holds it.
ByteArray Document(const uint8_t* Data, size_t Size)
{
    Doc d;
    d.File->WriteMem(Data, static_cast<Integer>(Size));
    d.Finish();
    return d.Out.Bytes();
}

bool Open(TXLSFile& F, const ByteArray& Bytes)
{
    TMemoryStream M;
    M.Write(Bytes.data(), static_cast<Integer>(Bytes.size()));
    M.Seek(0, soBeginning);
    try {
        F.LoadFromStream(&M);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// The saved document; empty when the save was refused.
ByteArray Save(TXLSFile& F)
{
    TMemoryStream M;
    try {
        F.Save(false, "", nullptr, nullptr, &M);
    } catch (const Exception&) {
        return {};
    }
    const Byte* P = static_cast<const Byte*>(M.Memory());
    return ByteArray(P, P + M.Size());
}

void Edit(TXLSFile& F, uint8_t Op)
{
    const Integer A = Op >> 4; // 0..15
    try {
        switch (Op & 15) {
        case 0:
            F.SetCellValue(A + 1, A % 5 + 1, TXlsVariant::FromNumber(A * 1.5));
            break;
        case 1:
            F.SetCellValue(A + 1, A % 3 + 1, TXlsVariant::FromString(u"text"));
            break;
        case 2:
            F.SetCellFormula(A + 1, 2, u"=A1+SUM(A1:B3)*2");
            break;
        case 3:
            F.SetCellValue(A + 1, 1, TXlsVariant());
            break;
        case 4:
            F.InsertAndCopyRows(A + 1, A + 2, A + 4, 1, false);
            break;
        case 5:
            F.InsertAndCopyRows(60, 60, A + 1, 2, false); // empty rows inserted
            break;
        case 6:
            F.DeleteRows(A + 1, 1 + A % 3);
            break;
        case 7:
            F.InsertAndCopyCols(A % 8 + 1, A % 8 + 1, A % 8 + 3, 1, false);
            break;
        case 8:
            F.InsertAndCopyCols(200, 200, A % 8 + 1, 1, false); // an empty column inserted
            break;
        case 9:
            F.DeleteCols(A % 8 + 1, 1);
            break;
        case 10:
            F.InsertAndCopySheets(F.GetActiveSheet(), F.SheetCount() + 1, 1);
            break;
        case 11:
            F.DeleteSheet(1);
            break;
        case 12:
            F.SetActiveSheet(A % (F.SheetCount() + 1) + 1);
            break;
        case 13:
            F.SetCellFormula(A + 1, 3, u"=Sheet1!A1*3");
            break;
        case 14:
            F.ClearSheet();
            break;
        default:
            F.SetInvalidateFormulas(true);
            break;
        }
    } catch (const Exception&) {
        // A refused edit leaves the workbook to be saved as it is.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 8 || Size > (1u << 20))
        return 0;
    TXLSFile F(nullptr);
    F.Connect();
    if (!Open(F, Document(Data, Size - 8)))
        return 0;
    for (size_t i = Size - 8; i < Size; ++i)
        Edit(F, Data[i]);
    const ByteArray Saved = Save(F);
    if (Saved.empty())
        return 0;
    TXLSFile G(nullptr);
    G.Connect();
    Check(Open(G, Saved));
    for (Integer s = 1; s <= G.SheetCount(); ++s) {
        G.SetActiveSheet(s);
        for (Integer r = 1; r <= 4; ++r)
            for (Integer c = 1; c <= 4; ++c)
                (void)G.GetCellValue(r, c);
    }
    Check(!Save(G).empty());
    return 0;
}
