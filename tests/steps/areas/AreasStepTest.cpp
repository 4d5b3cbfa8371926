#include "steps/areas/AreasStep.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStatement.h"
#include "steps/common/DistrictCount.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "office/Statement.h"
#include "tests/steps/areas/AreasTestData.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/LandStructure.h"
#include "valuation/Typed.h"

#include <QDir>

namespace {

/** Cells of a sheet held in memory, for the plain statement calculations. */
struct Cells {
    QHash<QPair<int, int>, QString> texts;
    StatementCell cell() const {
        return [this](int row, int col) { return texts.value({row, col}); };
    }
    void set(int row, int col, const QString& text) { texts.insert({row, col}, text); }
};

class AreasDbTest : public StepDbTest {
protected:
    AreasData loaded() {
        AreasData data;
        QString error;
        EXPECT_TRUE(LoadAreas(project, data, &error)) << error.toStdString();
        return data;
    }
    /** "код=значення=значення2" of the district rows in id order. */
    QStringList districtRows() {
        return column(QStringLiteral("SELECT код || '=' || значення || '=' || значення2 FROM "
                                     "характеристика WHERE показник='Площі районів' ORDER BY id"));
    }
};

} // namespace

TEST(AreasCalcTest, ComputedAssessedTerritoryNeedsTotalAndBuiltUp) {
    // Other land not a number counts as 0; the total itself is not added.
    EXPECT_EQ(ComputedAssessedTerritory(QStringLiteral("500"), QStringLiteral("10"),
                                        QStringLiteral("2"), QStringLiteral("x")),
              QStringLiteral("12.0000"));
    EXPECT_EQ(ComputedAssessedTerritory(QStringLiteral("500"), QStringLiteral("10.5"), QString(),
                                        QStringLiteral("0.25")),
              QStringLiteral("10.7500"));
    EXPECT_EQ(ComputedAssessedTerritory(QString(), QStringLiteral("10"), QStringLiteral("2"),
                                        QStringLiteral("1")),
              QString());
    EXPECT_EQ(ComputedAssessedTerritory(QStringLiteral("500"), QStringLiteral("-"),
                                        QStringLiteral("2"), QStringLiteral("1")),
              QString());
}

TEST(AreasCalcTest, DistrictSumsCountNonNumbersAsZero) {
    StringGrid grid = MakeDistrictGrid();
    grid.setRowCount(4);
    grid.setRowTexts(1, {"1", "10.5", "10.4444", ""});
    grid.setRowTexts(2, {"2", "abc", "0.00005", ""});
    grid.setRowTexts(3, {"3", "2", "", ""});
    EXPECT_EQ(DistrictSums(grid),
              std::make_pair(QStringLiteral("12.5000"), QStringLiteral("10.4445")));
}

TEST(AreasStatementTest, TotalsRowIsTheLastFilledRowOfColumnDFromRow11) {
    Cells sheet;
    sheet.set(10, 4, QStringLiteral("77"));
    EXPECT_EQ(StatementTotalsRow(sheet.cell()), 10); // row 11 empty: row 10
    for (int row = 11; row <= 14; ++row)
        sheet.set(row, 4, QString::number(row));
    sheet.set(16, 4, QStringLiteral("після пропуску"));
    EXPECT_EQ(StatementTotalsRow(sheet.cell()), 14);
}

