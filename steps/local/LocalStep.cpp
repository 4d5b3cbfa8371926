#include "steps/local/LocalStep.h"

#include "valuation/Formulas.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepLayers.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"

#include <QHash>
#include <set>

using namespace LocalGrid;

namespace {

void SetKm3Row(StringGrid& grid, int row) {
    grid.set(row, NumberCol, QStringLiteral("0"));
    grid.set(row, NameCol, QStringLiteral("Км3"));
    grid.set(row, RangeCol, QString());
}

void SetFactorRow(StringGrid& grid, int row, const QString& number, const LocalFactor* factor) {
    grid.set(row, NumberCol, number);
    grid.set(row, NameCol, factor ? factor->name : QString());
    grid.set(row, RangeCol, factor ? factor->rangeText() : QString());
}

// A stored factor number as the grid keys it: "07" and " 7" are factor 7.
QString FactorKey(const QString& stored) {
    const std::optional<long long> number = ParseInteger(stored);
    return number ? QString::number(*number) : stored.trimmed();
}

} // namespace

StringGrid MakeLocalGrid(const std::vector<QString>& districts) {
    StringGrid grid(FirstDistrictCol + static_cast<int>(districts.size()), 2, 1, FirstDistrictCol);
    grid.set(0, NumberCol, QStringLiteral("№"));
    grid.set(0, NameCol, QStringLiteral("Локальні фактори / Райони"));
    grid.set(0, RangeCol, QStringLiteral("Мін. - макс."));
    for (size_t i = 0; i < districts.size(); ++i)
        grid.set(0, FirstDistrictCol + static_cast<int>(i), districts[i]);
    SetKm3Row(grid, 1);
    return grid;
}

void ClearLocalGrid(StringGrid& grid) {
    ClearGrid(grid, 1);
    SetKm3Row(grid, grid.fixedRows());
}

bool HasFactorValues(const StringGrid& grid) {
    for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
        for (int col = FirstDistrictCol; col < grid.colCount(); ++col)
            if (!grid.at(row, col).trimmed().isEmpty())
                return true;
    return false;
}

int Km3Row(const StringGrid& grid) {
    return grid.rowCount() - 1;
}

int DistrictColumn(const StringGrid& grid, const QString& district) {
    for (int col = FirstDistrictCol; col < grid.colCount(); ++col)
        if (grid.at(0, col) == district)
            return col;
    return -1;
}

int RowFactor(const StringGrid& grid, int row) {
    if (row < grid.fixedRows() || row >= Km3Row(grid))
        return 0;
    return static_cast<int>(IntegerOr0(grid.at(row, NumberCol)));
}

void ComputeKm3(StringGrid& grid) {
    const int km3 = Km3Row(grid);
    for (int col = FirstDistrictCol; col < grid.colCount(); ++col) {
        QStringList values;
        for (int row = grid.fixedRows(); row < km3; ++row)
            values << grid.at(row, col);
        grid.set(km3, col, valuation::Km3Of(values).text());
    }
}

bool LoadLocalValues(Connection& project, const std::vector<LocalFactor>& catalogue,
                     StringGrid& grid, QString* error) {
    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true))
        return FailReading(error, QStringLiteral("локальні"));
    QHash<QString, int> columnOf;
    for (int col = grid.colCount() - 1; col >= FirstDistrictCol; --col)
        columnOf.insert(grid.at(0, col), col);
    const int district = query.fieldIndex(QStringLiteral("район"));
    const int factor = query.fieldIndex(QStringLiteral("фактор"));
    const int value = query.fieldIndex(QStringLiteral("коефіціент"));

    // The factors' rows in the order first met; a factor met again later keeps its row.
    QHash<QString, int> rowOf;
    std::vector<std::pair<QString, std::vector<std::pair<int, QString>>>> rows;
    for (query.first(); !query.eof(); query.next()) {
        const QString key = FactorKey(query.text(factor));
        if (key.isEmpty() || key == QStringLiteral("0"))
            continue;
        auto it = rowOf.constFind(key);
        if (it == rowOf.cend()) {
            it = rowOf.insert(key, static_cast<int>(rows.size()));
            rows.emplace_back(key, std::vector<std::pair<int, QString>>{});
        }
        const int col = columnOf.value(query.text(district), -1);
        if (col >= 0)
            rows[static_cast<size_t>(*it)].second.emplace_back(col, query.text(value));
    }

    grid.setRowCount(grid.fixedRows() + static_cast<int>(rows.size()) + 1);
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        grid.clearRow(row);
    int row = grid.fixedRows();
    for (const auto& [key, values] : rows) {
        SetFactorRow(grid, row, key, FindLocalFactor(catalogue, static_cast<int>(IntegerOr0(key))));
        for (const auto& [col, text] : values)
            grid.set(row, col, text);
        ++row;
    }
    SetKm3Row(grid, row);
    ComputeKm3(grid);
    return true;
}

