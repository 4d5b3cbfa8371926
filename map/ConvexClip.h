#pragma once

#include <optional>
#include <vector>

class OGRGeometry;

/**
 * A convex region (one ring, no hole) ready to clip others against: its corners
 * counter-clockwise, without the closing point.
 */
struct ConvexRing {
    struct Point {
        double x = 0;
        double y = 0;
    };
    std::vector<Point> corners;
    double area = 0;
};

/** The region as a convex ring; nothing when it has holes, several parts or a dent. */
std::optional<ConvexRing> ConvexRingOf(const OGRGeometry* geometry);

/**
 * The area the region (polygon or multipolygon, holes allowed) has in common with the
 * convex ring, by clipping each of its rings against it (Sutherland-Hodgman). Exact up to
 * rounding; a mere contact gives a rounding-sized area, so callers compare with a tolerance.
 */
double ClippedArea(const OGRGeometry* geometry, const ConvexRing& clip);
