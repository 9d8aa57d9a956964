#include "app/MainForm.h"

#include "app/DrawStore.h"
#include "app/FormActions.h"
#include "app/Glyphs.h"
#include "app/LotteryForm.h"
#include "app/RewardListForm.h"
#include "app/SelectOptionForm.h"
#include "app/YesNoForm.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Random.h"
#include "platform/win/Backend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>

namespace {

// Takes the running-copy lock without waiting; -1 when another copy holds it.
int TakeInstanceLock()
{
    const int Fd = ::open(InstanceLockFileName, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (Fd < 0)
        return -1;
    if (::flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(Fd);
        return -1;
    }
    return Fd;
}

} // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Prize Draw Software");
    SetBorderStyle(bsDialog);
    SetPosition(poDesktopCenter);
    Font()->SetName("細明體");
    Font()->SetHeight(-11);
    SetClientWidth(788);
    SetClientHeight(511);

    ActionList1 = New<TActionList>(this);
    auto MakeAction = [this](const char* Name, const char* Caption, TShortCut Key,
                             void (TMainForm::*Handler)(TObject*)) {
        return MakeFormAction(this, ActionList1, Name, Caption, nullptr, Key,
                              [this, Handler](TObject* S) { (this->*Handler)(S); });
    };
    helpAction = MakeAction("helpAction", "Help F1", VK_F1, &TMainForm::helpActionExecute);
    categoryAction = MakeAction("categoryAction", "Prize F2", VK_F2, &TMainForm::categoryActionExecute);
    recordAction = MakeAction("recordAction", "Draw F3", VK_F3, &TMainForm::recordActionExecute);
    exitAction = MakeAction("exitAction", "Exit F12", VK_F12, &TMainForm::exitActionExecute);

    Label2 = New<TLabel>(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetAutoSize(false);
    Label2->SetCaption("");
    Label2->SetAlign(alTop);
    Label2->SetHeight(11);

    companyName = New<TLabel>(this);
    companyName->SetName("companyName");
    companyName->SetParent(this);
    companyName->SetAutoSize(false);
    companyName->SetTop(11);
    companyName->SetAlign(alTop);
    companyName->SetAlignment(taCenter);
    companyName->SetParentFont(false);
    companyName->Font()->SetName("細明體");
    companyName->Font()->SetHeight(-48);
    companyName->Font()->SetStyle(TFontStyles{fsBold});
    companyName->SetHeight(48);
    companyName->SetCaption("Demo Limited");

    auto MakeButton = [this](const char* Name, TAction* Action, int X, int Y, TGlyphKind Glyph) {
        auto* B = MakeGlyphButton(this, this, Name, Action, Glyph);
        B->SetBounds(X, Y, 200, 80);
        B->SetParentFont(false);
        B->Font()->SetName("細明體");
        B->Font()->SetHeight(-24);
        B->Font()->SetStyle(TFontStyles{fsBold});
        return B;
    };
    // Two rows of two, centred below the title.
    categoryButton = MakeButton("categoryButton", categoryAction, 164, 150, gkPrize);
    recordButton = MakeButton("recordButton", recordAction, 424, 150, gkDraw);
    helpButton = MakeButton("helpButton", helpAction, 164, 300, gkHelp);
    exitButton = MakeButton("exitButton", exitAction, 424, 300, gkExit);
    recordButton->SetTabOrder(0);
    categoryButton->SetTabOrder(1);
    exitButton->SetTabOrder(2);
    helpButton->SetTabOrder(3);

    OnShow = [this](TObject* S) { FormShow(S); };
    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
}

TMainForm::~TMainForm()
{
    if (FInstanceLock >= 0)
        ::close(FInstanceLock);
}

void TMainForm::FormShow(TObject*)
{
    if (FOpened || FInstanceLock >= 0)
        return; // only the first showing opens
    // The running copy is recognised before the database is touched: a copy that opened the
    // file first could wait without end for the other copy's transaction.
    FInstanceLock = TakeInstanceLock();
    if (FInstanceLock < 0) {
        showInformation("The database has been opened.", this);
        Close();
        return;
    }
    switch (DrawStore()->Open()) {
    case TDrawStore::orFailed:
        showInformation("Fail to open database.", this);
        Close();
        return;
    case TDrawStore::orInUse:
        showInformation("The database has been opened.", this);
        Close();
        return;
    case TDrawStore::orOpened:
        break;
    }
    FOpened = true;
    Randomize();
}

void TMainForm::FormClose(TObject*, TCloseAction& Action)
{
    if (!FOpened)
        return;
    if (!askConfirmation("Exit program?", this)) {
        Action = caNone;
        return;
    }
    Hide();
    for (Integer I = 0; I < ActionList1->ActionCount(); ++I)
        if (auto* A = dynamic_cast<TCustomAction*>(ActionList1->Actions(I)))
            A->SetEnabled(false);
    // What the windows changed since the last commit (column widths, a cancelled options
    // row) is kept, and the file is left closed cleanly.
    DrawStore()->Close();
    FOpened = false;
}

void TMainForm::exitActionExecute(TObject*)
{
    Close();
}

void TMainForm::helpActionExecute(TObject*)
{
    const AnsiString Path = DrawStore()->DatabaseDirectory() + "/manual.doc";
    // A machine without a program to open documents would otherwise ignore the key silently.
    if (FileExists(Path) && !Backend().ShellOpen(Path, "open"))
        showInformation("Fail to open manual.doc.", this);
}

void TMainForm::categoryActionExecute(TObject*)
{
    TOwned<TRewardListForm> List(New<TRewardListForm>(this));
    List->ShowModal();
}

void TMainForm::recordActionExecute(TObject*)
{
    const std::int64_t Total = DrawStore()->TotalQuantity();
    if (Total <= 0) {
        showInformation("No prize, press [Prize] to set the prize and quantity.", this);
        return;
    }
    TOwned<TLotteryForm> Board(New<TLotteryForm>(this));
    TOwned<TSelectOptionForm> Options(New<TSelectOptionForm>(this));
    Options->quantity->SetText(IntToStr(static_cast<long long>(Total)));
    if (Options->ShowModal() == 1) {
        DrawStore()->Commit();
        const TDrawOptions O = Options->EnteredOptions();
        Board->SetPersonsLeft(O.Person);
        Board->grid->SetRowCount(O.Row);
        Board->grid->SetColCount(O.Col);
        Board->SetNoPrizeText(O.NoReward);
        Board->showPanel->SetVisible(O.ShowGift);
        Board->ShowModal();
    }
    Options.reset();
    Board.reset();
}
