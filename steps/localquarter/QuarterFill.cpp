#include "steps/localquarter/QuarterFill.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/localquarter/QuarterStatement.h"
#include "valuation/Recompute.h"
#include "valuation/Settlement.h"
#include "valuation/StepNames.h"
#include "valuation/Typed.h"

#include <QHash>
#include <QSet>
#include <algorithm>

using namespace QuarterGrid;

namespace {

QuarterFillResult Missing(const QString& what) {
    QuarterFillResult result;
    result.missing = QStringLiteral("Занести з районів неможливо: ") + what;
    return result;
}

} // namespace

QuarterFillResult FillStatementFromDistricts(Connection& project, StringGrid& grid) {
    valuation::Settlement settlement;
    QString error;
    if (!valuation::ReadSettlement(project, settlement, &error))
        return Missing(QStringLiteral("не прочитано дані населеного пункту.\rПодробиці: ") + error);
    if (settlement.districts.empty())
        return Missing(
            QStringLiteral("не зазначена кількість районів (крок \"Визначення площ\")."));
    if (!(settlement.averageValue() > 0))
        return Missing(QStringLiteral("не визначена середня вартість 1 кв м."));
    if (IntegerOr0(settlement.indicator(names::ind::ZoneCount())) <= 0)
        return Missing(QStringLiteral("не визначені зони."));
    if (settlement.local.empty())
        return Missing(QStringLiteral("не заповнені локальні фактори."));
    if (!settlement.hasFunctional)
        return Missing(QStringLiteral("не заповнений розподіл за функціональним використанням."));

    const int factors = grid.colCount() - 1 - FunctionalCol;
    ClearGrid(grid, 1);
    int made = 0;
    for (const valuation::Zone& zone : settlement.zones) {
        for (const QString& district : zone.districts) {
            for (const LandUseCategory* category : settlement.landUse(district)) {
                const int row = grid.fixedRows() + made;
                if (made > 0)
                    grid.setRowCount(row + 1);
                ++made;
                grid.set(row, NumberCol, QString::number(made));
                grid.set(row, ZoneCol, zone.number);
                grid.set(row, DistrictCol, district);
                grid.set(row, NameCol, category->name.toLower());
                grid.set(row, FunctionalCol, FormatFixed(category->kf, 2));
                for (const valuation::LocalCell* cell : settlement.localCells(district))
                    if (cell->factor >= 1 && cell->factor <= factors)
                        if (const std::optional<QString> taken =
                                valuation::StatementCoefficient(cell->coefficient))
                            grid.set(row, factorCol(cell->factor), *taken);
            }
        }
    }
    QuarterFillResult result;
    result.ok = true;
    result.rows = made;
    return result;
}

namespace {

/** Walks the statement's cells that follow their districts: (row, column, key, field, value). */
template <class Visit>
bool ForEachDistrictCell(Connection& project, const StringGrid& grid, QString* error, Visit visit) {
    valuation::Settlement settlement;
    if (!valuation::ReadSettlement(project, settlement, error))
        return false;
    QSet<QString> known, withFactors;
    for (const District& d : settlement.districts)
        known.insert(d.number);
    for (const valuation::LocalCell& c : settlement.local)
        withFactors.insert(c.district);
    const int factors = std::min(grid.colCount() - 1 - FunctionalCol, StoredFactors);
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString key = grid.at(row, NumberCol).trimmed();
        const QString district = grid.at(row, DistrictCol).trimmed();
        if (key.isEmpty() || !known.contains(district))
            continue;
        if (const std::optional<double> kf = valuation::KfOfName(grid.at(row, NameCol)))
            visit(row, FunctionalCol, key, QStringLiteral("функ"), FormatFixed(*kf, 2));
        if (!withFactors.contains(district))
            continue;
        for (int k = 1; k <= factors; ++k)
            if (const std::optional<QString> taken =
                    valuation::StatementCoefficient(settlement.localCoefficient(district, k)))
                visit(row, factorCol(k), key, QStringLiteral("лок_%1").arg(k), *taken);
    }
    return true;
}

} // namespace

bool RefreshStatementFromDistricts(Connection& project, StringGrid& grid, bool replaceTyped,
                                   StatementRefresh& refresh, QString* error) {
    refresh = StatementRefresh{};
    valuation::TypedValues typed;
    if (!typed.read(project, error))
        return false;
    const QString table = QStringLiteral("відомість_кварталів");
    return ForEachDistrictCell(
        project, grid, error,
        [&](int row, int col, const QString& key, const QString& field, const QString& value) {
            const QString stored = grid.at(row, col);
            if (stored == value ||
                (field == QStringLiteral("функ") && ParseNumber(stored) == ParseNumber(value)))
                return;
            const QString line = QStringLiteral("рядок ") + key + QStringLiteral(", ") + field +
                                 QStringLiteral(": ") + stored + QStringLiteral(" → ") + value;
            const bool wasTyped = typed.isTyped(table, key, field, stored);
            // A typed cell whose district value is the one it was typed over: nothing changed
            // for it, so there is nothing to ask.
            const valuation::TypedMark* mark = wasTyped ? typed.mark(table, key, field) : nullptr;
            if (mark && !mark->computed.isEmpty() &&
                (mark->computed == value || (field == QStringLiteral("функ") &&
                                             ParseNumber(mark->computed) == ParseNumber(value))))
                return;
            if (wasTyped)
                refresh.typed << line;
            if (wasTyped && !replaceTyped)
                return;
            refresh.changed << line;
            grid.set(row, col, value);
        });
}

bool MarkTypedStatementCells(Connection& project, const StringGrid& grid, QString* error) {
    QHash<QString, valuation::TypedMark> marks;
    const bool read = ForEachDistrictCell(
        project, grid, error,
        [&](int row, int col, const QString& key, const QString& field, const QString& value) {
            const QString stored = grid.at(row, col);
            // With the district's value it replaced: the step asks again only when that changes.
            if (stored != value &&
                !(field == QStringLiteral("функ") && ParseNumber(stored) == ParseNumber(value)))
                marks.insert(valuation::MarkKey(key, field),
                             valuation::TypedMark{{}, {}, {}, stored, value, {}});
        });
    return read && valuation::StoreTypedMarks(project, QStringLiteral("відомість_кварталів"), marks,
                                              QString(), error);
}
