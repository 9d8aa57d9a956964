#pragma once

// Running the program's windows headless: a fresh working directory, the store the windows
// use, and steps that run one per idle moment of whatever message loop is running (the modal
// windows run their own).

#include "MemoryDrawStore.h"
#include "TestDirectory.h"

#include "RudUvud/core/RudUvud.h"
#include "app/YesNoForm.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/testing/IdleSteps.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <unistd.h>

// The data rows (from row 1) a list grid shows highlighted, read from the screen: the colour of
// a cell of column Col beside its text.
inline std::vector<Integer> HighlightedRows(TDidAririzEvar* Grid, Integer Col = 1)
{
    std::vector<Integer> Rows;
    for (Integer R = 1; R < Grid->RowCount(); ++R) {
        const TRect Cell = Grid->CellRect(Col, R);
        if (uitest::PixelAt(Grid->Handle(), Cell.Right - 4, (Cell.Top + Cell.Bottom) / 2) ==
            ColorToRGB(clHighlight))
            Rows.push_back(R);
    }
    return Rows;
}

// Whether a message window shows the whole of its text: wrapped as its label wraps it, the text
// stays inside the label.
inline bool ShowsWholeText(TYesNoForm* M)
{
    TCanvas* C = M->Canvas();
    C->Font()->Assign(M->msg->Font());
    const AnsiString Text = M->msg->Caption();
    RECT R{0, 0, M->msg->Width(), M->msg->Height()};
    DrawText(C->Handle(), Text.c_str(), int(Text.size()), &R,
             DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX | DT_EXPANDTABS);
    return R.Width() <= M->msg->Width() && R.Height() <= M->msg->Height();
}

class AppTest : public ::testing::Test, protected uitest::IdleSteps {
protected:
    // The program's tests run its main loop: one stuck waiting for input ends it too.
    AppTest() : uitest::IdleSteps(true) {}

    void SetUp() override
    {
        uitest::Start();
        OldDir = EnterFreshTestDirectory();
        auto S = std::make_unique<TMemoryDrawStore>();
        Store = S.get();
        SetDrawStore(std::move(S));
        Application->OnIdle = [this](TObject*, bool& Done) { RunNextStep(Done); };
        Application->OnException = [](TObject*, const Exception& E) { ADD_FAILURE() << E.Message(); };
    }

    void TearDown() override
    {
        Application->OnIdle = nullptr;
        Application->OnException = nullptr;
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
        Steps.clear();
        SetDrawStore(nullptr);
        std::filesystem::current_path(OldDir);
    }

    // Queues a step after those already queued.
    void Then(std::function<void()> Step) { Steps.push_back(std::move(Step)); }
    // Queues a step before all others: what a window opened by the running step must do.
    void Inside(std::function<void()> Step) { Steps.push_front(std::move(Step)); }

    template <class T> T* Active() { return dynamic_cast<T*>(Screen->ActiveForm()); }

    // Runs Action, answering the message window it opens; returns the message's text.
    AnsiString Answered(const std::function<void()>& Action, UINT Key = VK_F4)
    {
        AnsiString Text = "(no message)";
        Inside([&, Key] {
            if (auto* M = Active<TYesNoForm>()) {
                Text = M->msg->Caption();
                uitest::PressKey(Key);
            }
        });
        Action();
        return Text;
    }

    TMemoryDrawStore* Store = nullptr;
    std::filesystem::path OldDir;
};
