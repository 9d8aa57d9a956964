#include "app/YesNoForm.h"

#include "app/FormActions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The text area of the window: two lines of the message font.
constexpr Integer MessageWidth = 489, MessageHeight = 41;
// A message is written as it is: an ampersand in it (a file name's, say) is no accelerator.
constexpr UINT MessageFormat = DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX;

void SetMessageFont(TFont* F)
{
    F->SetName("Times New Roman");
    F->SetHeight(-16);
    F->SetStyle(TFontStyles{fsBold});
}

// Whether Text, wrapped as the window wraps it, stays within the text area.
bool FitsMessage(HDC Dc, const AnsiString& Text)
{
    RECT R{0, 0, MessageWidth, MessageHeight};
    DrawText(Dc, Text.c_str(), int(Text.size()), &R, MessageFormat | DT_CALCRECT);
    return R.Width() <= MessageWidth && R.Height() <= MessageHeight;
}

// Where each character of Text starts, and its length at the end.
std::vector<size_t> CharacterStarts(const AnsiString& Text)
{
    std::vector<size_t> Starts;
    for (size_t I = 0; I < Text.size();) {
        Starts.push_back(I);
        NextUtf8Char(Text, I);
    }
    Starts.push_back(Text.size());
    return Starts;
}

// Text without Drop of its characters from the middle, which "..." stands for.
AnsiString MiddleDropped(const AnsiString& Text, const std::vector<size_t>& Starts, size_t Drop)
{
    const size_t Count = Starts.size() - 1;
    if (Drop == 0)
        return Text;
    const size_t Keep = Count - std::min(Drop, Count), Head = (Keep + 1) / 2, Tail = Keep / 2;
    return Text.substr(0, Starts[Head]) + "..." + Text.substr(Starts[Count - Tail]);
}

// The fewest characters dropped from the middle of Part for Whole(Part) to fit; all of them
// when nothing fits.
AnsiString Shortened(HDC Dc, const AnsiString& Part,
                     const std::function<AnsiString(const AnsiString&)>& Whole)
{
    const std::vector<size_t> Starts = CharacterStarts(Part);
    size_t Low = 0, High = Starts.size() - 1;
    while (Low < High) {
        const size_t Mid = (Low + High) / 2;
        if (FitsMessage(Dc, Whole(MiddleDropped(Part, Starts, Mid))))
            High = Mid;
        else
            Low = Mid + 1;
    }
    return MiddleDropped(Part, Starts, Low);
}

// Characters, not bytes: a Chinese question is as long as it looks.
size_t CharacterCount(const AnsiString& Text)
{
    size_t Count = 0;
    for (size_t I = 0; I < Text.size(); ++Count)
        NextUtf8Char(Text, I);
    return Count;
}

} // namespace

TYesNoForm::TYesNoForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Message Box");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 554, 207);
    Font()->SetName("Times New Roman");
    Font()->SetHeight(-19);

    ActionList1 = New<TActionList>(this);
    YesAction = New<TAction>(this);
    YesAction->SetName("YesAction");
    YesAction->SetActionList(ActionList1);
    YesAction->SetCaption("&Yes F4");
    YesAction->SetShortCut(VK_F4);
    YesAction->OnExecute = [this](TObject* S) { YesActionExecute(S); };
    NoAction = New<TAction>(this);
    NoAction->SetName("NoAction");
    NoAction->SetActionList(ActionList1);
    NoAction->SetCaption("&No Esc");
    NoAction->SetShortCut(VK_ESCAPE);
    NoAction->OnExecute = [this](TObject* S) { NoActionExecute(S); };

    msg = New<TLabel>(this);
    msg->SetName("msg");
    msg->SetParent(this);
    msg->SetAutoSize(false);
    msg->SetBounds(24, 16, MessageWidth, MessageHeight);
    msg->SetAlignment(taCenter);
    msg->SetWordWrap(true);
    msg->SetParentFont(false);
    SetMessageFont(msg->Font());
    msg->SetShowAccelChar(false);
    msg->SetCaption("");

    auto MakeButton = [this](const char* Name, TAction* Action, int X, int W, int Tab) {
        auto* B = MakeFormButton(this, this, Name, Action);
        B->SetBounds(X, 99, W, 33);
        B->SetNumGlyphs(1);
        B->SetTabOrder(Tab);
        return B;
    };
    YesButton = MakeButton("YesButton", YesAction, 149, 100, 1);
    NoButton = MakeButton("NoButton", NoAction, 285, 92, 0);
}

void TYesNoForm::YesActionExecute(TObject*)
{
    SetModalResult(1);
}

void TYesNoForm::NoActionExecute(TObject*)
{
    SetModalResult(2);
}

void showInformation(const AnsiString& Text, TComponent* Owner)
{
    TOwned<TYesNoForm> Form(New<TYesNoForm>(Owner));
    Form->msg->SetCaption(Text);
    Form->NoButton->SetVisible(false);
    Form->YesButton->SetCaption("Okay");
    Form->YesButton->SetLeft(200);
    Form->ShowModal();
}

bool askConfirmation(const AnsiString& Text, TComponent* Owner, bool YesFirst)
{
    TOwned<TYesNoForm> Form(New<TYesNoForm>(Owner));
    Form->msg->SetCaption(Text);
    // A one-line question sits lower in the window.
    if (CharacterCount(Text) < 50)
        Form->msg->SetTop(40);
    if (YesFirst)
        Form->YesButton->SetTabOrder(0);
    return Form->ShowModal() == 1;
}

AnsiString fitPathInMessage(const AnsiString& Before, const AnsiString& Path, const AnsiString& After)
{
    const TOwnedDC Dc(CreateMeasuringDC());
    TFont Font;
    SetMessageFont(&Font);
    const TSelectObject Selected(Dc.get(), Font.Handle());
    const AnsiString Whole = Before + Path + After;
    if (FitsMessage(Dc.get(), Whole))
        return Whole;
    // The folders give way first, from their middle; the file name only when they are gone.
    const size_t Slash = Path.rfind('/');
    const AnsiString Folder = Slash == AnsiString::npos ? AnsiString() : Path.substr(0, Slash);
    const AnsiString Name = Slash == AnsiString::npos ? Path : Path.substr(Slash);
    if (!Folder.empty()) {
        const AnsiString Short =
            Before +
            Shortened(Dc.get(), Folder, [&](const AnsiString& F) { return Before + F + Name + After; }) +
            Name + After;
        if (FitsMessage(Dc.get(), Short))
            return Short;
    }
    const AnsiString Lead = Folder.empty() ? AnsiString() : AnsiString("...");
    const AnsiString Shortest =
        Before + Lead +
        Shortened(Dc.get(), Name, [&](const AnsiString& N) { return Before + Lead + N + After; }) + After;
    // A message too long whatever the path keeps the path whole.
    return FitsMessage(Dc.get(), Shortest) ? Shortest : Whole;
}
