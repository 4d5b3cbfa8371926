#include "gis/SettlementExport.h"

#include "gis/SettlementLayers.h"
#include "map/GdalScope.h"
#include "map/GeoPackage.h"
#include "map/Geometry.h"
#include "map/Layer.h"
#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"

#include <QDir>
#include <QFileInfo>

#include <ogr_geometry.h>

#include <algorithm>
#include <map>

namespace {

/** Every readable ".tab" layer of the folder as it is. */
void tableLayers(const std::vector<SettlementLayer>& settlement, std::vector<PackageLayer>& out,
                 QStringList& warnings) {
    for (const SettlementLayer& layer : settlement) {
        QString error;
        std::unique_ptr<Layer> opened =
            layer.error.isEmpty() ? Layer::open(layer.path, layer.name, &error) : nullptr;
        if (!opened) {
            warnings << QStringLiteral("Шар «%1» не записано: %2")
                            .arg(layer.name, layer.error.isEmpty() ? error : layer.error);
            continue;
        }
        out.push_back({layer.name, opened->fields(), opened->allFeatures(), layer.crsWkt});
    }
}

FieldDef column(const QString& name, FieldKind kind) {
    return FieldDef{name, kind, kind == FieldKind::Char ? 20 : 0, 0, false};
}

/** A feature of the layer's fields with the values in order. */
Feature valued(const std::shared_ptr<const QStringList>& names, const GeometryPtr& shape,
               const QStringList& values) {
    Feature f;
    f.setFields(names);
    f.setGeometry(shape);
    for (qsizetype i = 0; i < values.size(); ++i)
        f.setValueAt(static_cast<int>(i), values[i]);
    return f;
}

/**
 * "оцінка" and "оцінка зон": the district objects of "райони" with their stored valuation,
 * and each zone as the union of its districts' objects.
 */
void valuationLayers(const PackageLayer& districts, const valuation::Settlement& s,
                     std::vector<PackageLayer>& out, QStringList& warnings) {
    PackageLayer byDistrict{QStringLiteral("оцінка"),
                            {column(names::field::Raion(), FieldKind::Integer),
                             column(names::field::Zona(), FieldKind::Integer),
                             column(names::field::Km2(), FieldKind::Float),
                             column(names::field::Price(), FieldKind::Float),
                             column(names::field::Km3Mean(), FieldKind::Float),
                             column(QStringLiteral("Plosha_ga"), FieldKind::Float)},
                            {},
                            districts.crsWkt};
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : byDistrict.fields)
        *names << f.name;
    std::map<QString, std::unique_ptr<OGRMultiPolygon>> zoneParts;
    QStringList withoutZone;
    for (const Feature& object : districts.features) {
        QString district;
        object.value(names::field::Raion(), &district);
        district = district.trimmed();
        if (district.isEmpty() || !object.isRegion())
            continue;
        const valuation::Zone* zone = s.zoneOfDistrict(district);
        QString area;
        for (const District& d : s.districts)
            if (d.number == district)
                area = d.area;
        if (area.isEmpty()) // no area typed: the map's own
            area = valuation::Fixed(object.areaSquareMetres() / 10000, 4);
        byDistrict.features.push_back(
            valued(names, object.geometry(),
                   {district, zone ? zone->number : QString(), zone ? zone->km2 : QString(),
                    zone ? zone->value : QString(), s.km3(district).text(), area}));
        if (!zone) {
            withoutZone << district;
            continue;
        }
        auto& parts = zoneParts[zone->number];
        if (!parts)
            parts = std::make_unique<OGRMultiPolygon>();
        const OGRGeometry* shape = object.geometry()->ogr();
        if (wkbFlatten(shape->getGeometryType()) == wkbPolygon)
            parts->addGeometry(shape);
        else
            for (const OGRPolygon* polygon : *shape->toMultiPolygon())
                parts->addGeometry(polygon);
    }
    if (!withoutZone.isEmpty())
        warnings << QStringLiteral("Райони без зони (значень оцінки в шарі «оцінка» немає): %1.")
                        .arg(withoutZone.join(QStringLiteral(", ")));
    out.push_back(std::move(byDistrict));

