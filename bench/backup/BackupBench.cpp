#include "db/Backup.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

/** A settlement database of about 20 MB: step tables of text rows, as the steps store them. */
struct BigSettlement {
    QTemporaryDir dir;
    Connection db;
    BigSettlement() {
        db.create(dir.filePath(QStringLiteral("data.sqlite")));
        Query q(&db);
        RunQuery(q,
                 QStringLiteral("CREATE TABLE ділянки (id INTEGER PRIMARY KEY, район TEXT, "
                                "адреса TEXT, площа TEXT, вартість TEXT, опис TEXT)"),
                 false);
        RunQuery(q, QStringLiteral("BEGIN"), false);
        const QString description(120, QChar(u'ж'));
        for (int i = 0; i < 67000; ++i)
            RunQuery(q,
                     QStringLiteral("INSERT INTO ділянки (район, адреса, площа, вартість, опис) "
                                    "VALUES ('%1','вул. Центральна, %2','%3','%4','%5')")
                         .arg(i % 999)
                         .arg(i)
                         .arg(0.1234 + i, 0, 'f', 4)
                         .arg(123.45 + i, 0, 'f', 2)
                         .arg(description),
                     false);
        RunQuery(q, QStringLiteral("COMMIT"), false);
    }
};

BigSettlement& Settlement() {
    static BigSettlement settlement;
    return settlement;
}

void BM_CopyBeforeStore(benchmark::State& state) {
    BigSettlement& s = Settlement();
    const QString copies = s.dir.filePath(QStringLiteral("copies"));
    for (auto _ : state) {
        const QString copy = backup::AddRollingCopy(s.db, copies);
        benchmark::DoNotOptimize(copy);
        if (copy.isEmpty())
            state.SkipWithError("the copy failed");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(s.db.path()).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_CopyBeforeStore)->Unit(benchmark::kMillisecond)->Iterations(20);

// The online backup alone, as copies were made before they were checked and flushed first.
void BM_CopyUnchecked(benchmark::State& state) {
    BigSettlement& s = Settlement();
    const QString copy = s.dir.filePath(QStringLiteral("unchecked.sqlite"));
    for (auto _ : state)
        if (!backup::CopyDatabase(s.db.handle(), copy))
            state.SkipWithError("the copy failed");
}
BENCHMARK(BM_CopyUnchecked)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
