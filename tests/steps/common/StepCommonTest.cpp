#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepStore.h"
#include "steps/common/WorkingItems.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/IndexationLines.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

namespace {

/** A grid with a heading row and the given rows of (key, value). */
StringGrid Rows(const std::vector<std::pair<QString, QString>>& rows) {
    StringGrid grid(2, 1 + static_cast<int>(rows.size()), 1, 0);
    int row = 1;
    for (const auto& [key, value] : rows)
        grid.setRowTexts(row++, {key, value});
    if (rows.empty())
        grid.setRowCount(2);
    return grid;
}

QStringList Keys(const StringGrid& grid) {
    return grid.colTexts(0).mid(1);
}

using StepCommonDbTest = StepDbTest;

} // namespace

TEST_F(StepCommonDbTest, DistrictsAreReadByNumberOrAsStoredAndLimitedByTheirCount) {
    for (const char* row :
         {"('10','Площі районів','3','3.1|за річкою')", "('2','Площі районів','2','')",
          "('1','Площі районів','1','1.0|')", "('007','Площі районів','7','7.0|ліс|поле')"})
        exec(
            QStringLiteral("INSERT INTO характеристика (код,показник,значення,значення2) VALUES ") +
            QString::fromUtf8(row));
    setIndicator(names::ind::DistrictCount(), QStringLiteral("3"));

    std::vector<District> districts;
    ASSERT_TRUE(ReadDistricts(project, DistrictOrder::ByNumber, districts));
    EXPECT_EQ(
        DistrictNumbers(districts),
        (std::vector<QString>{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("007")}));
    EXPECT_EQ(districts[0].mapArea, QStringLiteral("1.0"));
    EXPECT_EQ(districts[1].description, QString());
    EXPECT_EQ(districts[2].description, QStringLiteral("ліс|поле"));

    ASSERT_TRUE(ReadDistricts(project, DistrictOrder::AsStored, districts, false));
    EXPECT_EQ(DistrictNumbers(districts).front(), QStringLiteral("10"));
    EXPECT_EQ(districts.size(), 4u);

    setIndicator(names::ind::DistrictCount(), QStringLiteral("abc"));
    EXPECT_EQ(ReadDistrictCount(project), 0);
    ASSERT_TRUE(ReadDistricts(project, DistrictOrder::ByNumber, districts));
    EXPECT_TRUE(districts.empty());
}

TEST_F(StepCommonDbTest, IndicatorsAreWrittenCreatingMissingRowsAndReadInOneQuery) {
    ASSERT_TRUE(
        WriteIndicator(project, QStringLiteral("Новий показник"), QStringLiteral("Кам'янка")));
    ASSERT_TRUE(WriteIndicator(project, QStringLiteral("Новий показник"), QStringLiteral("2")));
    EXPECT_EQ(column(QStringLiteral("SELECT значення FROM характеристика WHERE "
                                    "показник='Новий показник'")),
              QStringList{QStringLiteral("2")});
    Indicators indicators;
    ASSERT_TRUE(indicators.read(project));
    EXPECT_EQ(indicators.value(QStringLiteral("Новий показник")), QStringLiteral("2"));
    EXPECT_EQ(indicators.value(QStringLiteral("немає"), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(ReadIndicator(project, QStringLiteral("немає"), QStringLiteral("y")),
              QStringLiteral("y"));
    EXPECT_EQ(indicator(QStringLiteral("немає")), QStringLiteral("<none>"));
}

TEST_F(StepCommonDbTest, AFailedStoreRollsEverythingBackAndKeepsTheReason) {
    const QString before = indicator(QStringLiteral("Кількість районів"));
    breakTable(QStringLiteral("показники"));
    // The failing statement says nothing itself: the store reports the provider's reason.
    QString error;
    EXPECT_FALSE(StoreInTransaction(
        &project,
        [this](QString* failed) {
            return WriteIndicator(project, QStringLiteral("Кількість районів"), QStringLiteral("9"),
                                  failed) &&
                   WriteIndicator(project, QStringLiteral("Кількість зон"), QStringLiteral("2"),
                                  failed) &&
                   [this] {
                       Query q(&project);
                       return RunQuery(q, QStringLiteral("DELETE FROM показники"), false);
                   }();
        },
        &error));
    EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("зламано")))
        << error.toStdString();
    EXPECT_EQ(indicator(QStringLiteral("Кількість районів")), before);
    EXPECT_FALSE(project.inTransaction());

    // A body that says why is reported in its own words.
    error.clear();
    EXPECT_FALSE(StoreInTransaction(
        &project, [](QString* failed) { return FailWith(failed, QStringLiteral("своя причина")); },
        &error));
    EXPECT_EQ(error, QStringLiteral("своя причина"));

    Connection closed;
    error.clear();
    EXPECT_FALSE(StoreInTransaction(
        &closed, [](QString*) { return true; }, &error));
    EXPECT_EQ(error,
              StoreFailedText() + QStringLiteral("база даних населеного пункту не відкрита."));
}

