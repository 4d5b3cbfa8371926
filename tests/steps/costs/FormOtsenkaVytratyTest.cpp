#include "steps/costs/ui/FormOtsenkaVytraty.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class FormCostsTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator("Оціночна територія", "100");
        setIndicator("Коефіціент для відновленої вартості", "* 1.064   - 2008");
        Query q(&catalogue);
        ASSERT_TRUE(RunQuery(q, "DELETE FROM збірник_цін", false));
        ASSERT_TRUE(RunQuery(q,
                             "INSERT INTO збірник_цін (назва,од_виміру,вартість) VALUES "
                             "('Водогін','км','100')",
                             false));
    }
    static void editCell(TFormOtsenkaVytraty& form, int row, int col, const QString& text) {
        form.GridVytratyUser->setCurrentCell(row, col);
        StringGridModel* model = form.GridVytratyUser->gridModel();
        ASSERT_TRUE(model->setData(model->index(model->modelRow(row), col), text));
    }
    QStringList storedItems() {
        return column("SELECT назва || '|' || первісна || '|' || відновлена || '|' || кількість "
                      "|| '|' || всього FROM витрати ORDER BY id");
    }
};

} // namespace

TEST_F(FormCostsTest, ItemsTypedByTheUserAreStoredAndShownAgain) {
    // Inflation of 10 % and 20 % since the price catalogue's year: its prices count 1.32
    // times, whatever the year today.
    indexation = {{2005, 1.0, 1.1}, {2006, 1.0, 0.0}, {2007, 1.0, 1.2}};
    {
        WhenShown<TFormOtsenkaVytraty> act([&](TFormOtsenkaVytraty& form) {
            EXPECT_EQ(form.EKoeficient->currentText(), QStringLiteral("* 1.064   - 2008"));
            EXPECT_EQ(form.EKoeficient->count(), 2); // one line per year with inflation
            EXPECT_EQ(form.EOcinochna->text(), QStringLiteral("100"));
            EXPECT_FALSE(CanAddCostRow(form.sheet())); // no section yet
            form.ListCategories->setCurrentRow(1);     // "Водопостачання"
            form.GridVytratyUser->setFocus();
            QTest::keyClick(form.GridVytratyUser, Qt::Key_Insert);
            EXPECT_EQ(form.sheet().visible.at(1, ColCostNumber), QStringLiteral("1"));
            EXPECT_EQ(form.GridVytratyUser->currentGridCol(), ColCostName);
            editCell(form, 1, ColCostName, QStringLiteral("Мережі водогону"));
            editCell(form, 1, ColCostInitial, QStringLiteral("2"));
            EXPECT_EQ(form.sheet().visible.at(1, ColCostRestored), QStringLiteral("2.1280"));
            editCell(form, 1, ColCostQuantity, QStringLiteral("3"));
            EXPECT_EQ(form.sheet().visible.at(1, ColCostTotal), QStringLiteral("6.3840"));

            form.ADDROWExecute();
            form.ListPrice->setCurrentCell(1, 0);
            form.PUTPRICEExecute();
            EXPECT_EQ(form.GridVytratyUser->currentGridCol(), ColCostQuantity);
            EXPECT_EQ(form.sheet().visible.at(2, ColCostRestored), QStringLiteral("132.0000"));
            EXPECT_EQ(form.sheet().visible.at(2, ColCostInitial), QString());
            editCell(form, 2, ColCostQuantity, QStringLiteral("60"));
            // 6.384 + 60 x 132
            EXPECT_EQ(form.EVytratyVsiogo->text(), QStringLiteral("7926.3840"));
            EXPECT_EQ(form.EVytraty1m->text(), QStringLiteral("7.93"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepCosts(context, nullptr));
    }
    EXPECT_EQ(storedItems(),
              QStringList({"Мережі водогону|2|2.1280|3|6.3840", "Водогін||132.0000|60|7920.0000"}));
    EXPECT_EQ(indicator("Витрати на освоювання"), QStringLiteral("7.93"));
    EXPECT_EQ(indicator("Коефіціент для відновленої вартості"), QStringLiteral("* 1.064   - 2008"));

    WhenShown<TFormOtsenkaVytraty> again([&](TFormOtsenkaVytraty& form) {
        // Recalculated when shown.
        EXPECT_EQ(form.EVytraty1m->text(), QStringLiteral("7.93"));
        form.ListCategories->setCurrentRow(1);
        EXPECT_EQ(form.sheet().visible.colTexts(ColCostRestored).mid(1),
                  QStringList({"2.1280", "132.0000"}));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepCosts(context, nullptr));
    EXPECT_EQ(again.shown, 1);
}

TEST_F(FormCostsTest, ClearingAsksFirstAndThenEmptiesBothLists) {
    exec("INSERT INTO витрати (категорія,назва,од_виміру,первісна,відновлена,кількість,всього) "
         "VALUES ('Водопостачання','а','','','1','1','1.0000')");
    WhenShown<TFormOtsenkaVytraty> act([&](TFormOtsenkaVytraty& form) {
        EXPECT_EQ(form.EVytratyVsiogo->text(), QStringLiteral("1.0000"));
        messages.answer({Answer::Cancel, Answer::Ok});
        QTest::mouseClick(form.BClear, Qt::LeftButton);
        EXPECT_EQ(form.EVytratyVsiogo->text(), QStringLiteral("1.0000"));
        QTest::mouseClick(form.BClear, Qt::LeftButton);
        EXPECT_EQ(form.EVytratyVsiogo->text(), QStringLiteral("0.0000"));
        EXPECT_EQ(messages.texts("confirm").first(),
                  QStringLiteral("Ви впевнені щодо вилучення усіх даних про витрати?"));
        // Nothing left to lose: no question.
        QTest::mouseClick(form.BClear, Qt::LeftButton);
        EXPECT_EQ(messages.texts("confirm").size(), 2);
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepCosts(context, nullptr));
    EXPECT_TRUE(storedItems().isEmpty());
    EXPECT_EQ(indicator("Витрати на освоювання"), QStringLiteral("0.00"));
}

TEST_F(FormCostsTest, AFailedStoreBringsTheWindowBackWithTheTypedItems) {
    exec("CREATE TRIGGER refuse BEFORE INSERT ON витрати BEGIN SELECT RAISE(ABORT, "
         "'відмовлено'); END");
    WhenShown<TFormOtsenkaVytraty> act([&](TFormOtsenkaVytraty& form) {
        form.ListCategories->setCurrentRow(0);
        form.ADDROWExecute();
        editCell(form, 1, ColCostName, QStringLiteral("Дамба"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    act.then([&](TFormOtsenkaVytraty& form) {
        EXPECT_EQ(form.sheet().visible.at(1, ColCostName), QStringLiteral("Дамба"));
        EXPECT_EQ(form.sheet().full.at(1, ColCostName), QStringLiteral("Дамба"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepCosts(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.texts("error").first().startsWith(
        QStringLiteral("Оновлення даних у базі даних.\rПомилка: відмовлено")));
    EXPECT_EQ(indicator("Витрати на освоювання"), QString());
}

TEST_F(FormCostsTest, ANegativeQuantityIsShownInItsSection) {
    WhenShown<TFormOtsenkaVytraty> act([&](TFormOtsenkaVytraty& form) {
        form.ListCategories->setCurrentRow(3);
        form.ADDROWExecute();
        editCell(form, 1, ColCostQuantity, QStringLiteral("-5"));
        form.ListCategories->setCurrentRow(0);
        QTest::mouseClick(form.BSave, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.ListCategories->currentRow(), 3);
        EXPECT_EQ(form.GridVytratyUser->currentGridCol(), ColCostQuantity);
        ASSERT_EQ(messages.texts("balloon").size(), 1);
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepCosts(context, nullptr));
}

TEST_F(FormCostsTest, AFailedReadShowsTheErrorAndNoWindow) {
    exec("DROP TABLE витрати");
    WhenShown<TFormOtsenkaVytraty> act([](TFormOtsenkaVytraty&) {});
    EXPECT_FALSE(OpenStepCosts(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Вибірка із бази \"витрати\"\rПодробиці: ")));
}
