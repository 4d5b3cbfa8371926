// The check of the zonal steps: the indices, Km2 and zone values, the zone list.
#include "valuation/CheckRun.h"

#include "common/StringGrid.h"
#include "common/TextUtils.h"
#include "valuation/Names.h"
#include "valuation/ZonalGrids.h"
#include "valuation/ZonalKm2.h"
#include "valuation/ZonalScores.h"

#include <QSet>

namespace valuation::check {

namespace {

// A row of a district that no longer exists, and a district without a row, mean the
// zoning was made for other districts: the valuer redoes it; recalc cannot.
void RowsWithoutDistrict(CheckRun& run, Step step, const QHash<QString, int>& districtRows,
                         const QHash<QString, int>& storedRow) {
    const QString redo = QStringLiteral("; зональне структурування слід виконати знову");
    QSet<QString> orphans;
    for (const Km2Row& r : run.s.km2)
        if (!districtRows.contains(r.district) && !orphans.contains(r.district)) {
            orphans.insert(r.district);
            run.result.problems.push_back(
                {step, names::table::Km2() + QStringLiteral(", район ") + ShownValue(r.district) +
                           QStringLiteral(": рядок району, якого немає серед районів "
                                          "населеного пункту") +
                           redo});
        }
    for (const District& d : run.s.districts)
        if (!storedRow.contains(d.number))
            run.result.problems.push_back(
                {step, names::table::Km2() + QStringLiteral(", район ") + d.number +
                           QStringLiteral(": район не має рядка") + redo});
}

} // namespace

bool Zonal(CheckRun& run, QString* error) {
    if (run.s.districts.empty() || run.s.km2.empty())
        return true;
    bool grouped = false;
    for (const Km2Row& r : run.s.km2)
        grouped = grouped || !(r.si + r.ei + r.ui + r.ci).isEmpty();
    const ZonalVariant variant = StoredZonalVariant(grouped);
    const Step step = grouped ? Step::ZonalGrouped : Step::ZonalWeighted;
    const ResultColumns cols = ResultColumnsOf(variant);

    StringGrid anketa;
    QStringList factors;
    if (!ReadAnketaGrid(run.db, run.s.districts, anketa, &factors))
        return run.fail(error, QStringLiteral("анкета"));
    StringGrid result = MakeResultGrid(variant, run.s.districts);
    QHash<QString, int> rowOf;
    for (int row = result.fixedRows(); row < result.rowCount(); ++row)
        rowOf.insert(result.at(row, 0), row);
    if (!factors.isEmpty())
        ComputeIndices(variant, anketa, result);
    // The stored zone of each district (its first row); without a questionnaire the
    // stored indices are the inputs of Km2.
    QHash<QString, int> storedRow;
    for (int i = 0; i < static_cast<int>(run.s.km2.size()); ++i) {
        const Km2Row& r = run.s.km2[static_cast<size_t>(i)];
        const auto it = rowOf.constFind(r.district);
        if (it == rowOf.cend() || storedRow.contains(r.district))
            continue;
        storedRow.insert(r.district, i);
        result.set(*it, cols.zone, r.zone);
        if (factors.isEmpty())
            result.set(*it, cols.ii, r.ii);
    }
    const Km2Outcome outcome = ComputeKm2(result, cols, run.population, run.average);
    RowsWithoutDistrict(run, step, rowOf, storedRow);

    const QString table = names::table::Km2();
    for (const District& d : run.s.districts) {
        const auto it = storedRow.constFind(d.number);
        if (it == storedRow.cend())
            continue;
        const Km2Row& r = run.s.km2[static_cast<size_t>(it.value())];
        const long long id = r.rowId;
        const int row = rowOf.value(it.key());
        const QString what = QStringLiteral("район ") + it.key();
        const auto compare = [&](const char* column, const QString& stored, int col) {
            run.cell(step, table, id, QString::fromUtf8(column), what, stored, result.at(row, col));
        };
        compare("площа", r.area, 1);
        if (!factors.isEmpty()) {
            if (grouped) {
                compare("si", r.si, 5);
                compare("ei", r.ei, 10);
                compare("ui", r.ui, 15);
                compare("ci", r.ci, 20);
            } else {
                compare("сума", r.sum, 2);
                compare("середній", r.mean, 3);
                compare("середньозваж", r.weighted, 4);
            }
            compare("іі", r.ii, cols.ii);
        }
        compare("км2", r.km2, cols.km2);
        compare("вартість", r.value, cols.value);
        run.km2OfDistrict.insert(it.key(), result.at(row, cols.km2));
    }
    // Districts stored again further down keep their first row's values for the plots.

    // The zone list, rebuilt from the zones the districts name (descriptions kept).
    StringGrid zones = MakeZoneGrid(static_cast<int>(run.s.zones.size()));
    TableRows zoneRows;
    if (!ReadTableRows(
            run.db, names::table::Zones(),
            {names::column::Zone(), names::column::ZoneDistricts(), names::column::Description()},
            QStringLiteral("id"), zoneRows))
        return run.fail(error, names::table::Zones());
    zones = MakeZoneGrid(static_cast<int>(zoneRows.rows.size()));
    for (size_t i = 0; i < zoneRows.rows.size(); ++i)
        zones.setRowTexts(1 + static_cast<int>(i), zoneRows.rows[i]);
    const int used = RebuildZoneList(result, cols, zones);
    if (used == 0)
        return true;
    run.indicator(step, names::ind::ZoneCount(), QString::number(used));
    run.indicator(step, names::ind::Km2Min(), outcome.minimum);
    run.indicator(step, names::ind::Km2Max(), outcome.maximum);
    QStringList storedList, computedList;
    std::vector<QStringList> rebuilt;
    for (const QStringList& row : zoneRows.rows)
        if (!row[0].isEmpty())
            storedList << row[0] + QStringLiteral(": ") + row[1];
    for (int row = zones.fixedRows(); row < zones.rowCount(); ++row) {
        rebuilt.push_back(zones.rowTexts(row));
        computedList << zones.at(row, 0) + QStringLiteral(": ") + zones.at(row, 1);
    }
    if (storedList != computedList) {
        StaleValue v;
        v.step = step;
        v.what = QStringLiteral("зони: склад зон");
        v.stored = storedList.join(QStringLiteral("; "));
        v.computed = computedList.join(QStringLiteral("; "));
        v.table = names::table::Zones();
        v.rows = std::move(rebuilt);
        run.result.stale.push_back(std::move(v));
    }
    return true;
}

} // namespace valuation::check
