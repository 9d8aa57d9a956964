#include "controls/RichEditURL.h"

#include "platform/win/RichEdit.h"

void TRichEditURL::CreateWnd()
{
    TRichEdit::CreateWnd();
    Perform(EM_AUTOURLDETECT, 1, 0);
    const LRESULT Mask = Perform(EM_GETEVENTMASK, 0, 0);
    Perform(EM_SETEVENTMASK, 0, Mask | ENM_LINK);
}

void TRichEditURL::DoURLClick(const AnsiString& URL)
{
    if (OnURLClick)
        OnURLClick(this, URL);
}

void TRichEditURL::CNNotify(TMessage& Message)
{
    const auto* Header = reinterpret_cast<const NMHDR*>(Message.LParam);
    bool LinkClicked = false;
    if (Header && Header->code == EN_LINK) {
        const auto* Link = reinterpret_cast<const ENLINK*>(Message.LParam);
        if (Link->msg == WM_LBUTTONDOWN) {
            LinkClicked = true;
            try {
                CHARRANGE Range = Link->chrg;
                Perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&Range));
                DoURLClick(SelText());
            } catch (const Exception&) {
                // A failing handler must not take the edit's mouse handling down with it.
            }
        }
    }
    TRichEdit::WndProc(Message);
    // The button press is answered: the edit does not go on to put the caret where it went down,
    // which would undo the link's selection.
    if (LinkClicked)
        Message.Result = 1;
}

void TRichEditURL::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_NOTIFY) {
        CNNotify(Message);
        return;
    }
    TRichEdit::WndProc(Message);
}
