#include "office/Workbook.h"
#include "OfficeTestUtil.h"
#include "office/OfficeError.h"
#include "office/Statement.h"
#include "office/XlsReader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        templatePath =
            PackTemplate(QStringLiteral("book"), dir.filePath(QStringLiteral("Розрахунок.xltx")));
        book = Workbook::open(templatePath);
    }
    /** Saves `made` in the test folder as `name` and opens what was saved. */
    std::unique_ptr<Workbook> savedAndOpened(Workbook& made, const QString& name) {
        out = dir.filePath(name);
        made.saveCopyAs(out);
        return Workbook::open(out);
    }
    std::unique_ptr<Workbook> roundTrip() {
        out = dir.filePath(QStringLiteral("Розрахунок грошової оцінки.xlsx"));
        book->setDisplayAlerts(false);
        book->saveCopyAs(out);
        return Workbook::open(out);
    }
    QTemporaryDir dir;
    QString templatePath;
    QString out;
    std::unique_ptr<Workbook> book;
};

TEST(CellReferenceTest, LettersAndNumbers) {
    EXPECT_EQ(CellReference(1, 1), QStringLiteral("A1"));
    EXPECT_EQ(CellReference(6, 26), QStringLiteral("Z6"));
    EXPECT_EQ(CellReference(10, 27), QStringLiteral("AA10"));
    EXPECT_EQ(CellReference(3, 702), QStringLiteral("ZZ3"));
    EXPECT_EQ(CellReference(3, 703), QStringLiteral("AAA3"));
    EXPECT_EQ(ParseCellReference(QStringLiteral("AM12")), std::make_pair(12, 39));
    EXPECT_FALSE(ParseCellReference(QStringLiteral("12")));
    EXPECT_FALSE(ParseCellReference(QStringLiteral("A")));
    EXPECT_FALSE(ParseCellReference(QStringLiteral("A0")));
    EXPECT_FALSE(ParseCellReference(QStringLiteral("ZZZZZ1")));
    EXPECT_FALSE(ParseCellReference(QStringLiteral("A-1")));
}

TEST_F(WorkbookTest, TemplateValuesReadAsText) {
    Worksheet& s = book->worksheet(1);
    EXPECT_EQ(s.cellText(1, 1), QStringLiteral("Розрахунок грошової оцінки"));
    EXPECT_EQ(s.cellText(5, 12), QStringLiteral("Км3")); // rich text joined
    EXPECT_EQ(s.cellText(6, 8), QStringLiteral("8"));
    EXPECT_EQ(s.cellText(100, 100), QString());
    EXPECT_THROW(book->worksheet(2), OfficeError);
}

