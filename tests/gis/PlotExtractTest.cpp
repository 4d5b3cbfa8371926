#include "gis/PlotExtract.h"
#include "common/FileUtils.h"
#include "gis/PlaceLayers.h"
#include "office/Document.h"
#include "tests/map/MapTestUtil.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/**
 * Two districts side by side (1: x 0..100, 2: x 100..200), each its own zone, a factor 3
 * region over x 50..150, y 0..50; the plot x 80..120, y 10..40 lies in both districts.
 */
class Extract : public ::testing::Test {
protected:
    void SetUp() override {
        const QDir d(m_dir.path());
        WriteTable(d.filePath(QStringLiteral("райони.tab")),
                   {QStringLiteral("Raion"), QStringLiteral("Zona")},
                   {{Square(0, 0, 100), {QStringLiteral("1"), QStringLiteral("1")}},
                    {Square(100, 0, 100), {QStringLiteral("2"), QStringLiteral("2")}}});
        WriteTable(d.filePath(QStringLiteral("зони.tab")), {QStringLiteral("Zona")},
                   {{Square(0, 0, 100), {QStringLiteral("1")}},
                    {Square(100, 0, 100), {QStringLiteral("2")}}});
        WriteTable(d.filePath(QStringLiteral("лок03.tab")), {QStringLiteral("Km3")},
                   {{FeatureFactory::createRegion({{{50, 0}, {150, 0}, {150, 50}, {50, 50}}}),
                     {QStringLiteral("0.95")}}});
        QString error;
        ASSERT_TRUE(m_place.load(m_dir.path(), &error)) << error.toStdString();
        m_layers.place = &m_place;
        m_layers.zones = ReadZoneLayer(m_dir.path());
        ASSERT_TRUE(m_layers.zones);

        m_requisites.settlement = QStringLiteral("с. Тамберон");
        m_requisites.koatuu = QStringLiteral("3222410100");
        m_requisites.valuationYear = QStringLiteral("2020");
        m_requisites.date = QStringLiteral("10.12.2026");
    }

    /** The plot valued in two parts, with indexation from 2020. */
    ExtractPlot plot(const QString& cadastral) const {
        ExtractPlot p;
        p.cadastral = cadastral;
        p.address = QStringLiteral("вул. Садова, 7");
        p.purpose = QStringLiteral("02.01");
        p.purposeName = QStringLiteral("Для будівництва і обслуговування житлового будинку");
        p.statedAreaHa = QStringLiteral("0.1200");
        p.shape =
            FeatureFactory::createRegion({{{80, 10}, {120, 10}, {120, 40}, {80, 40}}}).geometry();
        PlaceValuation& v = p.valuation;
        v.plot = true;
        v.use = QStringLiteral("Ж");
        v.useName = QStringLiteral("Землі житлової забудови");
        v.kf = QStringLiteral("1.00");
        PlaceFigures a;
        a.district = QStringLiteral("1");
        a.zone = QStringLiteral("1");
        a.km2 = QStringLiteral("1.20");
        a.zoneValue = QStringLiteral("120.00");
        a.factors.push_back(
            {QStringLiteral("лок03"), 3, QStringLiteral("Ґрунтові води"), QStringLiteral("0.95")});
        a.km3 = QStringLiteral("0.95");
        a.valuePerSqM = QStringLiteral("114.00");
        a.areaHa = QStringLiteral("0.0600");
        a.value = QStringLiteral("68400.00");
        PlaceFigures b = a;
        b.district = QStringLiteral("2");
        b.zone = QStringLiteral("2");
        b.km2 = QStringLiteral("0.90");
        b.zoneValue = QStringLiteral("90.00");
        b.valuePerSqM = QStringLiteral("85.50");
        b.value = QStringLiteral("51300.00");
        v.parts = {a, b};
        v.areaHa = QStringLiteral("0.1200");
        v.value = QStringLiteral("119700.00");
        v.fromYear = 2020;
        v.toYear = 2022;
        v.coefficients = QStringList{QStringLiteral("2020: 1.100"), QStringLiteral("2021: 1.100")};
        v.indexFactor = QStringLiteral("1.210");
        v.indexedValue = QStringLiteral("144837.00");
        return p;
    }

