#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class JobProgress;

class Connection;
namespace valuation {
struct Settlement;
}

namespace reports {

class AppendixMapDrawing;

/** One output of "Заповнити звіт": its template, its file and its code in the "data" table. */
struct ReportFile {
    QString templateName;
    QString outputName;
    int code = 0;
};

/** The technical report, the district workbook and the quarter workbook, in the run's order. */
const std::array<ReportFile, 3>& ReportFiles();

/** What the fill procedures read: the settlement's database, the catalogue and the name. */
struct ReportContext {
    /** The settlement's "data.sqlite". */
    Connection* data = nullptr;
    /** The catalogue "baza.sqlite" (its list of local factors); may be null. */
    Connection* catalogue = nullptr;
    /** Written into the bookmark "NP", the titles and the workbooks' first row. */
    QString settlementName;
    /** The settlement's folder, whose map layers the report's appendices show ("": none). */
    QString folder;
    /**
     * The settlement as the valuation model read it once for the whole run (the three
     * documents); null: each document reads it.
     */
    const valuation::Settlement* settlement = nullptr;
    /** The documents are made although the check found the data stale: the title page says so. */
    bool unchecked = false;
    /** The data's stamp (valuation::DataStamp) each document carries; "" carries none. */
    QString dataStamp = QString();
    /** The state of the layers the report's maps show (ReportLayerStamp); "" carries none. */
    QString layerStamp = QString();
    /** The report's maps begun ahead by the run, taken by the report; null: drawn there. */
    AppendixMapDrawing* maps = nullptr;
    /**
     * What the report does before it waits for the maps begun ahead (the run fills the
     * workbooks' cells then and has them written beside their files, so no core stands
     * idle); empty: nothing.
     */
    std::function<void(JobProgress&)> beforeMapsTaken = {};
};

/** The title page's bookmark of the mark of an unchecked calculation, and the mark. */
inline QString UncheckedBookmark() {
    return QStringLiteral("CHECKED");
}
inline QString UncheckedText() {
    return QStringLiteral("розрахунок не перевірено");
}

/** What a workbook fill procedure did: saved its copy, or which data it lacked. */
struct WorkbookOutcome {
    bool saved = false;
    /** What the valuer has to fill first, one item per missing piece. */
    QStringList missing;
    /** What a saved workbook left empty and why (a zone without Km2...). */
    QStringList notes;
};

} // namespace reports
