#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

/** A field of a source file made for a test: its name and OGR type ("int", "real", "text"). */
struct TestField {
    QString name;
    QString type;
};

/** An object of a source file: its shape as WKT and its values in field order. */
struct TestObject {
    QString wkt;
    QStringList values;
};

/**
 * Writes a vector file with GDAL's driver ("ESRI Shapefile", "GPKG", "GeoJSON", "DXF",
 * "MapInfo File" with `mif`...), one layer of the name, the coordinate system given as
 * user input ("EPSG:4326") or none; a GeoPackage that exists gets the layer added. Fails the
 * test on any error.
 */
void WriteSourceFile(const QString& path, const QString& driver, const QString& layer,
                     const QString& crs, const std::vector<TestField>& fields,
                     const std::vector<TestObject>& objects, bool mif = false);

/** A square as WKT with its lower left corner at (x, y). */
QString SquareWkt(double x, double y, double side);

class Feature;
/** A point inside a map object (on its surface), for placing test plots and places in it. */
QPointF PointInside(const Feature& feature);

#include <ostream>

/** Lets the tests' failures show texts as they are. */
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
