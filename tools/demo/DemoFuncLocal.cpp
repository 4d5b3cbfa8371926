#include "tools/demo/DemoFuncLocal.h"

#include "valuation/ZonalKm2.h"

#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/StepNames.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/Layer.h"
#include "map/MapGlobal.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"
#include "steps/localquarter/QuarterFill.h"
#include "steps/localquarter/QuarterStatement.h"
#include "valuation/Indicators.h"
#include "valuation/Schema.h"

#include <QFileInfo>
#include <algorithm>
#include <map>

namespace {

struct MapDistrict {
    int number = 0;
    int zone = 0;
    double hectares = 0;
};

bool ReadMapDistricts(const QString& folder, std::vector<MapDistrict>& districts, QString* error) {
    QString reason;
    const auto layer = OpenOverlayLayer(
        JoinPath(folder, names::layer::Districts() + QStringLiteral(".tab")), &reason);
    if (!layer)
        return FailWith(error, reason);
    for (const Feature& f : layer->features()) {
        QString number, zone;
        f.value(names::field::Raion(), &number);
        f.value(names::field::Zona(), &zone);
        districts.push_back(MapDistrict{number.toInt(), std::clamp(zone.toInt(), 1, 3),
                                        f.areaSquareMetres() / 10000.0});
    }
    std::sort(districts.begin(), districts.end(),
              [](const MapDistrict& a, const MapDistrict& b) { return a.number < b.number; });
    return true;
}

bool Run(Connection& db, const QString& sql, QString* error) {
    Query q(&db);
    return RunQuery(q, sql, false) || FailWith(error, LastError());
}

// What the areas and zonal steps would have stored, for a demonstration built without them.
bool WritePrerequisites(Connection& db, const std::vector<MapDistrict>& districts, QString* error) {
    Indicators indicators;
    if (!indicators.read(db, error))
        return false;
    if (IntegerOr0(indicators.value(names::ind::DistrictCount())) <= 0) {
        for (const MapDistrict& d : districts)
            if (!Run(db,
                     QStringLiteral("INSERT INTO характеристика (код,показник,значення,значення2) "
                                    "VALUES ('%1','%2','%3','%3|')")
                         .arg(d.number)
                         .arg(names::ind::DistrictRows(), FormatFixed(d.hectares, 4)),
                     error))
                return false;
        if (!WriteIndicator(db, names::ind::DistrictCount(), QString::number(districts.size()),
                            error))
            return false;
    }
    const QString averageName = names::ind::AverageValue();
    double average = NumberOr0(indicators.value(averageName));
    if (!(average > 0)) {
        average = 48.75;
        if (!WriteIndicator(db, averageName, FormatFixed(average, 2), error))
            return false;
    }
    if (IntegerOr0(indicators.value(names::ind::ZoneCount())) > 0)
        return true;
    // The map's three zones (centre, middle ring and outskirts), each district's Іі that of
    // its zone; Km2, the zone values and the zone list come from the model, as the zonal
    // step and a recalculation would make them.
    static const char* const ii[] = {"1.50", "1.20", "0.90"};
    std::vector<District> list;
    for (const MapDistrict& d : districts)
        list.push_back({QString::number(d.number), FormatFixed(d.hectares, 4), {}, {}});
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Weighted);
    StringGrid result = MakeResultGrid(ZonalVariant::Weighted, list);
    for (size_t i = 0; i < districts.size(); ++i) {
        const int row = result.fixedRows() + static_cast<int>(i);
        result.set(row, cols.zone, QString::number(districts[i].zone));
        result.set(row, cols.ii, QString::fromLatin1(ii[districts[i].zone - 1]));
    }
    const Km2Outcome outcome = ComputeKm2(result, cols, indicators.value(names::ind::Population()),
                                          FormatFixed(average, 2));
    for (int row = result.fixedRows(); row < result.rowCount(); ++row)
        if (!Run(db,
                 QStringLiteral("INSERT INTO км2 (район, площа, іі, км2, вартість, зона) VALUES "
                                "('%1','%2','%3','%4','%5','%6')")
                     .arg(result.at(row, 0), result.at(row, 1), result.at(row, cols.ii),
                          result.at(row, cols.km2), result.at(row, cols.value),
                          result.at(row, cols.zone)),
                 error))
            return false;
    StringGrid zones = MakeZoneGrid(1);
    const int used = RebuildZoneList(result, cols, zones);
    for (int row = zones.fixedRows(); row < zones.rowCount(); ++row)
        if (!Run(db,
                 QStringLiteral("INSERT INTO зони (зона, райони, опис) VALUES ('%1','%2','')")
                     .arg(zones.at(row, ZoneNumberCol), zones.at(row, ZoneDistrictsCol)),
                 error))
            return false;
    return WriteIndicator(db, names::ind::ZoneCount(), QString::number(used), error) &&
           WriteIndicator(db, names::ind::Km2Min(), outcome.minimum, error) &&
           WriteIndicator(db, names::ind::Km2Max(), outcome.maximum, error);
}

