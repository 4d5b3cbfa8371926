#include "common/StringGrid.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

StringGrid GridWithRows(const QStringList& firstCells) {
    StringGrid grid(3, firstCells.size() + 1, 1);
    for (int r = 0; r < firstCells.size(); ++r)
        grid.set(r + 1, 0, firstCells[r]);
    return grid;
}

} // namespace

TEST(StringGrid, ClearGridKeepsHeadingAndAtLeastOneRow) {
    StringGrid grid = GridWithRows({"1", "2", "3"});
    grid.set(0, 0, QStringLiteral("№"));
    ClearGrid(grid, 0);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.at(0, 0), QStringLiteral("№"));
    EXPECT_TRUE(GridIsEmpty(grid));
    ClearGrid(grid, 5);
    EXPECT_EQ(grid.rowCount(), 6);
    EXPECT_EQ(grid.at(5, 0), QString());
}

TEST(StringGrid, InsertMovesRowsDown) {
    StringGrid grid = GridWithRows({"1", "2", "3"});
    InsertGridRow(grid, 2);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.colTexts(0), QStringList({"", "1", "", "2", "3"}));
}

TEST(StringGrid, DeleteRowKeepsHeadingAndLastRow) {
    StringGrid grid = GridWithRows({"1", "2", "3"});
    DeleteGridRow(grid, 1);
    EXPECT_EQ(grid.colTexts(0), QStringList({"", "2", "3"}));
    DeleteGridRow(grid, 2);
    DeleteGridRow(grid, 1);
    // The only data row is emptied, never removed, even when its first cell is filled.
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_TRUE(GridIsEmpty(grid));
    DeleteGridRow(grid, 0);
    EXPECT_EQ(grid.rowCount(), 2);
}

TEST(StringGrid, OutOfRangeAccessIsHarmless) {
    StringGrid grid(2, 2, 1);
    grid.set(5, 5, QStringLiteral("x"));
    EXPECT_EQ(grid.at(5, 5), QString());
    EXPECT_EQ(grid.at(-1, 0), QString());
    EXPECT_FALSE(GridIsEmpty(GridWithRows({"1"})));
}

namespace {
/** Writes down what a grid tells its observer, one line per notice. */
struct RecordingObserver : StringGridObserver {
    QStringList log;
    static QString shape(const GridShapeChange& c) {
        static const char* const kinds[] = {"+rows", "-rows", "+cols", "-cols", "reset"};
        return c.kind == GridShapeChange::Reset
                   ? QStringLiteral("reset")
                   : QStringLiteral("%1 %2x%3").arg(kinds[c.kind]).arg(c.first).arg(c.count);
    }
    void shapeAboutToChange(const GridShapeChange& c) override { log << "before " + shape(c); }
    void shapeChanged(const GridShapeChange& c) override { log << "after " + shape(c); }
    void cellChanged(int row, int col) override {
        log << QStringLiteral("cell %1,%2").arg(row).arg(col);
    }
    void currentChanged(int row, int col) override {
        log << QStringLiteral("current %1,%2").arg(row).arg(col);
    }
    void gridDetached() override { log << QStringLiteral("detached"); }
    /** The notices since the last call, joined with "; ". */
    std::string take() { return std::exchange(log, {}).join(QStringLiteral("; ")).toStdString(); }
};
} // namespace

TEST(StringGrid, ReportsInsertsAndRemovalsWhereTheyHappen) {
    RecordingObserver seen; // outlives the grid, which detaches it at the end
    StringGrid grid = GridWithRows({"1", "2", "3", "4"});
    grid.setObserver(&seen);
    InsertGridRow(grid, 3);
    EXPECT_EQ(seen.take(), "before +rows 3x1; after +rows 3x1");
    DeleteGridRow(grid, 2);
    EXPECT_EQ(seen.take(), "before -rows 2x1; after -rows 2x1");
    EXPECT_EQ(grid.colTexts(0), QStringList({"", "1", "", "3", "4"}));
    // Growing and shrinking happen at the end; a grid keeps one row.
    ClearGrid(grid, 6);
    EXPECT_EQ(seen.take().rfind("before +rows 5x2", 0), 0u);
    grid.setRowCount(3);
    EXPECT_EQ(seen.take(), "before -rows 3x4; after -rows 3x4");
    grid.removeRows(0, 10);
    EXPECT_EQ(seen.take(), "before -rows 0x2; after -rows 0x2; current 0,0");
    EXPECT_EQ(grid.rowCount(), 1);
    grid.setColCount(5);
    grid.setColCount(2);
    EXPECT_EQ(seen.take(), "before +cols 3x2; after +cols 3x2; before -cols 2x3; after -cols 2x3");
    // Nothing changed, nothing told.
    grid.setRowCount(1);
    grid.setColCount(2);
    grid.set(0, 0, QString());
    EXPECT_EQ(seen.take(), "");
}

TEST(StringGrid, TheCurrentCellStaysWithItsRow) {
    RecordingObserver seen; // outlives the grid, which detaches it at the end
    StringGrid grid = GridWithRows({"1", "2", "3", "4"});
    grid.setObserver(&seen);
    grid.setCurrent(3, 2);
    EXPECT_EQ(seen.take(), "current 3,2");
    InsertGridRow(grid, 1);
    EXPECT_EQ(grid.currentRow(), 4);
    EXPECT_EQ(seen.take(), "before +rows 1x1; after +rows 1x1; current 4,2");
    DeleteGridRow(grid, 2);
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_EQ(grid.at(3, 0), "3");
    // The current row itself goes: the next one takes its place, or the new last one.
    DeleteGridRow(grid, 3);
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_EQ(grid.at(3, 0), "4");
    EXPECT_EQ(seen.take(),
              "before -rows 2x1; after -rows 2x1; current 3,2; before -rows 3x1; after -rows 3x1");
    DeleteGridRow(grid, 3);
    EXPECT_EQ(grid.currentRow(), 2);
    grid.setColCount(2);
    EXPECT_EQ(grid.currentCol(), 1);
    // Never in the heading while there are data rows; the heading only in an empty grid.
    grid.setCurrent(0, 0);
    EXPECT_EQ(grid.currentRow(), 1);
    grid.setRowCount(1);
    EXPECT_EQ(grid.currentRow(), 0);
    grid.setRowCount(3);
    EXPECT_EQ(grid.currentRow(), 1);
}

TEST(StringGrid, CopiesDoNotTalkToTheOriginalsObserver) {
    RecordingObserver seen;
    StringGrid grid(2, 3, 1);
    grid.setObserver(&seen);
    StringGrid copy = grid;
    EXPECT_EQ(copy.observer(), nullptr);
    copy.set(1, 1, QStringLiteral("x"));
    EXPECT_EQ(seen.take(), "");
    // Assigning into an observed grid replaces everything: one reset.
    grid = copy;
    EXPECT_EQ(grid.observer(), &seen);
    EXPECT_EQ(seen.take(), "before reset; after reset");
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("x"));
}

TEST(StringGrid, TheObserverIsDetachedWhenReplacedOrWhenTheGridGoes) {
    RecordingObserver first;
    RecordingObserver second;
    {
        StringGrid grid(2, 3);
        grid.setObserver(&first);
        grid.setObserver(&second);
        EXPECT_EQ(first.take(), "detached");
        grid.set(1, 1, QStringLiteral("x"));
    }
    EXPECT_EQ(second.take(), "cell 1,1; detached");
    EXPECT_EQ(first.take(), "");
}
