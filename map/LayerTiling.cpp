#include "map/LayerTiling.h"

#include "map/ConvexClip.h"
#include "map/GeosHandles.h"
#include "map/GeosRepair.h"
#include "map/SpatialIndex.h"

#include <geos_c.h>
#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <iterator>
#include <memory>
#include <optional>

namespace {

// The shape in GEOS form, repaired with make-valid when it is not valid; null when it is
// missing, empty or cannot be converted or repaired.
GeosGeometry validArea(GEOSContextHandle_t context, const OGRGeometry* shape, bool& repaired) {
    repaired = false;
    if (!shape || shape->IsEmpty())
        return GeosGeometry(nullptr, {context});
    GeosGeometry g(shape->exportToGEOS(context), {context});
    if (!g)
        return g;
    const char valid = GEOSisValid_r(context, g.get());
    if (valid == 1)
        return g;
    repaired = true;
    return GeosGeometry(valid == 0 ? GeosRepair::MakeValidRegion(context, g.get()) : nullptr,
                        {context});
}

// The polygons of the geometry, through its collections (borrowed from it).
void collectPolygons(GEOSContextHandle_t context, const GEOSGeometry* g,
                     std::vector<const GEOSGeometry*>& out) {
    const int type = GEOSGeomTypeId_r(context, g);
    if (type == GEOS_POLYGON) {
        if (GEOSisEmpty_r(context, g) == 0)
            out.push_back(g);
        return;
    }
    if (type != GEOS_MULTIPOLYGON && type != GEOS_GEOMETRYCOLLECTION)
        return;
    const int n = GEOSGetNumGeometries_r(context, g);
    for (int i = 0; i < n; ++i)
        collectPolygons(context, GEOSGetGeometryN_r(context, g, i), out);
}

double areaOf(GEOSContextHandle_t context, const GEOSGeometry* g) {
    double a = 0;
    return g && GEOSArea_r(context, g, &a) == 1 ? a : 0;
}

MapRect boxOf(GEOSContextHandle_t context, const GEOSGeometry* g) {
    MapRect box;
    GEOSGeom_getXMin_r(context, g, &box.xMin);
    GEOSGeom_getYMin_r(context, g, &box.yMin);
    GEOSGeom_getXMax_r(context, g, &box.xMax);
    GEOSGeom_getYMax_r(context, g, &box.yMax);
    return box;
}

// The union of the shapes in GEOS form (repaired when not valid); null when none has area.
GeosGeometry unionOf(GEOSContextHandle_t context, const std::vector<const OGRGeometry*>& shapes) {
    std::vector<GEOSGeometry*> parts;
    for (const OGRGeometry* shape : shapes) {
        bool repaired = false;
        GeosGeometry g = validArea(context, shape, repaired);
        if (g)
            parts.push_back(g.release());
    }
    if (parts.empty())
        return GeosGeometry(nullptr, {context});
    // The collection owns the parts from here on, also when it is not made.
    GeosGeometry all(GEOSGeom_createCollection_r(context, GEOS_GEOMETRYCOLLECTION, parts.data(),
                                                 static_cast<unsigned>(parts.size())),
                     {context});
    if (!all)
        return all;
    return GeosGeometry(GEOSUnaryUnion_r(context, all.get()), {context});
}

// The polygons of the geometry at or above the tolerance, kept as one finding's pieces.
struct Pieces {
    double area = 0;
    QPointF point;
    GeometryPtr shape;
    bool empty() const { return !shape; }
};

Pieces piecesOf(GEOSContextHandle_t context, const GEOSGeometry* g, double tolerance) {
    Pieces out;
    std::vector<const GEOSGeometry*> polygons;
    collectPolygons(context, g, polygons);
    const GEOSGeometry* largest = nullptr;
    double largestArea = 0;
    auto multi = std::make_unique<OGRMultiPolygon>();
    for (const GEOSGeometry* p : polygons) {
        const double a = areaOf(context, p);
        if (a < tolerance)
            continue;
        out.area += a;
        if (a > largestArea) {
            largestArea = a;
            largest = p;
        }
        // OGR only reads the part (its signature predates const).
        if (OGRGeometry* part =
                OGRGeometryFactory::createFromGEOS(context, const_cast<GEOSGeometry*>(p)))
            multi->addGeometryDirectly(part);
    }
    if (!largest)
        return out;
    GeosGeometry inside(GEOSPointOnSurface_r(context, largest), {context});
    double x = 0, y = 0;
    if (inside && GEOSGeomGetX_r(context, inside.get(), &x) == 1 &&
        GEOSGeomGetY_r(context, inside.get(), &y) == 1)
        out.point = QPointF(x, y);
    out.shape = std::make_shared<const Geometry>(std::move(multi));
    return out;
}

TilingFinding findingOf(TilingFault fault, std::vector<int> which,
                        const std::vector<TilingRegion>& regions, Pieces&& pieces) {
    TilingFinding f;
    f.fault = fault;
    for (const int i : which)
        f.labels << regions[static_cast<size_t>(i)].label;
    f.regions = std::move(which);
    f.area = pieces.area;
    f.point = pieces.point;
    f.piece = std::move(pieces.shape);
    return f;
}

// What one thread found among the pairs and regions it was given.
struct Share {
    std::vector<TilingFinding> overlaps;
    std::vector<TilingFinding> outside;
    double areas = 0;  ///< of its regions
    double common = 0; ///< of all its pairs' common parts, slivers too
    double beyond = 0; ///< of its regions' parts outside the boundary, slivers too
    qint64 candidates = 0;
    qint64 failed = 0;
    int repaired = 0;
};

// One thread's work: the pairs (i, j > i) and the part outside the boundary of every region
// i with i % step == first. Each thread has its own context and its own copies of the
// shapes, so no GEOS object is shared between threads.
class Worker {
public:
    Worker(const std::vector<const OGRGeometry*>& boundary,
           const std::vector<TilingRegion>& regions, const SpatialIndex& index,
           const std::vector<MapRect>& boxes)
        : m_boundary(boundary), m_regions(regions), m_index(index), m_boxes(boxes) {}

