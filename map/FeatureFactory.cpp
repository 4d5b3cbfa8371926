#include "map/FeatureFactory.h"

#include "common/EngineMessages.h"
#include "map/MapDocument.h"

#include <cpl_error.h>
#include <ogr_geometry.h>

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// Keeps only the areal parts of a result (contacts along edges give lines and points).
std::unique_ptr<OGRGeometry> arealPart(std::unique_ptr<OGRGeometry> g) {
    if (!g)
        return nullptr;
    const auto type = wkbFlatten(g->getGeometryType());
    if (type == wkbPolygon || type == wkbMultiPolygon)
        return g;
    if (type != wkbGeometryCollection)
        return std::make_unique<OGRPolygon>();
    auto multi = std::make_unique<OGRMultiPolygon>();
    for (const OGRGeometry* part : *g->toGeometryCollection()) {
        const auto t = wkbFlatten(part->getGeometryType());
        if (t == wkbPolygon)
            multi->addGeometry(part);
        else if (t == wkbMultiPolygon)
            for (const OGRPolygon* p : *part->toMultiPolygon())
                multi->addGeometry(p);
    }
    return multi;
}

using Operation = OGRGeometry* (OGRGeometry::*)(const OGRGeometry*) const;

GeometryResult apply(const Feature& a, const Feature& b, Feature& result, QString* error,
                     Operation op, const QString& what) {
    if (!a.isRegion() || !b.isRegion()) {
        setError(error, QStringLiteral("%1: об'єкт не є областю.").arg(what));
        return GeometryResult::Failed;
    }
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
    std::unique_ptr<OGRGeometry> g((a.geometry()->ogr()->*op)(b.geometry()->ogr()));
    const QString message = UkrainianEngineMessage(QString::fromUtf8(CPLGetLastErrorMsg()));
    CPLPopErrorHandler();
    if (!g) {
        setError(error, message.isEmpty() ? what + QStringLiteral(": помилка геометрії.")
                                          : what + QStringLiteral(": ") + message);
        return GeometryResult::Failed;
    }
    g = arealPart(std::move(g));
    Feature out = a;
    out.setGeometry(std::make_shared<const Geometry>(std::move(g)));
    const bool empty = out.geometry()->isEmpty();
    result = out;
    return empty ? GeometryResult::Empty : GeometryResult::Ok;
}

} // namespace

namespace FeatureFactory {

GeometryResult combine(const Feature& a, const Feature& b, Feature& result, QString* error) {
    return apply(a, b, result, error, &OGRGeometry::Union, QStringLiteral("Об'єднання"));
}

GeometryResult intersect(const Feature& a, const Feature& b, Feature& result, QString* error) {
    // Envelopes apart: nothing in common, no need to ask GEOS.
    if (a.isRegion() && b.isRegion() && !a.bounds().intersects(b.bounds())) {
        result = Feature();
        return GeometryResult::Empty;
    }
    const GeometryResult r =
        apply(a, b, result, error, &OGRGeometry::Intersection, QStringLiteral("Перетин"));
    result.setFid(-1); // a piece of both, stored nowhere
    return r;
}

Feature createText(const MapDocument& map, const QPointF& at, const QString& text,
                   const TextStyle& style) {
    Feature f;
    f.setGeometry(std::make_shared<const Geometry>(std::make_unique<OGRPoint>(at.x(), at.y())));
    // Points to pixels at 96 dpi, pixels to map units at the current scale.
    const double height = style.pointSize * 96.0 / 72.0 * map.unitsPerPixel();
    f.setText(text, style, height);
    return f;
}

Feature createRegion(const std::vector<std::vector<QPointF>>& rings) {
    auto polygon = std::make_unique<OGRPolygon>();
    for (const auto& points : rings) {
        OGRLinearRing ring;
        for (const QPointF& p : points)
            ring.addPoint(p.x(), p.y());
        ring.closeRings();
        polygon->addRing(&ring);
    }
    Feature f;
    f.setGeometry(std::make_shared<const Geometry>(std::move(polygon)));
    return f;
}

} // namespace FeatureFactory
