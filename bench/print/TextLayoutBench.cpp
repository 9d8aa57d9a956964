// Text layout of the print suite: measuring text boxes at the virtual resolution, the hot path
// of recording a grid (one box per cell) and of drawing every page again.
//
// Run with the project's font map: FONTCONFIG_FILE=platform/fonts/fonts.conf.

#include "print/VuCanvas.h"
#include "print/VuResources.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const AnsiString Paragraph =
    "The prize list shows every prize of the draw with its remaining quantity; the operator prints it "
    "through the preview before the event and again after it, and the same words must break at the same "
    "places on the screen and on the paper so that the printed list matches what was checked on the screen.";

void BM_TextBoxHeight(benchmark::State& State)
{
    TVuFontMapper* Mapper = VuFontMapper();
    std::unique_ptr<TFont> Font(New<TFont>());
    Font->SetName("Arial");
    Font->SetSize(10);
    TRect Box{0, 0, 2 * CALC_PPI, 0};
    for (auto _ : State)
        benchmark::DoNotOptimize(Mapper->TextBoxHeight(Font.get(), Box, Paragraph));
}
BENCHMARK(BM_TextBoxHeight);

// A grid of 20 distinct cell texts laid out again and again, as the grid printer does.
void BM_GridCellBoxes(benchmark::State& State)
{
    TVuFontMapper* Mapper = VuFontMapper();
    std::unique_ptr<TFont> Font(New<TFont>());
    Font->SetName("Arial");
    Font->SetSize(9);
    TRect Box{0, 0, CALC_PPI, 0};
    std::vector<AnsiString> Cells;
    for (int i = 0; i < 20; ++i)
        Cells.push_back("Prize number " + IntToStr(i) + " with a longer name");
    for (auto _ : State)
        for (const AnsiString& C : Cells)
            benchmark::DoNotOptimize(Mapper->TextBoxHeight(Font.get(), Box, C));
    State.SetItemsProcessed(State.iterations() * 20);
}
BENCHMARK(BM_GridCellBoxes);

// Drawing a laid-out line at printer resolution with carried advances.
void BM_TextOutAdvances(benchmark::State& State)
{
    TVuFontMapper* Mapper = VuFontMapper();
    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(2400, 200);
    B->Canvas()->Font()->SetPixelsPerInch(600);
    B->Canvas()->Font()->SetName("Arial");
    B->Canvas()->Font()->SetSize(10);
    for (auto _ : State)
        Mapper->TextOut(B->Canvas(), 10, 10, nullptr, "Prize list printed on paper at six hundred dpi",
                        false);
}
BENCHMARK(BM_TextOutAdvances);

} // namespace

BENCHMARK_MAIN();
