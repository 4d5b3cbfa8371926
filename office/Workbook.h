#pragma once

#include "office/Package.h"
#include "office/SheetCells.h"
#include "office/Worksheet.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

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

    /**
     * The calculation workbook turns alerts off before it saves its copy; saving here never
     * asks anything, so the flag is only remembered.
     */
    void setDisplayAlerts(bool on) { m_displayAlerts = on; }
    bool displayAlerts() const { return m_displayAlerts; }
    /** Writes the workbook as ".xlsx" (workbook content type), atomically. */
    void saveCopyAs(const QString& path);
    /**
     * Writes the workbook as saveCopyAs() does, beside `path` under a hidden name, for
     * commitSave() to put in place; nothing may change the workbook in between.
     */
    PendingSave saveCopyAside(const QString& path);
    /** Puts a copy written by saveCopyAside() in place: the workbook is saved there. */
    void commitSave(PendingSave& pending);
    const QString& savedPath() const { return m_savedPath; }

    /**
     * The package, for what the workbook does not offer. The cells of a worksheet taken
     * through worksheet() are written by the worksheet, not from the part's XML tree.
     */
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
