// Saving and loading a recorded polyline: every point is a key "XYn" of the object's value list,
// so the cost per point must not grow with the number of points. Run at 1,000 and 16,000
// points; the anchor in the same run is BM_PolylineBlockAsText, reading the same block into a
// plain string list with no key looked up, the least a load can cost.

#include "print/VuObjects.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using TOwnedObject = std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)>;

TOwnedObject Polyline(TVuResourceTable* Table, Integer Points)
{
    TOwnedObject O(CreateVuObject(16, Table), [](TVuBaseObject* P) { P->Free(); });
    TVuPolyPoints P;
    for (Integer I = 0; I < Points; ++I)
        P.push_back(VuPoint(0.5 + (I % 700) / 100.0L, 0.5 + I / 1600.0L));
    static_cast<TVuPolyBaseObject*>(O.get())->SetPoints(vuInches, P);
    return O;
}

void BM_SavePolyline(benchmark::State& State)
{
    TVuResourceTable Table;
    TOwnedObject O = Polyline(&Table, static_cast<Integer>(State.range(0)));
    for (auto _ : State) {
        TMemoryStream S;
        O->SaveToStream(&S);
        State.counters["bytes"] = static_cast<double>(S.Size());
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_SavePolyline)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

void BM_LoadPolyline(benchmark::State& State)
{
    TVuResourceTable Table;
    TMemoryStream S;
    Polyline(&Table, static_cast<Integer>(State.range(0)))->SaveToStream(&S);
    for (auto _ : State) {
        S.SetPosition(0);
        TOwnedObject O(CreateVuObject(S.ReadInteger(), &Table), [](TVuBaseObject* P) { P->Free(); });
        O->LoadFromStream(&S);
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_LoadPolyline)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

void BM_PolylineBlockAsText(benchmark::State& State)
{
    TVuResourceTable Table;
    TMemoryStream S;
    Polyline(&Table, static_cast<Integer>(State.range(0)))->SaveToStream(&S);
    for (auto _ : State) {
        S.SetPosition(4);
        TVuValueList L;
        L.LoadFromStream(&S);
        benchmark::DoNotOptimize(L.Count());
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_PolylineBlockAsText)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
