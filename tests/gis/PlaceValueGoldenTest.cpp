// Golden file of the value of places: what "tamberon value" prints (as text and as JSON) for
// places and a plot of the demonstration settlement, written for the run from the settlement
// templates, kept in tests/gis/golden/place-value.txt. Each case is the command's arguments
// (the folder shown as FOLDER), its exit status and its output.
//
// To rewrite the golden file after a meant change: build gis_tests, run
//   TAMBERON_UPDATE_GOLDEN=1 build/tests/gis/gis_tests --gtest_filter='PlaceValueGolden*'
// and review `git diff tests/gis/golden` before committing.
#include "commands/ValueCommand.h"
#include "common/FileUtils.h"
#include "map/TabFile.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/DemoOnce.h"
#include "tests/support/Golden.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <memory>
#include <ogr_geometry.h>

namespace {

class PlaceValueGolden : public ::testing::Test {
protected:
    /** The demonstration, written once for the tests from the settlement templates. */
    static void SetUpTestSuite() { s_demo.write(); }
    static void TearDownTestSuite() { s_demo.clear(); }

    void SetUp() override {
        ASSERT_TRUE(s_demo.written()) << s_demo.error().toStdString();
        m_folder = s_demo.settlementFolder();
    }

    /** The objects of a layer of the settlement. */
    std::vector<Feature> features(const QString& layer) const {
        TableContent table;
        EXPECT_TRUE(
            TabFile::read(JoinPath(m_folder, layer + QStringLiteral(".tab")), table, nullptr));
        return table.features;
    }

    /** Runs the command on the settlement; its arguments, status and output as text. */
    QString run(const QStringList& arguments) const {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const int status =
            RunValueCommand(QStringList{m_folder} + arguments, s_demo.appDir(), out, err);
        out.flush();
        err.flush();
        QString text = QStringLiteral("$ value FOLDER ") + arguments.join(u' ') +
                       QStringLiteral("\nexit: %1\n").arg(status) + outText;
        if (!errText.isEmpty())
            text += QStringLiteral("--- stderr\n") + errText;
        text.replace(m_dir.path(), QStringLiteral("TMP"));
        return text.replace(m_folder, QStringLiteral("FOLDER")) + u'\n';
    }

    static QString at(const QPointF& p) {
        return QString::number(p.x(), 'f', 2) + u',' + QString::number(p.y(), 'f', 2);
    }

    static inline DemoOnce s_demo;

    QString m_folder;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PlaceValueGolden, TheValueOfPlacesOfTheDemonstration) {
    const std::vector<Feature> districts = features(QStringLiteral("райони"));
    ASSERT_GE(districts.size(), 12u);
    const QString year = QStringLiteral("2025");
    QString text;
    // Places of three districts, each zone's, for housing.
    for (size_t d : {0, 5, 11})
        text += run({QStringLiteral("--at"), at(PointInside(districts[d])),
                     QStringLiteral("--year"), year});
    // In each local factor layer's first region, for another use each.
    const QStringList uses{QStringLiteral("К"), QStringLiteral("П"), QStringLiteral("Г")};
    const QStringList layers = demo::localLayers();
    for (qsizetype l = 0; l < layers.size(); ++l) {
        const std::vector<Feature> regions = features(layers[l]);
        ASSERT_FALSE(regions.empty());
        text +=
            run({QStringLiteral("--at"), at(PointInside(regions.front())), QStringLiteral("--use"),
                 uses[l % uses.size()], QStringLiteral("--year"), year});
    }
    // Indexed from the valuation's year, as text and as JSON.
    const QString first = at(PointInside(districts.front()));
    for (const QStringList& extra : {QStringList{}, QStringList{QStringLiteral("--json")}})
        text += run(QStringList{QStringLiteral("--at"), first, QStringLiteral("--use"),
                                QStringLiteral("К"), QStringLiteral("--from"),
                                QStringLiteral("2022"), QStringLiteral("--year"), year} +
                    extra);
    // A place outside the settlement and a land use without Кф.
    text += run({QStringLiteral("--at"), QStringLiteral("0,0"), QStringLiteral("--year"), year});
    text += run({QStringLiteral("--at"), first, QStringLiteral("--use"), QStringLiteral("Л"),
                 QStringLiteral("--year"), year});

    // A plot of 20 x 20 m across the border of the first two neighbouring districts.
    QPointF middle;
    for (size_t i = 1; i < districts.size() && middle.isNull(); ++i) {
        std::unique_ptr<OGRGeometry> border(
            districts[0].geometry()->ogr()->Intersection(districts[i].geometry()->ogr()));
        if (border && wkbFlatten(border->getGeometryType()) == wkbLineString &&
            border->toLineString()->get_Length() > 100) {
            OGRPoint c;
            border->toLineString()->Value(border->toLineString()->get_Length() / 2, &c);
            middle = {c.getX(), c.getY()};
        }
    }
    ASSERT_FALSE(middle.isNull()) << "no neighbours with a straight common border";
    const QString plot = m_dir.filePath(QStringLiteral("ділянка.gpkg"));
    WriteSourceFile(plot, QStringLiteral("GPKG"), QStringLiteral("plot"), QString(), {},
                    {{SquareWkt(middle.x() - 10, middle.y() - 10, 20), {}}});
    for (const QStringList& extra : {QStringList{}, QStringList{QStringLiteral("--json")}})
        text += run(QStringList{QStringLiteral("--plot"), plot, QStringLiteral("--year"), year} +
                    extra);

    ExpectGolden(JoinPath(QStringLiteral(GOLDEN_DIR), QStringLiteral("place-value.txt")), text);
}
