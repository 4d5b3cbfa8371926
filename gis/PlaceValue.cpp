#include "gis/PlaceValue.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "valuation/Formulas.h"
#include "valuation/LandUse.h"
#include "valuation/LocalCatalogue.h"
#include "valuation/Settlement.h"

#include <QDate>
#include <map>

namespace {

bool fail(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
    return false;
}

QString pointText(const QPointF& p) {
    return QStringLiteral("(%1; %2)").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2);
}

int landUseColumn(const QString& asked) {
    return asked.trimmed().isEmpty() ? ResidentialLandUse().column : LandUseColumnOfCode(asked);
}

/** The land use asked for (land for housing by default) with its Кф from the model. */
bool landUse(const QString& asked, PlaceValuation& out, double& kf, QString* reason) {
    if (!IsLandUseCode(asked, reason))
        return false;
    const int column = landUseColumn(asked);
    const FunctionalCategory& category = FunctionalCategories()[static_cast<size_t>(column - 1)];
    const std::optional<double> value = valuation::KfOfColumn(column);
    if (!value)
        return fail(reason, QStringLiteral("Для категорії «%1» (%2) коефіцієнт Кф не "
                                           "встановлено: її землі так не оцінюють.")
                                .arg(category.code, category.caption.simplified()));
    out.use = category.code;
    out.useName = category.caption.simplified();
    for (const LandUseCategory& c : LandUseCategories())
        if (c.column == column)
            out.useName = c.name;
    kf = *value;
    out.kf = valuation::Fixed(kf, 2);
    return true;
}

/**
 * A place of a district under the factor regions valued: zone, Km2, zone value, Km3 and the
 * value of 1 m². False with the reason when the district's zone has no value.
 */
bool valuePlace(const PlaceSources& s, const QString& district, const std::vector<FactorHit>& hits,
                double kf, PlaceFigures& out, QStringList& notes, QString* reason) {
    out.district = district;
    const valuation::Zone* zone = s.settlement.zoneOfDistrict(district);
    if (!zone)
        return fail(reason, QStringLiteral("Район %1 не віднесено до жодної зони: спершу "
                                           "виконайте земельно-оціночну структуризацію.")
                                .arg(district));
    const std::optional<double> zoneValue = ParseNumber(zone->value);
    if (!zone->hasKm2Row || !zoneValue)
        return fail(reason, QStringLiteral("Зона %1 (район %2) ще не має вартості 1 м²: "
                                           "збережіть земельно-оціночну структуризацію.")
                                .arg(zone->number, district));
    out.zone = zone->number;
    out.km2 = zone->km2;
    out.zoneValue = zone->value;
    QStringList coefficients;
    for (const FactorHit& hit : hits) {
        if (!valuation::IsLocalCoefficient(hit.value)) {
            notes << QStringLiteral("Значення «%1» шару «%2» не є коефіцієнтом: його не "
                                    "враховано.")
                         .arg(hit.value, hit.layer);
            continue;
        }
        if (hit.value.isEmpty())
            continue;
        const LocalFactor* named = FindLocalFactor(s.factors, hit.factor);
        out.factors.push_back({hit.layer, hit.factor, named ? named->name : QString(), hit.value});
        coefficients << hit.value;
    }
    const valuation::Km3 km3 = valuation::Km3Of(coefficients);
    out.km3 = valuation::Fixed(km3.product, 2);
    out.valuePerSqM = valuation::Fixed(valuation::ValuePerSqM(*zoneValue, kf, km3.product), 2);
    return true;
}

/** Indexes the value (a text "0.00") from the valuation's year to the year asked. */
void index(const PlaceSources& s, const PlaceOptions& options, const QString& value,
           PlaceValuation& out) {
    out.toYear = options.year > 0 ? options.year : QDate::currentDate().year();
    if (options.fromYear <= 0)
        return;
    if (s.indexation.empty()) {
        out.notes << QStringLiteral("Каталог індексації недоступний: вартість наведено без "
                                    "індексації.");
        return;
    }
    out.fromYear = options.fromYear;
    for (const TKoefItem& item : s.indexation)
        if (item.year >= out.fromYear && item.year < out.toYear && item.indexation > 0)
            out.coefficients << QStringLiteral("%1: %2").arg(item.year).arg(
                valuation::Fixed(item.indexation, 3));
    // The value follows from the factor shown beside it.
    out.indexFactor = valuation::Fixed(
        valuation::ShownIndexationFactor(s.indexation, out.fromYear, out.toYear), 3);
    out.indexedValue = valuation::Fixed(
        valuation::IndexedValue(NumberOr0(value), s.indexation, out.fromYear, out.toYear), 2);
}

