#include "steps/localquarter/QuarterStatement.h"
#include "steps/localquarter/QuarterFill.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "valuation/LandUse.h"

using namespace QuarterGrid;

StringGrid MakeQuarterGrid(int factors, const QStringList& factorNames) {
    StringGrid grid(factorCol(factors) + 1, 2, 1, 1);
    grid.set(0, NumberCol, QStringLiteral("№"));
    grid.set(0, ZoneCol, QStringLiteral("№ зони"));
    grid.set(0, DistrictCol, QStringLiteral("№ району"));
    grid.set(0, QuartersCol, QStringLiteral("Номери кварталів"));
    grid.set(0, NameCol, QStringLiteral("Назва"));
    grid.set(0, FunctionalCol, QStringLiteral("Значення\r\nфункціон."));
    for (int k = 1; k <= factors; ++k)
        grid.set(0, factorCol(k), factorNames.value(k - 1));
    return grid;
}

bool LoadQuarterStatement(Connection& project, StringGrid& grid, QString* error) {
    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM відомість_кварталів ORDER BY id"), true))
        return FailReading(error, QStringLiteral("відомість_кварталів"));
    const int records = query.recordCount();
    grid.setRowCount(grid.fixedRows() + std::max(records, OpeningRows));
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        grid.clearRow(row);
        grid.set(row, NumberCol, QString::number(row - grid.fixedRows() + 1));
    }
    // Each grid column from the table column of its name (absent ones stay empty).
    std::vector<std::pair<int, int>> columns;
    const QStringList names = {QStringLiteral("id"),    QStringLiteral("зона"),
                               QStringLiteral("район"), QStringLiteral("квартали"),
                               QStringLiteral("назва"), QStringLiteral("функ")};
    for (qsizetype col = 0; col < names.size(); ++col)
        if (const int field = query.fieldIndex(names[col]); field >= 0)
            columns.emplace_back(static_cast<int>(col), field);
    for (int k = 1; factorCol(k) < grid.colCount() && k <= StoredFactors; ++k)
        if (const int field = query.fieldIndex(QStringLiteral("лок_%1").arg(k)); field >= 0)
            columns.emplace_back(factorCol(k), field);
    int row = grid.fixedRows();
    for (query.first(); !query.eof(); query.next(), ++row)
        for (const auto& [col, field] : columns)
            grid.set(row, col, query.text(field));
    return true;
}

bool StoreQuarterStatement(Connection& project, const StringGrid& grid, QString* error) {
    const int factors = std::min(grid.colCount() - 1 - FunctionalCol, StoredFactors);
    QStringList columns{QStringLiteral("id"),    QStringLiteral("зона"),
                        QStringLiteral("район"), QStringLiteral("квартали"),
                        QStringLiteral("назва"), QStringLiteral("функ")};
    for (int k = 1; k <= factors; ++k)
        columns << QStringLiteral("лок_%1").arg(k);
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!DeleteRows(project, QStringLiteral("відомість_кварталів")))
                return FailUpdating(failed);
            BulkInsert insert(project, QStringLiteral("відомість_кварталів"), columns);
            if (!insert.ok())
                return FailUpdating(failed);
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
                const QString number = grid.at(row, NumberCol).trimmed();
                if (number.isEmpty() || number == QStringLiteral("0"))
                    continue;
                // The integer column keeps a number typed as text as a number.
                SqlRow values{number};
                for (int col = ZoneCol; col <= factorCol(factors); ++col)
                    values.emplace_back(grid.at(row, col));
                if (!insert.insert(values))
                    return FailUpdating(failed);
            }
            // What differs from the districts was typed by the valuer: kept by recalculation.
            return MarkTypedStatementCells(project, grid, failed);
        },
        error);
}

void RenumberRows(StringGrid& grid) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        grid.set(row, NumberCol, QString::number(row - grid.fixedRows() + 1));
}

void AddStatementRow(StringGrid& grid, int row) {
    InsertGridRow(grid, std::clamp(row, grid.fixedRows(), grid.rowCount()));
    RenumberRows(grid);
}

void DeleteStatementRow(StringGrid& grid, int row) {
    if (row < grid.fixedRows() || row >= grid.rowCount())
        return;
    DeleteGridRow(grid, row);
    RenumberRows(grid);
}

void ClearStatementRow(StringGrid& grid, int row) {
    for (int col = ZoneCol; col < grid.colCount(); ++col)
        grid.set(row, col, QString());
}

void PasteStatementRow(StringGrid& grid, int row, const QStringList& copied) {
    for (int col = ZoneCol; col < grid.colCount(); ++col)
        grid.set(row, col, copied.value(col));
}

QuarterKfChoices QuarterKfChoicesOf() {
    QuarterKfChoices choices;
    for (const LandUseCategory& category : LandUseCategories()) {
        const QString kf = FormatFixed(category.kf, 2);
        choices.items << kf + QStringLiteral(" — ") + category.name;
        choices.values << kf;
        choices.names << category.name.toLower();
    }
    return choices;
}