    Share run(size_t first, size_t step, bool pairs, bool outside) {
        GEOSContextHandle_t context = m_geos.handle();
        Share share;
        convert(share);
        GeosGeometry whole =
            outside ? unionOf(context, m_boundary) : GeosGeometry(nullptr, {context});
        GeosPrepared inside(whole ? GEOSPrepare_r(context, whole.get()) : nullptr, {context});
        const double wholeArea = areaOf(context, whole.get());
        for (size_t i = first; i < m_shapes.size(); i += step) {
            if (!m_shapes[i])
                continue;
            share.areas += m_areas[i];
            if (pairs)
                tryPairs(i, share);
            if (outside)
                measureOutside(i, whole.get(), inside.get(), wholeArea, share);
        }
        return share;
    }

    GEOSContextHandle_t context() const { return m_geos.handle(); }
    const GEOSGeometry* shape(size_t i) const { return m_shapes[i].get(); }
    double area(size_t i) const { return m_areas[i]; }

private:
    void convert(Share& share) {
        GEOSContextHandle_t context = m_geos.handle();
        m_shapes.reserve(m_regions.size());
        m_areas.assign(m_regions.size(), 0);
        m_repaired.assign(m_regions.size(), false);
        m_convex.resize(m_regions.size());
        m_convexTried.assign(m_regions.size(), false);
        for (size_t i = 0; i < m_regions.size(); ++i) {
            bool repaired = false;
            m_shapes.push_back(m_boxes[i].isNull()
                                   ? GeosGeometry(nullptr, {context})
                                   : validArea(context, m_regions[i].shape, repaired));
            m_repaired[i] = repaired;
            share.repaired += repaired ? 1 : 0;
            m_areas[i] = areaOf(context, m_shapes.back().get());
        }
    }

    // The region as a convex ring (made when first asked); null when it is not convex or
    // was repaired (only its repaired form may be measured).
    const ConvexRing* convex(size_t i) {
        if (!m_convexTried[i]) {
            m_convexTried[i] = true;
            if (!m_repaired[i])
                m_convex[i] = ConvexRingOf(m_regions[i].shape);
        }
        return m_convex[i] ? &*m_convex[i] : nullptr;
    }

    // Whether the pair can be passed over without GEOS: one side convex, the other clipped
    // against it shares less than the tolerance (its clipped area counted in the sums).
    bool clearedByClipping(size_t i, size_t j, double tolerance, Share& share) {
        if (m_repaired[i] || m_repaired[j])
            return false;
        const ConvexRing* ring = convex(i);
        const size_t other = ring ? j : i;
        if (!ring)
            ring = convex(j);
        if (!ring)
            return false;
        const OGRGeometry* shape = m_regions[other].shape;
        if (SeparatedFrom(shape, *ring))
            return true;
        const double common = ClippedArea(shape, *ring);
        if (common >= tolerance)
            return false;
        share.common += std::max(common, 0.0);
        return true;
    }

