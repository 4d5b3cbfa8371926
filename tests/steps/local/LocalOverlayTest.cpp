#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"

#include "map/Layer.h"
#include "map/TabFile.h"
#include "tests/map/MapTestUtil.h"

#include <QTemporaryDir>

using namespace LocalGrid;

namespace {

std::vector<LocalFactor> Catalogue(int count = 17) {
    std::vector<LocalFactor> factors;
    for (int k = 1; k <= count; ++k)
        factors.push_back(LocalFactor{k, QStringLiteral("Фактор %1").arg(k), QStringLiteral("0.90"),
                                      QStringLiteral("1.10")});
    return factors;
}

std::vector<WorkingItem> Items(int count = 17) {
    std::vector<WorkingItem> items;
    for (int k = 1; k <= count; ++k)
        items.push_back(WorkingItem{QString::number(k), k == 4});
    return items;
}

void WriteLocal(const QString& folder, const QString& name,
                const std::vector<std::pair<Feature, QStringList>>& regions) {
    WriteTable(folder + u'/' + name + QStringLiteral(".tab"), {QStringLiteral("Km3")}, regions);
}

// Three districts in a row, 100 m squares; district 3 is not in the grid.
void WriteDistricts(const QString& folder) {
    WriteTable(folder + QStringLiteral("/райони.tab"),
               {QStringLiteral("Raion"), QStringLiteral("Km3_sr")},
               {{Square(0, 0, 100), {"1", ""}},
                {Square(100, 0, 100), {"2", ""}},
                {Square(200, 0, 100), {"3", "0.77"}}});
}

} // namespace

TEST(LocalLayerFactor, CharactersFourAndFiveAreTheNumber) {
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок07")), 7);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок12_центр")), 12);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок7")), 7);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок7а")), 0);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("локаб")), 0);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок")), 0);
    EXPECT_EQ(LocalLayerFactor(QStringLiteral("лок00")), 0);
}

// Regions over districts give their "Km3" to each district they cover, in layer order; a
// region over no district gives nothing; badly named layers are skipped and named.
TEST(LocalOverlay, CollectsTheValuesOfEveryLayerOverEveryDistrict) {
    QTemporaryDir dir;
    WriteDistricts(dir.path());
    WriteLocal(dir.path(), QStringLiteral("лок01"),
               {{Square(50, 10, 100), {"1.10"}}, {Square(500, 500, 10), {"0.50"}}});
    WriteLocal(dir.path(), QStringLiteral("лок05"), {{Square(10, 10, 10), {"0.95"}}});
    WriteLocal(dir.path(), QStringLiteral("лок05а"), {{Square(20, 20, 10), {"0.85"}}});
    WriteLocal(dir.path(), QStringLiteral("лок09"), {{Square(900, 900, 10), {"1.05"}}});
    WriteLocal(dir.path(), QStringLiteral("лок_а"), {{Square(10, 10, 10), {"2"}}});
    WriteLocal(dir.path(), QStringLiteral("лок25"), {{Square(10, 10, 10), {"2"}}});
    WriteTable(dir.filePath(QStringLiteral("межі.tab")), {QStringLiteral("Km3")},
               {{Square(0, 0, 300), {"3"}}});

    const LocalOverlayResult result = CollectLocalFactors(dir.path(), 17);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.badNames, QStringList{QStringLiteral("лок_а.tab")});
    EXPECT_EQ(result.unknownFactors, QStringList{QStringLiteral("лок25.tab")});
    EXPECT_TRUE(LocalSkippedText(result).contains(QStringLiteral("лок_а.tab")));
    EXPECT_TRUE(LocalSkippedText(result).contains(QStringLiteral("лок25.tab")));
    EXPECT_EQ(result.factors, (std::vector<int>{1, 5}));
    QStringList found;
    for (const LocalOverlayValue& v : result.values)
        found << QStringLiteral("%1:%2=%3").arg(v.district).arg(v.factor).arg(v.value);
    EXPECT_EQ(found, (QStringList{"1:1=1.10", "1:5=0.95", "1:5=0.85", "2:1=1.10"}));

    // Into the grid: the found factors checked (factor 4 unchecked), the later value of a cell
    // kept, district 3 dropped.
    StringGrid grid = MakeLocalGrid({"1", "2"});
    std::vector<WorkingItem> items = Items();
    ApplyWorkingFactors(grid, Catalogue(), items);
    grid.set(1, 3, QStringLiteral("0.99"));
    ASSERT_TRUE(ApplyLocalOverlay(grid, Catalogue(), result, items));
    EXPECT_TRUE(items[0].checked);
    EXPECT_FALSE(items[3].checked);
    EXPECT_TRUE(items[4].checked);
    EXPECT_EQ(grid.colTexts(NumberCol).mid(1), (QStringList{"1", "5", "0"}));
    EXPECT_EQ(grid.colTexts(3).mid(1), (QStringList{"1.10", "0.85", "0.94"}));
    EXPECT_EQ(grid.colTexts(4).mid(1), (QStringList{"1.10", "", "1.10"}));
}

