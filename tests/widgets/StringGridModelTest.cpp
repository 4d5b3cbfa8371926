#include "widgets/StringGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>
#include <string>

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

namespace {
/**
 * Runs Qt's own model checks on every change for the life of the object and keeps what
 * they find wrong.
 */
class ModelCheck {
public:
    explicit ModelCheck(QAbstractItemModel* model) {
        failures().clear();
        m_previous = qInstallMessageHandler(&ModelCheck::record);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    ~ModelCheck() {
        m_tester.reset();
        qInstallMessageHandler(m_previous);
    }
    std::string found() const { return failures().join(u'\n').toStdString(); }

private:
    static QStringList& failures() {
        static QStringList list;
        return list;
    }
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg &&
            QByteArray(context.category).startsWith("qt.modeltest"))
            failures() << text;
    }
    QtMessageHandler m_previous = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

/** The first and last model row of each notice a spy caught, as "first-last". */
QStringList spans(const QSignalSpy& spy) {
    QStringList list;
    for (const QList<QVariant>& args : spy)
        list << QStringLiteral("%1-%2").arg(args[1].toInt()).arg(args[2].toInt());
    return list;
}
} // namespace

TEST(StringGridModel, RowsComeAndGoWhereTheGridInsertsAndRemovesThem) {
    StringGrid grid(3, 6);
    for (int r = 1; r < 6; ++r)
        grid.set(r, 0, QString::number(r));
    StringGridModel model(&grid);
    ModelCheck check(&model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    InsertGridRow(grid, 3); // in the middle, told at once
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(cell(model, 3, 0), QStringLiteral("3"));
    InsertGridRow(grid, 1);               // before the first data row
    InsertGridRow(grid, grid.rowCount()); // after the last
    EXPECT_EQ(spans(inserted), QStringList({"2-2", "0-0", "7-7"}));
    DeleteGridRow(grid, 4);
    DeleteGridRow(grid, 1);
    DeleteGridRow(grid, grid.rowCount() - 1);
    EXPECT_EQ(spans(removed), QStringList({"3-3", "0-0", "5-5"}));
    EXPECT_EQ(grid.colTexts(0), QStringList({"", "1", "2", "3", "4", "5"}));
    // Growing and shrinking at the end.
    ClearGrid(grid, 999);
    ClearGrid(grid, 1);
    EXPECT_EQ(spans(inserted).last(), QStringLiteral("5-998"));
    EXPECT_EQ(spans(removed).last(), QStringLiteral("1-998"));
    DeleteGridRow(grid, 1); // the only data row is emptied, not removed
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(reset.count(), 0);
    // Replacing the whole grid is the one reset.
    grid = StringGrid(3, 4);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(check.found(), "");
}

TEST(StringGridModel, ColumnsAndHeadingRowsChangeCleanly) {
    StringGrid grid(2, 4);
    StringGridModel model(&grid);
    ModelCheck check(&model);
    QSignalSpy columnsInserted(&model, &QAbstractItemModel::columnsInserted);
    QSignalSpy columnsRemoved(&model, &QAbstractItemModel::columnsRemoved);
    grid.setColCount(5);
    EXPECT_EQ(model.columnCount(), 5);
    grid.set(2, 4, QStringLiteral("x"));
    grid.setColCount(3);
    EXPECT_EQ(spans(columnsInserted), QStringList({"2-4"}));
    EXPECT_EQ(spans(columnsRemoved), QStringList({"3-4"}));
    QCoreApplication::processEvents(); // the text written in a removed column is no notice
    // Rows inserted or removed in the heading shift the data rows all the same.
    grid.set(1, 0, QStringLiteral("перший"));
    grid.insertRows(0);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(cell(model, 1, 0), QStringLiteral("перший"));
    grid.removeRows(0, 2);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("перший"));
    grid.setFixedRows(2);
    EXPECT_EQ(model.rowCount(), 1);
    grid.setFixedCols(1);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(check.found(), "");
}

TEST(StringGridModel, TextsWrittenBeforeARowChangeAreAnnouncedAtTheirNewPlace) {
    StringGrid grid(2, 10);
    StringGridModel model(&grid);
    ModelCheck check(&model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    grid.set(6, 1, QStringLiteral("a"));
    grid.set(8, 1, QStringLiteral("b"));
    grid.insertRows(2, 3);
    model.flush();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(8, 1));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(10, 1));
    // Written rows that are then removed leave nothing to announce.
    grid.set(3, 0, QStringLiteral("c"));
    grid.removeRows(3);
    model.flush();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(check.found(), "");
}

TEST(StringGridModel, AGridDestroyedFirstLeavesTheModelEmpty) {
    auto grid = std::make_unique<StringGrid>(3, 5);
    StringGridModel model(grid.get());
    ModelCheck check(&model);
    grid->set(1, 1, QStringLiteral("x")); // pending when the grid goes
    grid.reset();
    EXPECT_EQ(model.grid(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_TRUE(model.headingLines(0).isEmpty());
    QCoreApplication::processEvents();
    model.setColumns({GridColumn::text(QStringLiteral("a"))});
    EXPECT_EQ(check.found(), "");
}

TEST(StringGridModel, AModelDestroyedFirstUnhooksItself) {
    StringGrid grid(2, 2);
    {
        StringGridModel model(&grid);
        EXPECT_NE(grid.observer(), nullptr);
        grid.set(1, 1, QStringLiteral("x")); // a notice still queued when the model goes
    }
    EXPECT_EQ(grid.observer(), nullptr);
    grid.insertRows(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.at(2, 1), QStringLiteral("x"));
    // A second model over the same grid takes it over; the first shows nothing more.
    StringGridModel first(&grid);
    StringGridModel second(&grid);
    EXPECT_EQ(first.grid(), nullptr);
    EXPECT_EQ(second.grid(), &grid);
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
    grid.set(0, 1, QStringLiteral("11"));
    model.flush();
    ASSERT_EQ(header.count(), 1);
    EXPECT_EQ(header[0][1].toInt(), 1); // only the columns written
    EXPECT_EQ(header[0][2].toInt(), 2);
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
