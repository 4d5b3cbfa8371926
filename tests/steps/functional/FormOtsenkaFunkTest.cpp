#include "steps/functional/ui/FormOtsenkaFunk.h"

#include "common/StringGrid.h"
#include "common/ui/LongWork.h"
#include "common/ui/Wait.h"
#include "map/FeatureFactory.h"
#include "map/MapGlobal.h"
#include "tests/map/MapTestUtil.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Schema.h"
#include "widgets/GridView.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class OpenStepFunctionalTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        // As when the settlement connects: the template has no "функціональне" yet.
        ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project));
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("2"));
        for (const char* d : {"1", "2", "3"})
            exec(QStringLiteral("INSERT INTO характеристика (код, показник, значення) VALUES "
                                "('%1', 'Площі районів', '1.0000')")
                     .arg(QString::fromLatin1(d)));
        WriteTable(context.file(QStringLiteral("райони.tab")), {QStringLiteral("Raion")},
                   {{Square(0, 0, 100), {QStringLiteral("1")}},
                    {Square(100, 0, 100), {QStringLiteral("2")}}});
        WriteTable(context.file(QStringLiteral("функціональне.tab")), {QStringLiteral("Code")},
                   {{Square(50, 0, 100), {QStringLiteral("Ж")}}});
        ASSERT_TRUE(AddLayer(map, context.file(QStringLiteral("райони.tab")), true));
    }
    QApplication& application = TestApplication();
};

} // namespace

TEST_F(OpenStepFunctionalTest, WithoutDistrictCountItWarnsAndShowsNothing) {
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("0"));
    WhenShown<TFormOtsenkaFunk> act([](TFormOtsenkaFunk&) {});
    EXPECT_FALSE(OpenStepFunctional(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              QStringList{QStringLiteral(
                  "Кількість районів не зазначена. Зробіть це в кроці \"Визначення площ\".")});
}

// "З мапи" measures from the tables beside the districts' layer; the typed value of the
// third grid row is not a district of the count and stays away.
TEST_F(OpenStepFunctionalTest, FromMapThenSaveStoresTheDistrictsOfTheCount) {
    WhenShown<TFormOtsenkaFunk> act([this](TFormOtsenkaFunk& form) {
        ASSERT_EQ(form.rows().rowCount(), 3);
        EXPECT_EQ(form.rows().colTexts(0).mid(1), QStringList({"1", "2"}));
        form.rows().set(1, 5, QStringLiteral("3"));
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton); // not agreed: kept
        EXPECT_EQ(form.rows().at(1, 5), QStringLiteral("3"));
        messages.answer({Answer::Yes});
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_FALSE(form.FLoading);
        EXPECT_EQ(form.rows().at(1, 2), QStringLiteral("0.5000"));
        EXPECT_EQ(form.rows().at(2, 2), QStringLiteral("0.5000"));
        EXPECT_EQ(form.rows().at(1, 5), QString());
        form.rows().set(2, 7, QStringLiteral("0.1"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepFunctional(context, nullptr));
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")),
              QStringList(2, QStringLiteral("Буде замінено усі площі функціонального "
                                            "використання в таблиці площами з карти. "
                                            "Продовжити?")));
    EXPECT_EQ(column(QStringLiteral("SELECT район || '=' || ф_2 || ',' || ifnull(ф_7, '-') FROM "
                                    "функціональне ORDER BY id")),
              (QStringList{"1=0.5000,-", "2=0.5000,0.1"}));
}

// "Стоп" in the progress window of "З мапи" leaves the grid as it was and says nothing; run
// to its end, the self-crossing region is measured in its repaired form and named.
TEST_F(OpenStepFunctionalTest, StopLeavesTheGridAsItWasAndARepairIsNamed) {
    // Two triangles of 5,000 m² meeting at (100, 50), one in each district.
    WriteTable(context.file(QStringLiteral("функціональне.tab")), {QStringLiteral("Code")},
               {{FeatureFactory::createRegion({{{0, 0}, {200, 100}, {200, 0}, {0, 100}}}),
                 {QStringLiteral("Ж")}}});
    LongWork::SetShowDelay(0);
    WhenShown<TFormOtsenkaFunk> act([this](TFormOtsenkaFunk& form) {
        form.rows().set(1, 2, QStringLiteral("7"));
        // Pressed as soon as the progress window lets window messages run.
        QTimer::singleShot(0, [] { QTest::mouseClick(FormWait().stopButton(), Qt::LeftButton); });
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_EQ(form.rows().at(1, 2), QStringLiteral("7"));
        EXPECT_EQ(form.rows().at(2, 2), QString());
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_FALSE(FormWait().isVisible());

        messages.answer({Answer::Yes}); // the typed 7 goes
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_EQ(form.rows().at(1, 2), QStringLiteral("0.5000"));
        EXPECT_EQ(form.rows().at(2, 2), QStringLiteral("0.5000"));
        const QStringList warnings = messages.texts(QStringLiteral("warning"));
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains(
            QStringLiteral("шар \"функціональне\", об'єкт № 1: самоперетин у точці (100; 50)")))
            << warnings[0].toStdString();
        form.BCancelClick();
    });
    OpenStepFunctional(context, nullptr);
    EXPECT_EQ(act.shown, 1);
    LongWork::SetShowDelay(500);
}

TEST_F(OpenStepFunctionalTest, NoOverlapWarnsAndKeepsTheCells) {
    WriteTable(context.file(QStringLiteral("функціональне.tab")), {QStringLiteral("Code")},
               {{Square(900, 900, 10), {QStringLiteral("Ж")}}});
    WhenShown<TFormOtsenkaFunk> act([this](TFormOtsenkaFunk& form) {
        form.rows().set(1, 1, QStringLiteral("4"));
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_EQ(form.rows().at(1, 1), QStringLiteral("4"));
        EXPECT_EQ(messages.texts(QStringLiteral("warning")),
                  QStringList{QStringLiteral(
                      "Жодного накладення функціонального використання на райони не знайдено!")});
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepFunctional(context, nullptr));
}

// A failed store shows the error and the window again with what was measured and typed.
TEST_F(OpenStepFunctionalTest, FailedStoreKeepsTheWork) {
    messages.answer({Answer::Yes}); // a district's areas above its own area are confirmed
    WhenShown<TFormOtsenkaFunk> act([this](TFormOtsenkaFunk& form) {
        form.rows().set(2, 3, QStringLiteral("1.25"));
        breakTable(QStringLiteral("функціональне"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QString shownAgain;
    act.then([&shownAgain](TFormOtsenkaFunk& form) {
        shownAgain = form.rows().at(2, 3);
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepFunctional(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    EXPECT_EQ(shownAgain, QStringLiteral("1.25"));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("error"))
                    .first()
                    .startsWith(QStringLiteral("Оновлення даних у базі даних.\rПомилка: ")));
}
