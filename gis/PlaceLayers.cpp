#include "gis/PlaceLayers.h"

#include "gis/LayerKinds.h"
#include "gis/SettlementLayers.h"
#include "map/GdalScope.h"
#include "map/Geometry.h"
#include "valuation/Names.h"

#include <QFileInfo>

#include <ogr_geometry.h>

#include <algorithm>

namespace {

/** Below this a part of a plot is taken for a sliver of the cutting. */
constexpr double MinPieceM2 = 1e-4;

const OGRGeometry* shapeOf(const Feature& f) {
    return f.isRegion() && f.geometry() ? f.geometry()->ogr() : nullptr;
}

MapRect envelopeOf(const OGRGeometry& g) {
    OGREnvelope e;
    g.getEnvelope(&e);
    return {e.MinX, e.MinY, e.MaxX, e.MaxY};
}

double areaOf(const OGRGeometry& g) {
    if (const auto* surface = dynamic_cast<const OGRSurface*>(&g))
        return surface->get_Area();
    if (const auto* multi = dynamic_cast<const OGRMultiSurface*>(&g))
        return multi->get_Area();
    if (const auto* collection = dynamic_cast<const OGRGeometryCollection*>(&g))
        return collection->get_Area();
    return 0;
}

QString valueOf(const Feature& f, const QString& field) {
    QString v;
    f.value(field, &v);
    return v.trimmed();
}

/** Whether the polygon holds the point, its edge included (without GEOS: no conversion). */
bool polygonHolds(const OGRPolygon& polygon, const OGRPoint& point) {
    const OGRLinearRing* outer = polygon.getExteriorRing();
    if (!outer)
        return false;
    if (outer->isPointOnRingBoundary(&point))
        return true;
    if (!outer->isPointInRing(&point))
        return false;
    for (int i = 0; i < polygon.getNumInteriorRings(); ++i) {
        const OGRLinearRing* hole = polygon.getInteriorRing(i);
        if (hole->isPointInRing(&point) && !hole->isPointOnRingBoundary(&point))
            return false;
    }
    return true;
}

bool regionHolds(const OGRGeometry& region, const OGRPoint& point) {
    switch (wkbFlatten(region.getGeometryType())) {
    case wkbPolygon:
        return polygonHolds(*region.toPolygon(), point);
    case wkbMultiPolygon:
        for (const OGRPolygon* part : *region.toMultiPolygon())
            if (polygonHolds(*part, point))
                return true;
        return false;
    default:
        return region.Intersects(&point);
    }
}

/** The first region of the layer, in table order, that holds the point. */
const Feature* regionAt(const Layer& layer, const QPointF& p) {
    const OGRPoint point(p.x(), p.y());
    for (int i : layer.objectsIn(MapRect{p.x(), p.y(), p.x(), p.y()})) {
        const Feature& f = layer.features()[static_cast<size_t>(i)];
        const OGRGeometry* g = shapeOf(f);
        if (g && regionHolds(*g, point))
            return &f;
    }
    return nullptr;
}

/** A part of the plot still to be cut. */
struct Part {
    std::unique_ptr<OGRGeometry> shape;
    QString district;
    std::vector<FactorHit> factors;
};

} // namespace

PlaceLayers::PlaceLayers() = default;
PlaceLayers::~PlaceLayers() = default;

