#include "valuation/Indexation.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"

#include <algorithm>

void LoadIndexation(Query& query, TDinArryOfKoef& table) {
    table.clear();
    if (!RunQuery(query, QStringLiteral("SELECT * FROM індексація ORDER BY id"), true, true))
        return;
    table.reserve(static_cast<size_t>(query.recordCount()));
    for (query.first(); !query.eof(); query.next()) {
        TKoefItem item;
        item.year = static_cast<int>(IntegerOr0(query.text(QStringLiteral("рік"))));
        item.indexation = NumberOr0(query.text(QStringLiteral("індексація")));
        item.inflation = NumberOr0(query.text(QStringLiteral("інфляція")));
        table.push_back(item);
    }
    query.close();
}

double IndexationFactor(const TDinArryOfKoef& table, int fromYear, int toYear, int kind) {
    if (table.empty() || toYear < fromYear)
        return 1.0;
    const int startYear = std::max(fromYear, table.front().year);
    double result = 1.0;
    auto it = std::find_if(table.begin(), table.end(),
                           [startYear](const TKoefItem& item) { return item.year == startYear; });
    for (; it != table.end(); ++it) {
        if (it->year >= toYear)
            return result;
        const double k = kind == KindInflation ? it->inflation : it->indexation;
        if (k > 0)
            result *= k;
    }
    // The table ended before toYear (or never had the start year).
    return RoundTo(result, 3);
}
