// The check of "Інформація": the population of its list.
#include "valuation/CheckRun.h"

#include "valuation/Names.h"

namespace valuation::check {

// "Інформація" copies the population of its list into the indicator the steps read.
bool Info(CheckRun& run, QString* error) {
    TableRows t;
    if (!ReadTableRows(run.db, QStringLiteral("показники"),
                       {QStringLiteral("показник"), QStringLiteral("значення")},
                       QStringLiteral("id"), t))
        return run.fail(error, QStringLiteral("показники"));
    run.population = run.s.indicator(names::ind::Population());
    for (const QStringList& row : t.rows)
        if (row[0] == QStringLiteral("Чисельність населення, тис. чол.")) {
            if (!row[1].trimmed().isEmpty()) {
                run.population = row[1];
                run.indicator(Step::Info, names::ind::Population(), row[1]);
            }
            break;
        }
    return true;
}

} // namespace valuation::check
