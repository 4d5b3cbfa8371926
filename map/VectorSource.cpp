#include "map/VectorSource.h"

#include "map/GdalScope.h"
#include "map/GeometryRepair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <map>

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

GDALDatasetUniquePtr openSource(const QString& path, const GdalScope& scope, QString* error) {
    if (!QFileInfo(path).isFile()) {
        setError(error, QStringLiteral("Файлу \"%1\" немає.").arg(shown(path)));
        return nullptr;
    }
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(QFile::encodeName(path).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds) {
        setError(error, scope.message(QStringLiteral("Файл \"%1\" не є векторною картою, яку "
                                                     "можна прочитати.")
                                          .arg(shown(path))));
        return nullptr;
    }
    if (ds->GetLayerCount() < 1) {
        setError(error, QStringLiteral("У файлі \"%1\" немає жодного шару.").arg(shown(path)));
        return nullptr;
    }
    return ds;
}

QStringList namesOf(GDALDataset& ds) {
    QStringList names;
    for (int i = 0; i < ds.GetLayerCount(); ++i)
        names << QString::fromUtf8(ds.GetLayer(i)->GetName());
    return names;
}

// The named layer, or the only one for "".
OGRLayer* findLayer(GDALDataset& ds, const QString& name, const QString& path, QString* error) {
    if (name.isEmpty()) {
        if (ds.GetLayerCount() == 1)
            return ds.GetLayer(0);
        setError(error, QStringLiteral("У файлі \"%1\" кілька шарів (%2): оберіть один.")
                            .arg(shown(path), namesOf(ds).join(QStringLiteral(", "))));
        return nullptr;
    }
    OGRLayer* layer = ds.GetLayerByName(name.toUtf8().constData());
    if (!layer)
        setError(error, QStringLiteral("У файлі \"%1\" немає шару \"%2\" (є: %3).")
                            .arg(shown(path), name, namesOf(ds).join(QStringLiteral(", "))));
    return layer;
}

void describeLayer(OGRLayer& layer, SourceSummary& summary) {
    summary.layer = QString::fromUtf8(layer.GetName());
    summary.fields.clear();
    OGRFeatureDefn* defn = layer.GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        const OGRFieldDefn* fd = defn->GetFieldDefn(i);
        summary.fields.push_back(
            {QString::fromUtf8(fd->GetNameRef()), FieldKindOfOgr(fd->GetType())});
    }
    summary.crsWkt.clear();
    // A plane of no earth system (MapInfo's NonEarth, CAD) and GeoPackage's "undefined"
    // systems name none.
    const OGRSpatialReference* srs = layer.GetSpatialRef();
    const bool undefined =
        srs && srs->GetName() && QByteArray(srs->GetName()).startsWith("Undefined ");
    if (srs && !srs->IsEmpty() && !srs->IsLocal() && !undefined) {
        char* out = nullptr;
        const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
        if (srs->exportToWkt(&out, options) == OGRERR_NONE && out)
            summary.crsWkt = QString::fromUtf8(out);
        CPLFree(out);
    }
}

QStringList valuesOf(OGRFeature& f) {
    QStringList values;
    values.reserve(f.GetFieldCount());
    for (int i = 0; i < f.GetFieldCount(); ++i)
        values << (f.IsFieldSetAndNotNull(i) ? QString::fromUtf8(f.GetFieldAsString(i)).trimmed()
                                             : QString());
    return values;
}

// The words for a shape's kind.
QString shapeWord(OGRwkbGeometryType type) {
    switch (OGR_GT_Flatten(type)) {
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
        return QStringLiteral("полігони");
    case wkbLineString:
    case wkbMultiLineString:
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbMultiCurve:
        return QStringLiteral("лінії");
    case wkbPoint:
    case wkbMultiPoint:
        return QStringLiteral("точки");
    case wkbNone:
        return QStringLiteral("без форми");
    default:
        return QStringLiteral("інші");
    }
}

// Opens the layer ("" for the only one), describes it into `summary` and hands every object
// to `visit` in the file's order, counting them.
bool walk(const QString& path, const QString& name, SourceSummary& summary, QString* error,
          const std::function<void(OGRFeature&)>& visit) {
    GdalScope scope;
    GDALDatasetUniquePtr ds = openSource(path, scope, error);
    if (!ds)
        return false;
    OGRLayer* layer = findLayer(*ds, name, path, error);
    if (!layer)
        return false;
    describeLayer(*layer, summary);
    layer->ResetReading();
    scope.reset();
    while (OGRFeatureUniquePtr f{layer->GetNextFeature()}) {
        ++summary.featureCount;
        visit(*f);
    }
    if (scope.failed()) {
        setError(error, scope.message(QStringLiteral("Помилка читання \"%1\".").arg(shown(path))));
        return false;
    }
    return true;
}

} // namespace

namespace VectorSource {

bool layerNames(const QString& path, QStringList& names, QString* error) {
    GdalScope scope;
    GDALDatasetUniquePtr ds = openSource(path, scope, error);
    if (!ds)
        return false;
    names = namesOf(*ds);
    return true;
}

bool summarize(const QString& path, const QString& name, int rows, SourceSummary& summary,
               QString* error) {
    SourceSummary out;
    // The shapes are counted by kind over the whole layer: a declared type says little for
    // formats that mix them (DXF, MapInfo, GeoJSON).
    std::map<QString, qint64> kinds;
    bool anyRegion = false;
    const bool read = walk(path, name, out, error, [&](OGRFeature& f) {
        const OGRGeometry* g = f.GetGeometryRef();
        const QString word =
            g && !g->IsEmpty() ? shapeWord(g->getGeometryType()) : shapeWord(wkbNone);
        ++kinds[word];
        // Closed lines (drawn in CAD) count as regions too.
        if (!anyRegion && g)
            anyRegion = word == QStringLiteral("полігони") || ShapeToRegion(*g) != nullptr;
        if (g && !g->IsEmpty()) {
            OGREnvelope env;
            g->getEnvelope(&env);
            out.extent = out.extent.united({env.MinX, env.MinY, env.MaxX, env.MaxY});
        }
        if (static_cast<int>(out.firstRows.size()) < rows)
            out.firstRows.push_back(valuesOf(f));
    });
    if (!read)
        return false;
    QStringList words;
    if (kinds.size() == 1)
        words << kinds.begin()->first;
    else
        for (const auto& [word, count] : kinds)
            words << QStringLiteral("%1: %2").arg(word).arg(count);
    out.geometryType = words.isEmpty() ? shapeWord(wkbNone) : words.join(QStringLiteral(", "));
    out.noRegions = !anyRegion;
    summary = std::move(out);
    return true;
}

bool read(const QString& path, const QString& name, SourceSummary& summary,
          const SourceVisitor& visit, QString* error) {
    return walk(path, name, summary, error, [&visit](OGRFeature& f) {
        visit(std::unique_ptr<OGRGeometry>(f.StealGeometry()), valuesOf(f));
    });
}

} // namespace VectorSource
