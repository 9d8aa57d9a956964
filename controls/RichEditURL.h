#pragma once

// TRichEditURL: the platform's rich edit with automatic link detection on. Addresses typed or
// loaded into the text show as links; the left button going down on one selects the link's text
// and reports it through OnURLClick. Opening the address is the handler's business.

#include "platform/forms/ComCtrls.h"

#include <functional>

using TURLClickEvent = std::function<void(TObject* Sender, const AnsiString& URL)>;

class TRichEditURL : public TRichEdit {
public:
    using TRichEdit::TRichEdit;

    void WndProc(TMessage& Message) override;

    TURLClickEvent OnURLClick;

protected:
    // Switches link detection on and adds link notifications to the event mask, keeping the rest.
    void CreateWnd() override;
    virtual void DoURLClick(const AnsiString& URL);

private:
    void CNNotify(TMessage& Message);
};
