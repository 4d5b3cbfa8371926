#include "steps/zonal/ZonalStore.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

bool Positive(const QString& text) {
    const std::optional<double> value = ParseNumber(text);
    return value && *value > 0;
}

} // namespace

ZonalOpening ReadZonalSettlement(Connection& project, ZonalSettlement& settlement,
                                 QString* message) {
    Indicators indicators;
    if (!indicators.read(project, message))
        return ZonalOpening::Failed;
    const std::optional<long long> count =
        ParseInteger(indicators.value(names::ind::DistrictCount()).trimmed());
    if (!count || *count <= 0 || *count > MaxDistrictCount) {
        *message = count && *count > MaxDistrictCount ? DistrictCountProblem(project)
                                                      : DistrictCountMissingText();
        return ZonalOpening::Refused;
    }
    settlement.zoneCount = static_cast<int>(
        ParseInteger(indicators.value(names::ind::ZoneCount()).trimmed()).value_or(0));
    if (!ReadDistricts(project, DistrictOrder::ByNumber, settlement.districts, true, message))
        return ZonalOpening::Failed;
    settlement.averageValue = indicators.value(names::ind::AverageValue());
    if (!Positive(settlement.averageValue)) {
        *message = QStringLiteral(
            "Середня вартість не зазначена. Зробіть це в кроці \"Середня вартість\".");
        return ZonalOpening::Refused;
    }
    settlement.population = indicators.value(names::ind::Population());
    if (!Positive(settlement.population)) {
        *message = QStringLiteral(
            "Чисельність населення не зазначена. Зробіть це в кроці \"Інформація\".");
        return ZonalOpening::Refused;
    }
    settlement.km2Min = indicators.value(names::ind::Km2Min());
    settlement.km2Max = indicators.value(names::ind::Km2Max());
    return ZonalOpening::Ready;
}

namespace {

bool Select(Query& q, const QString& table, QString* error) {
    return RunQuery(q, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY id"),
                    true) ||
           FailReading(error, table);
}

bool LoadAnketa(Connection& project, const std::vector<District>& districts, ZonalTables& tables,
                QString* error) {
    QStringList names;
    if (!ReadAnketaGrid(project, districts, tables.anketa, &names, error))
        return false;
    tables.hasAnketa = !names.isEmpty();
    const QSet<QString> scored(names.cbegin(), names.cend());

    for (WorkingItem& item : tables.factors)
        item.checked = scored.contains(item.key);
    // A factor scored but missing from the list is listed, so it can be unchecked.
    for (const QString& name : names) {
        bool listed = false;
        for (const WorkingItem& item : tables.factors)
            listed = listed || item.key == name;
        if (!listed)
            tables.factors.push_back(WorkingItem{name, true});
    }
    return true;
}

} // namespace

bool LoadZonalTables(Connection& project, ZonalVariant variant, const ZonalSettlement& settlement,
                     ZonalTables& tables, QString* error) {
    Query q(&project);
    if (!Select(q, QStringLiteral("експертні_фактори"), error))
        return false;
    tables.factors.clear();
    const int name = q.fieldIndex(QStringLiteral("назва"));
    for (q.first(); !q.eof(); q.next())
        tables.factors.push_back(WorkingItem{q.text(name), false});
    q.close();

    if (!LoadAnketa(project, settlement.districts, tables, error))
        return false;

    tables.result = MakeResultGrid(variant, settlement.districts);
    if (tables.hasAnketa)
        tables.indices = ComputeIndices(variant, tables.anketa, tables.result);

    if (!Select(q, names::table::Km2(), error))
        return false;
    const ResultColumns cols = ResultColumnsOf(variant);
    QHash<QString, int> rowOf;
    for (int row = tables.result.fixedRows(); row < tables.result.rowCount(); ++row)
        if (!rowOf.contains(tables.result.at(row, 0)))
            rowOf.insert(tables.result.at(row, 0), row);
    const int district = q.fieldIndex(QStringLiteral("район"));
    const int km2 = q.fieldIndex(QStringLiteral("км2"));
    const int value = q.fieldIndex(QStringLiteral("вартість"));
    const int zone = q.fieldIndex(QStringLiteral("зона"));
    const int grouped[] = {q.fieldIndex(QStringLiteral("si")), q.fieldIndex(QStringLiteral("ei")),
                           q.fieldIndex(QStringLiteral("ui")), q.fieldIndex(QStringLiteral("ci"))};
    bool anyGroupedIndex = false;
    tables.storedVariant.reset();
    for (q.first(); !q.eof(); q.next()) {
        for (int field : grouped)
            anyGroupedIndex = anyGroupedIndex || (field >= 0 && !q.text(field).isEmpty());
        tables.storedVariant = StoredZonalVariant(anyGroupedIndex);
        // By the district's number, so a changed district list never moves a zone; the first
        // record of a district counts (0 is the heading row: no such district).
        const int row = rowOf.take(q.text(district));
        if (row < tables.result.fixedRows())
            continue;
        tables.result.set(row, cols.km2, q.text(km2));
        tables.result.set(row, cols.value, q.text(value));
        tables.result.set(row, cols.zone, q.text(zone));
    }
    q.close();

    if (!Select(q, names::table::Zones(), error))
        return false;
    tables.zones = MakeZoneGrid(std::max(settlement.zoneCount, q.recordCount()));
    const int zoneNumber = q.fieldIndex(names::column::Zone());
    const int districts = q.fieldIndex(names::column::ZoneDistricts());
    const int description = q.fieldIndex(names::column::Description());
    int row = tables.zones.fixedRows();
    for (q.first(); !q.eof(); q.next(), ++row)
        tables.zones.setRowTexts(row, {q.text(zoneNumber), q.text(districts), q.text(description)});
    return true;
}

