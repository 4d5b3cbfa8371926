#include "widgets/StringGridModel.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
QString cell(const StringGridModel& m, int row, int col) {
    return m.data(m.index(row, col)).toString();
}
} // namespace

TEST(StringGridModel, ShowsDataRowsAndTheHeadingFromFixedRows) {
    StringGrid grid(3, 4);
    StringGridModel model(&grid);
    model.setColumns({GridColumn::text(QStringLiteral("№ оцін.р-ну")),
                      GridColumn::number(QStringLiteral("Площа, га"), 4),
                      GridColumn::text(QStringLiteral("Опис меж\r\nрайону"))});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    // Captions live in the grid, where the calculations read column titles.
    EXPECT_EQ(grid.at(0, 1), QStringLiteral("Площа, га"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Опис меж\nрайону"));
    grid.set(1, 1, QStringLiteral("12.5000"));
    EXPECT_EQ(cell(model, 0, 1), QStringLiteral("12.5000"));
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
}

TEST(StringGridModel, UserEditIsStoredInTheGridAndAnnounced) {
    StringGrid grid(2, 3);
    StringGridModel model(&grid);
    QSignalSpy edited(&model, &StringGridModel::cellEdited);
    EXPECT_TRUE(model.setData(model.index(1, 1), QStringLiteral("7")));
    EXPECT_EQ(grid.at(2, 1), QStringLiteral("7"));
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited[0][0].toInt(), 2); // grid row, heading included
    EXPECT_EQ(edited[0][1].toInt(), 1);
    EXPECT_EQ(edited[0][2].toString(), QStringLiteral("7"));
    // An unchanged text is still an edit the step windows hear of.
    EXPECT_TRUE(model.setData(model.index(1, 1), QStringLiteral("7")));
    EXPECT_EQ(edited.count(), 2);
}

TEST(StringGridModel, ReadOnlyAndFixedColumnsRefuseEdits) {
    StringGrid grid(3, 2, 1, 1);
    StringGridModel model(&grid);
    GridColumn shaded = GridColumn::number(QStringLiteral("З карти, га"), 4);
    shaded.readOnly = true;
    shaded.shaded = true;
    model.setColumn(2, shaded);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, 2), QStringLiteral("1")));
    EXPECT_EQ(grid.at(1, 2), QString());
    EXPECT_TRUE(model.data(model.index(0, 2), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model.data(model.index(0, 1), Qt::BackgroundRole).isValid());
}

TEST(StringGridModel, GridRowChangesReachTheViewsOnFlush) {
    StringGrid grid(2, 2);
    StringGridModel model(&grid);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    ClearGrid(grid, 999);
    InsertGridRow(grid, 1);
    EXPECT_EQ(model.rowCount(), 1); // not yet told
    model.flush();
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(inserted.count(), 1);
    ClearGrid(grid, 1);
    model.flush();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(removed.count(), 1);
    grid.setColCount(5);
    model.flush();
    EXPECT_EQ(model.columnCount(), 5);
}

TEST(StringGridModel, ManyCellWritesGiveOneChangeNotice) {
    StringGrid grid(40, 1000);
    StringGridModel model(&grid);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    for (int r = 1; r < 1000; ++r)
        for (int c = 0; c < 40; ++c)
            grid.set(r, c, QString::number(r * c));
    EXPECT_EQ(changed.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(0, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(998, 39));
    EXPECT_EQ(cell(model, 998, 39), QString::number(999 * 39));
}

TEST(StringGridModel, HeadingWritesAnnounceHeaderChange) {
    StringGrid grid(3, 2);
    StringGridModel model(&grid);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    grid.set(0, 2, QStringLiteral("12"));
    model.flush();
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("12"));
    // Settings without a caption keep the district number the program wrote there.
    GridColumn narrow;
    narrow.decimals = 0;
    narrow.width = 25;
    model.setColumn(2, narrow);
    EXPECT_EQ(grid.at(0, 2), QStringLiteral("12"));
    model.setColumn(2, GridColumn::number(QStringLiteral(""), 0, 25));
    EXPECT_EQ(grid.at(0, 2), QString());
}

TEST(StringGridModel, AGridOutlivingItsModelIsSafe) {
    StringGrid grid(2, 2);
    {
        StringGridModel model(&grid);
        EXPECT_NE(grid.observer(), nullptr);
    }
    grid.set(1, 1, QStringLiteral("x")); // must not reach the dead model
    grid.insertRow(1);
    EXPECT_EQ(grid.at(2, 1), QStringLiteral("x"));
}
