#pragma once

#include "map/MapTypes.h"
#include "map/TabFile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class OGRGeometry;

/** A field of a source layer. */
struct SourceField {
    QString name;
    FieldKind type = FieldKind::Char;
};

/** What a layer of a source file holds, told before it is read whole. */
struct SourceSummary {
    QString layer;
    qint64 featureCount = 0;
    /** The kinds of its shapes in words ("полігони", "точки: 3, лінії: 2"...). */
    QString geometryType;
    /** Whether no shape has an area (points and lines only, or none at all). */
    bool noRegions = false;
    /** The coordinate system as WKT; empty when the source names none. */
    QString crsWkt;
    MapRect extent = MapRect::null();
    std::vector<SourceField> fields;
    /** The values of the first objects, in the order of the fields. */
    std::vector<QStringList> firstRows;
    /**
     * How the texts of a shapefile without a ".cpg" and a language mark were read
     * ("UTF-8", "CP1251"), told to the valuer; "" when the file says it itself.
     */
    QString guessedEncoding;
};

/** Receives one object: its shape (null when it has none) and its values as texts. */
using SourceVisitor =
    std::function<void(std::unique_ptr<OGRGeometry> shape, const QStringList& values)>;

/**
 * Vector files of any format GDAL reads (Shapefile, GeoPackage, GeoJSON, KML, DXF, MapInfo
 * TAB and MIF...). A layer name "" stands for the file's only layer. Failures return false
 * with a one-line reason. The texts of a shapefile are read in the encoding its ".cpg" names,
 * else the one its ".dbf" marks, else UTF-8 when every text is UTF-8, else CP1251; a file
 * whose texts none of them reads whole is refused.
 */
namespace VectorSource {

/** The names of the file's vector layers, in the file's order. */
bool layerNames(const QString& path, QStringList& names, QString* error);
/** Counts, shapes, coordinate system, extent, fields and the first `rows` objects. */
bool summarize(const QString& path, const QString& layer, int rows, SourceSummary& summary,
               QString* error);
/**
 * Reads every object of the layer in the file's order; `summary` gets the layer's name,
 * fields and coordinate system (the counts and rows are not filled).
 */
bool read(const QString& path, const QString& layer, SourceSummary& summary,
          const SourceVisitor& visit, QString* error);

} // namespace VectorSource
