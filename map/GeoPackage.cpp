#include "map/GeoPackage.h"

#include "common/WriteSteps.h"
#include "map/GdalScope.h"
#include "map/Geometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cstdio>

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

OGRFieldType columnType(FieldKind kind) {
    switch (kind) {
    case FieldKind::Integer:
        return OFTInteger64;
    case FieldKind::Float:
        return OFTReal;
    default:
        return OFTString;
    }
}

bool allRegions(const FeatureList& features) {
    for (const Feature& f : features)
        if (!f.isRegion())
            return false;
    return !features.empty();
}

bool writeLayer(GDALDataset& ds, const PackageLayer& source, const GdalScope& scope,
                QString* error) {
    OGRSpatialReference srs;
    // A plane of no earth system is GeoPackage's "undefined cartesian" one (not the
    // undefined geographic one, which would read as degrees).
    if (source.crsWkt.isEmpty() ||
        srs.importFromWkt(source.crsWkt.toUtf8().constData()) != OGRERR_NONE)
        srs.SetLocalCS("Undefined Cartesian SRS");
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool regions = allRegions(source.features);
    const QByteArray name = source.name.toUtf8();
    const char* const options[] = {"SPATIAL_INDEX=YES", nullptr};
    OGRLayer* layer = ds.CreateLayer(name.constData(), &srs, regions ? wkbMultiPolygon : wkbUnknown,
                                     const_cast<char**>(options));
    auto fail = [&](const QString& what) {
        setError(error,
                 scope.message(
                     QStringLiteral("Не вдалося записати шар «%1»: %2.").arg(source.name, what)));
        return false;
    };
    if (!layer)
        return fail(QStringLiteral("його не створено"));
    for (const FieldDef& f : source.fields) {
        OGRFieldDefn fd(f.name.toUtf8().constData(), columnType(f.type));
        if (f.type == FieldKind::Char && f.width > 0)
            fd.SetWidth(f.width);
        if (layer->CreateField(&fd) != OGRERR_NONE)
            return fail(QStringLiteral("поле %1").arg(f.name));
    }
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    std::vector<int> columns;
    const QStringList* matched = nullptr;
    if (layer->StartTransaction() != OGRERR_NONE)
        return fail(QStringLiteral("транзакцію не почато"));
    for (const Feature& feature : source.features) {
        if (matched != &feature.fieldNames()) {
            matched = &feature.fieldNames();
            columns.clear();
            for (const QString& n : *matched)
                columns.push_back(defn->GetFieldIndex(n.toUtf8().constData()));
        }
        OGRFeatureUniquePtr out(OGRFeature::CreateFeature(defn));
        for (size_t i = 0; i < columns.size(); ++i) {
            const QString& v = feature.values().value(static_cast<qsizetype>(i));
            if (columns[i] < 0)
                continue;
            if (v.isEmpty() && defn->GetFieldDefn(columns[i])->GetType() != OFTString)
                out->SetFieldNull(columns[i]);
            else
                out->SetField(columns[i], v.toUtf8().constData());
        }
        if (feature.geometry() && feature.geometry()->ogr()) {
            OGRGeometry* g = feature.geometry()->ogr()->clone();
            if (regions)
                g = OGRGeometryFactory::forceToMultiPolygon(g);
            out->SetGeometryDirectly(g);
        }
        if (layer->CreateFeature(out.get()) != OGRERR_NONE) {
            layer->RollbackTransaction();
            return fail(QStringLiteral("об'єкт не додано"));
        }
    }
    if (layer->CommitTransaction() != OGRERR_NONE)
        return fail(QStringLiteral("транзакцію не завершено"));
    return true;
}

/** The mark write() leaves in the file's own metadata. */
constexpr const char* OwnMark = "TAMBERON_EXPORT";

} // namespace

namespace GeoPackage {

bool isOwn(const QString& path) {
    GdalScope scope;
    const char* const drivers[] = {"GPKG", nullptr};
    GDALDatasetUniquePtr ds(GDALDataset::Open(QFile::encodeName(path).constData(),
                                              GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!ds)
        return false;
    const char* mark = ds->GetMetadataItem(OwnMark);
    return mark && QByteArray(mark) == "1";
}

bool removeLeftovers(const QString& folder, const QString& baseName) {
    const QString base =
        baseName.isNull() ? QStringLiteral(".+") : QRegularExpression::escape(baseName);
    const QRegularExpression pattern(QStringLiteral("^\\.~") + base +
                                     QStringLiteral("\\.[0-9a-f]{8}\\.gpkg(-journal|-wal|-shm)?$"));
    const QDir dir(folder);
    bool all = true;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (pattern.match(name).hasMatch() && !QFile::remove(dir.filePath(name)))
            all = false;
    return all;
}

bool write(const QString& path, const std::vector<PackageLayer>& layers, QString* error) {
    GdalScope scope;
    const QFileInfo target(path);
    if (!target.dir().exists()) {
        setError(error, QStringLiteral("Папки \"%1\" немає.")
                            .arg(QDir::toNativeSeparators(target.absolutePath())));
        return false;
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver) {
        setError(error, QStringLiteral("Драйвер GeoPackage недоступний."));
        return false;
    }
    removeLeftovers(target.absolutePath(), target.completeBaseName());
    const QString temp =
        target.dir().filePath(QStringLiteral(".~%1.%2.gpkg")
                                  .arg(target.completeBaseName())
                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    bool ok = true;
    {
        GDALDatasetUniquePtr ds(
            driver->Create(QFile::encodeName(temp).constData(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!ds) {
            setError(error, scope.message(QStringLiteral("Не вдалося створити \"%1\".")
                                              .arg(QDir::toNativeSeparators(path))));
            return false;
        }
        for (const PackageLayer& layer : layers) {
            if (!writeLayer(*ds, layer, scope, error)) {
                ok = false;
                break;
            }
        }
        if (ok && ds->SetMetadataItem(OwnMark, "1") != CE_None) {
            setError(error, scope.message(QStringLiteral("Не вдалося записати \"%1\".")
                                              .arg(QDir::toNativeSeparators(path))));
            ok = false;
        }
        if (ok) {
            scope.reset();
            ds.reset(); // closing writes what is still held
            if (scope.failed()) {
                setError(error, scope.message(QStringLiteral("Не вдалося записати \"%1\".")
                                                  .arg(QDir::toNativeSeparators(path))));
                ok = false;
            }
        }
    }
    // Renaming over the old file replaces it in one step.
    if (ok && (!writesteps::Reached("package.rename") ||
               std::rename(QFile::encodeName(temp).constData(),
                           QFile::encodeName(path).constData()) != 0)) {
        setError(error, QStringLiteral("Файл \"%1\" не вдалося замінити (можливо, його "
                                       "відкрито в іншій програмі).")
                            .arg(QDir::toNativeSeparators(path)));
        ok = false;
    }
    if (!ok)
        QFile::remove(temp);
    return ok;
}

} // namespace GeoPackage
