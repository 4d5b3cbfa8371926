// Prints how long the layers' import and export and the value of a place take:
//   import of 20,000 regions from a GeoPackage in degrees, reprojected into metres;
//   export of the demonstration settlement (TAMBERON_APPDIR or build/AppDir) to a GeoPackage;
//   the value of a point on 999 districts under 30 local-factor layers of 500 regions.
#include "bench/LocalFactorLayers.h"
#include "gis/LayerImport.h"
#include "gis/PlaceLayers.h"
#include "map/GdalScope.h"
#include "map/Overlay.h"
#include "tools/demo/DemoSettlement.h"

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

/** 999 districts and thirty "лок" layers of 500 regions each: the points of a grid over them. */
void benchPlace() {
    QTemporaryDir dir;
    QString error;
    if (!WriteDemoLayers(dir.path(), DemoSize{999, 999}, &error))
        qFatal("%s", qPrintable(error));
    for (const QString& name : demo::localLayers())
        TabFile::removeFiles(dir.filePath(name + QStringLiteral(".tab")));
    auto districts = OpenOverlayLayer(dir.filePath(QStringLiteral("райони.tab")), &error);
    const MapRect area = districts->bounds();
    WriteBenchLocalLayers(dir.path(), area, 30, 500);

    QElapsedTimer timer;
    timer.start();
    PlaceLayers layers;
    if (!layers.load(dir.path(), &error))
        qFatal("%s", qPrintable(error));
    const qint64 loaded = timer.elapsed();

    const int side = 40;
    qint64 slowest = 0, total = 0;
    int inDistricts = 0;
    for (int i = 0; i < side * side; ++i) {
        const QPointF p(area.xMin + (i % side + 0.5) * area.width() / side,
                        area.yMin + (i / side + 0.5) * area.height() / side);
        QElapsedTimer one;
        one.start();
        const PlaceHit hit = layers.at(p);
        const qint64 ns = one.nsecsElapsed();
        total += ns;
        slowest = std::max(slowest, ns);
        inDistricts += hit.district.isEmpty() ? 0 : 1;
    }
    std::printf("the place of a point on 999 districts and 30 factor layers of 500 regions: "
                "%.3f ms on average, %.3f ms at most over %d points (%d in districts; limit 20 "
                "ms); the layers read in %lld ms\n",
                total / 1e6 / (side * side), slowest / 1e6, side * side, inDistricts, loaded);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchImport();
    benchPlace();
    return 0;
}
