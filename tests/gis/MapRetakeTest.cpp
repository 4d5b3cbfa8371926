// The recalculation takes again what the changed layers give: the local factors per district
// (Km3 and the quarter statement follow), the zone layer built from grown districts; a typed
// factor stays, and a layer that cannot be read stops it before anything is written.
#include "db/Database.h"
#include "map/MapGlobal.h"
#include "map/TabFile.h"
#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"
#include "tests/gis/MapChangesFixture.h"
#include "valuation/Districts.h"
#include "valuation/LocalCatalogue.h"
#include "valuation/Names.h"

#include <QFile>
#include <map>
#include <tuple>

namespace {

using valuation::Step;

class MapRetakeTest : public MapChangesTest {
protected:
    void writeLocal(const QString& name, const Feature& region, const QString& km3) {
        WriteTable(layer(name), {names::field::Km3()}, {{region, {km3}}});
    }

    /**
     * "З мапи" of "Локальні фактори" with the program's catalogue, then "Зберегти" with
     * `typed` (district, factor number, value) typed over the map's values first.
     */
    void takeLocalFromMap(const std::vector<std::tuple<QString, int, QString>>& typed = {}) {
        std::vector<LocalFactor> factors;
        QString error;
        ASSERT_TRUE(ReadLocalCatalogue(catalogue, factors, &error)) << error.toStdString();
        ASSERT_GE(factors.size(), 2u);
        const LocalOverlayResult found =
            CollectLocalFactors(context.folder, static_cast<int>(factors.size()));
        ASSERT_TRUE(found.ok) << found.error.toStdString();
        std::vector<District> districts;
        ASSERT_TRUE(ReadDistricts(project, DistrictOrder::AsStored, districts));
        StringGrid grid = MakeLocalGrid(DistrictNumbers(districts));
        std::vector<WorkingItem> items;
        for (const LocalFactor& f : factors)
            items.push_back(WorkingItem{QString::number(f.number), false});
        ASSERT_TRUE(ApplyLocalOverlay(grid, factors, found, items));
        const StringGrid fromMap = grid;
        for (const auto& [district, factor, value] : typed)
            for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
                if (RowFactor(grid, row) == factor)
                    grid.set(row, DistrictColumn(grid, district), value);
        ASSERT_TRUE(StoreLocalValues(project, grid, &error, context.folder, found.layers, &fromMap))
            << error.toStdString();
    }

    QString local(const QString& district, int factor) {
        return column(QStringLiteral("SELECT коефіціент FROM локальні WHERE район='%1' AND "
                                     "фактор='%2'")
                          .arg(district)
                          .arg(factor))
            .value(0);
    }

    /** The check and the layers' check, as the command runs them before recalculating. */
    valuation::CheckResult fullCheck() {
        valuation::CheckResult result;
        QString error;
        EXPECT_TRUE(valuation::CheckSettlement(project, result, &error)) << error.toStdString();
        EXPECT_TRUE(CheckStepLayers(project, context.folder, result, &error))
            << error.toStdString();
        return result;
    }

    MapRecalcOutcome recalc(valuation::CheckResult result) {
        MapRecalcOutcome outcome;
        QString error;
        EXPECT_TRUE(RecalcSettlement(project, context.folder, sources(), result, outcome, &error))
            << error.toStdString();
        return outcome;
    }

    /** Each object of a table: its value of `field` and its extent. */
    std::map<QString, MapRect> objects(const QString& name, const QString& field) {
        TableContent content;
        QString error;
        EXPECT_TRUE(TabFile::read(layer(name), content, &error)) << error.toStdString();
        std::map<QString, MapRect> found;
        for (const Feature& f : content.features) {
            QString value;
            f.value(field, &value);
            found[value.trimmed()] = f.bounds();
        }
        return found;
    }

    /** Districts 1 and 2 in zones 1 and 2, with the zone layer built from them and recorded. */
    void buildZones() {
        writeDistricts();
        takeAreasFromMap();
        setIndicator(names::ind::AverageValue(), QStringLiteral("100.00"));
        setIndicator(names::ind::Population(), QStringLiteral("5"));
        exec(QStringLiteral("INSERT INTO км2 (район, площа, іі, км2, вартість, зона) VALUES "
                            "('1', '1.00', '1.10', '1.10', '110.00', '1'), "
                            "('2', '1.00', '0.90', '0.90', '90.00', '2')"));
        exec(QStringLiteral("INSERT INTO зони (зона, райони) VALUES ('1', '1'), ('2', '2')"));
        writeZoneLayer();
    }

    /** The zone layer as the zonal step builds it from districts 1 and 2. */
    void writeZoneLayer() {
        const QStringList fields{names::field::Zona(), names::field::Price(), names::field::Km2()};
        WriteTable(layer(names::layer::Zones()), fields,
                   {{Square(0, 0, 100),
                     {QStringLiteral("1"), QStringLiteral("110.00"), QStringLiteral("1.10")}},
                    {Square(100, 0, 100),
                     {QStringLiteral("2"), QStringLiteral("90.00"), QStringLiteral("0.90")}}});
    }
};

} // namespace