TEST_F(WorkbookTest, ValuesSharedStringsNumbersAndStylesRoundTrip) {
    Worksheet& s = book->worksheet(1);
    s.setCellValue(1, 13, QStringLiteral("с. Тамберон"));
    s.setCellValue(7, 1, QStringLiteral("1"));
    s.setCellValue(7, 2, QStringLiteral("Район")); // an existing shared string is reused
    s.setCellValue(7, 3, QStringLiteral("125.50"));
    s.setCellValue(7, 4, QStringLiteral("007")); // a code stays text
    s.setCellValue(7, 5, QStringLiteral("-0.25"));
    s.setCellValue(7, 6, QStringLiteral("1234567890123456")); // too long to stay exact: text
    s.setCellValue(8, 2, QStringLiteral("3.00"));             // replaces the template's formula
    s.setCellValue(6, 8, QString());                          // empties a cell, keeping its style
    s.setCellValue(7, 7, QStringLiteral("a\001b\tc"));        // no control characters in the XML
    auto again = roundTrip();
    Worksheet& a = again->worksheet(1);
    EXPECT_EQ(a.cellText(1, 13), QStringLiteral("с. Тамберон"));
    EXPECT_EQ(a.cellText(7, 1), QStringLiteral("1"));
    EXPECT_EQ(a.cellText(7, 2), QStringLiteral("Район"));
    EXPECT_EQ(a.cellText(7, 3), QStringLiteral("125.5"));
    EXPECT_EQ(a.cellText(7, 4), QStringLiteral("007"));
    EXPECT_EQ(a.cellText(7, 5), QStringLiteral("-0.25"));
    EXPECT_EQ(a.cellText(7, 6), QStringLiteral("1234567890123456"));
    EXPECT_EQ(a.cellText(8, 2), QStringLiteral("3"));
    EXPECT_EQ(a.cellText(6, 8), QString());
    EXPECT_EQ(a.cellText(7, 7), QStringLiteral("ab\tc"));

    const QByteArray sheet = PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<c r=\"C7\" s=\"1\"><v>125.50</v></c>")); // column style taken
    EXPECT_TRUE(sheet.contains("<c r=\"H6\" s=\"2\" />") ||
                sheet.contains("<c r=\"H6\" s=\"2\"/>"));
    EXPECT_TRUE(sheet.contains("<dimension ref=\"A1:M8\""));
    const QByteArray sst = PartOf(out, QStringLiteral("xl/sharedStrings.xml"));
    EXPECT_EQ(sst.count("<t>Район</t>"), 1);
    EXPECT_TRUE(sst.contains("uniqueCount=\"7\""));
    // The stale calculation chain is gone and the book recalculates on opening.
    EXPECT_FALSE(HasPart(out, QStringLiteral("xl/calcChain.xml")));
    EXPECT_FALSE(PartOf(out, QStringLiteral("[Content_Types].xml")).contains("calcChain"));
    EXPECT_FALSE(PartOf(out, QStringLiteral("xl/_rels/workbook.xml.rels")).contains("calcChain"));
    EXPECT_TRUE(PartOf(out, QStringLiteral("xl/workbook.xml")).contains("fullCalcOnLoad=\"1\""));
    const QByteArray types = PartOf(out, QStringLiteral("[Content_Types].xml"));
    EXPECT_TRUE(types.contains("spreadsheetml.sheet.main+xml"));
    EXPECT_FALSE(types.contains("template.main+xml"));
}

TEST_F(WorkbookTest, NewRowsAndCellsStayInOrder) {
    Worksheet& s = book->worksheet(1);
    s.setCellValue(3, 5, QStringLiteral("b"));
    s.setCellValue(3, 2, QStringLiteral("a"));
    s.setCellValue(2, 1, QStringLiteral("first"));
    s.setCellValue(40, 39, QStringLiteral("last"));
    auto again = roundTrip();
    Worksheet& a = again->worksheet(1);
    EXPECT_EQ(a.cellText(3, 2), QStringLiteral("a"));
    EXPECT_EQ(a.cellText(3, 5), QStringLiteral("b"));
    EXPECT_EQ(a.cellText(2, 1), QStringLiteral("first"));
    EXPECT_EQ(a.cellText(40, 39), QStringLiteral("last"));
}

// A row of wrapped text gets its height; a row that does not exist yet is made for it.
TEST_F(WorkbookTest, RowHeightsAreWrittenWithTheirRows) {
    Worksheet& s = book->worksheet(1);
    s.setCellValue(9, 2, QStringLiteral("довга назва"));
    s.setRowHeight(9, 25.5);
    s.setRowHeight(12, 38.25);
    EXPECT_THROW(s.setRowHeight(10, 0), OfficeError);
    auto again = roundTrip();
    const QByteArray sheet = PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<row r=\"9\" ht=\"25.5\" customHeight=\"1\""));
    EXPECT_TRUE(sheet.contains("<row r=\"12\" ht=\"38.25\" customHeight=\"1\""));
    EXPECT_EQ(again->worksheet(1).cellText(9, 2), QStringLiteral("довга назва"));
}

TEST_F(WorkbookTest, BoldAddsOneFontAndFormatPerStyle) {
    Worksheet& s = book->worksheet(1);
    EXPECT_FALSE(s.cellBold(7, 2));
    s.setCellValue(7, 2, QStringLiteral("1 ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА"));
    s.setCellBold(7, 2, true);
    s.setCellValue(9, 2, QStringLiteral("2 ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА"));
    s.setCellBold(9, 2, true);
    s.setCellBold(20, 20, true); // a new, empty cell
    auto again = roundTrip();
    EXPECT_TRUE(again->worksheet(1).cellBold(7, 2));
    EXPECT_TRUE(again->worksheet(1).cellBold(9, 2));
    EXPECT_TRUE(again->worksheet(1).cellBold(20, 20));
    EXPECT_FALSE(again->worksheet(1).cellBold(7, 3));
    const QByteArray styles = PartOf(out, QStringLiteral("xl/styles.xml"));
    EXPECT_TRUE(styles.contains("<fonts count=\"3\">")); // one bold copy of the one font
    EXPECT_TRUE(styles.contains("<cellXfs count=\"5\">"));
    // The bold copy keeps the column's number format and border.
    EXPECT_TRUE(
        styles.contains("<xf numFmtId=\"164\" fontId=\"2\" fillId=\"0\" borderId=\"1\" xfId=\"0\" "
                        "applyNumberFormat=\"1\" applyBorder=\"1\" applyFont=\"1\"/>"))
        << styles.toStdString();
}

