#include "MapTestUtil.h"

#include "common/FileUtils.h"
#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class MapServices : public ::testing::Test {
protected:
    void SetUp() override {
        SetNumericCoordSys(map);
        map.setViewportSize({1000, 1000});
    }
    QString Tab(const QString& name) const { return dir.filePath(name + ".tab"); }

    QTemporaryDir dir;
    MapDocument map;
};

TEST_F(MapServices, AddLayerNamesByFileAndNeverAddsTheSameFileTwice) {
    WriteTable(Tab(QStringLiteral("Межі")), {"info"}, {{Square(0, 0, 10), {"a"}}});
    Layer* first = AddLayer(map, Tab(QStringLiteral("Межі")), true);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name(), QStringLiteral("межі"));
    EXPECT_EQ(AddLayer(map, Tab(QStringLiteral("Межі")), true), first);
    EXPECT_EQ(AddLayer(map, dir.path() + QStringLiteral("/./Межі.tab"), true), first);
    EXPECT_EQ(map.layerCount(), 1);
    EXPECT_EQ(GetLayer(map, QStringLiteral("МЕЖІ")), first);
    EXPECT_EQ(GetLayer(map, QStringLiteral("зони")), nullptr);
}

TEST_F(MapServices, LayersStackNewestOnTopAndMissingFilesGiveNoLayer) {
    WriteTable(Tab(QStringLiteral("межі")), {"info"}, {{Square(0, 0, 10), {}}});
    WriteTable(Tab(QStringLiteral("райони")), {"Raion"}, {{Square(0, 0, 5), {"1"}}});
    SetLastError(QString());
    for (const char* name : {"межі", "зони", "райони"})
        AddLayer(map, Tab(QString::fromUtf8(name)), true);
    EXPECT_EQ(LayerNames(map), (QStringList{QStringLiteral("райони"), QStringLiteral("межі")}));
    EXPECT_TRUE(LastError().contains(QStringLiteral("зони.tab"))) << LastError().toStdString();
}

TEST_F(MapServices, CreateLayerMakesAnInfoTableWithoutDescriptionOrAddsTheExistingOne) {
    Layer* created = CreateLayer(map, dir.path(), QStringLiteral("підписи"));
    ASSERT_TRUE(created) << LastError().toStdString();
    EXPECT_FALSE(created->visible());
    ASSERT_EQ(created->fields().size(), 1u);
    EXPECT_EQ(created->fields()[0].name, "info");
    EXPECT_EQ(created->fields()[0].width, 50);
    QFile header(Tab(QStringLiteral("підписи")));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    EXPECT_FALSE(text.contains("  Description")) << text.constData();
    EXPECT_TRUE(text.contains("info"));
    header.close();

    // An existing file is only added, hidden, with its objects kept.
    MapDocument other;
    WriteTable(Tab("lok01"), {"Km3"}, {{Square(0, 0, 1), {"1.1"}}});
    Layer* existing = CreateLayer(other, dir.path(), "lok01");
    ASSERT_TRUE(existing);
    EXPECT_FALSE(existing->visible());
    EXPECT_EQ(existing->featureCount(), 1);
    EXPECT_EQ(existing->fields()[0].name, "Km3");

    // A folder that does not exist: no layer, a reason.
    SetLastError(QString());
    EXPECT_EQ(CreateLayer(other, dir.filePath("nowhere"), "x"), nullptr);
    EXPECT_FALSE(LastError().isEmpty());
    // No settlement chosen: nothing is written anywhere.
    SetLastError(QString());
    EXPECT_EQ(CreateLayer(other, QString(), "x"), nullptr);
    EXPECT_FALSE(LastError().isEmpty());
}

