// The window "Реєстр ділянок" over the shipped demonstration settlement: the rows and values the
// core gives, sorting, the filter of plots not valued, the stop, the selected plots on the map,
// their extracts and the register read back. Skipped when the program is not built.
#include "gis/ui/PlotRegisterWindow.h"

#include "common/FileUtils.h"
#include "db/Database.h"
#include "gis/PlaceLayers.h"
#include "map/MapDocument.h"
#include "map/TabFile.h"
#include "map/VectorSource.h"
#include "map/ui/MapView.h"
#include "office/Workbook.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"
#include "valuation/PurposeBook.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <ogr_api.h>
#include <ogr_geometry.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/** The demonstration settlement, its catalogue, a map in a tab and plots over its districts. */
class RegisterWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
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
        writePlots();
        m_tabs.addTab(new QWidget(&m_tabs), QStringLiteral("Дані"));
        m_view = new MapView(m_map, &m_tabs);
        m_tabs.addTab(m_view, QStringLiteral("Графіка"));
        m_window = std::make_unique<PlotRegisterWindow>(
            [this] {
                return PlaceSession{m_sessionFolder.isEmpty() ? m_folder : m_sessionFolder,
                                    &m_project, &m_catalogue, QStringLiteral("с. Демонстраційне")};
            },
            m_view);
    }

    /**
     * "plots.gpkg": a 20 m square inside every district for housing (02.01), and one whose
     * purpose the book does not know, so it is not valued.
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
            if (n == 1)
                m_firstWkt = SquareWkt(x - 10 - n, y - 10, 20 + n);
            objects.push_back({SquareWkt(x - 10 - n, y - 10, 20 + n),
                               {QStringLiteral("1234567890:01:001:%1").arg(n, 4, 10, QChar(u'0')),
                                QStringLiteral("02.01")}});
        }
        objects.push_back({objects.front().wkt,
                           {QStringLiteral("1234567890:01:001:0900"), QStringLiteral("99.99")}});
        m_plotFile = m_dir.filePath(QStringLiteral("plots.gpkg"));
        WriteSourceFile(m_plotFile, QStringLiteral("GPKG"), QStringLiteral("plots"), QString(),
                        {{QStringLiteral("CADNUM"), QStringLiteral("text")},
                         {QStringLiteral("KVCPZ"), QStringLiteral("text")}},
                        objects);
    }

    /** The plots and their valuation as the core gives them for the window's settings. */
    void coreRegister(std::vector<RegisterPlot>& plots, std::vector<ValuedPlot>& valued) {
        QString error;
        PlaceSources sources;
        ASSERT_TRUE(ReadPlaceSources(m_project, &m_catalogue, sources, &error));
        ASSERT_TRUE(
            ReadVectorPlots(m_plotFile, QString(), {}, {m_layers.crsWkt(), {}}, plots, &error));
        PurposeBook book;
        ASSERT_TRUE(LoadPurposeBook(m_catalogue, book, &error));
        const PurposeUse useOf = [&book](const QString& purpose, QString* why) {
            QString use;
            return UseForPurpose(book, purpose, &use, why) ? use : QString();
        };
        PlaceOptions options;
        options.year = QDate::currentDate().year();
        ValueRegister(m_layers, sources, plots, useOf, options, valued);
    }

    QString cell(int row, int column) const {
        return m_window->GridPlots->model()->index(row, column).data().toString();
    }
    int rows() const { return m_window->GridPlots->model()->rowCount(); }

    QTemporaryDir m_dir;
    TempAppDir m_app{true};
    RecordingMessages m_messages;
    QString m_folder;
    QString m_plotFile;
    QString m_firstWkt;
    QString m_sessionFolder; ///< the settlement selected now, "" for m_folder
    Connection m_project;
    Connection m_catalogue;
    PlaceLayers m_layers;
    MapDocument m_map;
    QTabWidget m_tabs;
    MapView* m_view = nullptr;
    std::unique_ptr<PlotRegisterWindow> m_window;
};

} // namespace