QString hectares(double squareMetres) {
    return valuation::Fixed(squareMetres / 10000, 4);
}

} // namespace

bool IsLandUseCode(const QString& code, QString* reason) {
    if (landUseColumn(code) >= 1)
        return true;
    QStringList codes;
    for (const FunctionalCategory& c : FunctionalCategories())
        codes << c.code;
    return fail(reason, QStringLiteral("Коду використання «%1» немає серед категорій "
                                       "функціонального використання (%2).")
                            .arg(code.trimmed(), codes.join(QStringLiteral(", "))));
}

bool ReadPlaceSources(Connection& project, Connection* catalogue, PlaceSources& sources,
                      QString* error) {
    sources = PlaceSources();
    if (!valuation::ReadSettlement(project, sources.settlement, error))
        return false;
    if (catalogue) {
        ReadLocalCatalogue(*catalogue, sources.factors);
        Query q(catalogue);
        LoadIndexation(q, sources.indexation);
    }
    return true;
}

bool ValuePoint(const PlaceLayers& layers, const PlaceSources& s, const QPointF& point,
                const PlaceOptions& options, PlaceValuation& out, QString* reason) {
    out = PlaceValuation();
    out.point = point;
    const PlaceHit hit = layers.at(point);
    if (hit.outsideBoundary)
        return fail(
            reason,
            QStringLiteral("Точка %1 лежить поза межами населеного пункту.").arg(pointText(point)));
    if (hit.district.isEmpty())
        return fail(reason,
                    QStringLiteral("Точка %1 не лежить у жодному районі.").arg(pointText(point)));
    double kf = 0;
    if (!landUse(options.use, out, kf, reason) ||
        !valuePlace(s, hit.district, hit.factors, kf, out.place, out.notes, reason))
        return false;
    index(s, options, out.place.valuePerSqM, out);
    return true;
}

bool ValuePlot(const PlaceSources& s, const PlotSplit& split, const QPointF& centre,
               const PlaceOptions& options, PlaceValuation& out, QString* reason) {
    out = PlaceValuation();
    out.plot = true;
    out.point = centre;
    if (split.outsideBoundaryM2 >= split.areaM2 - 1e-6)
        return fail(reason, QStringLiteral("Ділянка лежить поза межами населеного пункту."));
    if (split.pieces.empty())
        return fail(reason, QStringLiteral("Ділянка не лежить у жодному районі."));
    double kf = 0;
    if (!landUse(options.use, out, kf, reason))
        return false;
    // Parts of one district under the same factors are one part.
    std::map<std::pair<QString, QStringList>, double> areas;
    std::vector<std::pair<QString, QStringList>> order;
    std::map<std::pair<QString, QStringList>, const PlotPiece*> first;
    for (const PlotPiece& piece : split.pieces) {
        QStringList key;
        for (const FactorHit& h : piece.factors)
            key << h.layer + u'=' + h.value;
        const auto k = std::make_pair(piece.district, key);
        if (!areas.count(k)) {
            order.push_back(k);
            first[k] = &piece;
        }
        areas[k] += piece.areaM2;
    }
    double total = 0;
    for (const auto& k : order) {
        PlaceFigures part;
        if (!valuePlace(s, k.first, first[k]->factors, kf, part, out.notes, reason))
            return false;
        part.areaHa = hectares(areas[k]);
        part.value = valuation::PlotValue(NumberOr0(part.valuePerSqM), NumberOr0(part.areaHa));
        total += NumberOr0(part.value);
        out.parts.push_back(part);
    }
    out.areaHa = hectares(split.areaM2);
    out.value = valuation::Fixed(total, 2);
    if (split.outsideM2 > 0.5)
        out.notes << QStringLiteral("Частину ділянки %1 га поза районами не оцінено.")
                         .arg(hectares(split.outsideM2));
    if (split.outsideBoundaryM2 > 0.5)
        out.notes << QStringLiteral("Частина ділянки %1 га лежить поза межами населеного пункту.")
                         .arg(hectares(split.outsideBoundaryM2));
    index(s, options, out.value, out);
    return true;
}