TEST_F(MapRetakeTest, AFactorRegionMovedIsTakenAgainAndKm3AndTheQuarterStatementFollow) {
    writeDistricts();
    takeAreasFromMap();
    writeLocal(QStringLiteral("лок1"), Square(10, 10, 20), QStringLiteral("1.05"));
    takeLocalFromMap();
    exec(QStringLiteral("INSERT INTO відомість_кварталів (id, район, назва, функ) VALUES "
                        "(1, '1', 'Квартал 1', ''), (2, '2', 'Квартал 2', '')"));
    recalc(fullCheck());
    EXPECT_EQ(column(QStringLiteral("SELECT лок_1 FROM відомість_кварталів WHERE id=1")),
              QStringList{QStringLiteral("1.05")});
    ASSERT_TRUE(fullCheck().agrees());

    // Moved into district 2, and a second factor over district 1.
    writeLocal(QStringLiteral("лок1"), Square(110, 10, 20), QStringLiteral("1.05"));
    writeLocal(QStringLiteral("лок2"), Square(10, 10, 20), QStringLiteral("0.95"));
    valuation::CheckResult result = fullCheck();
    EXPECT_EQ(valuation::CheckLines(result),
              (QStringList{QStringLiteral("«Локальні фактори»: локальні фактори районів "
                                          "узято з шару «лок1», який відтоді змінено"),
                           QStringLiteral("«Локальні фактори»: локальні фактори районів "
                                          "узято без шару «лок2», який відтоді додано")}));

    const MapRecalcOutcome outcome = recalc(result);
    EXPECT_EQ(outcome.changed,
              (QStringList{QStringLiteral("«Локальні фактори»: район 1, фактор 1: 1.05 → "
                                          "(порожньо)"),
                           QStringLiteral("«Локальні фактори»: район 2, фактор 1: (порожньо) → "
                                          "1.05"),
                           QStringLiteral("«Локальні фактори»: район 1, фактор 2: (порожньо) → "
                                          "0.95"),
                           QStringLiteral("«Локальні фактори»: район 1: Км3 1.05 → 0.95"),
                           QStringLiteral("«Локальні фактори»: район 2: Км3 (порожньо) → "
                                          "1.05")}));
    EXPECT_TRUE(outcome.typed.isEmpty());
    EXPECT_TRUE(outcome.left.isEmpty()) << outcome.left.join(u'\n').toStdString();
    EXPECT_EQ(local(QStringLiteral("1"), 1), QString());
    EXPECT_EQ(local(QStringLiteral("1"), 2), QStringLiteral("0.95"));
    EXPECT_EQ(local(QStringLiteral("2"), 1), QStringLiteral("1.05"));
    // What follows from the local factors followed in the same run.
    EXPECT_EQ(column(QStringLiteral("SELECT лок_1, лок_2 FROM відомість_кварталів ORDER BY id")),
              (QStringList{QString(), QStringLiteral("1.05")}));
    EXPECT_EQ(column(QStringLiteral("SELECT лок_2 FROM відомість_кварталів WHERE id=1")),
              QStringList{QStringLiteral("0.95")});
    // The districts on the map carry their new Km3, and the layers' records are new.
    const std::map<QString, MapRect> districts =
        objects(names::layer::Districts(), names::field::Raion());
    ASSERT_EQ(districts.size(), 2u);
    TableContent content;
    ASSERT_TRUE(TabFile::read(layer(names::layer::Districts()), content, nullptr));
    QStringList km3;
    for (const Feature& f : content.features) {
        QString raion, value;
        f.value(names::field::Raion(), &raion);
        f.value(names::field::Km3Mean(), &value);
        km3 << raion.trimmed() + u'=' + value.trimmed();
    }
    km3.sort();
    EXPECT_EQ(km3, (QStringList{QStringLiteral("1=0.95"), QStringLiteral("2=1.05")}));
    const valuation::CheckResult after = fullCheck();
    EXPECT_TRUE(after.agrees()) << valuation::CheckLines(after).join(u'\n').toStdString();
}

TEST_F(MapRetakeTest, ATypedFactorStaysAndIsListedWithTheMapsValue) {
    writeDistricts();
    takeAreasFromMap();
    writeLocal(QStringLiteral("лок1"), Square(10, 10, 20), QStringLiteral("1.05"));
    // The valuer typed 1.10 over the map's 1.05 in district 1.
    takeLocalFromMap({{QStringLiteral("1"), 1, QStringLiteral("1.10")}});

    writeLocal(QStringLiteral("лок1"), Square(110, 10, 20), QStringLiteral("1.05"));
    const MapRecalcOutcome outcome = recalc(fullCheck());
    EXPECT_EQ(outcome.typed,
              QStringList{QStringLiteral("«Локальні фактори»: район 1, фактор 1: уведено "
                                         "оцінювачем 1.10, з мапи тепер (порожньо)")});
    EXPECT_EQ(outcome.changed,
              (QStringList{QStringLiteral("«Локальні фактори»: район 2, фактор 1: (порожньо) → "
                                          "1.05"),
                           QStringLiteral("«Локальні фактори»: район 2: Км3 (порожньо) → "
                                          "1.05")}));
    EXPECT_EQ(local(QStringLiteral("1"), 1), QStringLiteral("1.10"));
    EXPECT_EQ(local(QStringLiteral("2"), 1), QStringLiteral("1.05"));
    EXPECT_TRUE(check().mapChanges.empty());
}

