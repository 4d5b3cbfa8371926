#include "map/LayerTiling.h"

#include "map/GeosRepair.h"
#include "map/SpatialIndex.h"

#include <geos_c.h>
#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>

namespace {

// One GEOS context per thread of a run; its messages are dropped (failures are counted).
class GeosContext {
public:
    GeosContext() : m_handle(GEOS_init_r()) {}
    ~GeosContext() { GEOS_finish_r(m_handle); }
    GeosContext(const GeosContext&) = delete;
    GeosContext& operator=(const GeosContext&) = delete;
    GEOSContextHandle_t handle() const { return m_handle; }

private:
    GEOSContextHandle_t m_handle;
};

struct GeometryDeleter {
    GEOSContextHandle_t context;
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(context, g); }
};
using GeosGeometry = std::unique_ptr<GEOSGeometry, GeometryDeleter>;

struct PreparedDeleter {
    GEOSContextHandle_t context;
    void operator()(const GEOSPreparedGeometry* p) const { GEOSPreparedGeom_destroy_r(context, p); }
};
using GeosPrepared = std::unique_ptr<const GEOSPreparedGeometry, PreparedDeleter>;

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
GeosGeometry unionOf(GEOSContextHandle_t context, const std::vector<const OGRGeometry*>& shapes,
                     int* repairs = nullptr) {
    std::vector<GEOSGeometry*> parts;
    for (const OGRGeometry* shape : shapes) {
        bool repaired = false;
        GeosGeometry g = validArea(context, shape, repaired);
        if (repaired && repairs)
            ++*repairs;
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

// The boundary less the union of the regions; made on its own thread with its own context
// and its own copies of the shapes.
struct Uncovered {
    GeosGeometry left;
    double boundaryArea = 0;
    bool failed = false;
};

std::unique_ptr<Uncovered> uncoveredPart(GEOSContextHandle_t context,
                                         const std::vector<const OGRGeometry*>& boundary,
                                         const std::vector<TilingRegion>& regions) {
    auto out = std::make_unique<Uncovered>(Uncovered{GeosGeometry(nullptr, {context})});
    GeosGeometry whole = unionOf(context, boundary);
    if (!whole) {
        out->failed = true;
        return out;
    }
    out->boundaryArea = areaOf(context, whole.get());
    std::vector<const OGRGeometry*> shapes;
    shapes.reserve(regions.size());
    for (const TilingRegion& r : regions)
        shapes.push_back(r.shape);
    GeosGeometry covered = unionOf(context, shapes);
    if (!covered) { // no region at all: the whole boundary is uncovered
        out->left = std::move(whole);
        return out;
    }
    out->left.reset(GEOSDifference_r(context, whole.get(), covered.get()));
    out->failed = !out->left;
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

} // namespace

double TilingTolerance(double smallerArea) {
    return std::max(1e-4 * smallerArea, 1.0);
}

std::vector<TilingFinding> FindTilingFaults(const std::vector<const OGRGeometry*>& boundary,
                                            const std::vector<TilingRegion>& regions,
                                            const TilingChecks& checks, TilingStats* stats) {
    TilingStats counts;
    std::vector<TilingFinding> findings;
    const bool hasBoundary = std::any_of(boundary.begin(), boundary.end(),
                                         [](const OGRGeometry* g) { return g && !g->IsEmpty(); });

    // The uncovered part on the second core while this one tries the pairs.
    std::future<std::unique_ptr<Uncovered>> uncovered;
    std::unique_ptr<GeosContext> gapContext;
    if (checks.gaps && hasBoundary) {
        gapContext = std::make_unique<GeosContext>();
        uncovered = std::async(std::launch::async, [&boundary, &regions, &gapContext] {
            return uncoveredPart(gapContext->handle(), boundary, regions);
        });
    }

    GeosContext geos;
    GEOSContextHandle_t context = geos.handle();
    std::vector<GeosGeometry> shapes;
    std::vector<double> areas(regions.size(), 0);
    std::vector<SpatialIndex::Entry> entries;
    shapes.reserve(regions.size());
    for (size_t i = 0; i < regions.size(); ++i) {
        bool repaired = false;
        shapes.push_back(validArea(context, regions[i].shape, repaired));
        counts.repaired += repaired ? 1 : 0;
        if (!shapes.back())
            continue;
        areas[i] = areaOf(context, shapes.back().get());
        entries.push_back({static_cast<qint64>(i), boxOf(context, shapes.back().get())});
    }
    SpatialIndex index;
    index.build(entries);

    if (checks.overlaps) {
        for (const SpatialIndex::Entry& e : entries) {
            const auto i = static_cast<size_t>(e.id);
            GeosPrepared prepared(GEOSPrepare_r(context, shapes[i].get()), {context});
            for (const qint64 other : index.query(e.box)) {
                const auto j = static_cast<size_t>(other);
                if (j <= i)
                    continue;
                ++counts.candidates;
                const char meets =
                    prepared ? GEOSPreparedIntersects_r(context, prepared.get(), shapes[j].get())
                             : 2;
                if (meets != 1) {
                    counts.failed += meets == 2 ? 1 : 0;
                    continue;
                }
                GeosGeometry common(GEOSIntersection_r(context, shapes[i].get(), shapes[j].get()),
                                    {context});
                if (!common) {
                    ++counts.failed;
                    continue;
                }
                Pieces pieces =
                    piecesOf(context, common.get(), TilingTolerance(std::min(areas[i], areas[j])));
                if (!pieces.empty())
                    findings.push_back(findingOf(TilingFault::Overlap,
                                                 {static_cast<int>(i), static_cast<int>(j)},
                                                 regions, std::move(pieces)));
            }
        }
    }

    if (checks.outside && hasBoundary) {
        GeosGeometry whole = unionOf(context, boundary);
        GeosPrepared prepared(whole ? GEOSPrepare_r(context, whole.get()) : nullptr, {context});
        const double wholeArea = areaOf(context, whole.get());
        for (const SpatialIndex::Entry& e : entries) {
            const auto i = static_cast<size_t>(e.id);
            if (!prepared) {
                ++counts.failed;
                break;
            }
            const char covered = GEOSPreparedCovers_r(context, prepared.get(), shapes[i].get());
            if (covered == 1)
                continue;
            GeosGeometry beyond(
                covered == 0 ? GEOSDifference_r(context, shapes[i].get(), whole.get()) : nullptr,
                {context});
            if (!beyond) {
                ++counts.failed;
                continue;
            }
            Pieces pieces =
                piecesOf(context, beyond.get(), TilingTolerance(std::min(areas[i], wholeArea)));
            if (!pieces.empty())
                findings.push_back(findingOf(TilingFault::Outside, {static_cast<int>(i)}, regions,
                                             std::move(pieces)));
        }
    }

    if (uncovered.valid()) {
        const std::unique_ptr<Uncovered> left = uncovered.get();
        if (left->failed)
            ++counts.failed;
        std::vector<const GEOSGeometry*> polygons;
        if (left->left)
            collectPolygons(context, left->left.get(), polygons);
        std::vector<TilingFinding> gaps;
        for (const GEOSGeometry* polygon : polygons) {
            // The regions that border the gap, and the smallest of them for its tolerance.
            std::vector<int> near;
            double smaller = left->boundaryArea;
            for (const qint64 r : index.query(boxOf(context, polygon))) {
                const auto j = static_cast<size_t>(r);
                if (GEOSIntersects_r(context, shapes[j].get(), polygon) != 1)
                    continue;
                near.push_back(static_cast<int>(j));
                smaller = std::min(smaller, areas[j]);
            }
            Pieces pieces = piecesOf(context, polygon, TilingTolerance(smaller));
            if (!pieces.empty())
                gaps.push_back(
                    findingOf(TilingFault::Gap, std::move(near), regions, std::move(pieces)));
        }
        std::stable_sort(gaps.begin(), gaps.end(),
                         [](const TilingFinding& a, const TilingFinding& b) {
                             return a.point.x() < b.point.x();
                         });
        std::move(gaps.begin(), gaps.end(), std::back_inserter(findings));
    }
    if (stats)
        *stats = counts;
    return findings;
}
