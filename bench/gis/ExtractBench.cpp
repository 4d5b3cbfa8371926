// Prints how long 1,000 extracts with their maps (.docx and PDF) take on every core, over a
// settlement of 100 districts and zones and three local-factor layers (run offscreen, with
// TAMBERON_APPDIR or on the build's program folder).
#include "common/FileUtils.h"
#include "gis/PlaceLayers.h"
#include "gis/PlotExtract.h"
#include "map/FeatureFactory.h"
#include "map/GdalScope.h"
#include "map/TabFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <ctime>

namespace {

Feature square(double x, double y, double side) {
    return FeatureFactory::createRegion(
        {{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}});
}

/** A table of char fields with the objects and their values. */
bool writeTable(const QString& path, const QStringList& fields,
                const std::vector<std::pair<Feature, QStringList>>& objects) {
    std::vector<FieldDef> defs;
    for (const QString& f : fields)
        defs.push_back(FieldDef{f, FieldKind::Char, 50, 0, false});
    QString error;
    if (!TabFile::create(path, defs, CoordSys{}, true, QString(), &error))
        return false;
    auto names = std::make_shared<const QStringList>(fields);
    FeatureList all;
    for (const auto& [feature, values] : objects) {
        Feature f = feature;
        f.setFields(names);
        for (qsizetype i = 0; i < values.size(); ++i)
            f.setValueAt(static_cast<int>(i), values[i]);
        all.push_back(f);
    }
    return TabFile::appendAll(path, all, &error);
}

ExtractPlot plotAt(int n) {
    const double x = 20 + (n % 40) * 49.0;
    const double y = 20 + (n / 40) * 39.0;
    ExtractPlot p;
    p.cadastral = QStringLiteral("3222410100:01:%1:%2")
                      .arg(n / 100, 3, 10, QChar(u'0'))
                      .arg(n % 100, 4, 10, QChar(u'0'));
    p.address = QStringLiteral("вул. Садова, %1").arg(n + 1);
    p.purpose = QStringLiteral("02.01");
    p.purposeName = QStringLiteral("Для будівництва і обслуговування житлового будинку");
    p.statedAreaHa = QStringLiteral("0.0600");
    p.shape = square(x, y, 24.5).geometry();
    PlaceValuation& v = p.valuation;
    v.plot = true;
    v.use = QStringLiteral("Ж");
    v.useName = QStringLiteral("Землі житлової забудови");
    v.kf = QStringLiteral("1.00");
    PlaceFigures part;
    part.district = QString::number(n % 100 + 1);
    part.zone = QString::number(n % 5 + 1);
    part.km2 = QStringLiteral("1.10");
    part.zoneValue = QStringLiteral("110.00");
    part.factors.push_back(
        {QStringLiteral("лок03"), 3, QStringLiteral("Ґрунтові води"), QStringLiteral("0.95")});
    part.km3 = QStringLiteral("0.95");
    part.valuePerSqM = QStringLiteral("104.50");
    part.areaHa = QStringLiteral("0.0300");
    part.value = QStringLiteral("31350.00");
    v.parts = {part, part};
    v.areaHa = QStringLiteral("0.0600");
    v.value = QStringLiteral("62700.00");
    v.fromYear = 2020;
    v.toYear = 2025;
    v.coefficients = QStringList{QStringLiteral("2020: 1.100")};
    v.indexFactor = QStringLiteral("1.100");
    v.indexedValue = QStringLiteral("68970.00");
    return p;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    GdalScope gdal;
    QTemporaryDir dir;
    const QDir d(dir.path());
    // 10 × 10 districts of 200 m, zones of the same shapes, three factor layers of 20 regions.
    std::vector<std::pair<Feature, QStringList>> districts, zones;
    for (int i = 0; i < 100; ++i) {
        const Feature f = square((i % 10) * 200.0, (i / 10) * 200.0, 200);
        districts.push_back({f, {QString::number(i + 1), QString::number(i % 5 + 1)}});
        zones.push_back({f, {QString::number(i % 5 + 1)}});
    }
    bool ok = writeTable(d.filePath(QStringLiteral("райони.tab")),
                         {QStringLiteral("Raion"), QStringLiteral("Zona")}, districts) &&
              writeTable(d.filePath(QStringLiteral("зони.tab")), {QStringLiteral("Zona")}, zones);
    for (int layer : {3, 5, 12}) {
        std::vector<std::pair<Feature, QStringList>> regions;
        for (int i = 0; i < 20; ++i)
            regions.push_back({square((i % 5) * 400.0 + layer * 10, (i / 5) * 500.0, 230),
                               {QStringLiteral("0.95")}});
        ok =
            ok && writeTable(d.filePath(QStringLiteral("лок%1.tab").arg(layer, 2, 10, QChar(u'0'))),
                             {QStringLiteral("Km3")}, regions);
    }
    PlaceLayers place;
    QString error;
    if (!ok || !place.load(dir.path(), &error)) {
        std::fprintf(stderr, "layers: %s\n", qPrintable(error));
        return 1;
    }
    ExtractLayers layers;
    layers.place = &place;
    layers.zones = ReadZoneLayer(dir.path());
    std::vector<ExtractPlot> plots;
    for (int n = 0; n < 1000; ++n)
        plots.push_back(plotAt(n));
    ExtractRequisites requisites;
    requisites.settlement = QStringLiteral("с. Тамберон");
    requisites.valuationYear = QStringLiteral("2020");
    requisites.date = QStringLiteral("10.12.2026");
    QString appDir = qEnvironmentVariable("TAMBERON_APPDIR");
    if (appDir.isEmpty())
        appDir = QStringLiteral(GIS_BENCH_APPDIR);
    const QString templ =
        JoinPath(JoinPath(appDir, QStringLiteral("Шаблон")), QStringLiteral("Витяг.dotx"));

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    ExtractsResult result;
    if (!WriteExtracts(templ, requisites, layers, plots, d.filePath(QStringLiteral("витяги")), {},
                       result, &error)) {
        std::fprintf(stderr, "extracts: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("1000 extracts (.docx and PDF with maps) on %d threads: %lld ms elapsed, %ld ms "
                "processor; written %d, failed %lld\n",
                QThread::idealThreadCount(), static_cast<long long>(timer.elapsed()),
                static_cast<long>((std::clock() - cpu) * 1000 / CLOCKS_PER_SEC), result.written,
                static_cast<long long>(result.failures.size()));
    return result.written == 1000 ? 0 : 1;
}
