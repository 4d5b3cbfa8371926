// The check of the values taken from the map on a settlement of 999 districts, 20,000
// functional regions and thirty local factor layers of 500 regions: every step's layers
// recorded, nothing changed since, so the whole check reads the records and hashes the layers.
#include "bench/LocalFactorLayers.h"
#include "bench/QuietQt.h"
#include "db/Database.h"
#include "map/LayerFingerprint.h"
#include "map/Overlay.h"
#include "map/TabFile.h"
#include "steps/common/StepLayers.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/LayerFingerprints.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct LargeSettlement {
    QTemporaryDir dir;
    Connection project;

    LargeSettlement() {
        QString error;
        if (!WriteDemoLayers(dir.path(), DemoSize{999, 20000}, &error))
            qFatal("%s", qPrintable(error));
        for (const QString& name : demo::localLayers())
            TabFile::removeFiles(dir.filePath(name + QStringLiteral(".tab")));
        const auto districts = OpenOverlayLayer(dir.filePath(QStringLiteral("райони.tab")), &error);
        WriteBenchLocalLayers(dir.path(), districts->bounds(), 30, 500);
        if (!project.create(dir.filePath(QStringLiteral("data.sqlite"))))
            qFatal("the settlement database cannot be made");
        for (const valuation::Step step : {valuation::Step::Areas, valuation::Step::ZonalGrouped,
                                           valuation::Step::Functional, valuation::Step::Local})
            if (!valuation::StoreLayerUses(project, step, FingerprintStepLayers(dir.path(), step)))
                qFatal("the layers cannot be recorded");
    }
};

LargeSettlement& Large() {
    static LargeSettlement settlement;
    return settlement;
}

// The whole check of the layers when nothing changed: it must find nothing.
void BM_CheckLayersUnchanged(benchmark::State& state) {
    LargeSettlement& large = Large();
    for (auto _ : state) {
        valuation::CheckResult result;
        QString error;
        if (!CheckStepLayers(large.project, large.dir.path(), result, &error))
            qFatal("%s", qPrintable(error));
        if (!result.mapChanges.empty() || !result.mapNotes.empty())
            qFatal("the unchanged layers were found changed");
    }
}
BENCHMARK(BM_CheckLayersUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

// The largest layer alone: 20,000 functional regions.
void BM_FingerprintFunctional(benchmark::State& state) {
    LargeSettlement& large = Large();
    const QString path = large.dir.filePath(QStringLiteral("функціональне.tab"));
    for (auto _ : state) {
        QString fingerprint;
        if (!LayerFingerprint(path, {QStringLiteral("Code")}, fingerprint))
            qFatal("the functional layer cannot be read");
        benchmark::DoNotOptimize(fingerprint);
    }
}
BENCHMARK(BM_FingerprintFunctional)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    bench::QuietQt();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
