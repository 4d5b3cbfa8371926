#pragma once

#include <QString>

#include <geos_c.h>

/**
 * The one repair of invalid regions of the map library, at the level of GEOS (for the
 * overlays, which work in GEOS, and for RepairRegion, which works in OGR). Not a public
 * header: GEOS is linked privately.
 */
namespace GeosRepair {

/**
 * Why GEOS finds the geometry invalid, in our words ("самоперетин у точці (12; 7)"); "" when
 * it is valid.
 */
QString InvalidReason(GEOSContextHandle_t context, const GEOSGeometry* geometry);

/**
 * The geometry made valid with GEOS's make-valid, its rings taken as the borders of areas
 * (so a region stays a region); null on failure. With `overBudget` the repair keeps to the
 * repair budget (SetRepairBudget) and tells whether it stopped it; without, it runs as GEOS
 * does (the overlays, which the valuer stops). The caller owns the result.
 */
GEOSGeometry* MakeValidRegion(GEOSContextHandle_t context, const GEOSGeometry* geometry,
                              bool* overBudget = nullptr);

} // namespace GeosRepair
