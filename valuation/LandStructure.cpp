#include "valuation/LandStructure.h"

#include "common/TextUtils.h"
#include "valuation/Check.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"
#include "valuation/Typed.h"

#include <cmath>

namespace valuation {

namespace {

/** What a part is called in a sum's inputs: its indicator after the total's name. */
QString PartCaption(const LandSum& sum, const QString& part) {
    const QString prefix = sum.total + QStringLiteral(", ");
    return part.startsWith(prefix) ? part.mid(prefix.size()) : part;
}

} // namespace

const std::vector<LandSum>& LandSums() {
    namespace ind = names::ind;
    static const std::vector<LandSum> sums = {
        {ind::BuiltUp(),
         {ind::BuiltUpHousing(), ind::BuiltUpIndustry(), ind::BuiltUpCommercial(),
          ind::BuiltUpTransport(), ind::BuiltUpMixed(), ind::BuiltUpRecreation()}},
        {ind::NotCounted(),
         {ind::NotCountedFarmland(), ind::NotCountedForest(), ind::NotCountedOpen(),
          ind::NotCountedWater(), ind::NotCountedRailway(), ind::NotCountedAirport(),
          ind::NotCountedStreets(), ind::NotCountedRest()}},
    };
    return sums;
}

QString LandSumOf(const LandSum& sum, const std::function<QString(const QString&)>& value) {
    double total = 0;
    bool any = false;
    for (const QString& part : sum.parts)
        if (const std::optional<double> v = ParseNumber(value(part).trimmed()); v) {
            total += *v;
            any = true;
        }
    return any && std::isfinite(total) ? FormatFixed(total, 4) : QString();
}

QString LandSumInputs(const LandSum& sum, const std::function<QString(const QString&)>& value) {
    QStringList parts;
    for (const QString& part : sum.parts)
        if (const QString text = value(part).trimmed(); !text.isEmpty())
            parts << PartCaption(sum, part) + u' ' + text;
    return parts.join(QStringLiteral(", "));
}

bool LandSumAgrees(const QString& stored, const QString& computed) {
    if (stored.trimmed() == computed)
        return true;
    const std::optional<double> a = ParseNumber(stored.trimmed());
    const std::optional<double> b = ParseNumber(computed);
    // Eight parts each rounded to 0.0001 ha move their sum by less than 0.0005 ha.
    return a && b && std::fabs(*a - *b) < 0.0005;
}

QHash<QString, QString> LandStructureOfStatement(const std::function<double(int)>& column) {
    namespace ind = names::ind;
    const auto c = column;
    const double housing = c(37) + c(38);
    const double industry = c(39);
    const double commercial = c(44);
    const double publicLand = c(45);
    const double railway = c(49);
    const double airport = c(50);
    const double transport = c(47) - c(50) - c(49);
    const double infrastructure = c(52);
    const double mixed = c(46);
    const double streets = c(63);
    const double rest = c(64);
    const double recreation = c(57) - c(63) - c(64);
    const double other = c(40);
    // Public land (column AS) and technical infrastructure (AZ) are shown but not added.
    const double builtUp = housing + industry + commercial + transport + mixed + recreation;
    const double households = c(16) + c(17);
    const double farmland = c(5) - (c(16) + c(17));
    const double forest = c(23);
    const double open = c(65) + c(68) + c(69);
    const double water = c(74);
    const double notCounted = farmland + forest + water + open + railway + airport + streets + rest;

    QHash<QString, QString> areas;
    const auto put = [&areas](const QString& name, double value) {
        areas.insert(name, FormatFixed(value, 4));
    };
    put(ind::BuiltUpHousing(), housing);
    put(ind::BuiltUpIndustry(), industry);
    put(ind::BuiltUpCommercial(), commercial);
    put(ind::BuiltUpPublic(), publicLand);
    put(ind::NotCountedRailway(), railway);
    put(ind::NotCountedAirport(), airport);
    put(ind::BuiltUpTransport(), transport);
    put(ind::BuiltUpInfrastructure(), infrastructure);
    put(ind::BuiltUpMixed(), mixed);
    put(ind::NotCountedStreets(), streets);
    put(ind::NotCountedRest(), rest);
    put(ind::BuiltUpRecreation(), recreation);
    put(ind::OtherLand(), other);
    put(ind::BuiltUp(), builtUp);
    put(ind::HouseholdPlots(), households);
    put(ind::NotCountedFarmland(), farmland);
    put(ind::NotCountedForest(), forest);
    put(ind::NotCountedOpen(), open);
    put(ind::NotCountedWater(), water);
    put(ind::NotCounted(), notCounted);
    put(ind::TotalArea(), c(4));
    put(ind::AssessedArea(), builtUp + households + other);
    return areas;
}

void CheckLandSums(Settlement& settlement, const TypedValues& typed, CheckResult& result) {
    const auto value = [&settlement](const QString& name) { return settlement.indicator(name); };
    // Areas stored before the rest was kept may hold totals typed without marks.
    const bool marksKept = settlement.indicators.has(names::ind::NotCountedRest());
    for (const LandSum& sum : LandSums()) {
        const QString computed = LandSumOf(sum, value);
        const QString stored = settlement.indicator(sum.total);
        if (computed.isEmpty() || stored.trimmed().isEmpty() || LandSumAgrees(stored, computed))
            continue;
        const QString what = QStringLiteral("показник ") + Quoted(sum.total);
        const QString field = QStringLiteral("значення");
        const TypedMark* mark = typed.mark(names::table::Indicators(), sum.total, field);
        if (typed.isTyped(names::table::Indicators(), sum.total, field, stored) || !marksKept) {
            TypedValue t;
            t.step = Step::Areas;
            t.what = what;
            t.value = stored;
            t.computedNow = computed;
            t.inputsNow = LandSumInputs(sum, value);
            if (mark && mark->value == stored) {
                t.computedThen = mark->computed;
                t.inputsThen = mark->inputs;
                t.changed = !mark->computed.isEmpty() && !LandSumAgrees(mark->computed, computed);
            }
            result.typed.push_back(std::move(t));
            continue;
        }
        StaleValue v;
        v.step = Step::Areas;
        v.what = what;
        v.stored = stored;
        v.computed = computed;
        v.indicator = sum.total;
        result.stale.push_back(std::move(v));
        settlement.indicators.set(sum.total, computed);
    }
}

} // namespace valuation
