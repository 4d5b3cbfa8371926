#pragma once

#include <QHash>
#include <QString>

/** The values of one worksheet as texts, addressed by row and column from 1. */
class SheetCells {
public:
    /** The cell's text; "" for an empty cell or one outside the sheet. */
    QString text(int row, int column) const { return m_cells.value(key(row, column)); }
    void set(int row, int column, const QString& text) {
        if (text.isEmpty()) {
            m_cells.remove(key(row, column));
            return;
        }
        m_cells.insert(key(row, column), text);
        m_rows = std::max(m_rows, row);
        m_columns = std::max(m_columns, column);
    }
    /** The last row and column that ever held a value. */
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    qsizetype size() const { return m_cells.size(); }

private:
    static quint64 key(int row, int column) {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }
    QHash<quint64, QString> m_cells;
    int m_rows = 0;
    int m_columns = 0;
};