TEST_F(MapServices, LayerDescriptionsOpenOrWriteTablesAtAPosition) {
    WriteTable(Tab("a"), {"x"}, {});
    WriteTable(Tab("b"), {"x"}, {});
    LayerInfo open;
    open.fileSpec = Tab("a");
    open.name = "a";
    ASSERT_TRUE(map.addLayer(open, 1, nullptr));
    open.fileSpec = Tab("b");
    open.name = "b";
    open.visible = false;
    ASSERT_TRUE(map.addLayer(open, 2, nullptr)); // below "a"
    EXPECT_EQ(LayerNames(map), (QStringList{"a", "b"}));
    EXPECT_FALSE(map.layerAt(1)->visible());

    LayerInfo create;
    create.type = 7;
    create.fileSpec = Tab("new");
    create.name = "new";
    create.fields = {FieldDef{"Km3", FieldKind::Float, 10, 2, false},
                     FieldDef{"Name", FieldKind::Char, 30, 0, false}};
    QString error;
    Layer* made = map.addLayer(create, 1, &error);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_EQ(made->fieldNames(), (QStringList{"Km3", "Name"}));
    EXPECT_EQ(made->fields()[0].type, FieldKind::Float);
    // Writing over an existing file needs the overwrite flag.
    EXPECT_FALSE(map.addLayer(create, 1, &error));
    EXPECT_FALSE(error.isEmpty());
    create.overwriteFile = true;
    EXPECT_TRUE(map.addLayer(create, 1, &error));
    create.type = 3;
    EXPECT_FALSE(map.addLayer(create, 1, &error));
}

TEST_F(MapServices, StoredChangesTellTheMapToRedraw) {
    WriteTable(Tab("a"), {"x"}, {{Square(0, 0, 1), {"1"}}});
    Layer* layer = AddLayer(map, Tab("a"), true);
    int changes = 0;
    QObject::connect(&map, &MapDocument::layersChanged, [&] { ++changes; });
    Feature f = layer->features()[0];
    f.setValue("x", "2");
    ASSERT_TRUE(layer->updateFeature(f, nullptr));
    EXPECT_EQ(changes, 1);
    layer->setVisible(false);
    EXPECT_EQ(changes, 2);
    // A failed write changes nothing and tells nobody.
    Feature stranger = Square(5, 5, 1);
    stranger.setFid(99);
    EXPECT_FALSE(layer->updateFeature(stranger, nullptr));
    EXPECT_EQ(changes, 2);
    const Dataset data(layer);
    EXPECT_EQ(FeatureValue(&data, layer->features()[0], "x"), "2");
}

TEST_F(MapServices, StripTabDescriptionRemovesOnlyTheFirstDescriptionLine) {
    const QString path = Tab("d");
    WriteTextFile(path, "!table\n  Description \"a\"\n  Description \"b\"\nDefinition Table\n");
    EXPECT_TRUE(StripTabDescription(path));
    EXPECT_EQ(ReadTextFile(path), "!table\n  Description \"b\"\nDefinition Table\n");
    EXPECT_FALSE(StripTabDescription(Tab("missing")));
}

TEST_F(MapServices, FeaturesDatasetsAndValues) {
    WriteTable(Tab(QStringLiteral("райони")), {"Raion", "Zona"},
               {{Square(0, 0, 100), {"1", "2"}}, {Square(100, 0, 100), {"2", "2"}}});
    AddLayer(map, Tab(QStringLiteral("райони")), true);
    EXPECT_FALSE(GetLayerFeatures(map, "none"));
    EXPECT_FALSE(GetLayerDataset(map, "none"));
    const auto features = GetLayerFeatures(map, QStringLiteral("Райони"));
    ASSERT_TRUE(features);
    ASSERT_EQ(features->size(), 2u);
    const auto dataset = GetLayerDataset(map, QStringLiteral("райони"));
    ASSERT_TRUE(dataset);
    EXPECT_EQ(dataset->fieldNames(), (QStringList{"Raion", "Zona"}));
    EXPECT_EQ(FeatureValue(&*dataset, (*features)[1], "raion"), "2");
    EXPECT_EQ(FeatureValue(&*dataset, (*features)[1], ""), "");
    EXPECT_EQ(FeatureValue(&*dataset, (*features)[1], "Nope"), "");
    EXPECT_EQ(FeatureValue(nullptr, (*features)[1], "Raion"), "");
    // The copy is a copy: changing it leaves the layer alone until it is updated.
    Feature f = (*features)[0];
    ASSERT_TRUE(dataset->setValue(f, "Zona", "9"));
    EXPECT_EQ(
        FeatureValue(&*dataset, GetLayer(map, QStringLiteral("райони"))->features()[0], "Zona"),
        "2");
}

