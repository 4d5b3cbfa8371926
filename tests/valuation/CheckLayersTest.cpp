// The check of values taken from the map, against layers as a fake folder gives them: a layer
// changed, gone or unreadable is each said as such; the zone layer of a settlement made before
// fingerprints is one note, only while the zone layer holds zones.
#include "valuation/CheckLayers.h"

#include "common/LastError.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/Names.h"
#include "valuation/Schema.h"

#include <QHash>

using namespace valuation;

namespace {

/** The folder's layers as a test sets them. */
class FakeLayers : public MapLayersNow {
public:
    QHash<QString, LayerUse> now;
    bool zonesHoldObjects = false;

    QStringList localLayers() override { return {}; }
    void fingerprint(std::vector<LayerUse>& layers) override {
        for (LayerUse& use : layers) {
            const LayerUse found = now.value(use.layer);
            use.fingerprint = found.fingerprint;
            use.error = found.error;
        }
    }
    bool holdsObjects(const QString& layer) override {
        return layer == names::layer::Zones() && zonesHoldObjects;
    }
};

class CheckLayersTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        ASSERT_TRUE(UpgradeSettlementDatabase(project)) << LastError().toStdString();
        layers.now.insert(names::layer::Districts(),
                          LayerUse{names::layer::Districts(), {}, QStringLiteral("aaaa"), {}});
    }

    CheckResult check() {
        CheckResult result;
        QString error;
        EXPECT_TRUE(CheckLayerUses(project, layers, result, &error)) << error.toStdString();
        return result;
    }

    /** Districts 1 and 2 in zones 1 and 2; `grouped` with the indices of the grouped way. */
    void storeZones(bool grouped) {
        exec(QStringLiteral("INSERT INTO км2 (район, іі, si, км2, вартість, зона) VALUES "
                            "('1', '1.10', '%1', '1.10', '110.00', '1'), "
                            "('2', '0.90', '', '0.90', '90.00', '2')")
                 .arg(grouped ? QStringLiteral("1.2") : QString()));
    }

    FakeLayers layers;
};

} // namespace

TEST_F(CheckLayersTest, ALayerChangedGoneOrUnreadableIsSaidAsSuch) {
    ASSERT_TRUE(StoreLayerUses(
        project, Step::Areas,
        {LayerUse{
            names::layer::Districts(), {names::field::Raion()}, QStringLiteral("aaaa"), {}}}));
    EXPECT_TRUE(check().mapChanges.empty());

    const QString head = QStringLiteral("«Визначення площ»: площі районів узято з шару «райони», ");
    const auto line = [&] {
        const CheckResult result = check();
        EXPECT_EQ(result.mapChanges.size(), 1u);
        return result.mapChanges.empty() ? QString() : MapLine(result.mapChanges[0]);
    };
    layers.now[names::layer::Districts()].fingerprint = QStringLiteral("bbbb");
    EXPECT_EQ(line(), head + QStringLiteral("який відтоді змінено"));
    layers.now[names::layer::Districts()].fingerprint.clear();
    EXPECT_EQ(line(), head + QStringLiteral("якого тепер немає"));
    // A file that is there but cannot be read is no layer gone: the reason is said.
    layers.now[names::layer::Districts()].error =
        QStringLiteral("Не вдалося відкрити таблицю \"райони.tab\".");
    EXPECT_EQ(line(), head + QStringLiteral("який не вдається прочитати: Не вдалося відкрити "
                                            "таблицю \"райони.tab\"."));
}

TEST_F(CheckLayersTest, TheZoneLayerOfALegacySettlementIsNotedOnceWhileItHoldsZones) {
    storeZones(false);
    // The zone layer was never built: nothing to note.
    EXPECT_TRUE(check().mapNotes.empty());

    layers.zonesHoldObjects = true;
    CheckResult result = check();
    ASSERT_EQ(result.mapNotes.size(), 1u);
    EXPECT_EQ(result.mapNotes[0].step, Step::ZonalWeighted);
    EXPECT_EQ(NoteLines(result),
              QStringList{QStringLiteral("примітка: «") + StepCaption(Step::ZonalWeighted) +
                          QStringLiteral("»: шар «зони»: не перевірено з мапою")});
    EXPECT_TRUE(result.mapChanges.empty());

    // Zones of the grouped way are noted as that step's, once.
    exec(QStringLiteral("DELETE FROM км2"));
    storeZones(true);
    result = check();
    ASSERT_EQ(result.mapNotes.size(), 1u);
    EXPECT_EQ(result.mapNotes[0].step, Step::ZonalGrouped);

    // Without the districts to compare with there is nothing to note.
    layers.now.remove(names::layer::Districts());
    EXPECT_TRUE(check().mapNotes.empty());
    layers.now.insert(names::layer::Districts(),
                      LayerUse{names::layer::Districts(), {}, QStringLiteral("aaaa"), {}});

    // A zone layer built by either zonal step since is recorded: no note.
    ASSERT_TRUE(StoreLayerUses(
        project, Step::ZonalWeighted,
        {LayerUse{
            names::layer::Districts(), {names::field::Raion()}, QStringLiteral("aaaa"), {}}}));
    result = check();
    EXPECT_TRUE(result.mapNotes.empty());
    EXPECT_TRUE(result.mapChanges.empty());
}
