// Main window with a catalogue of 1,000 projects and settlements; the wizard on the full
// classifier. Run: TAMBERON_APPDIR=build/AppDir QT_QPA_PLATFORM=offscreen build/bench/app/bench_app
#include "app/MainWindow.h"
#include "bench/QuietQt.h"
#include "catalogue/core/Koatuu.h"
#include "catalogue/ui/FormStartMaster.h"
#include "common/TextUtils.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

namespace {

/** Fills the catalogue with `projects` projects of `per` settlements each. */
void FillCatalogue(int projects, int per) {
    Db().main.close();
    Db().ConnectCatalogue();
    Query q(&Db().main);
    Transaction transaction(Db().main);
    RunQuery(q, QStringLiteral("DELETE FROM projects"), false);
    for (int p = 0; p < projects; ++p) {
        const QString uid = RandomDigits(20);
        RunQuery(q,
                 QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES ('") + uid +
                     QStringLiteral("','Проект ") + QString::number(p) + QStringLiteral("','/x')"),
                 false);
        for (int s = 0; s < per; ++s)
            RunQuery(
                q,
                QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES ('") +
                    RandomDigits(20) + QStringLiteral("','") + uid + QStringLiteral("','с. Село ") +
                    QString::number(s) + QStringLiteral("','/x')"),
                false);
    }
    transaction.commit();
}

void BM_MainWindowWithCatalogue(benchmark::State& state) {
    TempAppDir app(true);
    FillCatalogue(static_cast<int>(state.range(0)), 1);
    for (auto _ : state) {
        TFormMain window;
        window.LoadProjectTree();
        benchmark::DoNotOptimize(window.TreeViewProjects->topLevelItemCount());
    }
}
BENCHMARK(BM_MainWindowWithCatalogue)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_WizardExpandAndNext(benchmark::State& state) {
    TempAppDir app(true);
    Db().main.close();
    TFormStartMaster wizard;
    wizard.LoadDistricts();
    QTreeWidget* tree = wizard.TreeViewDistr;
    for (auto _ : state) {
        state.PauseTiming();
        tree->clear();
        wizard.LoadDistricts();
        QTreeWidgetItem* region = tree->topLevelItem(10); // Київська область
        state.ResumeTiming();
        wizard.LoadChildren(region); // expand a region
        QTreeWidgetItem* districts = region->child(region->childCount() - 1);
        wizard.LoadChildren(districts); // expand the districts heading
        QTreeWidgetItem* district = districts->child(0);
        wizard.LoadChildren(district); // expand a district (nested by rank)
        QTreeWidgetItem* council = district->child(district->childCount() - 1);
        if (council->childCount() > 0)
            council = council->child(0); // a village council under the councils heading
        tree->setCurrentItem(council);
        wizard.BNextClick(); // find its settlements
        benchmark::DoNotOptimize(wizard.DstList->count());
    }
    state.counters["operations"] = 4;
}
BENCHMARK(BM_WizardExpandAndNext)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    bench::QuietQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
