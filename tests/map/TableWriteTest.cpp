#include "MapTestUtil.h"

#include "map/Layer.h"
#include "map/MapGlobal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace {

// Every file of the folder with a digest of its bytes.
std::map<QString, QString> Snapshot(const QString& folder) {
    std::map<QString, QString> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        out[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
    }
    return out;
}

QStringList FileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The MapInfo coordinate system text of the table, as OGR reads it.
QString CoordSysText(const QString& path) {
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
    if (!ds)
        return {};
    char* text = nullptr;
    ds->GetLayer(0)->GetSpatialRef()->exportToMICoordSys(&text);
    const QString out = QString::fromUtf8(text);
    CPLFree(text);
    return out;
}

Feature Valued(const Feature& shape, const QStringList& names, const QStringList& values) {
    Feature f = shape;
    f.setFields(std::make_shared<const QStringList>(names));
    for (qsizetype i = 0; i < values.size(); ++i)
        f.setValueAt(static_cast<int>(i), values[i]);
    return f;
}

// A zone rebuild: districts get their zone, the zone table is replaced by the unions, each
// table written once. Read back through OGR, with no temporary file left behind.
TEST(TableWrite, ReplaceAllWritesEveryObjectOnceAndReadsBack) {
    QTemporaryDir dir;
    const QString districtsPath = dir.filePath(QStringLiteral("райони.tab"));
    const QString zonesPath = dir.filePath(QStringLiteral("зони.tab"));
    WriteTable(districtsPath, {"Raion", "Zona"},
               {{Square(0, 0, 10), {"1", ""}},
                {Square(10, 0, 10), {"2", ""}},
                {Square(20, 0, 10), {"3", ""}}});
    WriteTable(zonesPath, {"Zona", "Km2"}, {{Square(500, 500, 1), {"9", "old"}}});
    const QStringList before = FileNames(dir.path());
    QString error;
    auto districts = Layer::open(districtsPath, QStringLiteral("райони"), &error);
    auto zones = Layer::open(zonesPath, QStringLiteral("зони"), &error);
    ASSERT_TRUE(districts && zones) << error.toStdString();
    int changes = 0;
    zones->setChangedCallback([&changes] { ++changes; });

    FeatureList changed;
    Dataset data(districts.get());
    for (Feature d : districts->allFeatures()) {
        ASSERT_TRUE(data.setValue(d, "Zona", FeatureValue(&data, d, "Raion") == "3" ? "2" : "1"));
        changed.push_back(d);
    }
    ASSERT_TRUE(districts->updateFeatures(changed, &error)) << error.toStdString();

    Feature first;
    ASSERT_EQ(
        FeatureFactory::combine(districts->features()[0], districts->features()[1], first, &error),
        GeometryResult::Ok);
    RegionStyle red;
    red.regionColor = 255;
    first.setRegionStyle(red);
    // A district copy carries the district's fields: only "Zona" matches the zone table.
    Feature second = districts->features()[2];
    second.setValue("Zona", QStringLiteral("2 зона"));
    ASSERT_TRUE(zones->replaceAll({first, second}, &error)) << error.toStdString();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(FileNames(dir.path()), before);

    TableContent back;
    ASSERT_TRUE(TabFile::read(zonesPath, back, &error)) << error.toStdString();
    ASSERT_EQ(back.features.size(), 2u);
    EXPECT_EQ(back.features[0].fid(), 1);
    EXPECT_EQ(back.features[1].fid(), 2);
    EXPECT_DOUBLE_EQ(back.features[0].areaSquareMetres(), 200.0);
    EXPECT_EQ(back.features[0].regionStyle().regionColor, 255);
    QString v;
    back.features[0].value("Zona", &v);
    EXPECT_EQ(v, "1");
    back.features[1].value("Zona", &v);
    EXPECT_EQ(v, QStringLiteral("2 зона"));
    back.features[1].value("Km2", &v);
    EXPECT_EQ(v, "");
    // The layer in memory is what the file holds.
    EXPECT_EQ(zones->featureCount(), 2);
    EXPECT_EQ(zones->features()[1].fid(), 2);
    TableContent districtsBack;
    ASSERT_TRUE(TabFile::read(districtsPath, districtsBack, &error));
    districtsBack.features[2].value("Zona", &v);
    EXPECT_EQ(v, "2");
    EXPECT_EQ(CoordSysText(zonesPath), CoordSysText(districtsPath));

    // Emptying a table is a replacement by nothing.
    ASSERT_TRUE(zones->replaceAll({}, &error)) << error.toStdString();
    ASSERT_TRUE(TabFile::read(zonesPath, back, &error));
    EXPECT_TRUE(back.features.empty());
    EXPECT_EQ(back.fields.size(), 2u);
}

