#include "steps/info/InfoStep.h"

#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "tests/steps/info/InfoTestData.h"
#include "valuation/Names.h"

namespace {

StringGrid Grid(const std::vector<std::pair<QString, QString>>& rows) {
    StringGrid grid = MakeInfoGrid();
    for (const auto& [name, value] : rows) {
        grid.setRowCount(grid.rowCount() + 1);
        grid.setRowTexts(grid.rowCount() - 1, {name, value});
    }
    return grid;
}

} // namespace

TEST(ValidateInfoRowsTest, NumbersGetFourDecimalsAndEmptyValuesPass) {
    StringGrid grid = Grid({{QStringLiteral("Назва"), QStringLiteral("12,5")},
                            {InfoAreaName(), QStringLiteral(" 12,5 ")},
                            {InfoPopulationName(), QString()}});
    EXPECT_FALSE(ValidateInfoRows(grid));
    EXPECT_EQ(grid.colTexts(1).mid(1),
              QStringList({QStringLiteral("12,5"), QStringLiteral("12.5000"), QString()}));
}

TEST(ValidateInfoRowsTest, NotANumberIsTheIssueAfterEarlierRowsWereRewritten) {
    StringGrid grid = Grid({{InfoAreaName(), QStringLiteral("7,25")},
                            {InfoPopulationName(), QStringLiteral("abc")},
                            {InfoAreaName(), QStringLiteral("1")}});
    const StepCheck issue = ValidateInfoRows(grid);
    EXPECT_EQ(grid.colTexts(1).mid(1),
              QStringList({QStringLiteral("7.2500"), QStringLiteral("abc"), QStringLiteral("1")}));
    EXPECT_EQ(grid.currentRow(), 2);
    ASSERT_TRUE(issue);
    EXPECT_EQ(issue->field, QStringLiteral("ListBoxData"));
    EXPECT_EQ(issue->row, 2);
    EXPECT_EQ(issue->col, 1);
    EXPECT_EQ(issue->title, QStringLiteral("Попередження"));
    EXPECT_EQ(issue->text, QStringLiteral("\"Чисельність населення, тис. чол.\" має бути числом."));
}

TEST_F(InfoDbTest, StoreReplacesRowsAndSetsBothIndicators) {
    exec(QStringLiteral("DELETE FROM характеристика WHERE показник='") + names::ind::Population() +
         u'\'');
    exec(QStringLiteral("UPDATE характеристика SET значення='' WHERE показник='") +
         names::ind::TotalArea() + u'\'');
    StringGrid grid = Grid({{QStringLiteral("Назва"), QStringLiteral("Кам'янка")},
                            {InfoAreaName(), QStringLiteral("12.5000")},
                            {InfoPopulationName(), QString()},
                            {QString(), QString()}});
    ASSERT_TRUE(StoreInfoRows(project, grid, nullptr));
    EXPECT_EQ(storedRows(), QStringList({QStringLiteral("Назва=Кам'янка"),
                                         InfoAreaName() + QStringLiteral("=12.5000"),
                                         InfoPopulationName() + u'='}));
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("12.5000"));
    EXPECT_EQ(indicator(names::ind::Population()), QString()); // its row was created
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(InfoDbTest, FailingInsertRollsBackRowsAndIndicators) {
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON показники WHEN "
                        "NEW.показник = 'Зламаний' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const QStringList before = storedRows();
    QString error;
    EXPECT_FALSE(StoreInfoRows(project,
                               Grid({{InfoAreaName(), QStringLiteral("99.0000")},
                                     {InfoPopulationName(), QStringLiteral("7.0000")},
                                     {QStringLiteral("Зламаний"), QStringLiteral("1")}}),
                               &error));
    EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("refused")))
        << error.toStdString();
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("10.0000"));
    EXPECT_EQ(indicator(names::ind::Population()), QStringLiteral("2.5000"));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(project.inTransaction());
}

TEST_F(InfoDbTest, TheTotalAreaOfTheAreasStepIsNeverWipedNorOverwritten) {
    ASSERT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("10.0000"));
    // A new settlement's list has the row empty: storing it keeps the stored area.
    ASSERT_TRUE(StoreInfoRows(project, Grid({{InfoAreaName(), QString()}}), nullptr));
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("10.0000"));
    // The list shows the stored area; another value is refused before storing.
    StringGrid grid = MakeInfoGrid();
    ASSERT_TRUE(LoadInfoRows(project, grid, nullptr));
    const QString stored = StoredInfoArea(project);
    EXPECT_EQ(stored, QStringLiteral("10.0000"));
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (grid.at(row, 0) == InfoAreaName()) {
            EXPECT_EQ(grid.at(row, 1), QStringLiteral("10.0000"));
        }
    }
    EXPECT_FALSE(CheckInfoArea(Grid({{InfoAreaName(), QStringLiteral("10")}}), stored));
    const StepCheck issue = CheckInfoArea(Grid({{InfoAreaName(), QStringLiteral("12")}}), stored);
    ASSERT_TRUE(issue);
    EXPECT_TRUE(issue->text.contains(QStringLiteral("Визначення площ")));
    ASSERT_TRUE(
        StoreInfoRows(project, Grid({{InfoAreaName(), QStringLiteral("12.0000")}}), nullptr));
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("10.0000"));
}
