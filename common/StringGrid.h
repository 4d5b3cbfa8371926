#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/** Told when a StringGrid changes, so that a view can follow. */
class StringGridObserver {
public:
    virtual ~StringGridObserver() = default;
    virtual void cellChanged(int row, int col) = 0;
    /** Rows or columns were added, removed or reordered. */
    virtual void structureChanged() = 0;
};

/**
 * A table of texts addressed by row and column, the first rows (and columns) fixed
 * headings, with a current cell. Every step calculation works on one of these; the grid
 * widget only shows it.
 */
class StringGrid {
public:
    explicit StringGrid(int colCount = 1, int rowCount = 2, int fixedRows = 1, int fixedCols = 0);
    /** A copy has the texts and the current cell, never the original's view. */
    StringGrid(const StringGrid& other);
    StringGrid& operator=(const StringGrid& other);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int colCount() const { return m_colCount; }
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setRowCount(int rows);
    void setColCount(int cols);
    void setFixedRows(int rows);
    void setFixedCols(int cols) { m_fixedCols = cols; }

    /** The text of a cell; "" outside the grid. */
    QString at(int row, int col) const;
    /** Sets a cell; ignored outside the grid. */
    void set(int row, int col, const QString& text);
    QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList& texts);
    QStringList colTexts(int col) const;
    void clearRow(int row);

    void insertRow(int at);
    void removeRow(int at);
    void moveRow(int from, int to);

    int currentRow() const { return m_row; }
    int currentCol() const { return m_col; }
    void setCurrent(int row, int col);
    void setCurrentRow(int row) { setCurrent(row, m_col); }

    void setObserver(StringGridObserver* observer) { m_observer = observer; }
    StringGridObserver* observer() const { return m_observer; }

private:
    void notifyStructure();

    std::vector<QStringList> m_rows;
    int m_colCount = 1;
    int m_fixedRows = 1;
    int m_fixedCols = 0;
    int m_row = 1;
    int m_col = 0;
    StringGridObserver* m_observer = nullptr;
};

/** Empties the data rows and leaves fixed rows + max(rows, 1). */
void ClearGrid(StringGrid& grid, int rows);
/** Adds a row at the end, moves the rows from `row` down by one and empties `row`. */
void InsertGridRow(StringGrid& grid, int row);
/** Removes `row`; the only data row, or one whose first cell is empty, is emptied instead. */
void DeleteGridRow(StringGrid& grid, int row);
/** Exactly one data row under one heading row, with an empty first cell. */
bool GridIsEmpty(const StringGrid& grid);
