// The application's message loops on the desktop's real clock: with nothing to do they run the
// idle handling once and then sleep in the backend until something arrives, instead of asking
// for messages in a busy loop. Under the virtual clock of the tests they never sleep.

#include "FormsTestSupport.h"

#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"

#include <memory>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

// The headless screen with a clock that may claim to be real. Waiting records itself and lets
// the test's next input "arrive" while the program sleeps.
class WaitingBackend : public HeadlessBackend {
public:
    explicit WaitingBackend(bool RealClock) : Real(RealClock) {}
    bool IsVirtualClock() const override { return !Real; }
    void WaitForEvents(int) override
    {
        ++Waits;
        Log.push_back('W');
        if (!Arrivals.empty()) {
            auto Next = std::move(Arrivals.front());
            Arrivals.pop_front();
            Next();
        }
    }
    bool Real;
    int Waits = 0;
    std::string Log;
    std::deque<std::function<void()>> Arrivals;
};

class MessageLoopTest : public FormsTest {
protected:
    WaitingBackend* Backend = nullptr;
    int Idles = 0;

    void Install(bool RealClock)
    {
        auto B = std::make_unique<WaitingBackend>(RealClock);
        Backend = B.get();
        InstallBackend(std::move(B));
        PumpUntilIdle();
        Application->OnIdle = [this](TObject*, bool& Done) {
            Done = true;
            Backend->Log.push_back('I');
            // A loop that never sleeps would never see the input that ends it: hand it over
            // here so that the test ends and reports.
            if (++Idles == 200) {
                ADD_FAILURE() << "the loop kept asking for messages without waiting";
                while (!Backend->Arrivals.empty()) {
                    auto Next = std::move(Backend->Arrivals.front());
                    Backend->Arrivals.pop_front();
                    Next();
                }
            }
        };
    }
};

TEST_F(MessageLoopTest, AnEmptyQueueRunsIdleThenWaitsOnlyOnARealClock)
{
    for (bool RealClock : {true, false}) {
        SCOPED_TRACE(RealClock ? "real clock" : "virtual clock");
        Install(RealClock);
        Backend->Log.clear();
        Application->HandleMessage();
        EXPECT_EQ(Backend->Log, RealClock ? "IW" : "I");
        // A message waiting is handled without idling or sleeping.
        PostMessage(Application->Handle(), WM_NULL, 0, 0);
        Backend->Log.clear();
        Application->HandleMessage();
        EXPECT_EQ(Backend->Log, "");
    }
}

TEST_F(MessageLoopTest, ModalLoopsSleepBetweenInputs)
{
    TForm* Main = MakeForm("Main");
    Main->Show();
    auto* Menu = New<TPopupMenu>(Main);
    auto* Item = New<TMenuItem>(Main);
    Item->SetCaption("&Draw");
    Menu->Items()->Add(Item);

    struct Loop {
        const char* Name;
        std::function<void()> Run;  // runs the modal loop
        std::function<void()> Ends; // the input that ends it
    };
    TForm* Dialog = nullptr;
    const Loop Loops[] = {
        {"ShowModal",
         [&] {
             Dialog = MakeForm("Dialog");
             EXPECT_EQ(Dialog->ShowModal(), mrOk);
             Dialog->Free();
         },
         [&] { Dialog->SetModalResult(mrOk); }},
        {"popup menu", [&] { Menu->Popup(150, 150); }, [] { PressKey(VK_ESCAPE); }},
        {"message box", [&] { EXPECT_EQ(ShowMessageBox("Draw now?", "Draw", MB_YESNO), IDYES); },
         [] { PressKey(VK_RETURN); }},
    };
    for (const Loop& L : Loops) {
        SCOPED_TRACE(L.Name);
        Install(true);
        Idles = 0;
        Backend->Arrivals.push_back([] {}); // woken by something of no interest
        Backend->Arrivals.push_back(L.Ends);
        L.Run();
        EXPECT_TRUE(Backend->Arrivals.empty());
        EXPECT_EQ(Backend->Waits, 2);
        EXPECT_LT(Idles, 10);
    }
}

} // namespace
