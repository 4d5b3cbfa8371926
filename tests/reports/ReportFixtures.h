#pragma once

// Small templates and settlement databases for the report tests and the benchmark, built the
// way the program's own templates are laid out.

#include <QString>

class Connection;

namespace fixtures {

/**
 * A report template (".dotx"): the bookmark "NP" and the fourteen data tables with their
 * titles, header rows, first data rows and fixed rows, plus one table of no known title, and
 * the bookmarks "MAPLIST" and "MAPS" of the map appendices.
 */
void MakeReportTemplate(const QString& path);
/** A workbook template (".xltx") with the heading rows and 41 columns (40 for quarters). */
void MakeWorkbookTemplate(const QString& path, bool quarters);
/** The three templates under their names in a template folder. */
void MakeTemplates(const QString& templateDir);

/** Runs the ";"-separated statements of a script ("--" lines are comments); false on a failure. */
bool RunScript(Connection& connection, const QString& script, QString* error = nullptr);
/**
 * A settlement's "data.sqlite" as a new settlement has it, with the tables of the functional
 * use and of the quarter statement.
 */
bool CreateSettlementDatabase(const QString& path, QString* error = nullptr);
/**
 * A catalogue "baza.sqlite" with `factors` local factors ("Фактор n", short "Ф n") and a
 * projects row for a settlement folder when `settlementFolder` is given.
 */
bool CreateCatalogue(const QString& path, int factors, const QString& settlementFolder = {},
                     const QString& settlementName = {});

/**
 * A program folder `appDir` with the three templates and a catalogue of 30 local factors, and
 * in it the settlement folder `folder` ("с. Тестове" in the catalogue) whose database has the
 * statements of `script` run on it.
 */
bool CreateSettlement(const QString& appDir, const QString& folder, const QString& script,
                      QString* error = nullptr);

/**
 * A saved document: its paragraphs outside tables ("¶ text"), then its tables: "## title
 * [columns]", then each further row's cells joined by " | ".
 */
QString DumpReport(const QString& docxPath);
/** A saved workbook's first sheet: its hidden columns, then its rows of values (bold marked). */
QString DumpWorkbook(const QString& xlsxPath);

/** "" when the texts are equal, else the first line that differs, expected and actual. */
QString FirstDifference(const QString& expected, const QString& actual);

/** The text of a file of the source tree (from TAMBERON_SOURCE). */
QString SourceFile(const QString& relative);

} // namespace fixtures
