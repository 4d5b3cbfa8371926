#include "widgets/GridView.h"
#include "tests/support/TestSupport.h"
#include "widgets/GridHeader.h"
#include "widgets/StringGridModel.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QLineEdit* openEditor(GridView& view) {
    return qobject_cast<QLineEdit*>(view.indexWidget(view.currentIndex()));
}

/** The district grid of the areas step: number, area, map area, description. */
struct AreasGrid {
    StringGrid grid{4, 4};
    GridView view;
    AreasGrid() {
        view.setGrid(&grid);
        GridColumn map = GridColumn::number(QStringLiteral("З карти, га"), 4, 80);
        map.readOnly = true;
        map.shaded = true;
        GridColumn description = GridColumn::text(QStringLiteral("Опис меж району"), 200);
        description.wrap = true;
        view.setColumns({GridColumn::text(QStringLiteral("№ оцін.р-ну"), 60),
                         GridColumn::number(QStringLiteral("Площа, га"), 4, 80), map, description});
        view.resize(500, 300);
        view.show();
        view.activateWindow();
        view.setFocus();
    }
};
} // namespace

TEST(GridView, ColumnsOfWidthZeroAreHidden) {
    StringGrid grid(3, 2);
    GridView view;
    view.setGrid(&grid);
    view.setColumns({GridColumn::text(QStringLiteral("п/п"), 30),
                     GridColumn::text(QStringLiteral("Категорія"), 0),
                     GridColumn::text(QStringLiteral("Назва"), 120)});
    EXPECT_TRUE(view.isColumnHidden(1));
    EXPECT_EQ(view.colWidth(1), 0);
    EXPECT_EQ(view.colWidth(2), 120);
    view.setColWidth(1, 70);
    EXPECT_FALSE(view.isColumnHidden(1));
    EXPECT_EQ(view.colWidth(1), 70);
    EXPECT_EQ(grid.at(0, 1), QStringLiteral("Категорія"));
    // Columns added later by the program get their settings too.
    view.setColumn(4, GridColumn::text(QStringLiteral("нова"), 0));
    EXPECT_EQ(view.gridModel()->columnCount(), 5);
    EXPECT_TRUE(view.isColumnHidden(4));
}

TEST(GridView, NumericEditorFiltersTypingAndEnterStores) {
    RecordingMessages messages;
    AreasGrid g;
    QSignalSpy edited(&g.view, &GridView::cellEdited);
    g.view.setCurrentCell(2, 1);
    QTest::keyClick(&g.view, Qt::Key_F2);
    QLineEdit* editor = openEditor(g.view);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    typeText(editor, QStringLiteral("12,34567x"));
    EXPECT_EQ(editor->text(), QStringLiteral("12.3456"));
    EXPECT_EQ(messages.beeps, 2); // the fifth decimal and the letter, one beep each
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(g.grid.at(2, 1), QStringLiteral("12.3456"));
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited[0][0].toInt(), 2);
    EXPECT_EQ(edited[0][1].toInt(), 1);
}

