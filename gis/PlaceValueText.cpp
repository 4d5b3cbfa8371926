// The value of a place in words and as JSON.
#include "gis/PlaceValue.h"

#include <QJsonArray>

namespace {

QString factorsText(const std::vector<PlaceFactor>& factors) {
    if (factors.empty())
        return QStringLiteral("немає");
    QStringList out;
    for (const PlaceFactor& f : factors)
        out << (f.name.isEmpty() ? QStringLiteral("%1 (фактор %2): %3")
                                       .arg(f.layer)
                                       .arg(f.factor)
                                       .arg(f.coefficient)
                                 : QStringLiteral("%1 (фактор %2, «%3»): %4")
                                       .arg(f.layer)
                                       .arg(f.factor)
                                       .arg(f.name, f.coefficient));
    return out.join(QStringLiteral("; "));
}

QString zoneText(const PlaceFigures& p) {
    return QStringLiteral("район %1, зона %2, Км2 %3, вартість 1 м² зони %4 грн")
        .arg(p.district, p.zone, p.km2, p.zoneValue);
}

QJsonArray factorsJson(const std::vector<PlaceFactor>& factors) {
    QJsonArray out;
    for (const PlaceFactor& f : factors)
        out.append(QJsonObject{{QStringLiteral("layer"), f.layer},
                               {QStringLiteral("factor"), f.factor},
                               {QStringLiteral("name"), f.name},
                               {QStringLiteral("coefficient"), f.coefficient}});
    return out;
}

QJsonObject figuresJson(const PlaceFigures& p) {
    QJsonObject o{{QStringLiteral("district"), p.district},
                  {QStringLiteral("zone"), p.zone},
                  {QStringLiteral("km2"), p.km2},
                  {QStringLiteral("zoneValue"), p.zoneValue},
                  {QStringLiteral("factors"), factorsJson(p.factors)},
                  {QStringLiteral("km3"), p.km3},
                  {QStringLiteral("valuePerSqM"), p.valuePerSqM}};
    if (!p.areaHa.isEmpty()) {
        o.insert(QStringLiteral("areaHa"), p.areaHa);
        o.insert(QStringLiteral("value"), p.value);
    }
    return o;
}

} // namespace

QStringList PlaceValuationLines(const PlaceValuation& v) {
    QStringList lines;
    const QString use = QStringLiteral("Використання: %1 (%2), Кф %3").arg(v.use, v.useName, v.kf);
    if (!v.plot) {
        const PlaceFigures& p = v.place;
        lines << QStringLiteral("Точка: x %1, y %2")
                     .arg(v.point.x(), 0, 'f', 2)
                     .arg(v.point.y(), 0, 'f', 2)
              << QStringLiteral("Район: %1; зона %2").arg(p.district, p.zone)
              << QStringLiteral("Км2: %1; вартість 1 м² зони: %2 грн").arg(p.km2, p.zoneValue)
              << QStringLiteral("Локальні фактори: ") + factorsText(p.factors)
              << QStringLiteral("Км3: ") + p.km3 << use
              << QStringLiteral("Вартість 1 м²: %1 грн (%2 × %3 × %4)")
                     .arg(p.valuePerSqM, p.zoneValue, v.kf, p.km3);
    } else {
        lines << QStringLiteral("Ділянка: площа %1 га").arg(v.areaHa);
        int n = 0;
        for (const PlaceFigures& p : v.parts)
            lines << QStringLiteral(
                         "Частина № %1: %2; фактори: %3; Км3 %4; 1 м² %5 грн; %6 га; %7 грн")
                         .arg(++n)
                         .arg(zoneText(p), factorsText(p.factors), p.km3, p.valuePerSqM, p.areaHa,
                              p.value);
        lines << use << QStringLiteral("Вартість ділянки: %1 грн").arg(v.value);
    }
    if (v.fromYear == 0) {
        lines << QStringLiteral("Рік оцінки не вказано: вартість наведено без індексації.");
    } else {
        lines << QStringLiteral("Індексація з %1 до %2 року: %3; разом %4")
                     .arg(v.fromYear)
                     .arg(v.toYear)
                     .arg(v.coefficients.isEmpty() ? QStringLiteral("коефіцієнтів немає")
                                                   : v.coefficients.join(QStringLiteral(", ")),
                          v.indexFactor)
              << (v.plot ? QStringLiteral("Вартість ділянки у %1 році: %2 грн")
                         : QStringLiteral("Вартість 1 м² у %1 році: %2 грн"))
                     .arg(v.toYear)
                     .arg(v.indexedValue);
    }
    lines << v.notes;
    return lines;
}

QJsonObject PlaceValuationJson(const PlaceValuation& v) {
    QJsonObject o{{QStringLiteral("use"), v.use},
                  {QStringLiteral("useName"), v.useName},
                  {QStringLiteral("kf"), v.kf},
                  {QStringLiteral("point"), QJsonObject{{QStringLiteral("x"), v.point.x()},
                                                        {QStringLiteral("y"), v.point.y()}}}};
    if (v.plot) {
        QJsonArray parts;
        for (const PlaceFigures& p : v.parts)
            parts.append(figuresJson(p));
        o.insert(QStringLiteral("parts"), parts);
        o.insert(QStringLiteral("areaHa"), v.areaHa);
        o.insert(QStringLiteral("value"), v.value);
    } else {
        const QJsonObject place = figuresJson(v.place);
        for (auto it = place.begin(); it != place.end(); ++it)
            o.insert(it.key(), it.value());
    }
    if (v.fromYear != 0)
        o.insert(QStringLiteral("indexation"),
                 QJsonObject{
                     {QStringLiteral("fromYear"), v.fromYear},
                     {QStringLiteral("toYear"), v.toYear},
                     {QStringLiteral("coefficients"), QJsonArray::fromStringList(v.coefficients)},
                     {QStringLiteral("factor"), v.indexFactor},
                     {QStringLiteral("value"), v.indexedValue}});
    if (!v.notes.isEmpty())
        o.insert(QStringLiteral("notes"), QJsonArray::fromStringList(v.notes));
    return o;
}
