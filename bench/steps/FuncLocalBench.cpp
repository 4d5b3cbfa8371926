// The overlays of the functional-use and local-factor steps on a settlement of 999 districts,
// the functional one beside the loop over every pair it replaces, and the opening and storing
// of a statement of 5,000 quarters rows.
#include "bench/LocalFactorLayers.h"
#include "bench/QuietQt.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "map/FeatureFactory.h"
#include "map/Layer.h"
#include "map/Overlay.h"
#include "map/TabFile.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"
#include "steps/localquarter/QuarterStatement.h"
#include "steps/localquarter/ui/FormOtsenkaLocalny2.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Schema.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace {

// 999 districts, 20,000 functional regions and thirty "лок" layers of 500 regions each.
const QString& LargeFolder() {
    static QTemporaryDir dir;
    static const bool written = [] {
        QString error;
        if (!WriteDemoLayers(dir.path(), DemoSize{999, 20000}, &error))
            qFatal("%s", qPrintable(error));
        // The demonstration's own local layers make way for thirty of 500 regions.
        for (const QString& name : demo::localLayers())
            TabFile::removeFiles(dir.filePath(name + QStringLiteral(".tab")));
        const auto districts = OpenOverlayLayer(dir.filePath(QStringLiteral("райони.tab")), &error);
        WriteBenchLocalLayers(dir.path(), districts->bounds(), 30, 500);
        return true;
    }();
    (void)written;
    static const QString path = dir.path();
    return path;
}

std::vector<QString> DistrictNumbers999() {
    std::vector<QString> numbers;
    for (int d = 1; d <= 999; ++d)
        numbers.push_back(QString::number(d));
    return numbers;
}

// The step's button: both tables read from their files, the overlay, the grid filled.
void BM_FunctionalFromMap(benchmark::State& state) {
    LargeFolder(); // written before the timing starts
    StringGrid grid = MakeFunctionalGrid(DistrictNumbers999(), 999);
    for (auto _ : state) {
        const FunctionalOverlayResult result = MeasureFunctionalAreas(LargeFolder());
        if (!result.ok || !ApplyFunctionalAreas(grid, result.areas))
            state.SkipWithError("overlay failed");
        state.counters["sums"] = static_cast<double>(result.areas.size());
    }
}
BENCHMARK(BM_FunctionalFromMap)->Unit(benchmark::kMillisecond);

// The overlay alone, on tables already read.
void BM_FunctionalOverlay(benchmark::State& state) {
    const auto districts = OpenOverlayLayer(LargeFolder() + QStringLiteral("/райони.tab"), nullptr);
    const auto functional =
        OpenOverlayLayer(LargeFolder() + QStringLiteral("/функціональне.tab"), nullptr);
    for (auto _ : state) {
        OverlayStats stats;
        const auto areas = SumFunctionalAreas(*districts, *functional, &stats);
        state.counters["sums"] = static_cast<double>(areas.size());
        state.counters["candidates"] = static_cast<double>(stats.candidates);
    }
}
BENCHMARK(BM_FunctionalOverlay)->Unit(benchmark::kMillisecond);

// The same sums the way they were made before: every district against every region.
void BM_FunctionalOverlayAllPairs(benchmark::State& state) {
    const auto districts = OpenOverlayLayer(LargeFolder() + QStringLiteral("/райони.tab"), nullptr);
    const auto functional =
        OpenOverlayLayer(LargeFolder() + QStringLiteral("/функціональне.tab"), nullptr);
    for (auto _ : state) {
        QHash<QString, double> sums;
        for (const Feature& d : districts->features())
            for (const Feature& f : functional->features()) {
                Feature part;
                if (FeatureFactory::intersect(d, f, part, nullptr) != GeometryResult::Ok)
                    continue;
                QString number, code;
                d.value(QStringLiteral("Raion"), &number);
                f.value(QStringLiteral("Code"), &code);
                if (!code.isEmpty())
                    sums[number + u'\n' + code.toUpper()] += part.areaSquareMetres();
            }
        state.counters["sums"] = static_cast<double>(sums.size());
    }
}
BENCHMARK(BM_FunctionalOverlayAllPairs)->Unit(benchmark::kMillisecond)->Iterations(1);

