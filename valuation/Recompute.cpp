#include "valuation/Recompute.h"

#include "common/TextUtils.h"
#include "valuation/Check.h"
#include "valuation/Formulas.h"
#include "valuation/Km1Tables.h"

namespace valuation {

bool TypedOver(const QString& stored, const QString& computed) {
    return !computed.isEmpty() && !stored.isEmpty() && !SameValue(stored, computed);
}

CostItemNow RecomputeCostItem(const QString& initial, const QString& restored,
                              const QString& quantity, bool restoredTyped, double k) {
    CostItemNow now;
    now.restored = restored;
    const std::optional<double> value = ParseNumber(initial);
    if (value && !restoredTyped)
        now.restored = FormatFixed(RestoredCost(*value, k), 4);
    now.total = CostItemTotal(quantity, now.restored);
    return now;
}

QString Km1OfOptions(const QString& options) {
    return options.trimmed().isEmpty() ? QString() : Km1Text(ParseKm1Options(options));
}

QString Km1OptionsInputs(const QString& options) {
    return QStringLiteral("варіанти ") + options;
}

QString AverageValueNow(const QString& stored, bool typed, const QString& developmentCost,
                        const QString& km1) {
    if (typed)
        return stored;
    const QString computed = AverageValue(developmentCost, km1);
    return computed.isEmpty() ? stored : computed;
}

std::optional<QString> StatementCoefficient(const QString& districtCoefficient) {
    if (!IsLocalCoefficient(districtCoefficient))
        return std::nullopt;
    return districtCoefficient;
}

PlotValues ComputePlotValues(double baseValue, double km2, double kf, double km3, double areaHa,
                             bool household, const std::vector<PlotPartInput>& parts) {
    PlotValues out;
    // From the zone's published value: base value x Km2 rounded to the kopeck.
    out.valuePerSqM = Fixed(PlotValuePerSqM(baseValue, km2, kf, km3), 2);
    if (out.valuePerSqM.isEmpty())
        return out;
    out.value = PlotValue(NumberOr0(out.valuePerSqM), areaHa);
    if (!household || out.value.isEmpty())
        return out;
    double total = NumberOr0(out.value);
    double totalArea = areaHa;
    for (const PlotPartInput& part : parts) {
        const std::optional<double> perHa = ParseNumber(part.valuePerHa);
        const std::optional<double> area = ParseNumber(part.area);
        if (part.code.isEmpty() || !perHa || !area) {
            out.partValues.emplace_back();
            continue;
        }
        const QString value = Fixed(*perHa * *area, 2);
        out.partValues.emplace_back(value);
        total += NumberOr0(value);
        totalArea += *area;
    }
    // The built-up part has a value, so the totals are given, whatever the parts are worth.
    out.totalValue = Fixed(total, 2);
    out.totalArea = Fixed(totalArea, 4);
    return out;
}

} // namespace valuation
