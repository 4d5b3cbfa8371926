#include "tools/demo/DemoZonal.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "steps/common/StepLayers.h"
#include "steps/zonal/WorkingFactors.h"
#include "steps/zonal/ZonalMap.h"
#include "steps/zonal/ZonalStore.h"
#include "valuation/Names.h"

#include <QHash>
#include <algorithm>

namespace {

/** A district of the map: its number and zone. */
struct MapDistrict {
    QString number;
    QString zone;
};

/** The working factors, two of each group, with the score of each zone (centre first). */
struct DemoFactor {
    const char* name;
    int byZone[3];
};
const DemoFactor Factors[] = {
    {"Доступність до центру населеного пункту", {5, 4, 2}},
    {"Доступність до зупинок суспільного транспорту", {5, 4, 3}},
    {"Рівень чистоти повітря", {3, 4, 5}},
    {"Рівень зашумленості", {2, 4, 5}},
    {"Рівень газопостачання", {5, 4, 2}},
    {"Рівень водопостачання", {5, 3, 2}},
    {"Забезпечення магазинами", {5, 3, 2}},
    {"Забезпечення школами", {5, 4, 3}},
};

const char* const Descriptions[] = {
    "Центральна частина села: сільська рада, школа, магазини, зупинка автобуса; газ і "
    "водогін на всіх вулицях",
    "Житлова забудова навколо центру: садиби з городами, газ на головних вулицях, водогін "
    "частково",
    "Околиці: садиби біля полів і лісу, тихо й чисто, далеко до центру; газу й водогону "
    "здебільшого немає"};

bool ReadMapDistricts(const QString& folder, std::vector<MapDistrict>& districts, QString* error) {
    MapDocument map;
    SetNumericCoordSys(map);
    Layer* layer =
        AddLayer(map, JoinPath(folder, names::layer::Districts() + QStringLiteral(".tab")), true);
    if (!layer)
        return FailWith(error, LastError());
    const Dataset data(layer);
    for (const Feature& f : layer->features())
        districts.push_back(MapDistrict{FeatureValue(&data, f, names::field::Raion()).trimmed(),
                                        FeatureValue(&data, f, names::field::Zona()).trimmed()});
    std::sort(districts.begin(), districts.end(), [](const MapDistrict& a, const MapDistrict& b) {
        return a.number.toInt() < b.number.toInt();
    });
    return true;
}

} // namespace

bool WriteDemoZonal(const QString& folder, Connection& db, QString* error) {
    std::vector<MapDistrict> mapDistricts;
    if (!ReadMapDistricts(folder, mapDistricts, error))
        return false;

    ZonalSettlement settlement;
    QString message;
    if (ReadZonalSettlement(db, settlement, &message) != ZonalOpening::Ready)
        return FailWith(error, message);
    const ZonalVariant variant = ZonalVariant::Grouped;
    ZonalTables tables;
    if (!LoadZonalTables(db, variant, settlement, tables, error))
        return false;

    // Check the working factors as the user would, then score them.
    for (WorkingItem& item : tables.factors) {
        item.checked = false;
        for (const DemoFactor& f : Factors)
            item.checked = item.checked || item.key == QString::fromUtf8(f.name);
    }
    ApplyWorkingFactors(tables.anketa, tables.factors);
    QHash<QString, int> zoneOf;
    for (const MapDistrict& d : mapDistricts)
        zoneOf.insert(d.number, std::clamp(d.zone.toInt(), 1, 3));
    for (int row = tables.anketa.fixedRows(); row < tables.anketa.rowCount(); ++row) {
        const QString factor = tables.anketa.at(row, AnketaFactorCol);
        for (int col = AnketaFirstDistrictCol; col < tables.anketa.colCount(); ++col) {
            const QString district = tables.anketa.at(0, col);
            const int zone = zoneOf.value(district, 3);
            int score = 3;
            for (const DemoFactor& f : Factors)
                if (factor == QString::fromUtf8(f.name))
                    score = f.byZone[zone - 1];
            // Neighbours differ a little: every third district a point less, where it can.
            if ((district.toInt() + row) % 3 == 0 && score > 1)
                --score;
            tables.anketa.set(row, col, QString::number(score));
        }
    }

    const ResultColumns cols = ResultColumnsOf(variant);
    ComputeIndices(variant, tables.anketa, tables.result);
    for (int row = tables.result.fixedRows(); row < tables.result.rowCount(); ++row)
        tables.result.set(row, cols.zone,
                          QString::number(zoneOf.value(tables.result.at(row, 0), 3)));
    const Km2Outcome km2 =
        ComputeKm2(tables.result, cols, settlement.population, settlement.averageValue);
    const int zoneCount = RebuildZoneList(tables.result, cols, tables.zones);
    for (int row = tables.zones.fixedRows(); row < tables.zones.rowCount(); ++row) {
        const int zone = std::clamp(tables.zones.at(row, ZoneNumberCol).toInt(), 1, 3);
        tables.zones.set(row, ZoneDescriptionCol, QString::fromUtf8(Descriptions[zone - 1]));
    }
    if (!StoreZonal(db, variant, tables.factors, tables.anketa, tables.result, tables.zones,
                    ZonalIndicators{QString::number(zoneCount), km2.minimum, km2.maximum}, error))
        return false;

    // The zone layer as "Поновити зони на мапі" leaves it.
    MapDocument map;
    SetNumericCoordSys(map);
    if (!AddLayer(map, JoinPath(folder, names::layer::Zones() + QStringLiteral(".tab")), true) ||
        !AddLayer(map, JoinPath(folder, names::layer::Districts() + QStringLiteral(".tab")), true))
        return FailWith(error, LastError());
    const MapOutcome rebuilt = RebuildZoneLayer(&map, tables.result, cols);
    if (!rebuilt.written)
        return FailWith(error, rebuilt.messages.empty() ? QString() : rebuilt.messages.back().text);
    const valuation::Step step = variant == ZonalVariant::Grouped ? valuation::Step::ZonalGrouped
                                                                  : valuation::Step::ZonalWeighted;
    return RecordStepLayers(db, folder, step, FingerprintStepLayers(folder, step), true, error);
}