TEST(GridView, EscapeDropsTheEditAndTypingStartsOne) {
    RecordingMessages messages;
    AreasGrid g;
    g.grid.set(1, 3, QStringLiteral("старий"));
    g.view.setCurrentCell(1, 3);
    typeText(&g.view, QStringLiteral("н"));
    QLineEdit* editor = openEditor(g.view);
    ASSERT_NE(editor, nullptr);
    typeText(editor, QStringLiteral("ова"));
    EXPECT_EQ(editor->text(), QStringLiteral("нова"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(g.view.isEditing());
    EXPECT_EQ(g.grid.at(1, 3), QStringLiteral("старий"));
}

TEST(GridView, ReadOnlyColumnOpensNoEditor) {
    AreasGrid g;
    g.view.setCurrentCell(1, 2);
    QTest::keyClick(&g.view, Qt::Key_F2);
    EXPECT_EQ(openEditor(g.view), nullptr);
}

TEST(GridView, EndEditStoresTheOpenEditor) {
    AreasGrid g;
    g.view.setCurrentCell(3, 0);
    QTest::keyClick(&g.view, Qt::Key_F2);
    QLineEdit* editor = openEditor(g.view);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("5"));
    g.view.endEdit();
    EXPECT_EQ(g.grid.at(3, 0), QStringLiteral("5"));
    EXPECT_FALSE(g.view.isEditing());
}

TEST(GridView, CurrentCellFollowsTheKeyboardAndTheProgram) {
    AreasGrid g;
    QSignalSpy current(&g.view, &GridView::currentCellChanged);
    g.view.setCurrentCell(1, 0);
    QTest::keyClick(&g.view, Qt::Key_Down);
    QTest::keyClick(&g.view, Qt::Key_Right);
    EXPECT_EQ(g.grid.currentRow(), 2);
    EXPECT_EQ(g.grid.currentCol(), 1);
    EXPECT_GE(current.count(), 2);
    // Rows added by a calculation appear, and a cell there can be made current.
    ClearGrid(g.grid, 10);
    g.view.setCurrentCell(9, 3);
    EXPECT_EQ(g.view.currentIndex().row(), 8);
    EXPECT_EQ(g.grid.currentRow(), 9);
}

TEST(GridView, TheProgramMovesTheViewThroughTheGrid) {
    AreasGrid g;
    ClearGrid(g.grid, 200);
    QSignalSpy current(&g.view, &GridView::currentCellChanged);
    g.grid.setCurrent(150, 3);
    EXPECT_EQ(g.view.currentIndex(), g.view.gridModel()->index(149, 3));
    EXPECT_TRUE(
        g.view.viewport()->rect().intersects(g.view.visualRect(g.view.gridModel()->index(149, 3))));
    ASSERT_EQ(current.count(), 1);
    EXPECT_EQ(current[0][0].toInt(), 150);
    // A click is the user's move: the grid hears of it.
    const QModelIndex below = g.view.gridModel()->index(150, 1);
    QTest::mouseClick(g.view.viewport(), Qt::LeftButton, {}, g.view.visualRect(below).center());
    EXPECT_EQ(g.grid.currentRow(), 151);
    EXPECT_EQ(g.grid.currentCol(), 1);
    EXPECT_EQ(current.count(), 2);
}

TEST(GridView, RowsInsertedOrDeletedAboveKeepTheOpenEditorOnItsRow) {
    AreasGrid g;
    ClearGrid(g.grid, 6);
    for (int r = 1; r <= 6; ++r)
        g.grid.set(r, 0, QString::number(r));
    g.view.setCurrentCell(4, 3);
    QTest::keyClick(&g.view, Qt::Key_F2);
    QLineEdit* editor = openEditor(g.view);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("опис"));
    // A calculation inserts a row above and deletes another; the editor moves along.
    InsertGridRow(g.grid, 2);
    EXPECT_TRUE(g.view.isEditing());
    DeleteGridRow(g.grid, 1);
    EXPECT_TRUE(g.view.isEditing());
    InsertGridRow(g.grid, 6);
    EXPECT_TRUE(g.view.isEditing());
    EXPECT_EQ(g.grid.currentRow(), 4);
    EXPECT_EQ(g.view.currentIndex().row(), 3);
    EXPECT_EQ(g.view.selectionModel()->selectedIndexes(),
              QModelIndexList({g.view.gridModel()->index(3, 3)}));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(g.grid.at(4, 3), QStringLiteral("опис"));
    EXPECT_EQ(g.grid.at(4, 0), QStringLiteral("4"));
}

TEST(GridView, DeletingTheCurrentRowMakesTheNextOneCurrent) {
    AreasGrid g;
    ClearGrid(g.grid, 4);
    for (int r = 1; r <= 4; ++r)
        g.grid.set(r, 0, QString::number(r));
    g.view.setCurrentCell(2, 1);
    DeleteGridRow(g.grid, 2);
    EXPECT_EQ(g.grid.currentRow(), 2);
    EXPECT_EQ(g.grid.at(2, 0), QStringLiteral("3"));
    EXPECT_EQ(g.view.currentIndex(), g.view.gridModel()->index(1, 1));
    // The last row goes: the new last row is current.
    g.view.setCurrentCell(3, 1);
    DeleteGridRow(g.grid, 3);
    EXPECT_EQ(g.grid.currentRow(), 2);
    EXPECT_EQ(g.view.currentIndex(), g.view.gridModel()->index(1, 1));
}

