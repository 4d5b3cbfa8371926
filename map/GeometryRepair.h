#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class OGRGeometry;

/** What checking a region found. */
enum class RegionRepair {
    Valid,     ///< the region was valid and is unchanged
    Repaired,  ///< it was invalid (self-crossing, bad rings) and was made valid
    Broken,    ///< it was invalid and nothing with an area is left of it
    TooComplex ///< its repair was stopped at the budget (RepairBudget); left as it was
};

/**
 * How much one repair may take: GEOS is stopped past the time or the growth of the program's
 * memory, and a region of more vertices is not tried at all (a self-crossing outline of
 * thousands of vertices can cross itself millions of times).
 */
struct RepairBudget {
    int milliseconds = 3000;
    qint64 memoryBytes = 512ll * 1024 * 1024;
    int vertices = 1000000;
    /**
     * Self-crossings, estimated from a sample of edge pairs before any work: the pieces
     * make-valid has to build grow with them, so a region crossing itself everywhere is
     * refused at once.
     */
    double crossings = 20000;
};

/** The budget of every repair from now on (a seam for tests); returns the one before. */
RepairBudget SetRepairBudget(const RepairBudget& budget);

/**
 * Checks a region (polygon or multipolygon) and repairs an invalid one with GEOS's make-valid,
 * as the overlays do, keeping only what has an area (as a polygon or multipolygon); what was
 * wrong goes to `reason` ("самоперетин у точці (25; 5)"). A broken region is left as it was,
 * and so is one whose repair would pass the budget (TooComplex).
 */
RegionRepair RepairRegion(std::unique_ptr<OGRGeometry>& region, QString* reason = nullptr);

/**
 * Makes a shape a flat region when it describes one: curves become segments, a closed line
 * becomes a ring, a collection keeps its polygons. Null when it has no area (a point, an open
 * line, an empty shape).
 */
std::unique_ptr<OGRGeometry> ShapeToRegion(const OGRGeometry& shape);
