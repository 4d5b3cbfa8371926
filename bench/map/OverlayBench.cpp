// Overlays of the functional-use and local-factor steps, and the zone rebuild of the zonal
// steps, each beside the way it was done before (every pair tried; one file opening per
// object) so one run prints both.
#include "BenchData.h"

#include "bench/LocalFactorLayers.h"
#include "map/FeatureFactory.h"
#include "map/Layer.h"
#include "map/MapDocument.h"
#include "map/MapGlobal.h"
#include "map/Overlay.h"
#include "map/TabFile.h"
#include "tools/demo/DemoSettlement.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <numbers>

namespace {

QString LargeTab(const char* name) {
    return LargeFolder() + u'/' + QString::fromUtf8(name) + QStringLiteral(".tab");
}

std::unique_ptr<Layer> OpenOrDie(const QString& path) {
    QString error;
    auto layer = OpenOverlayLayer(path, &error);
    if (!layer)
        qFatal("%s", qPrintable(error));
    return layer;
}

// The functional-use step's rule: area per (district, code), codes in upper case.
struct AreaSums {
    std::map<std::pair<QString, QString>, double> byKey;
    void add(const Feature& district, const Feature& region, double area) {
        QString number, code;
        district.value(QStringLiteral("Raion"), &number);
        region.value(QStringLiteral("Code"), &code);
        if (!code.isEmpty())
            byKey[{number, code.toUpper()}] += area;
    }
};

// Before: every district against every region through the feature factory.
void BM_OverlayFunctionalAllPairs(benchmark::State& state) {
    MapDocument map;
    const auto districts = OpenOrDie(LargeTab("райони"));
    const auto functional = OpenOrDie(LargeTab("функціональне"));
    for (auto _ : state) {
        AreaSums sums;
        for (const Feature& d : districts->features())
            for (const Feature& f : functional->features()) {
                Feature part;
                if (FeatureFactory::intersect(d, f, part, nullptr) == GeometryResult::Ok)
                    sums.add(d, f, FeatureArea(part, map, AreaSquareMetre));
            }
        state.counters["sums"] = static_cast<double>(sums.byKey.size());
    }
}
BENCHMARK(BM_OverlayFunctionalAllPairs)->Unit(benchmark::kMillisecond)->Iterations(1);

// After: candidates from the index, prepared districts, areas only across borders.
void BM_OverlayFunctional(benchmark::State& state) {
    const auto districts = OpenOrDie(LargeTab("райони"));
    const auto functional = OpenOrDie(LargeTab("функціональне"));
    for (auto _ : state) {
        AreaSums sums;
        const OverlayStats stats = Overlay(*districts, {functional.get()}, OverlayTest::Area,
                                           [&sums](const OverlayPair& p, const Feature& d,
                                                   const Feature& f) { sums.add(d, f, p.area); });
        state.counters["sums"] = static_cast<double>(sums.byKey.size());
        state.counters["candidates"] = static_cast<double>(stats.candidates);
    }
}
BENCHMARK(BM_OverlayFunctional)->Unit(benchmark::kMillisecond);

// What the step's button costs: both tables read from their files, then the overlay.
void BM_OverlayFunctionalFromFiles(benchmark::State& state) {
    for (auto _ : state) {
        const auto districts = OpenOrDie(LargeTab("райони"));
        const auto functional = OpenOrDie(LargeTab("функціональне"));
        AreaSums sums;
        Overlay(*districts, {functional.get()}, OverlayTest::Area,
                [&sums](const OverlayPair& p, const Feature& d, const Feature& f) {
                    sums.add(d, f, p.area);
                });
        benchmark::DoNotOptimize(sums);
    }
}
BENCHMARK(BM_OverlayFunctionalFromFiles)->Unit(benchmark::kMillisecond);

// Thirty local-factor layers "лок01".."лок30" of 500 round areas each over the settlement.
const QString& LocalFactorFolder() {
    static QTemporaryDir dir;
    static const bool written = [] {
        WriteBenchLocalLayers(dir.path(), OpenOrDie(LargeTab("межі"))->bounds(), 30, 500);
        return true;
    }();
    (void)written;
    static const QString path = dir.path();
    return path;
}

std::vector<std::unique_ptr<Layer>> OpenLocalFactorLayers() {
    std::vector<std::unique_ptr<Layer>> layers;
    for (int k = 1; k <= 30; ++k)
        layers.push_back(OpenOrDie(LocalFactorFolder() +
                                   QStringLiteral("/лок%1.tab").arg(k, 2, 10, QChar(u'0'))));
    return layers;
}

// The local-factor step's rule: (district, factor, value) of every region over a district.
struct FactorValues {
    std::vector<std::tuple<QString, int, QString>> found;
    void add(const OverlayPair& p, const Feature& district, const Feature& region) {
        QString number, value;
        district.value(QStringLiteral("Raion"), &number);
        region.value(QStringLiteral("Km3"), &value);
        found.emplace_back(number, p.layer + 1, value);
    }
};

void BM_OverlayLocalFactors(benchmark::State& state) {
    const auto districts = OpenOrDie(LargeTab("райони"));
    const auto owned = OpenLocalFactorLayers();
    std::vector<const Layer*> layers;
    for (const auto& l : owned)
        layers.push_back(l.get());
    for (auto _ : state) {
        FactorValues values;
        Overlay(*districts, layers, OverlayTest::Overlap,
                [&values](const OverlayPair& p, const Feature& d, const Feature& f) {
                    values.add(p, d, f);
                });
        state.counters["values"] = static_cast<double>(values.found.size());
    }
}
BENCHMARK(BM_OverlayLocalFactors)->Unit(benchmark::kMillisecond);

void BM_OverlayLocalFactorsFromFiles(benchmark::State& state) {
    LocalFactorFolder();
    for (auto _ : state) {
        const auto districts = OpenOrDie(LargeTab("райони"));
        const auto owned = OpenLocalFactorLayers();
        std::vector<const Layer*> layers;
        for (const auto& l : owned)
            layers.push_back(l.get());
        FactorValues values;
        Overlay(*districts, layers, OverlayTest::Overlap,
                [&values](const OverlayPair& p, const Feature& d, const Feature& f) {
                    values.add(p, d, f);
                });
        benchmark::DoNotOptimize(values);
    }
}
BENCHMARK(BM_OverlayLocalFactorsFromFiles)->Unit(benchmark::kMillisecond);

// Fifty zones of neighbouring districts: blocks of a 5 x 10 grid over the settlement.
int ZoneOf(const Feature& district, const MapRect& all) {
    const QPointF c = district.bounds().centre();
    const int col = std::min(4, static_cast<int>((c.x() - all.xMin) / all.width() * 5));
    const int row = std::min(9, static_cast<int>((c.y() - all.yMin) / all.height() * 10));
    return row * 5 + col + 1;
}

// A fresh copy of the small settlement per iteration, made before the timing starts (and
// removed after it ends).
struct ZoneFixture {
    QTemporaryDir dir;
    MapDocument map;
    Layer* zones = nullptr;
    Layer* districts = nullptr;
    ZoneFixture() {
        WriteDemoLayers(dir.path(), DemoSize{999, 1}, nullptr);
        zones = AddLayer(map, dir.filePath(QStringLiteral("зони.tab")), true);
        districts = AddLayer(map, dir.filePath(QStringLiteral("райони.tab")), true);
    }
};

std::vector<std::unique_ptr<ZoneFixture>> Fixtures(const benchmark::State& state) {
    std::vector<std::unique_ptr<ZoneFixture>> out;
    for (benchmark::IterationCount i = 0; i < state.max_iterations; ++i)
        out.push_back(std::make_unique<ZoneFixture>());
    return out;
}

// Before: every deletion, district update and zone write opens the table once.
void BM_ZoneRebuildPerObject(benchmark::State& state) {
    auto fixtures = Fixtures(state);
    size_t next = 0;
    for (auto _ : state) {
        ZoneFixture& fx = *fixtures[next++];
        Dataset data(fx.districts);
        const MapRect all = fx.districts->bounds();
        for (const Feature& f : fx.zones->allFeatures())
            fx.zones->deleteFeature(f, nullptr);
        std::map<int, Feature> byZone;
        for (Feature d : fx.districts->allFeatures()) {
            const int zone = ZoneOf(d, all);
            data.setValue(d, QStringLiteral("Zona"), QString::number(zone));
            fx.districts->updateFeature(d, nullptr);
            auto it = byZone.find(zone);
            if (it == byZone.end()) {
                byZone.emplace(zone, *fx.zones->addFeature(d, nullptr));
                continue;
            }
            Feature merged;
            FeatureFactory::combine(it->second, d, merged, nullptr);
            it->second = merged;
        }
        for (auto& [zone, feature] : byZone)
            fx.zones->updateFeature(feature, nullptr);
        state.counters["zones"] = static_cast<double>(byZone.size());
    }
}
BENCHMARK(BM_ZoneRebuildPerObject)->Unit(benchmark::kMillisecond)->Iterations(1);

// After: the unions in memory, each table written once and atomically.
void BM_ZoneRebuild(benchmark::State& state) {
    auto fixtures = Fixtures(state);
    size_t next = 0;
    for (auto _ : state) {
        ZoneFixture& fx = *fixtures[next++];
        Dataset data(fx.districts);
        Dataset zoneData(fx.zones);
        const MapRect all = fx.districts->bounds();
        std::map<int, Feature> byZone;
        FeatureList districts = fx.districts->allFeatures();
        for (Feature& d : districts) {
            const int zone = ZoneOf(d, all);
            data.setValue(d, QStringLiteral("Zona"), QString::number(zone));
            auto it = byZone.find(zone);
            if (it == byZone.end()) {
                byZone.emplace(zone, d);
                continue;
            }
            Feature merged;
            FeatureFactory::combine(it->second, d, merged, nullptr);
            it->second = merged;
        }
        FeatureList zones;
        for (auto& [zone, feature] : byZone) {
            zoneData.setValue(feature, QStringLiteral("Zona"), QString::number(zone));
            zoneData.setValue(feature, QStringLiteral("Km2"), QStringLiteral("1.00"));
            zones.push_back(feature);
        }
        QString error;
        if (!fx.districts->updateFeatures(districts, &error) ||
            !fx.zones->replaceAll(zones, &error))
            state.SkipWithError(qPrintable(error));
        state.counters["zones"] = static_cast<double>(fx.zones->featureCount());
    }
}
BENCHMARK(BM_ZoneRebuild)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