TEST(AreasStatementTest, FieldsFollowTheColumnArithmetic) {
    Cells sheet;
    const int row = 12;
    // Column k holds k / 10, so every sum names its columns.
    for (int k = 4; k <= 74; ++k)
        sheet.set(row, k, QString::number(k / 10.0));
    sheet.set(row, 39, QString());                     // AM empty
    sheet.set(row, 23, QStringLiteral("немає даних")); // not a number
    const QHash<QString, QString> f = StatementAreas(sheet.cell(), row);
    const auto c = [](int k) { return k / 10.0; };
    EXPECT_EQ(f.value("EZabudovana2"), QStringLiteral("0.0000"));
    EXPECT_EQ(f.value("ENoUsed2"), QStringLiteral("0.0000"));
    EXPECT_EQ(f.value("EZabudovana1"), FormatFixed(c(37) + c(38), 4));
    EXPECT_EQ(f.value("EZabudovana3"), QStringLiteral("4.4000"));
    EXPECT_EQ(f.value("EZabudovana4"), QStringLiteral("4.5000"));
    EXPECT_EQ(f.value("EZabudovana5"), FormatFixed(c(47) - c(50) - c(49), 4));
    EXPECT_EQ(f.value("EZabudovana6"), QStringLiteral("5.2000"));
    EXPECT_EQ(f.value("EZabudovana7"), QStringLiteral("4.6000"));
    EXPECT_EQ(f.value("EZabudovana8"), FormatFixed(c(57) - c(63) - c(64), 4));
    EXPECT_EQ(f.value("ENoUsed5"), QStringLiteral("4.9000"));
    EXPECT_EQ(f.value("ENoUsed6"), QStringLiteral("5.0000"));
    EXPECT_EQ(f.value("ENoUsed7"), QStringLiteral("6.3000"));
    EXPECT_EQ(f.value("EInshi"), QStringLiteral("4.0000"));
    EXPECT_EQ(f.value("EOsg"), FormatFixed(c(16) + c(17), 4));
    EXPECT_EQ(f.value("ENoUsed1"), FormatFixed(c(5) - c(16) - c(17), 4));
    EXPECT_EQ(f.value("ENoUsed3"), FormatFixed(c(65) + c(68) + c(69), 4));
    EXPECT_EQ(f.value("ENoUsed4"), QStringLiteral("7.4000"));
    EXPECT_EQ(f.value("EZagalna"), QStringLiteral("0.4000"));
    const double zab =
        (c(37) + c(38)) + 0 + c(44) + (c(47) - c(50) - c(49)) + c(46) + (c(57) - c(63) - c(64));
    EXPECT_EQ(f.value("EZabudovana"), FormatFixed(zab, 4));
    EXPECT_EQ(f.value("EOcinochna"), FormatFixed(zab + c(16) + c(17) + c(40), 4));
    EXPECT_EQ(f.value("ENoUsed"),
              FormatFixed((c(5) - c(16) - c(17)) + 0 + c(74) + (c(65) + c(68) + c(69)) + c(49) +
                              c(50) + c(63) + c(64),
                          4));
    EXPECT_EQ(f.value(NotCountedRestKey()), QStringLiteral("6.4000"));
    EXPECT_EQ(f.size(), 22);
}

TEST(AreasStatementTest, SumsAddTheValuesBeforeRounding) {
    Cells sheet;
    for (int k : {37, 39, 44})
        sheet.set(11, k, QStringLiteral("0.00004"));
    const QHash<QString, QString> f = StatementAreas(sheet.cell(), 11);
    EXPECT_EQ(f.value("EZabudovana1"), QStringLiteral("0.0000"));
    EXPECT_EQ(f.value("EZabudovana"), QStringLiteral("0.0001"));
    // Stored so, the total still agrees with its rounded parts: no finding of the check.
    const valuation::LandSum& builtUp = valuation::LandSums().front();
    QHash<QString, QString> byIndicator;
    for (const AreaField& field : AreaFields())
        byIndicator.insert(field.indicator, f.value(field.name));
    const QString parts =
        valuation::LandSumOf(builtUp, [&](const QString& name) { return byIndicator.value(name); });
    EXPECT_EQ(parts, QStringLiteral("0.0000"));
    EXPECT_TRUE(valuation::LandSumAgrees(f.value("EZabudovana"), parts));
    EXPECT_FALSE(valuation::LandSumAgrees(QStringLiteral("0.0010"), parts));
}

TEST(AreasStatementTest, AStatementWithoutTotalAreaIsAProblem) {
    Cells sheet;
    EXPECT_TRUE(StatementProblem(sheet.cell(), 10).contains(QStringLiteral("рядок 10")));
    sheet.set(11, 4, QStringLiteral("0"));
    EXPECT_FALSE(StatementProblem(sheet.cell(), 11).isEmpty());
    sheet.set(11, 4, QStringLiteral("графа 4"));
    EXPECT_FALSE(StatementProblem(sheet.cell(), 11).isEmpty());
    sheet.set(11, 4, QStringLiteral("52.5"));
    EXPECT_EQ(StatementProblem(sheet.cell(), 11), QString());
}

