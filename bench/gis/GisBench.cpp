// Prints how long the layers' import and export and the value of a place take:
//   import of 20,000 regions from a GeoPackage in degrees, reprojected into metres;
//   export of the demonstration settlement (TAMBERON_APPDIR or build/AppDir) to a GeoPackage;
//   the value of a point on 999 districts under 30 local-factor layers of 500 regions.
#include "gis/LayerImport.h"
#include "map/GdalScope.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

namespace {

/** The processor time this program spent since `start` ("310 ms"): on a busy machine the
 *  elapsed time also counts the waits for the processor. */
QString cpuSince(std::clock_t start) {
    return QStringLiteral("%1 ms").arg((std::clock() - start) * 1000 / CLOCKS_PER_SEC);
}

/** 20,000 squares of about 35 m near 33° E, 50° N, each with its number, in WGS 84. */
void writeRegions(const QString& path, int count) {
    GdalScope scope;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr ds(
        driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference srs;
    srs.importFromEPSG(4326);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer* layer = ds->CreateLayer("districts", &srs, wkbPolygon, nullptr);
    OGRFieldDefn field("NOMER", OFTInteger);
    layer->CreateField(&field);
    if (layer->StartTransaction() != OGRERR_NONE)
        qFatal("no transaction");
    const int side = 150;
    const double step = 0.0005;
    for (int i = 0; i < count; ++i) {
        const double x = 33 + (i % side) * step, y = 50 + (i / side) * step;
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        f->SetField(0, i + 1);
        auto ring = std::make_unique<OGRLinearRing>();
        for (const auto& [dx, dy] :
             {std::pair{0.0, 0.0}, {step, 0.0}, {step, step}, {0.0, step}, {0.0, 0.0}})
            ring->addPoint(x + dx, y + dy);
        OGRPolygon polygon;
        polygon.addRingDirectly(ring.release());
        f->SetGeometry(&polygon);
        if (layer->CreateFeature(f.get()) != OGRERR_NONE)
            qFatal("no feature");
    }
    if (layer->CommitTransaction() != OGRERR_NONE)
        qFatal("not written");
}

void benchImport() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("districts.gpkg"));
    const QString folder = dir.filePath(QStringLiteral("settlement"));
    QDir().mkpath(folder);
    writeRegions(source, 20000);
    ImportRequest request;
    request.folder = folder;
    request.source = source;
    request.target = {LayerKind::Districts, 0};
    request.crs = QStringLiteral("EPSG:32636");
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    ImportResult result;
    QString error;
    if (!PrepareImport(request, result, &error) || !result.ok())
        qFatal("import: %s %s", qPrintable(error), qPrintable(result.refusals.join(u' ')));
    const qint64 prepared = timer.elapsed();
    if (!WriteImport(result, false, dir.filePath(QStringLiteral("copies")), nullptr, &error))
        qFatal("import: %s", qPrintable(error));
    std::printf("import of %d regions from a GeoPackage with reprojection: %lld ms (limit 2000; "
                "read and checked %lld ms, written %lld ms; processor time %s)\n",
                static_cast<int>(result.features.size()), timer.elapsed(), prepared,
                timer.elapsed() - prepared, qPrintable(cpuSince(cpu)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchImport();
    return 0;
}
