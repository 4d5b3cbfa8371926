// The recalculation: every stale value the check found, written in one transaction.
#include "valuation/Check.h"

#include "common/WriteSteps.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

#include <map>
#include <memory>

namespace valuation {

bool WriteRecalculated(Connection& project, const CheckResult& result, QString* error) {
    Transaction transaction(project);
    const auto fail = [error] { return FailUpdating(error); };
    if (!transaction.ok() || !writesteps::Reached("recalc.write"))
        return fail();
    // One prepared UPDATE per table and column.
    std::map<std::pair<QString, QString>, std::unique_ptr<BulkStatement>> updates;
    for (const StaleValue& v : result.stale) {
        bool ok = true;
        if (!v.indicator.isEmpty()) {
            ok = WriteIndicator(project, v.indicator, v.computed);
        } else if (!v.rows.empty() || v.column.isEmpty()) {
            ok = DeleteRows(project, v.table);
            BulkInsert insert(project, v.table,
                              {names::column::Zone(), names::column::ZoneDistricts(),
                               names::column::Description()});
            for (const QStringList& row : v.rows)
                ok = ok && insert.insert(SqlRowOf(row));
        } else {
            auto& update = updates[{v.table, v.column}];
            if (!update)
                update = std::make_unique<BulkStatement>(
                    project, QStringLiteral("UPDATE ") + v.table + QStringLiteral(" SET ") +
                                 v.column + QStringLiteral("=? WHERE rowid=CAST(? AS INTEGER)"));
            ok = update->run({SqlValue(v.computed), SqlValue(QString::number(v.rowId))});
        }
        if (!ok)
            return fail();
    }
    updates.clear();
    if (!writesteps::Reached("recalc.commit") || !transaction.commit())
        return fail();
    return true;
}

} // namespace valuation
