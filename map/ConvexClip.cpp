#include "map/ConvexClip.h"

#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>

namespace {

using Point = ConvexRing::Point;

double cross(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Twice the signed area (positive counter-clockwise).
double shoelace(const std::vector<Point>& points) {
    double sum = 0;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++)
        sum += points[j].x * points[i].y - points[i].x * points[j].y;
    return sum;
}

// The ring's points without the closing one and without repeats.
std::vector<Point> pointsOf(const OGRLinearRing* ring) {
    std::vector<Point> out;
    if (!ring)
        return out;
    const int n = ring->getNumPoints();
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Point p{ring->getX(i), ring->getY(i)};
        if (out.empty() || p.x != out.back().x || p.y != out.back().y)
            out.push_back(p);
    }
    while (out.size() > 1 && out.front().x == out.back().x && out.front().y == out.back().y)
        out.pop_back();
    return out;
}

// Keeps the part of the polygon on the left of the line a -> b.
void keepLeftOf(const std::vector<Point>& in, const Point& a, const Point& b,
                std::vector<Point>& out) {
    out.clear();
    if (in.empty())
        return;
    Point prev = in.back();
    double dPrev = cross(a, b, prev);
    for (const Point& cur : in) {
        const double dCur = cross(a, b, cur);
        if ((dCur >= 0) != (dPrev >= 0)) {
            const double t = dPrev / (dPrev - dCur);
            out.push_back({prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y)});
        }
        if (dCur >= 0)
            out.push_back(cur);
        prev = cur;
        dPrev = dCur;
    }
}

double clippedRingArea(const OGRLinearRing* ring, const ConvexRing& clip) {
    std::vector<Point> polygon = pointsOf(ring);
    std::vector<Point> next;
    const size_t n = clip.corners.size();
    for (size_t i = 0; i < n && polygon.size() >= 3; ++i) {
        keepLeftOf(polygon, clip.corners[i], clip.corners[(i + 1) % n], next);
        polygon.swap(next);
    }
    return polygon.size() >= 3 ? std::abs(shoelace(polygon)) / 2 : 0.0;
}

double clippedPolygonArea(const OGRPolygon* polygon, const ConvexRing& clip) {
    double area = clippedRingArea(polygon->getExteriorRing(), clip);
    for (int i = 0; i < polygon->getNumInteriorRings(); ++i)
        area -= clippedRingArea(polygon->getInteriorRing(i), clip);
    return std::max(0.0, area);
}

// How often the sign of the steps' x (or y) changes going once round the ring.
int directionChanges(const std::vector<Point>& p, bool alongX) {
    int changes = 0;
    int last = 0;
    int first = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % p.size()];
        const double d = alongX ? b.x - a.x : b.y - a.y;
        const int sign = d > 0 ? 1 : d < 0 ? -1 : 0;
        if (sign == 0)
            continue;
        if (first == 0)
            first = sign;
        else if (sign != last)
            ++changes;
        last = sign;
    }
    if (first != 0 && last != first)
        ++changes;
    return changes;
}

} // namespace

std::optional<ConvexRing> ConvexRingOf(const OGRGeometry* geometry) {
    if (!geometry || wkbFlatten(geometry->getGeometryType()) != wkbPolygon)
        return std::nullopt;
    const OGRPolygon* polygon = geometry->toPolygon();
    if (polygon->getNumInteriorRings() != 0)
        return std::nullopt;
    std::vector<Point> points = pointsOf(polygon->getExteriorRing());
    if (points.size() < 3)
        return std::nullopt;
    const double twice = shoelace(points);
    if (!(std::abs(twice) > 0) || !std::isfinite(twice))
        return std::nullopt;
    if (twice < 0)
        std::reverse(points.begin(), points.end());
    // Left turns only (straight on allowed, turning back not), going round once.
    const size_t n = points.size();
    for (size_t i = 0; i < n; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % n];
        const Point& c = points[(i + 2) % n];
        const double turn = cross(a, b, c);
        if (turn < 0)
            return std::nullopt;
        if (turn == 0 && (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y) <= 0)
            return std::nullopt;
    }
    if (directionChanges(points, true) > 2 || directionChanges(points, false) > 2)
        return std::nullopt;
    return ConvexRing{std::move(points), std::abs(twice) / 2};
}

double ClippedArea(const OGRGeometry* geometry, const ConvexRing& clip) {
    if (!geometry)
        return 0;
    switch (wkbFlatten(geometry->getGeometryType())) {
    case wkbPolygon:
        return clippedPolygonArea(geometry->toPolygon(), clip);
    case wkbMultiPolygon: {
        double area = 0;
        for (const OGRPolygon* p : *geometry->toMultiPolygon())
            area += clippedPolygonArea(p, clip);
        return area;
    }
    default:
        return 0;
    }
}