TEST_F(WorkbookTest, HiddenColumnsAndRenumbering) {
    Worksheet& s = book->worksheet(1);
    EXPECT_DOUBLE_EQ(s.columnWidth(9), 5.5);
    EXPECT_DOUBLE_EQ(s.columnWidth(30), 8.43);
    // Hide factor columns 9 and 11 inside a styled range, then renumber the visible ones.
    s.setColumnWidth(9, 0);
    s.setColumnWidth(11, 0);
    s.setColumnWidth(30, 0);
    int number = 8;
    for (int c = 8; c <= 12; ++c) {
        if (s.columnWidth(c) != 0)
            s.setCellValue(6, c, QString::number(number++));
        else
            s.setCellValue(6, c, QString());
    }
    auto again = roundTrip();
    Worksheet& a = again->worksheet(1);
    EXPECT_EQ(a.columnWidth(9), 0);
    EXPECT_EQ(a.columnWidth(11), 0);
    EXPECT_EQ(a.columnWidth(30), 0);
    EXPECT_DOUBLE_EQ(a.columnWidth(8), 5.5);
    EXPECT_DOUBLE_EQ(a.columnWidth(12), 5.5);
    EXPECT_EQ(a.cellText(6, 8), QStringLiteral("8"));
    EXPECT_EQ(a.cellText(6, 9), QString());
    EXPECT_EQ(a.cellText(6, 10), QStringLiteral("9"));
    EXPECT_EQ(a.cellText(6, 12), QStringLiteral("10"));
    const QByteArray sheet = PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    // The styled range was split without losing its style.
    EXPECT_EQ(sheet.count("style=\"2\""), 5);
    // Showing a column again gives it a width.
    a.setColumnWidth(9, 7);
    EXPECT_DOUBLE_EQ(a.columnWidth(9), 7);
    EXPECT_THROW(a.setColumnWidth(9, -1), OfficeError);
}

TEST_F(WorkbookTest, CellsOfTheFileKeepWhatTheProgramDoesNotWrite) {
    Worksheet& s = book->worksheet(1);
    s.setCellBold(8, 2, true);                         // the formula stays; only the style changes
    s.setCellValue(1, 1, QStringLiteral("Заголовок")); // a cell of the file gets a new value
    s.setCellValue(9, 3, QStringLiteral("7.5"));       // a new row after the file's last
    auto again = roundTrip();
    const QByteArray sheet = PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<f>SUM(B7:B7)</f>")) << sheet.toStdString();
    EXPECT_TRUE(again->worksheet(1).cellBold(8, 2));
    EXPECT_EQ(again->worksheet(1).cellText(1, 1), QStringLiteral("Заголовок"));
    EXPECT_EQ(again->worksheet(1).cellText(5, 12), QStringLiteral("Км3"));
    EXPECT_EQ(again->worksheet(1).cellText(9, 3), QStringLiteral("7.5"));
    EXPECT_TRUE(sheet.contains("<dimension ref=\"A1:L9\""));
    // The package gives the part as it is saved.
    EXPECT_EQ(book->package().partData(QStringLiteral("xl/worksheets/sheet1.xml")), sheet);
}

