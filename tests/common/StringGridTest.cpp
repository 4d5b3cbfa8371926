#include "common/StringGrid.h"

#include <gtest/gtest.h>

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
struct CountingObserver : StringGridObserver {
    int cells = 0;
    int structures = 0;
    void cellChanged(int, int) override { ++cells; }
    void structureChanged() override { ++structures; }
};
} // namespace

TEST(StringGrid, CopiesDoNotTalkToTheOriginalsView) {
    StringGrid grid(2, 3, 1);
    CountingObserver view;
    grid.setObserver(&view);
    StringGrid copy = grid;
    EXPECT_EQ(copy.observer(), nullptr);
    copy.set(1, 1, QStringLiteral("x"));
    EXPECT_EQ(view.cells, 0);
    // Assigning into an observed grid tells its view.
    grid = copy;
    EXPECT_EQ(grid.observer(), &view);
    EXPECT_EQ(view.structures, 1);
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("x"));
}
