#include "bench/QuietQt.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

namespace {
constexpr int kRows = 999;
constexpr int kCols = 40;

GridView* makeView() {
    auto* view = new GridView;
    StringGrid& grid = *view->grid();
    grid.setColCount(kCols);
    QList<GridColumn> columns;
    for (int c = 0; c < kCols; ++c)
        columns << GridColumn::number(QStringLiteral("Колонка %1").arg(c), 2, 60);
    view->setColumns(columns);
    view->resize(1200, 800);
    view->show();
    return view;
}

void fill(StringGrid& grid, int salt) {
    ClearGrid(grid, kRows);
    for (int r = 1; r <= kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            grid.set(r, c, QString::number(r * 100 + c + salt));
}
} // namespace

// A calculation writes every cell of a full grid; the view catches up once.
static void BM_FillGrid999x40(benchmark::State& state) {
    GridView* view = makeView();
    int salt = 0;
    for (auto _ : state) {
        fill(*view->grid(), ++salt);
        QCoreApplication::processEvents();
    }
    delete view;
}
BENCHMARK(BM_FillGrid999x40)->Unit(benchmark::kMillisecond);

// One full repaint of a filled grid.
static void BM_RepaintGrid999x40(benchmark::State& state) {
    GridView* view = makeView();
    fill(*view->grid(), 0);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QPixmap pixmap = view->grab();
        benchmark::DoNotOptimize(pixmap);
    }
    delete view;
}
BENCHMARK(BM_RepaintGrid999x40)->Unit(benchmark::kMillisecond);

// The user inserts a row in the middle of a full grid and deletes it again.
static void BM_InsertDeleteMiddleRow999x40(benchmark::State& state) {
    GridView* view = makeView();
    fill(*view->grid(), 0);
    view->setCurrentCell(kRows / 2, 3);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        InsertGridRow(*view->grid(), kRows / 2);
        QCoreApplication::processEvents();
        DeleteGridRow(*view->grid(), kRows / 2);
        QCoreApplication::processEvents();
    }
    delete view;
}
BENCHMARK(BM_InsertDeleteMiddleRow999x40)->Unit(benchmark::kMillisecond);

// A step loads its table row by row into a shown grid, as the load functions do.
static void BM_AppendRows999x40(benchmark::State& state) {
    GridView* view = makeView();
    StringGrid& grid = *view->grid();
    int salt = 0;
    for (auto _ : state) {
        grid.setRowCount(grid.fixedRows());
        ++salt;
        for (int r = 1; r <= kRows; ++r) {
            grid.setRowCount(r + 1);
            for (int c = 0; c < kCols; ++c)
                grid.set(r, c, QString::number(r * 100 + c + salt));
        }
        QCoreApplication::processEvents();
    }
    delete view;
}
BENCHMARK(BM_AppendRows999x40)->Unit(benchmark::kMillisecond);

// A questionnaire of 41 rows and a thousand narrow columns given to a view not shown yet, as
// a step window is filled before it opens: the heading is measured once, not per column.
static void BM_HiddenGrid1001Columns(benchmark::State& state) {
    for (auto _ : state) {
        GridView view;
        StringGrid grid(1001, 42, 1, 2);
        for (int c = 2; c < 1001; ++c)
            grid.set(0, c, QString::number(c - 1));
        *view.grid() = grid;
        QList<GridColumn> columns{GridColumn::text(QStringLiteral("п/п"), 35),
                                  GridColumn::text(QStringLiteral("Фактор"), 300)};
        for (int c = 2; c < 1001; ++c)
            columns << GridColumn::number(QString(), 0, 30);
        view.setColumns(columns);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_HiddenGrid1001Columns)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
