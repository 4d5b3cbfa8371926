// Values taken from map layers, followed by the layers' fingerprints: a layer changed after
// its step is a finding of that step, an unchanged rewrite is none, a settlement made before
// fingerprints is noted once, and recalc takes untyped values again.
#include "commands/MapRecalc.h"
#include "common/LastError.h"
#include "map/MapDocument.h"
#include "reports/ReportLayers.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStep.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "steps/local/LocalOverlay.h"
#include "tests/map/MapTestUtil.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/CheckLayers.h"
#include "valuation/Districts.h"
#include "valuation/Schema.h"
#include "valuation/StepMarks.h"

#include <QDir>
#include <QFile>

namespace {

using valuation::Step;

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
        ASSERT_TRUE(LoadAreas(project, data));
        FillDistrictsFromMap(data.districts, found);
        data.values.insert(QStringLiteral("ERaions"), QString::number(found.size()));
        data.folder = context.folder;
        data.mapLayers = FingerprintStepLayers(context.folder, Step::Areas);
        ASSERT_TRUE(StoreAreas(project, data)) << LastError().toStdString();
    }

    /** Stores the areas as the window shows them, with one district's area typed. */
    void storeAreas(const QString& district = QString(), const QString& typed = QString()) {
        AreasData data;
        ASSERT_TRUE(LoadAreas(project, data));
        for (int row = data.districts.fixedRows(); row < data.districts.rowCount(); ++row)
            if (data.districts.at(row, ColDistrictNumber) == district)
                data.districts.set(row, ColDistrictArea, typed);
        data.folder = context.folder;
        ASSERT_TRUE(StoreAreas(project, data)) << LastError().toStdString();
    }

    void writeFunctional(const QString& code) {
        WriteTable(layer(QStringLiteral("функціональне")), {QStringLiteral("Code")},
                   {{Square(0, 0, 50), {code}}, {Square(100, 0, 100), {QStringLiteral("Ж")}}});
    }

    /** "З мапи" of "Функціональне використання", then "Зберегти". */
    void takeFunctionalFromMap() {
        const FunctionalOverlayResult measured = MeasureFunctionalAreas(context.folder);
        ASSERT_TRUE(measured.ok) << measured.error.toStdString();
        StringGrid grid = MakeFunctionalGrid({QStringLiteral("1"), QStringLiteral("2")}, 2);
        ASSERT_TRUE(ApplyFunctionalAreas(grid, measured.areas));
        ASSERT_TRUE(StoreFunctional(project, grid, context.folder, measured.layers));
    }

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

} // namespace

TEST_F(MapChangesTest, ADistrictGrownAfterItsAreasIsAFindingOfTheirStep) {
    writeDistricts();
    takeAreasFromMap();
    valuation::CheckResult result = check();
    EXPECT_TRUE(result.mapChanges.empty());
    EXPECT_TRUE(result.mapNotes.empty());

    writeDistricts(40);
    result = check();
    ASSERT_EQ(result.mapChanges.size(), 1u);
    EXPECT_FALSE(result.agrees());
    EXPECT_EQ(valuation::CheckLines(result),
              QStringList{QStringLiteral("«Визначення площ»: площі районів узято з шару «райони», "
                                         "який відтоді змінено")});
    // The step list marks the step with that reason.
    const valuation::StepMarks marks = valuation::MarksOf(result);
    EXPECT_TRUE(marks.isStale(Step::Areas));
    EXPECT_EQ(marks.reasonsOf(Step::Areas),
              QStringList{QStringLiteral("площі районів узято з шару «райони», який відтоді "
                                         "змінено")});
    EXPECT_FALSE(marks.isStale(Step::Functional));

    // A layer gone is named as such.
    ASSERT_TRUE(QFile::remove(layer(QStringLiteral("райони"))));
    result = check();
    ASSERT_EQ(result.mapChanges.size(), 1u);
    EXPECT_TRUE(result.mapChanges[0].text.endsWith(QStringLiteral("«райони», якого тепер немає")));
}