TEST(IndexationLinesTest, LinesAreMadeAndReadBack) {
    const TDinArryOfKoef table{
        {2005, 1.035, 1.035}, {2006, 0, 0}, {2007, 1.028, 1.028}, {2008, 1.152, 1.152}};
    EXPECT_EQ(IndexationLines(table, 2008, KindInflation),
              (QStringList{QStringLiteral("* 1.064   - 2005"), QStringLiteral("* 1.028   - 2007"),
                           QStringLiteral("* 1.000   - 2008")}));
    EXPECT_TRUE(IndexationLines({}, 2008, KindIndexation).isEmpty());
    EXPECT_DOUBLE_EQ(IndexationLineFactor(QStringLiteral("* 1.064   - 2008")), 1.064);
    EXPECT_DOUBLE_EQ(IndexationLineFactor(QStringLiteral(" *1.250*- 2015")), 1.25);
    EXPECT_DOUBLE_EQ(IndexationLineFactor(QStringLiteral("abc")), 1.0);
    EXPECT_DOUBLE_EQ(IndexationLineFactor(QString()), 1.0);
}

TEST(WorkingItemsTest, UncheckingRemovesRowsAndTheFirstRowIsEmptiedNotRemoved) {
    StringGrid grid = Rows({{QStringLiteral("A"), QStringLiteral("1")}});
    EXPECT_EQ(ApplyWorkingItems(grid, 0, {{QStringLiteral("A"), false}}), 0);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.rowTexts(1), (QStringList{QString(), QString()}));

    grid = Rows({{QStringLiteral("A"), QStringLiteral("1")},
                 {QStringLiteral("B"), QStringLiteral("2")},
                 {QStringLiteral("C"), QStringLiteral("3")}});
    ApplyWorkingItems(
        grid, 0,
        {{QStringLiteral("A"), false}, {QStringLiteral("B"), false}, {QStringLiteral("C"), true}});
    EXPECT_EQ(Keys(grid), QStringList{QStringLiteral("C")});
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("3"));
}

TEST(WorkingItemsTest, ANewItemGetsANewRowAndNeverTakesAnotherItemsValues) {
    // B keeps its scores although A, earlier in the list, is checked anew.
    StringGrid grid = Rows({{QStringLiteral("B"), QStringLiteral("7")}});
    std::vector<int> filled;
    ApplyWorkingItems(
        grid, 0,
        {{QStringLiteral("A"), true}, {QStringLiteral("B"), true}, {QStringLiteral("C"), true}},
        [&filled](int row, int index) { filled.push_back(row * 10 + index); });
    EXPECT_EQ(Keys(grid),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(grid.colTexts(1).mid(1), (QStringList{QString(), QStringLiteral("7"), QString()}));
    EXPECT_EQ(filled, (std::vector<int>{10, 32}));

    // Into an empty grid the first item takes the empty row.
    grid = Rows({});
    ApplyWorkingItems(grid, 0, {{QStringLiteral("X"), true}});
    EXPECT_EQ(Keys(grid), QStringList{QStringLiteral("X")});
}

TEST(WorkingItemsTest, UncheckingTheFirstRowThenAddingKeepsOrderAndATotalsRowStaysLast) {
    StringGrid grid = Rows({{QStringLiteral("A"), QStringLiteral("1")},
                            {QStringLiteral("B"), QStringLiteral("2")},
                            {QStringLiteral("Км3"), QStringLiteral("1.00")}});
    ApplyWorkingItems(
        grid, 0,
        {{QStringLiteral("A"), false}, {QStringLiteral("B"), true}, {QStringLiteral("D"), true}},
        {}, 3);
    EXPECT_EQ(Keys(grid),
              (QStringList{QStringLiteral("B"), QStringLiteral("D"), QStringLiteral("Км3")}));
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("2"));
}
