// The grid's rich edit: sub- and superscript of the selection, the size the text asks for, the
// row growing while rich text is typed, and the arrow keys and focus handed back to the grid.

#include "RudUvud/edit/GridRichEdit.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditors.h"

#include "platform/win/RichEdit.h"

namespace {

// Twips of the sub- and superscript offsets.
constexpr Integer ScriptOffset = 40;

} // namespace

TZurIdodAdod::TZurIdodAdod(TComponent* AOwner)
    : TCustomRichEdit(AOwner), FGrid(grideditors::GridOfOwner(AOwner))
{
}

void TZurIdodAdod::ReCreate()
{
    if (HandleAllocated())
        RecreateWnd();
}

void TZurIdodAdod::SelFormat(Integer Offset)
{
    CHARFORMATA Format;
    Format.dwMask = CFM_OFFSET;
    Format.yOffset = Offset;
    Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Format));
}

void TZurIdodAdod::SelNormal()
{
    SelFormat(0);
}

void TZurIdodAdod::SelSubscript()
{
    SelFormat(-ScriptOffset);
}

void TZurIdodAdod::SelSuperscript()
{
    SelFormat(ScriptOffset);
}

Integer TZurIdodAdod::SelOffset()
{
    CHARFORMATA Format;
    Format.dwMask = CFM_OFFSET;
    Perform(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Format));
    return Format.yOffset;
}

bool TZurIdodAdod::IsSelNormal()
{
    return SelOffset() == 0;
}

bool TZurIdodAdod::IsSelSubscript()
{
    return SelOffset() == -ScriptOffset;
}

bool TZurIdodAdod::IsSelSuperscript()
{
    return SelOffset() == ScriptOffset;
}

void TZurIdodAdod::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case CN_NOTIFY:
        CNNotify(Message);
        return;
    default:
        TCustomRichEdit::WndProc(Message);
    }
}

void TZurIdodAdod::CNNotify(TMessage& Message)
{
    const auto* N = reinterpret_cast<const NMHDR*>(Message.LParam);
    if (N && N->code == EN_REQUESTRESIZE && !ComponentState().Contains(csDesigning)) {
        const RECT& Rc = reinterpret_cast<const REQRESIZE*>(Message.LParam)->rc;
        if (FGrid->RichEdit() == this && HandleAllocated()) {
            FReqWidth = Rc.Right - Rc.Left;
            FReqHeight = Rc.Bottom - Rc.Top;
        }
        // The row grows with the text typed into the editing instance, never beyond the grid.
        if (FGrid->RichEditor() == this && HandleAllocated() && FGrid->SizeWhileTyping()->Height &&
            !FLocked) {
            const Integer Q = Rc.Bottom - Rc.Top;
            const Integer R = FGrid->Row();
            if (FGrid->RowHeights(R) < Q + 5 &&
                FGrid->CellRect(FGrid->Col(), R).Top + Q + 5 < FGrid->Height()) {
                SetHeight(Q + 9);
                FGrid->SetRowHeights(R, Q + 10);
                if (FGrid->OnEndRowSize)
                    FGrid->OnEndRowSize(FGrid, R);
            }
        }
    }
    TCustomRichEdit::WndProc(Message);
}

void TZurIdodAdod::WMKillFocus(TMessage& Message)
{
    // The focus coming back from a custom editor's popup is not the end of the edit.
    if (FGrid->PopupClosed())
        return;
    if (FGrid->HandleAllocated() && reinterpret_cast<HWND>(Message.WParam) == FGrid->Handle())
        FGrid->HideInplaceEdit();
    TCustomRichEdit::WndProc(Message);
}

void TZurIdodAdod::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomRichEdit::KeyDown(Key, Shift);
    if ((Key == VK_UP || Key == VK_DOWN) && !FGrid->WordWrap() && !FGrid->Multilinecells()) {
        FGrid->SetFocus();
        FGrid->KeyDown(Key, Shift);
    }
}