// The step's button: the district table and thirty "лок" layers read, the overlay, the grid
// of 999 districts rebuilt with the found factors.
void BM_LocalFactorsFromMap(benchmark::State& state) {
    std::vector<LocalFactor> catalogue;
    for (int k = 1; k <= 30; ++k)
        catalogue.push_back(LocalFactor{k, QStringLiteral("Фактор %1").arg(k), "0.90", "1.10"});
    StringGrid grid = MakeLocalGrid(DistrictNumbers999());
    LargeFolder();
    for (auto _ : state) {
        const LocalOverlayResult result = CollectLocalFactors(LargeFolder(), 30);
        std::vector<WorkingItem> items;
        for (const LocalFactor& f : catalogue)
            items.push_back(WorkingItem{QString::number(f.number), false});
        if (!result.ok || !ApplyLocalOverlay(grid, catalogue, result, items))
            state.SkipWithError("overlay failed");
        state.counters["values"] = static_cast<double>(result.values.size());
        state.counters["factors"] = static_cast<double>(result.factors.size());
    }
}
BENCHMARK(BM_LocalFactorsFromMap)->Unit(benchmark::kMillisecond);

// A settlement database holding a statement of 5,000 rows of a 17-factor catalogue.
struct QuarterDb {
    QTemporaryDir dir;
    Connection db;
    std::vector<LocalFactor> catalogue;
    StringGrid statement;
    QuarterDb() {
        // A settlement database as the program makes it: from the template's.
        const QString path = dir.filePath(QStringLiteral("data.sqlite"));
        const QByteArray appDir = qgetenv("TAMBERON_APPDIR");
        const QString templateDb =
            JoinPath(appDir.isEmpty() ? QStringLiteral(FUNCLOCAL_BENCH_APPDIR)
                                      : QString::fromLocal8Bit(appDir),
                     QStringLiteral("Шаблон/наспункт/data.sqlite"));
        if (!QFile::copy(templateDb, path) ||
            !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner) || !db.open(path))
            qFatal("no settlement template at %s", qPrintable(templateDb));
        valuation::UpgradeSettlementDatabase(db);
        for (int k = 1; k <= 17; ++k)
            catalogue.push_back(LocalFactor{k, QStringLiteral("Фактор %1").arg(k), "0.90", "1.10"});
        statement = MakeQuarterGrid(17);
        statement.setRowCount(1 + 5000);
        RenumberRows(statement);
        for (int row = 1; row <= 5000; ++row) {
            statement.set(row, QuarterGrid::ZoneCol, QString::number(1 + row % 7));
            statement.set(row, QuarterGrid::DistrictCol, QString::number(1 + row % 999));
            statement.set(row, QuarterGrid::QuartersCol,
                          QStringLiteral("%1-%2").arg(row).arg(row + 3));
            statement.set(row, QuarterGrid::NameCol, QStringLiteral("землі житлової забудови"));
            statement.set(row, QuarterGrid::FunctionalCol, QStringLiteral("1.00"));
            for (int k = 1; k <= 17; k += 3)
                statement.set(row, QuarterGrid::factorCol(k), QStringLiteral("0.95"));
        }
        if (QString error; !StoreQuarterStatement(db, statement, &error))
            qFatal("store failed: %s", qPrintable(error));
    }
};

void BM_QuarterStore5000(benchmark::State& state) {
    QuarterDb data;
    for (auto _ : state)
        if (!StoreQuarterStatement(data.db, data.statement, nullptr))
            state.SkipWithError("store failed");
}
BENCHMARK(BM_QuarterStore5000)->Unit(benchmark::kMillisecond);

// Opening: the statement read into the window's grid and shown.
void BM_QuarterOpen5000(benchmark::State& state) {
    QuarterDb data;
    StepContext context;
    context.project = &data.db;
    context.folder = data.dir.path();
    for (auto _ : state) {
        TFormOtsenkaLocalny2 form(context);
        form.setCatalogue(data.catalogue, {1, 4, 7, 10, 13, 16});
        if (!LoadQuarterStatement(data.db, form.statement(), nullptr))
            state.SkipWithError("load failed");
        form.refreshGrids();
        form.show();
        QCoreApplication::processEvents();
        state.counters["rows"] = form.statement().rowCount() - 1;
    }
}
BENCHMARK(BM_QuarterOpen5000)->Unit(benchmark::kMillisecond);

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
