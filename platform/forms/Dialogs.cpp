#include "platform/forms/Dialogs.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

namespace {

// A push button drawn by the dialog itself: Enter presses the default one, Esc the cancel one,
// Alt and the underlined letter any of them.
class TDialogButton : public TCustomControl {
public:
    explicit TDialogButton(TComponent* AOwner) : TCustomControl(AOwner)
    {
        FTabStop = true;
        FColor = clBtnFace;
        FBrush->SetColor(FColor);
        FParentColor = false;
    }

    TModalResult ModalResult = mrNone;
    bool Default = false;
    bool Cancel = false;

    void Click() override
    {
        if (TCustomForm* Form = GetParentForm(this))
            Form->SetModalResult(ModalResult);
        TCustomControl::Click();
    }

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DLGC_BUTTON | (Default ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return;
        case CM_DIALOGKEY:
            if (((Message.WParam == VK_RETURN && (Default || Focused())) ||
                 (Message.WParam == VK_ESCAPE && Cancel)) &&
                KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
                Click();
                Message.Result = 1;
                return;
            }
            break;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
                Click();
                Message.Result = 1;
                return;
            }
            break;
        case WM_KEYDOWN:
            if (Message.WParam == VK_SPACE) {
                Click();
                return;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            TCustomControl::WndProc(Message);
            Invalidate();
            return;
        default:
            break;
        }
        TCustomControl::WndProc(Message);
    }

protected:
    void Paint() override
    {
        TCanvas* C = Canvas();
        TRect R = ClientRect();
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(R);
        C->Brush()->SetColor(Default ? clBlack : clBtnShadow);
        C->FrameRect(R);
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsClear);
        C->RequiredState({csHandleValid, csFontValid, csBrushValid});
        const AnsiString Text = Caption();
        RECT T = R;
        DrawText(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &T,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        C->Brush()->SetStyle(bsSolid);
        if (Focused()) {
            InflateRect(&R, -3, -3);
            C->DrawFocusRect(R);
        }
    }
};