TEST_F(MapChangesTest, AnUnchangedRewriteOfTheLayerIsNoChange) {
    writeDistricts();
    takeAreasFromMap();
    const QString before = LayersStateKey(context.folder);
    // The same districts written again (as another GIS may), in the other order.
    writeDistricts(0, true);
    EXPECT_NE(LayersStateKey(context.folder), before);
    const valuation::CheckResult result = check();
    EXPECT_TRUE(result.mapChanges.empty());
    EXPECT_TRUE(result.agrees());
}

TEST_F(MapChangesTest, AFunctionalRegionRecodedIsTakenAgainByRecalc) {
    writeDistricts();
    takeAreasFromMap();
    writeFunctional(QStringLiteral("К"));
    takeFunctionalFromMap();
    EXPECT_TRUE(check().mapChanges.empty());
    const QStringList before = functionalRow(QStringLiteral("1"));
    EXPECT_EQ(before.value(0), QStringLiteral("0.2500"));

    writeFunctional(QStringLiteral("рі"));
    valuation::CheckResult result = check();
    ASSERT_EQ(result.mapChanges.size(), 1u);
    EXPECT_EQ(valuation::MapLine(result.mapChanges[0]),
              QStringLiteral("«Функціональне використання»: площі функціонального використання "
                             "районів узято з шару «функціональне», який відтоді змінено"));

    MapRecalcOutcome outcome;
    QString error;
    ASSERT_TRUE(RecalcSettlement(project, context.folder, result, outcome, &error))
        << error.toStdString();
    EXPECT_TRUE(outcome.typed.isEmpty());
    EXPECT_TRUE(outcome.left.isEmpty());
    EXPECT_TRUE(outcome.changed.contains(
        QStringLiteral("«Функціональне використання»: район 1, ф_1: 0.2500 → (порожньо)")))
        << outcome.changed.join(u'\n').toStdString();
    const QStringList after = functionalRow(QStringLiteral("1"));
    EXPECT_EQ(after.value(0), QString());
    EXPECT_EQ(after.value(13), QStringLiteral("0.2500"));
    EXPECT_TRUE(check().mapChanges.empty());
}

TEST_F(MapChangesTest, AFactorRegionMovedOrAFactorLayerAddedIsAFindingLeftToTheStep) {
    writeDistricts();
    const QString factor = layer(QStringLiteral("лок1"));
    WriteTable(factor, {QStringLiteral("Km3")}, {{Square(10, 10, 20), {QStringLiteral("1.05")}}});
    const LocalOverlayResult found = CollectLocalFactors(context.folder, 30);
    ASSERT_TRUE(found.ok) << found.error.toStdString();
    ASSERT_EQ(found.layers.size(), 2u);
    ASSERT_TRUE(valuation::StoreLayerUses(project, Step::Local, found.layers));
    EXPECT_TRUE(check().mapChanges.empty());

    // Moved into district 2.
    WriteTable(factor, {QStringLiteral("Km3")}, {{Square(110, 10, 20), {QStringLiteral("1.05")}}});
    WriteTable(layer(QStringLiteral("лок2")), {QStringLiteral("Km3")},
               {{Square(10, 10, 20), {QStringLiteral("0.95")}}});
    valuation::CheckResult result = check();
    const QStringList lines = valuation::CheckLines(result);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("«Локальні фактори»: локальні фактори районів "
                                                 "узято з шару «лок1», який відтоді змінено"),
                                  QStringLiteral("«Локальні фактори»: локальні фактори районів "
                                                 "узято без шару «лок2», який відтоді додано")}));
    // Recalc leaves them to the step, and says so.
    MapRecalcOutcome outcome;
    ASSERT_TRUE(RecalcSettlement(project, context.folder, result, outcome));
    EXPECT_EQ(outcome.left, lines);
    EXPECT_TRUE(outcome.changed.isEmpty());
}