TEST_F(MapServices, FeatureAreaInUnitsAndOnlyForRealRegions) {
    map.setAreaUnit(AreaSquareKilometre);
    const Feature square = Square(0, 0, 200);
    EXPECT_DOUBLE_EQ(FeatureArea(square, map, AreaSquareMetre), 40000.0);
    EXPECT_DOUBLE_EQ(FeatureArea(square, map, AreaHectare), 4.0);
    EXPECT_EQ(map.areaUnit(), AreaSquareKilometre); // restored
    // A ring with holes: the hole is not counted.
    const Feature holed = FeatureFactory::createRegion(
        {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}});
    EXPECT_DOUBLE_EQ(FeatureArea(holed, map, AreaSquareMetre), 96.0);
    EXPECT_EQ(holed.partCount(), 2);
    EXPECT_EQ(holed.pointCount(0), 5);
    // A text object or a point has no area.
    const Feature text = FeatureFactory::createText(map, {1, 1}, "t", TextStyle{});
    EXPECT_EQ(FeatureArea(text, map, AreaSquareMetre), 0.0);
    EXPECT_EQ(FeatureArea(Feature(), map, AreaSquareMetre), 0.0);
}

TEST_F(MapServices, ZoomToRectangleWidensByATenthAndRecentresOnAPoint) {
    map.setBounds({0, 0, 1000, 1000});
    ZoomToRectangle(map, {100, 100, 200, 200});
    EXPECT_DOUBLE_EQ(map.bounds().xMin, 90);
    EXPECT_DOUBLE_EQ(map.bounds().yMax, 210);
    const double zoom = map.zoom();
    ZoomToRectangle(map, {500, 600, 500, 600});
    EXPECT_EQ(map.centre(), QPointF(500, 600));
    EXPECT_DOUBLE_EQ(map.zoom(), zoom);
}

TEST_F(MapServices, ZoomToLayerUsesStoredBoundsFrom2000Features) {
    // Small layer: the objects' own bounds.
    WriteTable(Tab("small"), {"a"}, {{Square(1000, 1000, 100), {}}});
    Layer* small = AddLayer(map, Tab("small"), true);
    ASSERT_TRUE(small);
    ZoomToLayer(map, *small);
    EXPECT_NEAR(map.bounds().xMin, 990, 1e-6);
    EXPECT_NEAR(map.bounds().xMax, 1110, 1e-6);

    // One point: only recentred.
    const double zoom = map.zoom();
    Feature point;
    {
        auto layerPath = Tab("point");
        WriteTable(layerPath, {"a"}, {});
        Layer* pl = AddLayer(map, layerPath, true);
        ASSERT_TRUE(pl);
        Feature text = FeatureFactory::createText(map, {5000, 7000}, "x", TextStyle{});
        ASSERT_TRUE(pl->addFeature(text, nullptr));
        ZoomToLayer(map, *pl);
    }
    EXPECT_EQ(map.centre(), QPointF(5000, 7000));
    EXPECT_DOUBLE_EQ(map.zoom(), zoom);

    // Large layer: the stored bounds, even where they are wider than the objects now.
    std::vector<std::pair<Feature, QStringList>> squares;
    for (int i = 0; i < 2000; ++i)
        squares.push_back({Square(i, 0, 1), {}});
    squares.push_back({Square(10000, 0, 1), {}});
    WriteTable(Tab("large"), {"a"}, squares);
    Layer* large = AddLayer(map, Tab("large"), true);
    ASSERT_TRUE(large);
    EXPECT_NEAR(large->bounds().xMax, 10001, 1e-6);
    ASSERT_TRUE(large->deleteFeature(large->features().back(), nullptr));
    ASSERT_EQ(large->featureCount(), 2000);
    ZoomToLayer(map, *large);
    EXPECT_NEAR(map.centre().x(), 5000.5, 1e-6);
    EXPECT_NEAR(map.bounds().width(), 10001 * 1.2, 1e-6);
    // One object fewer: the objects' own extent.
    ASSERT_TRUE(large->deleteFeature(large->features().back(), nullptr));
    ZoomToLayer(map, *large);
    EXPECT_NEAR(map.centre().x(), 999.5, 1e-6);
}