TEST(GridView, AGridDestroyedBeforeItsViewIsLetGo) {
    auto grid = std::make_unique<StringGrid>(3, 4, 1, 1);
    GridView view;
    view.setGrid(grid.get());
    view.setColumns({GridColumn::text(QStringLiteral("a"), 40)});
    view.show();
    ASSERT_NE(view.frozenView(), nullptr);
    grid->set(1, 0, QStringLiteral("x"));
    grid.reset();
    EXPECT_EQ(view.grid(), nullptr);
    EXPECT_EQ(view.frozenView(), nullptr);
    EXPECT_EQ(view.currentGridRow(), -1);
    view.setCurrentCell(1, 1);
    view.copyCell();
    QCoreApplication::processEvents();
    view.grab();
    // The view can be given a grid again.
    view.setGrid(nullptr);
    EXPECT_NE(view.grid(), nullptr);
}

TEST(GridView, EnterNeverReachesTheDefaultButton) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new GridView(&dialog); // with a grid of its own, as step windows use it
    StringGrid& grid = *view->grid();
    grid.setColCount(3);
    auto* save = new QPushButton(QStringLiteral("Зберегти"), &dialog);
    save->setDefault(true);
    layout->addWidget(view);
    layout->addWidget(save);
    QSignalSpy accepted(save, &QPushButton::clicked);
    dialog.show();
    view->setFocus();
    view->setCurrentCell(1, 0);
    QTest::keyClick(view, Qt::Key_Return); // starts an edit
    QLineEdit* editor = openEditor(*view);
    ASSERT_NE(editor, nullptr);
    typeText(editor, QStringLiteral("7"));
    QTest::keyClick(editor, Qt::Key_Return); // stores it
    QTRY_COMPARE(grid.at(1, 0), QStringLiteral("7"));
    EXPECT_EQ(accepted.count(), 0);
}

TEST(GridView, ComboColumnOffersItsItems) {
    StringGrid grid(2, 3);
    GridView view;
    view.setGrid(&grid);
    GridColumn kf = GridColumn::text(QStringLiteral("Значення\r\nфункціон."), 70);
    kf.comboItems = {QStringLiteral("1.00"), QStringLiteral("1.20"), QStringLiteral("2.50")};
    view.setColumns({GridColumn::text(QStringLiteral("№")), kf});
    view.show();
    view.setFocus();
    view.setCurrentCell(1, 1);
    QTest::keyClick(&view, Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(view.indexWidget(view.currentIndex()));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 3);
    combo->setCurrentIndex(2);
    view.endEdit();
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("2.50"));
}