    QString templatePath() const {
        return JoinPath(JoinPath(BuiltAppDir(), QStringLiteral("Шаблон")),
                        QStringLiteral("Витяг.dotx"));
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_out;
    PlaceLayers m_place;
    ExtractLayers m_layers;
    ExtractRequisites m_requisites;
};

/** Pixels of the picture that are not white. */
int inkedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

} // namespace

TEST_F(Extract, StatesEachPartsNumbersTheFormulaAndTheIndexation) {
    const ExtractContent c = MakeExtractContent(m_requisites, plot(QStringLiteral("1:2:3:4")));
    ASSERT_EQ(c.parts.size(), 2u);
    EXPECT_EQ(c.parts[0].join(u'|'),
              QStringLiteral("1|1|1|1.20|120.00|1.00|Ґрунтові води (фактор 3): "
                             "0.95|0.95|114.00|0.0600|68400.00"));
    EXPECT_EQ(c.formula,
              (QStringList{QStringLiteral("Частина № 1: Цн = 120.00 × 1.00 × 0.95 = 114.00 грн/м²; "
                                          "114.00 × 600 м² = 68400.00 грн."),
                           QStringLiteral("Частина № 2: Цн = 90.00 × 1.00 × 0.95 = 85.50 грн/м²; "
                                          "85.50 × 600 м² = 51300.00 грн."),
                           QStringLiteral("Вартість ділянки: 68400.00 + 51300.00 = 119700.00 "
                                          "грн.")}));
    EXPECT_EQ(c.indexation.last(),
              QStringLiteral("Нормативна грошова оцінка ділянки з урахуванням індексації на "
                             "2022 рік: 119700.00 × 1.210 = 144837.00 грн."));
    EXPECT_TRUE(c.notes.isEmpty());

    // A drawn area more than 1 % off the stated one is noted.
    ExtractPlot off = plot(QString());
    off.statedAreaHa = QStringLiteral("0.1300");
    const ExtractContent o = MakeExtractContent(m_requisites, off);
    EXPECT_EQ(o.plot[4].second, QStringLiteral("0.1300 (за документами); оцінено 0.1200"));
    EXPECT_EQ(o.plot[0].second, QStringLiteral("—"));
    EXPECT_EQ(o.notes.size(), 1);
}

TEST_F(Extract, MapShowsThePlotOverTheZonesAtARoundScale) {
    const ExtractPlot p = plot(QStringLiteral("1:2:3:4"));
    const PrintedMap map = RenderExtractMap(m_layers, p);
    ASSERT_FALSE(map.image.isNull());
    EXPECT_GT(map.scale, 0);
    EXPECT_GT(inkedPixels(map.image), map.image.width() * map.image.height() / 4);
    // Another plot elsewhere draws another picture.
    ExtractPlot q = p;
    q.shape = FeatureFactory::createRegion({{{10, 60}, {30, 60}, {30, 90}, {10, 90}}}).geometry();
    EXPECT_NE(RenderExtractMap(m_layers, q).image, map.image);
}

