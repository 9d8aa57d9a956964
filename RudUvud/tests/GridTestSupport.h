#pragma once

// A headless form to put grids on, and helpers shared by the grid tests.

// The state blocks the tests look into through the grid's accessors.
#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <cstdlib>

namespace gridtest {

// One headless application for the whole test binary; each test gets a fresh form.
inline TForm* NewForm()
{
    static bool Started = [] {
        uitest::Start();
        return true;
    }();
    (void)Started;
    TForm* F = New<TForm>(Application);
    F->SetBounds(0, 0, 800, 600);
    F->Show();
    uitest::PumpUntilIdle();
    return F;
}

// A grid shown on its own form; the form owns it.
inline TDidAririzEvar* NewShownGrid(TForm* Form, Integer Cols = 5, Integer Rows = 10)
{
    TDidAririzEvar* G = New<TDidAririzEvar>(Form);
    G->SetParent(Form);
    G->SetBounds(0, 0, 600, 400);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    uitest::PumpUntilIdle();
    return G;
}

} // namespace gridtest
