#include "steps/local/LocalStep.h"
#include "valuation/LocalCatalogue.h"

#include "common/LastError.h"
#include "tests/steps/support/StepTestSupport.h"

using namespace LocalGrid;

namespace {

std::vector<LocalFactor> Catalogue() {
    std::vector<LocalFactor> factors;
    for (int k = 1; k <= 17; ++k)
        factors.push_back(LocalFactor{k, QStringLiteral("Фактор %1").arg(k), QStringLiteral("0.90"),
                                      QStringLiteral("1.10")});
    return factors;
}

std::vector<WorkingItem> Items(std::initializer_list<int> checked) {
    std::vector<WorkingItem> items;
    for (int k = 1; k <= 17; ++k)
        items.push_back(WorkingItem{QString::number(k),
                                    std::find(checked.begin(), checked.end(), k) != checked.end()});
    return items;
}

QStringList Numbers(const StringGrid& grid) {
    return grid.colTexts(NumberCol).mid(1);
}

} // namespace

TEST(ComputeKm3, ProductOfTheFilledCellsRoundedOnlyWhenShown) {
    StringGrid grid = MakeLocalGrid({"1", "2", "3"});
    ApplyWorkingFactors(grid, Catalogue(), Items({1, 2, 3}));
    ASSERT_EQ(Numbers(grid), (QStringList{"1", "2", "3", "0"}));
    grid.set(1, 3, QStringLiteral("1.10"));
    grid.set(2, 3, QStringLiteral("0.95"));
    grid.set(3, 3, QStringLiteral("1.05"));
    grid.set(2, 4, QStringLiteral("1.2"));
    grid.set(1, 5, QStringLiteral("так")); // not a number: left out, never a product of 0
    ComputeKm3(grid);
    EXPECT_EQ(grid.at(4, NameCol), QStringLiteral("Км3"));
    EXPECT_EQ(grid.at(4, 3), QStringLiteral("1.10")); // 1.09725
    EXPECT_EQ(grid.at(4, 4), QStringLiteral("1.20"));
    EXPECT_EQ(grid.at(4, 5), QString());
    ClearDistrictValues(grid, 4);
    EXPECT_EQ(grid.at(4, 4), QString()); // no coefficient: no Km3, not 1.00
}

// Unchecking takes the row and its values; checking again gives an empty row below the
// preceding checked factor; the Km3 row stays last.
TEST(ApplyWorkingFactors, RowsFollowTheChecksAndNeverSwapValues) {
    StringGrid grid = MakeLocalGrid({"1", "2"});
    EXPECT_EQ(ApplyWorkingFactors(grid, Catalogue(), Items({2, 5, 9})), 3);
    EXPECT_EQ(grid.rowTexts(2).mid(0, 3), (QStringList{"5", "Фактор 5", "0.90 - 1.10"}));
    grid.set(1, 3, QStringLiteral("1.01"));
    grid.set(2, 3, QStringLiteral("1.05"));
    grid.set(3, 3, QStringLiteral("0.95"));
    ApplyWorkingFactors(grid, Catalogue(), Items({2, 9}));
    EXPECT_EQ(Numbers(grid), (QStringList{"2", "9", "0"}));
    EXPECT_EQ(grid.colTexts(3).mid(1), (QStringList{"1.01", "0.95", "0.96"}));
    ApplyWorkingFactors(grid, Catalogue(), Items({1, 2, 5, 9}));
    EXPECT_EQ(Numbers(grid), (QStringList{"1", "2", "5", "9", "0"}));
    EXPECT_EQ(grid.colTexts(3).mid(1), (QStringList{"", "1.01", "", "0.95", "0.96"}));
    // None checked: no factor row is left, only the Km3 row (the first row emptied).
    EXPECT_EQ(ApplyWorkingFactors(grid, Catalogue(), Items({})), 0);
    EXPECT_EQ(WorkingFactorNumbers(grid), std::vector<int>{});
    EXPECT_EQ(grid.at(Km3Row(grid), NameCol), QStringLiteral("Км3"));
    EXPECT_EQ(grid.at(Km3Row(grid), 3), QString());
}

