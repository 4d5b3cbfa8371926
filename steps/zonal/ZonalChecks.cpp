#include "steps/zonal/ScoreChecks.h"

#include "steps/common/StepRules.h"

StepCheck CheckScores(const StringGrid& anketa) {
    std::vector<int> districts;
    for (int col = 2; col < anketa.colCount(); ++col)
        districts.push_back(col);
    return CheckGridCells(
        anketa, QStringLiteral("GridAnketa"), districts,
        [](const QString& text) {
            return rule::WholeWithin(text, 1, MaxScore, QStringLiteral("Бал"));
        },
        [&anketa](int row) { return anketa.at(row, 0).trimmed().isEmpty(); });
}
