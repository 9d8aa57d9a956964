#pragma once

// Steps that run one per idle moment of whatever message loop is running, for test fixtures
// that open modal windows: a modal window runs its own loop, so what the test does inside it
// must be queued before it opens. A fixture derives from IdleSteps and hooks RunNextStep to the
// application's idle event:
//
//     Application->OnIdle = [this](TObject*, bool& Done) { RunNextStep(Done); };
//
// A loop that stays idle with no step left waits for input the test did not give: after a
// thousand idle moments the test fails and the active form is closed (mrAbort), so the run ends
// instead of hanging. A fixture whose tests run the application's main loop asks for that loop
// to end too.
//
// Header only: the harness library stands below the component classes this needs.

#include "platform/forms/Forms.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>

namespace uitest {

class IdleSteps {
protected:
    explicit IdleSteps(bool TerminateWhenStuck = false) : FTerminateWhenStuck(TerminateWhenStuck) {}

    // Runs the first step queued; with none, counts towards giving up.
    void RunNextStep(bool& Done)
    {
        Done = false;
        if (!Steps.empty()) {
            FIdleWithoutSteps = 0;
            auto Step = std::move(Steps.front());
            Steps.pop_front();
            Step();
            return;
        }
        if (++FIdleWithoutSteps > 1000) {
            FIdleWithoutSteps = 0;
            ADD_FAILURE() << "a message loop waited for input the test did not give";
            if (TCustomForm* F = ::Screen->ActiveForm())
                F->SetModalResult(mrAbort);
            if (FTerminateWhenStuck)
                ::Application->Terminate();
        }
    }

    std::deque<std::function<void()>> Steps;

private:
    int FIdleWithoutSteps = 0;
    bool FTerminateWhenStuck;
};

} // namespace uitest
