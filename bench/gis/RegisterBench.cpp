// Prints how long the register of 10,000 plots takes on the demonstration settlement
// (TAMBERON_APPDIR, or the build's program folder): the plots read from a GeoPackage, each
// cut by districts and factor regions and valued, and the register workbook written; with
// the processor time and the peak memory of the run.
#include "common/FileUtils.h"
#include "db/Database.h"
#include "gis/PlaceLayers.h"
#include "gis/PlaceValue.h"
#include "gis/RegisterOutputs.h"
#include "gis/RegisterValuation.h"
#include "map/GdalScope.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace {

QString appDir() {
    const QByteArray dir = qgetenv("TAMBERON_APPDIR");
    return dir.isEmpty() ? QStringLiteral(GIS_BENCH_APPDIR) : QString::fromLocal8Bit(dir);
}

/** The settlement folder's files (its maps and database), copied so the run changes nothing. */
void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + u'/' + name, to + u'/' + name);
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

/** `count` squares of 20 m on a grid over the districts' extent, numbered, purpose 02.01. */
void writePlots(const QString& path, const PlaceLayers& layers, int count) {
    GdalScope scope;
    const MapRect e = layers.districts()->bounds();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr ds(
        driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRLayer* layer = ds->CreateLayer("plots", nullptr, wkbPolygon, nullptr);
    OGRFieldDefn cadastral("CADNUM", OFTString);
    OGRFieldDefn purpose("KVCPZ", OFTString);
    OGRFieldDefn area("AREA", OFTReal);
    layer->CreateField(&cadastral);
    layer->CreateField(&purpose);
    layer->CreateField(&area);
    if (layer->StartTransaction() != OGRERR_NONE)
        qFatal("no transaction");
    const int side = 100;
    const double dx = (e.xMax - e.xMin) / side, dy = (e.yMax - e.yMin) / (count / side);
    for (int i = 0; i < count; ++i) {
        const double x = e.xMin + (i % side + 0.3) * dx, y = e.yMin + (i / side + 0.3) * dy;
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        f->SetField(0, QStringLiteral("1234567890:01:%1:%2")
                           .arg(i / 1000 + 1, 3, 10, QChar(u'0'))
                           .arg(i % 1000 + 1, 4, 10, QChar(u'0'))
                           .toUtf8()
                           .constData());
        f->SetField(1, "02.01");
        f->SetField(2, 0.04);
        auto ring = std::make_unique<OGRLinearRing>();
        for (const auto& [ox, oy] :
             {std::pair{0.0, 0.0}, {20.0, 0.0}, {20.0, 20.0}, {0.0, 20.0}, {0.0, 0.0}})
            ring->addPoint(x + ox, y + oy);
        OGRPolygon polygon;
        polygon.addRingDirectly(ring.release());
        f->SetGeometry(&polygon);
        if (layer->CreateFeature(f.get()) != OGRERR_NONE)
            qFatal("no feature");
    }
    if (layer->CommitTransaction() != OGRERR_NONE)
        qFatal("not written");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = 10000;
    const QString demo =
        JoinPath(appDir(), QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("settlement"));
    copyFolder(demo, folder);
    Connection project, catalogue;
    if (!project.open(JoinPath(folder, QStringLiteral("data.sqlite"))))
        qFatal("no demonstration settlement at %s", qPrintable(demo));
    catalogue.open(JoinPath(appDir(), QStringLiteral("baza.sqlite")));
    PlaceLayers layers;
    PlaceSources sources;
    QString error;
    if (!layers.load(folder, &error) || !ReadPlaceSources(project, &catalogue, sources, &error))
        qFatal("%s", qPrintable(error));
    const QString source = dir.filePath(QStringLiteral("plots.gpkg"));
    writePlots(source, layers, count);
    const long before = peakMegabytes();

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    std::vector<RegisterPlot> plots;
    ReadPlotSources({source}, QString(), {}, {layers.crsWkt(), {}}, plots);
    const qint64 read = timer.elapsed();
    PlaceOptions options;
    options.use = QStringLiteral("Ж");
    options.fromYear = 2020;
    std::vector<ValuedPlot> valued;
    ValueRegister(layers, sources, plots, PurposeUse(), options, valued);
    const qint64 value = timer.elapsed();
    if (!WriteRegisterBook(dir.filePath(QStringLiteral("реєстр.xlsx")), plots, valued,
                           PurposeName(), &error))
        qFatal("%s", qPrintable(error));
    const qint64 total = timer.elapsed();
    const long cpuMs = static_cast<long>((std::clock() - cpu) * 1000 / CLOCKS_PER_SEC);
    const RegisterTotals t = TotalsOf(plots, valued);
    std::printf("register of %d plots (%d valued, %d not): read %lld ms, valued %lld ms, "
                "workbook %lld ms, total %lld ms (limit 2000), processor %ld ms; peak memory "
                "%ld MB (%ld MB before the run; limit 300)\n",
                count, t.valued, t.notValued, read, value - read, total - value, total, cpuMs,
                peakMegabytes(), before);
    return 0;
}
