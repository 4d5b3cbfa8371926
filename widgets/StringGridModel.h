#pragma once

#include "common/StringGrid.h"
#include "widgets/DisplayText.h"
#include "widgets/GridColumn.h"

#include <QAbstractTableModel>
#include <QList>

/**
 * Shows the data rows of a StringGrid to Qt views; the grid's fixed rows become the
 * heading. Changes the program makes to the grid are gathered and announced once per
 * pass of the event loop (or at flush()), so filling a large grid stays fast.
 * The model never touches the grid when it is destroyed, so a grid that dies first
 * (a window's member, destroyed before the window's child widgets) is no hazard.
 */
class GridLink;

class StringGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGridModel(StringGrid* grid, QObject* parent = nullptr);
    ~StringGridModel() override;

    StringGrid* grid() const { return m_grid; }
    int fixedRows() const { return m_grid->fixedRows(); }
    int fixedCols() const { return m_grid->fixedCols(); }
    /** The grid row shown as model row `row`, and back. */
    int gridRow(int modelRow) const { return modelRow + m_grid->fixedRows(); }
    int modelRow(int gridRow) const { return gridRow - m_grid->fixedRows(); }

    /** Sets every column (and the grid's column count when it is smaller). */
    void setColumns(const QList<GridColumn>& columns);
    void setColumn(int col, const GridColumn& column);
    /** The settings of a column (defaults for one never set). */
    const GridColumn& column(int col) const;
    /** The heading texts of a column, one per fixed row, line breaks normalised. */
    QStringList headingLines(int col) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    /** Told by the grid (through a link that outlives the model). */
    void cellChanged(int row, int col);
    void structureChanged();

    /** Announces the gathered changes now. */
    void flush();

signals:
    /** The user's edit of a cell was stored in the grid (grid coordinates). */
    void cellEdited(int row, int col, const QString& text);
    /** The settings of columns first..last changed (widths, captions...). */
    void columnsChanged(int first, int last);

private:
    void scheduleFlush();

    StringGrid* m_grid;
    GridLink* m_link;
    QList<GridColumn> m_columns;
    int m_rows = 0;
    int m_cols = 0;
    bool m_structurePending = false;
    bool m_flushScheduled = false;
    bool m_headingPending = false;
    int m_dirtyTop = -1, m_dirtyBottom = -1, m_dirtyLeft = -1, m_dirtyRight = -1;
};
