#include "steps/functional/FunctionalStep.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepLayers.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"
#include "valuation/Names.h"

#include <QHash>

StringGrid MakeFunctionalGrid(const std::vector<QString>& districts, int rows) {
    StringGrid grid(1 + FunctionalCategoryCount(), 1 + std::max(rows, 1), 1, 1);
    grid.set(0, 0, QStringLiteral("№ оцін. р-ну"));
    for (int k = 1; k <= FunctionalCategoryCount(); ++k)
        grid.set(0, k, FunctionalCategories()[static_cast<size_t>(k - 1)].caption);
    for (int i = 0; i < rows && i < static_cast<int>(districts.size()); ++i)
        grid.set(1 + i, 0, districts[static_cast<size_t>(i)]);
    return grid;
}

bool LoadFunctional(Connection& project, StringGrid& grid, QString* error) {
    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM функціональне ORDER BY id"), true))
        return FailReading(error, names::table::Functional());
    QHash<QString, int> rowOf;
    for (int row = grid.rowCount() - 1; row >= grid.fixedRows(); --row)
        if (!grid.at(row, 0).isEmpty())
            rowOf.insert(grid.at(row, 0), row);
    const int district = query.fieldIndex(QStringLiteral("район"));
    std::vector<int> columns;
    for (int k = 1; k <= FunctionalCategoryCount(); ++k)
        columns.push_back(query.fieldIndex(QStringLiteral("ф_%1").arg(k)));
    int read = 0;
    const int limit = grid.rowCount() - grid.fixedRows();
    for (query.first(); !query.eof() && read < limit; query.next(), ++read) {
        const int row = rowOf.value(query.text(district), -1);
        if (row < 0)
            continue;
        for (int k = 1; k <= FunctionalCategoryCount(); ++k)
            grid.set(row, k, query.text(columns[static_cast<size_t>(k - 1)]));
    }
    return true;
}

QHash<QString, valuation::TypedMark> TypedFunctionalMarks(const StringGrid& grid,
                                                          const StringGrid& base, bool fromMap,
                                                          const valuation::TypedValues& before) {
    QHash<QString, int> baseRow;
    for (int row = base.fixedRows(); row < base.rowCount(); ++row)
        if (!base.at(row, 0).isEmpty() && !baseRow.contains(base.at(row, 0)))
            baseRow.insert(base.at(row, 0), row);
    const QString table = names::table::Functional();
    QHash<QString, valuation::TypedMark> marks;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString district = grid.at(row, 0);
        if (district.isEmpty())
            continue;
        const int from = baseRow.value(district, -1);
        for (int k = 1; k <= FunctionalCategoryCount(); ++k) {
            const QString value = grid.at(row, k);
            const QString was = from < 0 ? QString() : base.at(from, k);
            const QString field = QStringLiteral("ф_%1").arg(k);
            const valuation::TypedMark* mark =
                fromMap ? nullptr : before.mark(table, district, field);
            const bool kept = mark && mark->value == value;
            if (value == was && !kept)
                continue;
            // The map's area beside one typed over it; a mark kept keeps its own.
            const QString replaced = fromMap ? was : kept ? mark->computed : QString();
            marks.insert(valuation::MarkKey(district, field),
                         valuation::TypedMark{{}, {}, {}, value, replaced, {}});
        }
    }
    return marks;
}

bool StoreFunctional(Connection& project, const StringGrid& grid, QString* error,
                     const QString& folder, const std::vector<valuation::LayerUse>& mapLayers,
                     const StringGrid* typedBase) {
    QStringList columns{QStringLiteral("район")};
    for (int k = 1; k <= FunctionalCategoryCount(); ++k)
        columns << QStringLiteral("ф_%1").arg(k);
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!DeleteRows(project, names::table::Functional()))
                return FailUpdating(failed);
            if (!RecordStepLayers(project, folder, valuation::Step::Functional, mapLayers, true,
                                  failed))
                return false;
            if (typedBase) {
                valuation::TypedValues before;
                if (!before.read(project, failed) ||
                    !valuation::StoreTypedMarks(
                        project, names::table::Functional(),
                        TypedFunctionalMarks(grid, *typedBase, !mapLayers.empty(), before),
                        QString(), failed))
                    return false;
            }
            BulkInsert insert(project, names::table::Functional(), columns);
            if (!insert.ok())
                return FailUpdating(failed);
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
                const QString district = grid.at(row, 0);
                if (district.isEmpty())
                    continue;
                // Empty cells are stored as NULL, as if only the typed areas were set.
                SqlRow values{district};
                for (int k = 1; k <= FunctionalCategoryCount(); ++k)
                    values.push_back(NullIfEmpty(grid.at(row, k)));
                if (!insert.insert(values))
                    return FailUpdating(failed);
            }
            return true;
        },
        error);
}

StepCheck CheckFunctional(const StringGrid& grid) {
    std::vector<int> areas;
    for (int k = 1; k <= FunctionalCategoryCount(); ++k)
        areas.push_back(k);
    return CheckGridCells(grid, QStringLiteral("GridFunks"), areas, [](const QString& text) {
        return rule::NotNegative(text, QStringLiteral("Площа"));
    });
}

QStringList OversizedDistricts(const StringGrid& grid, const std::vector<District>& districts) {
    QHash<QString, double> areaOf;
    for (const District& d : districts)
        if (const std::optional<double> area = ParseNumber(d.area))
            areaOf.insert(d.number.trimmed(), *area);
    QStringList found;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString number = grid.at(row, 0).trimmed();
        if (!areaOf.contains(number))
            continue;
        double sum = 0;
        for (int k = 1; k <= FunctionalCategoryCount(); ++k)
            sum += NumberOr0(grid.at(row, k));
        // Compared as shown, to 4 decimals.
        if (RoundTo(sum, 4) > RoundTo(areaOf.value(number), 4))
            found << QStringLiteral("район %1: сума %2 га, площа району %3 га")
                         .arg(number, FormatFixed(sum, 4), FormatFixed(areaOf.value(number), 4));
    }
    return found;
}
