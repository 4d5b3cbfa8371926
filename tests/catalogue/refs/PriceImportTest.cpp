#include "catalogue/refs/PriceImport.h"
#include "catalogue/refs/FormPriceImport.h"
#include "catalogue/refs/FormRefs.h"
#include "db/Databases.h"
#include "office/Workbook.h"
#include "office/Worksheet.h"
#include "tests/catalogue/refs/RefsTestData.h"
#include "valuation/CostSections.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {

/**
 * A price list as a supplier sends it: a title, a heading row, section rows without a
 * price, prices with blanks and decimal commas, and rows that cannot be taken.
 */
QString WritePriceWorkbook(const QString& folder) {
    auto book = Workbook::createBlank();
    Worksheet& s = book->worksheet(1);
    const QList<QStringList> rows = {
        {QStringLiteral("Укрупнені показники вартості будівництва, тис. грн")},
        {},
        {QStringLiteral("№"), QStringLiteral("Найменування"), QStringLiteral("Од. виміру"),
         QStringLiteral("Вартість, тис. грн")},
        {QString(), QStringLiteral("ВОДОПОСТАЧАННЯ")},
        {QStringLiteral("1"), QStringLiteral("Водопровідні мережі"), QStringLiteral("км"),
         QStringLiteral("1 234,50")},
        {QStringLiteral("2"), QStringLiteral("Водонапірні башти"), QStringLiteral("шт"),
         QStringLiteral("310")},
        {QStringLiteral("3"), QStringLiteral("Свердловини"), QStringLiteral("шт"),
         QStringLiteral("за домовленістю")},
        {},
        {QString(), QStringLiteral("Зелені насадження")},
        {QStringLiteral("4"), QStringLiteral("Сквери"), QStringLiteral("га"), QStringLiteral("-5")},
        {QStringLiteral("5"), QString(), QStringLiteral("га"), QStringLiteral("12")},
        {QStringLiteral("6"), QStringLiteral("Парки"), QStringLiteral("га"), QString()},
        {QStringLiteral("7"), QStringLiteral("Алеї"), QStringLiteral("км"), QStringLiteral("0.75")},
    };
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            s.setCellValue(r + 1, c + 1, rows[r][c]);
    const QString path = folder + QStringLiteral("/прайс.xlsx");
    book->saveCopyAs(path);
    return path;
}

QStringList Rows(const PriceImport& import) {
    QStringList rows;
    for (const PriceRow& r : import.rows)
        rows << QStringList{QString::number(r.sourceRow), r.category, r.name, r.unit, r.price}.join(
            u'|');
    return rows;
}

QStringList Skipped(const PriceImport& import) {
    QStringList rows;
    for (const SkippedPriceRow& s : import.skipped)
        rows << QString::number(s.sourceRow) + u' ' + s.reason;
    return rows;
}

class PriceImportTest : public RefsDbTest {
protected:
    QApplication& application = TestApplication();
    QTemporaryDir dir;
};

} // namespace

TEST_F(PriceImportTest, AWorkbookIsMappedByItsHeadingsAndEverySkippedRowHasItsReason) {
    PriceTable table;
    QString error;
    ASSERT_TRUE(ReadPriceTable(WritePriceWorkbook(dir.path()), table, &error))
        << error.toStdString();
    const PriceMapping m = GuessPriceMapping(table);
    EXPECT_EQ(m.category, -1);
    EXPECT_EQ(m.name, 1);
    EXPECT_EQ(m.unit, 2);
    EXPECT_EQ(m.price, 3);
    EXPECT_EQ(m.firstRow, 3);

    const PriceImport import = BuildPriceRows(table, m);
    // A section row names the costs step's section as the step writes it; another heading
    // is kept as the file writes it.
    EXPECT_EQ(Rows(import), (QStringList{
                                QStringLiteral("5|Водопостачання|Водопровідні мережі|км|1234.5"),
                                QStringLiteral("6|Водопостачання|Водонапірні башти|шт|310"),
                                QStringLiteral("13|Зелені насадження|Алеї|км|0.75"),
                            }));
    EXPECT_EQ(Skipped(import), (QStringList{
                                   QStringLiteral("4 заголовок розділу \"ВОДОПОСТАЧАННЯ\""),
                                   QStringLiteral("7 ціна \"за домовленістю\" не є числом"),
                                   QStringLiteral("9 заголовок розділу \"Зелені насадження\""),
                                   QStringLiteral("10 ціна -5 менша за 0"),
                                   QStringLiteral("11 немає назви"),
                                   QStringLiteral("12 немає ціни"),
                               }));
    EXPECT_EQ(PriceImportReport(import, 2),
              QStringLiteral("Занесено рядків: 3. Пропущено: 6.\r"
                             "Рядок 4: заголовок розділу \"ВОДОПОСТАЧАННЯ\".\r"
                             "Рядок 7: ціна \"за домовленістю\" не є числом.\r… і ще 4."));
}

