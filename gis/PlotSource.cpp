#include "gis/PlotSource.h"

#include "map/CoordinateSystems.h"
#include "map/GeometryRepair.h"
#include "map/VectorSource.h"

#include <ogr_geometry.h>

namespace {

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

bool ReadPlot(const QString& path, const QString& layer, const QString& crsWkt,
              std::unique_ptr<OGRGeometry>& plot, QStringList& notes, QString* error) {
    OGRMultiPolygon regions;
    int noArea = 0;
    bool tooComplex = false;
    SourceSummary summary;
    if (!VectorSource::read(
            path, layer, summary,
            [&](std::unique_ptr<OGRGeometry> shape, const QStringList&) {
                std::unique_ptr<OGRGeometry> region = shape ? ShapeToRegion(*shape) : nullptr;
                if (!region) {
                    ++noArea;
                    return;
                }
                const RegionRepair repair = RepairRegion(region);
                if (repair == RegionRepair::TooComplex)
                    tooComplex = true;
                if (repair == RegionRepair::Broken || repair == RegionRepair::TooComplex) {
                    ++noArea;
                    return;
                }
                if (wkbFlatten(region->getGeometryType()) == wkbPolygon)
                    regions.addGeometry(region.get());
                else
                    for (const OGRGeometry* part : *region->toMultiPolygon())
                        regions.addGeometry(part);
            },
            error))
        return false;
    if (tooComplex)
        return fail(error, QStringLiteral("Контур ділянки надто складний, його виправлення "
                                          "перервано; виправте ділянку в ГІС."));
    if (regions.IsEmpty())
        return fail(error, QStringLiteral("У файлі ділянки немає жодного полігону."));
    if (noArea > 0)
        notes << QStringLiteral("Об'єктів без площі пропущено: %1.").arg(noArea);
    std::unique_ptr<OGRGeometry> whole(regions.getGeometryRef(0)->clone());
    for (int i = 1; whole && i < regions.getNumGeometries(); ++i)
        whole.reset(whole->Union(regions.getGeometryRef(i)));
    if (!whole)
        return fail(error, QStringLiteral("Полігони ділянки не вдалося об'єднати."));
    if (regions.getNumGeometries() > 1)
        notes << QStringLiteral("Ділянку складено з %1 полігонів.").arg(regions.getNumGeometries());
    const QString& from = summary.crsWkt;
    if (!from.isEmpty() && crsWkt.isEmpty() && !Crs::isMetricProjected(from))
        return fail(error, QStringLiteral("Координати ділянки в системі «%1» (не в метрах), а "
                                          "населений пункт не має системи координат.")
                               .arg(Crs::describe(from)));
    if (!from.isEmpty() && !crsWkt.isEmpty() && !Crs::same(from, crsWkt)) {
        QString reason;
        const std::unique_ptr<CrsTransform> move = CrsTransform::make(from, crsWkt, &reason);
        if (!move || !move->apply(*whole))
            return fail(error, move ? QStringLiteral("Координати ділянки не вдалося перерахувати.")
                                    : reason);
        notes << QStringLiteral("Координати ділянки перераховано з «%1» у «%2».")
                     .arg(Crs::describe(from), Crs::describe(crsWkt));
    }
    plot = std::move(whole);
    return true;
}
