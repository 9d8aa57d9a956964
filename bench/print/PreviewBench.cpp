// Previewing a long document: a 200-page prize list (each page 40 rows of three text boxes and a
// rule, about 160 objects) in a 1000 × 760 preview at 100 % zoom, with thumbnails beside it.
//
// - PageTurn: showing a page not seen at this zoom: one full drawing of its objects at 600 dpi
//   into the off-screen sheet, then the copy to the window.
// - Repaint / Scroll: painting the same page again (exposure, scrolling by keys): a copy of the
//   rendered sheet only, so it must cost a small fraction of PageTurn whatever the page holds.
// - ThumbnailStrip: scrolling the thumbnail column by a screenful; each thumbnail draws its page
//   once (in the first run), later passes copy: thumbnail_renders counts the drawings of the
//   last run, which should be 0.
// - RepaintUncached: the same paint with the sheet drawn afresh, for comparison.
// - RecordDocument: recording the 200 pages through the canvas inside one update.
// - ZoomStep: one zoom step at 400 % (the view only, and half a view around it, rendered) beside
//   one at 100 % (the whole sheet rendered) as the anchor.
//
// Run with the project's font map: FONTCONFIG_FILE=platform/fonts/fonts.conf.

#include "print/VuThumbnails.h"

#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int Pages = 200;
constexpr int RowsPerPage = 40;

TForm* BenchForm()
{
    return uitest::BenchForm(1200, 800, TSize{1600, 1000});
}

void RecordPrizeList(TVuPreview* P)
{
    P->BeginUpdate();
    P->Clear();
    TVuCanvas* C = P->Canvas();
    C->SetFontValues("Arial", 10, clBlack, TFontStyles{});
    C->SetBrushValues(clWhite, bsClear);
    int Prize = 1;
    char Text[96];
    for (int Page = 1; Page <= Pages; ++Page) {
        if (Page > 1)
            P->NewPage();
        for (int Row = 0; Row < RowsPerPage; ++Row, ++Prize) {
            const Extended Y = 0.8 + Row * 0.25;
            C->SetPenValues(2, clGray, psClear);
            std::snprintf(Text, sizeof Text, "%d.", Prize);
            C->TextBox(0.75, Y, 1.3, Y + 0.22, Text, taRightJustify, vuMiddle, vuInches);
            std::snprintf(Text, sizeof Text, "Prize number %d: a hamper of local produce", Prize);
            C->TextBox(1.45, Y, 6.0, Y + 0.22, Text, taLeftJustify, vuMiddle, vuInches);
            std::snprintf(Text, sizeof Text, "%d", 1 + Prize % 5);
            C->TextBox(6.1, Y, 7.5, Y + 0.22, Text, taCenter, vuMiddle, vuInches);
            C->SetPenValues(2, clSilver, psSolid);
            C->Line(0.75, Y + 0.24, 7.5, Y + 0.24, vuInches);
        }
    }
    P->EndUpdate();
    P->FirstPage();
}

struct Setup {
    TVuPreview* Preview;
    TVuThumbnails* Thumbs;
};

Setup& LongDocument()
{
    static Setup S = [] {
        TForm* F = BenchForm();
        auto* Thumbs = New<TVuThumbnails>(F);
        Thumbs->SetParent(F);
        Thumbs->SetBounds(0, 0, 120, 760);
        Thumbs->SetLayout(vuThumbVert);
        auto* P = New<TVuPreview>(F);
        P->SetParent(F);
        P->SetBounds(130, 0, 1000, 760);
        RecordPrizeList(P);
        Thumbs->SetPreview(P);
        P->SetZoom(100);
        uitest::PumpUntilIdle();
        return Setup{P, Thumbs};
    }();
    return S;
}

