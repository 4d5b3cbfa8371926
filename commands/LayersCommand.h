#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

/**
 * The settlement's layers without any window; `arguments` are those after "layers":
 * "FOLDER" lists the layers, "import FOLDER KIND FILE [options]" imports a vector file as a
 * layer, "export FOLDER OUT.gpkg" writes every layer and the valuation into a GeoPackage.
 * Returns 0 when the list was printed or the file written; 1 when the layer was refused or
 * not written; 2 for a wrong command line or a missing folder or file.
 */
int RunLayersCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err);

/** The text of "tamberon layers --help". */
QString LayersCommandHelp();