TEST_F(PriceImportTest, ATextFileInWindows1251WithQuotedSeparators) {
    const QString path = dir.filePath(QStringLiteral("ціни.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder cp1251("windows-1251");
    ASSERT_TRUE(cp1251.isValid());
    file.write(cp1251.encode(QStringLiteral("Розділ;Назва;Од.;Ціна\r\n"
                                            "Каналізація;\"Мережі; самопливні\";км;2,5\r\n"
                                            "газопостачання;Газопроводи;км;4\r\n")));
    file.close();
    PriceTable table;
    ASSERT_TRUE(ReadPriceTable(path, table, nullptr));
    const PriceMapping m = GuessPriceMapping(table);
    EXPECT_EQ(m.category, 0);
    EXPECT_EQ(m.firstRow, 1);
    EXPECT_EQ(Rows(BuildPriceRows(table, m)),
              (QStringList{QStringLiteral("2|Каналізація|Мережі; самопливні|км|2.5"),
                           QStringLiteral("3|Газопостачання|Газопроводи|км|4")}));

    QString error;
    EXPECT_FALSE(ReadPriceTable(dir.filePath(QStringLiteral("ціни.docx")), table, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("не є робочою книгою")));
    EXPECT_FALSE(ReadPriceTable(dir.filePath(QStringLiteral("немає.xlsx")), table, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("немає.xlsx")));
}

TEST_F(PriceImportTest, StoringGivesAnOlderTableItsColumnsAndAFailureKeepsItsRows) {
    execMain(QStringLiteral("DROP TABLE збірник_цін"));
    execMain(QStringLiteral("CREATE TABLE збірник_цін (id AUTOINCREMENT, назва nvarchar (255), "
                            "од_виміру nvarchar (50), вартість nvarchar (20))"));
    execMain(QStringLiteral("INSERT INTO збірник_цін (назва,од_виміру,вартість) "
                            "VALUES ('Старе','км','1')"));
    const std::vector<PriceRow> rows = {{QStringLiteral("Каналізація"), QStringLiteral("Колектори"),
                                         QStringLiteral("км"), QStringLiteral("7.5"), 2}};
    QString error;
    ASSERT_TRUE(StorePriceRows(Db().main, rows, QStringLiteral("2024"), false, &error))
        << error.toStdString();
    EXPECT_EQ(mainRows(QStringLiteral("збірник_цін")),
              (QStringList{QStringLiteral("1|Старе|км|1||"),
                           QStringLiteral("2|Колектори|км|7.5|Каналізація|2024")}));
    ASSERT_TRUE(StorePriceRows(Db().main, rows, QStringLiteral("2023"), true, &error));
    EXPECT_EQ(mainRows(QStringLiteral("збірник_цін")),
              QStringList{QStringLiteral("3|Колектори|км|7.5|Каналізація|2023")});

    execMain(QStringLiteral("CREATE TRIGGER зламано BEFORE INSERT ON збірник_цін BEGIN "
                            "SELECT RAISE(ABORT, 'зламано'); END"));
    EXPECT_FALSE(StorePriceRows(Db().main, rows, QStringLiteral("2025"), true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("зламано")));
    EXPECT_EQ(mainRows(QStringLiteral("збірник_цін")).size(), 1);
}

TEST_F(PriceImportTest, TheShippedCatalogueNamesTypicalItemsOfEverySectionWithoutPrices) {
    const QStringList rows = mainRows(QStringLiteral("збірник_цін"));
    ASSERT_FALSE(rows.isEmpty());
    QSet<QString> sections;
    for (const QString& row : rows) {
        const QStringList cells = row.split(u'|');
        ASSERT_EQ(cells.size(), 6) << row.toStdString();
        EXPECT_EQ(CostSectionOf(cells[1]), cells[1]) << row.toStdString();
        EXPECT_FALSE(cells[2].isEmpty());
        EXPECT_FALSE(cells[3].isEmpty());
        EXPECT_TRUE(cells[4].isEmpty() && cells[5].isEmpty()) << row.toStdString();
        sections.insert(cells[1]);
    }
    EXPECT_EQ(sections.size(), CostSections().size());
}

TEST_F(PriceImportTest, TheWindowChecksTheYearStoresAndReports) {
    TFormRefs refs;
    ASSERT_TRUE(refs.selectNode(QStringLiteral("збірник_цін")));
    EXPECT_TRUE(refs.ACT_IMPORT->isVisible());
    ASSERT_TRUE(refs.selectNode(QStringLiteral("грунти")));
    EXPECT_FALSE(refs.ACT_IMPORT->isVisible());
    ASSERT_TRUE(refs.selectNode(QStringLiteral("збірник_цін")));

    TFormPriceImport form(Db().main);
    ASSERT_TRUE(form.setFile(WritePriceWorkbook(dir.path())));
    EXPECT_EQ(form.EName->currentData().toInt(), 1);
    EXPECT_EQ(form.EFirstRow->value(), 4);
    EXPECT_EQ(form.preview().rows.size(), 3u);
    // The data said to begin lower: fewer rows.
    form.EFirstRow->setValue(7);
    EXPECT_EQ(form.preview().rows.size(), 1u);
    form.EFirstRow->setValue(4);

    form.EYear->setText(QStringLiteral("20"));
    form.BImportClick();
    EXPECT_EQ(messages.last().text,
              QStringLiteral("Рік цін має бути цілим числом від 1990 до 2100."));
    EXPECT_EQ(mainRows(QStringLiteral("збірник_цін")).size(), 45);

    form.EYear->setText(QStringLiteral("2021"));
    form.BImportClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(
        messages.last().kind == QStringLiteral("info") &&
        messages.last().text.startsWith(QStringLiteral("Занесено рядків: 3. Пропущено: 6.")));
    const QStringList rows = mainRows(QStringLiteral("збірник_цін"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(
        rows[0].endsWith(QStringLiteral("|Водопостачання|Водопровідні мережі|км|1234.5|2021")))
        << rows[0].toStdString();
}
