// The layers that must tile: the demonstration settlement is clean, a grown district is found
// with its neighbours, and "tamberon layers import" refuses a layer that breaks the tiling
// unless told to write it anyway.
#include "gis/SettlementTiling.h"
#include "commands/ChainCommand.h"
#include "commands/LayersCommand.h"
#include "common/FileUtils.h"
#include "gis/SettlementLayers.h"
#include "gis/ui/LayerImportDialog.h"
#include "gis/ui/MapGisTools.h"
#include "map/TabFile.h"
#include "map/ui/MapView.h"
#include "tests/gis/SettlementMap.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <ogr_geometry.h>

#include <map>

namespace {

/** A rectangle as WKT. */
QString BoxWkt(double x0, double y0, double x1, double y1) {
    return QStringLiteral("POLYGON ((%1 %2, %3 %2, %3 %4, %1 %4, %1 %2))")
        .arg(x0)
        .arg(y0)
        .arg(x1)
        .arg(y1);
}

/** District 1 of the settlement grown all round by `metres` (0 writes it back as it was). */
void GrowDistrict(const QString& folder, double metres) {
    const QString path = SettlementLayerPath(folder, QStringLiteral("райони"));
    static std::map<QString, TableContent> original;
    QString error;
    TableContent content;
    ASSERT_TRUE(TabFile::read(path, content, &error)) << error.toStdString();
    if (!original.count(path))
        original[path] = content;
    content = original[path];
    for (Feature& f : content.features) {
        QString number;
        f.value(QStringLiteral("Raion"), &number);
        if (number.trimmed() == QStringLiteral("1") && metres > 0)
            f.setGeometry(std::make_shared<const Geometry>(
                std::unique_ptr<OGRGeometry>(f.geometry()->ogr()->Buffer(metres))));
    }
    ASSERT_TRUE(TabFile::replaceAll(path, content.fields, content.features, &error))
        << error.toStdString();
}

class TilingImport : public ::testing::Test {
protected:
    QString folder() const { return m_dir.filePath(QStringLiteral("село")); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    struct Outcome {
        int status = -1;
        QString out;
        QString err;
    };

    Outcome import(const QString& kind, const QString& source, bool allow = false) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        QStringList args{QStringLiteral("import"), folder(), kind, source,
                         QStringLiteral("--replace")};
        if (allow)
            args << QStringLiteral("--allow-overlaps");
        r.status = RunLayersCommand(args, m_app.path(), out, err);
        return r;
    }

    /** A source of districts numbered 1, 2... in "NOMER", one rectangle each. */
    QString districts(const QString& name, const std::vector<QString>& shapes) {
        std::vector<TestObject> objects;
        for (size_t i = 0; i < shapes.size(); ++i)
            objects.push_back({shapes[i], {QString::number(i + 1)}});
        const QString path = file(name + QStringLiteral(".gpkg"));
        WriteSourceFile(path, QStringLiteral("GPKG"), name, QStringLiteral("EPSG:6384"),
                        {{QStringLiteral("NOMER"), QStringLiteral("int")}}, objects);
        return path;
    }

    QString boundary(const QString& name, const QString& shape) {
        const QString path = file(name + QStringLiteral(".gpkg"));
        WriteSourceFile(path, QStringLiteral("GPKG"), name, QStringLiteral("EPSG:6384"),
                        {{QStringLiteral("NAME"), QStringLiteral("text")}},
                        {{shape, {QStringLiteral("село")}}});
        return path;
    }

    qint64 written(const QString& layer) const {
        TableContent content;
        if (!TabFile::read(SettlementLayerPath(folder(), layer), content, nullptr))
            return -1;
        return static_cast<qint64>(content.features.size());
    }

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    TempAppDir m_app;
    QTemporaryDir m_dir;
};

} // namespace