TEST(GridView, ComboItemsStoreTheirValuesAndAnItemsOnlyColumnRefusesOthers) {
    StringGrid grid(3, 3);
    GridView view;
    view.setGrid(&grid);
    GridColumn code = GridColumn::text(QStringLiteral("Шифр"), 60);
    code.comboItems = {QStringLiteral("41г - Чорноземи опідзолені"),
                       QStringLiteral("45г - Темно-сірі опідзолені"), QStringLiteral("53.2г")};
    code.comboValues = {QStringLiteral("41г"), QStringLiteral("45г"), QStringLiteral("53.2г")};
    code.comboOnly = true;
    GridColumn kf = GridColumn::text(QStringLiteral("Kf"), 60);
    kf.comboItems = {QStringLiteral("1.00 — Землі житлової забудови"),
                     QStringLiteral("1.00 — Землі транспорту, зв'язку")};
    kf.comboValues = {QStringLiteral("1.00"), QStringLiteral("1.00")};
    view.setColumns({GridColumn::text(QStringLiteral("№")), code, kf});
    QSignalSpy refused(&view, &GridView::editRefused);
    QSignalSpy chosen(&view, &GridView::comboItemChosen);
    StringGridModel* model = view.gridModel();
    const QModelIndex codeCell = model->index(0, 1);

    // The editor offers the named items and opens on the stored value's item.
    grid.set(1, 1, QStringLiteral("45г"));
    view.show();
    view.setCurrentCell(1, 1);
    QTest::keyClick(&view, Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(view.indexWidget(view.currentIndex()));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentIndex(), 1);
    combo->setCurrentIndex(0); // chosen by its name
    view.endEdit();
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("41г"));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.last().at(2).toInt(), 0);

    // Typed: a value in any letter case is the item's; a code the list lacks is refused.
    EXPECT_TRUE(model->setData(codeCell, QStringLiteral("53.2Г")));
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("53.2г"));
    EXPECT_FALSE(model->setData(codeCell, QStringLiteral("41")));
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("53.2г"));
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.last().at(2).toString(), QStringLiteral("41"));
    // Pasting goes the same way; clearing is always allowed.
    view.setCurrentCell(2, 1);
    EXPECT_EQ(view.pasteCells(QStringLiteral("99\t1.15")), 1);
    EXPECT_EQ(grid.at(2, 1), QString());
    EXPECT_EQ(grid.at(2, 2), QStringLiteral("1.15")); // a column with free typing keeps it
    EXPECT_TRUE(model->setData(codeCell, QString()));
    EXPECT_EQ(grid.at(1, 1), QString());

    // Items with the same value: the one chosen by name is reported, its value stored.
    chosen.clear();
    EXPECT_TRUE(model->setData(model->index(0, 2), kf.comboItems[1]));
    EXPECT_EQ(grid.at(1, 2), QStringLiteral("1.00"));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.last().at(2).toInt(), 1);
}

TEST(GridView, FixedColumnsStayInAFrozenView) {
    StringGrid grid(6, 4, 1, 2);
    GridView view;
    view.setGrid(&grid);
    QList<GridColumn> columns;
    for (int c = 0; c < 6; ++c)
        columns << GridColumn::number(QStringLiteral("c%1").arg(c), 2, 50 + c);
    view.setColumns(columns);
    view.resize(200, 200);
    view.show();
    ASSERT_NE(view.frozenView(), nullptr);
    EXPECT_FALSE(view.frozenView()->isColumnHidden(0));
    EXPECT_FALSE(view.frozenView()->isColumnHidden(1));
    EXPECT_TRUE(view.frozenView()->isColumnHidden(2));
    EXPECT_EQ(view.frozenView()->width(), 50 + 51);
    // Fixed columns are headings of the rows, not data to type over.
    EXPECT_FALSE(view.gridModel()->flags(view.gridModel()->index(0, 1)) & Qt::ItemIsEditable);
}

TEST(GridView, GroupHeadingsAddABandAboveTheCaptions) {
    StringGrid grid(8, 3);
    GridView view;
    view.setGrid(&grid);
    QList<GridColumn> columns;
    for (int c = 0; c < 8; ++c)
        columns << GridColumn::text(QStringLiteral("Середній бал"), 60);
    view.setColumns(columns);
    const int plain = view.gridHeader()->sizeHint().height();
    view.setHeadingGroups({{2, 4, QStringLiteral("I. ТРАНСПОРТНО-ФУНКЦІОНАЛЬНА  ДОСТУПНІСТЬ")},
                           {5, 7, QStringLiteral("II. ЕКОЛОГІЧНА ЯКІСТЬ")}});
    EXPECT_GT(view.gridHeader()->groupBandHeight(), 0);
    EXPECT_GT(view.gridHeader()->sizeHint().height(), plain);
    EXPECT_EQ(view.gridHeader()->groupOf(3), 0);
    EXPECT_EQ(view.gridHeader()->groupOf(7), 1);
    EXPECT_EQ(view.gridHeader()->groupOf(1), -1);
    view.setHeadingHeight(80);
    EXPECT_EQ(view.gridHeader()->sizeHint().height(), 80);
    view.show();
    EXPECT_EQ(view.horizontalHeader()->height(), 80);
}

