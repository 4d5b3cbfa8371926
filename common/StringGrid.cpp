#include "common/StringGrid.h"

#include <algorithm>

StringGrid::StringGrid(int colCount, int rowCount, int fixedRows, int fixedCols)
    : m_colCount(std::max(colCount, 1)), m_fixedRows(fixedRows), m_fixedCols(fixedCols) {
    m_rows.assign(std::max(rowCount, 1), QStringList());
    for (QStringList& row : m_rows)
        row.resize(m_colCount);
    m_row = std::min(fixedRows, this->rowCount() - 1);
}

StringGrid::StringGrid(const StringGrid& other)
    : m_rows(other.m_rows), m_colCount(other.m_colCount), m_fixedRows(other.m_fixedRows),
      m_fixedCols(other.m_fixedCols), m_row(other.m_row), m_col(other.m_col) {}

StringGrid& StringGrid::operator=(const StringGrid& other) {
    if (this == &other)
        return *this;
    m_rows = other.m_rows;
    m_colCount = other.m_colCount;
    m_fixedRows = other.m_fixedRows;
    m_fixedCols = other.m_fixedCols;
    m_row = other.m_row;
    m_col = other.m_col;
    notifyStructure();
    return *this;
}

void StringGrid::setRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows == rowCount())
        return;
    const int old = rowCount();
    m_rows.resize(rows);
    for (int r = old; r < rows; ++r)
        m_rows[r].resize(m_colCount);
    m_row = std::clamp(m_row, 0, rows - 1);
    notifyStructure();
}

void StringGrid::setColCount(int cols) {
    cols = std::max(cols, 1);
    if (cols == m_colCount)
        return;
    m_colCount = cols;
    for (QStringList& row : m_rows)
        row.resize(cols);
    m_col = std::clamp(m_col, 0, cols - 1);
    notifyStructure();
}

void StringGrid::setFixedRows(int rows) {
    m_fixedRows = rows;
    if (rowCount() <= rows)
        setRowCount(rows + 1);
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

void StringGrid::insertRow(int at) {
    at = std::clamp(at, 0, rowCount());
    QStringList empty;
    empty.resize(m_colCount);
    m_rows.insert(m_rows.begin() + at, empty);
    notifyStructure();
}

void StringGrid::removeRow(int at) {
    if (at < 0 || at >= rowCount() || rowCount() <= 1)
        return;
    m_rows.erase(m_rows.begin() + at);
    m_row = std::clamp(m_row, 0, rowCount() - 1);
    notifyStructure();
}

void StringGrid::moveRow(int from, int to) {
    if (from < 0 || from >= rowCount() || to < 0 || to >= rowCount() || from == to)
        return;
    QStringList row = std::move(m_rows[from]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(row));
    notifyStructure();
}

void StringGrid::setCurrent(int row, int col) {
    m_row = std::clamp(row, 0, rowCount() - 1);
    m_col = std::clamp(col, 0, m_colCount - 1);
}

void StringGrid::notifyStructure() {
    if (m_observer)
        m_observer->structureChanged();
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
    grid.insertRow(row);
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
    grid.removeRow(row);
}

bool GridIsEmpty(const StringGrid& grid) {
    return grid.rowCount() == 2 && grid.at(1, 0).isEmpty();
}
