#include "common/StringGrid.h"

#include <algorithm>
#include <cstdlib>

StringGrid::StringGrid(int colCount, int rowCount, int fixedRows, int fixedCols)
    : m_colCount(std::max(colCount, 1)), m_fixedRows(fixedRows), m_fixedCols(fixedCols) {
    m_rows.assign(std::max(rowCount, 1), QStringList());
    for (QStringList& row : m_rows)
        row.resize(m_colCount);
    m_row = clampRow(fixedRows);
}

StringGrid::StringGrid(const StringGrid& other)
    : m_rows(other.m_rows), m_colCount(other.m_colCount), m_fixedRows(other.m_fixedRows),
      m_fixedCols(other.m_fixedCols), m_row(other.m_row), m_col(other.m_col) {}

StringGrid& StringGrid::operator=(const StringGrid& other) {
    if (this == &other)
        return *this;
    const GridShapeChange reset;
    const int oldRow = m_row;
    const int oldCol = m_col;
    beginShape(reset);
    m_rows = other.m_rows;
    m_colCount = other.m_colCount;
    m_fixedRows = other.m_fixedRows;
    m_fixedCols = other.m_fixedCols;
    m_row = other.m_row;
    m_col = other.m_col;
    endShape(reset, oldRow, oldCol);
    return *this;
}

StringGrid::~StringGrid() {
    setObserver(nullptr);
}

void StringGrid::setObserver(StringGridObserver* observer) {
    if (observer == m_observer)
        return;
    StringGridObserver* former = m_observer;
    m_observer = observer;
    if (former)
        former->gridDetached();
}

void StringGrid::beginShape(const GridShapeChange& change) {
    if (m_observer)
        m_observer->shapeAboutToChange(change);
}

int StringGrid::clampRow(int row) const {
    // The current cell stays out of the heading while there are data rows.
    const int top = rowCount() > m_fixedRows ? std::max(m_fixedRows, 0) : 0;
    return std::clamp(row, top, rowCount() - 1);
}

void StringGrid::endShape(const GridShapeChange& change, int oldRow, int oldCol) {
    m_row = clampRow(m_row);
    m_col = std::clamp(m_col, 0, m_colCount - 1);
    if (!m_observer)
        return;
    m_observer->shapeChanged(change);
    if (m_observer && (m_row != oldRow || m_col != oldCol))
        m_observer->currentChanged(m_row, m_col);
}

void StringGrid::resizeRows(int rows) {
    const int old = rowCount();
    m_rows.resize(rows);
    for (int r = old; r < rows; ++r)
        m_rows[r].resize(m_colCount);
}

void StringGrid::setRowCount(int rows) {
    rows = std::max(rows, 1);
    const int old = rowCount();
    if (rows > old)
        insertRows(old, rows - old);
    else if (rows < old)
        removeRows(rows, old - rows);
}

void StringGrid::setColCount(int cols) {
    cols = std::max(cols, 1);
    if (cols == m_colCount)
        return;
    const int old = m_colCount;
    const GridShapeChange change{cols > old ? GridShapeChange::InsertCols
                                            : GridShapeChange::RemoveCols,
                                 std::min(old, cols), std::abs(cols - old)};
    const int oldRow = m_row;
    const int oldCol = m_col;
    beginShape(change);
    m_colCount = cols;
    for (QStringList& row : m_rows)
        row.resize(cols);
    if (change.kind == GridShapeChange::RemoveCols && m_col >= cols)
        m_col = cols - 1;
    endShape(change, oldRow, oldCol);
}

void StringGrid::setFixedRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == m_fixedRows && rowCount() > rows)
        return;
    // The heading's height decides which rows a view shows: all of them change.
    const GridShapeChange reset;
    const int oldRow = m_row;
    const int oldCol = m_col;
    beginShape(reset);
    m_fixedRows = rows;
    if (rowCount() <= rows)
        resizeRows(rows + 1);
    endShape(reset, oldRow, oldCol);
}

void StringGrid::setFixedCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == m_fixedCols)
        return;
    const GridShapeChange reset;
    beginShape(reset);
    m_fixedCols = cols;
    endShape(reset, m_row, m_col);
}

QString StringGrid::at(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= m_colCount)
        return QString();
    return m_rows[row][col];
}

void StringGrid::set(int row, int col, const QString& text) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= m_colCount)
        return;
    if (m_rows[row][col] == text)
        return;
    m_rows[row][col] = text;
    if (m_observer)
        m_observer->cellChanged(row, col);
}

QStringList StringGrid::rowTexts(int row) const {
    if (row < 0 || row >= rowCount())
        return QStringList(m_colCount);
    return m_rows[row];
}

void StringGrid::setRowTexts(int row, const QStringList& texts) {
    for (int c = 0; c < m_colCount; ++c)
        set(row, c, c < texts.size() ? texts[c] : QString());
}

QStringList StringGrid::colTexts(int col) const {
    QStringList texts;
    texts.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        texts << at(r, col);
    return texts;
}

void StringGrid::clearRow(int row) {
    for (int c = 0; c < m_colCount; ++c)
        set(row, c, QString());
}

void StringGrid::insertRows(int at, int count) {
    if (count <= 0)
        return;
    at = std::clamp(at, 0, rowCount());
    const GridShapeChange change{GridShapeChange::InsertRows, at, count};
    const int oldRow = m_row;
    const int oldCol = m_col;
    beginShape(change);
    QStringList empty;
    empty.resize(m_colCount);
    m_rows.insert(m_rows.begin() + at, count, empty);
    if (m_row >= at)
        m_row += count;
    endShape(change, oldRow, oldCol);
}

void StringGrid::removeRows(int at, int count) {
    if (at < 0 || at >= rowCount() || count <= 0)
        return;
    count = std::min(count, rowCount() - at);
    // A grid keeps at least one row.
    count = std::min(count, rowCount() - 1);
    if (count <= 0)
        return;
    const GridShapeChange change{GridShapeChange::RemoveRows, at, count};
    const int oldRow = m_row;
    const int oldCol = m_col;
    beginShape(change);
    m_rows.erase(m_rows.begin() + at, m_rows.begin() + at + count);
    if (m_row >= at + count)
        m_row -= count;
    else if (m_row >= at)
        m_row = std::min(at, rowCount() - 1); // the row that took its place
    endShape(change, oldRow, oldCol);
}

void StringGrid::setCurrent(int row, int col) {
    row = clampRow(row);
    col = std::clamp(col, 0, m_colCount - 1);
    if (row == m_row && col == m_col)
        return;
    m_row = row;
    m_col = col;
    if (m_observer)
        m_observer->currentChanged(m_row, m_col);
}

void ClearGrid(StringGrid& grid, int rows) {
    const int fixed = grid.fixedRows();
    grid.setRowCount(fixed + std::max(rows, 1));
    for (int r = fixed; r < grid.rowCount(); ++r)
        grid.clearRow(r);
}

void InsertGridRow(StringGrid& grid, int row) {
    if (row < grid.fixedRows())
        row = grid.fixedRows();
    if (row > grid.rowCount())
        row = grid.rowCount();
    grid.insertRows(row);
}

void DeleteGridRow(StringGrid& grid, int row) {
    const int fixed = grid.fixedRows();
    if (row < fixed || row >= grid.rowCount())
        return;
    // The heading row must stay, and a grid keeps at least one data row.
    if (grid.rowCount() - fixed <= 1) {
        grid.clearRow(row);
        return;
    }
    grid.removeRows(row);
}

bool GridIsEmpty(const StringGrid& grid) {
    return grid.rowCount() == 2 && grid.at(1, 0).isEmpty();
}
