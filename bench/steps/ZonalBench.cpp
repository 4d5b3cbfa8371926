// The zonal steps on a settlement of 999 districts and 41 scored factors: the indices and Km2,
// opening (tables read, window filled), storing, one zone typed, and the zone layer rebuilt
// for 50 zones. Run: QT_QPA_PLATFORM=offscreen build/bench/steps/bench_steps
#include "bench/QuietQt.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "map/MapGlobal.h"
#include "steps/zonal/ScoreChecks.h"
#include "steps/zonal/WorkingFactors.h"
#include "steps/zonal/ZonalMap.h"
#include "steps/zonal/ZonalStore.h"
#include "steps/zonal/ui/FormOtsenkaZonalnistSEUC.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kDistricts = 999;
constexpr int kFactors = 41;
constexpr int kZones = 50;

QString TemplateDb() {
    const QByteArray dir = qgetenv("TAMBERON_APPDIR");
    const QString appDir =
        dir.isEmpty() ? QStringLiteral(ZONAL_BENCH_APPDIR) : QString::fromLocal8Bit(dir);
    return JoinPath(
        JoinPath(JoinPath(appDir, QStringLiteral("Шаблон")), QStringLiteral("наспункт")),
        QStringLiteral("data.sqlite"));
}

/** 41 factor names, all in a group: the 30 base names, then 11 of them with an addition. */
QStringList FactorNames() {
    QStringList names;
    for (int g = 1; g <= FactorGroupCount; ++g)
        names << GroupBaseNames(g);
    for (int i = 0; names.size() < kFactors; ++i)
        names << names[i] + QStringLiteral(" (додатково)");
    return names;
}

/** A settlement database of 999 districts in 50 zones, nothing of the step stored yet. */
struct Settlement {
    QTemporaryDir dir;
    Connection db;
    ZonalSettlement settlement;
    ZonalTables tables;

    explicit Settlement(ZonalVariant variant) {
        const QString path = dir.filePath(QStringLiteral("data.sqlite"));
        if (!QFile::copy(TemplateDb(), path) || !db.open(path))
            qFatal("no settlement template at %s", qPrintable(TemplateDb()));
        Transaction transaction(db);
        Query q(&db);
        for (int d = 1; d <= kDistricts; ++d)
            RunQuery(q,
                     QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                    "('%1','Площі районів','%2')")
                         .arg(d)
                         .arg(QString::number(5 + d % 17, 'f', 4)),
                     false);
        WriteIndicator(db, names::ind::DistrictCount(), QString::number(kDistricts));
        WriteIndicator(db, names::ind::AverageValue(), QStringLiteral("150.00"));
        WriteIndicator(db, names::ind::Population(), QStringLiteral("120"));
        transaction.commit();
        QString message, failed;
        if (ReadZonalSettlement(db, settlement, &message) != ZonalOpening::Ready ||
            !LoadZonalTables(db, variant, settlement, tables, &failed))
            qFatal("cannot read the settlement: %s", qPrintable(message + failed));
        // The working factors scored for every district; zones of twenty districts.
        for (const QString& name : FactorNames())
            tables.factors.push_back(WorkingItem{name, true});
        ApplyWorkingFactors(tables.anketa, tables.factors);
        for (int row = 1; row < tables.anketa.rowCount(); ++row)
            for (int col = AnketaFirstDistrictCol; col < tables.anketa.colCount(); ++col)
                tables.anketa.set(row, col, QString::number((row + col) % 5 + 1));
        const ResultColumns cols = ResultColumnsOf(variant);
        ComputeIndices(variant, tables.anketa, tables.result);
        for (int row = 1; row < tables.result.rowCount(); ++row)
            tables.result.set(row, cols.zone, QString::number((row - 1) * kZones / kDistricts + 1));
        ComputeKm2(tables.result, cols, settlement.population, settlement.averageValue);
        RebuildZoneList(tables.result, cols, tables.zones);
    }

    bool store(ZonalVariant variant) {
        return StoreZonal(db, variant, tables.factors, tables.anketa, tables.result, tables.zones,
                          ZonalIndicators{QString::number(kZones), QStringLiteral("0.35"),
                                          QStringLiteral("3.00")},
                          nullptr);
    }
};

ZonalVariant VariantOf(const benchmark::State& state) {
    return state.range(0) == 0 ? ZonalVariant::Weighted : ZonalVariant::Grouped;
}