namespace {

/** Empties a table and prepares the INSERT of its rows; false with `error` saying why. */
bool Replace(Connection& project, std::optional<BulkInsert>& insert, const QString& table,
             const QStringList& columns, QString* error) {
    if (!DeleteRows(project, table))
        return FailUpdating(error);
    insert.emplace(project, table, columns);
    return insert->ok() || FailUpdating(error);
}

/** The texts of a row as values, every one a text (empty ones too). */
SqlRow Texts(const QStringList& texts) {
    return SqlRowOf(texts, EmptyCell::Text);
}

/** The values of "км2" of a result row, in the order of its columns. */
QStringList Km2Values(ZonalVariant variant, const StringGrid& result, int row) {
    const ResultColumns cols = ResultColumnsOf(variant);
    const auto at = [&](int col) { return result.at(row, col); };
    if (variant == ZonalVariant::Weighted)
        return {at(0),        at(1),          at(2),        at(3),     at(4),
                QString(),    QString(),      QString(),    QString(), at(cols.ii),
                at(cols.km2), at(cols.value), at(cols.zone)};
    return {at(0),  at(1),  QString(),   QString(),    QString(),      at(5),        at(10),
            at(15), at(20), at(cols.ii), at(cols.km2), at(cols.value), at(cols.zone)};
}

} // namespace

bool StoreZonal(Connection& project, ZonalVariant variant, const std::vector<WorkingItem>& factors,
                const StringGrid& anketa, const StringGrid& result, const StringGrid& zones,
                const ZonalIndicators& indicators, QString* error) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            std::optional<BulkInsert> insert;
            if (!Replace(project, insert, QStringLiteral("експертні_фактори"),
                         {QStringLiteral("назва")}, failed))
                return false;
            for (const WorkingItem& item : factors)
                if (!insert->insert(Texts({item.key})))
                    return FailUpdating(failed);

            // Factor by factor, district by district, so id order keeps a factor's rows together.
            if (!Replace(
                    project, insert, QStringLiteral("анкета"),
                    {QStringLiteral("район"), QStringLiteral("фактор"), QStringLiteral("оцінка")},
                    failed))
                return false;
            for (int row = anketa.fixedRows(); row < anketa.rowCount(); ++row) {
                if (anketa.at(row, AnketaNumberCol).isEmpty())
                    continue;
                const QString factor = anketa.at(row, AnketaFactorCol);
                for (int col = AnketaFirstDistrictCol; col < anketa.colCount(); ++col)
                    if (!insert->insert(Texts({anketa.at(0, col), factor, anketa.at(row, col)})))
                        return FailUpdating(failed);
            }

            if (!Replace(project, insert, names::table::Km2(),
                         {QStringLiteral("район"), QStringLiteral("площа"), QStringLiteral("сума"),
                          QStringLiteral("середній"), QStringLiteral("середньозваж"),
                          QStringLiteral("si"), QStringLiteral("ei"), QStringLiteral("ui"),
                          QStringLiteral("ci"), QStringLiteral("іі"), QStringLiteral("км2"),
                          QStringLiteral("вартість"), QStringLiteral("зона")},
                         failed))
                return false;
            for (int row = result.fixedRows(); row < result.rowCount(); ++row)
                if (!result.at(row, 0).isEmpty() &&
                    !insert->insert(Texts(Km2Values(variant, result, row))))
                    return FailUpdating(failed);

            if (!Replace(project, insert, names::table::Zones(),
                         {names::column::Zone(), names::column::ZoneDistricts(),
                          names::column::Description()},
                         failed))
                return false;
            for (int row = zones.fixedRows(); row < zones.rowCount(); ++row)
                if (!zones.at(row, ZoneNumberCol).isEmpty() &&
                    !insert->insert(
                        Texts({zones.at(row, ZoneNumberCol), zones.at(row, ZoneDistrictsCol),
                               zones.at(row, ZoneDescriptionCol)})))
                    return FailUpdating(failed);
            insert.reset();

            return WriteIndicator(project, names::ind::ZoneCount(), indicators.zoneCount, failed) &&
                   WriteIndicator(project, names::ind::Km2Min(), indicators.km2Min, failed) &&
                   WriteIndicator(project, names::ind::Km2Max(), indicators.km2Max, failed);
        },
        error);
}
