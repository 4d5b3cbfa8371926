#pragma once

#include "common/StringGrid.h"
#include "map/MapGlobal.h"
#include "map/Overlay.h"
#include "steps/common/WorkingItems.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/LocalCatalogue.h"

#include <QString>
#include <QStringList>
#include <vector>

/** A coefficient found on the map: a local-factor region over a district. */
struct LocalOverlayValue {
    QString district; ///< the district object's "Raion"
    int factor = 0;   ///< the number in the layer's name
    QString value;    ///< the region's "Km3"
};

/** What the overlay of the "лок" layers on "райони.tab" found. */
struct LocalOverlayResult {
    /** False when a table could not be opened; `error` is then the message to show. */
    bool ok = false;
    QString error;
    /** Files skipped: their 4th and 5th characters are not a number (file names). */
    QStringList badNames;
    /** Files skipped: their number is not a factor of the catalogue (file names). */
    QStringList unknownFactors;
    /** Values of "Km3" refused because they are not numbers above 0 ("фактор 3, район 7: ..."). */
    QStringList refused;
    /** The values district by district (table order), layer by layer, region by region. */
    std::vector<LocalOverlayValue> values;
    /** The factors with at least one region over a district, ascending. */
    std::vector<int> factors;
    OverlayStats stats;
    /** The layers read, fingerprinted as they were read. */
    std::vector<valuation::LayerUse> layers;
};

/**
 * Overlays every "лок*.tab" of the folder (in name order) on "<folder>/райони.tab", all read
 * from their files, and collects the "Km3" of each region that has area in common with a
 * district. Layers whose name gives no factor of a catalogue of `catalogueSize` factors are
 * skipped and listed. Stopped through `progress`, the values are incomplete and the stats
 * say so.
 */
LocalOverlayResult CollectLocalFactors(const QString& folder, int catalogueSize,
                                       const OverlayProgress& progress = {});

/** The warning that names the skipped files; empty when none was skipped. */
QString LocalSkippedText(const LocalOverlayResult& result);
/** "Жодного накладення локальних факторів на райони не знайдено!" */
QString LocalNoOverlapText();

/**
 * Puts what the overlay found into the grid: every factor unchecked and the grid emptied to
 * its Km3 row; then the found factors checked in `items`, given their rows, and each value
 * written into the row of its factor and the column of its district (a later value for the
 * same cell replaces an earlier one; districts without a column are dropped). Returns
 * whether anything was found; when nothing was, grid and items stay as they were.
 */
bool ApplyLocalOverlay(StringGrid& grid, const std::vector<LocalFactor>& catalogue,
                       const LocalOverlayResult& result, std::vector<WorkingItem>& items);

class Layer;
/**
 * Writes each district object's Km3 (the Km3 row of the column headed by its "Raion") into
 * its field "Km3_sr", adding the field when the table lacks it, in one writing of the whole
 * table. Objects whose number has no column keep their value. False with `error`.
 */
bool WriteKm3ToDistricts(Layer& districts, const StringGrid& grid, QString* error);
