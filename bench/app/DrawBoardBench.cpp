// The draw board's walk, headless, on square boards from 30 x 30 to the largest the options
// window accepts. A move must cost far less than the 50 ms the walk waits between moves,
// whatever the size of the board; opening the board is done once per draw session.

#include "app/LotteryForm.h"
#include "app/tests/MemoryDrawStore.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void StartHeadless()
{
    static bool Started = [] {
        uitest::StartBenchmark();
        auto Store = std::make_unique<TMemoryDrawStore>();
        Store->AddPrize("Fountain pen", 200);
        Store->AddPrize("Tea set", 100);
        Store->AddPrize("Bicycle", 5);
        SetDrawStore(std::move(Store));
        return true;
    }();
    (void)Started;
}

// A board shown and painted, as the draw command leaves it.
TLotteryForm* OpenBoard(Integer Size)
{
    StartHeadless();
    auto* B = New<TLotteryForm>(Application);
    B->SetPersonsLeft(TDrawBoard::MaxPersons);
    B->grid->SetRowCount(Size);
    B->grid->SetColCount(Size);
    B->SetNoPrizeText("No prize");
    B->Show();
    uitest::PumpUntilIdle();
    return B;
}

void BM_BoardOpen(benchmark::State& State)
{
    for (auto _ : State) {
        TLotteryForm* B = OpenBoard(static_cast<Integer>(State.range(0)));
        State.PauseTiming();
        B->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_BoardOpen)->Arg(30)->Arg(100)->Arg(TDrawBoard::MaxRows)->Unit(benchmark::kMillisecond);

// One move of the highlight with its repaint; every fifty moves a new draw starts (its start
// scrolls the board when the walk begins out of view).
void BM_BoardMove(benchmark::State& State)
{
    TLotteryForm* B = OpenBoard(static_cast<Integer>(State.range(0)));
    for (auto _ : State) {
        if (B->Board().StepsLeft() <= 0) {
            State.PauseTiming();
            if (B->Board().StepsLeft() == 0)
                B->Timer1Timer(B); // the landing
            B->saveActionExecute(B);
            uitest::PumpUntilIdle();
            State.ResumeTiming();
        }
        B->Timer1Timer(B);
    }
    B->Free();
    uitest::PumpUntilIdle();
}
BENCHMARK(BM_BoardMove)->Arg(30)->Arg(100)->Arg(TDrawBoard::MaxRows)->Unit(benchmark::kMicrosecond);

// Everything in view painted again, as when the board scrolls.
void BM_BoardRepaintInView(benchmark::State& State)
{
    TLotteryForm* B = OpenBoard(static_cast<Integer>(State.range(0)));
    for (auto _ : State)
        B->grid->Repaint();
    B->Free();
    uitest::PumpUntilIdle();
}
BENCHMARK(BM_BoardRepaintInView)->Arg(30)->Arg(100)->Arg(TDrawBoard::MaxRows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