    void tryPairs(size_t i, Share& share) {
        GEOSContextHandle_t context = m_geos.handle();
        GeosPrepared prepared(nullptr, {context});
        for (const qint64 other : m_index.query(m_boxes[i])) {
            const auto j = static_cast<size_t>(other);
            if (j <= i || !m_shapes[j])
                continue;
            ++share.candidates;
            const double tolerance = TilingTolerance(std::min(m_areas[i], m_areas[j]));
            // Most neighbours only touch: a convex side tells so without GEOS.
            if (clearedByClipping(i, j, tolerance, share))
                continue;
            if (!prepared)
                prepared.reset(GEOSPrepare_r(context, m_shapes[i].get()));
            const char meets =
                prepared ? GEOSPreparedIntersects_r(context, prepared.get(), m_shapes[j].get()) : 2;
            if (meets != 1) {
                share.failed += meets == 2 ? 1 : 0;
                continue;
            }
            GeosGeometry common(GEOSIntersection_r(context, m_shapes[i].get(), m_shapes[j].get()),
                                {context});
            if (!common) {
                ++share.failed;
                continue;
            }
            share.common += areaOf(context, common.get());
            Pieces pieces = piecesOf(context, common.get(), tolerance);
            if (!pieces.empty())
                share.overlaps.push_back(findingOf(TilingFault::Overlap,
                                                   {static_cast<int>(i), static_cast<int>(j)},
                                                   m_regions, std::move(pieces)));
        }
    }

    void measureOutside(size_t i, const GEOSGeometry* whole, const GEOSPreparedGeometry* inside,
                        double wholeArea, Share& share) {
        GEOSContextHandle_t context = m_geos.handle();
        const char covered = inside ? GEOSPreparedCovers_r(context, inside, m_shapes[i].get()) : 2;
        if (covered == 1)
            return;
        GeosGeometry beyond(covered == 0 ? GEOSDifference_r(context, m_shapes[i].get(), whole)
                                         : nullptr,
                            {context});
        if (!beyond) {
            ++share.failed;
            return;
        }
        share.beyond += areaOf(context, beyond.get());
        Pieces pieces =
            piecesOf(context, beyond.get(), TilingTolerance(std::min(m_areas[i], wholeArea)));
        if (!pieces.empty())
            share.outside.push_back(findingOf(TilingFault::Outside, {static_cast<int>(i)},
                                              m_regions, std::move(pieces)));
    }

    GeosContext m_geos;
    const std::vector<const OGRGeometry*>& m_boundary;
    const std::vector<TilingRegion>& m_regions;
    const SpatialIndex& m_index;
    const std::vector<MapRect>& m_boxes;
    std::vector<GeosGeometry> m_shapes;
    std::vector<double> m_areas;
    std::vector<bool> m_repaired;
    std::vector<std::optional<ConvexRing>> m_convex;
    std::vector<bool> m_convexTried;
};

// The gaps: the boundary less the union of the regions, in pieces, each with the regions
// that border it (the smallest of them sets its tolerance), from west to east.
std::vector<TilingFinding> gapsOf(const Worker& worker, const GEOSGeometry* whole,
                                  const std::vector<TilingRegion>& regions,
                                  const SpatialIndex& index, qint64& failed) {
    GEOSContextHandle_t context = worker.context();
    std::vector<TilingFinding> gaps;
    const double wholeArea = areaOf(context, whole);
    std::vector<GEOSGeometry*> parts;
    for (size_t i = 0; i < regions.size(); ++i)
        if (const GEOSGeometry* g = worker.shape(i))
            parts.push_back(GEOSGeom_clone_r(context, g));
    GeosGeometry all(GEOSGeom_createCollection_r(context, GEOS_GEOMETRYCOLLECTION, parts.data(),
                                                 static_cast<unsigned>(parts.size())),
                     {context});
    GeosGeometry covered(all ? GEOSUnaryUnion_r(context, all.get()) : nullptr, {context});
    GeosGeometry left(covered ? GEOSDifference_r(context, whole, covered.get()) : nullptr,
                      {context});
    if (!left) {
        ++failed;
        return gaps;
    }
    std::vector<const GEOSGeometry*> polygons;
    collectPolygons(context, left.get(), polygons);
    for (const GEOSGeometry* polygon : polygons) {
        std::vector<int> near;
        double smaller = wholeArea;
        for (const qint64 r : index.query(boxOf(context, polygon))) {
            const auto j = static_cast<size_t>(r);
            if (!worker.shape(j) || GEOSIntersects_r(context, worker.shape(j), polygon) != 1)
                continue;
            near.push_back(static_cast<int>(j));
            smaller = std::min(smaller, worker.area(j));
        }
        Pieces pieces = piecesOf(context, polygon, TilingTolerance(smaller));
        if (!pieces.empty())
            gaps.push_back(
                findingOf(TilingFault::Gap, std::move(near), regions, std::move(pieces)));
    }
    std::stable_sort(gaps.begin(), gaps.end(), [](const TilingFinding& a, const TilingFinding& b) {
        return a.point.x() < b.point.x();
    });
    return gaps;
}

} // namespace

