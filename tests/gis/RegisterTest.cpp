// The register of plots on the shipped demonstration settlement: each plot valued as the value
// of a plot values it, stated areas, the workbook and the GeoPackage read back, the command.
// Skipped when the program is not built.
#include "commands/PlotsCommand.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "gis/LandTax.h"
#include "gis/PlaceLayers.h"
#include "gis/PlaceValue.h"
#include "gis/PlotExtract.h"
#include "gis/RegisterOutputs.h"
#include "gis/RegisterValuation.h"
#include "map/TabFile.h"
#include "map/VectorSource.h"
#include "office/Workbook.h"
#include "tests/gis/ExchangeFiles.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestSupport.h"
#include "valuation/Formulas.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <ogr_api.h>
#include <ogr_geometry.h>

namespace {

/** A copy of the demonstration settlement, its catalogue, and plots over its districts. */
class Register : public ::testing::Test {
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
        writePlots();
    }

    /**
     * "plots.gpkg": a 20 m square inside every district (stated areas on the first two: one
     * 2.5 % off, one 0.25 % off) and one across the common border of two districts.
     */
    void writePlots() {
        TableContent districts;
        ASSERT_TRUE(
            TabFile::read(JoinPath(m_folder, QStringLiteral("райони.tab")), districts, nullptr));
        std::vector<TestObject> objects;
        int n = 0;
        for (const Feature& d : districts.features) {
            const QPointF inside = PointInside(d);
            const double x = inside.x(), y = inside.y();
            ++n;
            const QString stated = n == 1   ? QStringLiteral("0.0410")
                                   : n == 2 ? QStringLiteral("0.0401")
                                            : QString();
            objects.push_back({SquareWkt(x - 10, y - 10, 20),
                               {QStringLiteral("1234567890:01:001:%1").arg(n, 4, 10, QChar(u'0')),
                                QStringLiteral("02.01"), stated}});
        }
        // Across the border of the first two neighbours with a straight common edge.
        for (size_t i = 1; i < districts.features.size(); ++i) {
            std::unique_ptr<OGRGeometry> border(
                districts.features[0].geometry()->ogr()->Intersection(
                    districts.features[i].geometry()->ogr()));
            if (border && wkbFlatten(border->getGeometryType()) == wkbLineString &&
                border->toLineString()->get_Length() > 100) {
                OGRPoint c;
                border->toLineString()->Value(border->toLineString()->get_Length() / 2, &c);
                objects.push_back({SquareWkt(c.getX() - 10, c.getY() - 10, 20),
                                   {QStringLiteral("1234567890:01:001:0999"),
                                    QStringLiteral("03.07"), QStringLiteral("0.0400")}});
                break;
            }
        }
        ASSERT_GT(objects.size(), districts.features.size());
        m_plotFile = m_dir.filePath(QStringLiteral("plots.gpkg"));
        WriteSourceFile(m_plotFile, QStringLiteral("GPKG"), QStringLiteral("plots"), QString(),
                        {{QStringLiteral("CADNUM"), QStringLiteral("text")},
                         {QStringLiteral("KVCPZ"), QStringLiteral("text")},
                         {QStringLiteral("AREA"), QStringLiteral("real")}},
                        objects);
    }

    std::vector<RegisterPlot> readPlots() {
        std::vector<RegisterPlot> plots;
        QString error;
        EXPECT_TRUE(
            ReadVectorPlots(m_plotFile, QString(), {}, {m_layers.crsWkt(), {}}, plots, &error))
            << error.toStdString();
        return plots;
    }

    int run(const QStringList& args, QString* outText = nullptr, QString* errText = nullptr) {
        QString o, e;
        QTextStream out(&o), err(&e);
        const int status = RunPlotsCommand(args, m_app.path(), out, err);
        out.flush();
        err.flush();
        if (outText)
            *outText = o;
        if (errText)
            *errText = e;
        return status;
    }

    QTemporaryDir m_dir;
    TempAppDir m_app{true};
    QString m_folder;
    QString m_plotFile;
    Connection m_project;
    Connection m_catalogue;
    PlaceLayers m_layers;
    PlaceSources m_sources;
};

double Number(const QString& text) {
    return text.toDouble();
}

QString WriteText(const QString& path, const QByteArray& text) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}