TEST(AreasStatementTest, AWrittenStatementIsReadBackFromItsTotalsRow) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Склад земель.xlsx"));
    EXPECT_EQ(StatementPath(dir.path()), path); // neither exists: the new name
    WriteTextFile(dir.filePath(QStringLiteral("Склад земель.xls")), QStringLiteral("x"));
    EXPECT_EQ(StatementPath(dir.path()), dir.filePath(QStringLiteral("Склад земель.xls")));
    const int totals = WriteStatement(path, 3, {{4, "4.5"}, {39, "1.25"}, {40, "0.5"}});
    EXPECT_EQ(StatementPath(dir.path()), path); // ".xlsx" first
    const SheetCells cells = ReadStatement(path);
    const StatementCell cell = [&cells](int r, int c) { return cells.text(r, c); };
    EXPECT_EQ(StatementTotalsRow(cell), totals);
    const QHash<QString, QString> f = StatementAreas(cell, totals);
    EXPECT_EQ(f.value("EZagalna"), QStringLiteral("4.5000"));
    EXPECT_EQ(f.value("EZabudovana2"), QStringLiteral("1.2500"));
    EXPECT_EQ(f.value("EOcinochna"), QStringLiteral("1.7500"));
}

TEST(AreasDistrictsTest, HandCountIsAnIntegerFrom1To999) {
    for (const char* bad : {"0", "1000", "-3", "abc", "", "2.5"})
        EXPECT_FALSE(ParseDistrictCount(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(ParseDistrictCount(QStringLiteral(" 999 ")), 999);
    StringGrid grid = MakeDistrictGrid();
    FillDistrictsByHand(grid, 999);
    ASSERT_EQ(grid.rowCount(), 1000);
    EXPECT_EQ(grid.rowTexts(1), QStringList({"1", "", "0.0000", ""}));
    EXPECT_EQ(grid.rowTexts(999), QStringList({"999", "", "0.0000", ""}));
}

TEST(AreasDistrictsTest, MapDistrictsAreSortedByPaddedNumber) {
    StringGrid grid = MakeDistrictGrid();
    grid.setRowTexts(1, {"9", "9", "9", "старий опис"});
    FillDistrictsFromMap(grid, {{"010", 3.0}, {"002", 12.345678}, {"007", 0.5}, {"001", 1}});
    EXPECT_EQ(grid.colTexts(ColDistrictNumber).mid(1), QStringList({"1", "2", "7", "10"}));
    EXPECT_EQ(grid.rowTexts(2), QStringList({"2", "12.35", "12.3457", ""}));
    EXPECT_EQ(grid.rowTexts(3), QStringList({"7", "0.50", "0.5000", ""}));
    // Descriptions typed stay with their district numbers when the map gives the rows again.
    EXPECT_TRUE(HasDistrictValues(grid));
    grid.set(3, ColDistrictDescription, QStringLiteral("від річки до лісу"));
    FillDistrictsFromMap(grid, {{"007", 0.6}, {"003", 1}});
    EXPECT_EQ(grid.rowTexts(2), QStringList({"7", "0.60", "0.6000", "від річки до лісу"}));
    EXPECT_FALSE(HasDistrictValues(MakeDistrictGrid()));
}

TEST(AreasDistrictsTest, RowsHoldValuesWhenReplacingThemWouldLoseSomething) {
    StringGrid grid = MakeDistrictGrid();
    FillDistrictsByHand(grid, 3); // numbers in place and map areas 0: nothing to lose
    EXPECT_FALSE(HasDistrictValues(grid));
    grid.set(2, ColDistrictMapArea, QStringLiteral("12.5000")); // only a map area
    EXPECT_TRUE(HasDistrictValues(grid));
    grid.set(2, ColDistrictMapArea, QStringLiteral("0"));
    grid.set(3, ColDistrictNumber, QStringLiteral("7"));
    EXPECT_TRUE(HasDistrictValues(grid));
    grid.set(3, ColDistrictNumber, QStringLiteral("3"));
    grid.set(1, ColDistrictArea, QStringLiteral("4"));
    EXPECT_TRUE(HasDistrictValues(grid));
}

TEST_F(AreasDbTest, DistrictsComeFromTheLayerWithTheirAreasInHectares) {
    std::vector<MapDistrict> found;
    EXPECT_EQ(ReadMapDistricts(map, found), MapDistrictsStatus::NoDistricts); // no layer
    AddDistrictLayer(map, context.folder, {{"10", 100}, {"2", 200}, {"007", 50}, {"1", 300}});
    ASSERT_EQ(ReadMapDistricts(map, found), MapDistrictsStatus::Ok);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].number, QStringLiteral("010"));
    EXPECT_DOUBLE_EQ(found[0].hectares, 1.0);
    StringGrid grid = MakeDistrictGrid();
    FillDistrictsFromMap(grid, found);
    EXPECT_EQ(grid.colTexts(ColDistrictNumber).mid(1), QStringList({"1", "2", "7", "10"}));
    EXPECT_EQ(grid.colTexts(ColDistrictMapArea).mid(1),
              QStringList({"9.0000", "4.0000", "0.2500", "1.0000"}));
    EXPECT_EQ(grid.colTexts(ColDistrictArea).mid(1), QStringList({"9.00", "4.00", "0.25", "1.00"}));
}

