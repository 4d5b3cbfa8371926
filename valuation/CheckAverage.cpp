// The check of "Середня вартість": Км1 and Цнм.
#include "valuation/CheckRun.h"

#include "common/Names.h"
#include "common/TextUtils.h"
#include "valuation/Formulas.h"
#include "valuation/Km1Tables.h"

namespace valuation::check {

namespace {

// Км1 is the product of the chosen options; one typed instead is the valuer's (a note,
// a finding once the options it was typed over change).
void CheckKm1(CheckRun& run) {
    const QString name = names::ind::Km1();
    const QString options = run.s.indicator(names::ind::Km1Options());
    const QString stored = run.s.indicator(name);
    if (options.trimmed().isEmpty() || stored.isEmpty())
        return;
    const QString computed = Km1Text(ParseKm1Options(options));
    if (SameValue(stored, computed))
        return;
    run.typedIndicatorValue(Step::Average, name, stored, computed,
                            QStringLiteral("варіанти ") + options);
}

} // namespace

// Цнм = В x 2 x Км1, unless the valuer typed it.
bool Average(CheckRun& run) {
    CheckKm1(run);
    run.average = run.s.averageValueText();
    const QString km1 = run.s.indicator(names::ind::Km1());
    const QString computed = AverageValue(run.developmentCost, km1);
    if (run.typedIndicator(names::ind::AverageValue())) {
        run.typedValue(
            Step::Average, QStringLiteral("показник ") + Quoted(names::ind::AverageValue()),
            names::table::Indicators(), names::ind::AverageValue(), QStringLiteral("значення"),
            computed, AverageValueInputs(run.developmentCost, km1));
        return true;
    }
    if (!computed.isEmpty()) {
        run.average = computed;
        run.indicator(Step::Average, names::ind::AverageValue(), computed);
    }
    return true;
}

} // namespace valuation::check
