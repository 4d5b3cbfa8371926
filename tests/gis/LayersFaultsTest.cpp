// The layer commands against kills, leftovers and wrong targets: a replace killed at every
// step is finished or undone by the next command, whatever it is; leftovers of killed writings
// go; an export never writes over the settlement's database or layers, nor over a file it did
// not make unless forced; a factor layer that cannot be read stops the valuation.
#include "commands/CommandLine.h"
#include "commands/LayersCommand.h"
#include "commands/ValueCommand.h"
#include "common/FileUtils.h"
#include "gis/SettlementLayers.h"
#include "map/GeoPackage.h"
#include "map/Geometry.h"
#include "map/TabFile.h"
#include "map/TabJournal.h"
#include "map/VectorSource.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <ogr_geometry.h>

#include <cmath>
#include <sys/stat.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome Layers(const QStringList& args, const QString& appDir) {
    Outcome r;
    QTextStream out(&r.out), err(&r.err);
    r.status = RunLayersCommand(args, appDir, out, err);
    return r;
}

/** The hidden files of a folder: what a writing leaves while it runs. */
QStringList Hidden(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden);
}

/** "Raion" of every object of the settlement's district layer, or the error. */
QString Districts(const QString& folder) {
    TableContent content;
    QString error;
    if (!TabFile::read(SettlementLayerPath(folder, QStringLiteral("райони")), content, &error))
        return QStringLiteral("error: ") + error;
    QStringList numbers;
    for (const Feature& f : content.features)
        numbers << f.values().value(0);
    return numbers.join(u',');
}

QByteArray Hash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

class LayersFaults : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    /** Districts `first` and `first`+1, squares of 100 m, in a shapefile. */
    QString districtsSource(const QString& name, int first) {
        const QString path = file(name + QStringLiteral(".shp"));
        WriteSourceFile(path, QStringLiteral("ESRI Shapefile"), name, QStringLiteral("EPSG:6384"),
                        {{QStringLiteral("NOMER"), QStringLiteral("int")}},
                        {{SquareWkt(0, 0, 100), {QString::number(first)}},
                         {SquareWkt(100, 0, 100), {QString::number(first + 1)}}});
        return path;
    }

    TempAppDir m_app;
    QTemporaryDir m_dir;
};

} // namespace

// "layers import --replace" killed after each step of its replace: the next command, a listing
// or an import without --replace, finds the old layer or the new one whole, refuses to write
// over it unasked, and no hidden file is left.
TEST_F(LayersFaults, AReplaceKilledAnywhereIsMadeWholeByTheNextCommand) {
    const QString older = districtsSource(QStringLiteral("старі"), 1);
    const QString newer = districtsSource(QStringLiteral("нові"), 5);
    int finishedAt = 0;
    for (int killAt = 1; killAt < 40 && !finishedAt; ++killAt) {
        SCOPED_TRACE(killAt);
        const QString folder = file(QStringLiteral("село%1").arg(killAt));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_EQ(Layers({QStringLiteral("import"), folder, QStringLiteral("райони"), older},
                         m_app.path())
                      .status,
                  0);
        const ChildOutcome child = RunInChild([&] {
            TabJournal::SetStepHook([killAt](int step) {
                if (step == killAt)
                    KillSelf();
            });
            return Layers({QStringLiteral("import"), folder, QStringLiteral("райони"), newer,
                           QStringLiteral("--replace")},
                          m_app.path())
                .status;
        });
        if (child.exited) {
            ASSERT_EQ(child.status, 0);
            finishedAt = killAt;
        }
        // The first command after the kill, alternately a listing and an unasked import.
        Outcome next;
        if (killAt % 2) {
            next = Layers({folder}, m_app.path());
            EXPECT_EQ(next.status, 0) << next.err.toStdString();
            EXPECT_TRUE(next.out.contains(QStringLiteral("\nрайони\t"))) << next.out.toStdString();
        } else {
            next = Layers({QStringLiteral("import"), folder, QStringLiteral("райони"), older},
                          m_app.path());
            EXPECT_EQ(next.status, 1) << next.err.toStdString();
            EXPECT_TRUE(next.err.contains(QStringLiteral("--replace"))) << next.err.toStdString();
        }
        const QString districts = Districts(folder);
        EXPECT_TRUE(districts == QStringLiteral("1,2") || districts == QStringLiteral("5,6"))
            << districts.toStdString();
        EXPECT_TRUE(Hidden(folder).isEmpty()) << Hidden(folder).join(u' ').toStdString();
        // The exact coordinate system went with the table, old or new alike.
        EXPECT_TRUE(QFileInfo::exists(JoinPath(folder, QStringLiteral("райони.wkt"))));
    }
    EXPECT_GT(finishedAt, 8) << "the replace has a journal, renames and removals";
}