int ApplyWorkingFactors(StringGrid& grid, const std::vector<LocalFactor>& catalogue,
                        const std::vector<WorkingItem>& items) {
    const int checked = ApplyWorkingItems(
        grid, NumberCol, items,
        [&](int row, int index) {
            const QString& key = items[static_cast<size_t>(index)].key;
            SetFactorRow(grid, row, key,
                         FindLocalFactor(catalogue, static_cast<int>(IntegerOr0(key))));
        },
        Km3Row(grid));
    ComputeKm3(grid);
    return checked;
}

QString FactorValue(const StringGrid& grid, int factor, int col) {
    for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
        if (RowFactor(grid, row) == factor)
            return grid.at(row, col);
    return QString();
}

QString LocalTypedTable() {
    return QStringLiteral("локальні");
}

QHash<QString, valuation::TypedMark> TypedLocalMarks(const StringGrid& grid, const StringGrid& base,
                                                     bool fromMap,
                                                     const valuation::TypedValues& before) {
    std::set<int> factors;
    for (const int factor : WorkingFactorNumbers(grid))
        factors.insert(factor);
    for (const int factor : WorkingFactorNumbers(base))
        factors.insert(factor);
    QHash<QString, valuation::TypedMark> marks;
    for (int col = FirstDistrictCol; col < grid.colCount(); ++col) {
        const QString district = grid.at(0, col);
        const int baseCol = DistrictColumn(base, district);
        for (const int factor : factors) {
            const QString value = FactorValue(grid, factor, col).trimmed();
            const QString was =
                baseCol < 0 ? QString() : FactorValue(base, factor, baseCol).trimmed();
            const QString field = QString::number(factor);
            const valuation::TypedMark* mark =
                fromMap ? nullptr : before.mark(LocalTypedTable(), district, field);
            const bool kept = mark && mark->value == value;
            if (value == was && !kept)
                continue;
            // The map's value beside one typed over it; a mark kept keeps its own.
            const QString replaced = fromMap ? was : kept ? mark->computed : QString();
            marks.insert(valuation::MarkKey(district, field),
                         valuation::TypedMark{{}, {}, {}, value, replaced, {}});
        }
    }
    return marks;
}

std::vector<int> WorkingFactorNumbers(const StringGrid& grid) {
    std::vector<int> numbers;
    for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
        if (const int factor = RowFactor(grid, row); factor > 0)
            numbers.push_back(factor);
    return numbers;
}

void CopyDistrictValues(StringGrid& grid, int fromCol, const std::vector<int>& toCols) {
    for (const int col : toCols) {
        if (col == fromCol || col < FirstDistrictCol || col >= grid.colCount())
            continue;
        for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
            grid.set(row, col, grid.at(row, fromCol));
    }
    ComputeKm3(grid);
}

void ClearDistrictValues(StringGrid& grid, int col) {
    if (col < FirstDistrictCol)
        return;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        grid.set(row, col, QString());
    ComputeKm3(grid);
}

bool StoreLocalValues(Connection& project, const StringGrid& grid, QString* error,
                      const QString& folder, const std::vector<valuation::LayerUse>& mapLayers,
                      const StringGrid* typedBase) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!DeleteRows(project, QStringLiteral("локальні")))
                return FailUpdating(failed);
            if (!RecordStepLayers(project, folder, valuation::Step::Local, mapLayers, true, failed))
                return false;
            if (typedBase) {
                valuation::TypedValues before;
                if (!before.read(project, failed) ||
                    !valuation::StoreTypedMarks(
                        project, LocalTypedTable(),
                        TypedLocalMarks(grid, *typedBase, !mapLayers.empty(), before), QString(),
                        failed))
                    return false;
            }
            BulkInsert insert(
                project, QStringLiteral("локальні"),
                {QStringLiteral("район"), QStringLiteral("фактор"), QStringLiteral("коефіціент")});
            if (!insert.ok())
                return FailUpdating(failed);
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
                const QString factor = grid.at(row, NumberCol);
                if (factor.isEmpty() || factor == QStringLiteral("0"))
                    continue;
                for (int col = FirstDistrictCol; col < grid.colCount(); ++col)
                    if (!insert.insert({grid.at(0, col), factor, grid.at(row, col)}))
                        return FailUpdating(failed);
            }
            return true;
        },
        error);
}

StepCheck CheckLocalValues(const StringGrid& grid) {
    std::vector<int> districts;
    for (int col = LocalGrid::FirstDistrictCol; col < grid.colCount(); ++col)
        districts.push_back(col);
    return CheckGridCells(
        grid, QStringLiteral("GridLocalny"), districts,
        [](const QString& text) { return rule::AboveZero(text, QStringLiteral("Коефіцієнт")); },
        [&grid](int row) { return RowFactor(grid, row) <= 0; });
}

QStringList OutOfRangeValues(const StringGrid& grid, const std::vector<LocalFactor>& catalogue) {
    QStringList found;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const LocalFactor* factor = FindLocalFactor(catalogue, RowFactor(grid, row));
        if (!factor)
            continue;
        for (int col = LocalGrid::FirstDistrictCol; col < grid.colCount(); ++col) {
            const QString value = grid.at(row, col).trimmed();
            if (!value.isEmpty() && factor->outOfRange(value))
                found << QStringLiteral("%1, район %2: %3 (%4)")
                             .arg(factor->name, grid.at(0, col), value, factor->rangeText());
        }
    }
    return found;
}