void BM_IndicesAndKm2(benchmark::State& state) {
    const ZonalVariant variant = VariantOf(state);
    Settlement s(variant);
    const ResultColumns cols = ResultColumnsOf(variant);
    for (auto _ : state) {
        const IndexOutcome indices = ComputeIndices(variant, s.tables.anketa, s.tables.result);
        const Km2Outcome km2 =
            ComputeKm2(s.tables.result, cols, s.settlement.population, s.settlement.averageValue);
        benchmark::DoNotOptimize(indices.warning);
        benchmark::DoNotOptimize(km2.maximum);
    }
}
BENCHMARK(BM_IndicesAndKm2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TypeOneZone(benchmark::State& state) {
    Settlement s(ZonalVariant::Grouped);
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Grouped);
    int flip = 0;
    for (auto _ : state) {
        s.tables.result.set(500, cols.zone, QString::number(++flip % 2 + 1));
        const Km2Outcome km2 =
            ComputeKm2(s.tables.result, cols, s.settlement.population, s.settlement.averageValue);
        benchmark::DoNotOptimize(km2.maximum);
    }
}
BENCHMARK(BM_TypeOneZone)->Unit(benchmark::kMillisecond);

void BM_Store(benchmark::State& state) {
    const ZonalVariant variant = VariantOf(state);
    Settlement s(variant);
    for (auto _ : state)
        if (!s.store(variant))
            state.SkipWithError("the store failed");
    state.counters["anketa_rows"] = static_cast<double>(kFactors * kDistricts);
}
BENCHMARK(BM_Store)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/** Reading the settlement and the four tables, with the indices computed. */
void BM_OpenTables(benchmark::State& state) {
    const ZonalVariant variant = VariantOf(state);
    Settlement s(variant);
    s.store(variant);
    for (auto _ : state) {
        ZonalSettlement settlement;
        ZonalTables tables;
        QString message, failed;
        if (ReadZonalSettlement(s.db, settlement, &message) != ZonalOpening::Ready ||
            !LoadZonalTables(s.db, variant, settlement, tables, &failed))
            state.SkipWithError("the tables cannot be read");
        ComputeKm2(tables.result, ResultColumnsOf(variant), settlement.population,
                   settlement.averageValue);
    }
}
BENCHMARK(BM_OpenTables)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/** The whole opening as the user waits for it: tables read, window made, filled and shown. */
void BM_OpenWindow(benchmark::State& state) {
    Settlement s(ZonalVariant::Grouped);
    s.store(ZonalVariant::Grouped);
    StepContext context;
    context.project = &s.db;
    context.folder = s.dir.path();
    for (auto _ : state) {
        ZonalSettlement settlement;
        ZonalTables tables;
        QString message, failed;
        ReadZonalSettlement(s.db, settlement, &message);
        LoadZonalTables(s.db, ZonalVariant::Grouped, settlement, tables, &failed);
        TFormOtsenkaZonalnistSEUC form(context);
        form.fill(settlement, tables);
        form.show();
        QApplication::processEvents();
        form.hide();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond);

/** A fresh copy of the 999 districts' layers, made before the timing starts. */
struct MapFixture {
    QTemporaryDir dir;
    MapDocument map;
    StringGrid result;
    MapFixture() {
        WriteDemoLayers(dir.path(), DemoSize{kDistricts, 1}, nullptr);
        AddLayer(map, dir.filePath(QStringLiteral("зони.tab")), true);
        Layer* districts = AddLayer(map, dir.filePath(QStringLiteral("райони.tab")), true);
        const ResultColumns cols = ResultColumnsOf(ZonalVariant::Grouped);
        result = MakeResultGrid(ZonalVariant::Grouped,
                                std::vector<District>(static_cast<size_t>(kDistricts)));
        const Dataset data(districts);
        int row = 1;
        for (const Feature& d : districts->features()) {
            // Fifty zones of twenty neighbours: districts are numbered ring by ring.
            const QString number = FeatureValue(&data, d, QStringLiteral("Raion"));
            result.set(row, 0, number);
            result.set(row, cols.zone,
                       QString::number((number.toInt() - 1) * kZones / kDistricts + 1));
            result.set(row, cols.km2, QStringLiteral("1.10"));
            result.set(row++, cols.value, QStringLiteral("165.00"));
        }
    }
};

void BM_UpdateZonesOnMap(benchmark::State& state) {
    std::vector<std::unique_ptr<MapFixture>> fixtures;
    for (benchmark::IterationCount i = 0; i < state.max_iterations; ++i)
        fixtures.push_back(std::make_unique<MapFixture>());
    size_t next = 0;
    for (auto _ : state) {
        MapFixture& fx = *fixtures[next++];
        const MapOutcome out =
            RebuildZoneLayer(&fx.map, fx.result, ResultColumnsOf(ZonalVariant::Grouped));
        if (!out.written)
            state.SkipWithError(qPrintable(out.messages.back().text));
        state.counters["zones"] =
            static_cast<double>(GetLayer(fx.map, QStringLiteral("зони"))->featureCount());
    }
}
BENCHMARK(BM_UpdateZonesOnMap)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