TEST_F(MapRetakeTest, ADistrictGrownRebuildsTheZoneLayerAndRecordsIt) {
    buildZones();
    // Built before fingerprints were kept: one note, and none while the zone layer is empty.
    const QString caption = valuation::StepCaption(Step::ZonalWeighted);
    const QString note = QStringLiteral("примітка: «") + caption +
                         QStringLiteral("»: шар «зони»: не перевірено з мапою");
    EXPECT_EQ(valuation::NoteLines(check()), QStringList{note});
    WriteTable(layer(names::layer::Zones()), {names::field::Zona()}, {});
    EXPECT_TRUE(valuation::NoteLines(check()).isEmpty());
    writeZoneLayer();
    ASSERT_TRUE(RecordStepLayers(project, context.folder, Step::ZonalWeighted,
                                 FingerprintStepLayers(context.folder, Step::ZonalWeighted), true,
                                 nullptr));
    EXPECT_TRUE(check().mapChanges.empty());

    // The session's map holds the layers as they were before the edit in another program.
    ASSERT_TRUE(AddLayer(map, layer(names::layer::Zones()), true));
    ASSERT_TRUE(AddLayer(map, layer(names::layer::Districts()), false));
    writeDistricts(40);
    valuation::CheckResult result = fullCheck();
    EXPECT_TRUE(valuation::CheckLines(result).contains(
        QStringLiteral("«") + caption +
        QStringLiteral("»: шар «зони» побудовано з шару «райони», який відтоді змінено")))
        << valuation::CheckLines(result).join(u'\n').toStdString();

    MapRecalcOutcome outcome;
    QString error;
    ASSERT_TRUE(RecalcSettlement(project, context.folder, MapRecalcSources{&catalogue, &map},
                                 result, outcome, &error))
        << error.toStdString();
    EXPECT_TRUE(outcome.changed.contains(QStringLiteral("«") + caption +
                                         QStringLiteral("»: шар «зони» побудовано з районів "
                                                        "заново")))
        << outcome.changed.join(u'\n').toStdString();
    EXPECT_TRUE(outcome.left.isEmpty()) << outcome.left.join(u'\n').toStdString();
    const std::map<QString, MapRect> built = objects(names::layer::Zones(), names::field::Zona());
    ASSERT_EQ(built.size(), 2u);
    const MapRect one = built.at(QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(one.xMin, -40);
    EXPECT_DOUBLE_EQ(one.xMax, 140);
    EXPECT_DOUBLE_EQ(built.at(QStringLiteral("2")).xMin, 100);
    // Built from the districts on disk, and shown so, in their places on the session's map.
    ASSERT_EQ(map.layerCount(), 2);
    EXPECT_EQ(map.layerAt(0)->name(), names::layer::Districts());
    EXPECT_FALSE(map.layerAt(0)->visible());
    EXPECT_EQ(map.layerAt(1)->name(), names::layer::Zones());
    EXPECT_EQ(FeaturesBounds(map.layerAt(1)->features()).xMin, -40);
    EXPECT_EQ(FeaturesBounds(map.layerAt(0)->features()).xMin, -40);
    // The districts' fingerprint is recorded for the zone layer: nothing left to follow.
    const valuation::CheckResult after = check();
    EXPECT_TRUE(after.mapChanges.empty()) << valuation::CheckLines(after).join(u'\n').toStdString();
    EXPECT_TRUE(after.mapNotes.empty());
}

TEST_F(MapRetakeTest, ALayerThatCannotBeReadIsNamedAndRecalcWritesNothing) {
    writeDistricts();
    takeAreasFromMap();
    const QStringList records = column(QStringLiteral("SELECT відбиток FROM шари_кроків"));
    const QStringList areas = column(QStringLiteral("SELECT значення2 FROM характеристика"));
    QFile damaged(layer(names::layer::Districts()));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("не таблиця");
    damaged.close();

    valuation::CheckResult result = fullCheck();
    ASSERT_EQ(result.mapChanges.size(), 1u);
    const QString line = valuation::MapLine(result.mapChanges[0]);
    EXPECT_TRUE(line.startsWith(QStringLiteral("«Визначення площ»: площі районів узято з шару "
                                               "«райони», який не вдається прочитати: ")))
        << line.toStdString();
    EXPECT_GT(line.size(), 90);

    MapRecalcOutcome outcome;
    QString error;
    EXPECT_FALSE(RecalcSettlement(project, context.folder, sources(), result, outcome, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("«Визначення площ»: шар «райони» не вдається "
                                                "прочитати: ")))
        << error.toStdString();
    EXPECT_TRUE(outcome.changed.isEmpty());
    EXPECT_EQ(column(QStringLiteral("SELECT відбиток FROM шари_кроків")), records);
    EXPECT_EQ(column(QStringLiteral("SELECT значення2 FROM характеристика")), areas);
}
