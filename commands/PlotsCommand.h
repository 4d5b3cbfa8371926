#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

/**
 * The register of plots without any window; `arguments` are those after "plots": "FOLDER
 * SOURCE..." (vector files, cadastral exchange files or folders of them) with "--use CODE",
 * "--year YYYY", "--from YYYY", "--register FILE.xlsx", "--gpkg FILE.gpkg", "--crs SYSTEM",
 * "--tax FILE", "--layer NAME", "--field NAME=FIELD" and "--json". Every plot is valued or listed
 * with the reason it is not. Returns 0 when every plot was valued; 1 when some were not; 2 for a
 * wrong command line, a missing or damaged folder, or an output that cannot be written.
 */
int RunPlotsCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                    QTextStream& err);

/** The text of "tamberon plots --help". */
QString PlotsCommandHelp();