bool PlaceLayers::load(const QString& folder, QString* error) {
    m_boundary.reset();
    m_districts.reset();
    m_factors.clear();
    const QString districts = SettlementLayerPath(folder, names::layer::Districts());
    if (!QFileInfo::exists(districts)) {
        if (error)
            *error = QStringLiteral("У населеного пункту немає карти районів «райони».");
        return false;
    }
    m_districts = Layer::open(districts, names::layer::Districts(), error);
    if (!m_districts)
        return false;
    TabFile::coordinateSystem(districts, &m_crs, nullptr);
    // A boundary or factor layer that is there but cannot be read would change the value
    // silently: the valuation stops and names it.
    auto unreadable = [&](const SettlementLayer& layer, const QString& reason) {
        if (error)
            *error = QStringLiteral("Шар «%1» не читається: %2")
                         .arg(layer.name,
                              reason.isEmpty() ? QStringLiteral("файл пошкоджений.") : reason);
        m_districts.reset();
        m_factors.clear();
        m_boundary.reset();
        return false;
    };
    for (const SettlementLayer& layer : ListSettlementLayers(folder)) {
        if (!layer.target)
            continue;
        const LayerKind kind = layer.target->kind;
        if ((kind != LayerKind::Boundary || m_boundary) && kind != LayerKind::LocalFactor)
            continue;
        if (!layer.error.isEmpty())
            return unreadable(layer, layer.error);
        QString reason;
        std::unique_ptr<Layer> opened = Layer::open(layer.path, layer.name, &reason);
        if (!opened)
            return unreadable(layer, reason);
        if (kind == LayerKind::Boundary)
            m_boundary = std::move(opened);
        else
            m_factors.emplace_back(layer.target->factor, std::move(opened));
    }
    if (m_boundary && std::none_of(m_boundary->features().begin(), m_boundary->features().end(),
                                   [](const Feature& f) { return f.isRegion(); }))
        m_boundary.reset(); // an empty boundary table bounds nothing
    return true;
}

PlaceHit PlaceLayers::at(const QPointF& point) const {
    GdalScope scope;
    PlaceHit hit;
    hit.outsideBoundary = m_boundary && !regionAt(*m_boundary, point);
    if (m_districts)
        if (const Feature* d = regionAt(*m_districts, point))
            hit.district = valueOf(*d, names::field::Raion());
    for (const auto& [factor, layer] : m_factors) {
        // Where regions of one layer overlap, the first counts, as when a plot is cut.
        if (const Feature* r = regionAt(*layer, point))
            hit.factors.push_back({layer->name(), factor, valueOf(*r, names::field::Km3())});
    }
    return hit;
}

PlotSplit PlaceLayers::split(const OGRGeometry& plot) const {
    GdalScope scope;
    PlotSplit out;
    out.areaM2 = areaOf(plot);
    if (m_boundary) {
        double inside = 0;
        for (int i : m_boundary->objectsIn(envelopeOf(plot)))
            if (const OGRGeometry* b = shapeOf(m_boundary->features()[static_cast<size_t>(i)]))
                if (std::unique_ptr<OGRGeometry> common{plot.Intersection(b)})
                    inside += areaOf(*common);
        out.outsideBoundaryM2 = std::max(0.0, out.areaM2 - inside);
    }
    std::vector<Part> parts;
    double inDistricts = 0;
    if (m_districts) {
        for (int i : m_districts->objectsIn(envelopeOf(plot))) {
            const Feature& d = m_districts->features()[static_cast<size_t>(i)];
            const OGRGeometry* g = shapeOf(d);
            std::unique_ptr<OGRGeometry> common(g ? plot.Intersection(g) : nullptr);
            if (!common || areaOf(*common) < MinPieceM2)
                continue;
            inDistricts += areaOf(*common);
            parts.push_back({std::move(common), valueOf(d, names::field::Raion()), {}});
        }
    }
    out.outsideM2 = std::max(0.0, out.areaM2 - inDistricts);
    // Each factor layer cuts every part into what its regions cover and the rest.
    for (const auto& [factor, layer] : m_factors) {
        std::vector<Part> next;
        for (Part& part : parts) {
            std::unique_ptr<OGRGeometry> rest(part.shape->clone());
            for (int i : layer->objectsIn(envelopeOf(*part.shape))) {
                const Feature& r = layer->features()[static_cast<size_t>(i)];
                const OGRGeometry* g = shapeOf(r);
                std::unique_ptr<OGRGeometry> covered(g ? rest->Intersection(g) : nullptr);
                if (!covered || areaOf(*covered) < MinPieceM2)
                    continue;
                std::unique_ptr<OGRGeometry> left(rest->Difference(g));
                Part cut{std::move(covered), part.district, part.factors};
                cut.factors.push_back({layer->name(), factor, valueOf(r, names::field::Km3())});
                next.push_back(std::move(cut));
                if (!left)
                    break;
                rest = std::move(left);
            }
            if (rest && areaOf(*rest) >= MinPieceM2) {
                part.shape = std::move(rest);
                next.push_back(std::move(part));
            }
        }
        parts = std::move(next);
    }
    for (const Part& part : parts)
        out.pieces.push_back({part.district, part.factors, areaOf(*part.shape)});
    return out;
}
