#pragma once

#include <QString>
#include <memory>

class OGRGeometry;
class OGRCoordinateTransformation;

/**
 * Coordinate systems as WKT texts: reading what a valuer types ("EPSG:6384", WKT, PROJ),
 * naming them, telling degrees from metres. An empty text stands for no known system (the
 * program's numeric non-earth one).
 */
namespace Crs {

/** Reads "EPSG:6384", a WKT or a PROJ text; false with a one-line reason. */
bool parse(const QString& text, QString* wkt, QString* error);
/** A short name, with the EPSG code when there is one; "" for an empty text. */
QString describe(const QString& wkt);
/** "EPSG:6384" when the system has an authority code, else "". */
QString code(const QString& wkt);
/** Whether coordinates are in degrees. */
bool isGeographic(const QString& wkt);
/** Whether coordinates are planar and in metres (a projected system in metres). */
bool isMetricProjected(const QString& wkt);
/** Whether the two texts describe the same system (data axis order ignored). */
bool same(const QString& a, const QString& b);

} // namespace Crs

/** Moves geometries from one coordinate system into another, x east and y north in both. */
class CrsTransform {
public:
    /** Null with a one-line reason when PROJ cannot go from one to the other. */
    static std::unique_ptr<CrsTransform> make(const QString& fromWkt, const QString& toWkt,
                                              QString* error);
    ~CrsTransform();
    CrsTransform(const CrsTransform&) = delete;
    CrsTransform& operator=(const CrsTransform&) = delete;

    /** Transforms in place; false when some point cannot be transformed. */
    bool apply(OGRGeometry& geometry) const;

private:
    CrsTransform() = default;
    OGRCoordinateTransformation* m_transform = nullptr;
};
