#pragma once

// A settlement whose values are taken from its map layers: districts 1 and 2 side by side,
// their areas and overlays taken "З мапи" as the steps do.
#include "commands/MapRecalc.h"
#include "common/LastError.h"
#include "map/MapDocument.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStep.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "tests/map/MapTestUtil.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/CheckLayers.h"
#include "valuation/Schema.h"

#include <QDir>
#include <tuple>
#include <vector>

class MapChangesTest : public StepDbTest {
protected:
    /** As the program connects a settlement's database. */
    void SetUp() override {
        StepDbTest::SetUp();
        ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project)) << LastError().toStdString();
    }

    QString layer(const QString& name) const {
        return QDir(context.folder).filePath(name + QStringLiteral(".tab"));
    }

    /** Districts 1 and 2 side by side, 100 m squares; district 1 `grown` metres wider all round. */
    void writeDistricts(double grown = 0, bool reversed = false, double side2 = 100) {
        std::vector<std::pair<Feature, QStringList>> features{
            {Square(-grown, -grown, 100 + 2 * grown), {QStringLiteral("1")}},
            {Square(100, 0, side2), {QStringLiteral("2")}}};
        if (reversed)
            std::swap(features[0], features[1]);
        WriteTable(layer(QStringLiteral("райони")), {QStringLiteral("Raion")}, features);
    }

    /** "З мапи" of "Визначення площ", then "Зберегти". */
    void takeAreasFromMap() {
        MapDocument districts;
        QString error;
        ASSERT_TRUE(districts.addLayerFromFile(layer(QStringLiteral("райони")),
                                               QStringLiteral("райони"), false, &error))
            << error.toStdString();
        std::vector<MapDistrict> found;
        ASSERT_EQ(ReadMapDistricts(districts, found), MapDistrictsStatus::Ok);
        AreasData data;
        ASSERT_TRUE(LoadAreas(project, data, nullptr));
        FillDistrictsFromMap(data.districts, found);
        data.values.insert(QStringLiteral("ERaions"), QString::number(found.size()));
        data.folder = context.folder;
        data.mapLayers = FingerprintStepLayers(context.folder, valuation::Step::Areas);
        ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    }

    /** Stores the areas as the window shows them, with one district's area typed. */
    void storeAreas(const QString& district = QString(), const QString& typed = QString()) {
        AreasData data;
        ASSERT_TRUE(LoadAreas(project, data, nullptr));
        for (int row = data.districts.fixedRows(); row < data.districts.rowCount(); ++row)
            if (data.districts.at(row, ColDistrictNumber) == district)
                data.districts.set(row, ColDistrictArea, typed);
        data.folder = context.folder;
        QString error;
        ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    }

    void writeFunctional(const QString& code) {
        WriteTable(layer(QStringLiteral("функціональне")), {QStringLiteral("Code")},
                   {{Square(0, 0, 50), {code}}, {Square(100, 0, 100), {QStringLiteral("Ж")}}});
    }

    /**
     * "З мапи" of "Функціональне використання", the areas the valuer then typed over the map's
     * (district, category, area), then "Зберегти".
     */
    void takeFunctionalFromMap(const std::vector<std::tuple<QString, int, QString>>& typed = {}) {
        const FunctionalOverlayResult measured = MeasureFunctionalAreas(context.folder);
        ASSERT_TRUE(measured.ok) << measured.error.toStdString();
        StringGrid grid = MakeFunctionalGrid({QStringLiteral("1"), QStringLiteral("2")}, 2);
        ASSERT_TRUE(ApplyFunctionalAreas(grid, measured.areas));
        const StringGrid fromMap = grid;
        for (const auto& [district, category, area] : typed)
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
                if (grid.at(row, 0) == district)
                    grid.set(row, category, area);
        ASSERT_TRUE(
            StoreFunctional(project, grid, nullptr, context.folder, measured.layers, &fromMap));
    }

    /** What the recalculation takes the catalogue from. */
    MapRecalcSources sources() { return MapRecalcSources{&catalogue, nullptr}; }

    valuation::CheckResult check() {
        valuation::CheckResult result;
        QString error;
        EXPECT_TRUE(CheckStepLayers(project, context.folder, result, &error))
            << error.toStdString();
        return result;
    }

    QStringList functionalRow(const QString& district) {
        QStringList row;
        for (int k = 1; k <= 17; ++k)
            row << column(QStringLiteral("SELECT ф_%1 FROM функціональне WHERE район='%2'")
                              .arg(k)
                              .arg(district))
                       .value(0);
        return row;
    }
};
