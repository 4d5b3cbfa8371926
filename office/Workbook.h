#pragma once

#include "office/Package.h"
#include "office/SheetCells.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Workbook;

/** "A1"-style reference of a cell (row and column from 1). */
QString CellReference(int row, int column);
/** Row and column of an "A1"-style reference; nothing for a malformed one. */
std::optional<std::pair<int, int>> ParseCellReference(const QString& reference);

/**
 * A worksheet of a workbook. Cells are addressed by (row, column) from 1; values are texts.
 * A workbook read from ".xls" is read-only: changes throw OfficeError.
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
    /** Every value of the sheet. */
    SheetCells values() const;

private:
    friend class Workbook;
    struct Row {
        pugi::xml_node node;
        /** Cells by column, sorted; new cells mostly go at the end. */
        std::vector<std::pair<int, pugi::xml_node>> cells;
    };
    explicit Worksheet(Workbook* book) : m_book(book) {}
    void attach(pugi::xml_node root);
    void checkWritable() const;
    pugi::xml_node findCell(int row, int column) const;
    pugi::xml_node ensureCell(int row, int column);
    void clearValue(pugi::xml_node cell);
    QString valueOf(pugi::xml_node cell) const;
    pugi::xml_node columnNode(int column) const;
    pugi::xml_node splitColumn(int column);
    void updateDimension();

    Workbook* m_book = nullptr;
    pugi::xml_node m_root;
    pugi::xml_node m_sheetData;
    std::map<int, Row> m_rows;
    const SheetCells* m_static = nullptr;
};

/**
 * A workbook opened from an ".xltx" template or an ".xlsx" file (or, read-only, an ".xls"
 * file): its first worksheet, cell values, bold, column widths, a saved copy as ".xlsx".
 */
class Workbook {
public:
    ~Workbook();
    /** Opens ".xltx", ".xlsx" or ".xls"; throws OfficeError for anything unreadable. */
    static std::unique_ptr<Workbook> open(const QString& path, const PackageLimits& limits = {});
    static std::unique_ptr<Workbook> openFromMemory(const QByteArray& zip);
    /** An empty workbook with one sheet. */
    static std::unique_ptr<Workbook> createBlank();

    /** Worksheet `index` (from 1); throws when there is none. */
    Worksheet& worksheet(int index);
    int worksheetCount();
    bool isReadOnly() const { return m_static != nullptr; }

    /** Kept for the callers' sake: saving never asks anything. */
    void setDisplayAlerts(bool on) { m_displayAlerts = on; }
    bool displayAlerts() const { return m_displayAlerts; }
    /** Writes the workbook as ".xlsx" (workbook content type), atomically. */
    void saveCopyAs(const QString& path);
    const QString& savedPath() const { return m_savedPath; }

    OoxmlPackage& package() { return m_package; }

private:
    friend class Worksheet;
    Workbook() = default;
    void attach();
    void prepareForSave();
    int sharedString(const QString& text);
    QString sharedStringText(int index);
    void loadSharedStrings();
    pugi::xml_node styleSheet();
    int boldStyle(int xf, bool bold);
    bool styleBold(int xf);

    OoxmlPackage m_package;
    QString m_mainPart;
    std::vector<QString> m_sheetParts;
    std::map<int, std::unique_ptr<Worksheet>> m_sheets;
    bool m_changed = false;
    bool m_displayAlerts = true;
    QString m_savedPath;

    bool m_sstLoaded = false;
    QString m_sstPart;
    pugi::xml_node m_sst;
    std::vector<pugi::xml_node> m_sstItems;
    QHash<QString, int> m_sstIndex;

    QString m_stylesPart;
    std::map<std::pair<int, bool>, int> m_boldCache;
    std::map<std::pair<int, bool>, int> m_fontCache;

    std::unique_ptr<SheetCells> m_static;
};
