#include "RudUvud/xlsadapter/XlsFile.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Guards.h"

// The xls file's paste from the clipboard: a "Biff8" block (a whole workbook in a compound
// document, as spreadsheet programs put it there) is pasted at a cell; plain text is not.

void TXLSFile::PasteFromClipboard(Integer Row, Integer Col)
{
    TClipboard* C = Clipboard();
    const UINT Biff8 = RegisterClipboardFormat("Biff8");
    TMemoryStream M;
    bool HaveBiff8 = false;
    {
        C->Open();
        TScopeExit Closing([C] { C->Close(); });
        if (C->HasFormat(Biff8)) {
            auto H = static_cast<HGLOBAL>(C->GetAsHandle(Biff8));
            if (H) {
                const void* P = GlobalLock(H);
                if (P) {
                    M.Write(P, static_cast<Integer>(GlobalSize(H)));
                    HaveBiff8 = true;
                }
                GlobalUnlock(H);
            }
        }
    }
    if (HaveBiff8) {
        M.Seek(0, soBeginning);
        PasteFromBiff8(&M, Row, Col);
    }
    // Plain text is not pasted.
}