TEST_F(RegisterWindow, TheGridShowsTheCoresValuesSortedByClickAndFiltered) {
    std::vector<RegisterPlot> plots;
    std::vector<ValuedPlot> valued;
    coreRegister(plots, valued);
    ASSERT_GT(plots.size(), 2u);

    ASSERT_TRUE(m_window->openSources({m_plotFile}));
    ASSERT_EQ(rows(), static_cast<int>(plots.size()));
    int notValued = 0;
    for (int r = 0; r < rows(); ++r) {
        const auto i = static_cast<size_t>(r);
        SCOPED_TRACE(plots[i].cadastral.toStdString());
        EXPECT_EQ(cell(r, ColCadastral), plots[i].cadastral);
        EXPECT_EQ(cell(r, ColValue), valued[i].valued ? valued[i].valuation.value : QString());
        EXPECT_EQ(cell(r, ColValuePerSqM), PlotValuePerSqM(valued[i]));
        EXPECT_EQ(cell(r, ColDrawnHa), valued[i].drawnHa);
        if (!valued[i].valued) {
            ++notValued;
            EXPECT_EQ(cell(r, ColReason), valued[i].reason);
        }
    }
    EXPECT_EQ(notValued, 1);
    EXPECT_EQ(m_window->LabelSummary->text(), RegisterSummary(m_window->table().data()));
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join(u'\n').toStdString();

    // A click on the header sorts by the value, as numbers; again, the other way.
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    QHeaderView* header = m_window->GridPlots->horizontalHeader();
    const QPoint atValue(header->sectionViewportPosition(ColValue) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, atValue);
    auto values = [this] {
        std::vector<double> v;
        for (int r = 0; r < rows(); ++r)
            v.push_back(cell(r, ColValue).isEmpty() ? -1 : cell(r, ColValue).toDouble());
        return v;
    };
    std::vector<double> shown = values();
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.front(), -1); // the plot not valued
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, atValue);
    shown = values();
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
    EXPECT_LT(shown.front(), 1e9);

    // "не оцінено" keeps the plot whose purpose the book does not know, with its reason.
    QTest::mouseClick(m_window->CNotValued, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(m_window->CNotValued->isChecked());
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, ColCadastral), QStringLiteral("1234567890:01:001:0900"));
    EXPECT_TRUE(cell(0, ColReason).contains(QStringLiteral("99.99")))
        << cell(0, ColReason).toStdString();
    m_window->CNotValued->setChecked(false);
    EXPECT_EQ(rows(), static_cast<int>(plots.size()));

    // Other years value again: the indexed value appears.
    m_window->EFromYear->setValue(2020);
    ASSERT_TRUE(m_window->revalue());
    EXPECT_FALSE(m_window->table().data().valued[0].valuation.indexedValue.isEmpty());
}

TEST_F(RegisterWindow, StopLeavesThePlotsNotValuedWithTheReason) {
    std::vector<std::pair<qint64, qint64>> asked;
    m_window->setProgress([&asked](qint64 done, qint64 total) {
        asked.emplace_back(done, total);
        return true;
    });
    ASSERT_TRUE(m_window->openSources({m_plotFile}));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), std::make_pair(qint64(0), qint64(0))); // reading: no count yet
    const int all = rows();

    // "Стоп" pressed as the work begins: the plots are kept, none is valued, the valuer told.
    m_window->setProgress([](qint64, qint64) { return false; });
    EXPECT_FALSE(m_window->revalue());
    ASSERT_EQ(rows(), all);
    for (int r = 0; r < rows(); ++r) {
        EXPECT_FALSE(m_window->table().isValued(r));
        EXPECT_EQ(cell(r, ColReason), QStringLiteral("Оцінку зупинено."));
    }
    ASSERT_EQ(m_messages.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(m_messages.last().text.startsWith(QStringLiteral("Оцінку зупинено")));
    // The same while reading: what was read stays, unvalued.
    EXPECT_FALSE(m_window->openSources({m_plotFile}));
    EXPECT_EQ(rows(), all);
    EXPECT_FALSE(m_window->table().isValued(0));
}

