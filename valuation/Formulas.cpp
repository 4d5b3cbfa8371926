#include "valuation/Formulas.h"

#include "common/TextUtils.h"
#include "valuation/IndexationLines.h"
#include "valuation/LandUse.h"

#include <QHash>
#include <cmath>

namespace valuation {

QString Fixed(double value, int decimals) {
    return std::isfinite(value) ? FormatFixed(value, decimals) : QString();
}

QString AssessedTerritory(const QString& total, const QString& builtUp, const QString& households,
                          const QString& other) {
    const std::optional<double> built = ParseNumber(builtUp);
    if (!ParseNumber(total) || !built)
        return QString();
    return Fixed(*built + NumberOr0(households) + NumberOr0(other), 4);
}

QString AssessedTerritoryInputs(const QString& builtUp, const QString& households,
                                const QString& other) {
    return QStringLiteral("забудовані ") + builtUp.trimmed() + QStringLiteral(", осг ") +
           households.trimmed() + QStringLiteral(", інші ") + other.trimmed();
}

double RestoredCost(double initial, double k) {
    return RoundTo(initial * k, 4);
}

QString CostItemTotal(const QString& quantity, const QString& restored) {
    const std::optional<double> q = ParseNumber(quantity);
    const std::optional<double> r = ParseNumber(restored);
    return q && r ? Fixed(*q * *r, 4) : QString();
}

QString DevelopmentCost(double totalThousands, const QString& assessedArea) {
    const std::optional<double> area = ParseNumber(assessedArea);
    if (!area || !(*area > 0))
        return QString();
    return Fixed(RoundTo(totalThousands, 4) * 1000 / (*area * 10000), 2);
}

QString AverageValue(const QString& developmentCost, const QString& km1) {
    const std::optional<double> b = ParseNumber(developmentCost);
    const std::optional<double> k = ParseNumber(km1);
    return b && k ? Fixed(*b * AverageRatio * *k, 2) : QString();
}

QString AverageValueInputs(const QString& developmentCost, const QString& km1) {
    const auto shown = [](const QString& t) {
        return t.trimmed().isEmpty() ? QStringLiteral("не визначено") : t.trimmed();
    };
    return QStringLiteral("В ") + shown(developmentCost) + QStringLiteral(", Км1 ") + shown(km1);
}

QString RestoredCostInputs(const QString& initial, double k) {
    return QStringLiteral("первісна ") + initial.trimmed() + QStringLiteral(", коефіцієнт ") +
           QString::number(k, 'g', 10);
}

Km2Bounds Km2BoundsFor(double p) {
    if (p < 20)
        return {0.75, 1.5};
    if (p < 50)
        return {0.5, 2.0};
    if (p < 100)
        return {0.4, 2.5};
    if (p < 250)
        return {0.35, 3.0};
    if (p < 500)
        return {0.3, 3.5};
    if (p < 1000)
        return {0.25, 4.0};
    if (p < 2000)
        return {0.2, 5.0};
    return {0.15, 7.0};
}

double ZoneValue(double averageValue, double km2) {
    return RoundTo(averageValue * km2, 2);
}

bool IsLocalCoefficient(const QString& text) {
    if (text.trimmed().isEmpty())
        return true;
    const std::optional<double> k = ParseNumber(text);
    return k && *k > 0;
}

QString Km3::text() const {
    return factors > 0 ? Fixed(product, 2) : QString();
}

double Km3::rounded() const {
    return RoundTo(product, 2);
}

Km3 Km3Of(const QStringList& coefficients) {
    Km3 km3;
    for (const QString& text : coefficients) {
        if (text.trimmed().isEmpty())
            continue;
        if (const std::optional<double> k = ParseNumber(text)) {
            km3.product *= *k;
            ++km3.factors;
        } else {
            km3.refused << text;
        }
    }
    return km3;
}

std::optional<double> KfOfColumn(int column) {
    for (const LandUseCategory& c : LandUseCategories())
        if (c.column == column)
            return c.kf;
    return std::nullopt;
}

std::optional<double> KfOfCode(const QString& code) {
    return KfOfColumn(LandUseColumnOfCode(code));
}

std::optional<double> KfOfName(const QString& name) {
    // The categories by their names in lower case, made once.
    static const QHash<QString, double> byName = [] {
        QHash<QString, double> names;
        for (const LandUseCategory& c : LandUseCategories())
            names.insert(c.name.toLower(), c.kf);
        return names;
    }();
    const auto it = byName.constFind(name.trimmed().toLower());
    return it == byName.cend() ? std::nullopt : std::optional<double>(*it);
}

double ValuePerSqM(double zoneValue, double kf, double km3) {
    return zoneValue * kf * RoundTo(km3, 2);
}

double PlotValuePerSqM(double baseValue, double km2, double kf, double km3) {
    return ValuePerSqM(ZoneValue(baseValue, km2), kf, km3);
}

QString SoilValuePerHa(const QString& score, const QString& area, const QString& baseValue,
                       const QString& averageScore) {
    const std::optional<double> base = ParseNumber(baseValue);
    const std::optional<double> average = ParseNumber(averageScore);
    if (!base || !average || !(*base > 0) || !(*average > 0))
        return QString();
    if (score.isEmpty() || area.isEmpty())
        return QString();
    const double b = NumberOr0(score);
    return b > 0 ? Fixed(b * *base / *average, 2) : QString();
}

QString PlotValue(double valuePerSqM, double areaHa) {
    return Fixed(RoundTo(valuePerSqM, 2) * 10000 * areaHa, 2);
}

double ShownIndexationFactor(const TDinArryOfKoef& table, int fromYear, int toYear) {
    return RoundTo(IndexationFactor(table, fromYear, toYear, KindIndexation), 3);
}

double IndexedValue(double value, const TDinArryOfKoef& table, int fromYear, int toYear) {
    return value * ShownIndexationFactor(table, fromYear, toYear);
}

QString IndexedByLine(const QString& value, const QString& line) {
    return Fixed(NumberOr0(value) * IndexationLineFactor(line), 2);
}

QString LandTax(double value, double ratePercent) {
    return Fixed(value * ratePercent / 100, 2);
}

} // namespace valuation
