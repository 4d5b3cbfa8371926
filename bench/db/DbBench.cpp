// Storing and reading a step table of 40,000 rows × 13 columns.
#include "common/StringGrid.h"
#include "db/BulkStore.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int RowCount = 40000;
constexpr int ColumnCount = 13;

QStringList Columns() {
    QStringList columns;
    for (int c = 1; c <= ColumnCount; ++c)
        columns << QStringLiteral("к_") + QString::number(c);
    return columns;
}

QString Cell(int row, int col) {
    return QString::number(row * 0.37 + col, 'f', 4);
}

/** A fresh database with the empty table. */
struct Fixture {
    QTemporaryDir dir;
    Connection db;
    Query q{&db};
    Fixture() {
        QStringList defs;
        for (const QString& c : Columns())
            defs << c + QStringLiteral(" nvarchar (50)");
        if (!db.create(dir.path() + QStringLiteral("/data.sqlite")) ||
            !RunQuery(
                q, QStringLiteral("CREATE TABLE табл (id AUTOINCREMENT, ") + defs.join(u',') + u')',
                false))
            qFatal("%s", qPrintable(LastError()));
    }
};

// The old way: one SQL text per row through RunQuery, in one transaction.
void BM_ReplaceRowsAsSqlText(benchmark::State& state) {
    Fixture f;
    const QString head =
        QStringLiteral("INSERT INTO табл (") + Columns().join(u',') + QStringLiteral(") VALUES (");
    for (auto _ : state) {
        Transaction transaction(f.db);
        bool ok = transaction.ok() && RunQuery(f.q, QStringLiteral("DELETE FROM табл"), false);
        for (int r = 0; ok && r < RowCount; ++r) {
            QString sql = head;
            for (int c = 0; c < ColumnCount; ++c)
                sql +=
                    (c ? QStringLiteral(",'") : QStringLiteral("'")) + QuoteSql(Cell(r, c)) + u'\'';
            ok = RunQuery(f.q, sql + u')', false);
        }
        ok = ok && transaction.commit();
        if (!ok)
            state.SkipWithError("store failed");
    }
}
BENCHMARK(BM_ReplaceRowsAsSqlText)->Unit(benchmark::kMillisecond);

// The grid of a step window: a heading row and the data rows.
StringGrid MakeGrid() {
    StringGrid grid(ColumnCount, RowCount + 1, 1, 0);
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColumnCount; ++c)
            grid.set(r + 1, c, Cell(r, c));
    return grid;
}

// The bulk store: one prepared statement bound per row, in one transaction.
void BM_ReplaceRowsBulk(benchmark::State& state) {
    Fixture f;
    const StringGrid grid = MakeGrid();
    const QStringList columns = Columns();
    for (auto _ : state) {
        if (!ReplaceGridRows(f.db, QStringLiteral("табл"), QString(), columns, grid,
                             [&](int row) { return SqlRowOf(grid.rowTexts(row)); }))
            state.SkipWithError("store failed");
    }
}
BENCHMARK(BM_ReplaceRowsBulk)->Unit(benchmark::kMillisecond);

void BM_ReadByColumnName(benchmark::State& state) {
    Fixture f;
    const QStringList columns = Columns();
    const StringGrid grid = MakeGrid();
    if (!ReplaceGridRows(f.db, QStringLiteral("табл"), QString(), columns, grid,
                         [&](int row) { return SqlRowOf(grid.rowTexts(row)); }))
        qFatal("%s", qPrintable(LastError()));
    for (auto _ : state) {
        if (!RunQuery(f.q, QStringLiteral("SELECT * FROM табл ORDER BY id"), true))
            state.SkipWithError("read failed");
        qsizetype length = 0;
        for (f.q.first(); !f.q.eof(); f.q.next())
            for (const QString& c : columns)
                length += f.q.text(c).size();
        benchmark::DoNotOptimize(length);
        f.q.close();
    }
}
BENCHMARK(BM_ReadByColumnName)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
