#pragma once

#include "map/Geometry.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

class OGRGeometry;

/** One region of a layer that must tile: its shape (not owned) and the label findings use. */
struct TilingRegion {
    const OGRGeometry* shape = nullptr; ///< null, empty or not an area: takes no part
    QString label;
};

/** What is wrong with a piece of the map. */
enum class TilingFault {
    Overlap, ///< two regions share area
    Gap,     ///< part of the boundary that no region covers
    Outside, ///< part of a region beyond the boundary
};

/** One piece found: its kind, the regions it concerns, its area and a point inside it. */
struct TilingFinding {
    TilingFault fault = TilingFault::Overlap;
    /**
     * Positions in the regions given: the two of an overlap (ascending), the one outside, the
     * ones bordering a gap (ascending; none when the gap touches no region).
     */
    std::vector<int> regions;
    QStringList labels; ///< the labels of those regions, in the same order
    double area = 0;    ///< square metres of the pieces kept
    QPointF point;      ///< inside the largest piece
    GeometryPtr piece;  ///< the pieces kept, for showing them on the map
};

/** What to look for. */
struct TilingChecks {
    bool overlaps = true; ///< regions sharing area
    bool gaps = true;     ///< boundary not covered by the regions (needs a boundary)
    bool outside = true;  ///< regions beyond the boundary (needs a boundary)
};

/** Counts of one run. */
struct TilingStats {
    qint64 candidates = 0; ///< pairs of regions whose boxes met
    qint64 failed = 0;     ///< operations the geometry library could not do (skipped)
    int repaired = 0;      ///< regions that were not valid and were repaired for the check
};

/**
 * The area below which a piece is taken for a sliver of the drawing: 0.01 % of the smaller
 * area involved, and never less than 1 m².
 */
double TilingTolerance(double smallerArea);

/**
 * Checks that the regions tile the boundary (the union of `boundary`; empty for none):
 * pairs of regions sharing area, parts of the boundary no region covers and parts of regions
 * beyond the boundary, each piece smaller than TilingTolerance of the smaller area involved
 * left out. Candidate pairs come from a spatial index of the regions and are tried on both
 * cores. The area the regions leave open is bounded from above by their areas less the
 * common parts of all pairs; only when that bound reaches half a square metre is the
 * boundary cut by the union of all regions to find the gaps. Regions that are not valid are
 * repaired first (the caller's shapes are not changed). Findings: overlaps by pair, then
 * regions outside by region, then gaps from west to east.
 */
std::vector<TilingFinding> FindTilingFaults(const std::vector<const OGRGeometry*>& boundary,
                                            const std::vector<TilingRegion>& regions,
                                            const TilingChecks& checks = {},
                                            TilingStats* stats = nullptr);
