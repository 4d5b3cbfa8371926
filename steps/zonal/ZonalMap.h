#pragma once

#include "common/StringGrid.h"
#include "valuation/ZonalGrids.h"

#include <QString>
#include <vector>

class MapDocument;

/** A message a map operation has for the user, in the order it arose. */
struct MapMessage {
    enum Kind { Warning, Error, Info };
    Kind kind = Info;
    QString text;
};

/** What a map operation did and has to say (the zonal window shows the messages in order). */
struct MapOutcome {
    std::vector<MapMessage> messages;
    /** The table was written (possibly with some zones in pieces, see the messages). */
    bool written = false;
};

/** The fields every zone object carries. */
QStringList ZoneLayerFields(); ///< "Zona", "Cena_1m2", "Km2"

/**
 * Rebuilds the map layer "зони" from "райони" (districts by their field "Raion"): each zone
 * of the result grid, in order of its first district, becomes the union of its districts
 * (through the map's feature factory) with "Zona", "Cena_1m2" and "Km2" and a fill of its
 * own; the districts get their "Zona". Each table is written once, whole. A union that fails
 * is reported naming the district, which stays in its zone as a piece of its own, so no
 * district is lost; the zone layer gets the three fields if it lacks them. When no district
 * of the layer matches the result grid nothing is written and a warning says why. Ends with
 * "Завершено." when written.
 */
MapOutcome RebuildZoneLayer(MapDocument* map, const StringGrid& result, const ResultColumns& cols);

/** The five lines of "просмотр.gwp": the districts with the labels over them. */
QStringList PreviewWorkspaceLines();

/**
 * Fills the label layer "підписи" of the settlement's folder (created when missing) with
 * the number and, below it, the Іі of every district that has an Іі, placed at the
 * district's centre as the districts are shown whole, and writes "просмотр.gwp" beside it.
 * The map's view is left as it was. `workspace` gets the workspace's path when written.
 */
MapOutcome BuildIndexLabels(MapDocument* map, const QString& folder, const StringGrid& result,
                            const ResultColumns& cols, QString* workspace);
