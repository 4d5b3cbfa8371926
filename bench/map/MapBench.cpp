// Loading and drawing large layers: 20,000 functional regions and 999 districts.
#include "BenchData.h"

#include "bench/QuietQt.h"
#include "map/Layer.h"
#include "map/MapDocument.h"
#include "map/MapGlobal.h"
#include "map/MapRenderer.h"
#include "tools/demo/DemoSettlement.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// One generated settlement shared by all benchmarks.
const QString& LargeFolder() {
    static QTemporaryDir dir;
    static const bool written = [] {
        QString error;
        const bool ok = WriteDemoLayers(dir.path(), DemoSize{999, 20000}, &error);
        if (!ok)
            qFatal("%s", qPrintable(error));
        return ok;
    }();
    (void)written;
    static const QString path = dir.path();
    return path;
}

namespace {

void BM_LoadFunctional20000(benchmark::State& state) {
    const QString path = LargeFolder() + QStringLiteral("/функціональне.tab");
    for (auto _ : state) {
        QString error;
        auto layer = Layer::open(path, QStringLiteral("функціональне"), &error);
        if (!layer || layer->featureCount() != 20000) {
            if (layer)
                error = QStringLiteral("%1 regions").arg(layer->featureCount());
            state.SkipWithError(("load failed: " + error.toStdString()).c_str());
            break;
        }
        benchmark::DoNotOptimize(layer);
    }
}
BENCHMARK(BM_LoadFunctional20000)->Unit(benchmark::kMillisecond);

void BM_LoadDistricts999(benchmark::State& state) {
    const QString path = LargeFolder() + QStringLiteral("/райони.tab");
    for (auto _ : state) {
        auto layer = Layer::open(path, QStringLiteral("райони"), nullptr);
        benchmark::DoNotOptimize(layer);
    }
}
BENCHMARK(BM_LoadDistricts999)->Unit(benchmark::kMillisecond);

// One repaint of the whole settlement (all layers) in a 1200x800 window.
void BM_RepaintWhole(benchmark::State& state) {
    MapDocument map;
    SetNumericCoordSys(map);
    map.setViewportSize({1200, 800});
    for (const char* name : {"межі", "функціональне", "зони", "райони"})
        AddLayer(map, LargeFolder() + u'/' + QString::fromUtf8(name) + QStringLiteral(".tab"),
                 true);
    ZoomToRectangle(map, AllLayersBounds(map));
    QImage image(map.viewportSize(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        RenderMap(map, painter);
    }
}
BENCHMARK(BM_RepaintWhole)->Unit(benchmark::kMillisecond);

// A repaint zoomed in on a corner: most objects are skipped by their envelope.
void BM_RepaintZoomedIn(benchmark::State& state) {
    MapDocument map;
    SetNumericCoordSys(map);
    map.setViewportSize({1200, 800});
    AddLayer(map, LargeFolder() + QStringLiteral("/функціональне.tab"), true);
    const MapRect all = AllLayersBounds(map);
    map.setBounds({all.xMin, all.yMin, all.xMin + all.width() / 10, all.yMin + all.height() / 10});
    QImage image(map.viewportSize(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        RenderMap(map, painter);
    }
}
BENCHMARK(BM_RepaintZoomedIn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietQt();
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
