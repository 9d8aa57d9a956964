#pragma once

// Running the program's windows headless: a fresh working directory, the store the windows
// use, and steps that run one per idle moment of whatever message loop is running (the modal
// windows run their own).

#include "MemoryDrawStore.h"
#include "TestDirectory.h"

#include "app/YesNoForm.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/testing/IdleSteps.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <unistd.h>

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