TEST_F(AreasDbTest, ALayerWithoutNumbersOrObjectsGivesItsMessage) {
    std::vector<MapDistrict> found;
    AddDistrictLayer(map, context.folder, {{"1", 100}}, false);
    EXPECT_EQ(ReadMapDistricts(map, found), MapDistrictsStatus::NoNumberField);
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(MapDistrictsMessage(MapDistrictsStatus::NoNumberField).contains("Raion"));
    EXPECT_EQ(MapDistrictsMessage(MapDistrictsStatus::NoDistricts),
              QStringLiteral("На мапі не знайдено районів."));
    EXPECT_EQ(MapDistrictsMessage(MapDistrictsStatus::NoDataset),
              QStringLiteral("Помилка пошуку даних карти (TableDataset = nil)."));
}

TEST_F(AreasDbTest, StoredFieldsAndDistrictsAreLoadedBack) {
    AreasData data = loaded();
    EXPECT_EQ(data.value("ERaions"), QStringLiteral("0"));
    EXPECT_EQ(data.districts.rowCount(), 2); // one empty row
    data.values["EZagalna"] = "120.5000";
    data.values["EOcinochna"] = "80.2500";
    data.values["ENoUsed7"] = "1.0000";
    data.values["ERaions"] = "3";
    ClearGrid(data.districts, 3);
    data.districts.setRowTexts(1, {"1", "40.0000", "39.9000", "від річки | до шляху"});
    data.districts.setRowTexts(2, {"", "20", "0.0000", ""}); // no number: stored all the same
    data.districts.setRowTexts(3, {"3", "'20'", "", ""});
    QString error;
    ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    EXPECT_EQ(indicator("Загальна площа населеного пункту"), QStringLiteral("120.5000"));
    EXPECT_EQ(indicator("Територія, що не враховується, вулиці"), QStringLiteral("1.0000"));
    EXPECT_EQ(indicator("Кількість районів"), QStringLiteral("3"));
    EXPECT_EQ(districtRows(),
              QStringList({"1=40.0000=39.9000|від річки | до шляху", "=20=0.0000|", "3='20'=|"}));

    const AreasData back = loaded();
    EXPECT_EQ(back.values, data.values);
    EXPECT_EQ(back.districts.rowTexts(1), data.districts.rowTexts(1));
    EXPECT_EQ(back.districts.rowTexts(2), data.districts.rowTexts(2));
    EXPECT_EQ(back.districts.rowTexts(3), data.districts.rowTexts(3));
}

TEST_F(AreasDbTest, MissingIndicatorRowsAreCreatedAndNoDistrictsStoreNoRow) {
    exec("DELETE FROM характеристика WHERE показник IN ('Інші землі','Кількість районів')");
    AreasData data = loaded();
    data.values["EInshi"] = "3.0000";
    data.values["ERaions"] = "0";
    ASSERT_TRUE(StoreAreas(project, data, nullptr));
    EXPECT_EQ(indicator("Інші землі"), QStringLiteral("3.0000"));
    EXPECT_EQ(indicator("Кількість районів"), QStringLiteral("0"));
    EXPECT_TRUE(districtRows().isEmpty());
}

