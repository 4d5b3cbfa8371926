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
     * `count` copies of `pattern` (an emptied row, copied here) after the table's row
     * `after`, which is row `afterRow` of the table.
     */
    InsertedRows(pugi::xml_node pattern, pugi::xml_node after, int afterRow, int count,
                 ApplyCell apply);

    /** The emptied row every inserted row copies. */
    pugi::xml_node pattern() const { return m_pattern.document_element(); }
    /** The row of the table the inserted rows follow. */
    pugi::xml_node after() const { return m_after; }
    int firstRow() const { return m_afterRow + 1; }
    int lastRow() const { return m_afterRow + m_count; }
    int count() const { return m_count; }
    /** Cells in each row. */
    int columnCount() const { return static_cast<int>(m_cellXml.size()); }

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
    Cell& at(int row, int column);
    void writeCell(QByteArray& out, size_t column, const Cell* cell) const;

    pugi::xml_document m_pattern;
    pugi::xml_node m_after;
    int m_afterRow = 0;
    int m_count = 0;
    ApplyCell m_apply;
    /** The cells written to, row by row; empty until the first one is. */
    std::vector<Cell> m_cells;
    /** The row's start and end tags, and the XML of what it holds before each cell. */
    QByteArray m_rowStart;
    QByteArray m_rowEnd;
    std::vector<QByteArray> m_between;
    std::vector<pugi::xml_node> m_patternCells;
    /** Each pattern cell as printed; and before and after a plain text written into it. */
    std::vector<QByteArray> m_cellXml;
    std::vector<QByteArray> m_beforeText;
    std::vector<QByteArray> m_afterText;
};

/** The start tag of an element as pugixml prints it ("<w:tr w:rsidR=\"00A1\">"). */
QByteArray XmlStartTag(pugi::xml_node element);