TEST_F(WorkbookTest, SheetWithoutReferencesAndCellsWithMoreThanAValue) {
    // Rows and cells without "r" take the next number; a cell with a phonetic mark keeps it.
    auto blank = Workbook::createBlank();
    blank->package().setPartData(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData><row><c><v>1</v></c><c><v>2</v></c><c r=\"E1\"><v>5</v></c></row>"
        "<row><c ph=\"1\" t=\"inlineStr\"><is><t>старе</t></is></c></row></sheetData>"
        "</worksheet>");
    Worksheet& s = blank->worksheet(1);
    EXPECT_EQ(s.cellText(1, 2), QStringLiteral("2"));
    EXPECT_EQ(s.cellText(2, 1), QStringLiteral("старе"));
    s.setCellValue(1, 4, QStringLiteral("4"));
    s.setCellValue(1, 1, QStringLiteral("один"));
    s.setCellValue(2, 1, QStringLiteral("нове & <інше> \"x\"\nрядок"));
    s.setCellValue(2, 3, QStringLiteral("a & b < c"));
    auto again = savedAndOpened(*blank, QStringLiteral("без посилань.xlsx"));
    Worksheet& a = again->worksheet(1);
    EXPECT_EQ(a.cellText(1, 1), QStringLiteral("один"));
    EXPECT_EQ(a.cellText(1, 2), QStringLiteral("2"));
    EXPECT_EQ(a.cellText(1, 3), QString());
    EXPECT_EQ(a.cellText(1, 4), QStringLiteral("4"));
    EXPECT_EQ(a.cellText(1, 5), QStringLiteral("5"));
    EXPECT_EQ(a.cellText(2, 1), QStringLiteral("нове & <інше> \"x\"\nрядок"));
    EXPECT_EQ(a.cellText(2, 3), QStringLiteral("a & b < c"));
    EXPECT_TRUE(PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml")).contains("ph=\"1\""));
}

// A cell keeps a short number in itself and a longer one, or a text, aside: a cell whose
// value changes kind keeps the right one, and both are written as numbers.
TEST_F(WorkbookTest, LongAndShortNumbersAndTextsReplaceEachOther) {
    auto blank = Workbook::createBlank();
    Worksheet& s = blank->worksheet(1);
    s.setCellValue(1, 1, QStringLiteral("12345.6789"));        // fits the cell
    s.setCellValue(1, 2, QStringLiteral("-12345678.1234567")); // kept aside
    s.setCellValue(2, 1, QStringLiteral("текст"));
    s.setCellValue(2, 1, QStringLiteral("123456789.12345")); // a text becomes a long number
    s.setCellValue(2, 2, QStringLiteral("98765432101.5"));
    s.setCellValue(2, 2, QStringLiteral("інший текст")); // and a long number a text
    s.setCellValue(2, 3, QStringLiteral("11111111111.25"));
    s.setCellValue(2, 3, QStringLiteral("0.5"));
    EXPECT_EQ(s.cellText(1, 2), QStringLiteral("-12345678.1234567"));
    EXPECT_EQ(s.cellText(2, 1), QStringLiteral("123456789.12345"));
    auto again = savedAndOpened(*blank, QStringLiteral("числа.xlsx"));
    Worksheet& a = again->worksheet(1);
    EXPECT_EQ(a.cellText(1, 1), QStringLiteral("12345.6789"));
    EXPECT_EQ(a.cellText(1, 2), QStringLiteral("-12345678.1234567"));
    EXPECT_EQ(a.cellText(2, 1), QStringLiteral("123456789.12345"));
    EXPECT_EQ(a.cellText(2, 2), QStringLiteral("інший текст"));
    EXPECT_EQ(a.cellText(2, 3), QStringLiteral("0.5"));
    const QByteArray sheet = PartOf(out, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<c r=\"B1\"><v>-12345678.1234567</v></c>")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("<c r=\"A2\"><v>123456789.12345</v></c>"));
}

// A style number no spreadsheet can have is a damaged file, said so, not a wrong style.
TEST_F(WorkbookTest, ImpossibleStyleNumberIsADamagedSheet) {
    auto blank = Workbook::createBlank();
    blank->package().setPartData(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData><row r=\"1\" s=\"70000\" customFormat=\"1\"/></sheetData></worksheet>");
    try {
        blank->worksheet(1).setCellValue(1, 1, QStringLiteral("1"));
        FAIL() << "the style was taken";
    } catch (const OfficeError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("пошкоджено")))
            << e.message().toStdString();
    }
}

