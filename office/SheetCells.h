#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

/**
 * The values of one worksheet as texts, addressed by row and column from 1.
 *
 * A statement has hundreds of thousands of values. They are kept one after another in one
 * text, each cell naming its piece of it. Cells set row by row, column by column (as a
 * sheet is read) are found by a binary search of that order; cells set in any other order
 * go to a hash from then on.
 */
class SheetCells {
public:
    /** The cell's text; "" for an empty cell or one outside the sheet. */
    QString text(int row, int column) const;
    /** Sets a cell's text; "" empties the cell. */
    void set(int row, int column, QStringView text);
    /** Makes room for `cells` values of `characters` characters in all. */
    void reserve(qsizetype cells, qsizetype characters);
    /** The last row and column that ever held a value. */
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    /** The number of cells with a value. */
    qsizetype size() const { return m_ordered ? qsizetype(m_list.size()) : m_hash.size(); }

private:
    /** Where a cell's text lies in m_text. */
    struct Piece {
        qsizetype offset = 0;
        qsizetype length = 0;
    };
    struct Entry {
        quint64 key = 0;
        Piece piece;
    };
    static quint64 key(int row, int column) {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }
    /** Moves the cells into the hash, for a cell set out of order. */
    void leaveOrder();

    /** While true the cells are in m_list, in increasing key order; else in m_hash. */
    bool m_ordered = true;
    std::vector<Entry> m_list;
    QHash<quint64, Piece> m_hash;
    /** Every text set, one after another (a replaced text stays, unused). */
    QString m_text;
    int m_rows = 0;
    int m_columns = 0;
};
