#include "steps/common/StepRules.h"

#include "common/StringGrid.h"
#include "common/TextUtils.h"

namespace rule {

QString NotNegative(const QString& text, const QString& what) {
    if (text.trimmed().isEmpty())
        return QString();
    const std::optional<double> value = ParseNumber(text);
    return value && *value >= 0 ? QString()
                                : what + QStringLiteral(" має бути числом, не меншим за 0.");
}

QString AboveZero(const QString& text, const QString& what) {
    if (text.trimmed().isEmpty())
        return QString();
    const std::optional<double> value = ParseNumber(text);
    return value && *value > 0 ? QString()
                               : what + QStringLiteral(" має бути числом, більшим за 0.");
}

QString NotEmpty(const QString& text, const QString& what) {
    return text.trimmed().isEmpty() ? QStringLiteral("Вкажіть ") + what + u'.' : QString();
}

QString WholeWithin(const QString& text, long long min, long long max, const QString& what) {
    if (text.trimmed().isEmpty())
        return QString();
    const std::optional<long long> value = ParseInteger(text);
    if (value && *value >= min && *value <= max)
        return QString();
    return QStringLiteral("%1 має бути цілим числом від %2 до %3.").arg(what).arg(min).arg(max);
}

} // namespace rule

StepCheck CheckGridCells(const StringGrid& grid, const QString& gridName,
                         const std::vector<int>& columns,
                         const std::function<QString(const QString&)>& rule,
                         const std::function<bool(int row)>& skipRow) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        if (skipRow && skipRow(row))
            continue;
        for (int col : columns)
            if (const QString text = rule(grid.at(row, col)); !text.isEmpty())
                return CellIssue(gridName, row, col, text);
    }
    return std::nullopt;
}