// New fields (a column the table lacked) come with the replacement; values move by name.
TEST(TableWrite, ReplaceAllCanAddAField) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("райони.tab"));
    WriteTable(path, {"Raion"}, {{Square(0, 0, 10), {"1"}}, {Square(10, 0, 10), {"2"}}});
    QString error;
    auto layer = Layer::open(path, QStringLiteral("райони"), &error);
    ASSERT_TRUE(layer);
    std::vector<FieldDef> fields = layer->fields();
    fields.push_back(FieldDef{"Km3_sr", FieldKind::Char, 20, 0, false});
    const QStringList names{"Raion", "Km3_sr"};
    FeatureList all;
    for (const Feature& f : layer->features())
        all.push_back(Valued(f, names, {"", "1.10"}));
    all[0].setValueAt(0, "1");
    all[1].setValueAt(0, "2");
    ASSERT_TRUE(layer->replaceAll(fields, all, &error)) << error.toStdString();
    EXPECT_EQ(layer->fieldNames(), names);
    auto reopened = Layer::open(path, "r", &error);
    ASSERT_TRUE(reopened);
    Dataset data(reopened.get());
    EXPECT_EQ(FeatureValue(&data, reopened->features()[1], "Raion"), "2");
    EXPECT_EQ(FeatureValue(&data, reopened->features()[1], "Km3_sr"), "1.10");
}

// A write that fails leaves every file of the folder byte for byte as it was, and no
// temporary file behind. Here the table's name is as long as the file system allows, so the
// temporary table beside it cannot be made. The same holds for creating over an existing
// table, which used to delete the old one first.
TEST(TableWrite, FailedWriteLeavesTheOldTableWhole) {
    QTemporaryDir dir;
    const QString base = QString(240, u'a');
    const QString path = dir.filePath(base + ".tab");
    WriteTable(dir.filePath("t.tab"), {"a"}, {{Square(0, 0, 1), {"x"}}, {Square(5, 5, 1), {"y"}}});
    for (const char* ext : {"tab", "dat", "map", "id"})
        ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("t.") + ext),
                                  dir.filePath(base + u'.' + ext)));
    const auto before = Snapshot(dir.path());
    QString error;
    auto layer = Layer::open(path, "t", &error);
    ASSERT_TRUE(layer) << error.toStdString();
    EXPECT_FALSE(layer->replaceAll({Square(1, 1, 1)}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Snapshot(dir.path()), before);
    EXPECT_EQ(layer->featureCount(), 2); // the layer keeps what it had

    error.clear();
    EXPECT_FALSE(TabFile::create(path, {FieldDef{"b"}}, CoordSys{}, true, QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Snapshot(dir.path()), before);

    // A fid that is not in the layer: nothing is written.
    Feature stranger = Square(0, 0, 1);
    stranger.setFid(99);
    EXPECT_FALSE(layer->updateFeatures({stranger}, &error));
    EXPECT_EQ(Snapshot(dir.path()), before);

    // A table that is missing cannot be replaced.
    ASSERT_TRUE(TabFile::removeFiles(path));
    EXPECT_FALSE(layer->replaceAll({Square(0, 0, 1)}, &error));
    EXPECT_TRUE(FileNames(dir.path()).isEmpty());
}

// The rewritten table keeps the old one's coordinate range (so its precision), its
// description line, and the letter case of its file names.
TEST(TableWrite, ReplaceAllKeepsCoordinateRangeDescriptionAndNames) {
    QTemporaryDir dir;
    const QString path = dir.filePath("FINE.TAB");
    CoordSys fine;
    fine.bounds = {0, 0, 1000, 1000};
    QString error;
    ASSERT_TRUE(TabFile::create(path, {FieldDef{"a"}}, fine, false, QStringLiteral("опис"), &error))
        << error.toStdString();
    auto layer = Layer::open(path, "fine", &error);
    ASSERT_TRUE(layer) << error.toStdString();
    // A square 0.0001 m off a centimetre: the numeric system of ±10,000 km would round it.
    ASSERT_TRUE(layer->replaceAll({Square(100.12345, 200.6789, 10)}, &error))
        << error.toStdString();
    EXPECT_NEAR(layer->features()[0].bounds().xMin, 100.12345, 1e-5);
    EXPECT_NEAR(layer->features()[0].bounds().yMin, 200.6789, 1e-5);
    QFile tab(path);
    ASSERT_TRUE(tab.open(QIODevice::ReadOnly));
    const QByteArray header = tab.readAll();
    EXPECT_TRUE(header.contains("Description")) << header.toStdString();
    EXPECT_EQ(FileNames(dir.path()), (QStringList{"FINE.DAT", "FINE.ID", "FINE.MAP", "FINE.TAB"}));

    // A table whose description line was stripped gets none back.
    const QString plain = dir.filePath("plain.tab");
    ASSERT_TRUE(TabFile::create(plain, {FieldDef{"a"}}, CoordSys{}, false, "x", &error));
    ASSERT_TRUE(StripTabDescription(plain));
    auto plainLayer = Layer::open(plain, "plain", &error);
    ASSERT_TRUE(plainLayer && plainLayer->replaceAll({Square(0, 0, 1)}, &error));
    QFile plainTab(plain);
    ASSERT_TRUE(plainTab.open(QIODevice::ReadOnly));
    EXPECT_FALSE(plainTab.readAll().contains("Description"));
}

} // namespace