TEST(GridView, RightClickTellsTheCellUnderTheMouse) {
    AreasGrid g;
    QMenu menu;
    menu.addAction(QStringLiteral("Додати строку"));
    g.view.setPopupMenu(&menu);
    int row = -2;
    int col = -2;
    QObject::connect(&g.view, &GridView::popupRequested, &menu, [&](int r, int c) {
        row = r;
        col = c;
        menu.setEnabled(false); // not shown: the test must not block in exec
    });
    const QRect cell = g.view.visualRect(g.view.gridModel()->index(1, 3));
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                            g.view.viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(g.view.viewport(), &event);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(col, 3);
    EXPECT_EQ(g.view.mouseRow(), 2);
    EXPECT_EQ(g.view.mouseCol(), 3);
}

TEST(GridView, RowHeightsApplyToNewRows) {
    StringGrid grid(3, 2);
    GridView view;
    view.setGrid(&grid);
    view.setRowHeights(50);
    ClearGrid(grid, 4);
    view.refresh();
    EXPECT_EQ(view.rowHeight(3), 50);
}

TEST(GridView, FillColumnTakesTheRestAndUserWidthsStay) {
    AreasGrid g;
    g.view.setFillColumn(3, 30);
    g.view.resize(600, 300);
    EXPECT_EQ(g.view.colWidth(3), 600 - 60 - 80 - 80 - 30);
    g.view.setColumnWidth(1, 95); // as the user drags it
    g.view.setColWidth(0, 40);
    EXPECT_EQ(g.view.colWidth(1), 95);
    EXPECT_EQ(g.view.colWidth(3), 600 - 40 - 95 - 80 - 30);
}

TEST(GridView, AGridWithoutHeadingRowsShowsNoHeading) {
    StringGrid grid(2, 3, 0, 0);
    GridView view;
    view.setGrid(&grid);
    EXPECT_TRUE(view.horizontalHeader()->isHidden());
    EXPECT_EQ(view.gridModel()->rowCount(), 3);
}

TEST(GridView, PastingABlockStoresEditableCellsAsUserEdits) {
    RecordingMessages messages;
    AreasGrid g;
    QSignalSpy edited(&g.view, &GridView::cellEdited);
    g.view.setCurrentCell(2, 0);
    // Number, area, map area (read-only), description; the last line runs off the grid.
    const int stored = g.view.pasteCells(
        QStringLiteral("7\t12,5\t99\tбіля річки\r\n8\t3.14159\t1\tліс\r\n9\t1\t1\tполе\r\n"));
    EXPECT_EQ(stored, 6);
    EXPECT_EQ(g.grid.rowTexts(2), QStringList({QStringLiteral("7"), QStringLiteral("12.5"),
                                               QString(), QStringLiteral("біля річки")}));
    EXPECT_EQ(g.grid.rowTexts(3), QStringList({QStringLiteral("8"), QStringLiteral("3.1415"),
                                               QString(), QStringLiteral("ліс")}));
    EXPECT_EQ(edited.count(), 6);
    EXPECT_EQ(messages.beeps, 1);

    g.view.setCurrentCell(1, 3);
    QGuiApplication::clipboard()->setText(QStringLiteral("опис"));
    QTest::keyClick(&g.view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(g.grid.at(1, 3), QStringLiteral("опис"));
    g.view.setCurrentCell(2, 1);
    QTest::keyClick(&g.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12.5"));
}

namespace {
/** A window that keeps its grid as a member: the grid dies before the child view. */
class WindowWithGrid final : public QDialog {
public:
    StringGrid rows{2, 3};
    GridView* view;
    WindowWithGrid() {
        view = new GridView(this);
        view->setGrid(&rows);
        view->setColumns({GridColumn::text(QStringLiteral("Показник"), 100),
                          GridColumn::text(QStringLiteral("Значення"), 100)});
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(view);
    }
};
} // namespace

TEST(GridView, AWindowClosedWhileShownTakesItsGridAlongSafely) {
    auto* window = new WindowWithGrid;
    window->show();
    window->rows.set(1, 1, QStringLiteral("12"));
    QCoreApplication::processEvents();
    delete window; // still visible: hiding must not read the member grid
    SUCCEED();
}
