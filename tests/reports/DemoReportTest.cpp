// The shipped demonstration settlement is a complete valuation: "tamberon report" on a copy of
// it saves the three documents, which read back with our own reader (and convert with
// LibreOffice where it is installed).
#include "common/FileUtils.h"
#include "db/Database.h"
#include "office/Document.h"
#include "office/Workbook.h"
#include "reports/OfficeJob.h"
#include "reports/ReportMaps.h"
#include "tests/support/TestSupport.h"
#include "valuation/Settlement.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** The maps are drawn with fonts: one GUI application on the offscreen platform, made once. */
void GuiApplication() {
    static int argc = 1;
    static char name[] = "reports_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

/**
 * The report command of a copy of the program folder in `dir` (its automatic copies go
 * there, not into the built one) on the folder: its exit status and standard output lines.
 */
std::pair<int, QStringList> RunReport(const QTemporaryDir& dir, const QString& folder) {
    const QString program = CopyBuiltProgram(dir.filePath(QStringLiteral("програма")));
    if (program.isEmpty())
        return {-1, {}};
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(program, {QStringLiteral("report"), folder});
    if (!p.waitForFinished(120000))
        return {-1, {}};
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (!err.isEmpty())
        ADD_FAILURE() << err.toStdString();
    return {p.exitCode(),
            QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)};
}

/** The non-empty cells of a worksheet's column from a row down, to the first 5 empty in a row. */
int FilledRows(Worksheet& sheet, int column, int fromRow) {
    int rows = 0;
    for (int row = fromRow, empty = 0; empty < 5; ++row) {
        const bool filled = !sheet.cellText(row, column).isEmpty();
        rows += filled;
        empty = filled ? 0 : empty + 1;
    }
    return rows;
}

} // namespace

