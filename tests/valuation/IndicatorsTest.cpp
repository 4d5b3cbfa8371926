#include "valuation/Indicators.h"

#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/Names.h"

namespace {

class IndicatorsTest : public StepDbTest {
protected:
    /** How many rows of "характеристика" carry the name. */
    int rowsNamed(const QString& name) {
        return column(QStringLiteral("SELECT COUNT(*) FROM характеристика WHERE показник='") +
                      QuoteSql(name) + u'\'')
            .value(0)
            .toInt();
    }
};

} // namespace

TEST_F(IndicatorsTest, WriteCreatesTheRowOnceThenUpdatesIt) {
    const QString name = names::ind::Km1();
    exec(QStringLiteral("DELETE FROM характеристика WHERE показник='Км1'"));
    EXPECT_EQ(ReadIndicator(project, name, QStringLiteral("немає")), QStringLiteral("немає"));
    ASSERT_TRUE(WriteIndicator(project, name, QStringLiteral("1.200")))
        << LastError().toStdString();
    ASSERT_TRUE(WriteIndicator(project, name, QStringLiteral("2.400")))
        << LastError().toStdString();
    EXPECT_EQ(rowsNamed(name), 1);
    EXPECT_EQ(ReadIndicator(project, name), QStringLiteral("2.400"));
}

TEST_F(IndicatorsTest, ApostrophesInNamesAndValuesRoundTrip) {
    const QString name = QStringLiteral("Кам'янка-Бузька");
    ASSERT_TRUE(WriteIndicator(project, name, QStringLiteral("м'ята")));
    EXPECT_EQ(ReadIndicator(project, name), QStringLiteral("м'ята"));
    Indicators all;
    ASSERT_TRUE(all.read(project)) << LastError().toStdString();
    EXPECT_EQ(all.value(name), QStringLiteral("м'ята"));
}

TEST_F(IndicatorsTest, TheFirstRowOfANameCountsAndRepeatedRowsStayOut) {
    exec(QStringLiteral("DELETE FROM характеристика WHERE показник='Кількість зон'"));
    exec(QStringLiteral("INSERT INTO характеристика (показник,значення,значення2) VALUES "
                        "('Кількість зон','3','перший'),('Кількість зон','4','другий')"));
    Indicators all;
    ASSERT_TRUE(all.read(project));
    EXPECT_EQ(all.value(names::ind::ZoneCount()), QStringLiteral("3"));
    EXPECT_EQ(all.row(names::ind::ZoneCount()).value2, QStringLiteral("перший"));
    EXPECT_EQ(ReadIndicator(project, names::ind::ZoneCount()), QStringLiteral("3"));
    EXPECT_FALSE(all.has(QStringLiteral("Немає такого")));
    EXPECT_EQ(all.value(QStringLiteral("Немає такого"), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(all.row(QStringLiteral("Немає такого")).id, 0);
}

TEST_F(IndicatorsTest, AFailedWriteSaysWhy) {
    breakTable(QStringLiteral("характеристика"));
    EXPECT_FALSE(WriteIndicator(project, names::ind::Km1(), QStringLiteral("1.000")));
    EXPECT_TRUE(LastError().contains(QStringLiteral("зламано"))) << LastError().toStdString();
}
