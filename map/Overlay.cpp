#include "map/Overlay.h"

#include "map/ConvexClip.h"
#include "map/Geometry.h"
#include "map/GeosHandles.h"
#include "map/GeosRepair.h"
#include "map/MapGlobal.h"

#include <geos_c.h>
#include <ogr_geometry.h>

#include <chrono>
#include <cmath>
#include <map>

namespace {

// Beyond this many vertices a region is prepared on its own side and cut down to the other
// side's box before an intersection.
constexpr int kLargeVertices = 2000;

GeosGeometry toGeos(GEOSContextHandle_t context, const Feature& feature) {
    return GeosGeometry(feature.geometry()->ogr()->exportToGEOS(context), {context});
}

// The feature's region in GEOS form, repaired with make-valid when it is not valid; the
// reason goes to `repair`. Null when it cannot be converted or repaired.
GeosGeometry validGeos(GEOSContextHandle_t context, const Feature& feature, QString& repair) {
    GeosGeometry g = toGeos(context, feature);
    if (!g)
        return g;
    const char valid = GEOSisValid_r(context, g.get());
    if (valid == 1)
        return g;
    if (valid != 0)
        return GeosGeometry(nullptr, {context});
    repair = GeosRepair::InvalidReason(context, g.get());
    return GeosGeometry(GeosRepair::MakeValidRegion(context, g.get()), {context});
}

// Stopping long GEOS operations: GEOS calls OnGeosInterrupt very often while it works; now
// and then it asks the run's progress whether to go on, and requests the interruption when
// told to stop (the operation then fails, and the run ends).
struct InterruptState {
    const OverlayProgress* progress = nullptr;
    qint64 done = 0;
    qint64 total = 0;
    bool stop = false;
    unsigned calls = 0;
    std::chrono::steady_clock::time_point next;
};

thread_local InterruptState* t_interrupt = nullptr;

void OnGeosInterrupt() {
    InterruptState* state = t_interrupt;
    if (!state || !state->progress)
        return;
    if (!state->stop && ++state->calls % 256 == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= state->next) {
            state->next = now + std::chrono::milliseconds(20);
            state->stop = !(*state->progress)(state->done, state->total);
        }
    }
    if (state->stop)
        GEOS_interruptRequest();
}

// Listens for a stop while the run lives (only when the run has a progress to ask).
class InterruptScope {
public:
    explicit InterruptScope(InterruptState& state) : m_previousState(t_interrupt) {
        t_interrupt = &state;
        if (state.progress)
            m_previous = GEOS_interruptRegisterCallback(&OnGeosInterrupt);
        m_registered = state.progress != nullptr;
    }
    ~InterruptScope() {
        if (m_registered) {
            GEOS_interruptRegisterCallback(m_previous);
            GEOS_interruptCancel();
        }
        t_interrupt = m_previousState;
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    InterruptState* m_previousState;
    GEOSInterruptCallback* m_previous = nullptr;
    bool m_registered = false;
};

// The overlay regions of one layer in GEOS form, made when first needed.
class RegionCache {
public:
    RegionCache(GEOSContextHandle_t context, const Layer& layer,
                std::vector<OverlayRepair>& repairs)
        : m_context(context), m_layer(layer), m_repairs(repairs),
          m_geometries(layer.features().size()), m_areas(layer.features().size(), NAN),
          m_tried(layer.features().size(), false), m_repaired(layer.features().size(), false),
          m_convex(layer.features().size()), m_convexTried(layer.features().size(), false) {}

    // Null when the region cannot be converted; repaired when it was not valid.
    const GEOSGeometry* geometry(int index) {
        const auto i = static_cast<size_t>(index);
        if (!m_tried[i]) {
            m_tried[i] = true;
            QString repair;
            m_geometries[i] = validGeos(m_context, m_layer.features()[i], repair);
            if (!repair.isEmpty()) {
                m_repaired[i] = true;
                m_repairs.push_back({m_layer.name(), m_layer.features()[i].fid(), repair});
            }
        }
        return m_geometries[i].get();
    }

    // Whether the region was not valid as stored (so only its repaired form can be measured).
    bool repaired(int index) {
        geometry(index);
        return m_repaired[static_cast<size_t>(index)];
    }

    // Whether the region has so many vertices that it is worth preparing on its own side.
    bool large(int index) {
        const GEOSGeometry* g = geometry(index);
        return g && GEOSGetNumCoordinates_r(m_context, g) > kLargeVertices;
    }

