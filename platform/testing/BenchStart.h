#pragma once

// The headless start of a benchmark program. A benchmark runs outside CTest, which would choose
// the backend and the pinned font map for it, so it sets both itself (an environment that already
// names them wins) and starts once for the whole run.
//
// Header only, for the benchmarks in bench/; the including target defines DRAWMERE_SOURCE_DIR.

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <cstdlib>

#ifndef DRAWMERE_SOURCE_DIR
#error "BenchStart.h needs DRAWMERE_SOURCE_DIR, the source tree that holds the font map"
#endif

namespace uitest {

// Starts the headless backend with a screen of Screen on the first call; later calls do nothing.
inline void StartBenchmark(TSize Screen = TSize{1024, 768})
{
    static const bool Started = [Screen] {
        ::setenv("PLATFORM_BACKEND", "headless", 0);
        ::setenv("FONTCONFIG_FILE", DRAWMERE_SOURCE_DIR "/platform/fonts/fonts.conf", 0);
        Start(Screen);
        return true;
    }();
    (void)Started;
}

// One shown form of Width x Height for the whole run, made (and the backend started) on the
// first call; later calls return it whatever they ask.
inline TForm* BenchForm(int Width, int Height, TSize Screen = TSize{1024, 768})
{
    static TForm* const Form = [=] {
        StartBenchmark(Screen);
        TForm* F = New<TForm>(::Application);
        F->SetBounds(0, 0, Width, Height);
        F->Show();
        PumpUntilIdle();
        return F;
    }();
    return Form;
}

} // namespace uitest
