// The technical report and both calculation workbooks of a large settlement: 999 districts,
// 3 functional-use categories each, 30 local factors, 41 questionnaire factors and a statement
// of 5,000 quarters; then the same with the report's four map appendices drawn from a village
// map of 999 districts and 5,000 functional-use regions. Reports the wall time of one run and
// the process's peak memory (the run without maps goes first, so its peak is its own).
#include "bench/ChildProcess.h"
#include "bench/QuietQt.h"
#include "common/FileUtils.h"
#include "common/ProcessMemory.h"
#include "db/Database.h"
#include "map/PngEncoder.h"
#include "reports/OfficeJob.h"
#include "reports/ReportMaps.h"
#include "reports/ReportRun.h"
#include "tests/reports/ReportFixtures.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Settlement.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/resource.h>

namespace {

constexpr int kDistricts = 999;
constexpr int kZones = 10;
constexpr int kFactors = 30;
constexpr int kQuestions = 41;
constexpr int kQuarters = 5000;

QString Fixed(double v) {
    return QString::number(v, 'f', 2);
}

/**
 * Statements run in batches as they are made: the script of the whole settlement would take
 * tens of megabytes, and the peak memory the benchmark reports would be the script's.
 */
class Batches {
public:
    explicit Batches(Connection& db) : m_db(db) {}
    Batches& operator+=(const QString& statement) {
        m_text += statement;
        if (m_text.size() > (1 << 18))
            flush();
        return *this;
    }
    bool flush() {
        if (m_ok && !m_text.isEmpty())
            m_ok = fixtures::RunScript(m_db, m_text, &m_error);
        m_text.clear();
        return m_ok;
    }
    const QString& error() const { return m_error; }

private:
    Connection& m_db;
    QString m_text;
    QString m_error;
    bool m_ok = true;
};

/** The statements that fill every step table of the large settlement. */
void LargeSettlement(Batches& s) {
    s += QStringLiteral("UPDATE характеристика SET значення='%1' WHERE показник='Кількість "
                        "районів';\n")
             .arg(kDistricts);
    s += QStringLiteral("UPDATE характеристика SET значення='150.00' WHERE показник='Середня "
                        "вартість 1 кв м';\n");
    s += QStringLiteral("UPDATE характеристика SET значення='%1' WHERE показник='Кількість зон';\n")
             .arg(kZones);
    QStringList zoneDistricts[kZones];
    for (int d = 1; d <= kDistricts; ++d) {
        const int zone = (d - 1) % kZones + 1;
        zoneDistricts[zone - 1] << QString::number(d);
        s += QStringLiteral("INSERT INTO характеристика (код, показник, значення, значення2) "
                            "VALUES ('%1', 'Площі районів', '12.5000', '12.4900|Район %1 між "
                            "вулицями');\n")
                 .arg(d);
        s += QStringLiteral("INSERT INTO км2 (район, площа, si, ei, ui, ci, іі, км2, вартість, "
                            "зона) VALUES ('%1', '12.5000', '1.05', '0.95', '1.10', '0.90', '%2', "
                            "'%3', '%4', '%5');\n")
                 .arg(d)
                 .arg(Fixed(0.8 + (d % 40) / 100.0))
                 .arg(Fixed(0.8 + zone / 20.0))
                 .arg(Fixed(150 * (0.8 + zone / 20.0)))
                 .arg(zone);
        s += QStringLiteral("INSERT INTO функціональне (район, ф_1, ф_2, ф_13) VALUES ('%1', "
                            "'1.5000', '8.0000', '3.0000');\n")
                 .arg(d);
    }
    for (int z = 1; z <= kZones; ++z)
        s += QStringLiteral("INSERT INTO зони (зона, райони, опис) VALUES ('%1', '%2', 'Зона "
                            "%1');\n")
                 .arg(z)
                 .arg(zoneDistricts[z - 1].join(QStringLiteral(", ")));
    for (int f = 1; f <= kFactors; ++f)
        for (int d = 1; d <= kDistricts; ++d)
            s += QStringLiteral("INSERT INTO локальні (район, фактор, коефіціент) VALUES ('%1', "
                                "'%2', '%3');\n")
                     .arg(d)
                     .arg(f)
                     .arg(Fixed(0.95 + ((d + f) % 10) / 100.0));
    for (int q = 1; q <= kQuestions; ++q)
        for (int d = 1; d <= kDistricts; ++d)
            s += QStringLiteral("INSERT INTO анкета (район, фактор, оцінка) VALUES ('%1', "
                                "'Фактор анкети %2', '%3');\n")
                     .arg(d)
                     .arg(q)
                     .arg((d + q) % 5 + 1);
    for (int r = 1; r <= kQuarters; ++r) {
        QString columns, values;
        for (int f = 1; f <= kFactors; ++f) {
            columns += QStringLiteral(", лок_%1").arg(f);
            values += QStringLiteral(", '%1'").arg(Fixed(0.95 + ((r + f) % 10) / 100.0));
        }
        const int district = (r - 1) % kDistricts + 1;
        s += QStringLiteral("INSERT INTO відомість_кварталів (id, зона, район, квартали, назва, "
                            "функ%1) VALUES (%2, '%3', '%4', '%2', 'землі житлової забудови', "
                            "'1.00'%5);\n")
                 .arg(columns)
                 .arg(r)
                 .arg((district - 1) % kZones + 1)
                 .arg(district)
                 .arg(values);
    }
    for (int c = 1; c <= 60; ++c)
        s += QStringLiteral("INSERT INTO витрати (категорія, назва, од_виміру, кількість, всього) "
                            "VALUES ('Розділ %1', 'Об''єкт %2', 'км', '2', '%3');\n")
                 .arg(c / 4)
                 .arg(c)
                 .arg(Fixed(c * 3.5));
    for (int g = 1; g <= 100; ++g)
        s += QStringLiteral("INSERT INTO угіддя (тип, шифр, бал_бонітету, площа, вартість) VALUES "
                            "('%1', '%2', '40', '10.0000', '25000.00');\n")
                 .arg(g % 4 + 1)
                 .arg(100 + g / 2);
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

/** Processor time of the calling thread, in milliseconds. */
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

/** The large settlement in a fresh program folder; with `maps` its folder has map layers. */
struct LargeFolder {
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Село"));
    Connection data;
    Connection catalogue;

    bool create(bool maps, QString* error) {
        if (!fixtures::CreateSettlement(dir.path(), folder, QString(), error) ||
            (maps && !WriteDemoLayers(folder, DemoSize{kDistricts, 5000}, error)))
            return false;
        if (!data.open(JoinPath(folder, QStringLiteral("data.sqlite"))) ||
            !catalogue.open(dir.filePath(QStringLiteral("baza.sqlite"))))
            return false;
        Batches batches(data);
        LargeSettlement(batches);
        if (batches.flush())
            return true;
        *error = batches.error();
        return false;
    }
    /** As create(); a failure skips the benchmark with its reason. */
    bool createOrSkip(bool maps, benchmark::State& state) {
        QString error;
        if (create(maps, &error))
            return true;
        state.SkipWithError(qPrintable(error));
        return false;
    }
    reports::ReportContext context() {
        return {&data, &catalogue, QStringLiteral("с. Велике"), folder};
    }
};

void RunLargeSettlement(benchmark::State& state, bool maps) {
    LargeFolder large;
    if (!large.createOrSkip(maps, state))
        return;
    const QString templates = large.dir.filePath(QStringLiteral("Шаблон"));
    // The peak before the reports: what the settlement's making took.
    state.counters["setup_peak_MB"] = static_cast<double>(PeakMegabytes());
    double mainThread = 0;
    for (auto _ : state) {
        const double before = ThreadCpuMs();
        reports::HeadlessJobRunner jobs;
        const reports::ReportRunResult result =
            reports::RunReports(large.context(), large.folder, templates, jobs, nullptr);
        if (!result.allSaved())
            state.SkipWithError("not all three files were saved");
        mainThread += ThreadCpuMs() - before;
    }
    state.counters["peak_MB"] = static_cast<double>(PeakMegabytes());
    // What the run's own thread computed: the wall time on idle cores cannot go below it, nor
    // below the processor time over the cores, whatever else the machine is doing.
    state.counters["main_thread_cpu_ms"] = mainThread / static_cast<double>(state.iterations());
}

void BM_ReportAndWorkbooksOf999Districts(benchmark::State& state) {
    RunLargeSettlement(state, false);
}
BENCHMARK(BM_ReportAndWorkbooksOf999Districts)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

void BM_ReportWithFourMapsOf999Districts(benchmark::State& state) {
    RunLargeSettlement(state, true);
}
BENCHMARK(BM_ReportWithFourMapsOf999Districts)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

/**
 * The reports as "tamberon report" makes them, in a process of its own: its peak memory is
 * the report's, with the program's libraries, and not this process's making of the settlement.
 * The console program is copied beside the settlement's catalogue and templates, its program
 * folder. Wall time here; the child's processor time and peak as counters (launcher_MB: the
 * small process that measured it, whose peak the child's cannot go below).
 */
void BM_ReportCommandOf999Districts(benchmark::State& state) {
    LargeFolder large;
    // 0: without layers; 1: with the layers of the four map appendices.
    if (!large.createOrSkip(state.range(0) != 0, state))
        return;
    const QString program = large.dir.filePath(QStringLiteral("tamberon_console"));
    if (!QFile::copy(QStringLiteral(TAMBERON_CONSOLE), program)) {
        state.SkipWithError("the console program could not be copied");
        return;
    }
    double peak = 0, cpu = 0, launcher = 0;
    for (auto _ : state) {
        std::string printed;
        double childPeak = 0, childCpu = 0, ownPeak = 0;
        int status = -1;
        if (!bench::RunSelf(
                // The command checks the settlement first; a synthetic one need not agree.
                {"--measure", program.toStdString(), "report", "--anyway",
                 large.folder.toStdString()},
                printed) ||
            std::sscanf(printed.c_str(), "%lf %lf %d %lf", &childPeak, &childCpu, &status,
                        &ownPeak) != 4 ||
            status != 0) {
            state.SkipWithError("tamberon report did not save all three files");
            return;
        }
        peak = std::max(peak, childPeak);
        launcher = std::max(launcher, ownPeak);
        cpu += childCpu;
    }
    state.counters["peak_MB"] = peak;
    state.counters["launcher_MB"] = launcher;
    state.counters["child_cpu_ms"] = cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReportCommandOf999Districts)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The four maps alone: drawn, and each encoded as the report embeds it.
void BM_FourMapsOf999DistrictsDrawnAndEncoded(benchmark::State& state) {
    LargeFolder large;
    if (!large.createOrSkip(true, state))
        return;
    for (auto _ : state) {
        valuation::Settlement settlement;
        valuation::ReadSettlement(large.data, settlement);
        SilentProgress progress;
        reports::DrawAppendixMaps(
            large.context(), settlement, progress,
            [](reports::AppendixMap& map) { benchmark::DoNotOptimize(map.png.size()); }, true);
    }
}
BENCHMARK(BM_FourMapsOf999DistrictsDrawnAndEncoded)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(5);

// The four maps drawn only: beside the above, what their encoding costs.
void BM_FourMapsOf999DistrictsDrawn(benchmark::State& state) {
    LargeFolder large;
    if (!large.createOrSkip(true, state))
        return;
    for (auto _ : state) {
        valuation::Settlement settlement;
        valuation::ReadSettlement(large.data, settlement);
        SilentProgress progress;
        reports::DrawAppendixMaps(
            large.context(), settlement, progress,
            [](reports::AppendixMap& map) { benchmark::DoNotOptimize(map.printed.image.width()); });
    }
}
BENCHMARK(BM_FourMapsOf999DistrictsDrawn)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(5);

// The four pages encoded as PNG, one after another on one core; their bytes as a counter.
void BM_FourMapPagesEncoded(benchmark::State& state) {
    LargeFolder large;
    if (!large.createOrSkip(true, state))
        return;
    valuation::Settlement settlement;
    valuation::ReadSettlement(large.data, settlement);
    SilentProgress progress;
    std::vector<QImage> pages;
    for (const reports::AppendixMap& map :
         reports::DrawAppendixMaps(large.context(), settlement, progress))
        pages.push_back(map.printed.image);
    double bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const QImage& page : pages)
            bytes += static_cast<double>(EncodeFlatPng(page).size());
    }
    state.counters["png_KB"] = bytes / 1024;
}
BENCHMARK(BM_FourMapPagesEncoded)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

// The maps are drawn with fonts: a GUI application on the offscreen platform.
int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--measure") == 0)
        return bench::MeasureProgram(argv + 2);
    // The memory as the program keeps it, so the peaks are the program's.
    ReturnLargeBlocksWhenFreed();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietQt();
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
