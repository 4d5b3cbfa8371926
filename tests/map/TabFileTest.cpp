#include "MapTestUtil.h"

#include "map/Layer.h"
#include "map/MapGlobal.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString Tab(const QTemporaryDir& dir, const QString& name) {
    return dir.filePath(name + ".tab");
}

TEST(TabFile, CyrillicNamesAndValuesRoundTrip) {
    QTemporaryDir dir;
    const QString path = Tab(dir, QStringLiteral("райони"));
    WriteTable(path, {"Raion", "Zona"},
               {{Square(0, 0, 100), {"1", QStringLiteral("Центральна зона №1")}},
                {Square(100, 0, 50), {"2", QStringLiteral("Їжак ґава є")}}});
    TableContent content;
    QString error;
    ASSERT_TRUE(TabFile::read(path, content, &error)) << error.toStdString();
    ASSERT_EQ(content.features.size(), 2u);
    ASSERT_EQ(content.fields.size(), 2u);
    EXPECT_EQ(content.fields[0].name, "Raion");
    QString v;
    ASSERT_TRUE(content.features[0].value("zona", &v));
    EXPECT_EQ(v, QStringLiteral("Центральна зона №1"));
    ASSERT_TRUE(content.features[1].value("Zona", &v));
    EXPECT_EQ(v, QStringLiteral("Їжак ґава є"));
    EXPECT_DOUBLE_EQ(content.features[0].areaSquareMetres(), 10000.0);
    EXPECT_DOUBLE_EQ(content.features[1].areaSquareMetres(), 2500.0);
    // Coordinates keep their precision far from the origin.
    EXPECT_DOUBLE_EQ(content.features[1].bounds().xMax, 150.0);
}

TEST(TabFile, OgrinfoReadsOurTablesBack) {
    if (QProcess::execute("ogrinfo", {"--version"}) != 0)
        GTEST_SKIP() << "ogrinfo is not installed";
    QTemporaryDir dir;
    const QString path = Tab(dir, QStringLiteral("зони"));
    WriteTable(path, {"Zona", "Cena_1m2", "Km2"},
               {{Square(10, 20, 30), {"3", "125.50", QStringLiteral("1.2 Км")}}});
    QProcess p;
    p.start("ogrinfo", {"-al", "-ro", path});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(out.contains("Feature Count: 1")) << out.toStdString();
    EXPECT_TRUE(out.contains("Zona (String) = 3")) << out.toStdString();
    EXPECT_TRUE(out.contains("Cena_1m2 (String) = 125.50"));
    EXPECT_TRUE(out.contains(QStringLiteral("Km2 (String) = 1.2 Км")));
    EXPECT_TRUE(out.contains("POLYGON ((10 20,40 20,40 50,10 50,10 20))")) << out.toStdString();
}

TEST(TabFile, EditsSurviveReopen) {
    QTemporaryDir dir;
    const QString path = Tab(dir, "edit");
    WriteTable(path, {"Raion", "Zona"},
               {{Square(0, 0, 10), {"1", ""}},
                {Square(10, 0, 10), {"2", ""}},
                {Square(20, 0, 10), {"3", ""}}});
    QString error;
    auto layer = Layer::open(path, "edit", &error);
    ASSERT_TRUE(layer) << error.toStdString();
    FeatureList all = layer->allFeatures();
    ASSERT_EQ(all.size(), 3u);
    // Update the second object's value and style, delete the first, add a new one.
    Feature second = all[1];
    Dataset ds(layer.get());
    ASSERT_TRUE(ds.setValue(second, "Zona", QStringLiteral("зона 7")));
    RegionStyle style;
    style.regionColor = 255;
    style.regionPattern = 2;
    style.regionBorderColor = 0xFF0000;
    second.setRegionStyle(style);
    ASSERT_TRUE(layer->updateFeature(second, &error)) << error.toStdString();
    ASSERT_TRUE(layer->deleteFeature(all[0], &error)) << error.toStdString();
    Feature extra = Square(100, 100, 5);
    const auto added = layer->addFeature(extra, &error);
    ASSERT_TRUE(added) << error.toStdString();
    EXPECT_GE(added->fid(), 1);
    EXPECT_EQ(layer->featureCount(), 3);

    auto reopened = Layer::open(path, "edit", &error);
    ASSERT_TRUE(reopened) << error.toStdString();
    ASSERT_EQ(reopened->featureCount(), 3);
    const Feature& f = reopened->features()[0];
    QString v;
    f.value("Raion", &v);
    EXPECT_EQ(v, "2");
    f.value("Zona", &v);
    EXPECT_EQ(v, QStringLiteral("зона 7"));
    ASSERT_TRUE(f.hasRegionStyle());
    EXPECT_EQ(f.regionStyle().regionColor, 255);
    EXPECT_EQ(f.regionStyle().regionBorderColor, 0xFF0000);
    EXPECT_DOUBLE_EQ(reopened->features()[2].areaSquareMetres(), 25.0);
}