void BM_PreviewPageTurn(benchmark::State& State)
{
    TVuPreview* P = LongDocument().Preview;
    for (auto _ : State) {
        if (P->GetCurrentPageNum() == P->GetNumPages())
            P->FirstPage();
        else
            P->NextPage();
        uitest::PumpUntilIdle();
    }
    State.counters["objects_per_page"] = P->GetCurrentPage()->Count();
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(BM_PreviewPageTurn)->Unit(benchmark::kMillisecond);

void BM_PreviewRepaint(benchmark::State& State)
{
    TVuPreview* P = LongDocument().Preview;
    uitest::PumpUntilIdle();
    const Integer Renders = P->PaperImage()->RenderCount();
    for (auto _ : State) {
        P->Invalidate();
        uitest::PumpUntilIdle();
    }
    State.counters["renders"] = P->PaperImage()->RenderCount() - Renders;
}
BENCHMARK(BM_PreviewRepaint)->Unit(benchmark::kMillisecond);

// What every paint would cost if the page were drawn afresh each time (the sheet dropped first).
void BM_PreviewRepaintUncached(benchmark::State& State)
{
    TVuPreview* P = LongDocument().Preview;
    for (auto _ : State) {
        P->PaperImage()->InvalidatePage();
        uitest::PumpUntilIdle();
    }
}
BENCHMARK(BM_PreviewRepaintUncached)->Unit(benchmark::kMillisecond);

void BM_PreviewScroll(benchmark::State& State)
{
    TVuPreview* P = LongDocument().Preview;
    P->SetFocus();
    uitest::PumpUntilIdle();
    const Integer Renders = P->PaperImage()->RenderCount();
    bool Down = true;
    for (auto _ : State) {
        TControlScrollBar* V = P->VertScrollBar();
        if (V->Position() >= V->Range() - P->ClientHeight())
            Down = false;
        else if (V->Position() == 0)
            Down = true;
        uitest::PressKey(Down ? VK_NEXT : VK_PRIOR);
    }
    State.counters["renders"] = P->PaperImage()->RenderCount() - Renders;
}
BENCHMARK(BM_PreviewScroll)->Unit(benchmark::kMillisecond);

// One zoom step at a deep zoom (between the given zoom and the variable step below it,
// alternately: 350 and 400 %), the view scrolled to the middle of the page; the same at 100 %, where the
// whole sheet is rendered once per zoom, is the anchor. At deep zooms only the view and half a view around it
// are rendered (cached_kpixels), not the whole sheet (sheet_kpixels).
void BM_PreviewZoomStep(benchmark::State& State)
{
    TVuPreview* P = LongDocument().Preview;
    const Integer Zoom = static_cast<Integer>(State.range(0));
    P->SetMaxZoom(800);
    P->SetZoom(Zoom);
    P->ScrollToPosition(50, 50);
    uitest::PumpUntilIdle();
    Integer Lower = Zoom;
    for (Integer Z : VU_VARIABLE_ZOOM)
        if (Z < Zoom)
            Lower = Z;
    bool Up = false;
    for (auto _ : State) {
        P->SetZoom(Up ? Zoom : Lower);
        Up = !Up;
        uitest::PumpUntilIdle();
    }
    const TRect Kept = P->PaperImage()->CachedRect();
    const TSize Sheet = P->PaperImage()->GetPageExtent(96);
    State.counters["cached_kpixels"] = Kept.Width() * double(Kept.Height()) / 1000;
    State.counters["sheet_kpixels"] = Sheet.cx * double(Sheet.cy) / 1000;
    P->SetZoom(100);
    uitest::PumpUntilIdle();
}
BENCHMARK(BM_PreviewZoomStep)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_ThumbnailStrip(benchmark::State& State)
{
    Setup& S = LongDocument();
    TControlScrollBar* V = S.Thumbs->VertScrollBar();
    auto Renders = [&S] {
        Integer N = 0;
        for (Integer I = 0; I < S.Thumbs->ThumbnailCount(); ++I)
            N += S.Thumbs->GetThumbnail(I)->RenderCount();
        return N;
    };
    const Integer Before = Renders();
    for (auto _ : State) {
        if (V->Position() >= V->Range() - S.Thumbs->ClientHeight())
            V->SetPosition(0);
        else
            V->SetPosition(V->Position() + S.Thumbs->ClientHeight());
        uitest::PumpUntilIdle();
    }
    State.counters["thumbnail_renders"] = Renders() - Before;
    State.counters["thumbnails"] = S.Thumbs->ThumbnailCount();
}
BENCHMARK(BM_ThumbnailStrip)->Unit(benchmark::kMillisecond);

void BM_RecordDocument(benchmark::State& State)
{
    TForm* F = BenchForm();
    auto* P = New<TVuPreview>(F);
    P->SetParent(F);
    P->SetBounds(130, 0, 1000, 760);
    for (auto _ : State)
        RecordPrizeList(P);
    State.SetItemsProcessed(State.iterations() * Pages);
    P->Free();
}
BENCHMARK(BM_RecordDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
