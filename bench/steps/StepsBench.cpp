// The first valuation steps at their largest: districts from a layer of 999 regions, a land
// statement of 10,000 rows x 74 columns, 1,000 cost items.
// Run: TAMBERON_APPDIR=build/AppDir QT_QPA_PLATFORM=offscreen build/bench/steps/bench_steps
#include "bench/QuietQt.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/FeatureFactory.h"
#include "map/MapGlobal.h"
#include "map/TabFile.h"
#include "office/Workbook.h"
#include "reports/OfficeJob.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStatement.h"
#include "steps/areas/AreasStep.h"
#include "steps/areas/ui/FormOtsenkaPloszhi.h"
#include "steps/costs/CostsStep.h"
#include "steps/costs/ui/FormOtsenkaVytraty.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

/** "райони.tab" of `count` squares of 100 m (1 ha), numbered from the last down. */
QString WriteDistrictLayer(const QTemporaryDir& dir, int count) {
    const QString path = dir.filePath(QStringLiteral("райони.tab"));
    QString error;
    TabFile::create(path, {FieldDef{QStringLiteral("Raion"), FieldKind::Char, 10, 0, false}},
                    CoordSys{}, true, QString(), &error);
    auto names = std::make_shared<const QStringList>(QStringList{QStringLiteral("Raion")});
    FeatureList features;
    for (int i = 0; i < count; ++i) {
        const double x = (i % 40) * 100.0;
        const double y = (i / 40) * 100.0;
        Feature f = FeatureFactory::createRegion(
            {{{x, y}, {x + 100, y}, {x + 100, y + 90 + i % 10}, {x, y + 100}}});
        f.setFields(names);
        f.setValueAt(0, QString::number(count - i));
        features.push_back(f);
    }
    TabFile::appendAll(path, features, &error);
    return path;
}

/** A settlement database from the shipped template in the folder. */
QString CopySettlement(const QTemporaryDir& dir) {
    const QString target = dir.filePath(QStringLiteral("data.sqlite"));
    QFile::copy(JoinPath(BuiltAppDir(), QStringLiteral("Шаблон/наспункт/data.sqlite")), target);
    return target;
}

void BM_DistrictsFromMap999(benchmark::State& state) {
    QTemporaryDir dir;
    MapDocument map;
    AddLayer(map, WriteDistrictLayer(dir, 999), true);
    StringGrid grid = MakeDistrictGrid();
    for (auto _ : state) {
        std::vector<MapDistrict> found;
        ReadMapDistricts(map, found);
        FillDistrictsFromMap(grid, found);
        benchmark::DoNotOptimize(grid.rowCount());
    }
}
BENCHMARK(BM_DistrictsFromMap999)->Unit(benchmark::kMillisecond);

void BM_DistrictsFromMap999InTheWindow(benchmark::State& state) {
    QTemporaryDir dir;
    MapDocument map;
    AddLayer(map, WriteDistrictLayer(dir, 999), true);
    StepContext context;
    context.map = &map;
    context.folder = dir.path();
    TFormOtsenkaPloszhi form(context);
    form.show();
    for (auto _ : state) {
        form.BRaionsFromMapClick();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.ESummMap->text());
    }
}
BENCHMARK(BM_DistrictsFromMap999InTheWindow)->Unit(benchmark::kMillisecond);

void BM_StatementTotals10000x74(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Склад земель.xlsx"));
    {
        auto book = Workbook::createBlank();
        Worksheet& sheet = book->worksheet(1);
        for (int c = 1; c <= 74; ++c)
            sheet.setCellValue(10, c, QString::number(c));
        for (int r = 11; r < 11 + 10000; ++r)
            for (int c = 1; c <= 74; ++c)
                sheet.setCellValue(r, c, QString::number((r * c) % 997) + QStringLiteral(".25"));
        book->saveCopyAs(path);
    }
    for (auto _ : state) {
        QHash<QString, QString> fields;
        RunExcelJobHeadless(
            path,
            [&fields](Workbook& book, TMessages& messages, JobProgress& progress) {
                ReadStatementJob(book, messages, progress, fields);
            },
            QString());
        benchmark::DoNotOptimize(fields.size());
    }
}
BENCHMARK(BM_StatementTotals10000x74)->Unit(benchmark::kMillisecond);

CostsSheet ThousandItems() {
    CostsSheet sheet;
    ClearGrid(sheet.full, 1000);
    for (int row = 1; row <= 1000; ++row)
        sheet.full.setRowTexts(row, {QString::number(row), CostSections().at(row % 2),
                                     QStringLiteral("Стаття витрат %1").arg(row),
                                     QStringLiteral("км"), QString::number(row % 50 + 1), QString(),
                                     QString::number(row % 7 + 1), QString()});
    sheet.lastNumber = 1000;
    sheet.area = QStringLiteral("512.5");
    sheet.coefficient = QStringLiteral("* 1.064   - 2008");
    return sheet;
}

void BM_RecalcCosts1000(benchmark::State& state) {
    CostsSheet sheet = ThousandItems();
    for (int row = 1; row <= 1000; ++row)
        sheet.full.set(row, ColCostCategory, CostSections().first());
    SelectCostSection(sheet, CostSections().first());
    for (auto _ : state) {
        RecalcCosts(sheet, -1, -1);
        benchmark::DoNotOptimize(sheet.total);
    }
}
BENCHMARK(BM_RecalcCosts1000)->Unit(benchmark::kMicrosecond);

void BM_CostsOpenAndStore1000(benchmark::State& state) {
    QTemporaryDir dir;
    Connection project;
    project.open(CopySettlement(dir));
    if (!StoreCosts(project, ThousandItems(), nullptr))
        state.SkipWithError("store failed");
    StepContext context;
    context.project = &project;
    context.folder = dir.path();
    const QStringList lines = CostCoefficientLines({}, 2026);
    for (auto _ : state) {
        CostsSheet sheet;
        LoadCosts(project, 2026, sheet, nullptr);
        TFormOtsenkaVytraty form(context, 2026);
        form.sheet() = sheet;
        form.setLoaded(lines, MakePriceGrid());
        form.show();
        form.ListCategoriesClick(0);
        QApplication::processEvents();
        if (!StoreCosts(project, form.sheetToStore(), nullptr))
            state.SkipWithError("store failed");
    }
}
BENCHMARK(BM_CostsOpenAndStore1000)->Unit(benchmark::kMillisecond);

void BM_AreasLoadAndStore999(benchmark::State& state) {
    QTemporaryDir dir;
    Connection project;
    project.open(CopySettlement(dir));
    AreasData data;
    LoadAreas(project, data, nullptr);
    FillDistrictsByHand(data.districts, 999);
    data.values[QStringLiteral("ERaions")] = QStringLiteral("999");
    for (auto _ : state) {
        if (!StoreAreas(project, data, nullptr))
            state.SkipWithError("store failed");
        LoadAreas(project, data, nullptr);
        benchmark::DoNotOptimize(data.districts.rowCount());
    }
}
BENCHMARK(BM_AreasLoadAndStore999)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    bench::QuietQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
