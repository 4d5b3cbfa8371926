#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/** A change of a grid's shape, in the grid's own rows and columns (heading included). */
struct GridShapeChange {
    enum Kind { InsertRows, RemoveRows, InsertCols, RemoveCols, Reset };
    Kind kind = Reset;
    /** The first row or column inserted or removed; unused for Reset. */
    int first = 0;
    /** How many rows or columns; unused for Reset. */
    int count = 0;
};

/**
 * Told of every change of a StringGrid as it happens, so that a view can follow. A shape
 * change comes as a pair: before it the grid still has its former shape, after it the new.
 */
class StringGridObserver {
public:
    virtual ~StringGridObserver() = default;
    virtual void shapeAboutToChange(const GridShapeChange& change) = 0;
    virtual void shapeChanged(const GridShapeChange& change) = 0;
    virtual void cellChanged(int row, int col) = 0;
    /** The current cell moved: set by the program or the user, or shifted by a shape change. */
    virtual void currentChanged(int row, int col) = 0;
    /** The grid no longer reports here (it is being destroyed or has another observer). */
    virtual void gridDetached() = 0;
};

/**
 * A table of texts addressed by row and column, the first rows (and columns) fixed
 * headings, with a current cell. Every step calculation works on one of these; the grid
 * widget only shows it, and follows its current cell.
 *
 * The current cell lies outside the heading rows while there are data rows. Rows inserted
 * before it move it down, removed ones move it up; when the current row itself is
 * removed, the row that takes its place (or the new last row) becomes current.
 */
class StringGrid {
public:
    explicit StringGrid(int colCount = 1, int rowCount = 2, int fixedRows = 1, int fixedCols = 0);
    /** A copy has the texts and the current cell, never the original's observer. */
    StringGrid(const StringGrid& other);
    /** Replaces the whole content; the observer stays and hears of a reset. */
    StringGrid& operator=(const StringGrid& other);
    /** Detaches the observer. */
    ~StringGrid();

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int colCount() const { return m_colCount; }
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    /** Adds empty rows or removes rows at the end; a grid keeps at least one row. */
    void setRowCount(int rows);
    /** Adds empty columns or removes columns at the right; at least one column. */
    void setColCount(int cols);
    /** Sets the heading rows, adding rows so that one data row stays. */
    void setFixedRows(int rows);
    void setFixedCols(int cols);

    /** The text of a cell; "" outside the grid. */
    QString at(int row, int col) const;
    /** Sets a cell; ignored outside the grid. */
    void set(int row, int col, const QString& text);
    QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList& texts);
    QStringList colTexts(int col) const;
    void clearRow(int row);

    /** Inserts `count` empty rows before row `at` (clamped to 0..rowCount()). */
    void insertRows(int at, int count = 1);
    /** Removes up to `count` rows from row `at` on; the grid keeps at least one row. */
    void removeRows(int at, int count = 1);

    int currentRow() const { return m_row; }
    int currentCol() const { return m_col; }
    /** Makes a cell current (clamped to the grid, below the heading); a view follows. */
    void setCurrent(int row, int col);
    void setCurrentRow(int row) { setCurrent(row, m_col); }

    /**
     * The one observer told of every change (a view's model), or null. A new observer
     * replaces the former one, which is told it was detached.
     */
    void setObserver(StringGridObserver* observer);
    StringGridObserver* observer() const { return m_observer; }

private:
    void beginShape(const GridShapeChange& change);
    void endShape(const GridShapeChange& change, int oldRow, int oldCol);
    void resizeRows(int rows);
    int clampRow(int row) const;

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
/** Removes `row`; the only data row is emptied instead, so the grid keeps one. */
void DeleteGridRow(StringGrid& grid, int row);
/** Exactly one data row under one heading row, with an empty first cell. */
bool GridIsEmpty(const StringGrid& grid);