TEST_F(RegisterWindow, SelectedPlotsGoToTheMapTheirExtractsAndTheRegisterAreWritten) {
    ASSERT_TRUE(m_window->openSources({m_plotFile}));
    const RegisterData& data = m_window->table().data();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    EXPECT_FALSE(m_window->BExtract->isEnabled());

    // Two valued rows and the one not valued; Enter shows them on the map's tab.
    QItemSelectionModel* selection = m_window->GridPlots->selectionModel();
    const int last = rows() - 1; // the plot not valued
    for (int r : {0, 1, last})
        selection->select(m_window->GridPlots->model()->index(r, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(m_window->BExtract->isEnabled());
    m_window->GridPlots->setFocus();
    QTest::keyClick(m_window->GridPlots, Qt::Key_Return);
    EXPECT_EQ(m_tabs.currentIndex(), 1);
    ASSERT_GE(m_map.layerCount(), 1);
    const Layer* shown = m_map.layerAt(0);
    EXPECT_EQ(shown->filespec(), m_window->highlightPath());
    EXPECT_EQ(shown->featureCount(), 3);
    const MapRect view = m_map.bounds();
    for (int r : {0, 1}) {
        OGRPoint centre;
        data.plots[static_cast<size_t>(r)].geometry->Centroid(&centre);
        EXPECT_TRUE(view.contains({centre.getX(), centre.getY()}));
    }
    // Another selection replaces the plots shown, on the same layer.
    m_window->GridPlots->selectRow(1);
    m_window->showSelectedOnMap();
    EXPECT_EQ(m_map.layerAt(0)->featureCount(), 1);

    // The extracts of the valued rows selected; the one not valued is passed over and said.
    for (int r : {0, last})
        selection->select(m_window->GridPlots->model()->index(r, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QString folder = m_dir.filePath(QStringLiteral("витяги"));
    EXPECT_EQ(m_window->writeExtracts(folder), 2);
    for (int r : {0, 1}) {
        const auto i = static_cast<size_t>(r);
        const QString name =
            ExtractBaseName(ExtractPlotOf(data.plots[i], data.valued[i], data.purposeName));
        EXPECT_TRUE(QFileInfo::exists(JoinPath(folder, name + QStringLiteral(".docx"))));
        EXPECT_TRUE(QFileInfo::exists(JoinPath(folder, name + QStringLiteral(".pdf"))));
    }
    EXPECT_TRUE(m_messages.last().text.contains(QStringLiteral("пропущено: 1")))
        << m_messages.last().text.toStdString();
    // Never into the settlement's folder.
    EXPECT_EQ(m_window->writeExtracts(m_folder), 0);
    EXPECT_EQ(m_messages.last().kind, QStringLiteral("error"));
    EXPECT_TRUE(QDir(m_folder).entryList({QStringLiteral("*.pdf")}).isEmpty());

    // The register as a workbook and as a GeoPackage layer, read back; never over a source.
    const QString book = m_dir.filePath(QStringLiteral("реєстр.xlsx"));
    ASSERT_TRUE(m_window->saveRegister(book));
    std::unique_ptr<Workbook> read = Workbook::open(book);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->worksheetCount(), 2);
    EXPECT_EQ(read->worksheet(1).cellText(2, 2), data.plots[0].cadastral);
    EXPECT_EQ(read->worksheet(1).cellText(2, 15).toDouble(),
              data.valued[0].valuation.value.toDouble());
    EXPECT_EQ(read->worksheet(2).cellText(2, 2), QStringLiteral("1234567890:01:001:0900"));
    const QString package = m_dir.filePath(QStringLiteral("реєстр.gpkg"));
    ASSERT_TRUE(m_window->saveRegister(package));
    SourceSummary summary;
    size_t objects = 0;
    QString error;
    ASSERT_TRUE(VectorSource::read(
        package, QStringLiteral("plots"), summary,
        [&objects](std::unique_ptr<OGRGeometry>, const QStringList&) { ++objects; }, &error))
        << error.toStdString();
    EXPECT_EQ(objects, data.plots.size());
    const QByteArray before = fileBytes(m_plotFile);
    EXPECT_FALSE(m_window->saveRegister(m_plotFile));
    EXPECT_EQ(fileBytes(m_plotFile), before);
    EXPECT_FALSE(m_window->saveRegister(m_dir.filePath(QStringLiteral("реєстр.txt"))));
    EXPECT_EQ(m_messages.last().kind, QStringLiteral("error"));

    // Closing (Esc) takes the plots off the map.
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
    for (int i = 0; i < m_map.layerCount(); ++i)
        EXPECT_NE(m_map.layerAt(i)->filespec(), m_window->highlightPath());
}

// Fields whose names say nothing are chosen by the valuer; the sources are read again.
TEST_F(RegisterWindow, ChosenFieldsGiveTheNumberAndThePurpose) {
    const QString odd = m_dir.filePath(QStringLiteral("odd.gpkg"));
    WriteSourceFile(
        odd, QStringLiteral("GPKG"), QStringLiteral("plots"), QString(),
        {{QStringLiteral("NOMER"), QStringLiteral("text")},
         {QStringLiteral("KOD"), QStringLiteral("text")}},
        {{m_firstWkt, {QStringLiteral("1234567890:01:001:0001"), QStringLiteral("02.01")}}});
    ASSERT_TRUE(m_window->openSources({odd}));
    ASSERT_EQ(rows(), 1);
    EXPECT_TRUE(cell(0, ColCadastral).isEmpty());
    EXPECT_FALSE(m_window->table().isValued(0));

    PlotFields fields;
    fields.cadastral = QStringLiteral("NOMER");
    fields.purpose = QStringLiteral("KOD");
    ASSERT_TRUE(m_window->setPlotFields(fields));
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, ColCadastral), QStringLiteral("1234567890:01:001:0001"));
    std::vector<RegisterPlot> plots;
    std::vector<ValuedPlot> valued;
    coreRegister(plots, valued);
    EXPECT_EQ(cell(0, ColValue), valued[0].valuation.value); // the same square of plots.gpkg
}

TEST_F(RegisterWindow, AnotherSettlementClearsTheRegister) {
    ASSERT_TRUE(m_window->openSources({m_plotFile}));
    // The same one again, or none for a moment while the lists are refilled: kept.
    m_window->settlementChanged(QString());
    m_window->settlementChanged(m_folder);
    EXPECT_GT(rows(), 0);
    EXPECT_TRUE(m_window->BSave->isEnabled());
    // Another one selected: no extract is made with its name before the window hears of it.
    m_sessionFolder = m_dir.filePath(QStringLiteral("інше"));
    m_window->GridPlots->selectRow(0);
    EXPECT_EQ(m_window->writeExtracts(m_dir.filePath(QStringLiteral("витяги"))), 0);
    EXPECT_EQ(m_messages.last().kind, QStringLiteral("warning"));
    m_window->settlementChanged(m_sessionFolder);
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(m_window->BSave->isEnabled());
    EXPECT_FALSE(m_window->revalue());
}
