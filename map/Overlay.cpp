#include "map/Overlay.h"

#include "map/ConvexClip.h"
#include "map/Geometry.h"
#include "map/MapGlobal.h"

#include <geos_c.h>
#include <ogr_geometry.h>

#include <cmath>

namespace {

// One GEOS context per overlay run; its messages are dropped (failures are counted).
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

GeosGeometry toGeos(GEOSContextHandle_t context, const Feature& feature) {
    return GeosGeometry(feature.geometry()->ogr()->exportToGEOS(context), {context});
}

// The overlay regions of one layer in GEOS form, made when first needed.
class RegionCache {
public:
    RegionCache(GEOSContextHandle_t context, const Layer& layer)
        : m_context(context), m_layer(layer), m_geometries(layer.features().size()),
          m_areas(layer.features().size(), NAN), m_tried(layer.features().size(), false),
          m_convex(layer.features().size()), m_convexTried(layer.features().size(), false) {}

    // Null when the region cannot be converted.
    const GEOSGeometry* geometry(int index) {
        const auto i = static_cast<size_t>(index);
        if (!m_tried[i]) {
            m_tried[i] = true;
            m_geometries[i] = toGeos(m_context, m_layer.features()[i]);
        }
        return m_geometries[i].get();
    }

    const Feature& feature(int index) const {
        return m_layer.features()[static_cast<size_t>(index)];
    }

    // The region's own area; NaN when GEOS cannot tell.
    double area(int index) {
        const auto i = static_cast<size_t>(index);
        if (std::isnan(m_areas[i])) {
            double a = 0;
            const GEOSGeometry* g = geometry(index);
            if (g && GEOSArea_r(m_context, g, &a) == 1)
                m_areas[i] = a;
        }
        return m_areas[i];
    }

    // The region as a convex ring; null when it is not convex.
    const ConvexRing* convex(int index) {
        const auto i = static_cast<size_t>(index);
        if (!m_convexTried[i]) {
            m_convexTried[i] = true;
            m_convex[i] = ConvexRingOf(m_layer.features()[i].geometry()->ogr());
        }
        return m_convex[i] ? &*m_convex[i] : nullptr;
    }

private:
    GEOSContextHandle_t m_context;
    const Layer& m_layer;
    std::vector<GeosGeometry> m_geometries;
    std::vector<double> m_areas;
    std::vector<bool> m_tried;
    std::vector<std::optional<ConvexRing>> m_convex;
    std::vector<bool> m_convexTried;
};

// A base region ready for its candidates.
struct BaseShape {
    const Feature& feature;
    MapRect box;
    GeosGeometry geometry;
    GeosPrepared prepared;
    double area = NAN;
    std::optional<ConvexRing> convex;
};

bool contains(const MapRect& outer, const MapRect& inner) {
    return outer.xMin <= inner.xMin && outer.yMin <= inner.yMin && outer.xMax >= inner.xMax &&
           outer.yMax >= inner.yMax;
}

enum class Decision { Pair, NoPair, Failed };

// Whether the base region and the overlay region make a pair, with the common area for
// OverlayTest::Area.
Decision decide(GEOSContextHandle_t context, OverlayTest test, const BaseShape& base,
                RegionCache& regions, int index, const MapRect& regionBox, double& area) {
    const GEOSPreparedGeometry* prepared = base.prepared.get();
    if (test == OverlayTest::Touch) {
        const GEOSGeometry* region = regions.geometry(index);
        if (!region)
            return Decision::Failed;
        const char r = GEOSPreparedIntersects_r(context, prepared, region);
        return r == 2 ? Decision::Failed : r == 1 ? Decision::Pair : Decision::NoPair;
    }
    // Either side convex (most parcels and many districts): clip the other against it. A
    // clear overlap is decided here; contact, a sliver or nothing is left to GEOS to decide
    // exactly, as clipping leaves a rounding-sized area for a mere contact.
    const ConvexRing* clip = base.convex ? &*base.convex : regions.convex(index);
    if (clip) {
        const Feature& other = base.convex ? regions.feature(index) : base.feature;
        area = ClippedArea(other.geometry()->ogr(), *clip);
        if (area > 1e-6 * clip->area)
            return Decision::Pair;
        area = 0;
    }
    const GEOSGeometry* region = regions.geometry(index);
    if (!region)
        return Decision::Failed;
    // A region wholly inside the base brings its own area; a base wholly inside the region
    // brings the base's; only regions across the border are intersected.
    if (contains(base.box, regionBox) && GEOSPreparedContains_r(context, prepared, region) == 1) {
        area = regions.area(index);
    } else if (contains(regionBox, base.box) && !std::isnan(base.area) &&
               GEOSPreparedCoveredBy_r(context, prepared, region) == 1) {
        area = base.area;
    } else {
        const char meets = GEOSPreparedIntersects_r(context, prepared, region);
        if (meets != 1)
            return meets == 2 ? Decision::Failed : Decision::NoPair;
        if (test == OverlayTest::Overlap) {
            // Meeting without touching only: their interiors share area.
            const char touches = GEOSPreparedTouches_r(context, prepared, region);
            return touches == 2   ? Decision::Failed
                   : touches == 1 ? Decision::NoPair
                                  : Decision::Pair;
        }
        GeosGeometry common(GEOSIntersection_r(context, base.geometry.get(), region), {context});
        if (!common || GEOSArea_r(context, common.get(), &area) != 1)
            return Decision::Failed;
    }
    if (std::isnan(area))
        return Decision::Failed;
    return area > 0 ? Decision::Pair : Decision::NoPair;
}

} // namespace

