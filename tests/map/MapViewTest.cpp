#include "MapTestUtil.h"

#include "common/GlobalVar.h"
#include "map/MapGlobal.h"
#include "map/ui/MapControl.h"
#include "map/ui/MapView.h"
#include "map/ui/ViewEntireLayer.h"
#include "tests/support/TestSupport.h"

#include "tests/support/TestApplication.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class MapViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        WriteTable(dir.filePath(QStringLiteral("межі.tab")), {"info"},
                   {{Square(0, 0, 1000), {QStringLiteral("межа")}}});
        WriteTable(dir.filePath(QStringLiteral("райони.tab")), {"Raion", "Zona"},
                   {{Square(0, 0, 500), {"1", "1"}}, {Square(500, 0, 500), {"2", "1"}}});
        // The districts carry their numbers, as the program's map labels them.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        view.Map1->setLabelRule({{QStringLiteral("Райони"), font, Qt::black, [](const Feature& f) {
                                      QString value;
                                      f.value(QStringLiteral("Raion"), &value);
                                      return value;
                                  }}});
        view.resize(1000, 700);
        view.show();
        view.setSettlementFolder(dir.path());
        view.setEditorWorkspace(app.file(QStringLiteral("карта.gwp")));
        // The settlement's layers as the main window adds them; "зони" is missing here.
        for (const char* name : {"межі.tab", "зони.tab", "райони.tab"})
            view.AddLayer(dir.filePath(QString::fromUtf8(name)), true);
        ZoomToRectangle(view.map(), AllLayersBounds(view.map()));
        view.RefreshLayerList();
    }

    QPoint screenOf(const QPointF& mapPoint) { return view.map().toScreen(mapPoint).toPoint(); }

    TempAppDir app;
    RecordingMessages messages;
    RecordingShell shell;
    QTemporaryDir dir;
    MapDocument document;
    MapView view{document};
};

TEST_F(MapViewTest, LoadsTheStandardLayersWithoutComplainingAboutAMissingOne) {
    EXPECT_EQ(LayerNames(view.map()),
              (QStringList{QStringLiteral("райони"), QStringLiteral("межі")}));
    ASSERT_EQ(view.ListMapLayers->count(), 2);
    EXPECT_EQ(view.ListMapLayers->item(0)->text(), QStringLiteral("райони"));
    EXPECT_EQ(view.ListMapLayers->item(0)->checkState(), Qt::Checked);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(view.CmdSelect->isChecked());
    EXPECT_EQ(view.map().currentTool(), ToolSelect);
}

