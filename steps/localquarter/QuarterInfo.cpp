#include "steps/localquarter/QuarterInfo.h"

#include "steps/localquarter/QuarterStatement.h"
#include "valuation/Settlement.h"

#include <QHash>
#include <set>

bool ReadUsedFactors(Connection& project, std::vector<int>& used, QString* error) {
    used.clear();
    std::vector<valuation::LocalCell> cells;
    if (!valuation::ReadLocalCells(project, cells, error))
        return false;
    std::set<int> numbers;
    for (const valuation::LocalCell& cell : cells)
        if (cell.factor > 0)
            numbers.insert(cell.factor);
    used.assign(numbers.begin(), numbers.end());
    return true;
}

bool LoadDistrictFactorGrid(Connection& project, const std::vector<QString>& districts,
                            const std::vector<LocalFactor>& catalogue, const std::vector<int>& used,
                            StringGrid& grid, QString* error) {
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

    std::vector<valuation::LocalCell> cells;
    if (!valuation::ReadLocalCells(project, cells, error))
        return false;
    for (const valuation::LocalCell& cell : cells) {
        const int col = columnOf.value(cell.factor, -1);
        const int row = rowOf.value(cell.district, -1);
        if (col >= 0 && row >= 0)
            grid.set(row, col, cell.coefficient);
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