bool WriteFunctional(const QString& folder, Connection& db, const std::vector<QString>& districts,
                     QString* error) {
    const FunctionalOverlayResult measured = MeasureFunctionalAreas(folder);
    if (!measured.ok)
        return FailWith(error, measured.error);
    StringGrid grid = MakeFunctionalGrid(districts, static_cast<int>(districts.size()));
    ApplyFunctionalAreas(grid, measured.areas);
    valuation::UpgradeSettlementDatabase(db);
    return StoreFunctional(db, grid, error, folder, measured.layers);
}

bool WriteLocal(const QString& folder, Connection& db, const std::vector<LocalFactor>& catalogue,
                const std::vector<QString>& districts, QString* error) {
    const LocalOverlayResult found =
        CollectLocalFactors(folder, static_cast<int>(catalogue.size()));
    if (!found.ok)
        return FailWith(error, found.error);
    std::vector<WorkingItem> items;
    for (const LocalFactor& f : catalogue)
        items.push_back(WorkingItem{QString::number(f.number), false});
    StringGrid grid = MakeLocalGrid(districts);
    ApplyLocalOverlay(grid, catalogue, found, items);
    if (!StoreLocalValues(db, grid, error, folder, found.layers))
        return false;
    // "Поновити км3 районів на мапі".
    QString reason;
    const auto map =
        Layer::open(JoinPath(folder, names::layer::Districts() + QStringLiteral(".tab")),
                    names::layer::Districts(), &reason);
    return (map && WriteKm3ToDistricts(*map, grid, &reason)) || FailWith(error, reason);
}

bool WriteQuarters(Connection& db, const std::vector<LocalFactor>& catalogue, QString* error) {
    valuation::UpgradeSettlementDatabase(db);
    QStringList names;
    for (const LocalFactor& f : catalogue)
        names << f.name;
    StringGrid grid = MakeQuarterGrid(static_cast<int>(catalogue.size()), names);
    const QuarterFillResult filled = FillStatementFromDistricts(db, grid);
    if (!filled.ok)
        return FailWith(error, filled.missing);
    // Quarters numbered through the village, two to four for each row.
    int next = 1;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const int count = 2 + row % 3;
        grid.set(row, QuarterGrid::QuartersCol,
                 QStringLiteral("%1-%2").arg(next).arg(next + count - 1));
        next += count;
    }
    return StoreQuarterStatement(db, grid, error);
}

} // namespace

bool WriteDemoFunctionalLocal(const QString& appDir, const QString& folder, Connection& settlement,
                              QString* error) {
    std::vector<MapDistrict> mapDistricts;
    if (!ReadMapDistricts(folder, mapDistricts, error) ||
        !WritePrerequisites(settlement, mapDistricts, error))
        return false;
    std::vector<District> districts;
    if (!ReadDistricts(settlement, DistrictOrder::AsStored, districts, true, error))
        return false;

    Connection catalogueDb;
    if (!catalogueDb.open(JoinPath(appDir, QStringLiteral("baza.sqlite"))))
        return FailWith(error, catalogueDb.errorText());
    std::vector<LocalFactor> catalogue;
    if (!ReadLocalCatalogue(catalogueDb, catalogue, error))
        return false;

    const std::vector<QString> numbers = DistrictNumbers(districts);
    return WriteFunctional(folder, settlement, numbers, error) &&
           WriteLocal(folder, settlement, catalogue, numbers, error) &&
           WriteQuarters(settlement, catalogue, error);
}