TEST(SettlementTiling, TheDemonstrationTilesAndAGrownDistrictOverlapsItsNeighbours) {
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(WriteDemoLayers(dir.path(), DemoSize{}, &error)) << error.toStdString();
    SettlementTiling tiling;
    CheckSettlementTiling(dir.path(), tiling);
    EXPECT_TRUE(tiling.clean()) << tiling.lines().join(u'\n').toStdString();
    EXPECT_TRUE(tiling.notes.isEmpty()) << tiling.notes.join(u'\n').toStdString();

    // District 1 grown by 40 m all round, as an edit in another GIS would leave it.
    GrowDistrict(dir.path(), 40);

    CheckSettlementTiling(dir.path(), tiling);
    ASSERT_FALSE(tiling.clean());
    const QRegularExpression line(QStringLiteral(
        R"(^Райони (\d+) і (\d+) перекриваються: \d+,\d м² біля \(\d+,\d; \d+,\d\)$)"));
    int overlaps = 0;
    for (const TilingLine& f : tiling.findings) {
        EXPECT_EQ(f.kind, LayerKind::Districts) << f.text.toStdString();
        ASSERT_TRUE(f.piece);
        if (f.fault != TilingFault::Overlap)
            continue;
        const QRegularExpressionMatch m = line.match(f.text);
        ASSERT_TRUE(m.hasMatch()) << f.text.toStdString();
        EXPECT_TRUE(m.captured(1) == QStringLiteral("1") || m.captured(2) == QStringLiteral("1"))
            << f.text.toStdString();
        ++overlaps;
    }
    EXPECT_GE(overlaps, 2);

    // A layer that cannot be read is no clean layer: it is named, the others still checked.
    const QString zones = SettlementLayerPath(dir.path(), QStringLiteral("зони"));
    QFile damaged(zones);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("не таблиця");
    damaged.close();
    CheckSettlementTiling(dir.path(), tiling);
    ASSERT_EQ(tiling.unreadable.size(), 1);
    EXPECT_TRUE(tiling.unreadable[0].startsWith(QStringLiteral("Шар «зони» не читається")))
        << tiling.unreadable[0].toStdString();
    EXPECT_FALSE(tiling.findings.empty());
    EXPECT_EQ(tiling.lines().first(), tiling.unreadable[0]);
}

TEST(SettlementTiling, LinesNameTheRegionsTheAreaAndThePoint) {
    TilingFinding f;
    f.fault = TilingFault::Gap;
    f.labels = QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("7")};
    f.area = 125.44;
    f.point = QPointF(5423101.23, 1234567.8);
    EXPECT_EQ(TilingLineText(LayerKind::Districts, f),
              QStringLiteral("Частину меж населеного пункту між районами 3, 4 і 7 не вкрито: "
                             "125,4 м² біля (5423101,2; 1234567,8)"));
    f.labels = QStringList{QStringLiteral("2")};
    EXPECT_EQ(TilingLineText(LayerKind::Zones, f),
              QStringLiteral("Частину меж населеного пункту біля зони 2 не вкрито зонами: "
                             "125,4 м² біля (5423101,2; 1234567,8)"));
    f.fault = TilingFault::Outside;
    f.labels = QStringList{QStringLiteral("№ 12 (код 110)")};
    EXPECT_EQ(TilingLineText(LayerKind::Functional, f),
              QStringLiteral("Функціональна зона № 12 (код 110) виходить за межі населеного "
                             "пункту: 125,4 м² біля (5423101,2; 1234567,8)"));
}

