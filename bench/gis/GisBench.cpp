// Prints how long the layers' import and export and the value of a place take (run with
// TAMBERON_APPDIR, or on the build's program folder):
//   import of 20,000 regions from a GeoPackage in degrees, reprojected into metres;
//   export of the demonstration settlement (TAMBERON_APPDIR or build/AppDir) to a GeoPackage;
//   the value of a point on 999 districts under 30 local-factor layers of 500 regions.
#include "bench/LocalFactorLayers.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "gis/LayerImport.h"
#include "gis/PlaceLayers.h"
#include "gis/PlaceValue.h"
#include "gis/SettlementExport.h"
#include "map/GdalScope.h"
#include "map/Overlay.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Districts.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

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

/** The program folder the benchmark takes its templates and demonstration from. */
QString appDir() {
    const QByteArray dir = qgetenv("TAMBERON_APPDIR");
    return dir.isEmpty() ? QStringLiteral(GIS_BENCH_APPDIR) : QString::fromLocal8Bit(dir);
}

/** A settlement database of 999 districts in 50 zones with their stored values. */
void writeValuation(const QString& path) {
    const QString source = appDir() + QStringLiteral("/Шаблон/наспункт/data.sqlite");
    Connection db;
    if (!QFile::copy(source, path) || !db.open(path))
        qFatal("no settlement template at %s", qPrintable(source));
    Transaction transaction(db);
    Query q(&db);
    auto run = [&q](const QString& sql) {
        if (!RunQuery(q, sql, false))
            qFatal("%s", qPrintable(LastError()));
    };
    QStringList zones[50];
    for (int d = 1; d <= 999; ++d) {
        const int zone = d % 50 + 1;
        run(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                           "('%1','Площі районів','10.0000')")
                .arg(d));
        run(QStringLiteral("INSERT INTO км2 (район,площа,км2,вартість,зона) VALUES "
                           "('%1','10.0000','%2','%3','%4')")
                .arg(d)
                .arg(0.8 + zone * 0.01, 0, 'f', 2)
                .arg(120 * (0.8 + zone * 0.01), 0, 'f', 2)
                .arg(zone));
        zones[zone - 1] << QString::number(d);
    }
    for (int z = 1; z <= 50; ++z)
        run(QStringLiteral("INSERT INTO зони (зона,райони) VALUES ('%1','%2')")
                .arg(z)
                .arg(zones[z - 1].join(QStringLiteral(", "))));
    WriteIndicator(db, names::ind::DistrictCount(), QStringLiteral("999"));
    if (!transaction.commit())
        qFatal("not stored");
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

    writeValuation(dir.filePath(QStringLiteral("data.sqlite")));

    QElapsedTimer timer;
    timer.start();
    PlaceLayers layers;
    if (!layers.load(dir.path(), &error))
        qFatal("%s", qPrintable(error));
    const qint64 loaded = timer.elapsed();
    Connection project;
    if (!project.open(dir.filePath(QStringLiteral("data.sqlite"))))
        qFatal("no database");
    timer.restart();
    PlaceSources sources;
    if (!ReadPlaceSources(project, nullptr, sources, &error))
        qFatal("%s", qPrintable(error));
    const qint64 read = timer.elapsed();

    const int side = 40;
    qint64 slowest = 0, total = 0;
    int valued = 0;
    PlaceOptions options;
    options.use = QStringLiteral("К");
    for (int i = 0; i < side * side; ++i) {
        const QPointF p(area.xMin + (i % side + 0.5) * area.width() / side,
                        area.yMin + (i / side + 0.5) * area.height() / side);
        QElapsedTimer one;
        one.start();
        PlaceValuation v;
        valued += ValuePoint(layers, sources, p, options, v, &error) ? 1 : 0;
        const qint64 ns = one.nsecsElapsed();
        total += ns;
        slowest = std::max(slowest, ns);
    }
    std::printf("the value of a point on 999 districts and 30 factor layers of 500 regions: "
                "%.3f ms on average, %.3f ms at most over %d points (%d valued; limit 20 ms); "
                "read once before: the layers %lld ms, the stored valuation %lld ms\n",
                total / 1e6 / (side * side), slowest / 1e6, side * side, valued, loaded, read);
}

/** The demonstration settlement of the program folder into a GeoPackage. */
void benchExport() {
    const QString demo =
        appDir() + QStringLiteral("/Проекти/Демонстраційний проект/с. Демонстраційне");
    QTemporaryDir dir;
    for (const QString& name : QDir(demo).entryList(QDir::Files))
        QFile::copy(demo + u'/' + name, dir.filePath(name));
    Connection project;
    if (!project.open(dir.filePath(QStringLiteral("data.sqlite"))))
        qFatal("no demonstration settlement at %s", qPrintable(demo));
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    ExportResult result;
    QString error;
    if (!ExportSettlement(dir.path(), project, dir.filePath(QStringLiteral("демо.gpkg")), result,
                          &error))
        qFatal("%s", qPrintable(error));
    std::printf("export of the demonstration settlement (%d layers): %lld ms (limit 500; "
                "processor time %s)\n",
                static_cast<int>(result.layers.size()), timer.elapsed(), qPrintable(cpuSince(cpu)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchImport();
    benchExport();
    benchPlace();
    return 0;
}