// The text of the dialog, drawn on the form.
class TDialogText : public TGraphicControl {
public:
    explicit TDialogText(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
    void Paint() override
    {
        TCanvas* C = Canvas();
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsClear);
        C->RequiredState({csHandleValid, csFontValid, csBrushValid});
        const AnsiString Text = Caption();
        RECT R = ClientRect();
        DrawText(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R,
                 DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
};

// The icon of the dialog's kind: a disc with a sign.
class TDialogIcon : public TGraphicControl {
public:
    TDialogIcon(TComponent* AOwner, TMsgDlgType AType) : TGraphicControl(AOwner), FType(AType) {}

protected:
    void Paint() override
    {
        static const TColor Colors[] = {clYellow, clRed, clBlue, clBlue, clBlue};
        static const char* Signs[] = {"!", "X", "i", "?", ""};
        TCanvas* C = Canvas();
        C->Brush()->SetColor(Colors[FType]);
        C->Pen()->SetColor(FType == mtWarning ? clBlack : Colors[FType]);
        C->Ellipse(0, 0, Width(), Height());
        C->Font()->SetSize(16);
        C->Font()->SetStyle({fsBold});
        C->Font()->SetColor(FType == mtWarning ? clBlack : clWhite);
        C->Brush()->SetStyle(bsClear);
        C->RequiredState({csHandleValid, csFontValid, csBrushValid});
        RECT R = ClientRect();
        DrawText(C->Handle(), Signs[FType], -1, &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

private:
    TMsgDlgType FType;
};

const char* const Captions[] = {"Warning", "Error", "Information", "Confirm", ""};

struct ButtonInfo {
    const char* Name;
    const char* Caption;
    TModalResult Result;
};
const ButtonInfo Buttons[] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

TForm* BuildDialog(const AnsiString& Msg, TMsgDlgType DlgType, const std::vector<TMsgDlgBtn>& Order,
                   Integer DefaultIndex)
{
    TForm* Form = New<TForm>(Application);
    Form->SetBorderStyle(bsDialog);
    Form->SetPosition(poScreenCenter);
    Form->SetCaption(DlgType == mtCustom ? Application->Title() : Captions[DlgType]);

    // Measure the text: at most half the screen wide.
    // The text's own width, or wrapped at half the screen when it is wider.
    const Integer MaxWidth = std::max(Screen->Width() / 2, 100);
    RECT TextRect = Rect(0, 0, MaxWidth, 0);
    SIZE Sz{};
    {
        const TOwnedDC OwnedDC(CreateMeasuringDC());
        HDC DC = OwnedDC.get();
        const TSelectObject Selected(DC, Form->Font()->Handle());
        DrawText(DC, Msg.c_str(), static_cast<int>(Msg.size()), &TextRect,
                 DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS);
        if (TextRect.Right > MaxWidth) {
            TextRect = Rect(0, 0, MaxWidth, 0);
            DrawText(DC, Msg.c_str(), static_cast<int>(Msg.size()), &TextRect,
                     DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        }
        GetTextExtentPoint32(DC, "M", 1, &Sz);
    }

    const Integer Margin = 12, IconSize = DlgType == mtCustom ? 0 : 32, Gap = 8;
    const Integer ButtonW = 75, ButtonH = std::max<Integer>(25, Sz.cy + 10);
    const Integer TextLeft = Margin + (IconSize ? IconSize + Margin : 0);
    const Integer TextH = std::max<Integer>(TextRect.Bottom, IconSize);
    const Integer ButtonsW = static_cast<Integer>(Order.size()) * ButtonW +
                             static_cast<Integer>(Order.size() > 0 ? Order.size() - 1 : 0) * Gap;
    const Integer ClientW = std::max(TextLeft + TextRect.Right + Margin, ButtonsW + 2 * Margin);
    const Integer ClientH = Margin + TextH + Margin + ButtonH + Margin;
    Form->SetClientWidth(ClientW);
    Form->SetClientHeight(ClientH);

    if (IconSize) {
        auto* Icon = New<TDialogIcon>(Form, DlgType);
        Icon->SetName("Image");
        Icon->SetBounds(Margin, Margin, IconSize, IconSize);
        Icon->SetParent(Form);
    }
    auto* Text = New<TDialogText>(Form);
    Text->SetName("Message");
    Text->SetCaption(Msg);
    Text->SetBounds(TextLeft, Margin, TextRect.Right, TextRect.Bottom);
    Text->SetParent(Form);

    Integer X = (ClientW - ButtonsW) / 2;
    const bool HasCancel = std::find(Order.begin(), Order.end(), mbCancel) != Order.end();
    for (size_t I = 0; I < Order.size(); ++I) {
        const ButtonInfo& Info = Buttons[Order[I]];
        auto* B = New<TDialogButton>(Form);
        B->SetName(Info.Name);
        B->SetCaption(Info.Caption);
        B->ModalResult = Info.Result;
        B->Default = static_cast<Integer>(I) == DefaultIndex;
        B->Cancel =
            HasCancel ? Order[I] == mbCancel : (Order.size() == 1 || Order[I] == mbNo || Order[I] == mbAbort);
        B->SetBounds(X, Margin + TextH + Margin, ButtonW, ButtonH);
        B->SetParent(Form);
        if (B->Default)
            Form->SetActiveControl(B);
        X += ButtonW + Gap;
    }
    return Form;
}

std::vector<TMsgDlgBtn> InOrder(TMsgDlgButtons Set)
{
    static const TMsgDlgBtn Order[] = {mbYes,   mbYesToAll, mbNo,     mbNoToAll, mbOK,  mbCancel,
                                       mbAbort, mbRetry,    mbIgnore, mbAll,     mbHelp};
    std::vector<TMsgDlgBtn> Result;
    for (TMsgDlgBtn B : Order)
        if (Set.Contains(B))
            Result.push_back(B);
    return Result;
}

Integer RunDialog(TForm* Form)
{
    TOwned<TForm> Owned(Form);
    return Form->ShowModal();
}

} // namespace

TForm* CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    std::vector<TMsgDlgBtn> Order = InOrder(Buttons);
    Integer Default = 0;
    for (size_t I = 0; I < Order.size(); ++I)
        if (Order[I] == mbOK || Order[I] == mbYes) {
            Default = static_cast<Integer>(I);
            break;
        }
    return BuildDialog(Msg, DlgType, Order, Default);
}

Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer)
{
    return RunDialog(CreateMessageDialog(Msg, DlgType, Buttons));
}

void ShowMessage(const AnsiString& Msg)
{
    MessageDlg(Msg, mtCustom, {mbOK}, 0);
}

Integer ShowMessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags)
{
    std::vector<TMsgDlgBtn> Order;
    switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        Order = {mbOK, mbCancel};
        break;
    case MB_ABORTRETRYIGNORE:
        Order = {mbAbort, mbRetry, mbIgnore};
        break;
    case MB_YESNOCANCEL:
        Order = {mbYes, mbNo, mbCancel};
        break;
    case MB_YESNO:
        Order = {mbYes, mbNo};
        break;
    case MB_RETRYCANCEL:
        Order = {mbRetry, mbCancel};
        break;
    default:
        Order = {mbOK};
        break;
    }
    TMsgDlgType Type = mtCustom;
    switch (Flags & MB_ICONMASK) {
    case MB_ICONERROR:
        Type = mtError;
        break;
    case MB_ICONWARNING:
        Type = mtWarning;
        break;
    case MB_ICONQUESTION:
        Type = mtConfirmation;
        break;
    case MB_ICONINFORMATION:
        Type = mtInformation;
        break;
    default:
        break;
    }
    const Integer Default = std::min<Integer>(static_cast<Integer>((Flags & MB_DEFMASK) >> 8),
                                              static_cast<Integer>(Order.size()) - 1);
    TForm* Form = BuildDialog(Text, Type, Order, Default);
    Form->SetCaption(Caption);
    return RunDialog(Form);
}
