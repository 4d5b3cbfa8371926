#include "steps/localquarter/QuarterInfo.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/localquarter/QuarterStatement.h"

#include <QHash>
#include <set>

bool ReadUsedFactors(Connection& project, std::vector<int>& used) {
    used.clear();
    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT DISTINCT фактор FROM локальні"), true))
        return false;
    std::set<int> numbers;
    for (query.first(); !query.eof(); query.next())
        if (const long long k = IntegerOr0(query.text(0)); k > 0)
            numbers.insert(static_cast<int>(k));
    used.assign(numbers.begin(), numbers.end());
    return true;
}

bool LoadDistrictFactorGrid(Connection& project, const std::vector<QString>& districts,
                            const std::vector<LocalFactor>& catalogue, const std::vector<int>& used,
                            StringGrid& grid) {
    const std::set<int> usedSet(used.begin(), used.end());
    QHash<int, int> columnOf;
    QStringList heading{QStringLiteral("№"), QStringLiteral("№ району")};
    for (const LocalFactor& factor : catalogue)
        if (usedSet.count(factor.number)) {
            columnOf.insert(factor.number, static_cast<int>(heading.size()));
            heading << factor.name;
        }
    grid = StringGrid(static_cast<int>(heading.size()),
                      1 + std::max<int>(1, static_cast<int>(districts.size())), 1, 2);
    grid.setRowTexts(0, heading);
    QHash<QString, int> rowOf;
    for (size_t i = 0; i < districts.size(); ++i) {
        const int row = 1 + static_cast<int>(i);
        grid.set(row, 0, QString::number(i + 1));
        grid.set(row, 1, districts[i]);
        if (!rowOf.contains(districts[i]))
            rowOf.insert(districts[i], row);
    }

    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true))
        return false;
    const int district = query.fieldIndex(QStringLiteral("район"));
    const int factor = query.fieldIndex(QStringLiteral("фактор"));
    const int value = query.fieldIndex(QStringLiteral("коефіціент"));
    for (query.first(); !query.eof(); query.next()) {
        const int col = columnOf.value(static_cast<int>(IntegerOr0(query.text(factor))), -1);
        const int row = rowOf.value(query.text(district), -1);
        if (col >= 0 && row >= 0)
            grid.set(row, col, query.text(value));
    }
    return true;
}

QString QuarterTooManyFactorsText(int factors) {
    return QStringLiteral("Довідник містить %1 локальних факторів, а відомість кварталів "
                          "зберігає лише перші %2: значення інших факторів показано, але не "
                          "буде збережено.")
        .arg(factors)
        .arg(QuarterGrid::StoredFactors);
}
