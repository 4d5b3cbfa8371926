#include "steps/localquarter/QuarterFill.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/Districts.h"
#include "steps/common/Indicators.h"
#include "steps/localquarter/QuarterStatement.h"

#include <QHash>

using namespace QuarterGrid;

namespace {

struct Zone {
    QString number;
    QStringList districts;
};

QuarterFillResult Missing(const QString& what) {
    QuarterFillResult result;
    result.missing = QStringLiteral("Занести з районів неможливо: ") + what;
    return result;
}

// The zones in the order of the zonal table, each with its districts.
bool ReadZones(Connection& project, std::vector<Zone>& zones) {
    Query query(&project);
    if (!RunQuery(query,
                  QStringLiteral("SELECT зони.*, км2.км2, км2.вартість FROM зони LEFT JOIN км2 ON "
                                 "зони.зона=км2.зона ORDER BY cint(км2.зона),cint(км2.район)"),
                  true))
        return false;
    const int zone = query.fieldIndex(QStringLiteral("зона"));
    const int districts = query.fieldIndex(QStringLiteral("райони"));
    QHash<QString, bool> seen;
    for (query.first(); !query.eof(); query.next()) {
        const QString number = query.text(zone).trimmed();
        if (seen.contains(number))
            continue;
        seen.insert(number, true);
        Zone entry{number, {}};
        // "1, 2, 3" as the zonal steps write it; a missing blank is forgiven.
        for (const QString& d : query.text(districts).split(u',', Qt::SkipEmptyParts))
            if (!d.trimmed().isEmpty())
                entry.districts << d.trimmed();
        zones.push_back(entry);
    }
    return true;
}

} // namespace

QuarterFillResult FillStatementFromDistricts(Connection& project, StringGrid& grid) {
    if (ReadDistrictCount(project) <= 0)
        return Missing(
            QStringLiteral("не зазначена кількість районів (крок \"Визначення площ\")."));
    std::vector<District> districts;
    if (!ReadDistricts(project, DistrictOrder::ByNumber, districts))
        return Missing(QStringLiteral("не прочитано райони.\rПодробиці: ") + LastError());
    const Indicators indicators = [&] {
        Indicators read;
        read.read(project);
        return read;
    }();
    if (!(NumberOr0(indicators.value(QStringLiteral("Середня вартість 1 кв м"))) > 0))
        return Missing(QStringLiteral("не визначена середня вартість 1 кв м."));
    if (IntegerOr0(indicators.value(QStringLiteral("Кількість зон"))) <= 0)
        return Missing(QStringLiteral("не визначені зони."));
    std::vector<Zone> zones;
    if (!ReadZones(project, zones))
        return Missing(QStringLiteral("не визначені зони.\rПодробиці: ") + LastError());

    // The local-factor values of each district, in stored order.
    const int factors = grid.colCount() - 1 - FunctionalCol;
    QHash<QString, std::vector<std::pair<int, QString>>> values;
    {
        Query query(&project);
        if (!RunQuery(query, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true) ||
            query.recordCount() == 0)
            return Missing(QStringLiteral("не заповнені локальні фактори."));
        const int district = query.fieldIndex(QStringLiteral("район"));
        const int factor = query.fieldIndex(QStringLiteral("фактор"));
        const int value = query.fieldIndex(QStringLiteral("коефіціент"));
        for (query.first(); !query.eof(); query.next()) {
            const long long k = IntegerOr0(query.text(factor));
            if (k >= 1 && k <= factors)
                values[query.text(district).trimmed()].emplace_back(static_cast<int>(k),
                                                                    query.text(value));
        }
    }

    // The categories of each district, in the order of the functional table.
    QHash<QString, std::vector<const LandUseCategory*>> categories;
    {
        Query query(&project);
        if (!RunQuery(query, QStringLiteral("SELECT * FROM функціональне ORDER BY cint(район)"),
                      true))
            return Missing(
                QStringLiteral("не заповнений розподіл за функціональним використанням."));
        const int district = query.fieldIndex(QStringLiteral("район"));
        std::vector<std::pair<int, const LandUseCategory*>> columns;
        for (const LandUseCategory& c : LandUseCategories())
            if (const int field = query.fieldIndex(QStringLiteral("ф_%1").arg(c.column));
                field >= 0)
                columns.emplace_back(field, &c);
        for (query.first(); !query.eof(); query.next()) {
            auto& list = categories[query.text(district).trimmed()];
            for (const auto& [field, category] : columns) {
                const QString area = query.text(field).trimmed();
                // An area typed as 0 means the district has no such land.
                if (!area.isEmpty() && !(ParseNumber(area) == std::optional<double>(0.0)))
                    list.push_back(category);
            }
        }
    }
    for (const District& d : districts) {
        auto& list = categories[d.number.trimmed()];
        if (list.empty())
            list.push_back(&ResidentialLandUse());
    }

    ClearGrid(grid, 1);
    int made = 0;
    for (const Zone& zone : zones) {
        for (const QString& district : zone.districts) {
            const auto it = categories.constFind(district);
            if (it == categories.cend())
                continue;
            for (const LandUseCategory* category : *it) {
                const int row = grid.fixedRows() + made;
                if (made > 0)
                    grid.setRowCount(row + 1);
                ++made;
                grid.set(row, NumberCol, QString::number(made));
                grid.set(row, ZoneCol, zone.number);
                grid.set(row, DistrictCol, district);
                grid.set(row, NameCol, category->name.toLower());
                grid.set(row, FunctionalCol, FormatFixed(category->kf, 2));
                for (const auto& [k, value] : values.value(district))
                    grid.set(row, factorCol(k), value);
            }
        }
    }
    QuarterFillResult result;
    result.ok = true;
    result.rows = made;
    return result;
}