// Leftovers of writings killed before their journal, of a removal that failed after it and of
// killed exports go at the next command; the layer stays as it was.
TEST_F(LayersFaults, LeftoversOfKilledWritingsAreRemoved) {
    const QString folder = file(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(Layers({QStringLiteral("import"), folder, QStringLiteral("райони"),
                      districtsSource(QStringLiteral("р"), 1)},
                     m_app.path())
                  .status,
              0);
    for (const char* name :
         {".~райони.new-0badf00d.tab", ".~райони.new-0badf00d.dat", ".~райони.old-12345678.map",
          ".~райони.old-12345678.wkt", ".~оцінка.1a2b3c4d.gpkg", ".~оцінка.1a2b3c4d.gpkg-journal",
          "райони.wkt.Ab12Cd"})
        WriteTextFile(JoinPath(folder, QString::fromUtf8(name)), QStringLiteral("залишок"));
    const Outcome r = Layers({folder}, m_app.path());
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(Hidden(folder).isEmpty()) << Hidden(folder).join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(JoinPath(folder, QStringLiteral("райони.wkt.Ab12Cd"))));
    EXPECT_EQ(Districts(folder), QStringLiteral("1,2"));
}

// Options are never taken for folders or files; missing arguments are told as such.
TEST_F(LayersFaults, OptionsAndMissingArgumentsAreWrongCalls) {
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("import")}, QStringList{QStringLiteral("export")},
          QStringList{QStringLiteral("--json")},
          QStringList{QStringLiteral("import"), QStringLiteral("--replace"),
                      QStringLiteral("райони"), file(QStringLiteral("a.shp"))},
          QStringList{QStringLiteral("export"), QStringLiteral("--force"),
                      file(QStringLiteral("a.gpkg"))},
          QStringList{QStringLiteral("export"), file(QStringLiteral("село")),
                      QStringLiteral("--json")}}) {
        const Outcome r = Layers(wrong, m_app.path());
        EXPECT_EQ(r.status, 2) << wrong.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(r.err.startsWith(QStringLiteral("Папки"))) << r.err.toStdString();
    }
    EXPECT_TRUE(Layers({QStringLiteral("import")}, m_app.path())
                    .err.startsWith(QStringLiteral("Потрібні ПАПКА, ВИД і ФАЙЛ")));

    // A source that is there but no file is not called missing.
    const QString folder = file(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = file(QStringLiteral("канал"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = file(QStringLiteral("коло.shp"));
    ASSERT_TRUE(QFile::link(loop, loop));
    struct Case {
        QString source;
        QString says;
    };
    for (const Case& c :
         {Case{fifo, QStringLiteral("не звичайний файл")},
          Case{folder, QStringLiteral("не звичайний файл")}, Case{loop, QStringLiteral("по колу")},
          Case{file(QStringLiteral("немає.shp")), QStringLiteral("немає")}}) {
        const Outcome r = Layers(
            {QStringLiteral("import"), folder, QStringLiteral("межі"), c.source}, m_app.path());
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
}

// A name given as bytes that are no UTF-8 text (a folder made on another system) exists, but
// Qt reads it as another name: the command says the name cannot be read, not that it is
// missing; a name that is text passes.
TEST_F(LayersFaults, ANameThatIsNoTextIsSaidUnreadableNotMissing) {
    const QByteArray raw = QFile::encodeName(file(QStringLiteral("село"))) + "\xff\xfe";
    ASSERT_EQ(::mkdir(raw.constData(), 0700), 0);
    struct stat info {};
    ASSERT_EQ(::stat(raw.constData(), &info), 0);
    // As text the name is another one, which is missing.
    const QString read = QFile::decodeName(raw);
    EXPECT_FALSE(QFileInfo(read).isDir());
    const QString problem = UnreadableArgument(raw);
    EXPECT_TRUE(problem.contains(QStringLiteral("не вдається прочитати"))) << problem.toStdString();
    EXPECT_FALSE(problem.contains(QStringLiteral("немає")));
    EXPECT_EQ(problem.count(u'\n'), 0);
    EXPECT_TRUE(UnreadableArgument(QFile::encodeName(file(QStringLiteral("село")))).isEmpty());
    EXPECT_TRUE(UnreadableArgument(QByteArrayLiteral("--replace")).isEmpty());
}

namespace {

/** A copy of the demonstration settlement. */
class DemoFaults : public LayersFaults {
protected:
    void SetUp() override {
        const QString source = JoinPath(
            BuiltAppDir(), QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
        if (!QFileInfo(source).isDir())
            GTEST_SKIP() << "the program is not built";
        m_folder = file(QStringLiteral("с. Демонстраційне"));
        CopyTree(source, m_folder);
    }
    Outcome exportTo(const QString& path, bool force = false) {
        QStringList args{QStringLiteral("export"), m_folder, path};
        if (force)
            args << QStringLiteral("--force");
        return Layers(args, m_app.path());
    }
    QString m_folder;
};

} // namespace

TEST_F(DemoFaults, AnExportNeverWritesOverTheSettlementOrAForeignFile) {
    // The settlement's database and layers: never, even forced, through a link too.
    const QString database = JoinPath(m_folder, QStringLiteral("data.sqlite"));
    const QString districts = JoinPath(m_folder, QStringLiteral("райони.tab"));
    const QString link = file(QStringLiteral("посилання.gpkg"));
    ASSERT_TRUE(QFile::link(database, link));
    const QByteArray databaseHash = Hash(database), districtsHash = Hash(districts);
    for (const QString& target : {database, districts, link, m_folder}) {
        for (bool force : {false, true}) {
            const Outcome r = exportTo(target, force);
            EXPECT_EQ(r.status, 2) << target.toStdString() << r.err.toStdString();
            EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
            EXPECT_FALSE(r.out.contains(QStringLiteral("Записано")));
        }
    }
    EXPECT_EQ(Hash(database), databaseHash);
    EXPECT_EQ(Hash(districts), districtsHash);
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // A file it did not make: only with --force.
    const QString foreign = file(QStringLiteral("чуже.gpkg"));
    WriteTextFile(foreign, QStringLiteral("чужий файл"));
    Outcome r = exportTo(foreign);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--force"))) << r.err.toStdString();
    EXPECT_EQ(ReadTextFile(foreign), QStringLiteral("чужий файл"));
    r = exportTo(foreign, true);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(GeoPackage::isOwn(foreign));

    // Its own export is replaced without asking; the leftovers of killed ones go.
    WriteTextFile(file(QStringLiteral(".~чуже.0123abcd.gpkg")), QStringLiteral("залишок"));
    WriteTextFile(file(QStringLiteral(".~чуже.0123abcd.gpkg-journal")), QStringLiteral("x"));
    r = exportTo(foreign);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(Hidden(m_dir.path()).isEmpty()) << Hidden(m_dir.path()).join(u' ').toStdString();
}

TEST_F(DemoFaults, AKilledExportLeavesTheOldFileAndItsLeftoversGoNextTime) {
    const QString path = file(QStringLiteral("o.gpkg"));
    ASSERT_EQ(exportTo(path).status, 0);
    const QByteArray before = Hash(path);
    // Killed in the middle of its writing, when its file passes 64 kB.
    const ChildOutcome child =
        RunInChild([&] { return exportTo(path).status; }, 64 * 1024, OverLimit::Kill);
    ASSERT_FALSE(child.exited);
    EXPECT_EQ(Hash(path), before);
    EXPECT_FALSE(Hidden(m_dir.path()).isEmpty()) << "the kill left its temporary file";
    ASSERT_EQ(exportTo(path).status, 0);
    EXPECT_TRUE(Hidden(m_dir.path()).isEmpty()) << Hidden(m_dir.path()).join(u' ').toStdString();
}

TEST_F(DemoFaults, AFactorLayerThatCannotBeReadStopsTheValuation) {
    QString out, err;
    QTextStream o(&out), e(&err);
    // A place the demonstration values (its first district's centre is valued in DemoPlace).
    const QStringList args{m_folder, QStringLiteral("--at"), QStringLiteral("0,0")};
    const int before = RunValueCommand(args, m_app.path(), o, e);
    ASSERT_NE(before, 2) << err.toStdString();
    WriteTextFile(JoinPath(m_folder, QStringLiteral("лок05.tab")), QStringLiteral("не таблиця"));
    err.clear();
    EXPECT_EQ(RunValueCommand(args, m_app.path(), o, e), 2);
    e.flush();
    EXPECT_TRUE(err.contains(QStringLiteral("«лок05»"))) << err.toStdString();
    EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
}

namespace {

/**
 * A boundary shapefile of one object whose "Nazva" is `bytes` exactly as stored, without a
 * ".cpg" and without a language mark in its ".dbf": written with a placeholder of the same
 * length, then patched.
 */
QString UnmarkedShapefile(const QString& path, const QByteArray& bytes) {
    const QString placeholder(bytes.size(), u'A');
    WriteSourceFile(path, QStringLiteral("ESRI Shapefile"), QFileInfo(path).completeBaseName(),
                    QStringLiteral("EPSG:6384"),
                    {{QStringLiteral("Nazva"), QStringLiteral("text")}},
                    {{SquareWkt(0, 0, 100), {placeholder}}});
    const QString base = path.chopped(4);
    QFile::remove(base + QStringLiteral(".cpg"));
    QFile dbf(base + QStringLiteral(".dbf"));
    EXPECT_TRUE(dbf.open(QIODevice::ReadWrite));
    QByteArray content = dbf.readAll();
    content[29] = 0;
    const qsizetype at = content.indexOf(placeholder.toLatin1());
    EXPECT_GE(at, 0);
    content.replace(at, bytes.size(), bytes);
    dbf.seek(0);
    dbf.write(content);
    return path;
}

} // namespace

// A shapefile that does not say its encoding: its texts are read as UTF-8 when they all are,
// else as CP1251, and the valuer is told which; texts neither reads are refused, never lost.
TEST_F(LayersFaults, AShapefileWithoutItsEncodingKeepsItsTexts) {
    const QString centre = QStringLiteral("Центр");
    struct Case {
        QByteArray bytes;
        QString encoding;
    };
    for (const Case& c : {Case{QByteArray("\xD6\xE5\xED\xF2\xF0"), QStringLiteral("CP1251")},
                          Case{centre.toUtf8(), QStringLiteral("UTF-8")}}) {
        SCOPED_TRACE(c.encoding.toStdString());
        const QString path = UnmarkedShapefile(file(c.encoding + QStringLiteral(".shp")), c.bytes);
        SourceSummary summary;
        QStringList values;
        QString error;
        ASSERT_TRUE(VectorSource::read(
            path, QString(), summary,
            [&](std::unique_ptr<OGRGeometry>, const QStringList& v) { values << v; }, &error))
            << error.toStdString();
        EXPECT_EQ(values, QStringList{centre});
        EXPECT_EQ(summary.guessedEncoding, c.encoding);
        // Imported, the boundary keeps its name and says how it was read.
        const QString folder = file(QStringLiteral("село ") + c.encoding);
        ASSERT_TRUE(QDir().mkpath(folder));
        const Outcome r =
            Layers({QStringLiteral("import"), folder, QStringLiteral("межі"), path}, m_app.path());
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("прочитано як ") + c.encoding))
            << r.out.toStdString();
        TableContent content;
        ASSERT_TRUE(
            TabFile::read(SettlementLayerPath(folder, QStringLiteral("межі")), content, &error));
        ASSERT_EQ(content.features.size(), 1u);
        QString name;
        content.features[0].value(QStringLiteral("Nazva"), &name);
        EXPECT_EQ(name, centre);
    }
    // Neither UTF-8 nor CP1251 (0x98 is no letter of CP1251): refused with the way out.
    const QString path =
        UnmarkedShapefile(file(QStringLiteral("ні.shp")), QByteArray("\xD6\x98\xED\xF2\xF0"));
    SourceSummary summary;
    QString error;
    EXPECT_FALSE(VectorSource::read(
        path, QString(), summary, [](std::unique_ptr<OGRGeometry>, const QStringList&) {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral(".cpg"))) << error.toStdString();
}

// One far-out vertex, or a coordinate that is no number, refuses the source with a line naming
// the object; a sound layer keeps every object's area exactly.
TEST_F(LayersFaults, FarOutOrNonFiniteCoordinatesAreRefusedAndAreasSurvive) {
    const QString folder = file(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString far = file(QStringLiteral("далеко.shp"));
    WriteSourceFile(
        far, QStringLiteral("ESRI Shapefile"), QStringLiteral("далеко"),
        QStringLiteral("EPSG:6384"), {{QStringLiteral("NOMER"), QStringLiteral("int")}},
        {{SquareWkt(0, 0, 100), {QStringLiteral("1")}},
         {QStringLiteral("POLYGON ((100 0,200 0,100000000000 50,200 100,100 100,100 0))"),
          {QStringLiteral("2")}},
         {SquareWkt(200, 0, 100), {QStringLiteral("3")}}});
    Outcome r =
        Layers({QStringLiteral("import"), folder, QStringLiteral("райони"), far}, m_app.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Відмова: Об'єкт 2: точка (100000000000; ")))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Об'єкт 1:")));
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder, QStringLiteral("райони"))));

    // Far from the settlement's other layers, though near its own objects.
    r = Layers({QStringLiteral("import"), folder, QStringLiteral("райони"),
                districtsSource(QStringLiteral("р"), 1)},
               m_app.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString away = file(QStringLiteral("осторонь.shp"));
    WriteSourceFile(away, QStringLiteral("ESRI Shapefile"), QStringLiteral("осторонь"),
                    QStringLiteral("EPSG:6384"), {{QStringLiteral("Km3"), QStringLiteral("real")}},
                    {{SquareWkt(500000, 0, 100), {QStringLiteral("1.1")}}});
    r = Layers({QStringLiteral("import"), folder, QStringLiteral("лок01"), away}, m_app.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Об'єкт 1: точка (500100; 100) далеко")))
        << r.err.toStdString();

    // The written districts keep their areas exactly.
    TableContent content;
    QString error;
    ASSERT_TRUE(
        TabFile::read(SettlementLayerPath(folder, QStringLiteral("райони")), content, &error));
    ASSERT_EQ(content.features.size(), 2u);
    for (const Feature& f : content.features)
        EXPECT_NEAR(f.areaSquareMetres(), 10000.0, 1e-6);

    // A coordinate that is no number never reaches a table.
    FeatureList bad = content.features;
    OGRPolygon nan;
    OGRLinearRing ring;
    ring.addPoint(0, 0);
    ring.addPoint(std::nan(""), 0);
    ring.addPoint(1, 1);
    ring.closeRings();
    nan.addRing(&ring);
    bad[1].setGeometry(std::make_shared<const Geometry>(std::unique_ptr<OGRGeometry>(nan.clone())));
    TableSpec table;
    table.fields = content.fields;
    EXPECT_FALSE(TabFile::write(file(QStringLiteral("nan.tab")), table, bad, false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("об'єкта 2"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("nan.tab"))));
}

// The copy of the old layer that a replace makes first cannot be made: the layer is not
// replaced, and the command says why.
TEST_F(LayersFaults, AReplaceWhoseCopyFailsReplacesNothingAndSaysSo) {
    const QString folder = file(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(Layers({QStringLiteral("import"), folder, QStringLiteral("райони"),
                      districtsSource(QStringLiteral("старі"), 1)},
                     m_app.path())
                  .status,
              0);
    // The copies' folder cannot be made: a file stands in its place.
    QDir().mkpath(m_app.file(QStringLiteral("Temp")));
    QFile::remove(m_app.file(QStringLiteral("Temp/Копії")));
    DeleteFolder(m_app.file(QStringLiteral("Temp/Копії")));
    WriteTextFile(m_app.file(QStringLiteral("Temp/Копії")), QStringLiteral("не папка"));
    const Outcome r =
        Layers({QStringLiteral("import"), folder, QStringLiteral("райони"),
                districtsSource(QStringLiteral("нові"), 5), QStringLiteral("--replace")},
               m_app.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("копії"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("Шар не записано.\n"))) << r.err.toStdString();
    EXPECT_EQ(Districts(folder), QStringLiteral("1,2"));
}
