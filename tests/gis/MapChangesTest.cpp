// Values taken from map layers, followed by the layers' fingerprints: a layer changed after
// its step is a finding of that step, an unchanged rewrite is none, a settlement made before
// fingerprints is noted once, and recalc takes untyped values again.
#include "reports/ReportLayers.h"
#include "tests/gis/MapChangesFixture.h"
#include "valuation/Districts.h"
#include "valuation/StepMarks.h"

#include <QDir>
#include <QFile>

namespace {

using valuation::Step;

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
    ASSERT_TRUE(RecalcSettlement(project, context.folder, sources(), result, outcome, &error))
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

TEST_F(MapChangesTest, AFunctionalAreaTypedOverTheMapsStaysAndIsListed) {
    writeDistricts();
    takeAreasFromMap();
    writeFunctional(QStringLiteral("К"));
    // The valuer typed 0.3 over the map's 0.2500 in district 1.
    takeFunctionalFromMap({{QStringLiteral("1"), 1, QStringLiteral("0.3")}});
    EXPECT_EQ(functionalRow(QStringLiteral("1")).value(0), QStringLiteral("0.3"));

    writeFunctional(QStringLiteral("рі"));
    valuation::CheckResult result = check();
    MapRecalcOutcome outcome;
    QString error;
    ASSERT_TRUE(RecalcSettlement(project, context.folder, sources(), result, outcome, &error))
        << error.toStdString();
    EXPECT_EQ(outcome.typed,
              QStringList{QStringLiteral("«Функціональне використання»: район 1, ф_1: уведено "
                                         "оцінювачем 0.3, з мапи тепер (порожньо)")});
    const QStringList after = functionalRow(QStringLiteral("1"));
    EXPECT_EQ(after.value(0), QStringLiteral("0.3"));
    EXPECT_EQ(after.value(13), QStringLiteral("0.2500"));
    // A store from the grid as read keeps the mark while its value stands.
    StringGrid grid = MakeFunctionalGrid({QStringLiteral("1"), QStringLiteral("2")}, 2);
    ASSERT_TRUE(LoadFunctional(project, grid, nullptr));
    ASSERT_TRUE(StoreFunctional(project, grid, nullptr, context.folder, {}, &grid));
    valuation::TypedValues typed;
    ASSERT_TRUE(typed.read(project));
    EXPECT_TRUE(typed.isTyped(names::table::Functional(), QStringLiteral("1"),
                              QStringLiteral("ф_1"), QStringLiteral("0.3")));
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
    ASSERT_TRUE(RecalcSettlement(project, context.folder, sources(), result, outcome, &error))
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
