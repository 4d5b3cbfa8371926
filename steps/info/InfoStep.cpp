#include "steps/info/InfoStep.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

QString InfoAreaName() {
    return QStringLiteral("Загальна площа, га");
}
QString InfoPopulationName() {
    return QStringLiteral("Чисельність населення, тис. чол.");
}

StringGrid MakeInfoGrid() {
    StringGrid grid(2, 1, 1, 0);
    grid.set(0, 0, QStringLiteral("Показник"));
    grid.set(0, 1, QStringLiteral("Значення"));
    return grid;
}

bool LoadInfoRows(Connection& project, StringGrid& grid, QString* error) {
    Query query(&project);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM показники ORDER BY id"), true))
        return FailReading(error, QStringLiteral("Показники"));
    const int name = query.fieldIndex(QStringLiteral("показник"));
    const int value = query.fieldIndex(QStringLiteral("значення"));
    grid.setRowCount(grid.fixedRows() + query.recordCount());
    int row = grid.fixedRows();
    Indicators indicators;
    if (!indicators.read(project, error))
        return false;
    for (query.first(); !query.eof(); query.next(), ++row) {
        grid.set(row, 0, query.text(name));
        grid.set(row, 1, query.text(value));
        // The total area is the areas step's: the list shows what that step stored; an empty
        // population row shows the indicator the later steps read.
        const QString shown =
            query.text(name) == InfoAreaName() ? indicators.value(names::ind::TotalArea())
            : query.text(name) == InfoPopulationName() && query.text(value).isEmpty()
                ? indicators.value(names::ind::Population())
                : QString();
        if (!shown.isEmpty())
            grid.set(row, 1, shown);
    }
    if (grid.rowCount() > grid.fixedRows())
        grid.setCurrent(grid.fixedRows(), 1);
    return true;
}

StepCheck ValidateInfoRows(StringGrid& grid) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString name = grid.at(row, 0);
        if (name != InfoAreaName() && name != InfoPopulationName())
            continue;
        const QString value = grid.at(row, 1);
        if (value.isEmpty())
            continue;
        const std::optional<double> number =
            ParseNumber(value.trimmed().replace(u',', u'.').trimmed());
        if (!number) {
            grid.setCurrent(row, 1);
            return CellIssue(QStringLiteral("ListBoxData"), row, 1,
                             u'"' + name + QStringLiteral("\" має бути числом."));
        }
        grid.set(row, 1, FormatFixed(*number, 4));
    }
    return std::nullopt;
}

namespace {

/** A row added and left blank is not a fact. */
bool BlankRow(const StringGrid& grid, int row) {
    return grid.at(row, 0).trimmed().isEmpty() && grid.at(row, 1).trimmed().isEmpty();
}

} // namespace

bool StoreInfoRows(Connection& project, const StringGrid& grid, QString* error) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!ReplaceGridRows(project, QStringLiteral("показники"), {},
                                 {QStringLiteral("показник"), QStringLiteral("значення")}, grid,
                                 [&grid](int row) {
                                     return BlankRow(grid, row)
                                                ? SqlRow()
                                                : SqlRow{grid.at(row, 0), grid.at(row, 1)};
                                 }))
                return FailUpdating(failed);
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
                const QString name = grid.at(row, 0);
                const QString value = grid.at(row, 1);
                if (BlankRow(grid, row))
                    continue;
                // The indicator row is created when a settlement lacks it, so the value always
                // reaches the later steps.
                const QString indicator = name == InfoAreaName()         ? names::ind::TotalArea()
                                          : name == InfoPopulationName() ? names::ind::Population()
                                                                         : QString();
                // "Визначення площ" owns the total area: the list fills it only while it is empty,
                // and an empty row never wipes it.
                if (indicator == names::ind::TotalArea() &&
                    (value.trimmed().isEmpty() ||
                     !ReadIndicator(project, names::ind::TotalArea()).trimmed().isEmpty()))
                    continue;
                if (!indicator.isEmpty() && !WriteIndicator(project, indicator, value, failed))
                    return false;
            }
            return true;
        },
        error);
}

QString StoredInfoArea(Connection& project) {
    return ReadIndicator(project, names::ind::TotalArea()).trimmed();
}

StepCheck CheckInfoArea(const StringGrid& grid, const QString& storedArea) {
    if (storedArea.isEmpty())
        return std::nullopt;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString value = grid.at(row, 1).trimmed();
        if (grid.at(row, 0) != InfoAreaName() || value.isEmpty() || value == storedArea ||
            ParseNumber(value) == ParseNumber(storedArea))
            continue;
        return CellIssue(QStringLiteral("ListBoxData"), row, 1,
                         QStringLiteral("Загальну площу задає крок \"Визначення площ\" (зараз ") +
                             storedArea + QStringLiteral(" га); змініть її там."));
    }
    return std::nullopt;
}
