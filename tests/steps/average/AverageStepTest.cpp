#include "steps/average/AverageStep.h"
#include "valuation/Km1Tables.h"

#include "common/LastError.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Formulas.h"
#include "valuation/Typed.h"

#include <QFileInfo>

using AverageDbTest = StepDbTest;

TEST(AverageCalcTest, AverageValueIsCostTimesTwoTimesKm1) {
    EXPECT_EQ(AverageValue("6.38", "2.4"), QStringLiteral("30.62"));
    EXPECT_EQ(AverageValue("6.38", "1"), QStringLiteral("12.76"));
    EXPECT_EQ(AverageValue("", "2.4"), QString());
    EXPECT_EQ(AverageValue("6.38", "abc"), QString());
}

TEST(Km1TablesTest, OptionsTextReadsFourFieldsAndUnknownOnesAreNo) {
    EXPECT_EQ(ParseKm1Options("3;No;No;2"), (Km1Options{"3", "No", "No", "2"}));
    EXPECT_EQ(ParseKm1Options(""), (Km1Options{"No", "No", "No", "No"}));
    EXPECT_EQ(ParseKm1Options("2;;5"), (Km1Options{"2", "No", "5", "No"}));
    // A field naming no button of its table: contamination has no option 6, status no 7.
    EXPECT_EQ(ParseKm1Options("7;x;6;6;1"), (Km1Options{"No", "No", "6", "No"}));
    EXPECT_EQ(Km1OptionsText({"3", "No", "6", "No"}), QStringLiteral("3;No;6;No"));
}

TEST(Km1TablesTest, Km1IsTheProductOfTheChosenCoefficients) {
    EXPECT_EQ(Km1Text({"No", "No", "No", "No"}), QStringLiteral("1.000"));
    EXPECT_EQ(Km1Text({"3", "No", "6", "No"}), QStringLiteral("2.400"));
    EXPECT_EQ(Km1Text({"No", "No", "No", "1"}), QStringLiteral("0.500"));
    EXPECT_EQ(Km1Text({"6", "5", "1", "4"}), QStringLiteral("14.580"));
    const auto& tables = Km1Tables();
    EXPECT_EQ(tables[0].options.size(), 7u);
    EXPECT_EQ(tables[1].options.size(), 6u);
    EXPECT_EQ(tables[2].options.size(), 7u);
    EXPECT_EQ(tables[3].options.size(), 5u);
    for (const Km1Table& t : tables)
        EXPECT_EQ(t.options.back().caption, QStringLiteral("НІ"));
}

TEST(Km1TablesTest, EveryReferenceLinkHasItsDocumentInTheProgramFolder) {
    ASSERT_EQ(Km1Links().size(), 6u);
    for (const Km1Link& link : Km1Links()) {
        const QString path = BuiltAppDir() + u'/' + link.document;
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 500) << path.toStdString();
    }
}

TEST(AverageCheckTest, Km1MustBePositiveAndTheValueNotNegative) {
    EXPECT_FALSE(CheckAverage({"6.38", "2.4", "3;No;6;No", "30.62"}));
    // Км1 and Цнм are required; Цнм without В names the step to fill first.
    EXPECT_EQ(CheckAverage({"", "", "", ""})->text, QStringLiteral("Вкажіть Км1."));
    EXPECT_EQ(CheckAverage({"", "1", "", ""})->text,
              QStringLiteral("Цнм не обчислено: спершу заповніть крок \"Витрати на освоювання\"."));
    EXPECT_EQ(CheckAverage({"6.38", "1", "", ""})->text, QStringLiteral("Вкажіть Цнм."));
    EXPECT_EQ(CheckAverage({"6.38", "-2", "", "-95.68"})->text,
              QStringLiteral("Км1 має бути числом, більшим за 0."));
    EXPECT_EQ(CheckAverage({"", "0", "", ""})->field, QStringLiteral("EKm1"));
    EXPECT_EQ(CheckAverage({"", "-", "", ""})->field, QStringLiteral("EKm1"));
    EXPECT_EQ(CheckAverage({"", "1", "", "-3"})->field, QStringLiteral("ESerednia"));
}

TEST_F(AverageDbTest, ThreeIndicatorsAreStoredTogetherOrNotAtAll) {
    setIndicator("Витрати на освоювання", "6.38");
    exec("DELETE FROM характеристика WHERE показник='Км1, добуток'");
    AverageData data;
    ASSERT_TRUE(LoadAverage(project, data, nullptr));
    EXPECT_EQ(data.developmentCost, QStringLiteral("6.38"));
    EXPECT_EQ(data.km1Options, QString());
    data.km1 = "2.4";
    data.km1Options = "3;No;6;No";
    data.averageValue = "30.62";
    QString error;
    ASSERT_TRUE(StoreAverage(project, data, &error)) << error.toStdString();
    EXPECT_EQ(indicator("Км1"), QStringLiteral("2.4"));
    EXPECT_EQ(indicator("Км1, добуток"), QStringLiteral("3;No;6;No"));
    EXPECT_EQ(indicator("Середня вартість 1 кв м"), QStringLiteral("30.62"));

    exec("CREATE TRIGGER refuse BEFORE UPDATE ON характеристика WHEN NEW.показник = 'Середня "
         "вартість 1 кв м' BEGIN SELECT RAISE(ABORT, 'відмовлено'); END");
    data.km1 = "1.5";
    data.averageValue = "19.14";
    EXPECT_FALSE(StoreAverage(project, data, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("відмовлено")));
    EXPECT_EQ(indicator("Км1"), QStringLiteral("2.4"));
}

TEST_F(AverageDbTest, Km1TypedOverItsOptionsIsMarkedWithTheirProduct) {
    AverageData data;
    data.developmentCost = "10.00";
    data.km1Options = "3;No;6;No";
    data.km1 = "1.777";
    data.averageValue = valuation::AverageValue(data.developmentCost, data.km1);
    QString error;
    ASSERT_TRUE(StoreAverage(project, data, &error)) << error.toStdString();
    valuation::TypedValues typed;
    ASSERT_TRUE(typed.read(project));
    const valuation::TypedMark* mark = typed.mark(
        QStringLiteral("характеристика"), QStringLiteral("Км1"), QStringLiteral("значення"));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->computed, Km1Text(ParseKm1Options(data.km1Options)));
    EXPECT_EQ(mark->inputs, QStringLiteral("варіанти 3;No;6;No"));
    // The product itself is no typed value.
    data.km1 = Km1Text(ParseKm1Options(data.km1Options));
    ASSERT_TRUE(StoreAverage(project, data, &error)) << error.toStdString();
    ASSERT_TRUE(typed.read(project));
    EXPECT_EQ(typed.mark(QStringLiteral("характеристика"), QStringLiteral("Км1"),
                         QStringLiteral("значення")),
              nullptr);
}
