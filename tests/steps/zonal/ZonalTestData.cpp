#include "tests/steps/zonal/ZonalTestData.h"

std::vector<District> TestDistricts(const QStringList& areas) {
    std::vector<District> districts;
    for (qsizetype i = 0; i < areas.size(); ++i)
        districts.push_back(District{QString::number(i + 1), areas[i], QString(), QString()});
    return districts;
}

StringGrid TestAnketa(const std::vector<District>& districts,
                      const std::vector<std::pair<QString, QStringList>>& rows) {
    StringGrid grid = MakeAnketaGrid(districts, static_cast<int>(rows.size()));
    int row = 1;
    for (const auto& [factor, scores] : rows) {
        grid.set(row, AnketaNumberCol, QString::number(row));
        grid.set(row, AnketaFactorCol, factor);
        for (qsizetype i = 0; i < scores.size(); ++i)
            grid.set(row, AnketaFirstDistrictCol + static_cast<int>(i), scores[i]);
        ++row;
    }
    return grid;
}

QStringList DataColumn(const StringGrid& grid, int col) {
    return grid.colTexts(col).mid(grid.fixedRows());
}
