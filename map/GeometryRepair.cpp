#include "map/GeometryRepair.h"

#include "map/GdalScope.h"

#include <ogr_geometry.h>

namespace {

// The polygons of a shape gathered into a multipolygon (no area: empty).
void collectPolygons(const OGRGeometry& shape, OGRMultiPolygon& out) {
    switch (wkbFlatten(shape.getGeometryType())) {
    case wkbPolygon:
        if (!shape.IsEmpty())
            out.addGeometry(&shape);
        break;
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *shape.toGeometryCollection())
            collectPolygons(*part, out);
        break;
    default:
        break;
    }
}

// A closed line of at least four points as a ring; null otherwise.
std::unique_ptr<OGRPolygon> closedLineAsPolygon(const OGRLineString& line) {
    if (line.getNumPoints() < 4 || !line.get_IsClosed())
        return nullptr;
    auto ring = std::make_unique<OGRLinearRing>();
    ring->addSubLineString(&line);
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring.release());
    return polygon;
}

// One polygon or a multipolygon of several; null for none.
std::unique_ptr<OGRGeometry> simplest(OGRMultiPolygon& polygons) {
    if (polygons.IsEmpty())
        return nullptr;
    if (polygons.getNumGeometries() == 1)
        return std::unique_ptr<OGRGeometry>(polygons.getGeometryRef(0)->clone());
    return std::unique_ptr<OGRGeometry>(polygons.clone());
}

} // namespace

RegionRepair RepairRegion(std::unique_ptr<OGRGeometry>& region) {
    GdalScope scope;
    if (!region || region->IsEmpty())
        return RegionRepair::Broken;
    if (region->IsValid())
        return RegionRepair::Valid;
    std::unique_ptr<OGRGeometry> made(region->MakeValid());
    if (!made)
        return RegionRepair::Broken;
    OGRMultiPolygon polygons;
    collectPolygons(*made, polygons);
    std::unique_ptr<OGRGeometry> out = simplest(polygons);
    if (!out || !out->IsValid())
        return RegionRepair::Broken;
    region = std::move(out);
    return RegionRepair::Repaired;
}

std::unique_ptr<OGRGeometry> ShapeToRegion(const OGRGeometry& shape) {
    std::unique_ptr<OGRGeometry> flat(shape.hasCurveGeometry() ? shape.getLinearGeometry()
                                                               : shape.clone());
    if (!flat || flat->IsEmpty())
        return nullptr;
    flat->flattenTo2D();
    OGRMultiPolygon polygons;
    auto take = [&polygons](const OGRGeometry& g, const auto& self) -> void {
        switch (wkbFlatten(g.getGeometryType())) {
        case wkbPolygon:
            if (!g.IsEmpty())
                polygons.addGeometry(&g);
            break;
        case wkbLineString:
            if (auto p = closedLineAsPolygon(*g.toLineString()))
                polygons.addGeometryDirectly(p.release());
            break;
        case wkbMultiPolygon:
        case wkbMultiLineString:
        case wkbGeometryCollection:
            for (const OGRGeometry* part : *g.toGeometryCollection())
                self(*part, self);
            break;
        default:
            break;
        }
    };
    take(*flat, take);
    return simplest(polygons);
}