TEST_F(Extract, WritesDocxAndPdfNamedByCadastralNumberWithTheNumbersInPlace) {
    std::vector<ExtractPlot> plots = {plot(QStringLiteral("3222410100:01:001:0001")),
                                      plot(QStringLiteral("3222410100:01:001:0001")),
                                      plot(QString())};
    plots[2].valuation.parts.resize(1);
    ExtractsResult result;
    QString error;
    int calls = 0;
    ASSERT_TRUE(WriteExtracts(
        templatePath(), m_requisites, m_layers, plots, m_out.path(),
        [&calls](int done, int total) {
            ++calls;
            EXPECT_LE(done, total);
            return true;
        },
        result, &error))
        << error.toStdString();
    EXPECT_GT(calls, 0);
    EXPECT_EQ(result.written, 3);
    EXPECT_TRUE(result.failures.isEmpty());
    EXPECT_FALSE(result.stopped);
    const QDir out(m_out.path());
    EXPECT_EQ(out.entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("3222410100_01_001_0001 (2).docx"),
                           QStringLiteral("3222410100_01_001_0001 (2).pdf"),
                           QStringLiteral("3222410100_01_001_0001.docx"),
                           QStringLiteral("3222410100_01_001_0001.pdf"),
                           QStringLiteral("ділянка.docx"), QStringLiteral("ділянка.pdf")}));

    auto doc = WordDocument::open(out.filePath(QStringLiteral("3222410100_01_001_0001.docx")));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("NP")), QStringLiteral("с. Тамберон"));
    EXPECT_EQ(doc->bookmarkText(QStringLiteral("VALUE")), QStringLiteral("119700.00"));
    EXPECT_EQ(doc->table(1).cellText(3, 2), QStringLiteral("3222410100"));
    EXPECT_EQ(doc->table(2).cellText(2, 2), QStringLiteral("3222410100:01:001:0001"));
    EXPECT_EQ(doc->table(2).cellText(4, 2),
              QStringLiteral("02.01 – Для будівництва і обслуговування житлового будинку"));
    const WordTable parts = doc->table(3);
    ASSERT_EQ(parts.rowCount(), 5);
    EXPECT_EQ(parts.cellText(3, 2), QStringLiteral("1"));
    EXPECT_EQ(parts.cellText(3, 9), QStringLiteral("114.00"));
    EXPECT_EQ(parts.cellText(4, 5), QStringLiteral("90.00"));
    EXPECT_EQ(parts.cellText(4, 11), QStringLiteral("51300.00"));
    EXPECT_EQ(parts.cellText(5, 2), QStringLiteral("0.1200"));
    EXPECT_EQ(parts.cellText(5, 3), QStringLiteral("119700.00"));
    // The map went in as a picture.
    EXPECT_TRUE(doc->package().hasPart(QStringLiteral("word/media/image1.png")));

    QFile pdf(out.filePath(QStringLiteral("3222410100_01_001_0001.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/Image")) << "the map is in the PDF";

    auto single = WordDocument::open(out.filePath(QStringLiteral("ділянка.docx")));
    EXPECT_EQ(single->table(3).rowCount(), 4);
}

TEST_F(Extract, AMissingTemplateOrAnUnwritableFolderIsSaid) {
    ExtractsResult result;
    QString error;
    EXPECT_FALSE(WriteExtracts(m_out.filePath(QStringLiteral("нема.dotx")), m_requisites, m_layers,
                               {plot(QStringLiteral("1"))}, m_out.path(), {}, result, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Неможливо прочитати шаблон витягу")));
    // A file where the folder should be.
    const QString blocked = m_out.filePath(QStringLiteral("файл"));
    QFile f(blocked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(WriteExtracts(templatePath(), m_requisites, m_layers, {plot(QStringLiteral("1"))},
                               blocked, {}, result, &error));
    EXPECT_EQ(error, QStringLiteral("Неможливо створити папку %1.").arg(blocked));
}

TEST_F(Extract, StopEndsTheRunWithThePlotsDoneSoFar) {
    std::vector<ExtractPlot> plots(40, plot(QStringLiteral("1")));
    for (size_t i = 0; i < plots.size(); ++i)
        plots[i].cadastral = QString::number(i);
    ExtractsResult result;
    QString error;
    ASSERT_TRUE(WriteExtracts(
        templatePath(), m_requisites, m_layers, plots, m_out.path(), [](int, int) { return false; },
        result, &error));
    // The extracts begun when the run was stopped are finished; no other is begun.
    EXPECT_EQ(result.stopped, result.written < 40);
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files).size(), result.written * 2);
}

// Labelled "libreoffice" in CTest; skipped where LibreOffice is not installed.
TEST_F(Extract, LibreOfficeOpensTheDocx) {
    if (Soffice().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ExtractsResult result;
    QString error;
    ASSERT_TRUE(WriteExtracts(templatePath(), m_requisites, m_layers,
                              {plot(QStringLiteral("3222410100:01:001:0001"))}, m_out.path(), {},
                              result, &error));
    QTemporaryDir pdf;
    EXPECT_EQ(ConvertToPdf(result.files.front(), pdf.path()), QString());
}