QByteArray Digest(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST_F(Register, EveryPlotIsValuedAsTheValueOfAPlotAndStatedAreasRuleTheParts) {
    std::vector<RegisterPlot> plots = readPlots();
    // Enough copies for the work to be shared between threads.
    const size_t read = plots.size();
    for (int copy = 0; copy < 5; ++copy)
        for (size_t i = 0; i < read; ++i)
            plots.push_back(plots[i]);
    PlaceOptions options;
    options.use = QStringLiteral("Ж");
    options.fromYear = 2020;
    options.year = 2024;
    std::vector<ValuedPlot> valued;
    ValueRegister(m_layers, m_sources, plots, PurposeUse(), options, valued);
    ASSERT_EQ(valued.size(), plots.size());
    for (size_t i = 0; i < plots.size(); ++i) {
        const RegisterPlot& p = plots[i];
        const ValuedPlot& v = valued[i];
        SCOPED_TRACE(p.cadastral.toStdString());
        ASSERT_TRUE(v.valued) << v.reason.toStdString();
        EXPECT_EQ(v.valuation.value, valued[i % read].valuation.value); // the same on any thread
        PlotSplit split = m_layers.split(*p.geometry);
        EXPECT_EQ(v.drawnHa, valuation::Fixed(split.areaM2 / 10000, 4));
        if (p.statedHa > 0)
            ScaleToStatedArea(split, p.statedHa);
        OGRPoint centre;
        p.geometry->Centroid(&centre);
        PlaceValuation expected;
        QString reason;
        ASSERT_TRUE(ValuePlot(m_sources, split, {centre.getX(), centre.getY()}, options, expected,
                              &reason));
        EXPECT_EQ(v.valuation.value, expected.value);
        EXPECT_EQ(v.valuation.indexedValue, expected.indexedValue);
        double parts = 0, sum = 0;
        for (const PlaceFigures& part : v.valuation.parts) {
            EXPECT_EQ(part.value,
                      valuation::PlotValue(Number(part.valuePerSqM), Number(part.areaHa)));
            parts += Number(part.areaHa);
            sum += Number(part.value);
        }
        EXPECT_EQ(v.valuation.value, valuation::Fixed(sum, 2));
        if (p.statedHa > 0) { // the parts add up to the stated area exactly
            EXPECT_EQ(valuation::Fixed(parts, 4), valuation::Fixed(p.statedHa, 4));
            EXPECT_EQ(v.areaHa, valuation::Fixed(p.statedHa, 4));
        }
    }
    EXPECT_TRUE(valued[0].areaDiffers); // 0.0410 against 0.0400 drawn
    EXPECT_TRUE(valued[read].notes.join(u' ').contains(QStringLiteral("повторюється")));
    EXPECT_FALSE(valued[1].areaDiffers);
    EXPECT_GE(valued[read - 1].valuation.parts.size(), 2u); // the plot across the border
    // The same plot on its own, as the value of a plot (no stated area) values it.
    EXPECT_NE(valued[0].valuation.value, valued[2].valuation.value);
}

TEST_F(Register, APurposeWithoutAUseIsNotValuedAndItsReasonIsKept) {
    const std::vector<RegisterPlot> plots = readPlots();
    std::vector<ValuedPlot> valued;
    ValueRegister(m_layers, m_sources, plots, PurposeUse(), {}, valued);
    for (const ValuedPlot& v : valued) {
        EXPECT_FALSE(v.valued);
        EXPECT_TRUE(v.reason.contains(QStringLiteral("--use"))) << v.reason.toStdString();
    }
    const PurposeUse book = [](const QString& purpose, QString* reason) {
        if (purpose == QLatin1String("02.01"))
            return QStringLiteral("Ж");
        *reason = QStringLiteral("Коду %1 немає в довіднику.").arg(purpose);
        return QString();
    };
    ValueRegister(m_layers, m_sources, plots, book, {}, valued);
    for (size_t i = 0; i < plots.size(); ++i) {
        EXPECT_EQ(valued[i].valued, plots[i].purpose == QLatin1String("02.01"));
        if (!valued[i].valued) {
            EXPECT_EQ(valued[i].reason, QStringLiteral("Коду 03.07 немає в довіднику."));
        }
    }
    RegisterProgress stopped;
    stopped.stop = true;
    ValueRegister(m_layers, m_sources, plots, book, {}, valued, &stopped);
    EXPECT_FALSE(valued[0].valued);
    EXPECT_EQ(stopped.done, static_cast<int>(plots.size()));
}

TEST_F(Register, TheWorkbookAndTheGeoPackageReadBack) {
    std::vector<RegisterPlot> plots = readPlots();
    RegisterPlot broken;
    broken.cadastral = QStringLiteral("1234567890:01:001:0500");
    broken.source = QStringLiteral("a.xml, ділянка 500");
    broken.reason = QStringLiteral("Зовнішню межу не складено: межа не замкнена.");
    plots.push_back(broken);
    PlaceOptions options;
    options.use = QStringLiteral("Ж");
    options.fromYear = 2020;
    options.year = 2024;
    std::vector<ValuedPlot> valued;
    ValueRegister(m_layers, m_sources, plots, PurposeUse(), options, valued);
    TaxRates rates;
    rates.add(QStringLiteral("Ж"), QStringLiteral("0.5"));
    ApplyLandTax(rates, plots, valued);
    const QString book = m_dir.filePath(QStringLiteral("реєстр.xlsx"));
    QString error;
    ASSERT_TRUE(WriteRegisterBook(
        book, plots, valued,
        [](const QString& code) {
            return code == QLatin1String("02.01") ? QStringLiteral("Для будівництва житла")
                                                  : QString();
        },
        &error))
        << error.toStdString();

    std::unique_ptr<Workbook> read = Workbook::open(book);
    ASSERT_EQ(read->worksheetCount(), 2);
    const QByteArray names = read->package().partData(QStringLiteral("xl/workbook.xml"));
    EXPECT_TRUE(QString::fromUtf8(names).contains(RegisterSheetName()));
    EXPECT_TRUE(QString::fromUtf8(names).contains(NotValuedSheetName()));
    Worksheet& sheet = read->worksheet(1);
    EXPECT_EQ(sheet.cellText(1, 2), QStringLiteral("Кадастровий номер"));
    EXPECT_TRUE(sheet.cellBold(1, 2));
    const size_t rows = plots.size() - 1;
    for (size_t i = 0; i < rows; ++i) {
        const int row = static_cast<int>(i) + 2;
        SCOPED_TRACE(row);
        EXPECT_EQ(sheet.cellText(row, 2), plots[i].cadastral);
        EXPECT_EQ(sheet.cellText(row, 4), plots[i].purpose); // a text, never 2.01
        EXPECT_EQ(Number(sheet.cellText(row, 15)), Number(valued[i].valuation.value));
        EXPECT_EQ(Number(sheet.cellText(row, 16)), Number(valued[i].valuation.indexedValue));
        EXPECT_EQ(sheet.cellText(row, 6), QStringLiteral("Ж - ") + valued[i].valuation.useName);
        EXPECT_FALSE(valued[i].tax.isEmpty());
        EXPECT_EQ(Number(sheet.cellText(row, 18)), Number(valued[i].tax));
    }
    EXPECT_EQ(sheet.cellText(2, 5), QStringLiteral("Для будівництва житла"));
    const int totals = static_cast<int>(rows) + 2;
    EXPECT_TRUE(sheet.cellText(totals, 2).startsWith(QStringLiteral("Разом")));
    EXPECT_EQ(Number(sheet.cellText(totals, 15)), Number(TotalsOf(plots, valued).value));
    EXPECT_TRUE(sheet.cellBold(totals, 15));
    EXPECT_EQ(Number(sheet.cellText(totals, 18)), Number(TotalsOf(plots, valued).tax));
    EXPECT_GT(sheet.columnWidth(18), 0);
    Worksheet& notValued = read->worksheet(2);
    EXPECT_EQ(notValued.cellText(2, 2), broken.cadastral);
    EXPECT_EQ(notValued.cellText(2, 4), broken.reason);
    EXPECT_TRUE(notValued.cellText(3, 2).isEmpty());

    const QString package = m_dir.filePath(QStringLiteral("реєстр.gpkg"));
    ASSERT_TRUE(WriteRegisterPackage(package, plots, valued, m_layers.crsWkt(), &error))
        << error.toStdString();
    SourceSummary summary;
    std::vector<QStringList> values;
    ASSERT_TRUE(VectorSource::read(
        package, QStringLiteral("plots"), summary,
        [&](std::unique_ptr<OGRGeometry> shape, const QStringList& v) {
            EXPECT_TRUE(shape);
            values.push_back(v);
        },
        &error))
        << error.toStdString();
    ASSERT_EQ(values.size(), rows); // the plot without a region is left out
    const int value = static_cast<int>(
        std::find_if(summary.fields.begin(), summary.fields.end(),
                     [](const SourceField& f) { return f.name == QLatin1String("value"); }) -
        summary.fields.begin());
    for (size_t i = 0; i < rows; ++i)
        EXPECT_DOUBLE_EQ(Number(values[i][value]), Number(valued[i].valuation.value));
}

TEST_F(Register, TheCommandValuesEverySourceAndKeepsTheSettlementsFiles) {
    // An exchange file beside the plots: its parcels lie far outside the settlement.
    const QString exchange = m_dir.filePath(QStringLiteral("обмін.xml"));
    WriteExchangeFile(exchange, SampleExchange(9000000, 9000000));
    const QString book = m_dir.filePath(QStringLiteral("реєстр.xlsx"));
    const QString package = m_dir.filePath(QStringLiteral("реєстр.gpkg"));
    QString out, err;
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--use"), QStringLiteral("Ж"),
                   QStringLiteral("--json")},
                  &out, &err),
              0)
        << err.toStdString();
    const QJsonObject all = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(all[QStringLiteral("notValued")].toInt(), 0);
    const QJsonArray list = all[QStringLiteral("plots")].toArray();
    ASSERT_EQ(all[QStringLiteral("valued")].toInt(), list.size());
    const QJsonObject first = list[0].toObject();
    for (const char* key : {"cadastral", "purpose", "use", "areaHa", "drawnAreaHa", "valuePerSqM",
                            "value", "indexedValue", "parts", "reason"})
        EXPECT_TRUE(first.contains(QLatin1String(key))) << key;
    EXPECT_EQ(first[QStringLiteral("areaHa")].toString(), QStringLiteral("0.0410"));
    EXPECT_EQ(first[QStringLiteral("drawnAreaHa")].toString(), QStringLiteral("0.0400"));
    EXPECT_FALSE(first.contains(QStringLiteral("tax")));

    EXPECT_EQ(run({m_folder, m_plotFile, exchange, QStringLiteral("--use"), QStringLiteral("Ж"),
                   QStringLiteral("--register"), book, QStringLiteral("--gpkg"), package},
                  &out, &err),
              1);
    EXPECT_TRUE(QFileInfo(book).isFile());
    EXPECT_TRUE(QFileInfo(package).isFile());
    EXPECT_EQ(Workbook::open(book)->worksheet(1).columnWidth(18), 0); // no rates: tax hidden
    const QStringList lines = out.trimmed().split(u'\n');
    EXPECT_EQ(lines.size(), static_cast<qsizetype>(list.size()) + 5 + 1); // 5 parcels, totals
    EXPECT_TRUE(lines.last().startsWith(
        QStringLiteral("Оцінено ділянок: %1; не оцінено: 5").arg(list.size())))
        << lines.last().toStdString();
    EXPECT_FALSE(out.contains(ExOwnerName()));

    // Wrong calls: nothing written, the settlement's files and the sources untouched.
    const QString own = JoinPath(m_folder, QStringLiteral("Розрахунок.xlsx"));
    QFile(book).copy(own);
    const QByteArray ownBefore = Digest(own);
    const QByteArray sourceBefore = Digest(m_plotFile);
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--register"), own}, nullptr, &err), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("папці населеного пункту"))) << err.toStdString();
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--gpkg"), m_plotFile}, nullptr, &err), 2);
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--register"),
                   m_dir.filePath(QStringLiteral("a.xls"))}),
              2);
    EXPECT_EQ(run({m_folder}), 2);
    EXPECT_EQ(run({m_folder, m_dir.filePath(QStringLiteral("немає.gpkg"))}), 2);
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--use"), QStringLiteral("Ы")}), 2);
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--crs"), QStringLiteral("EPSG:0")}), 2);
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--tax"),
                   WriteText(m_dir.filePath(QStringLiteral("r.csv")), "02.01;x\n")},
                  nullptr, &err),
              2);
    EXPECT_EQ(Digest(own), ownBefore);
    EXPECT_EQ(Digest(m_plotFile), sourceBefore);
    EXPECT_EQ(run({QStringLiteral("--help")}, &out), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("tamberon plots ПАПКА")));
}