TEST_F(MapChangesTest, ALegacySettlementIsNotedOnceThenFingerprintedAtItsNextStore) {
    writeDistricts();
    takeAreasFromMap();
    writeFunctional(QStringLiteral("К"));
    takeFunctionalFromMap();
    // As made before fingerprints were kept.
    exec(QStringLiteral("DROP TABLE шари_кроків"));
    valuation::CheckResult result = check();
    EXPECT_TRUE(result.mapChanges.empty());
    EXPECT_TRUE(result.agrees());
    EXPECT_EQ(valuation::NoteLines(result),
              (QStringList{QStringLiteral("примітка: «Визначення площ»: площі районів: не "
                                          "перевірено з мапою"),
                           QStringLiteral("примітка: «Функціональне використання»: площі "
                                          "функціонального використання районів: не перевірено "
                                          "з мапою")}));

    // The next store of the areas fingerprints the layer as it is; the other step stays noted.
    storeAreas();
    result = check();
    ASSERT_EQ(result.mapNotes.size(), 1u);
    EXPECT_EQ(result.mapNotes[0].step, Step::Functional);
    writeDistricts(40);
    result = check();
    ASSERT_EQ(result.mapChanges.size(), 1u);
    EXPECT_EQ(result.mapChanges[0].step, Step::Areas);

    // Districts typed by hand ("Вручну") follow no layer: no note, and no record kept.
    exec(QStringLiteral("UPDATE характеристика SET значення2='0.0000|' WHERE показник='") +
         names::ind::DistrictRows() + u'\'');
    storeAreas();
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM шари_кроків WHERE крок='Визначення "
                                    "площ'")),
              QStringList{QStringLiteral("0")});
    result = check();
    EXPECT_TRUE(result.mapChanges.empty());
    EXPECT_EQ(result.mapNotes.size(), 1u);
}

TEST_F(MapChangesTest, RecalcTakesUntypedDistrictAreasAgainAndListsATypedOne) {
    writeDistricts();
    takeAreasFromMap();
    storeAreas(QStringLiteral("2"), QStringLiteral("1.50"));
    // Both districts grown: 1 by 10 m all round (1.44 ha), 2 to 120 m square (1.44 ha).
    writeDistricts(10, false, 120);
    valuation::CheckResult result = check();
    ASSERT_EQ(result.mapChanges.size(), 1u);

    MapRecalcOutcome outcome;
    QString error;
    ASSERT_TRUE(RecalcSettlement(project, context.folder, result, outcome, &error))
        << error.toStdString();
    EXPECT_EQ(
        outcome.changed,
        (QStringList{QStringLiteral("«Визначення площ»: район 1: площа з мапи 1.0000 → 1.4400"),
                     QStringLiteral("«Визначення площ»: район 1: площа 1.00 → 1.44"),
                     QStringLiteral("«Визначення площ»: район 2: площа з мапи 1.0000 → "
                                    "1.4400")}));
    EXPECT_EQ(outcome.typed, QStringList{QStringLiteral("«Визначення площ»: район 2: площа "
                                                        "уведена оцінювачем 1.50, з мапи тепер "
                                                        "1.44")});
    std::vector<District> districts;
    ASSERT_TRUE(ReadDistricts(project, DistrictOrder::ByNumber, districts));
    ASSERT_EQ(districts.size(), 2u);
    EXPECT_EQ(districts[0].area, QStringLiteral("1.44"));
    EXPECT_EQ(districts[1].area, QStringLiteral("1.50"));
    EXPECT_EQ(districts[1].mapArea, QStringLiteral("1.4400"));
    EXPECT_TRUE(check().mapChanges.empty());
}

TEST_F(MapChangesTest, AReportKnowsTheLayersItsMapsShowedAndWhichChanged) {
    writeDistricts();
    WriteTable(layer(QStringLiteral("лок3")), {QStringLiteral("Km3")},
               {{Square(10, 10, 20), {QStringLiteral("1.05")}}});
    const QString stamp = ReportLayerStamp(context.folder);
    EXPECT_TRUE(stamp.startsWith(QStringLiteral("райони="))) << stamp.toStdString();
    EXPECT_TRUE(stamp.contains(QStringLiteral(";лок3="))) << stamp.toStdString();
    EXPECT_TRUE(ChangedReportLayers(context.folder, stamp).isEmpty());
    writeDistricts(0, true);
    EXPECT_TRUE(ChangedReportLayers(context.folder, stamp).isEmpty());
    writeDistricts(40);
    ASSERT_TRUE(QFile::remove(layer(QStringLiteral("лок3"))));
    EXPECT_EQ(ChangedReportLayers(context.folder, stamp),
              (QStringList{QStringLiteral("райони"), QStringLiteral("лок3")}));
}
