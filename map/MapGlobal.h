#pragma once

#include "map/Feature.h"
#include "map/Layer.h"
#include "map/MapDocument.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

/** The layer services the map view and the valuation steps use. */

/** A layer's name: the file name without folder and extension, in lower case. */
QString LayerNameOf(const QString& path);
/**
 * The factor number of a local-factor layer ("лок*"): characters 4 and 5 of its name ("лок07"
 * is 7, "лок7" is 7); 0 when they are not digits.
 */
int LocalLayerFactor(const QString& layerName);
/** Sets the numeric coordinate system every map of the program uses (metres, ±10,000,000). */
void SetNumericCoordSys(MapDocument& map);

/**
 * The layer of the table file: the one already on the map for the same path, or the file
 * opened as a new top layer. Null on failure with the reason in LastError().
 */
Layer* AddLayer(MapDocument& map, const QString& path, bool visible);
/**
 * The layer of "<folder>/<name>.tab", first created as an empty table with the one text
 * field "info" when the file is missing; added hidden. Null on failure (LastError()).
 */
Layer* CreateLayer(MapDocument& map, const QString& folder, const QString& name);
/** The first layer of that name, letter case ignored; null when none. */
Layer* GetLayer(const MapDocument& map, const QString& name);
/** A copy of all objects of the named layer; nothing when there is no such layer. */
std::optional<FeatureList> GetLayerFeatures(const MapDocument& map, const QString& name);
/** The attribute table of the named layer; nothing when there is no such layer. */
std::optional<Dataset> GetLayerDataset(const MapDocument& map, const QString& name);
/** Layer names from the top down. */
QStringList LayerNames(const MapDocument& map);
/**
 * Opens the named layers' files of the folder through the shell; "лок" opens every
 * "лок*.tab" there. Returns the failure texts (ShellErrorText), one for each file that did
 * not open, for the window to show (ShowShellErrors); empty when every file opened.
 */
[[nodiscard]] QStringList EditLayersExternally(const QString& folder, const QStringList& names);

/** The field's value as text; empty for an empty field name, no dataset or any error. */
QString FeatureValue(const Dataset* dataset, const Feature& feature, const QString& field);
/**
 * The area of a region in the area unit (21 = square metres); 0 for other objects and for
 * regions whose first ring has fewer than 4 points. The map's own unit is left as it was.
 */
double FeatureArea(const Feature& feature, MapDocument& map, int areaUnit);

/** Shows the rectangle widened by a tenth on every side; a point only recentres. */
void ZoomToRectangle(MapDocument& map, const MapRect& rect);
/** Shows the layer: stored bounds from 2000 objects on, else the objects' own bounds. */
void ZoomToLayer(MapDocument& map, const Layer& layer);
/** The bounds of every layer together (null for an empty map). */
MapRect AllLayersBounds(const MapDocument& map);

/** Deletes the table header's first "  Description" line; true when the file was rewritten. */
bool StripTabDescription(const QString& path);
/** Writes the workspace of all layers, last layer first; false when it cannot be written. */
bool WriteEditorWorkspace(const MapDocument& map, const QString& path);

/** One line of the object information list. */
struct AttributeLine {
    QString field;
    QString value;
    /** The layer whose object this is. */
    QString layer;
};
/**
 * Field names and values of the first selected object of every visible layer with a
 * selection, in layer order; an error ends the list with the line "Помилка" and the error
 * text.
 */
std::vector<AttributeLine> SelectionAttributes(const MapDocument& map);
