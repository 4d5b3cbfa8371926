#pragma once

#include "db/Database.h"
#include "gis/PlaceLayers.h"
#include "gis/PlaceValue.h"

#include <QString>
#include <QStringList>

class QTextStream;

/** What the commands that value places read of a settlement, once. */
struct PlaceCommandInputs {
    QString folder; ///< the settlement's folder, absolute
    Connection data;
    Connection catalogue; ///< the program's catalogue; closed when there is none
    bool haveCatalogue = false;
    PlaceLayers layers;
    PlaceSources sources;
};

/** A year the commands take for --year and --from (1900 to 2200); false for anything else. */
bool ParseCommandYear(const QString& text, int& year);

/**
 * Opens the settlement of the folder argument (recovered first), the program's catalogue,
 * the layers places are valued over and the stored valuation: 0, or 2 after printing the
 * reason to `err`.
 */
int OpenPlaceInputs(const QString& argument, const QString& appDir, PlaceCommandInputs& in,
                    QTextStream& err);

/**
 * The value of a place of the settlement without any window; `arguments` are those after
 * "value": "FOLDER --at X,Y" or "FOLDER --plot FILE", with "--use CODE", "--year YYYY",
 * "--from YYYY", "--layer NAME" and "--json". Returns 0 when the place was valued; 1 when it
 * cannot be (outside the boundary, in no district, no zone value); 2 for a wrong command
 * line, a missing or damaged folder or file.
 */
int RunValueCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                    QTextStream& err);

/** The text of "tamberon value --help". */
QString ValueCommandHelp();