TEST_F(WorkbookTest, BlankWorkbookUsesInlineStrings) {
    auto blank = Workbook::createBlank();
    blank->worksheet(1).setCellValue(1, 1, QStringLiteral("текст"));
    blank->worksheet(1).setCellBold(1, 1, true);
    const QString path = dir.filePath(QStringLiteral("blank.xlsx"));
    blank->saveCopyAs(path);
    auto again = Workbook::open(path);
    EXPECT_EQ(again->worksheet(1).cellText(1, 1), QStringLiteral("текст"));
    EXPECT_TRUE(again->worksheet(1).cellBold(1, 1));
    EXPECT_TRUE(PartOf(path, QStringLiteral("xl/worksheets/sheet1.xml")).contains("inlineStr"));
}

TEST(StatementTest, ReadsXlsxNumbersAsShortestText) {
    QTemporaryDir dir;
    auto book = Workbook::createBlank();
    Worksheet& s = book->worksheet(1);
    s.setCellValue(11, 4, QStringLiteral("Ділянка"));
    s.setCellValue(11, 37, QStringLiteral("12.3400"));
    s.setCellValue(12, 4, QStringLiteral("Разом"));
    s.setCellValue(12, 37, QStringLiteral("0.1"));
    const QString path = dir.filePath(QStringLiteral("Склад земель.xlsx"));
    book->saveCopyAs(path);
    const SheetCells cells = ReadStatement(path);
    EXPECT_EQ(cells.text(11, 4), QStringLiteral("Ділянка"));
    EXPECT_EQ(cells.text(11, 37), QStringLiteral("12.34"));
    EXPECT_EQ(cells.text(12, 37), QStringLiteral("0.1"));
    EXPECT_EQ(cells.text(13, 4), QString());
}

// Values set row by row and values set in any order are found alike; "" empties a cell.
TEST(StatementTest, SheetCellsKeepValuesSetInAnyOrder) {
    SheetCells ordered;
    ordered.set(1, 1, QStringLiteral("a"));
    ordered.set(1, 2, QStringLiteral("b"));
    ordered.set(1, 2, QStringLiteral("bb"));
    ordered.set(1, 3, QString());
    ordered.set(2, 1, QStringLiteral("c"));
    ordered.set(2, 1, QString());
    EXPECT_EQ(ordered.size(), 2);
    EXPECT_EQ(ordered.text(1, 2), QStringLiteral("bb"));
    EXPECT_EQ(ordered.text(2, 1), QString());
    EXPECT_EQ(ordered.rowCount(), 2);

    SheetCells any = ordered;
    any.set(3, 4, QStringLiteral("d"));
    any.set(1, 1, QStringLiteral("aa")); // out of order from here on
    any.set(1, 2, QString());
    any.set(5, 1, QStringLiteral("e"));
    EXPECT_EQ(any.size(), 3);
    EXPECT_EQ(any.text(1, 1), QStringLiteral("aa"));
    EXPECT_EQ(any.text(1, 2), QString());
    EXPECT_EQ(any.text(3, 4), QStringLiteral("d"));
    EXPECT_EQ(any.text(5, 1), QStringLiteral("e"));
    EXPECT_EQ(any.rowCount(), 5);
    EXPECT_EQ(any.columnCount(), 4);
    EXPECT_EQ(ordered.text(1, 1), QStringLiteral("a")); // the copy is its own
}

// Numbers as spreadsheet applications write them read as their shortest exact text; a
// number already in that form reads as written.
TEST(StatementTest, NumbersOfAnyFormReadAsTheirShortestText) {
    const std::pair<const char*, const char*> numbers[] = {
        {"12.50", "12.5"},  {"1E-3", "0.001"},
        {"1.5e2", "150"},   {"0.1000000000000000055511151231257827", "0.1"},
        {"100", "100"},     {"0.30000000000000004", "0.30000000000000004"},
        {"-7.25", "-7.25"}, {"123456789012345", "123456789012345"},
        {"007", "7"},       {"abc", "abc"}};
    std::mt19937 random(3);
    QStringList written;
    QByteArray rows;
    int row = 0;
    auto cellRow = [&row](const QByteArray& value) {
        const QByteArray n = QByteArray::number(++row);
        return "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + value + "</v></c></row>";
    };
    for (const auto& [text, read] : numbers)
        rows += cellRow(text);
    for (int i = 0; i < 200; ++i) {
        // Up to 15 digits, no leading or trailing zero.
        QString text = QString::number(1 + random() % 999999999);
        if (i % 2 == 0)
            text +=
                u'.' + QString::number(1 + random() % 99999) + QString::number(1 + random() % 9);
        if (i % 3 == 0)
            text.prepend(u'-');
        written << text;
        rows += cellRow(text.toLatin1());
    }
    auto book = Workbook::createBlank();
    book->package().setPartData(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData>" +
            rows + "</sheetData></worksheet>");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("numbers.xlsx"));
    book->package().save(path);
    const SheetCells cells = ReadStatement(path);
    row = 0;
    for (const auto& [text, read] : numbers)
        EXPECT_EQ(cells.text(++row, 1), QString::fromLatin1(read)) << text;
    for (const QString& text : written)
        EXPECT_EQ(cells.text(++row, 1), text);
}