// Without --use each plot's category comes from the catalogue's book of purposes: housing
// (02.01) as Ж, a shop (03.07) as К; the purpose's name goes into the register.
TEST_F(Register, TheCommandTakesEachPlotsCategoryFromTheBookOfPurposes) {
    const QString book = m_dir.filePath(QStringLiteral("за призначенням.xlsx"));
    QString out, err;
    EXPECT_EQ(
        run({m_folder, m_plotFile, QStringLiteral("--register"), book, QStringLiteral("--json")},
            &out, &err),
        0)
        << err.toStdString();
    const QJsonObject all = QJsonDocument::fromJson(out.toUtf8()).object();
    const QJsonArray list = all[QStringLiteral("plots")].toArray();
    ASSERT_GT(list.size(), 2);
    for (const QJsonValue& v : list) {
        const QJsonObject plot = v.toObject();
        const QString purpose = plot[QStringLiteral("purpose")].toString();
        EXPECT_EQ(plot[QStringLiteral("use")].toString(),
                  purpose == QLatin1String("03.07") ? QStringLiteral("К") : QStringLiteral("Ж"))
            << purpose.toStdString();
    }
    EXPECT_FALSE(Workbook::open(book)->worksheet(1).cellText(2, 5).isEmpty());

    // Each valued plot's extract, named by its cadastral number; never into the settlement.
    const QString extracts = m_dir.filePath(QStringLiteral("витяги"));
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--extracts"), extracts}, &out, &err), 0)
        << err.toStdString();
    const QString first = list[0].toObject()[QStringLiteral("cadastral")].toString();
    EXPECT_EQ(QDir(extracts).entryList({QStringLiteral("*.docx")}).size(), list.size());
    EXPECT_EQ(QDir(extracts).entryList({QStringLiteral("*.pdf")}).size(), list.size());
    ExtractPlot named;
    named.cadastral = first;
    EXPECT_TRUE(
        QFileInfo::exists(JoinPath(extracts, ExtractBaseName(named) + QStringLiteral(".pdf"))));
    // Refused before anything is written: the register asked for beside it is not made.
    const QString refused = m_dir.filePath(QStringLiteral("не записано.xlsx"));
    EXPECT_EQ(run({m_folder, m_plotFile, QStringLiteral("--register"), refused,
                   QStringLiteral("--extracts"), m_folder},
                  &out, &err),
              2);
    EXPECT_TRUE(QDir(m_folder).entryList({QStringLiteral("*.pdf")}).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(refused));
}

