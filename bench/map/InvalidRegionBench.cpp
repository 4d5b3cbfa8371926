// A functional-use region of 100,000 vertices drawn crossing itself, overlaid on 20 districts
// as "З мапи" does: repaired first, it must stay within a time budget; beside it the same
// overlay with the region made valid beforehand. Prints the figures and fails over budget.
#include "map/FeatureFactory.h"
#include "map/Overlay.h"
#include "map/TabFile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <numbers>
#include <ogr_geometry.h>

namespace {

constexpr int kVertices = 100000;
constexpr double kBudgetSeconds = 5.0;

// A ring round (500, 400) of radius about 380 m with a jagged border; every 40th pair of
// neighbouring vertices swapped, so the border crosses itself 2,500 times.
std::vector<QPointF> JaggedRing(bool crossing) {
    QRandomGenerator rng(21);
    std::vector<QPointF> ring;
    ring.reserve(kVertices);
    for (int i = 0; i < kVertices; ++i) {
        const double a = 2 * std::numbers::pi * i / kVertices;
        const double r = 380 * (0.95 + 0.05 * rng.generateDouble());
        ring.emplace_back(500 + r * std::cos(a), 400 + r * std::sin(a));
    }
    if (crossing)
        for (int i = 0; i + 1 < kVertices; i += 40)
            std::swap(ring[static_cast<size_t>(i)], ring[static_cast<size_t>(i) + 1]);
    return ring;
}

std::unique_ptr<Layer> WriteLayer(const QString& path, const QString& field,
                                  const std::vector<std::pair<Feature, QString>>& items) {
    const std::vector<FieldDef> fields{FieldDef{field, FieldKind::Char, 20, 0, false}};
    QString error;
    auto names = std::make_shared<const QStringList>(QStringList{field});
    FeatureList features;
    for (const auto& [shape, value] : items) {
        Feature f = shape;
        f.setFields(names);
        f.setValueAt(0, value);
        features.push_back(f);
    }
    if (!TabFile::create(path, fields, CoordSys{}, true, QString(), &error) ||
        !TabFile::appendAll(path, features, &error))
        qFatal("%s", qPrintable(error));
    auto layer = OpenOverlayLayer(path, &error);
    if (!layer)
        qFatal("%s", qPrintable(error));
    return layer;
}

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<Layer> districts;
    std::unique_ptr<Layer> functional;

    explicit Fixture(bool crossing) {
        std::vector<std::pair<Feature, QString>> squares;
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 5; ++col)
                squares.push_back(
                    {FeatureFactory::createRegion({{{col * 200.0, row * 200.0},
                                                    {col * 200.0 + 200, row * 200.0},
                                                    {col * 200.0 + 200, row * 200.0 + 200},
                                                    {col * 200.0, row * 200.0 + 200}}}),
                     QString::number(row * 5 + col + 1)});
        districts = WriteLayer(dir.filePath(QStringLiteral("райони.tab")), QStringLiteral("Raion"),
                               squares);
        functional = WriteLayer(
            dir.filePath(QStringLiteral("функціональне.tab")), QStringLiteral("Code"),
            {{FeatureFactory::createRegion({JaggedRing(crossing)}), QStringLiteral("Ж")}});
    }
};

void Run(benchmark::State& state, bool crossing) {
    Fixture fx(crossing);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const std::clock_t cpu = std::clock();
        double area = 0;
        const OverlayStats stats = Overlay(
            *fx.districts, {fx.functional.get()}, OverlayTest::Area,
            [&area](const OverlayPair& p, const Feature&, const Feature&) { area += p.area; });
        const double seconds = clock.nsecsElapsed() / 1e9;
        // The budget counts the processor's time, so a busy machine does not fail it.
        const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        state.counters["area_ha"] = area / 10000;
        state.counters["repairs"] = static_cast<double>(stats.repairs.size());
        state.counters["failed"] = static_cast<double>(stats.failed);
        state.counters["seconds"] = seconds;
        state.counters["cpu_seconds"] = cpuSeconds;
        if (cpuSeconds > kBudgetSeconds)
            state.SkipWithError("over the time budget of 5 s");
    }
}

void BM_OverlayInvalidRegion100k(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_OverlayInvalidRegion100k)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OverlayValidRegion100k(benchmark::State& state) {
    Run(state, false);
}
BENCHMARK(BM_OverlayValidRegion100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// "Стоп" pressed 0.3 s into the overlay of the self-crossing region (during its repair): how
// long the overlay takes to end.
void BM_StopDuringRepair(benchmark::State& state) {
    Fixture fx(true);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 asked = 0;
        const OverlayStats stats = Overlay(*fx.districts, {fx.functional.get()}, OverlayTest::Area,
                                           {}, [&](qint64, qint64) {
                                               ++asked;
                                               return clock.elapsed() < 300;
                                           });
        state.counters["stopped"] = stats.stopped ? 1 : 0;
        state.counters["asked"] = static_cast<double>(asked);
        state.counters["ms_after_stop"] = static_cast<double>(clock.elapsed() - 300);
    }
}
BENCHMARK(BM_StopDuringRepair)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
