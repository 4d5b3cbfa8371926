// The check of "Середня вартість": Км1 and Цнм.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"

namespace valuation::check {

namespace {

// Км1 is the product of the chosen options; one typed instead is the valuer's (a note,
// a finding once the options it was typed over change).
void CheckKm1(CheckRun& run) {
    const QString name = names::ind::Km1();
    const QString options = run.s.indicator(names::ind::Km1Options());
    const QString stored = run.s.indicator(name);
    const QString computed = Km1OfOptions(options);
    if (!TypedOver(stored, computed))
        return;
    run.typedIndicatorValue(Step::Average, name, stored, computed, Km1OptionsInputs(options));
}

} // namespace

// Цнм = В x 2 x Км1, unless the valuer typed it.
bool Average(CheckRun& run) {
    CheckKm1(run);
    const QString km1 = run.s.indicator(names::ind::Km1());
    const bool typed = run.typedIndicator(names::ind::AverageValue());
    run.average = AverageValueNow(run.s.averageValueText(), typed, run.developmentCost, km1);
    if (typed)
        run.typedValue(
            Step::Average, QStringLiteral("показник ") + Quoted(names::ind::AverageValue()),
            names::table::Indicators(), names::ind::AverageValue(), QStringLiteral("значення"),
            AverageValue(run.developmentCost, km1), AverageValueInputs(run.developmentCost, km1));
    else
        run.indicator(Step::Average, names::ind::AverageValue(), run.average);
    return true;
}

} // namespace valuation::check
