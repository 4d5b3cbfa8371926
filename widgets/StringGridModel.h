#pragma once

#include "common/StringGrid.h"
#include "widgets/DisplayText.h"
#include "widgets/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <functional>
#include <optional>

/** What the program marks on one cell: a background tint and a tooltip. */
struct GridCellHint {
    QColor background;
    QString toolTip;
};

/** Asked for a data cell (grid coordinates); nothing leaves the cell as its column draws it. */
using GridCellHints = std::function<std::optional<GridCellHint>(int row, int col)>;

/**
 * Shows the data rows of a StringGrid to Qt views; the grid's fixed rows become the
 * heading. Rows and columns inserted or removed in the grid reach the views at once and
 * where they happen, so selections and open editors stay on their rows; the texts the
 * program writes are gathered and announced once per pass of the event loop (or at
 * flush()), so filling a large grid stays fast.
 *
 * The model is the grid's observer. Either may go first: a destroyed grid leaves the
 * model empty (grid() becomes null), and a destroyed model unhooks itself from the grid.
 */
class StringGridModel final : public QAbstractTableModel, private StringGridObserver {
    Q_OBJECT
public:
    explicit StringGridModel(StringGrid* grid, QObject* parent = nullptr);
    ~StringGridModel() override;

    /** The grid shown; null once it was destroyed or taken over by another model. */
    StringGrid* grid() const { return m_grid; }
    int fixedRows() const { return m_grid ? m_grid->fixedRows() : 0; }
    int fixedCols() const { return m_grid ? m_grid->fixedCols() : 0; }
    /** The grid row shown as model row `row`, and back. */
    int gridRow(int modelRow) const { return modelRow + fixedRows(); }
    int modelRow(int gridRow) const { return gridRow - fixedRows(); }
    /** True while the grid changes its shape (between the begin and end notices). */
    bool isChangingShape() const { return m_inShape; }

    /** Sets every column (and the grid's column count when it is smaller). */
    void setColumns(const QList<GridColumn>& columns);
    void setColumn(int col, const GridColumn& column);
    /** The settings of a column (defaults for one never set). */
    const GridColumn& column(int col) const;
    /** Marks cells by their content (a value out of its range); empty to mark none. */
    void setCellHints(GridCellHints hints);

    /** The heading texts of a column, one per fixed row, line breaks normalised. */
    QStringList headingLines(int col) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    /** Announces the gathered text changes now. */
    void flush();

signals:
    /** The user's edit of a cell was stored in the grid (grid coordinates). */
    void cellEdited(int row, int col, const QString& text);
    /** An edit of a column of combo items only named no item; the cell kept its text. */
    void editRefused(int row, int col, const QString& text);
    /** The user chose combo item `item` of the cell (by its text); comes before cellEdited. */
    void comboItemChosen(int row, int col, int item);
    /** The settings of columns first..last changed (widths, captions...). */
    void columnsChanged(int first, int last);
    /** The grid's current cell moved (grid coordinates). */
    void currentCellChanged(int row, int col);

private:
    void shapeAboutToChange(const GridShapeChange& change) override;
    void shapeChanged(const GridShapeChange& change) override;
    void cellChanged(int row, int col) override;
    void currentChanged(int row, int col) override;
    void gridDetached() override;

    void scheduleFlush();
    /** Forgets the cells written since the last flush (not the heading's). */
    void clearDirty();
    void markHeading(int first, int last);

    StringGrid* m_grid;
    QList<GridColumn> m_columns;
    GridCellHints m_hints;
    bool m_inShape = false;
    /** What the views were told before the grid's shape change, to close it alike. */
    bool m_shapeBegun = false;
    bool m_flushScheduled = false;
    /** Cells written since the last flush, in grid coordinates; top < 0 when none. */
    int m_dirtyTop = -1, m_dirtyBottom = -1, m_dirtyLeft = -1, m_dirtyRight = -1;
    /** Heading columns written since the last flush; left < 0 when none. */
    int m_headingLeft = -1, m_headingRight = -1;
};
