#pragma once

#include <QString>
#include <memory>

class OGRGeometry;

/** What checking a region found. */
enum class RegionRepair {
    Valid,    ///< the region was valid and is unchanged
    Repaired, ///< it was invalid (self-crossing, bad rings) and was made valid
    Broken,   ///< it was invalid and nothing with an area is left of it
};

/**
 * Checks a region (polygon or multipolygon) and repairs an invalid one with GEOS's make-valid,
 * as the overlays do, keeping only what has an area (as a polygon or multipolygon); what was
 * wrong goes to `reason` ("самоперетин у точці (25; 5)"). A broken region is left as it was.
 */
RegionRepair RepairRegion(std::unique_ptr<OGRGeometry>& region, QString* reason = nullptr);

/**
 * Makes a shape a flat region when it describes one: curves become segments, a closed line
 * becomes a ring, a collection keeps its polygons. Null when it has no area (a point, an open
 * line, an empty shape).
 */
std::unique_ptr<OGRGeometry> ShapeToRegion(const OGRGeometry& shape);
