#include "map/Geometry.h"

#include <cmath>

#include <ogr_geometry.h>

namespace {

void addRing(QPainterPath& path, const OGRLinearRing* ring) {
    if (!ring || ring->getNumPoints() == 0)
        return;
    const int n = ring->getNumPoints();
    path.moveTo(ring->getX(0), ring->getY(0));
    for (int i = 1; i < n; ++i)
        path.lineTo(ring->getX(i), ring->getY(i));
    path.closeSubpath();
}

void addLine(QPainterPath& path, const OGRLineString* line) {
    if (!line || line->getNumPoints() == 0)
        return;
    path.moveTo(line->getX(0), line->getY(0));
    for (int i = 1; i < line->getNumPoints(); ++i)
        path.lineTo(line->getX(i), line->getY(i));
}

void addPolygon(QPainterPath& path, const OGRPolygon* polygon) {
    addRing(path, polygon->getExteriorRing());
    for (int i = 0; i < polygon->getNumInteriorRings(); ++i)
        addRing(path, polygon->getInteriorRing(i));
}

// Builds the drawing path and tells the kind of the shape.
FeatureKind buildPath(QPainterPath& path, const OGRGeometry* g) {
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon:
        addPolygon(path, g->toPolygon());
        return FeatureKind::Region;
    case wkbMultiPolygon:
        for (const OGRPolygon* p : *g->toMultiPolygon())
            addPolygon(path, p);
        return FeatureKind::Region;
    case wkbLineString:
        addLine(path, g->toLineString());
        return FeatureKind::Line;
    case wkbMultiLineString:
        for (const OGRLineString* l : *g->toMultiLineString())
            addLine(path, l);
        return FeatureKind::Line;
    case wkbPoint:
    case wkbMultiPoint:
        return FeatureKind::Point;
    case wkbGeometryCollection: {
        FeatureKind kind = FeatureKind::Other;
        for (const OGRGeometry* part : *g->toGeometryCollection()) {
            const FeatureKind k = buildPath(path, part);
            if (kind == FeatureKind::Other)
                kind = k;
        }
        // A mixed collection is drawn but never counts as a region.
        return kind == FeatureKind::Region ? FeatureKind::Other : kind;
    }
    default:
        return FeatureKind::Other;
    }
}

} // namespace

Geometry::Geometry(std::unique_ptr<OGRGeometry> geometry) : m_geometry(std::move(geometry)) {
    m_path.setFillRule(Qt::OddEvenFill);
    if (!m_geometry || m_geometry->IsEmpty())
        return;
    m_kind = buildPath(m_path, m_geometry.get());
    OGREnvelope env;
    m_geometry->getEnvelope(&env);
    m_envelope = {env.MinX, env.MinY, env.MaxX, env.MaxY};
}

Geometry::~Geometry() = default;

bool Geometry::isEmpty() const {
    return !m_geometry || m_geometry->IsEmpty();
}

bool HasFiniteCoordinates(const OGRGeometry& shape) {
    switch (wkbFlatten(shape.getGeometryType())) {
    case wkbPoint: {
        const OGRPoint* p = shape.toPoint();
        return shape.IsEmpty() || (std::isfinite(p->getX()) && std::isfinite(p->getY()));
    }
    case wkbLineString:
    case wkbLinearRing:
    case wkbCircularString: {
        for (const OGRPoint& p : *shape.toSimpleCurve())
            if (!std::isfinite(p.getX()) || !std::isfinite(p.getY()))
                return false;
        return true;
    }
    case wkbPolygon:
    case wkbCurvePolygon:
        for (const OGRCurve* ring : *shape.toCurvePolygon())
            if (!HasFiniteCoordinates(*ring))
                return false;
        return true;
    case wkbCompoundCurve:
        for (const OGRCurve* part : *shape.toCompoundCurve())
            if (!HasFiniteCoordinates(*part))
                return false;
        return true;
    default:
        if (OGR_GT_IsSubClassOf(shape.getGeometryType(), wkbGeometryCollection)) {
            for (const OGRGeometry* part : *shape.toGeometryCollection())
                if (!HasFiniteCoordinates(*part))
                    return false;
            return true;
        }
        return true;
    }
}