OverlayStats Overlay(const Layer& base, const std::vector<const Layer*>& layers, OverlayTest test,
                     const OverlayVisitor& visit) {
    OverlayStats stats;
    GeosContext geos;
    GEOSContextHandle_t context = geos.handle();
    std::vector<std::unique_ptr<RegionCache>> caches;
    for (const Layer* layer : layers)
        caches.push_back(layer ? std::make_unique<RegionCache>(context, *layer) : nullptr);

    const FeatureList& bases = base.features();
    for (size_t b = 0; b < bases.size(); ++b) {
        const Feature& baseFeature = bases[b];
        if (!baseFeature.isRegion())
            continue;
        BaseShape shape{baseFeature,
                        baseFeature.bounds(),
                        toGeos(context, baseFeature),
                        GeosPrepared(nullptr, {context}),
                        NAN,
                        ConvexRingOf(baseFeature.geometry()->ogr())};
        if (shape.geometry) {
            shape.prepared.reset(GEOSPrepare_r(context, shape.geometry.get()));
            if (GEOSArea_r(context, shape.geometry.get(), &shape.area) != 1)
                shape.area = NAN;
        }

        for (size_t l = 0; l < layers.size(); ++l) {
            if (!layers[l])
                continue;
            const Layer& layer = *layers[l];
            for (const int r : layer.objectsIn(shape.box)) {
                const Feature& region = layer.features()[static_cast<size_t>(r)];
                if (!region.isRegion())
                    continue;
                ++stats.candidates;
                OverlayPair pair{static_cast<int>(b), static_cast<int>(l), r, 0.0};
                const Decision d = shape.prepared ? decide(context, test, shape, *caches[l], r,
                                                           region.bounds(), pair.area)
                                                  : Decision::Failed;
                if (d == Decision::Failed) {
                    ++stats.failed;
                    continue;
                }
                if (d == Decision::NoPair)
                    continue;
                if (test != OverlayTest::Area)
                    pair.area = 0;
                ++stats.pairs;
                if (visit)
                    visit(pair, baseFeature, region);
            }
        }
    }
    return stats;
}

std::vector<OverlayPair> OverlayPairs(const Layer& base, const std::vector<const Layer*>& layers,
                                      OverlayTest test, OverlayStats* stats) {
    std::vector<OverlayPair> out;
    const OverlayStats s = Overlay(
        base, layers, test,
        [&out](const OverlayPair& pair, const Feature&, const Feature&) { out.push_back(pair); });
    if (stats)
        *stats = s;
    return out;
}

std::unique_ptr<Layer> OpenOverlayLayer(const QString& path, QString* error) {
    return Layer::open(path, LayerNameOf(path), error);
}