TEST_F(MapViewTest, ClicksWithEachTool) {
    // Select: the attribute list shows both layers' objects, districts first, each layer's
    // fields under its name.
    QTest::mouseClick(view.CmdSelect, Qt::LeftButton);
    QTest::mouseClick(view.Map1, Qt::LeftButton, {}, screenOf({750, 250}));
    ASSERT_EQ(view.ListMapValues->topLevelItemCount(), 2);
    const QTreeWidgetItem* districts = view.ListMapValues->topLevelItem(0);
    EXPECT_EQ(districts->text(0), QStringLiteral("райони"));
    ASSERT_EQ(districts->childCount(), 2);
    EXPECT_EQ(districts->child(0)->text(0), "Raion");
    EXPECT_EQ(districts->child(0)->text(1), "2");
    EXPECT_EQ(view.ListMapValues->topLevelItem(1)->text(0), QStringLiteral("межі"));
    EXPECT_EQ(view.ListMapValues->topLevelItem(1)->child(0)->text(1), QStringLiteral("межа"));

    // Zoom in by a click halves the shown width and centres on the click.
    QTest::mouseClick(view.CmdZoomin, Qt::LeftButton);
    EXPECT_EQ(view.map().currentTool(), ToolZoomIn);
    const double zoom = view.map().zoom();
    QTest::mouseClick(view.Map1, Qt::LeftButton, {}, screenOf({250, 250}));
    EXPECT_NEAR(view.map().zoom(), zoom / 2, 1e-6);
    EXPECT_NEAR(view.map().centre().x(), 250, view.map().unitsPerPixel() * 2);

    // Zoom out doubles it again.
    QTest::mouseClick(view.cmdZoomout, Qt::LeftButton);
    QTest::mouseClick(view.Map1, Qt::LeftButton, {}, screenOf({250, 250}));
    EXPECT_NEAR(view.map().zoom(), zoom, 1e-6);

    // Pan: dragging 100 pixels right moves the centre 100 pixels' worth left.
    QTest::mouseClick(view.CmdRecenter, Qt::LeftButton);
    EXPECT_TRUE(view.CmdRecenter->isChecked());
    EXPECT_FALSE(view.CmdSelect->isChecked());
    const QPointF centre = view.map().centre();
    const double upp = view.map().unitsPerPixel();
    QTest::mousePress(view.Map1, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(view.Map1, QPoint(400, 300));
    QTest::mouseRelease(view.Map1, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_NEAR(view.map().centre().x(), centre.x() - 100 * upp, 1e-6);
    EXPECT_NEAR(view.map().centre().y(), centre.y(), 1e-6);

    // Zoom in by a dragged rectangle shows that rectangle.
    QTest::mouseClick(view.CmdZoomin, Qt::LeftButton);
    const QPoint a = screenOf({100, 100});
    const QPoint b = screenOf({300, 200});
    QTest::mousePress(view.Map1, Qt::LeftButton, {}, a);
    QTest::mouseMove(view.Map1, b);
    QTest::mouseRelease(view.Map1, Qt::LeftButton, {}, b);
    EXPECT_NEAR(view.map().bounds().xMin, 100, 2);
    EXPECT_NEAR(view.map().bounds().xMax, 300, 2);
}

TEST_F(MapViewTest, KeyboardPansAndZooms) {
    view.Map1->setFocus();
    const QPointF centre = view.map().centre();
    const double zoom = view.map().zoom();
    QTest::keyClick(view.Map1, Qt::Key_Right);
    EXPECT_NEAR(view.map().centre().x(), centre.x() + zoom / 8, 1e-6);
    QTest::keyClick(view.Map1, Qt::Key_Plus);
    EXPECT_NEAR(view.map().zoom(), zoom / 2, 1e-6);
    QTest::keyClick(view.Map1, Qt::Key_Minus);
    EXPECT_NEAR(view.map().zoom(), zoom, 1e-6);
}

TEST_F(MapViewTest, AttributeListFollowsTheMapOnceNotBusy) {
    view.setBusy(true);
    view.map().selectAt({100, 100}, 1);
    EXPECT_EQ(view.ListMapValues->topLevelItemCount(), 0);
    // The selection made while busy shows as soon as the view is free again.
    view.setBusy(false);
    EXPECT_EQ(view.ListMapValues->topLevelItemCount(), 2);
    // Hiding a layer takes its object out of the list at once.
    view.ListMapLayers->item(0)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(view.ListMapValues->topLevelItemCount(), 1);
    EXPECT_EQ(view.ListMapValues->topLevelItem(0)->text(0), QStringLiteral("межі"));
}

TEST_F(MapViewTest, LabelsToggleShowsTheDistrictNumbers) {
    view.map().setBounds({0, 0, 1000, 1000});
    auto pixelsOf = [this](const QImage& image) {
        const QPoint c = screenOf({250, 250}); // the middle of district 1
        int dark = 0;
        for (int y = c.y() - 8; y <= c.y() + 8; ++y)
            for (int x = c.x() - 8; x <= c.x() + 8; ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    ASSERT_TRUE(view.cmdLabels->isChecked());
    const int withLabels = pixelsOf(view.Map1->grab().toImage());
    QTest::mouseClick(view.cmdLabels, Qt::LeftButton);
    EXPECT_FALSE(view.Map1->showsLabels());
    const int without = pixelsOf(view.Map1->grab().toImage());
    EXPECT_GT(withLabels, without + 5);
}

TEST_F(MapViewTest, UncheckingALayerHidesIt) {
    view.ListMapLayers->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(GetLayer(view.map(), QStringLiteral("райони"))->visible());
    view.ListMapLayers->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(GetLayer(view.map(), QStringLiteral("райони"))->visible());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MapViewTest, TwoLayersOfTheSameNameAreSwitchedSeparately) {
    QTemporaryDir other;
    WriteTable(other.filePath(QStringLiteral("райони.tab")), {"Raion"},
               {{Square(5000, 5000, 10), {"9"}}});
    view.openFiles({other.filePath(QStringLiteral("райони.tab"))});
    ASSERT_EQ(view.ListMapLayers->count(), 3);
    view.ListMapLayers->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(view.map().layerAt(0)->visible());
    EXPECT_FALSE(view.map().layerAt(1)->visible());
}

TEST_F(MapViewTest, TheFirstLayerOfAnEmptyMapIsShownWhole) {
    view.removeAllLayers();
    view.map().setBounds({-50, -50, -40, -40});
    view.addLayer(dir.filePath(QStringLiteral("райони.tab")), true);
    EXPECT_NEAR(view.map().centre().x(), 500, 1e-6);
    view.map().setBounds({-50, -50, -40, -40});
    view.addLayer(dir.filePath(QStringLiteral("межі.tab")), true);
    EXPECT_NEAR(view.map().centre().x(), -45, 1e-6); // later layers keep the view
}

TEST_F(MapViewTest, LayersOpenedOnAnEmptyMapAreShownWhole) {
    view.removeAllLayers();
    view.map().setBounds({-50, -50, -40, -40});
    view.openFiles({dir.filePath(QStringLiteral("межі.tab"))});
    EXPECT_NEAR(view.map().centre().x(), 500, 1e-6);
    EXPECT_GE(view.map().bounds().width(), 1000);
}

TEST_F(MapViewTest, OpeningFilesAddsEachOnceAndStopsAtTheFirstBrokenOne) {
    WriteTable(dir.filePath("extra.tab"), {"a"}, {{Square(0, 0, 1), {}}});
    WriteTextFile(dir.filePath("broken.tab"), "not a table");
    view.openFiles({dir.filePath("extra.tab"), dir.filePath("extra.tab")});
    EXPECT_EQ(view.map().layerCount(), 3);
    EXPECT_EQ(view.ListMapLayers->count(), 3);
    view.openFiles({dir.filePath("broken.tab"), dir.filePath("never.tab")});
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.texts("error")[0].startsWith(
        QStringLiteral("Відкривання карти \"broken.tab\"\rПомилка: ")));
    EXPECT_EQ(view.map().layerCount(), 3);
}

TEST_F(MapViewTest, ShowEntireChoosesALayerOrEverything) {
    TFormViewEntireLayer form(LayerNames(view.map()));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Показати шар повністю"));
    ASSERT_EQ(form.ListBoxLayers->count(), 3);
    EXPECT_EQ(form.chosen(), QStringLiteral("(все)"));
    form.ListBoxLayers->setCurrentRow(0);
    EXPECT_EQ(form.chosen(), QStringLiteral("райони"));

    view.showEntire(QStringLiteral("райони"));
    EXPECT_NEAR(view.map().centre().x(), 500, 1e-6);
    view.map().setZoom(10);
    view.showEntire(QStringLiteral("(все)"));
    EXPECT_GE(view.map().bounds().width(), 1200 - 1e-6);
}

// Answers the layer window once it is shown: picks a row (or none) and presses a button.
void AnswerEntireWindow(int row, bool ok) {
    QTimer::singleShot(0, [row, ok] {
        auto* form = qobject_cast<TFormViewEntireLayer*>(QApplication::activeModalWidget());
        if (!form) {
            AnswerEntireWindow(row, ok);
            return;
        }
        if (row >= 0)
            form->ListBoxLayers->setCurrentRow(row);
        QTest::mouseClick(ok ? form->BOk : form->BCancel, Qt::LeftButton);
    });
}

TEST_F(MapViewTest, ShowEntireButtonAsksWhichLayer) {
    WriteTable(dir.filePath("far.tab"), {"a"}, {{Square(9000, 9000, 100), {}}});
    view.openFiles({dir.filePath("far.tab")});
    AnswerEntireWindow(0, true);
    QTest::mouseClick(view.cmdEntire, Qt::LeftButton);
    EXPECT_NEAR(view.map().centre().x(), 9050, 1e-6);
    // Cancelled: nothing moves.
    AnswerEntireWindow(1, false);
    QTest::mouseClick(view.cmdEntire, Qt::LeftButton);
    EXPECT_NEAR(view.map().centre().x(), 9050, 1e-6);
    // The preselected "(все)" shows every layer.
    AnswerEntireWindow(-1, true);
    QTest::mouseClick(view.cmdEntire, Qt::LeftButton);
    EXPECT_NEAR(view.map().centre().x(), 4550, 1e-6);
}

TEST_F(MapViewTest, EditorWorkspaceIsWrittenAndOpened) {
    QTest::mouseClick(view.cmdEditor, Qt::LeftButton);
    const QString gwp = app.file(QStringLiteral("карта.gwp"));
    ASSERT_EQ(shell.opened, QStringList{gwp});
    EXPECT_EQ(ReadTextFile(gwp), "/LAYER File=" + dir.filePath(QStringLiteral("межі.tab")) +
                                     "\n/LAYER File=" + dir.filePath(QStringLiteral("райони.tab")) +
                                     "\n");
}

TEST_F(MapViewTest, CreateLayerAndEditExternallyUseTheSettlementFolder) {
    Layer* labels = view.CreateLayer(QStringLiteral("підписи"));
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->filespec(), dir.filePath(QStringLiteral("підписи.tab")));
    EXPECT_TRUE(view.EditLayersExternally({QStringLiteral("райони")}));
    EXPECT_EQ(shell.opened.last(), dir.filePath(QStringLiteral("райони.tab")));
    // A table that is not there is shown under "Запуск".
    EXPECT_FALSE(view.EditLayersExternally({QStringLiteral("немає")}));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Запуск"));
    EXPECT_TRUE(messages.last().text.startsWith(
        QDir::toNativeSeparators(dir.filePath(QStringLiteral("немає.tab")))));
}

} // namespace
