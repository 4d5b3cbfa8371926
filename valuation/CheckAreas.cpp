// The check of "Визначення площ": the assessed territory.
#include "valuation/CheckRun.h"

#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"

namespace valuation::check {

// The assessed territory from the land structure. A value the step stored without a
// mark and unlike the computed one was typed before marks were kept: the valuer's.
bool Areas(CheckRun& run) {
    const QString name = names::ind::AssessedArea();
    const QString built = run.s.indicator(names::ind::BuiltUp());
    const QString households = run.s.indicator(names::ind::HouseholdPlots());
    const QString other = run.s.indicator(names::ind::OtherLand());
    const QString computed =
        AssessedTerritory(run.s.indicator(names::ind::TotalArea()), built, households, other);
    const QString stored = run.s.indicator(name);
    if (!TypedOver(stored, computed))
        return true;
    run.typedIndicatorValue(Step::Areas, name, stored, computed,
                            AssessedTerritoryInputs(built, households, other));
    return true;
}

} // namespace valuation::check