    PackageLayer byZone{QStringLiteral("оцінка зон"),
                        {column(names::field::Zona(), FieldKind::Integer),
                         column(names::field::Km2(), FieldKind::Float),
                         column(names::field::Price(), FieldKind::Float)},
                        {},
                        districts.crsWkt};
    auto zoneNames = std::make_shared<QStringList>(
        QStringList{names::field::Zona(), names::field::Km2(), names::field::Price()});
    GdalScope scope;
    for (const valuation::Zone& zone : s.zones) {
        const auto it = zoneParts.find(zone.number);
        if (it == zoneParts.end())
            continue;
        std::unique_ptr<OGRGeometry> merged(it->second->UnionCascaded());
        if (!merged) {
            warnings << QStringLiteral("Райони зони %1 не вдалося об'єднати.").arg(zone.number);
            continue;
        }
        byZone.features.push_back(valued(zoneNames,
                                         std::make_shared<const Geometry>(std::move(merged)),
                                         {zone.number, zone.km2, zone.value}));
        if (!zone.hasKm2Row)
            warnings << QStringLiteral("Зона %1 ще не має вартості 1 м².").arg(zone.number);
    }
    out.push_back(std::move(byZone));
}

} // namespace

bool ExportSettlement(const QString& folder, Connection& project, const QString& path,
                      ExportResult& result, QString* error) {
    result = ExportResult();
    if (!QDir(folder).exists()) {
        if (error)
            *error = QStringLiteral("Папки населеного пункту \"%1\" немає.")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    valuation::Settlement settlement;
    if (!valuation::ReadSettlement(project, settlement, error))
        return false;
    std::vector<PackageLayer> layers;
    tableLayers(ListSettlementLayers(folder), layers, result.warnings);
    const auto districts = std::find_if(layers.begin(), layers.end(), [](const PackageLayer& l) {
        return l.name == names::layer::Districts();
    });
    if (districts == layers.end()) {
        result.warnings << QStringLiteral("Карти районів «райони» немає: оцінку як карту не "
                                          "записано.");
    } else {
        const PackageLayer copy = *districts; // the list grows below
        valuationLayers(copy, settlement, layers, result.warnings);
    }
    if (!GeoPackage::write(path, layers, error))
        return false;
    for (const PackageLayer& layer : layers)
        result.layers << layer.name;
    return true;
}

ExportTargetProblem CheckExportTarget(const QString& folder, const QString& path, bool force,
                                      QString* error) {
    const QFileInfo target(path);
    // Through links to what is really written.
    const QString real = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
    const QFileInfo file(real);
    const QString shown = QDir::toNativeSeparators(path);
    auto refuse = [&](ExportTargetProblem problem, const QString& text) {
        if (error)
            *error = text;
        return problem;
    };
    if (file.isDir())
        return refuse(ExportTargetProblem::Protected,
                      QStringLiteral("\"%1\" - папка, а не файл GeoPackage.").arg(shown));
    const QString name = file.fileName().toLower();
    const QString suffix = file.suffix().toLower();
    const QString place = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString settlement = QFileInfo(folder).canonicalFilePath();
    static const QStringList layerFiles = {QStringLiteral("tab"), QStringLiteral("dat"),
                                           QStringLiteral("map"), QStringLiteral("id"),
                                           QStringLiteral("ind"), QStringLiteral("wkt")};
    const bool database = suffix == QLatin1String("sqlite") ||
                          name.startsWith(QLatin1String("data.sqlite")) ||
                          name.startsWith(QLatin1String("baza.sqlite"));
    if (database || (place == settlement && layerFiles.contains(suffix)))
        return refuse(ExportTargetProblem::Protected,
                      QStringLiteral("\"%1\" - %2; експорт не пише на його місце, вкажіть інший "
                                     "файл .gpkg.")
                          .arg(shown, database ? QStringLiteral("база даних")
                                               : QStringLiteral("файл шару населеного пункту")));
    if (file.exists() && !force && !GeoPackage::isOwn(real))
        return refuse(ExportTargetProblem::Foreign,
                      QStringLiteral("Файл \"%1\" уже є, і його записала не ця програма; щоб "
                                     "замінити його, додайте --force.")
                          .arg(shown));
    return ExportTargetProblem::None;
}