TEST(CopyDistrictValues, CopiesTheColumnIntoTheChosenOnesOnly) {
    StringGrid grid = MakeLocalGrid({"1", "2", "3", "4"});
    ApplyWorkingFactors(grid, Catalogue(), Items({1, 2}));
    grid.set(1, 4, QStringLiteral("1.05"));
    grid.set(2, 4, QStringLiteral("0.95"));
    grid.set(1, 3, QStringLiteral("1.10"));
    grid.set(1, 6, QStringLiteral("0.90"));
    // District 2 is current and among the chosen: it keeps its values.
    CopyDistrictValues(
        grid, DistrictColumn(grid, "2"),
        {DistrictColumn(grid, "1"), DistrictColumn(grid, "2"), DistrictColumn(grid, "3")});
    for (const char* d : {"1", "2", "3"})
        EXPECT_EQ(grid.colTexts(DistrictColumn(grid, d)).mid(1),
                  (QStringList{"1.05", "0.95", "1.00"}))
            << d;
    EXPECT_EQ(grid.colTexts(6).mid(1), (QStringList{"0.90", "", "0.90"}));
    EXPECT_EQ(DistrictColumn(grid, "7"), -1);
}

TEST(LocalFactor, RangeIsShownNotEnforced) {
    const LocalFactor f{1, QStringLiteral("Слабкі ґрунти"), QStringLiteral("0.85"),
                        QStringLiteral("0.95")};
    EXPECT_EQ(f.rangeText(), QStringLiteral("0.85 - 0.95"));
    EXPECT_FALSE(f.outOfRange(QStringLiteral("0.85")));
    EXPECT_FALSE(f.outOfRange(QStringLiteral("0.950")));
    EXPECT_FALSE(f.outOfRange(QString()));
    EXPECT_TRUE(f.outOfRange(QStringLiteral("0.96")));
    EXPECT_TRUE(f.outOfRange(QStringLiteral("0.8")));
    EXPECT_TRUE(f.outOfRange(QStringLiteral("abc")));
    const LocalFactor open{2, QString(), QString(), QStringLiteral("1.1")};
    EXPECT_FALSE(open.outOfRange(QStringLiteral("5")));

    // Before storing: outside the range is named for confirmation, 0 or less is refused.
    StringGrid grid = MakeLocalGrid({QStringLiteral("1"), QStringLiteral("2")});
    const std::vector<LocalFactor> catalogue = {f};
    ApplyWorkingFactors(grid, catalogue, {WorkingItem{QStringLiteral("1"), true}});
    grid.set(1, LocalGrid::FirstDistrictCol, QStringLiteral("0.9"));
    grid.set(1, LocalGrid::FirstDistrictCol + 1, QStringLiteral("2.5"));
    EXPECT_FALSE(CheckLocalValues(grid));
    EXPECT_EQ(OutOfRangeValues(grid, catalogue),
              QStringList{"Слабкі ґрунти, район 2: 2.5 (0.85 - 0.95)"});
    grid.set(1, LocalGrid::FirstDistrictCol, QStringLiteral("-1"));
    ASSERT_TRUE(CheckLocalValues(grid));
    EXPECT_EQ(CheckLocalValues(grid)->text,
              QStringLiteral("Коефіцієнт має бути числом, більшим за 0."));
}

namespace {

class LocalDbTest : public StepDbTest {};

} // namespace

