#pragma once

#include "office/SheetCells.h"

#include <QByteArray>
#include <QString>
#include <cstring>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <vector>

class Workbook;

/** "A1"-style reference of a cell (row and column from 1). */
QString CellReference(int row, int column);
/** Row and column of an "A1"-style reference; nothing for a malformed one. */
std::optional<std::pair<int, int>> ParseCellReference(const QString& reference);

/**
 * A worksheet of a workbook. Cells are addressed by (row, column) from 1; values are texts.
 * A workbook read from ".xls" is read-only: changes throw OfficeError.
 *
 * Cells written by the program are held compactly, outside the XML tree, and written out by
 * the sheet when the workbook is saved; cells of the file that are never written stay in the
 * tree as they were read.
 */
class Worksheet {
public:
    /** The cell's value as text (numbers in their shortest exact form). */
    QString cellText(int row, int column) const;
    /**
     * Sets a value the way a spreadsheet takes a typed value: a plain decimal number
     * ("12.50", "-3") is stored as a number, any other text as a string; "" empties the cell.
     * The cell keeps its style (or takes its row's or column's style when new).
     */
    void setCellValue(int row, int column, const QString& text);
    /** Sets a string value, never converted to a number. */
    void setCellString(int row, int column, const QString& text);
    void setCellBold(int row, int column, bool bold);
    bool cellBold(int row, int column) const;
    /** Width of a column in characters; 0 for a hidden column. */
    double columnWidth(int column) const;
    /** Sets a column's width; 0 hides the column (its width is kept for showing it again). */
    void setColumnWidth(int column, double width);
    /** Sets a row's height in points (so wrapped text shows whole). */
    void setRowHeight(int row, double points);
    /** Every value of the sheet. */
    SheetCells values() const;

private:
    friend class Workbook;
    /** Where a cell's value lives. */
    enum class Kind : quint8 {
        Tree,       ///< in the XML tree, as read (index into m_treeCells)
        Empty,      ///< no value
        Number,     ///< the number's text in the cell's bytes
        LongNumber, ///< a number's text too long for them: m_texts[index]
        Shared,     ///< shared string `index`
        Inline,     ///< inline string m_texts[index] (a workbook without shared strings)
    };
    /** A cell in 16 bytes: a big table has hundreds of thousands of them. */
    struct Cell {
        /** Characters of a number kept in the cell itself. */
        static constexpr int kShortNumber = 10;
        quint16 column = 0;
        quint16 style = 0;
        Kind kind = Kind::Empty;
        /** The length of a number kept in `bytes`. */
        quint8 length = 0;
        /** A short number's text, else the index of where `kind` keeps the value. */
        char bytes[kShortNumber] = {};

        qint32 index() const {
            qint32 i = 0;
            std::memcpy(&i, bytes, sizeof i);
            return i;
        }
        void setIndex(qint32 i) { std::memcpy(bytes, &i, sizeof i); }
    };
    static_assert(sizeof(Cell) == 16);
    struct Row {
        pugi::xml_node node;
        /** Cells by column, sorted; new cells mostly go at the end. */
        std::vector<Cell> cells;
    };
    explicit Worksheet(Workbook* book) : m_book(book) {}
    void attach(pugi::xml_node root);
    void checkWritable() const;
    const Cell* findCell(int row, int column) const;
    /** The row, created in the tree when missing. */
    Row& ensureRow(int row);
    /** The cell, created when missing; `forValue` takes a cell of the tree out of it when
     * its value is about to be replaced and nothing else of it would be lost. */
    Cell& ensureCell(int row, int column, bool forValue);
    pugi::xml_node treeNode(const Cell& cell) const;
    /** Keeps a text the cell does not hold (an inline string, a long number) in m_texts. */
    void keepText(Cell& c, Kind kind, const QByteArray& text);
    QString valueOf(const Cell& cell) const;
    QString treeValueOf(pugi::xml_node cell) const;
    int columnStyle(int column) const;
    pugi::xml_node columnNode(int column) const;
    pugi::xml_node splitColumn(int column);
    void updateDimension();
    /** Writes the sheet's XML after the declaration: the tree with the cells merged in. */
    void write(pugi::xml_writer& out) const;
    void appendRow(QByteArray& out, const Row& row) const;
    void appendCell(QByteArray& out, int row, const Cell& cell) const;

    Workbook* m_book = nullptr;
    pugi::xml_node m_root;
    pugi::xml_node m_sheetData;
    std::map<int, Row> m_rows;
    std::vector<pugi::xml_node> m_treeCells;
    std::vector<QByteArray> m_texts;
    /** The most cells a row has had: what a new row reserves. */
    size_t m_widestRow = 0;
    /** Column styles by column, built on first use; cleared when the columns change. */
    mutable std::vector<int> m_columnStyles;
    const SheetCells* m_static = nullptr;
};