double TilingTolerance(double smallerArea) {
    return std::max(1e-4 * smallerArea, 1.0);
}

std::vector<TilingFinding> FindTilingFaults(const std::vector<const OGRGeometry*>& boundary,
                                            const std::vector<TilingRegion>& regions,
                                            const TilingChecks& checks, TilingStats* stats) {
    std::vector<TilingFinding> findings;
    const bool hasBoundary = std::any_of(boundary.begin(), boundary.end(),
                                         [](const OGRGeometry* g) { return g && !g->IsEmpty(); });
    const bool gaps = checks.gaps && hasBoundary;
    // The pairs and the parts outside are measured also when only the gaps are asked for:
    // their sums bound the uncovered area, which spares the union when nothing is open.
    const bool pairs = checks.overlaps || gaps;
    const bool outside = hasBoundary && (checks.outside || gaps);

    std::vector<MapRect> boxes(regions.size(), MapRect::null());
    std::vector<SpatialIndex::Entry> entries;
    for (size_t i = 0; i < regions.size(); ++i) {
        const OGRGeometry* shape = regions[i].shape;
        if (!shape || shape->IsEmpty())
            continue;
        OGREnvelope e;
        shape->getEnvelope(&e);
        boxes[i] = MapRect{e.MinX, e.MinY, e.MaxX, e.MaxY};
        entries.push_back({static_cast<qint64>(i), boxes[i]});
    }
    SpatialIndex index;
    index.build(entries);

    // Both cores: every other region on a second thread.
    Worker mine(boundary, regions, index, boxes), other(boundary, regions, index, boxes);
    std::future<Share> second =
        std::async(std::launch::async, [&] { return other.run(1, 2, pairs, outside); });
    Share shares[2] = {mine.run(0, 2, pairs, outside), second.get()};

    TilingStats counts;
    counts.repaired = shares[0].repaired;
    std::vector<TilingFinding> overlaps, beyond;
    double areas = 0, common = 0, outsideArea = 0;
    for (Share& share : shares) {
        counts.candidates += share.candidates;
        counts.failed += share.failed;
        areas += share.areas;
        common += share.common;
        outsideArea += share.beyond;
        std::move(share.overlaps.begin(), share.overlaps.end(), std::back_inserter(overlaps));
        std::move(share.outside.begin(), share.outside.end(), std::back_inserter(beyond));
    }
    const auto byRegions = [](const TilingFinding& a, const TilingFinding& b) {
        return a.regions < b.regions;
    };
    std::sort(overlaps.begin(), overlaps.end(), byRegions);
    std::sort(beyond.begin(), beyond.end(), byRegions);
    if (checks.overlaps)
        std::move(overlaps.begin(), overlaps.end(), std::back_inserter(findings));
    if (checks.outside)
        std::move(beyond.begin(), beyond.end(), std::back_inserter(findings));

    if (gaps) {
        // The union of the regions inside the boundary is at least their areas less the
        // common parts of all pairs; when that leaves less than the smallest piece counted,
        // there is no gap to find.
        GeosGeometry whole = unionOf(mine.context(), boundary);
        const double open = areaOf(mine.context(), whole.get()) - (areas - outsideArea - common);
        if (!whole) {
            ++counts.failed;
        } else if (counts.failed > 0 || open >= 0.5) {
            std::vector<TilingFinding> found =
                gapsOf(mine, whole.get(), regions, index, counts.failed);
            std::move(found.begin(), found.end(), std::back_inserter(findings));
        }
    }
    if (stats)
        *stats = counts;
    return findings;
}