// The shipped catalogue, the rows stored factor by factor and district by district, and a
// factor number the catalogue lacks kept with an empty name and stored again.
TEST_F(LocalDbTest, StoredValuesRoundTripWithTheShippedCatalogue) {
    std::vector<LocalFactor> factors;
    QString error;
    ASSERT_TRUE(ReadLocalCatalogue(catalogue, factors, &error)) << error.toStdString();
    ASSERT_EQ(factors.size(), 17u);
    EXPECT_EQ(factors[0].name, QStringLiteral("Слабкі ґрунти"));
    EXPECT_EQ(factors[0].rangeText(), QStringLiteral("0.85 - 0.95"));

    for (const char* row : {"'2','12','1.07'", "'1','12','1.05'", "'1','25','0.5'",
                            "'9','12','1.00'", "'1','03','0.91'", "'2','12',''"})
        exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES (%1)")
                 .arg(QString::fromLatin1(row)));
    StringGrid grid = MakeLocalGrid({"1", "2"});
    ASSERT_TRUE(LoadLocalValues(project, factors, grid, nullptr));
    EXPECT_EQ(Numbers(grid), (QStringList{"12", "25", "3", "0"}));
    EXPECT_EQ(grid.rowTexts(1), (QStringList{"12", "Рекреаційна", "1.05 - 1.09", "1.05", ""}));
    EXPECT_EQ(grid.rowTexts(2), (QStringList{"25", "", "", "0.5", ""}));
    EXPECT_EQ(grid.rowTexts(4), (QStringList{"0", "Км3", "", "0.48", ""}));
    EXPECT_EQ(WorkingFactorNumbers(grid), (std::vector<int>{12, 25, 3}));

    ASSERT_TRUE(StoreLocalValues(project, grid, &error)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT фактор || ':' || район || '=' || коефіціент FROM "
                                    "локальні ORDER BY id")),
              (QStringList{"12:1=1.05", "12:2=", "25:1=0.5", "25:2=", "3:1=0.91", "3:2="}));

    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON локальні WHEN NEW.фактор = '3' "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    grid.set(1, 4, QStringLiteral("1.06"));
    EXPECT_FALSE(StoreLocalValues(project, grid, &error));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM локальні WHERE коефіціент='1.06'")),
              QStringList{"0"});
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM локальні")), QStringList{"6"});
}

namespace {

/** The marks as "district:factor=value/replaced", sorted. */
QStringList MarkLines(const QHash<QString, valuation::TypedMark>& marks) {
    QStringList lines;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        lines << QString(it.key()).replace(u'\t', u':') + u'=' + it->value + u'/' + it->computed;
    lines.sort();
    return lines;
}

} // namespace

// Typed against what the map gave: each cell that differs, the map's value beside it; typed
// against what was read: the marks still standing and the cells changed since.
TEST_F(LocalDbTest, TypedCoefficientsAreMarkedAgainstTheMapOrWhatWasRead) {
    StringGrid map = MakeLocalGrid({"1", "2"});
    ApplyWorkingFactors(map, Catalogue(), Items({2, 5}));
    map.set(1, FirstDistrictCol, QStringLiteral("0.95"));
    map.set(2, FirstDistrictCol + 1, QStringLiteral("1.05"));
    StringGrid typed = map;
    typed.set(1, FirstDistrictCol, QStringLiteral("0.91"));     // over the map's 0.95
    typed.set(1, FirstDistrictCol + 1, QStringLiteral("0.93")); // where the map had none
    valuation::TypedValues none;
    EXPECT_EQ(MarkLines(TypedLocalMarks(typed, map, true, none)),
              (QStringList{"1:2=0.91/0.95", "2:2=0.93/"}));
    EXPECT_TRUE(TypedLocalMarks(map, map, true, none).isEmpty());

    QString error;
    ASSERT_TRUE(StoreLocalValues(project, typed, &error, {}, {}, &map)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT ключ || ':' || поле || '=' || значення FROM "
                                    "введено_вручну WHERE таблиця='локальні' ORDER BY ключ")),
              (QStringList{"1:2=0.91", "2:2=0.93"}));

    // Read again: a mark stands while its value does; a value emptied or a factor dropped is
    // typed empty.
    valuation::TypedValues before;
    ASSERT_TRUE(before.read(project));
    StringGrid edited = typed;
    edited.set(1, FirstDistrictCol + 1, QString());
    ApplyWorkingFactors(edited, Catalogue(), Items({2}));
    EXPECT_EQ(MarkLines(TypedLocalMarks(edited, typed, false, before)),
              (QStringList{"1:2=0.91/", "2:2=/", "2:5=/"}));
    // Without a base the marks are left as they are.
    ASSERT_TRUE(StoreLocalValues(project, edited, nullptr));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM введено_вручну")), QStringList{"2"});
}