TEST(LocalOverlay, NoLayersKeepTheTypedValuesAndBrokenTablesAreReported) {
    QTemporaryDir dir;
    WriteDistricts(dir.path());
    const LocalOverlayResult none = CollectLocalFactors(dir.path(), 17);
    ASSERT_TRUE(none.ok);
    StringGrid grid = MakeLocalGrid({"1"});
    std::vector<WorkingItem> items = Items();
    ApplyWorkingFactors(grid, Catalogue(), items);
    grid.set(1, 3, QStringLiteral("1.00"));
    EXPECT_TRUE(HasFactorValues(grid));
    const StringGrid typed = grid;
    const std::vector<WorkingItem> checked = items;
    EXPECT_FALSE(ApplyLocalOverlay(grid, Catalogue(), none, items));
    for (int row = 0; row < typed.rowCount(); ++row)
        EXPECT_EQ(grid.rowTexts(row), typed.rowTexts(row));
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].checked, checked[i].checked);

    QFile broken(dir.filePath(QStringLiteral("лок03.tab")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a table");
    broken.close();
    const LocalOverlayResult failed = CollectLocalFactors(dir.path(), 17);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.error.startsWith(QStringLiteral("Відкривання карти лок03.tab. Помилка: ")));

    QTemporaryDir empty;
    EXPECT_TRUE(CollectLocalFactors(empty.path(), 17)
                    .error.startsWith(QStringLiteral("Відкривання карти райони.tab. Помилка: ")));
}

// Km3 goes into "Km3_sr" of the district objects, the field added when the table lacks it;
// a district without a grid column keeps its value.
TEST(WriteKm3ToDistricts, WritesTheWholeTableOnceAndAddsTheField) {
    QTemporaryDir dir;
    WriteDistricts(dir.path());
    StringGrid grid = MakeLocalGrid({"2", "1"});
    std::vector<WorkingItem> items = Items();
    ApplyWorkingFactors(grid, Catalogue(), items);
    grid.set(1, 3, QStringLiteral("1.05"));
    ComputeKm3(grid);

    QString error;
    auto layer =
        Layer::open(dir.filePath(QStringLiteral("райони.tab")), QStringLiteral("райони"), &error);
    ASSERT_TRUE(layer) << error.toStdString();
    ASSERT_TRUE(WriteKm3ToDistricts(*layer, grid, &error)) << error.toStdString();
    TableContent content;
    ASSERT_TRUE(TabFile::read(dir.filePath(QStringLiteral("райони.tab")), content, &error));
    QStringList km3;
    for (const Feature& f : content.features) {
        QString v;
        f.value(QStringLiteral("Km3_sr"), &v);
        km3 << v;
    }
    EXPECT_EQ(km3, (QStringList{"", "1.05", "0.77"}));

    // Without the field: it is added and the other values stay.
    WriteTable(dir.filePath(QStringLiteral("d2.tab")),
               {QStringLiteral("Raion"), QStringLiteral("Nazva")},
               {{Square(0, 0, 10), {"1", "Центр"}}, {Square(10, 0, 10), {"2", "Поле"}}});
    auto plain = Layer::open(dir.filePath(QStringLiteral("d2.tab")), QStringLiteral("d2"), &error);
    ASSERT_TRUE(plain);
    ASSERT_TRUE(WriteKm3ToDistricts(*plain, grid, &error)) << error.toStdString();
    EXPECT_EQ(plain->fieldNames(), (QStringList{"Raion", "Nazva", "Km3_sr"}));
    ASSERT_EQ(plain->featureCount(), 2);
    EXPECT_EQ(plain->features()[0].values(), (QStringList{"1", "Центр", ""}));
    EXPECT_EQ(plain->features()[1].values(), (QStringList{"2", "Поле", "1.05"}));
}
