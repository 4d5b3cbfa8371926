#pragma once

#include "common/StringGrid.h"
#include "widgets/GridColumn.h"

#include <QList>
#include <QTableView>
#include <memory>

class GridHeader;
class QMenu;
class StringGridModel;

/**
 * The program's grid: shows a StringGrid whose fixed rows are the frozen heading and
 * whose fixed columns stay in place while the rest scrolls. Rows and columns in its
 * interface are the grid's own (heading rows included). The current cell is the grid's:
 * the view shows it wherever the program puts it, and the user's moves set it.
 *
 *     GridView* view = new GridView(this);      // shows a StringGrid of its own
 *     StringGrid& grid = *view->grid();         // what the calculations work on
 *     view->setColumns({GridColumn::text("№"), GridColumn::number("Площа, га", 4)});
 *     connect(view, &GridView::cellEdited, this, &Window::gridSetEditText);
 */
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);
    ~GridView() override;

    /**
     * Shows `grid` (not owned; it must outlive the view, or be replaced first). Without a
     * call the view shows a grid of its own, which lives exactly as long as the view.
     */
    void setGrid(StringGrid* grid);
    /** The grid shown; null only after a grid given to setGrid() was destroyed. */
    StringGrid* grid() const;
    StringGridModel* gridModel() const { return m_model; }

    void setColumns(const QList<GridColumn>& columns);
    void setColumn(int col, const GridColumn& column);
    const GridColumn& column(int col) const;
    /** Sets a column's width; 0 hides it. */
    void setColWidth(int col, int width);
    int colWidth(int col) const;
    /** Group headings that span columns above their captions. */
    void setHeadingGroups(const QList<GridHeadingGroup>& groups);
    /** The height of every data row. */
    void setRowHeights(int height);
    /** The heading's height; 0 sizes it to the captions. */
    void setHeadingHeight(int height);
    GridHeader* gridHeader() const { return m_header; }
    /** The column that takes the grid's width less the other columns and `margin`. */
    void setFillColumn(int col, int margin = 30);
    /** Marks the whole current row instead of the current cell. */
    void setRowSelect(bool rows);

    /**
     * Makes a cell current (grid coordinates, kept out of the heading) and shows it. The
     * current cell is the grid's: this is grid()->setCurrent(), which the view follows
     * wherever it is called from.
     */
    void setCurrentCell(int row, int col);
    /** The grid's current cell (-1 without a grid). */
    int currentGridRow() const;
    int currentGridCol() const;
    /** The cell's rectangle in global screen coordinates (empty when not shown). */
    QRect globalCellRect(int row, int col) const;

    /** Stores the open editor's text, if any. */
    void endEdit();
    /** Drops the open editor's text, if any. */
    void cancelEdit();
    bool isEditing() const;

    /** The menu shown on a right click after popupRequested; a disabled menu is not shown. */
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const { return m_popup; }
    /** The cell under the mouse when the popup was last asked for (-1 outside the cells). */
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }
    /** Copies the current cell's text (Ctrl+C). */
    void copyCell();
    /**
     * Pastes tab-separated rows from the current cell on (Ctrl+V), as the user's edits:
     * editable cells only, numbers cleaned as typed; returns the cells stored.
     */
    int pasteCells(const QString& text);
    /** Applies the grid's pending changes to the view now. */
    void refresh();
    /** The view that shows the fixed columns (null without fixed columns). */
    QTableView* frozenView() const { return m_frozen; }

signals:
    /** The user's edit was stored in the grid; the step windows' SetEditText hook. */
    void cellEdited(int row, int col, const QString& text);
    /** A typed or pasted text a column of combo items only does not offer; nothing stored. */
    void editRefused(int row, int col, const QString& text);
    /** The user chose combo item `item` of a cell by its text; comes before cellEdited. */
    void comboItemChosen(int row, int col, int item);
    /** The grid's current cell moved: by the user, the program or rows coming and going. */
    void currentCellChanged(int row, int col);
    /** A right click on (row, col); may adjust or disable the popup menu before it shows. */
    void popupRequested(int row, int col, const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyPressEvent(QKeyEvent* event) override;
    void updateGeometries() override;

private:
    void applyColumns();
    void fitFillColumn();
    void applyColumn(int col);
    void updateFrozen();
    void updateFrozenGeometry();
    int frozenWidth() const;
    void contextMenuAt(QAbstractItemView* view, const QPoint& pos);
    void viewCurrentChanged(const QModelIndex& current);
    void followGridCurrent();
    void modelWasReset();
    void keepEditingState();

    std::unique_ptr<StringGrid> m_ownGrid;
    StringGridModel* m_model = nullptr;
    GridHeader* m_header = nullptr;
    QTableView* m_frozen = nullptr;
    GridHeader* m_frozenHeader = nullptr;
    QMenu* m_popup = nullptr;
    QList<GridHeadingGroup> m_groups;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_rowHeight = 0;
    int m_fillCol = -1;
    int m_fillMargin = 30;
};
