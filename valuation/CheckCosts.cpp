// The check of "Витрати на освоювання": each item, then В.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "valuation/Formulas.h"
#include "valuation/IndexationLines.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"

namespace valuation::check {

// В: each item's restored cost (from its initial cost unless typed) and total, then the
// cost per sq m of the assessed territory.
bool Costs(CheckRun& run, QString* error) {
    TableRows t;
    const QString table = QStringLiteral("витрати");
    if (!ReadTableRows(run.db, table,
                       {QStringLiteral("первісна"), QStringLiteral("відновлена"),
                        QStringLiteral("кількість"), QStringLiteral("всього"),
                        QStringLiteral("назва")},
                       QStringLiteral("id"), t))
        return run.fail(error, table);
    run.developmentCost = run.s.indicator(names::ind::DevelopmentCost());
    if (t.rows.empty())
        return true;
    const double k = IndexationLineFactor(run.s.indicator(names::ind::CostCoefficient()));
    double total = 0;
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const QStringList& row = t.rows[i];
        const QString key = QString::number(i + 1);
        const QString what = QStringLiteral("рядок ") + key + QStringLiteral(" (") + row[4] + u')';
        const std::optional<double> initial = ParseNumber(row[0]);
        const bool typed = run.typed.isTyped(table, key, QStringLiteral("відновлена"), row[1]);
        const CostItemNow now = RecomputeCostItem(row[0], row[1], row[2], typed, k);
        if (initial && !typed) {
            run.cell(Step::Costs, table, t.ids[i], QStringLiteral("відновлена"), what, row[1],
                     now.restored);
        } else if (initial) {
            run.typedValue(Step::Costs,
                           table + QStringLiteral(", ") + what + QStringLiteral(": відновлена"),
                           table, key, QStringLiteral("відновлена"),
                           RecomputeCostItem(row[0], row[1], row[2], false, k).restored,
                           RestoredCostInputs(row[0], k));
        }
        run.cell(Step::Costs, table, t.ids[i], QStringLiteral("всього"), what, row[3], now.total);
        total += NumberOr0(now.total);
    }
    const QString computed = DevelopmentCost(total, run.s.indicator(names::ind::AssessedArea()));
    if (!computed.isEmpty()) {
        run.developmentCost = computed;
        run.indicator(Step::Costs, names::ind::DevelopmentCost(), computed);
    }
    return true;
}

} // namespace valuation::check
