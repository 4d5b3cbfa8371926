#pragma once

#include <QString>
#include <QStringList>

class Connection;

/** What an export wrote. */
struct ExportResult {
    QStringList layers; ///< the GeoPackage's layers, in order
    /** What was left out or could not be valued, one line each. */
    QStringList warnings;
};

/**
 * Writes every ".tab" layer of the settlement folder into one GeoPackage, in its coordinate
 * system, plus the valuation as maps: "оцінка", the districts with their stored valuation
 * (Raion, Zona, Km2, Cena_1m2 the zone's value of 1 m², Km3_sr, Plosha_ga the district's
 * area in ha), and "оцінка зон", the zones (Zona, Km2, Cena_1m2) as the union of their
 * districts. The file is written whole or not at all. False with the reason in `error`.
 */
bool ExportSettlement(const QString& folder, Connection& project, const QString& path,
                      ExportResult& result, QString* error);

/** Why an export may not write a file. */
enum class ExportTargetProblem {
    None,
    Protected, ///< the settlement's database or layers, a folder, a database of the program
    Foreign    ///< an existing file the export did not make: replaced only when forced
};

/**
 * Whether the export may write the file at `path` for the settlement in `folder`: never in
 * place of the settlement's database or its layers, a folder or a database of the program;
 * in place of another existing file that no export made only with `force`. The problem with
 * its one-line reason in `error`.
 */
ExportTargetProblem CheckExportTarget(const QString& folder, const QString& path, bool force,
                                      QString* error);