TEST_F(TilingImport, AnImportThatBreaksTheTilingIsRefusedUnlessAllowed) {
    // Without a boundary only overlaps count, and a note says so.
    Outcome r =
        import(QStringLiteral("райони"),
               districts(QStringLiteral("a"), {BoxWkt(0, 0, 100, 100), BoxWkt(100, 0, 300, 100)}));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Примітка: Шару меж населеного пункту «межі» немає")))
        << r.err.toStdString();

    r = import(QStringLiteral("межі"), boundary(QStringLiteral("b"), BoxWkt(0, 0, 300, 100)));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Відмова"))) << r.err.toStdString();

    // Districts overlapping by 10 × 100 m: refused, the old layer kept.
    const QString overlapping =
        districts(QStringLiteral("c"), {BoxWkt(0, 0, 110, 100), BoxWkt(100, 0, 300, 100)});
    r = import(QStringLiteral("райони"), overlapping);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        r.err.contains(QStringLiteral("Відмова: Райони 1 і 2 перекриваються: 1000,0 м² біля (1")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("--allow-overlaps")));
    EXPECT_FALSE(r.out.contains(QStringLiteral("Записано")));
    TableContent content;
    ASSERT_TRUE(
        TabFile::read(SettlementLayerPath(folder(), QStringLiteral("райони")), content, nullptr));
    ASSERT_EQ(content.features.size(), 2u);
    EXPECT_NEAR(content.features[0].areaSquareMetres(), 10000, 1);

    // A gap of 5 m between them, and a district past the boundary: refused too.
    r = import(QStringLiteral("райони"),
               districts(QStringLiteral("d"), {BoxWkt(0, 0, 100, 100), BoxWkt(105, 0, 300, 120)}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Відмова: Район 2 виходить за межі населеного "
                                              "пункту: 3900,0 м² біля (")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Відмова: Частину меж населеного пункту між "
                                              "районами 1 і 2 не вкрито: 500,0 м² біля (")))
        << r.err.toStdString();

    // Slivers under the tolerance are no reason to refuse.
    r = import(
        QStringLiteral("райони"),
        districts(QStringLiteral("e"), {BoxWkt(0, 0, 100.005, 100), BoxWkt(100, 0, 300, 100)}));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();

    // With --allow-overlaps the overlapping layer is written, the lines said as warnings.
    r = import(QStringLiteral("райони"), overlapping, true);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Увага: Райони 1 і 2 перекриваються")))
        << r.err.toStdString();
    ASSERT_TRUE(
        TabFile::read(SettlementLayerPath(folder(), QStringLiteral("райони")), content, nullptr));
    EXPECT_NEAR(content.features[0].areaSquareMetres(), 11000, 1);

    // A new boundary that leaves districts outside is refused as well.
    r = import(QStringLiteral("межі"), boundary(QStringLiteral("f"), BoxWkt(0, 0, 200, 100)));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Відмова: Район 2 виходить за межі")))
        << r.err.toStdString();
    EXPECT_EQ(written(QStringLiteral("межі")), 1);

    // Soils need not tile: no check at all.
    r = import(QStringLiteral("грунти"), [&] {
        const QString path = file(QStringLiteral("g.gpkg"));
        WriteSourceFile(path, QStringLiteral("GPKG"), QStringLiteral("g"),
                        QStringLiteral("EPSG:6384"),
                        {{QStringLiteral("Code"), QStringLiteral("text")}},
                        {{BoxWkt(0, 0, 100, 100), {QStringLiteral("1")}},
                         {BoxWkt(50, 0, 150, 100), {QStringLiteral("2")}}});
        return path;
    }());
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
}

// "Перевірити покриття шарів" on the "Графіка" tab: the pieces found drawn in red on a layer of
// their own, the lines in a warning; once mended, a plain answer and the layer gone.
TEST(SettlementTiling, TheGraphicsTabShowsThePiecesFound) {
    TestApplication();
    RecordingMessages messages;
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(WriteDemoLayers(dir.path(), DemoSize{}, &error)) << error.toStdString();
    GrowDistrict(dir.path(), 40);
    MapDocument document;
    MapView view(document);
    view.resize(800, 600);
    ShowSettlementMap(view, dir.path());
    MapGisTools tools(
        &view,
        [&dir] {
            return PlaceSession{dir.path(), nullptr, nullptr, QString()};
        },
        [](const PlaceTransfer&) {});
    const auto shown = [&document]() -> Layer* {
        for (int i = 0; i < document.layerCount(); ++i)
            if (document.layerAt(i)->name() == MapGisTools::tilingLayerName())
                return document.layerAt(i);
        return nullptr;
    };

    tools.actTiling->trigger();
    ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("Райони 1 і ")))
        << messages.last().text.toStdString();
    SettlementTiling tiling;
    CheckSettlementTiling(dir.path(), tiling);
    Layer* layer = shown();
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->featureCount(), static_cast<int>(tiling.findings.size()));
    const Feature& first = layer->features().front();
    EXPECT_TRUE(first.isRegion());
    EXPECT_EQ(first.regionStyle().regionColor, 0x0000FF);
    QString text;
    first.value(QStringLiteral("Opys"), &text);
    EXPECT_EQ(text, QString(tiling.findings.front().text)
                        .replace(QStringLiteral("м²"), QStringLiteral("кв. м")));

    // Mended: the check says so, and the red layer goes; asked again it is not doubled.
    GrowDistrict(dir.path(), 0);
    messages.clear();
    tools.actTiling->trigger();
    ASSERT_EQ(messages.texts(QStringLiteral("info")).size(), 1);
    EXPECT_EQ(shown(), nullptr);
}

