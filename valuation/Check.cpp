// The check of a settlement: each step's check in the order of the chain (CheckInfo.cpp,
// CheckAreas.cpp... one file per step), and what they share.
#include "valuation/Check.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "valuation/CheckRun.h"
#include "valuation/LandStructure.h"
#include "valuation/Names.h"

namespace valuation {

namespace check {

bool CheckRun::fail(QString* error, const QString& table) const {
    return FailReading(error, table);
}

void CheckRun::indicator(Step step, const QString& name, const QString& computed) {
    const QString stored = s.indicator(name);
    if (SameValue(stored, computed))
        return;
    StaleValue v;
    v.step = step;
    v.what = QStringLiteral("показник ") + Quoted(name);
    v.stored = stored;
    v.computed = computed;
    v.indicator = name;
    result.stale.push_back(std::move(v));
}

void CheckRun::cell(Step step, const QString& table, long long rowId, const QString& column,
                    const QString& what, const QString& stored, const QString& computed) {
    if (SameValue(stored, computed))
        return;
    StaleValue v;
    v.step = step;
    v.what = table + QStringLiteral(", ") + what + QStringLiteral(": ") + column;
    v.stored = stored;
    v.computed = computed;
    v.table = table;
    v.rowId = rowId;
    v.column = column;
    result.stale.push_back(std::move(v));
}

bool CheckRun::typedIndicator(const QString& name) const {
    return typed.isTyped(names::table::Indicators(), name, QStringLiteral("значення"),
                         s.indicator(name));
}

void CheckRun::typedValue(Step step, const QString& what, const QString& table, const QString& key,
                          const QString& field, const QString& computed, const QString& inputs) {
    const TypedMark* mark = typed.mark(table, key, field);
    if (!mark)
        return;
    TypedValue t;
    t.step = step;
    t.what = what;
    t.value = mark->value;
    t.computedThen = mark->computed;
    t.inputsThen = mark->inputs;
    t.computedNow = computed;
    t.inputsNow = inputs;
    t.changed = !mark->computed.isEmpty() && !SameValue(mark->computed, computed);
    result.typed.push_back(std::move(t));
}

void CheckRun::typedIndicatorValue(Step step, const QString& name, const QString& stored,
                                   const QString& computed, const QString& inputs) {
    const QString what = QStringLiteral("показник ") + Quoted(name);
    if (typedIndicator(name)) {
        typedValue(step, what, names::table::Indicators(), name, QStringLiteral("значення"),
                   computed, inputs);
        return;
    }
    TypedValue t;
    t.step = step;
    t.what = what;
    t.value = stored;
    t.computedNow = computed;
    t.inputsNow = inputs;
    result.typed.push_back(std::move(t));
}

} // namespace check

bool CheckSettlement(Connection& project, CheckResult& result, QString* error) {
    result = CheckResult{};
    check::CheckRun run(project, result);
    if (!ReadSettlement(project, run.s, error))
        return false;
    if (!run.typed.read(project))
        return run.fail(error, TypedTable());
    CheckLandSums(run.s, run.typed, result);
    return check::Info(run, error) && check::Areas(run) && check::Costs(run, error) &&
           check::Average(run) && check::Zonal(run, error) && check::Local(run) &&
           check::Quarters(run, error) && check::Soils(run, error) && check::Plots(run, error);
}

} // namespace valuation
