// The value of places of the shipped demonstration settlement, checked against what its steps
// stored (the zone values of "км2") and its local-factor layers; the export of it to a
// GeoPackage read back by ogrinfo. Skipped when the program is not built.
#include "commands/LayersCommand.h"
#include "commands/ValueCommand.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "gis/PlaceValue.h"
#include "gis/ui/MapGisTools.h"
#include "gis/ui/PlaceValuePanel.h"
#include "map/MapDocument.h"
#include "map/MapGlobal.h"
#include "map/TabFile.h"
#include "map/ui/MapView.h"
#include "office/Document.h"
#include "tests/gis/SettlementMap.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"
#include "tools/demo/VillageMap.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <ogr_api.h>
#include <ogr_geometry.h>

namespace {

/** A copy of the demonstration settlement and of the program folder's catalogue. */
class DemoPlace : public ::testing::Test {
protected:
    void SetUp() override {
        const QString source = JoinPath(
            BuiltAppDir(), QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
        if (!QFileInfo(source).isDir())
            GTEST_SKIP() << "the program is not built";
        m_folder = m_dir.filePath(QStringLiteral("с. Демонстраційне"));
        CopyTree(source, m_folder);
        ASSERT_TRUE(m_project.open(JoinPath(m_folder, QStringLiteral("data.sqlite"))));
        ASSERT_TRUE(m_catalogue.open(m_app.file(QStringLiteral("baza.sqlite"))));
        QString error;
        ASSERT_TRUE(m_layers.load(m_folder, &error)) << error.toStdString();
        ASSERT_TRUE(ReadPlaceSources(m_project, &m_catalogue, m_sources, &error))
            << error.toStdString();
    }

    /** The zone value the zonal step stored for a district. */
    QString storedZoneValue(const QString& district) {
        Query q(&m_project);
        EXPECT_TRUE(RunQuery(
            q, QStringLiteral("SELECT вартість FROM км2 WHERE район='%1'").arg(district), true));
        return q.eof() ? QString() : q.text(0);
    }

    /** A point inside an object of a layer, with the object's values. */
    static QPointF inside(const Feature& f) { return PointInside(f); }

    QTemporaryDir m_dir;
    TempAppDir m_app{true};
    QString m_folder;
    Connection m_project;
    Connection m_catalogue;
    PlaceLayers m_layers;
    PlaceSources m_sources;
};

double Number(const QString& text) {
    return text.toDouble();
}

/** Rounded to two decimals as the texts of money are. */
QString Money(double value) {
    return QString::number(std::round(value * 100) / 100, 'f', 2);
}

} // namespace

TEST_F(DemoPlace, EveryFactorRegionIsValuedWithItsDistrictsZoneAndItsCoefficient) {
    const VillageMap village = BuildVillageMap(DemoSize{}.districts, DemoSize{}.functional);
    const QStringList layers = demo::localLayers();
    int valued = 0;
    for (qsizetype l = 0; l < layers.size(); ++l) {
        TableContent table;
        ASSERT_TRUE(
            TabFile::read(JoinPath(m_folder, layers[l] + QStringLiteral(".tab")), table, nullptr));
        for (size_t k = 0; k < table.features.size(); ++k) {
            const Feature& region = table.features[k];
            QString km3;
            region.value(QStringLiteral("Km3"), &km3);
            const QString district =
                QString::number(village.local[static_cast<size_t>(l)][k].district);
            SCOPED_TRACE((layers[l] + u' ' + district).toStdString());

            PlaceValuation v;
            QString reason;
            ASSERT_TRUE(ValuePoint(m_layers, m_sources, inside(region), {}, v, &reason))
                << reason.toStdString();
            EXPECT_EQ(v.place.district, district);
            ASSERT_EQ(v.place.factors.size(), 1u); // the demonstration's regions never overlap
            EXPECT_EQ(v.place.factors[0].layer, layers[l]);
            EXPECT_EQ(v.place.factors[0].coefficient, km3);
            EXPECT_FALSE(v.place.factors[0].name.isEmpty()); // named from the catalogue
            EXPECT_EQ(v.place.zoneValue, storedZoneValue(district));
            EXPECT_EQ(v.use, QStringLiteral("Ж"));
            EXPECT_EQ(v.kf, QStringLiteral("1.00"));
            EXPECT_EQ(v.place.km3, km3);
            EXPECT_EQ(v.place.valuePerSqM, Money(Number(v.place.zoneValue) * Number(km3)));
            ++valued;
        }
    }
    EXPECT_EQ(valued, 9);
}

TEST_F(DemoPlace, LandUseAndIndexationChangeTheValueAndOutsidePlacesAreRefused) {
    TableContent districts;
    ASSERT_TRUE(
        TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
    const QPointF p = inside(districts.features.front());
    PlaceOptions commercial;
    commercial.use = QStringLiteral("к"); // letter case ignored
    commercial.fromYear = 2022;
    commercial.year = 2025;
    PlaceValuation v;
    QString reason;
    ASSERT_TRUE(ValuePoint(m_layers, m_sources, p, commercial, v, &reason)) << reason.toStdString();
    EXPECT_EQ(v.use, QStringLiteral("К"));
    EXPECT_EQ(v.kf, QStringLiteral("2.50"));
    EXPECT_EQ(v.place.valuePerSqM, Money(Number(v.place.zoneValue) * 2.5 * Number(v.place.km3)));
    // The catalogue's coefficients of 2022 and 2024 are named and multiplied.
    Query q(&m_catalogue);
    ASSERT_TRUE(RunQuery(q,
                         QStringLiteral("SELECT рік, індексація FROM індексація WHERE "
                                        "cint(рік) >= 2022 AND cint(рік) < 2025 ORDER BY id"),
                         true));
    double factor = 1;
    QStringList named;
    for (q.first(); !q.eof(); q.next())
        if (Number(q.text(1)) > 0) {
            factor *= Number(q.text(1));
            named << q.text(0) + QStringLiteral(": ") + QString::number(Number(q.text(1)), 'f', 3);
        }
    EXPECT_EQ(v.coefficients, named);
    EXPECT_EQ(v.indexFactor, QString::number(factor, 'f', 3));
    // The value follows from the factor shown beside it.
    EXPECT_EQ(v.indexedValue, Money(Number(v.place.valuePerSqM) * Number(v.indexFactor)));
    EXPECT_TRUE(
        PlaceValuationLines(v).join(u'\n').contains(QStringLiteral("Індексація з 2022 до 2025")));

    PlaceOptions forests;
    forests.use = QStringLiteral("Л");
    EXPECT_FALSE(ValuePoint(m_layers, m_sources, p, forests, v, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("Кф не встановлено"))) << reason.toStdString();
    forests.use = QStringLiteral("Ы");
    EXPECT_FALSE(ValuePoint(m_layers, m_sources, p, forests, v, &reason));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Коду використання «Ы» немає")));

    EXPECT_FALSE(ValuePoint(m_layers, m_sources, {0, 0}, {}, v, &reason));
    EXPECT_EQ(reason, QStringLiteral("Точка (0.00; 0.00) лежить поза межами населеного пункту."));
}

TEST_F(DemoPlace, APlotAcrossTwoDistrictsIsValuedByItsParts) {
    // Two neighbouring districts: a 20 m square on the middle of their common border.
    TableContent districts;
    ASSERT_TRUE(
        TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
    QPointF middle;
    QString a, b;
    for (size_t i = 1; i < districts.features.size() && a.isEmpty(); ++i) {
        std::unique_ptr<OGRGeometry> border(districts.features[0].geometry()->ogr()->Intersection(
            districts.features[i].geometry()->ogr()));
        if (border && wkbFlatten(border->getGeometryType()) == wkbLineString &&
            border->toLineString()->get_Length() > 100) {
            OGRPoint c;
            border->toLineString()->Value(border->toLineString()->get_Length() / 2, &c);
            middle = {c.getX(), c.getY()};
            districts.features[0].value(QStringLiteral("Raion"), &a);
            districts.features[i].value(QStringLiteral("Raion"), &b);
        }
    }
    ASSERT_FALSE(a.isEmpty()) << "no neighbours with a straight common border";
    const QString plotFile = m_dir.filePath(QStringLiteral("ділянка.geojson"));
    WriteSourceFile(plotFile, QStringLiteral("GPKG"), QStringLiteral("plot"), QString(), {},
                    {{SquareWkt(middle.x() - 10, middle.y() - 10, 20), {}}});

    // Through the command, as the valuer runs it.
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int status =
        RunValueCommand({m_folder, QStringLiteral("--plot"), plotFile, QStringLiteral("--json")},
                        m_app.path(), out, err);
    ASSERT_EQ(status, 0) << errText.toStdString();
    const QJsonObject v = QJsonDocument::fromJson(outText.toUtf8()).object();
    EXPECT_EQ(v[QStringLiteral("areaHa")].toString(), QStringLiteral("0.0400"));
    const QJsonArray parts = v[QStringLiteral("parts")].toArray();
    ASSERT_EQ(parts.size(), 2);
    double total = 0, area = 0;
    for (const QJsonValue& p : parts) {
        const QJsonObject part = p.toObject();
        const QString district = part[QStringLiteral("district")].toString();
        EXPECT_TRUE(district == a || district == b) << district.toStdString();
        EXPECT_EQ(part[QStringLiteral("zoneValue")].toString(), storedZoneValue(district));
        const double perSqM = Number(part[QStringLiteral("valuePerSqM")].toString());
        const double ha = Number(part[QStringLiteral("areaHa")].toString());
        EXPECT_EQ(part[QStringLiteral("value")].toString(), Money(perSqM * 10000 * ha));
        total += Number(part[QStringLiteral("value")].toString());
        area += ha;
    }
    EXPECT_NEAR(area, 0.04, 1e-4);
    EXPECT_EQ(v[QStringLiteral("value")].toString(), Money(total));
}

TEST_F(DemoPlace, TheCommandSaysWhyAPlaceIsNotValued) {
    auto run = [this](const QStringList& args, QString* errText = nullptr) {
        QString o, e;
        QTextStream out(&o), err(&e);
        const int status = RunValueCommand(args, m_app.path(), out, err);
        if (errText)
            *errText = e;
        return status;
    };
    QString err;
    EXPECT_EQ(run({m_folder, QStringLiteral("--at"), QStringLiteral("0,0")}, &err), 1);
    EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
    EXPECT_EQ(run({m_folder, QStringLiteral("--at"), QStringLiteral("x,0")}), 2);
    // An unknown land-use code is a wrong call, told before anything is read.
    EXPECT_EQ(run({m_folder, QStringLiteral("--at"), QStringLiteral("0,0"), QStringLiteral("--use"),
                   QStringLiteral("Ы")},
                  &err),
              2);
    EXPECT_TRUE(err.startsWith(QStringLiteral("Коду використання «Ы» немає"))) << err.toStdString();
    EXPECT_EQ(run({m_folder, QStringLiteral("--at"), QStringLiteral("1,1"),
                   QStringLiteral("--plot"), QStringLiteral("a.shp")}),
              2);
    EXPECT_EQ(run({m_dir.filePath(QStringLiteral("немає")), QStringLiteral("--at"),
                   QStringLiteral("1,1")}),
              2);
}

TEST_F(DemoPlace, TheExportIsAGeoPackageOgrinfoReads) {
    if (QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty())
        GTEST_SKIP() << "ogrinfo is not installed";
    const QString path = m_dir.filePath(QStringLiteral("оцінка.gpkg"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    ASSERT_EQ(RunLayersCommand({QStringLiteral("export"), m_folder, path}, m_app.path(), out, err),
              0)
        << errText.toStdString();
    QProcess ogrinfo;
    ogrinfo.start(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"), path});
    ASSERT_TRUE(ogrinfo.waitForFinished(60000));
    const QString info = QString::fromUtf8(ogrinfo.readAllStandardOutput());
    for (const QString& layer : {QStringLiteral("райони"), QStringLiteral("лок05"),
                                 QStringLiteral("оцінка"), QStringLiteral("оцінка зон")})
        EXPECT_TRUE(info.contains(QStringLiteral("Layer name: ") + layer + u'\n'))
            << layer.toStdString();
    // Every district with its zone's stored value.
    for (const QString& field :
         {QStringLiteral("Raion: Integer64"), QStringLiteral("Cena_1m2: Real"),
          QStringLiteral("Km3_sr: Real"), QStringLiteral("Plosha_ga: Real")})
        EXPECT_TRUE(info.contains(field)) << field.toStdString();
    const QString one = info.section(QStringLiteral("Layer name: оцінка\n"), 1)
                            .section(QStringLiteral("Layer name:"), 0, 0);
    EXPECT_EQ(one.count(QStringLiteral("OGRFeature(оцінка)")), 12);
    const QString stored = QString::number(Number(storedZoneValue(QStringLiteral("1"))));
    EXPECT_TRUE(one.contains(QStringLiteral("Raion (Integer64) = 1\n")));
    EXPECT_TRUE(one.contains(QStringLiteral("Cena_1m2 (Real) = ") + stored + u'\n'))
        << stored.toStdString();
    // No earth system: a plane in metres, not degrees.
    EXPECT_TRUE(one.contains(QStringLiteral("Undefined Cartesian SRS")));
    const QString zones = info.section(QStringLiteral("Layer name: оцінка зон\n"), 1);
    EXPECT_EQ(zones.count(QStringLiteral("OGRFeature(оцінка зон)")), 3);
}

TEST_F(DemoPlace, ThePanelShowsAPlaceAndHandsItToThePlots) {
    TestApplication();
    RecordingMessages messages;
    std::vector<PlaceTransfer> handed;
    PlaceValuePanel panel(
        [this] {
            return PlaceSession{m_folder, &m_project, &m_catalogue, QString()};
        },
        [&handed](const PlaceTransfer& t) { handed.push_back(t); });
    EXPECT_FALSE(panel.BTransfer->isEnabled());
    TableContent districts;
    ASSERT_TRUE(
        TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
    QString first;
    districts.features.front().value(QStringLiteral("Raion"), &first);
    panel.valuePoint(inside(districts.features.front()));
    EXPECT_TRUE(panel.MemoValue->toPlainText().contains(QStringLiteral("Вартість 1 м²: ")));
    ASSERT_TRUE(panel.BTransfer->isEnabled());
    // Another use values the same place again.
    panel.EUse->setCurrentIndex(panel.EUse->findData(QStringLiteral("К")));
    EXPECT_EQ(panel.valuation().kf, QStringLiteral("2.50"));
    panel.EPlot->setCurrentIndex(1);
    QTest::mouseClick(panel.BTransfer, Qt::LeftButton);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].plot, 2);
    EXPECT_EQ(handed[0].district, first);
    EXPECT_EQ(handed[0].kf, QStringLiteral("2.50"));
    EXPECT_EQ(handed[0].km3, panel.valuation().place.km3);
    EXPECT_TRUE(handed[0].areaHa.isEmpty());

    panel.valuePoint({0, 0});
    EXPECT_FALSE(panel.BTransfer->isEnabled());
    EXPECT_EQ(panel.MemoValue->toPlainText(),
              QStringLiteral("Точка (0.00; 0.00) лежить поза межами населеного пункту."));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(DemoPlace, ThePanelWritesTheExtractOfItsPlot) {
    TestApplication();
    RecordingMessages messages;
    PlaceValuePanel panel(
        [this] {
            return PlaceSession{m_folder, &m_project, &m_catalogue, QStringLiteral("с. Демо")};
        },
        {});
    TableContent districts;
    ASSERT_TRUE(
        TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
    const QPointF at = inside(districts.features.front());
    const QString plotFile = m_dir.filePath(QStringLiteral("ділянка 7.gpkg"));
    WriteSourceFile(plotFile, QStringLiteral("GPKG"), QStringLiteral("plot"), QString(), {},
                    {{SquareWkt(at.x() - 5, at.y() - 5, 10), {}}});
    ASSERT_TRUE(panel.valuePlotFile(plotFile)) << panel.MemoValue->toPlainText().toStdString();
    ASSERT_TRUE(panel.BExtract->isEnabled());

    const QString out = m_dir.filePath(QStringLiteral("витяги"));
    QDir().mkpath(out);
    const QStringList files = panel.writeExtract(out);
    ASSERT_EQ(files.size(), 2) << messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("ділянка 7.docx")));
    EXPECT_TRUE(QFileInfo(files[1]).size() > 0);
    auto doc = WordDocument::open(files[0]);
    const PlaceValuation& v = panel.valuation();
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("NP")), QStringLiteral("с. Демо"));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("VALUE")), v.value);
    const WordTable parts = doc->table(3);
    ASSERT_EQ(parts.rowCount(), static_cast<int>(v.parts.size()) + 3);
    EXPECT_EQ(parts.cellText(3, 2), v.parts.front().district);
    EXPECT_EQ(parts.cellText(3, 9), v.parts.front().valuePerSqM);
    EXPECT_TRUE(messages.texts().isEmpty());

    // A point has no extract.
    panel.valuePoint(at);
    EXPECT_FALSE(panel.BExtract->isEnabled());
}

// The map tool "Оцінка місця": pressed, it is the map's tool; a click on the map values the
// place under the mouse in the panel, whose transfer hands it on.
TEST_F(DemoPlace, AClickWithTheMapToolValuesThePlaceInThePanel) {
    TestApplication();
    RecordingMessages messages;
    MapDocument document;
    MapView view(document);
    view.resize(1000, 700);
    view.show();
    ShowSettlementMap(view, m_folder);
    std::vector<PlaceTransfer> handed;
    MapGisTools tools(
        &view,
        [this] {
            return PlaceSession{m_folder, &m_project, &m_catalogue, QString()};
        },
        [&handed](const PlaceTransfer& t) { handed.push_back(t); });
    QTest::mouseClick(tools.cmdPlace, Qt::LeftButton);
    EXPECT_EQ(view.map().currentTool(), MapGisTools::ToolPlaceValue);
    EXPECT_TRUE(tools.cmdPlace->isChecked());
    ASSERT_TRUE(tools.panel()->isVisible());

    TableContent districts;
    ASSERT_TRUE(
        TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
    const Feature& district = districts.features.back();
    QString number;
    district.value(QStringLiteral("Raion"), &number);
    const QPoint at = view.map().toScreen(inside(district)).toPoint();
    QTest::mouseClick(view.Map1, Qt::LeftButton, {}, at);
    const QString text = tools.panel()->MemoValue->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Район: ") + number + u';')) << text.toStdString();
    ASSERT_TRUE(tools.panel()->BTransfer->isEnabled());
    QTest::mouseClick(tools.panel()->BTransfer, Qt::LeftButton);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].district, number);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();

    // Back to selecting: a click selects and values nothing.
    QTest::mouseClick(view.CmdSelect, Qt::LeftButton);
    EXPECT_EQ(view.map().currentTool(), ToolSelect);
    EXPECT_FALSE(tools.cmdPlace->isChecked());
    QTest::mouseClick(view.Map1, Qt::LeftButton, {},
                      view.map().toScreen(inside(districts.features.front())).toPoint());
    EXPECT_EQ(tools.panel()->MemoValue->toPlainText(), text);
}