TEST(DemoReport, TheDemonstrationSettlementGivesThreeRealDocuments) {
    QTemporaryDir dir;
    const QString folder = CopyDemoSettlement(dir.path());
    if (folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    const auto [status, saved] = RunReport(dir, folder);
    ASSERT_EQ(status, 0);
    const QStringList names{QStringLiteral("Технічний звіт.docx"),
                            QStringLiteral("Розрахунок грошової оцінки.xlsx"),
                            QStringLiteral("Розрахунок грошової оцінки з кварталами.xlsx")};
    ASSERT_EQ(saved.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(saved[i], JoinPath(folder, names[i]));

    // The report: the title page names the settlement; every data table of the steps is filled.
    const std::unique_ptr<WordDocument> report = WordDocument::open(saved[0]);
    ASSERT_TRUE(report);
    EXPECT_TRUE(
        report->bookmarkText(QStringLiteral("NP")).contains(QStringLiteral("Демонстраційне")));
    // The key results with their formulas, the numbers agreeing with one another.
    EXPECT_EQ(report->bookmarkText(QStringLiteral("COSTS")),
              QStringLiteral("В = Вз × 1000 / (Sот × 10 000) = 77650.00 × 1000 / (321.9762 × "
                             "10 000) = 24.12 грн/м²"));
    EXPECT_EQ(report->bookmarkText(QStringLiteral("KM1")), QStringLiteral("1.200"));
    EXPECT_EQ(report->bookmarkText(QStringLiteral("AVERAGE")),
              QStringLiteral("Цнм = 24.12 × 6 / 3 × 1.200 = 57.89 грн/м²"));
    EXPECT_TRUE(report->bookmarkText(QStringLiteral("RESULTS"))
                    .contains(QStringLiteral("Цнм = 24.12 × 6 / 3 × 1.200 = 57.89 грн/м²")));
    EXPECT_FALSE(report->bookmarkText(QStringLiteral("CLIENT")).contains(u'_'));
    // Fourteen data tables, less the index table of the zoning variant not used.
    ASSERT_EQ(report->tableCount(), 13);
    int filledTables = 0;
    for (int t = 1; t <= report->tableCount(); ++t) {
        const WordTable table = report->table(t);
        if (table.rowCount() >= 3 && !table.cellText(3, 2).isEmpty())
            ++filledTables;
    }
    EXPECT_GE(filledTables, 12);
    // Its four map appendices are pictures of the package.
    const QStringList parts = report->package().partNames();
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(parts.contains(QStringLiteral("word/media/image%1.png").arg(i))) << i;
    EXPECT_FALSE(parts.contains(QStringLiteral("word/media/image5.png")));

    // The district workbook: a row per district and use in every zone, the quarter workbook a
    // row per quarter; both under the numbering row, zone by zone.
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const std::unique_ptr<Workbook> book = Workbook::open(saved[i]);
        ASSERT_TRUE(book);
        Worksheet& sheet = book->worksheet(1);
        EXPECT_EQ(sheet.cellText(6, 1), QStringLiteral("1"));
        EXPECT_GE(FilledRows(sheet, 1, 7), 12);
    }
}

// Each appendix of the demonstration is a full A4 text page at 200 dpi with a map on it; a
// settlement without a soil layer says so instead of drawing that map.
TEST(DemoReport, EachAppendixIsAFullPageMapAndAMissingLayerIsNamed) {
    GuiApplication();
    QTemporaryDir dir;
    const QString folder = CopyDemoSettlement(dir.path());
    if (folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    for (const QString& name : QDir(folder).entryList({QStringLiteral("грунти.*")}))
        ASSERT_TRUE(QFile::remove(JoinPath(folder, name)));
    Connection data, catalogue;
    ASSERT_TRUE(data.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
    ASSERT_TRUE(catalogue.open(JoinPath(BuiltAppDir(), QStringLiteral("baza.sqlite"))));
    const reports::ReportContext context{&data, &catalogue, QStringLiteral("с. Демонстраційне"),
                                         folder};
    valuation::Settlement settlement;
    ASSERT_TRUE(valuation::ReadSettlement(data, settlement));
    SilentProgress progress;
    const std::vector<reports::AppendixMap> maps =
        reports::DrawAppendixMaps(context, settlement, progress);
    ASSERT_EQ(maps.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(maps[i].title.toStdString());
        ASSERT_EQ(maps[i].leftOut, QString());
        const QImage& image = maps[i].printed.image;
        EXPECT_EQ(image.size(), QSize(1299, 1874)); // 165 x 238 mm at 200 dpi
        EXPECT_GT(maps[i].printed.scale, 0);
        EXPECT_GT(maps[i].printed.labelsPlaced, 5);
        // Not blank: a share of the page is painted (hatched factors paint less), in several
        // colours.
        int painted = 0;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                const QRgb c = image.pixel(x, y);
                painted += c != qRgb(255, 255, 255);
                colours.insert(c);
            }
        }
        EXPECT_GT(painted, (image.width() / 7) * (image.height() / 7) / 20);
        EXPECT_GT(colours.size(), 8);
    }
    EXPECT_TRUE(maps[3].printed.image.isNull());
    EXPECT_EQ(maps[3].leftOut, QStringLiteral("у папці населеного пункту немає шару «грунти»"));
}

// Maps begun ahead of the report are the pictures drawn on the spot, handed over once; a
// drawing never taken (a template without maps) ends without them.
TEST(DemoReport, MapsBegunAheadAreTheMapsDrawnWhenTheReportReachesThem) {
    GuiApplication();
    QTemporaryDir dir;
    const QString folder = CopyDemoSettlement(dir.path());
    if (folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    Connection data, catalogue;
    ASSERT_TRUE(data.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
    ASSERT_TRUE(catalogue.open(JoinPath(BuiltAppDir(), QStringLiteral("baza.sqlite"))));
    const reports::ReportContext context{&data, &catalogue, QStringLiteral("с. Демонстраційне"),
                                         folder};
    valuation::Settlement settlement;
    ASSERT_TRUE(valuation::ReadSettlement(data, settlement));
    SilentProgress progress;
    auto pngsOf = [](std::vector<reports::AppendixMap> maps) {
        std::vector<QByteArray> pngs;
        for (const reports::AppendixMap& map : maps) {
            EXPECT_TRUE(map.printed.image.isNull()) << "encoded maps keep no picture";
            pngs.push_back(map.png);
        }
        return pngs;
    };
    const std::vector<QByteArray> now =
        pngsOf(reports::DrawAppendixMaps(context, settlement, progress, {}, true));
    ASSERT_EQ(now.size(), 4u);
    for (const QByteArray& png : now) {
        ASSERT_GT(png.size(), 1000);
        EXPECT_FALSE(QImage::fromData(png, "PNG").isNull());
    }
    {
        reports::AppendixMapDrawing ahead(context, settlement, true);
        // The connections are free for the caller meanwhile.
        valuation::Settlement again;
        EXPECT_TRUE(valuation::ReadSettlement(data, again));
        std::vector<int> order;
        const std::vector<QByteArray> later =
            pngsOf(ahead.take(progress, [&](reports::AppendixMap& map) {
                order.push_back(static_cast<int>(order.size()));
                EXPECT_FALSE(map.png.isEmpty()) << map.title.toStdString();
            }));
        EXPECT_EQ(later, now);
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
        EXPECT_TRUE(ahead.take(progress).empty());
    }
    // Never taken: it ends without waiting for maps not begun.
    { reports::AppendixMapDrawing unused(context, settlement, true); }
}

TEST(LibreOfficeDemoReport, TheThreeDocumentsConvertToPdf) {
    if (Soffice().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const QString folder = CopyDemoSettlement(dir.path());
    if (folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    const auto [status, saved] = RunReport(dir, folder);
    ASSERT_EQ(status, 0);
    for (const QString& path : saved)
        EXPECT_EQ(ConvertToPdf(path, dir.path()), QString()) << path.toStdString();
}