TEST_F(AreasDbTest, MoreDistrictRowsThanTheCountAreCutAndFewerLeaveEmptyRows) {
    setIndicator("Кількість районів", "2");
    for (const char* n : {"5", "6", "7"})
        exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення,значення2) VALUES "
                            "('%1','Площі районів','1','2')")
                 .arg(QString::fromLatin1(n)));
    AreasData data = loaded();
    EXPECT_EQ(data.districts.colTexts(0).mid(1), QStringList({"5", "6"}));
    EXPECT_EQ(data.districts.rowTexts(1), QStringList({"5", "1", "2", ""}));
    setIndicator("Кількість районів", "4");
    data = loaded();
    EXPECT_EQ(data.districts.colTexts(0).mid(1), QStringList({"5", "6", "7", ""}));
    // A count no step gives is not believed: nothing is sized by it, the rows are shown,
    // and the steps that need districts say so instead of opening.
    setIndicator("Кількість районів", "999999999");
    data = loaded();
    EXPECT_EQ(data.districts.colTexts(0).mid(1), QStringList({"5", "6", "7"}));
    EXPECT_EQ(data.value("ERaions"), QStringLiteral("3"));
    EXPECT_TRUE(data.countProblem.contains(QStringLiteral("999999999")));
    EXPECT_EQ(ReadDistrictCount(project), 0);
    QString warning;
    EXPECT_FALSE(RequireDistrictCount(project, &warning));
    EXPECT_EQ(warning,
              QStringLiteral("Кількість районів у базі населеного пункту (999999999) більша за "
                             "999. Задайте райони знову в кроці \"Визначення площ\"."));
}

TEST_F(AreasDbTest, AStoreFailingHalfWayChangesNothing) {
    setIndicator("Загальна площа населеного пункту", "10.0000");
    exec("INSERT INTO характеристика (код,показник,значення) VALUES ('1','Площі районів','5')");
    exec("CREATE TRIGGER refuse BEFORE INSERT ON характеристика WHEN NEW.показник = 'Площі "
         "районів' AND NEW.код = '2' BEGIN SELECT RAISE(ABORT, 'відмовлено'); END");
    AreasData data = loaded();
    data.values["EZagalna"] = "99.0000";
    data.values["ERaions"] = "2";
    ClearGrid(data.districts, 2);
    data.districts.setRowTexts(1, {"1", "1", "", ""});
    data.districts.setRowTexts(2, {"2", "1", "", ""});
    QString error;
    EXPECT_FALSE(StoreAreas(project, data, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("відмовлено")));
    EXPECT_EQ(indicator("Загальна площа населеного пункту"), QStringLiteral("10.0000"));
    EXPECT_EQ(districtRows(), QStringList({"1=5="}));
}

TEST(AreasCheckTest, BadAreasAndDistrictNumbersAreNamed) {
    AreasData data;
    for (const AreaField& f : AreaFields())
        data.values[f.name] = "1.5";
    data.values["ERaions"] = "3";
    ClearGrid(data.districts, 3);
    data.districts.setRowTexts(1, {"1", "2", "", ""});
    data.districts.setRowTexts(2, {"", "", "", ""});
    data.districts.setRowTexts(3, {"007", "0", "0.0000", ""});
    EXPECT_FALSE(CheckAreas(data));

    AreasData bad = data;
    bad.values["ENoUsed3"] = "-2";
    ASSERT_TRUE(CheckAreas(bad));
    EXPECT_EQ(CheckAreas(bad)->field, QStringLiteral("ENoUsed3"));
    bad = data;
    bad.values["EOsg"] = "-";
    EXPECT_EQ(CheckAreas(bad)->field, QStringLiteral("EOsg"));

    const auto cellIssue = [&](int row, int col, const QString& text) {
        AreasData d = data;
        d.districts.set(row, col, text);
        const StepCheck issue = CheckAreas(d);
        EXPECT_TRUE(issue) << text.toStdString();
        return issue ? std::make_pair(issue->row, issue->col) : std::make_pair(-1, -1);
    };
    EXPECT_EQ(cellIssue(2, 0, "abc"), std::make_pair(2, 0));
    EXPECT_EQ(cellIssue(2, 0, "0"), std::make_pair(2, 0));
    EXPECT_EQ(cellIssue(2, 0, "7"), std::make_pair(3, 0)); // 7 and 007 are one district
    EXPECT_EQ(cellIssue(3, 1, "-1"), std::make_pair(3, 1));

    // A field the statement's arithmetic left below 0 may be stored once confirmed.
    bad = data;
    bad.values["ENoUsed1"] = "-3.2000";
    EXPECT_TRUE(CheckAreas(bad));
    EXPECT_FALSE(CheckAreas(bad, {QStringLiteral("ENoUsed1")}));
    EXPECT_EQ(NegativeAreas(bad), QStringList{"сільськогосподарські землі (крім осг) -3.2000"});
}