TEST(LandTax, RatesAreReadByPurposeOrCategoryAndBadLinesAreNamed) {
    QTemporaryDir dir;
    TaxRates rates;
    QString error;
    ASSERT_TRUE(ReadTaxRates(WriteText(dir.filePath(QStringLiteral("r.csv")),
                                       "Код;Ставка\n# ради\n02.01;0,3\nЖ\t1\n\nК,1.5\n"),
                             rates, &error))
        << error.toStdString();
    EXPECT_EQ(rates.rateFor(QStringLiteral("02.01"), QStringLiteral("Ж")), QStringLiteral("0.3"));
    EXPECT_EQ(rates.rateFor(QStringLiteral("02.02"), QStringLiteral("Ж")), QStringLiteral("1"));
    EXPECT_EQ(rates.rateFor(QString(), QStringLiteral("К")), QStringLiteral("1.5"));
    EXPECT_TRUE(rates.rateFor(QStringLiteral("11.02"), QStringLiteral("П")).isEmpty());
    for (const QByteArray& bad : {QByteArray("02.01;1\n03.07;два\n"), QByteArray("02.01;150\n"),
                                  QByteArray("02.01;1\n02.01;2\n")}) {
        EXPECT_FALSE(
            ReadTaxRates(WriteText(dir.filePath(QStringLiteral("bad.csv")), bad), rates, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("рядок"))) << error.toStdString();
    }

    // The tax is taken from the indexed value when there is one.
    std::vector<RegisterPlot> plots(2);
    plots[0].purpose = QStringLiteral("02.01");
    plots[1].purpose = QStringLiteral("11.02");
    std::vector<ValuedPlot> valued(2);
    for (ValuedPlot& v : valued) {
        v.valued = true;
        v.valuation.value = QStringLiteral("100000.00");
        v.valuation.use = QStringLiteral("П");
    }
    valued[0].valuation.indexedValue = QStringLiteral("120000.00");
    ASSERT_TRUE(ReadTaxRates(WriteText(dir.filePath(QStringLiteral("r.csv")), "02.01;0.3\n"), rates,
                             &error));
    ApplyLandTax(rates, plots, valued);
    EXPECT_EQ(valued[0].tax, QStringLiteral("360.00"));
    EXPECT_EQ(valued[0].taxRate, QStringLiteral("0.300"));
    EXPECT_TRUE(valued[1].tax.isEmpty());
    EXPECT_EQ(TotalsOf(plots, valued).tax, QStringLiteral("360.00"));
}