TEST(TabFile, TextObjectsKeepTextFontAndColour) {
    QTemporaryDir dir;
    const QString path = Tab(dir, QStringLiteral("підписи"));
    MapDocument map;
    map.setViewportSize({1000, 800});
    map.setBounds({0, 0, 1000, 800});
    TextStyle style;
    style.family = "Arial";
    style.pointSize = 14;
    style.bold = true;
    style.color = 0xFF0000; // blue: red sits in the lowest byte
    Feature text = FeatureFactory::createText(map, {50, 60}, QStringLiteral("12 \"а\""), style);
    EXPECT_EQ(text.kind(), FeatureKind::Text);
    WriteTable(path, {"info"}, {{text, {"1.25"}}});
    TableContent content;
    QString error;
    ASSERT_TRUE(TabFile::read(path, content, &error)) << error.toStdString();
    ASSERT_EQ(content.features.size(), 1u);
    const Feature& back = content.features[0];
    EXPECT_EQ(back.kind(), FeatureKind::Text);
    EXPECT_EQ(back.text(), QStringLiteral("12 \"а\""));
    EXPECT_TRUE(back.textStyle().bold);
    EXPECT_FALSE(back.textStyle().italic);
    EXPECT_EQ(back.textStyle().color, 0xFF0000);
    EXPECT_NEAR(back.textHeight(), text.textHeight(), 0.01);
    EXPECT_NEAR(back.centre().x(), 50, 1e-6);
    QString info;
    back.value("info", &info);
    EXPECT_EQ(info, "1.25");
}

TEST(TabFile, BrokenFilesGiveAnErrorNotACrash) {
    QTemporaryDir dir;
    QString error;
    TableContent content;
    EXPECT_FALSE(TabFile::read(Tab(dir, "missing"), content, &error));
    EXPECT_TRUE(error.contains("missing")) << error.toStdString();

    // Garbage in place of a table.
    const QString garbage = Tab(dir, "garbage");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray junk;
        for (int i = 0; i < 5000; ++i)
            junk.append(static_cast<char>((i * 7919) % 251));
        f.write(junk);
    }
    error.clear();
    EXPECT_FALSE(TabFile::read(garbage, content, &error));
    EXPECT_FALSE(error.isEmpty());

    // A real table whose header, objects and records are cut short.
    const QString cut = Tab(dir, "cut");
    WriteTable(cut, {"Raion"}, {{Square(0, 0, 10), {"1"}}, {Square(10, 0, 10), {"2"}}});
    for (const char* ext : {"map", "dat"}) {
        QFile f(dir.filePath(QStringLiteral("cut.") + QLatin1String(ext)));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() / 3));
    }
    error.clear();
    const bool ok = TabFile::read(cut, content, &error);
    // Either refused with a reason or read without the lost objects, never a crash.
    if (!ok) {
        EXPECT_FALSE(error.isEmpty());
    }

    const QString headerOnly = Tab(dir, "header");
    {
        QFile f(headerOnly);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("!table\n!version 300\n!charset WindowsCyrillic\n\nDefinition Table\n  Type NA");
    }
    error.clear();
    EXPECT_FALSE(TabFile::read(headerOnly, content, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TabFile, CreateRefusesToReplaceUnlessAsked) {
    QTemporaryDir dir;
    const QString path = Tab(dir, "t");
    WriteTable(path, {"a"}, {{Square(0, 0, 1), {"x"}}});
    QString error;
    EXPECT_FALSE(TabFile::create(path, {FieldDef{"b"}}, CoordSys{}, false, QString(), &error));
    TableContent content;
    ASSERT_TRUE(TabFile::read(path, content, &error));
    EXPECT_EQ(content.features.size(), 1u);
    ASSERT_TRUE(TabFile::create(path, {FieldDef{"b"}}, CoordSys{}, true, QString(), &error));
    ASSERT_TRUE(TabFile::read(path, content, &error));
    EXPECT_EQ(content.features.size(), 0u);
    ASSERT_EQ(content.fields.size(), 1u);
    EXPECT_EQ(content.fields[0].name, "b");
}

TEST(StyleText, RegionStyleRoundTrip) {
    RegionStyle s;
    s.regionColor = 0x123456;
    s.regionPattern = 5;
    s.regionBorderColor = 0x00FF00;
    s.regionBorderWidth = 3;
    s.regionTransparent = true;
    RegionStyle back;
    ASSERT_TRUE(ParseRegionStyle(RegionStyleText(s), back));
    EXPECT_EQ(back, s);
    EXPECT_FALSE(ParseRegionStyle("SYMBOL(id:\"x\")", back));
}

} // namespace