TEST(StatementTest, ReadsXlsValuesAndFormulaResults) {
    // Made by a spreadsheet application: D11:D13 texts, AK11:AK12 numbers, AK13 =SUM(AK11:AK12),
    // E13 =AK13*2, F13 a text formula.
    const SheetCells cells = ReadStatement(OfficeTestDir() + QStringLiteral("/data/statement.xls"));
    EXPECT_EQ(cells.text(10, 4), QStringLiteral("Назва"));
    EXPECT_EQ(cells.text(11, 4), QStringLiteral("Ділянка 1"));
    EXPECT_EQ(cells.text(11, 37), QStringLiteral("12.3456"));
    EXPECT_EQ(cells.text(12, 37), QStringLiteral("0.1"));
    EXPECT_EQ(cells.text(13, 37), QStringLiteral("12.4456"));
    EXPECT_EQ(cells.text(13, 5), QStringLiteral("24.8912"));
    EXPECT_EQ(cells.text(13, 6), QStringLiteral("Разом"));
    EXPECT_EQ(cells.text(14, 4), QString());
}

TEST(StatementTest, BrokenFilesGiveClearErrors) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("немає.xls"));
    EXPECT_THROW(ReadStatement(missing), OfficeError);
    const QString fake = dir.filePath(QStringLiteral("fake.xls"));
    WriteBytes(fake, QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(600, '\xff'));
    EXPECT_THROW(ReadStatement(fake), OfficeError);
    // Text, random bytes under the old name: neither kind of workbook, whatever the name.
    QByteArray noise(20000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    const QString text = dir.filePath(QStringLiteral("text.xlsx"));
    WriteBytes(text, "not a workbook");
    const QString random = dir.filePath(QStringLiteral("Склад земель.xls"));
    WriteBytes(random, noise);
    for (const QString& path : {text, random}) {
        try {
            ReadStatement(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const OfficeError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Файл \"%1\" не є ні книгою Excel (.xlsx), ні "
                                                  "книгою Excel 97-2003 (.xls).")
                                       .arg(path));
        }
    }
}

} // namespace

namespace {

TEST(StatementTest, OurXlsScannerAgreesWithFreexl) {
    // Long Cyrillic shared strings cross CONTINUE records; numbers are kept as RK and NUMBER.
    for (const char* name : {"statement.xls", "statement-long.xls"}) {
        const QString path = OfficeTestDir() + QStringLiteral("/data/") + QString::fromLatin1(name);
        const SheetCells ours = ReadStatement(path);
        const SheetCells freexl = ReadXlsWithFreexl(path);
        EXPECT_EQ(ours.size(), freexl.size()) << name;
        EXPECT_EQ(ours.rowCount(), freexl.rowCount()) << name;
        for (int r = 1; r <= freexl.rowCount(); ++r)
            for (int c = 1; c <= freexl.columnCount(); ++c)
                ASSERT_EQ(ours.text(r, c), freexl.text(r, c)) << name << " " << r << "," << c;
    }
    const SheetCells cells =
        ReadStatement(OfficeTestDir() + QStringLiteral("/data/statement-long.xls"));
    EXPECT_EQ(cells.text(250, 3),
              QStringLiteral("Ділянка № 250, вулиця Шевченка, квартал %1").arg(250 * 7 % 97));
    EXPECT_EQ(cells.text(7, 2), QStringLiteral("91.0259"));
    EXPECT_EQ(cells.text(250, 1), QStringLiteral("250"));
}

} // namespace