    // The region prepared for repeated predicates (made when first asked; large ones only).
    const GEOSPreparedGeometry* prepared(int index) {
        auto it = m_prepared.find(index);
        if (it == m_prepared.end())
            it = m_prepared
                     .emplace(index,
                              GeosPrepared(GEOSPrepare_r(m_context, geometry(index)), {m_context}))
                     .first;
        return it->second.get();
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
    std::vector<OverlayRepair>& m_repairs;
    std::vector<GeosGeometry> m_geometries;
    std::vector<double> m_areas;
    std::vector<bool> m_tried;
    std::vector<bool> m_repaired;
    std::vector<std::optional<ConvexRing>> m_convex;
    std::vector<bool> m_convexTried;
    std::map<int, GeosPrepared> m_prepared;
};

// A base region ready for its candidates.
struct BaseShape {
    const Feature& feature;
    MapRect box;
    GeosGeometry geometry;
    GeosPrepared prepared;
    double area = NAN;
    std::optional<ConvexRing> convex;
    bool repaired = false; ///< not valid as stored: only its GEOS form is measured
    bool large = false;    ///< more than kLargeVertices vertices
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
        // Beyond one of the convex side's edges: apart or in contact, no area in common.
        if (SeparatedFrom(other.geometry()->ogr(), *clip))
            return Decision::NoPair;
        // A region that is not valid is measured in its repaired form, by GEOS.
        if (!(base.convex ? regions.repaired(index) : base.repaired)) {
            area = ClippedArea(other.geometry()->ogr(), *clip);
            if (area > 1e-6 * clip->area)
                return Decision::Pair;
            area = 0;
        }
    }
    const GEOSGeometry* region = regions.geometry(index);
    if (!region)
        return Decision::Failed;
    const bool largeRegion = regions.large(index);
    // A region wholly inside the base brings its own area; a base wholly inside the region
    // brings the base's; only regions across the border are intersected.
    if (contains(base.box, regionBox) && GEOSPreparedContains_r(context, prepared, region) == 1) {
        area = regions.area(index);
    } else if (contains(regionBox, base.box) && !std::isnan(base.area) &&
               (largeRegion
                    ? GEOSPreparedCovers_r(context, regions.prepared(index), base.geometry.get())
                    : GEOSPreparedCoveredBy_r(context, prepared, region)) == 1) {
        area = base.area;
    } else if (largeRegion || base.large) {
        // A side of thousands of vertices is first cut down to the other's box, and the common
        // area is measured rather than contact asked about, which GEOS answers only by going
        // round the whole long border.
        const char meets = largeRegion ? GEOSPreparedIntersects_r(context, regions.prepared(index),
                                                                  base.geometry.get())
                                       : GEOSPreparedIntersects_r(context, prepared, region);
        if (meets != 1)
            return meets == 2 ? Decision::Failed : Decision::NoPair;
        const GEOSGeometry* large = largeRegion ? region : base.geometry.get();
        const GEOSGeometry* small = largeRegion ? base.geometry.get() : region;
        const MapRect& box = largeRegion ? base.box : regionBox;
        GeosGeometry cut(GEOSClipByRect_r(context, large, box.xMin, box.yMin, box.xMax, box.yMax),
                         {context});
        GeosGeometry common(cut ? GEOSIntersection_r(context, small, cut.get()) : nullptr,
                            {context});
        if (!common) // the cut was not usable: the whole border then
            common.reset(GEOSIntersection_r(context, small, large));
        if (!common || GEOSArea_r(context, common.get(), &area) != 1)
            return Decision::Failed;
    } else {
        const char meets = GEOSPreparedIntersects_r(context, prepared, region);
        if (meets != 1)
            return meets == 2 ? Decision::Failed : Decision::NoPair;
        // Meeting without touching only: their interiors share area.
        const char touches = GEOSPreparedTouches_r(context, prepared, region);
        if (touches == 2)
            return Decision::Failed;
        if (touches == 1)
            return Decision::NoPair;
        if (test == OverlayTest::Overlap)
            return Decision::Pair;
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
                     const OverlayVisitor& visit, const OverlayProgress& progress) {
    OverlayStats stats;
    GeosContext geos;
    GEOSContextHandle_t context = geos.handle();
    std::vector<std::unique_ptr<RegionCache>> caches;
    for (const Layer* layer : layers)
        caches.push_back(layer ? std::make_unique<RegionCache>(context, *layer, stats.repairs)
                               : nullptr);

    const FeatureList& bases = base.features();
    InterruptState interrupt;
    interrupt.progress = progress ? &progress : nullptr;
    interrupt.total = static_cast<qint64>(bases.size());
    const InterruptScope listening(interrupt);
    for (size_t b = 0; b < bases.size() && !interrupt.stop; ++b) {
        interrupt.done = static_cast<qint64>(b);
        if (progress && !progress(interrupt.done, interrupt.total)) {
            interrupt.stop = true;
            break;
        }
        const Feature& baseFeature = bases[b];
        if (!baseFeature.isRegion())
            continue;
        QString repair;
        BaseShape shape{baseFeature,
                        baseFeature.bounds(),
                        validGeos(context, baseFeature, repair),
                        GeosPrepared(nullptr, {context}),
                        NAN,
                        ConvexRingOf(baseFeature.geometry()->ogr()),
                        !repair.isEmpty()};
        if (shape.repaired)
            stats.repairs.push_back({base.name(), baseFeature.fid(), repair});
        if (shape.geometry) {
            shape.large = GEOSGetNumCoordinates_r(context, shape.geometry.get()) > kLargeVertices;
            shape.prepared.reset(GEOSPrepare_r(context, shape.geometry.get()));
            if (GEOSArea_r(context, shape.geometry.get(), &shape.area) != 1)
                shape.area = NAN;
        }

        for (size_t l = 0; l < layers.size() && !interrupt.stop; ++l) {
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
                if (interrupt.stop)
                    break; // the operation was interrupted, not failed
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
    stats.stopped = interrupt.stop;
    if (progress && !stats.stopped)
        progress(interrupt.total, interrupt.total);
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

QString OverlayRepairsText(const std::vector<OverlayRepair>& repairs) {
    if (repairs.empty())
        return QString();
    QStringList lines{QStringLiteral("Ці об'єкти мапи мають недійсну форму, тож для накладення їх "
                                     "виправлено (файли шарів не змінено):")};
    for (const OverlayRepair& r : repairs)
        lines
            << QStringLiteral("шар \"%1\", об'єкт № %2: %3").arg(r.layer).arg(r.fid).arg(r.reason);
    return lines.join(u'\r');
}

std::unique_ptr<Layer> OpenOverlayLayer(const QString& path, QString* error) {
    return Layer::open(path, LayerNameOf(path), error);
}
