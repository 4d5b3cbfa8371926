// "tamberon layers" and "tamberon value" as a script calls them: what each prints and the exit
// status it ends with (0 done, 1 refused or not written, 2 a wrong call).
#include "commands/LayersCommand.h"
#include "commands/ValueCommand.h"
#include "gis/SettlementLayers.h"
#include "map/TabFile.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class LayersCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }
    QString folder() const { return m_dir.filePath(QStringLiteral("село")); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    Outcome layers(const QStringList& args) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        r.status = RunLayersCommand(args, m_app.path(), out, err);
        return r;
    }

    /** Districts 1 and 2, squares of 100 m, numbered in "NOMER". */
    void writeDistricts(const QString& path, const QString& driver, const QString& layer,
                        int first = 1) {
        WriteSourceFile(path, driver, layer, QStringLiteral("EPSG:6384"),
                        {{QStringLiteral("NOMER"), QStringLiteral("int")}},
                        {{SquareWkt(0, 0, 100), {QString::number(first)}},
                         {SquareWkt(100, 0, 100), {QString::number(first + 1)}}});
    }

    TempAppDir m_app;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(LayersCommand, ImportListsAndReplacesOnlyWhenAsked) {
    const QString shp = file(QStringLiteral("р.shp"));
    writeDistricts(shp, QStringLiteral("ESRI Shapefile"), QStringLiteral("р"));

    Outcome r = layers({folder()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("немає шарів"))) << r.err.toStdString();

    r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), shp});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString table = SettlementLayerPath(folder(), QStringLiteral("райони"));
    EXPECT_TRUE(
        r.out.endsWith(QStringLiteral("Записано: ") + QDir::toNativeSeparators(table) + u'\n'))
        << r.out.toStdString();

    r = layers({folder()});
    ASSERT_EQ(r.status, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Шар\tВид\tОб'єктів\tПоля\tСистема координат"));
    const QStringList row = lines[1].split(u'\t');
    ASSERT_EQ(row.size(), 5) << lines[1].toStdString();
    EXPECT_EQ(row[0], QStringLiteral("райони"));
    EXPECT_EQ(row[2], QStringLiteral("2"));
    EXPECT_TRUE(row[3].startsWith(QStringLiteral("Raion"))) << row[3].toStdString();
    EXPECT_TRUE(row[4].contains(QStringLiteral("6384"))) << row[4].toStdString();

    // There already: kept unless --replace, then replaced after a copy of the old files.
    const QString newer = file(QStringLiteral("нові.shp"));
    writeDistricts(newer, QStringLiteral("ESRI Shapefile"), QStringLiteral("нові"), 5);
    r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), newer});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--replace"))) << r.err.toStdString();
    TableContent content;
    QString error;
    ASSERT_TRUE(TabFile::read(table, content, &error));
    EXPECT_EQ(content.features[0].values().value(0), QStringLiteral("1"));

    r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), newer,
                QStringLiteral("--replace")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_TRUE(TabFile::read(table, content, &error));
    EXPECT_EQ(content.features[0].values().value(0), QStringLiteral("5"));
    const qsizetype at = r.out.indexOf(QStringLiteral("Копія старого шару: "));
    ASSERT_GE(at, 0) << r.out.toStdString();
    const QString copy = r.out.mid(at + 20).section(u'\n', 0, 0);
    ASSERT_TRUE(
        TabFile::read(QDir(QDir::fromNativeSeparators(copy)).filePath(QStringLiteral("райони.tab")),
                      content, &error))
        << copy.toStdString();
    EXPECT_EQ(content.features[0].values().value(0), QStringLiteral("1"));
}

TEST_F(LayersCommand, RefusalsAndWrongCallsHaveTheirOwnStatus) {
    const QString points = file(QStringLiteral("точки.gpkg"));
    WriteSourceFile(points, QStringLiteral("GPKG"), QStringLiteral("p"), QString(),
                    {{QStringLiteral("Raion"), QStringLiteral("int")}},
                    {{QStringLiteral("POINT (1 1)"), {QStringLiteral("1")}}});
    Outcome r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), points});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Відмова: "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("Шар не записано.\n")));
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder(), QStringLiteral("райони"))));

    // A source of two layers needs --layer.
    const QString two = file(QStringLiteral("два.gpkg"));
    writeDistricts(two, QStringLiteral("GPKG"), QStringLiteral("перший"));
    writeDistricts(two, QStringLiteral("GPKG"), QStringLiteral("другий"), 7);
    r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), two});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--layer"))) << r.err.toStdString();
    r = layers({QStringLiteral("import"), folder(), QStringLiteral("райони"), two,
                QStringLiteral("--layer"), QStringLiteral("другий")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    TableContent content;
    QString error;
    ASSERT_TRUE(
        TabFile::read(SettlementLayerPath(folder(), QStringLiteral("райони")), content, &error));
    EXPECT_EQ(content.features[0].values().value(0), QStringLiteral("7"));

    for (const QStringList& wrong :
         {QStringList{QStringLiteral("import"), folder(), QStringLiteral("квартали"), two},
          QStringList{QStringLiteral("import"), folder(), QStringLiteral("зони"),
                      file(QStringLiteral("немає.shp"))},
          QStringList{QStringLiteral("import"), file(QStringLiteral("немає")),
                      QStringLiteral("зони"), two},
          QStringList{QStringLiteral("import"), folder(), QStringLiteral("зони"), two,
                      QStringLiteral("--що")},
          QStringList{QStringLiteral("import"), folder()},
          QStringList{QStringLiteral("export"), folder()}}) {
        r = layers(wrong);
        EXPECT_EQ(r.status, 2) << wrong.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    }

    r = layers({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Використання:\n  tamberon layers ПАПКА\n")));
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(RunValueCommand({QStringLiteral("--help")}, m_app.path(), o, e), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("--at"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("--plot")));
    EXPECT_TRUE(err.isEmpty());
}
