#pragma once

#include "map/MapTypes.h"

#include <QPainterPath>
#include <memory>

class OGRGeometry;

/** Shape of a map object: the OGR geometry with its drawing path and envelope, immutable. */
class Geometry {
public:
    /** Takes ownership of the geometry (null gives an empty shape). */
    explicit Geometry(std::unique_ptr<OGRGeometry> geometry);
    ~Geometry();
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;

    const OGRGeometry* ogr() const { return m_geometry.get(); }
    /** The path in map coordinates (regions as odd-even filled rings). */
    const QPainterPath& path() const { return m_path; }
    const MapRect& envelope() const { return m_envelope; }
    FeatureKind kind() const { return m_kind; }
    bool isEmpty() const;

private:
    std::unique_ptr<OGRGeometry> m_geometry;
    QPainterPath m_path;
    MapRect m_envelope = MapRect::null();
    FeatureKind m_kind = FeatureKind::Other;
};

using GeometryPtr = std::shared_ptr<const Geometry>;

/** Whether every coordinate of the shape is a finite number (no NaN, no infinity). */
bool HasFiniteCoordinates(const OGRGeometry& shape);