TEST_F(MapServices, EditLayersExternallyOpensEveryLokLayer) {
    RecordingShell shell;
    RecordingMessages messages;
    for (const char* name : {"лок01", "лок07", "локальні_нотатки", "райони"})
        WriteTable(Tab(QString::fromUtf8(name)), {"Km3"}, {});
    WriteTextFile(dir.filePath(QStringLiteral("лок03.txt")), "x");
    const QStringList errors =
        EditLayersExternally(dir.path(), {QStringLiteral("лок"), QStringLiteral("зони")});
    // The missing "зони.tab" comes back for the window to show, the rest are opened.
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QDir::toNativeSeparators(dir.filePath("зони.tab"))));
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(shell.opened.size(), 3);
    EXPECT_EQ(FileNameOf(shell.opened[0]), QStringLiteral("лок01.tab"));
    EXPECT_EQ(FileNameOf(shell.opened[1]), QStringLiteral("лок07.tab"));
    EXPECT_EQ(FileNameOf(shell.opened[2]), QStringLiteral("локальні_нотатки.tab"));
}

TEST_F(MapServices, WorkspaceListsLayersBottomUp) {
    WriteTable(Tab("a"), {"x"}, {});
    WriteTable(Tab("b"), {"x"}, {});
    AddLayer(map, Tab("a"), true);
    AddLayer(map, Tab("b"), true);
    const QString gwp = dir.filePath(QStringLiteral("карта.gwp"));
    ASSERT_TRUE(WriteEditorWorkspace(map, gwp));
    EXPECT_EQ(ReadTextFile(gwp), "/LAYER File=" + Tab("a") + "\n/LAYER File=" + Tab("b") + "\n");
    EXPECT_FALSE(WriteEditorWorkspace(map, dir.filePath("no/such/folder/k.gwp")));
}

TEST_F(MapServices, SelectionAttributesFollowLayerOrder) {
    WriteTable(Tab(QStringLiteral("зони")), {"Zona", "Km2"}, {{Square(0, 0, 100), {"1", "1.2"}}});
    WriteTable(Tab(QStringLiteral("райони")), {"Raion"},
               {{Square(0, 0, 50), {"1"}}, {Square(50, 0, 50), {"2"}}});
    AddLayer(map, Tab(QStringLiteral("зони")), true);
    AddLayer(map, Tab(QStringLiteral("райони")), true);
    int emitted = 0;
    QObject::connect(&map, &MapDocument::selectionChanged, [&] { ++emitted; });
    map.selectAt({60, 10}, 0.5);
    EXPECT_EQ(emitted, 1);
    const auto lines = SelectionAttributes(map);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].field, "Raion");
    EXPECT_EQ(lines[0].value, "2");
    EXPECT_EQ(lines[0].layer, QStringLiteral("райони"));
    EXPECT_EQ(lines[1].field, "Zona");
    EXPECT_EQ(lines[1].layer, QStringLiteral("зони"));
    EXPECT_EQ(lines[2].value, "1.2");
    // A hidden layer's object leaves the list; hidden layers are not selected; a click on
    // nothing clears.
    GetLayer(map, QStringLiteral("зони"))->setVisible(false);
    EXPECT_EQ(SelectionAttributes(map).size(), 1u);
    map.selectAt({60, 10}, 0.5);
    EXPECT_EQ(SelectionAttributes(map).size(), 1u);
    map.selectAt({500, 500}, 0.5);
    EXPECT_TRUE(SelectionAttributes(map).empty());
}

} // namespace
