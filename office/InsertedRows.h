#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <pugixml.hpp>
#include <vector>

/**
 * Rows inserted into a table of a document whose cells have only been written since: the
 * texts and bold marks of their cells, kept outside the XML tree, and written out exactly as
 * the tree would have them. A report table of ten thousand rows then costs a string per cell
 * rather than a dozen XML nodes.
 *
 * The rows copy a cycle of pattern rows: one emptied row for rows inserted below a row, the
 * rows of a copied table for each time it is pasted.
 *
 * Rows and columns count from 1 within the table; the rows are firstRow() .. lastRow().
 */
class InsertedRows {
public:
    /** What was written into one cell. */
    struct Cell {
        QString text;
        bool hasText = false;
        bool hasBold = false;
        bool bold = false;
        /** The last bold mark came before the last text, which took its look. */
        bool boldFirst = false;
    };
    /** Writes a cell's changes into a cell of the pattern, as the document writes a cell. */
    using ApplyCell = std::function<void(pugi::xml_node tc, const Cell& cell)>;

    /**
     * `count` rows after the table's row `after`, which is row `afterRow` of the table; row k
     * of them copies `patterns[k % patterns.size()]` (copied here). `source` tells runs that
     * copy the same patterns apart from others (0: none).
     */
    InsertedRows(const std::vector<pugi::xml_node>& patterns, pugi::xml_node after, int afterRow,
                 int count, ApplyCell apply, quint64 source = 0);

    /** The pattern row that table row `row` copies. */
    pugi::xml_node pattern(int row) const { return patternOf(row).row; }
    /** The row of the table the inserted rows follow. */
    pugi::xml_node after() const { return m_after; }
    int firstRow() const { return m_afterRow + 1; }
    int lastRow() const { return m_afterRow + m_count; }
    int count() const { return m_count; }
    quint64 source() const { return m_source; }
    /** Cells in table row `row`. */
    int columnCount(int row) const { return static_cast<int>(patternOf(row).cellXml.size()); }
    /** Adds `more` rows at the end, going on with the cycle of patterns. */
    void extend(int more);

    void setText(int row, int column, const QString& text);
    void setBold(int row, int column, bool bold);
    /** What was written into a cell (nothing for a cell never written). */
    const Cell* cell(int row, int column) const;
    /** Writes the cell's changes into `tc`, a copy of its pattern cell. */
    void apply(pugi::xml_node tc, const Cell& cell) const { m_apply(tc, cell); }

    /**
     * Appends the rows as pugixml prints them from the tree, handing `out` to `sink` whenever
     * it has grown big.
     */
    void write(QByteArray& out, pugi::xml_writer& sink) const;

private:
    /** A pattern row as printed, cut where its cells and their texts go. */
    struct Pattern {
        pugi::xml_node row;
        /** The row's start and end tags, and the XML of what it holds before each cell. */
        QByteArray start;
        QByteArray end;
        std::vector<QByteArray> between;
        std::vector<pugi::xml_node> cells;
        /** Each pattern cell as printed; and before and after a plain text written into it. */
        std::vector<QByteArray> cellXml;
        std::vector<QByteArray> beforeText;
        std::vector<QByteArray> afterText;
        /** Each pattern cell with an empty text written into it. */
        std::vector<QByteArray> emptiedXml;
        /** Where the row's cells start among the cells of one cycle. */
        size_t firstCell = 0;
    };

    void cutPattern(Pattern& pattern) const;
    const Pattern& patternOf(int row) const {
        return m_patterns[static_cast<size_t>(row - firstRow()) % m_patterns.size()];
    }
    /** The index of a cell in m_cells. */
    size_t cellIndex(int row, int column) const;
    Cell& at(int row, int column);
    void writeCell(QByteArray& out, const Pattern& pattern, size_t column, const Cell* cell) const;

    pugi::xml_document m_patternRows;
    std::vector<Pattern> m_patterns;
    /** The cells of one cycle of pattern rows. */
    size_t m_cycleCells = 0;
    pugi::xml_node m_after;
    int m_afterRow = 0;
    int m_count = 0;
    ApplyCell m_apply;
    quint64 m_source = 0;
    /** The cells written to, row by row; empty until the first one is. */
    std::vector<Cell> m_cells;
};

/** The start tag of an element as pugixml prints it ("<w:tr w:rsidR=\"00A1\">"). */
QByteArray XmlStartTag(pugi::xml_node element);