// The window's import asks before writing a layer that does not tile.
TEST_F(TilingImport, TheWindowAsksBeforeWritingALayerThatDoesNotTile) {
    TestApplication();
    RecordingMessages messages;
    ASSERT_EQ(import(QStringLiteral("межі"), boundary(QStringLiteral("b"), BoxWkt(0, 0, 300, 100)))
                  .status,
              0);
    const QString source =
        districts(QStringLiteral("c"), {BoxWkt(0, 0, 110, 100), BoxWkt(100, 0, 300, 100)});
    const auto importWith = [&](Answer answer) {
        LayerImportDialog dialog(folder());
        EXPECT_TRUE(dialog.setSource(source));
        dialog.kindBox->setCurrentIndex(
            dialog.kindBox->findText(QStringLiteral("райони"), Qt::MatchStartsWith));
        messages.clear();
        messages.answer({answer});
        QTest::mouseClick(dialog.importButton, Qt::LeftButton);
        EXPECT_TRUE(dialog.checkText->toPlainText().contains(
            QStringLiteral("Покриття: Райони 1 і 2 перекриваються: 1000,0 м²")))
            << dialog.checkText->toPlainText().toStdString();
        return dialog.result() == QDialog::Accepted;
    };
    EXPECT_FALSE(importWith(Answer::No));
    ASSERT_EQ(messages.texts(QStringLiteral("confirm")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Шар «райони» не вкриває межі як слід:\rРайони 1 і 2 перекриваються")))
        << messages.last().text.toStdString();
    EXPECT_EQ(written(QStringLiteral("райони")), -1);
    EXPECT_TRUE(importWith(Answer::Yes));
    EXPECT_EQ(written(QStringLiteral("райони")), 2);
}

// "tamberon check" names each overlap with its place (status 1) and is clean again once the
// layer is mended; without a boundary only overlaps are checked, with a note.
TEST(SettlementTiling, TheCheckCommandReportsTheLayersThatDoNotTile) {
    TempAppDir app{true};
    QString error;
    ASSERT_TRUE(WriteDemoProject(app.path(), DemoSize{}, &error)) << error.toStdString();
    const QString folder =
        JoinPath(app.path(), QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
    const auto check = [&folder](QString* printed) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const int status = RunCheckCommand({folder}, out, err);
        out.flush();
        *printed = outText;
        return status;
    };
    QString printed;
    ASSERT_EQ(check(&printed), 0) << printed.toStdString();
    GrowDistrict(folder, 40);
    EXPECT_EQ(check(&printed), 1);
    EXPECT_TRUE(printed.contains(QRegularExpression(
        QStringLiteral(R"(Райони (1 і \d+|\d+ і 1) перекриваються: \d+,\d м² біля \()"))))
        << printed.toStdString();

    // No boundary: the overlaps are still found, and the note says what was not checked.
    for (const QString& suffix : {QStringLiteral(".tab"), QStringLiteral(".dat"),
                                  QStringLiteral(".map"), QStringLiteral(".id")})
        QFile::remove(JoinPath(folder, QStringLiteral("межі") + suffix));
    EXPECT_EQ(check(&printed), 1);
    EXPECT_TRUE(printed.contains(QStringLiteral("перекриваються"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("примітка: Шару меж населеного пункту «межі» "
                                                "немає: перевірено лише перекриття (райони, "
                                                "зони, функціональне)")))
        << printed.toStdString();
    GrowDistrict(folder, 0);
    EXPECT_EQ(check(&printed), 0) << printed.toStdString();
}
