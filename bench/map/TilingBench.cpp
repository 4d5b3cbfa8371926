// The tiling check of 999 districts: a jittered grid whose cells share every edge, and the
// demonstration village at that size. Both tile their boundary, so nothing may be found. Then
// the whole settlement's check as "tamberon check" runs it: the village of 999 districts and
// 20,000 functional regions read from its folder (districts, zones, functional).
#include "bench/QuietQt.h"
#include "gis/SettlementTiling.h"
#include "map/Geometry.h"
#include "map/LayerTiling.h"
#include "tests/map/TilingScene.h"
#include "tools/demo/DemoSettlement.h"
#include "tools/demo/VillageMap.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Run(benchmark::State& state, const std::vector<const OGRGeometry*>& boundary,
         const std::vector<TilingRegion>& regions) {
    TilingStats stats;
    for (auto _ : state) {
        const auto found = FindTilingFaults(boundary, regions, {}, &stats);
        if (!found.empty())
            state.SkipWithError("the regions were expected to tile their boundary");
    }
    state.counters["regions"] = static_cast<double>(regions.size());
    state.counters["pairs"] = static_cast<double>(stats.candidates);
}

// 27 × 37 = 999 cells of 200 m, each edge with a moved middle vertex.
void BM_TilingGrid999(benchmark::State& state) {
    const Scene grid = JitteredGrid(27, 37, 200, 2026);
    Run(state, grid.boundary, grid.regions);
}
BENCHMARK(BM_TilingGrid999)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TilingVillage999(benchmark::State& state) {
    const VillageMap village = BuildVillageMap(999, 999);
    std::vector<TilingRegion> regions;
    for (const VillageMap::District& d : village.districts)
        regions.push_back({d.shape.geometry()->ogr(), QString::number(d.number)});
    Run(state, {village.boundary.geometry()->ogr()}, regions);
}
BENCHMARK(BM_TilingVillage999)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SettlementTiling999(benchmark::State& state) {
    QTemporaryDir dir;
    QString error;
    if (!WriteDemoLayers(dir.path(), DemoSize{999, 20000}, &error))
        qFatal("%s", qPrintable(error));
    for (auto _ : state) {
        SettlementTiling tiling;
        CheckSettlementTiling(dir.path(), tiling);
        if (!tiling.clean())
            state.SkipWithError(qPrintable(tiling.lines().value(0)));
    }
}
BENCHMARK(BM_SettlementTiling999)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    bench::QuietQt();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
