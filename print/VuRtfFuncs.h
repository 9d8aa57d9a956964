#pragma once
// RTF into and out of rich-edit controls, for the rich-text blocks of the resource table.
#include "platform/forms/ComCtrls.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Streams.h"
#include "platform/win/RichEdit.h"

// Inserts the RTF of Stream (from its position to its end) at the memo's selection.
void InsertRtfStream(TCustomMemo* Memo, TStream* Stream);
// Inserts RTF text at the selection; an empty text does nothing.
void InsertRtfText(TCustomMemo* Memo, const AnsiString& Text);
// Writes the memo's whole content as RTF to Stream.
void GetRtfTextStream(TCustomMemo* Memo, TStream* Stream);
AnsiString GetRtfText(TCustomMemo* Memo);
// A rich edit without owner or size, no word wrap, up to 1,000,000 characters; the caller owns it.
TRichEdit* CreateTRichEdit();
Integer GetLastOffset(TCustomMemo* Memo, GETTEXTLENGTHEX& Info);
bool IsRichEdit98(TCustomMemo* Memo);
bool IsRxRichEdit(TCustomMemo* Memo);
Integer GetTextLength(TCustomMemo* Memo);