TEST_F(AreasDbTest, AnAssessedTerritoryTypedOverTheComputedOneIsMarkedWithIt) {
    AreasData data = loaded();
    data.values["EZagalna"] = "500.0000";
    data.values["EZabudovana"] = "100.0000";
    data.values["EOsg"] = "20.0000";
    data.values["EInshi"] = "5.0000";
    data.values["EOcinochna"] = "130.0000";
    QString error;
    ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    valuation::TypedValues typed;
    ASSERT_TRUE(typed.read(project));
    const valuation::TypedMark* mark =
        typed.mark(QStringLiteral("характеристика"), QStringLiteral("Оціночна територія"),
                   QStringLiteral("значення"));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->value, QStringLiteral("130.0000"));
    EXPECT_EQ(mark->computed, QStringLiteral("125.0000"));
    // Taken as computed: no mark any more.
    data.values["EOcinochna"] = "125.0000";
    ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    ASSERT_TRUE(typed.read(project));
    EXPECT_EQ(typed.mark(QStringLiteral("характеристика"), QStringLiteral("Оціночна територія"),
                         QStringLiteral("значення")),
              nullptr);
}

TEST_F(AreasDbTest, ATotalTypedOverItsPartsIsMarkedWithTheirSumAndTheRestIsKept) {
    AreasData data = loaded();
    for (const AreaField& f : AreaFields())
        if (f.name != QStringLiteral("ERaions"))
            data.values[f.name] = QString();
    data.values["EZabudovana1"] = "10.0000";
    data.values["EZabudovana2"] = "5.0000";
    data.values["EZabudovana4"] = "7.0000"; // public land is shown apart, not added
    data.values["EZabudovana"] = "20.0000";
    data.values["ENoUsed7"] = "1.0000";
    data.values[NotCountedRestKey()] = "0.5000";
    data.values["ENoUsed"] = "1.5000";
    QString error;
    ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    EXPECT_EQ(indicator("Територія, що не враховується, інша"), QStringLiteral("0.5000"));
    EXPECT_EQ(loaded().value(NotCountedRestKey()), QStringLiteral("0.5000"));
    valuation::TypedValues typed;
    ASSERT_TRUE(typed.read(project));
    const auto mark = [&typed](const char* name) {
        return typed.mark(QStringLiteral("характеристика"), QString::fromUtf8(name),
                          QStringLiteral("значення"));
    };
    ASSERT_NE(mark("Забудована територія"), nullptr);
    EXPECT_EQ(mark("Забудована територія")->computed, QStringLiteral("15.0000"));
    EXPECT_EQ(mark("Забудована територія")->inputs,
              QStringLiteral("під житловою забудовою 10.0000, землі промисловості 5.0000"));
    EXPECT_EQ(mark("Територія, що не враховується"), nullptr); // 1 + the rest 0.5
    // Taken as its parts make it: no mark any more.
    data.values["EZabudovana"] = "15.0000";
    ASSERT_TRUE(StoreAreas(project, data, &error)) << error.toStdString();
    ASSERT_TRUE(typed.read(project));
    EXPECT_EQ(mark("Забудована територія"), nullptr);
}
