#pragma once

#include "common/StringGrid.h"
#include "map/Overlay.h"
#include "valuation/LayerFingerprints.h"

#include <QString>
#include <vector>

/** The area of one functional-use code within one district, summed over the map. */
struct FunctionalArea {
    QString district; ///< the district object's "Raion"
    QString code;     ///< the "Code" as first met (compared ignoring letter case)
    double areaM2 = 0;
};

/** What the overlay of "функціональне.tab" on "райони.tab" found. */
struct FunctionalOverlayResult {
    /** False when a table could not be opened; `error` is then the message to show. */
    bool ok = false;
    QString error;
    /** Sums per (district, code) in the order of their first pair. */
    std::vector<FunctionalArea> areas;
    OverlayStats stats;
    /** The layers read, fingerprinted as they were read. */
    std::vector<valuation::LayerUse> layers;
};

/**
 * Overlays the functional-use regions of "<folder>/функціональне.tab" on the districts of
 * "<folder>/райони.tab", both read from their files: the common area of every pair is added
 * to its (district "Raion", code "Code") sum; regions without a code are left out.
 */
FunctionalOverlayResult MeasureFunctionalAreas(const QString& folder,
                                               const OverlayProgress& progress = {});

/**
 * The same sums over layers already open (the district layer first). Stopped through
 * `progress`, the sums are incomplete and the stats say so.
 */
std::vector<FunctionalArea> SumFunctionalAreas(const Layer& districts, const Layer& functional,
                                               OverlayStats* stats = nullptr,
                                               const OverlayProgress& progress = {});

/** "Жодного накладення функціонального використання на райони не знайдено!" */
QString FunctionalNoOverlapText();

/**
 * Empties the area columns of every row, then writes each sum of a known code into the row
 * of its district, in hectares "0.0000". Sums of other codes or districts without a row are
 * dropped. False, the grid unchanged, when there are no sums at all.
 */
bool ApplyFunctionalAreas(StringGrid& grid, const std::vector<FunctionalArea>& areas);

/** Whether any area cell holds a value (which the map's areas would replace). */
bool HasFunctionalAreas(const StringGrid& grid);
