#include "steps/areas/ui/FormOtsenkaPloszhi.h"

#include "common/ui/InputQuery.h"
#include "tests/steps/areas/AreasTestData.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class FormAreasTest : public StepDbTest {
protected:
    void TearDown() override {
        SetInputQueryHook({});
        StepDbTest::TearDown();
    }
    /** Types into a field as the user does, replacing its text. */
    static void type(TFormOtsenkaPloszhi& form, const char* name, const char* text) {
        QLineEdit* edit = form.field(QString::fromLatin1(name));
        ASSERT_NE(edit, nullptr) << name;
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
    /** An edit of a grid cell as the grid stores it. */
    static void editCell(TFormOtsenkaPloszhi& form, int row, int col, const QString& text) {
        StringGridModel* model = form.GridRaions->gridModel();
        ASSERT_TRUE(model->setData(model->index(model->modelRow(row), col), text));
    }
    /** Answers the count query from the list, counting the questions. */
    void answerCounts(QStringList answers) {
        SetInputQueryHook(
            [this, answers](const QString& caption, const QString& prompt, QString& text) mutable {
                ++asked;
                EXPECT_EQ(caption, QStringLiteral("Встановити"));
                EXPECT_EQ(prompt, QStringLiteral("Кількість районів"));
                EXPECT_TRUE(text.isEmpty());
                if (answers.isEmpty())
                    return false;
                text = answers.takeFirst();
                return true;
            });
    }
    QString statementPath() const { return context.file(QStringLiteral("Склад земель.xlsx")); }

    RecordingShell shell;
    int asked = 0;
};

} // namespace

TEST_F(FormAreasTest, TypedFieldsAndHandDistrictsAreStoredAndShownAgain) {
    answerCounts({"0", "1000", "-3", "abc", "3"});
    {
        WhenShown<TFormOtsenkaPloszhi> act([&](TFormOtsenkaPloszhi& form) {
            type(form, "EZagalna", "500,5");
            EXPECT_EQ(form.field("EZagalna")->text(), QStringLiteral("500.5"));
            EXPECT_EQ(form.EZagalna2->text(), QStringLiteral("500.5"));
            type(form, "EZabudovana", "10");
            type(form, "EOsg", "2");
            type(form, "EInshi", "x");
            EXPECT_EQ(form.EOcinochnaReal->text(), QStringLiteral("12.0000"));
            QTest::mouseDClick(form.EOcinochnaReal, Qt::LeftButton);
            EXPECT_EQ(form.field("EOcinochna")->text(), QStringLiteral("12.0000"));
            type(form, "ENoUsed1", "1234567890123456.12345"); // 16 digits and 5 decimals
            EXPECT_EQ(form.field("ENoUsed1")->text(), QStringLiteral("123456789012345.1234"));

            form.PageControl->setCurrentIndex(1);
            QTest::mouseClick(form.BRaionsFromUser, Qt::LeftButton);
            EXPECT_EQ(asked, 5);
            EXPECT_EQ(form.ERaions->text(), QStringLiteral("3"));
            EXPECT_EQ(form.districts().colTexts(0).mid(1), QStringList({"1", "2", "3"}));
            editCell(form, 1, 1, QStringLiteral("40.25"));
            editCell(form, 3, 1, QStringLiteral("2"));
            editCell(form, 2, 3, QStringLiteral("вздовж річки"));
            EXPECT_EQ(form.ESummCalc->text(), QStringLiteral("42.2500"));
            EXPECT_EQ(form.ESummMap->text(), QStringLiteral("0.0000"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepAreas(context, nullptr));
        EXPECT_EQ(indicator("Загальна площа населеного пункту"), QStringLiteral("500.5"));
        EXPECT_EQ(indicator("Оціночна територія"), QStringLiteral("12.0000"));
        EXPECT_EQ(indicator("Інші землі"), QString()); // "x" is not a number and was dropped
        EXPECT_EQ(indicator("Кількість районів"), QStringLiteral("3"));
    }

    WhenShown<TFormOtsenkaPloszhi> again([](TFormOtsenkaPloszhi& form) {
        EXPECT_EQ(form.field("EZabudovana")->text(), QStringLiteral("10"));
        EXPECT_EQ(form.EZagalna2->text(), QStringLiteral("500.5"));
        EXPECT_EQ(form.EOcinochnaReal->text(), QStringLiteral("12.0000"));
        EXPECT_EQ(form.ERaions->text(), QStringLiteral("3"));
        EXPECT_EQ(form.districts().rowTexts(2),
                  QStringList({"2", "", "0.0000", QStringLiteral("вздовж річки")}));
        EXPECT_EQ(form.ESummCalc->text(), QStringLiteral("42.2500"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepAreas(context, nullptr));
    EXPECT_EQ(again.shown, 1);
}

TEST_F(FormAreasTest, CancellingTheCountQueryLeavesTheDistrictsAlone) {
    answerCounts({"abc"});          // then cancel
    messages.answer({Answer::Yes}); // the typed district may be replaced
    TFormOtsenkaPloszhi form(context);
    form.districts().setRowTexts(1, {"4", "1", "", ""});
    form.BRaionsFromUserClick();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(form.districts().rowTexts(1), QStringList({"4", "1", "", ""}));
}

TEST_F(FormAreasTest, DistrictsFromTheMapAndTheirMessages) {
    TFormOtsenkaPloszhi form(context);
    form.BRaionsFromMapClick();
    EXPECT_EQ(messages.texts("warning"), QStringList({"На мапі не знайдено районів."}));
    AddDistrictLayer(map, context.folder, {{"10", 100}, {"2", 200}, {"007", 50}, {"1", 300}});
    form.BRaionsFromMapClick();
    EXPECT_EQ(form.ERaions->text(), QStringLiteral("4"));
    EXPECT_EQ(form.districts().colTexts(0).mid(1), QStringList({"1", "2", "7", "10"}));
    EXPECT_EQ(form.ESummCalc->text(), QStringLiteral("14.2500"));
    EXPECT_EQ(form.ESummMap->text(), QStringLiteral("14.2500"));
    // What the areas were read from goes with them, for the check to follow the layer.
    ASSERT_EQ(form.data().mapLayers.size(), 1u);
    EXPECT_EQ(form.data().mapLayers[0].layer, QStringLiteral("райони"));
    EXPECT_EQ(form.data().mapLayers[0].fingerprint.size(), 16);
    ASSERT_TRUE(StoreAreas(project, form.data(), nullptr));
    EXPECT_EQ(column(QStringLiteral("SELECT крок || ':' || шар FROM шари_кроків")),
              QStringList{QStringLiteral("Визначення площ:райони")});

    form.BOpenMapClick();
    EXPECT_EQ(shell.opened, QStringList({context.file(QStringLiteral("райони.tab"))}));
}

TEST_F(FormAreasTest, ALayerWithoutDistrictNumbersChangesNothing) {
    AddDistrictLayer(map, context.folder, {{"1", 100}}, false);
    TFormOtsenkaPloszhi form(context);
    form.BRaionsFromMapClick();
    ASSERT_EQ(messages.texts("warning").size(), 1);
    EXPECT_TRUE(messages.last().text.contains("Raion"));
    EXPECT_TRUE(GridIsEmpty(form.districts()));
}

TEST_F(FormAreasTest, TheStatementFillsTheFieldsThroughTheJob) {
    TFormOtsenkaPloszhi form(context);
    type(form, "EOsg", "77");
    // The template's statement has no owners yet: no areas to take.
    ASSERT_TRUE(QFile::exists(statementPath()));
    form.BGetExcelClick();
    ASSERT_EQ(messages.texts("warning").size(), 1);
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("не містить площ")));
    EXPECT_EQ(form.field("EOsg")->text(), QStringLiteral("77"));
    // Without a statement at all.
    QFile::remove(statementPath());
    form.BGetExcelClick();
    ASSERT_EQ(messages.texts("warning").size(), 2);
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("Склад земель.xlsx")));
    EXPECT_EQ(form.field("EOsg")->text(), QStringLiteral("77"));
    messages.clear();

    WriteStatement(statementPath(), 20,
                   {{4, "520.25"}, {5, "40"}, {16, "30"}, {17, "1.5"}, {37, "100"}, {40, "12"}});
    // The typed 77 would be replaced: asked first, and kept when not agreed.
    form.BGetExcelClick();
    EXPECT_EQ(messages.texts("confirm"),
              QStringList({"Буде замінено площі, уведені в полях, площами з відомості "
                           "\"Склад земель\". Продовжити?"}));
    EXPECT_EQ(form.field("EOsg")->text(), QStringLiteral("77"));
    EXPECT_EQ(form.field("EZagalna")->text(), QString());
    messages.clear();
    messages.answer({Answer::Yes});
    form.BGetExcelClick();
    EXPECT_EQ(messages.texts("confirm").size(), 1);
    messages.clear();
    form.BGetExcelClick(); // the same areas again: nothing typed to lose, no question
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form.field("EZagalna")->text(), QStringLiteral("520.2500"));
    EXPECT_EQ(form.EZagalna2->text(), QStringLiteral("520.2500"));
    EXPECT_EQ(form.field("EOsg")->text(), QStringLiteral("31.5000"));
    EXPECT_EQ(form.field("EZabudovana")->text(), QStringLiteral("100.0000"));
    EXPECT_EQ(form.field("EOcinochna")->text(), QStringLiteral("143.5000"));
    EXPECT_EQ(form.EOcinochnaReal->text(), QStringLiteral("143.5000"));
    EXPECT_FALSE(form.FLoading);

    form.BOpenExcelClick();
    EXPECT_EQ(shell.opened, QStringList({statementPath()}));
}

TEST_F(FormAreasTest, ABrokenOrEmptyStatementChangesNoField) {
    TFormOtsenkaPloszhi form(context);
    type(form, "EZagalna", "5");
    WriteTextFile(statementPath(), QStringLiteral("це не книга"));
    form.BGetExcelClick();
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Файл має неправильний формат або не існує.")));
    EXPECT_EQ(form.field("EZagalna")->text(), QStringLiteral("5"));

    WriteStatement(statementPath(), 0, {}); // titles only: the totals row is row 10
    form.BGetExcelClick();
    ASSERT_EQ(messages.texts("warning").size(), 1);
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("рядок 10")));
    EXPECT_EQ(form.field("EZagalna")->text(), QStringLiteral("5"));
    EXPECT_EQ(form.field("EZabudovana")->text(), QString());
}

TEST_F(FormAreasTest, ABadNumberKeepsTheWindowOpenAtItsCell) {
    WhenShown<TFormOtsenkaPloszhi> act([&](TFormOtsenkaPloszhi& form) {
        type(form, "EZabudovana3", "-4");
        QTest::mouseClick(form.BSave, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.PageControl->currentIndex(), 0);
        ASSERT_EQ(messages.texts("balloon").size(), 1);
        EXPECT_EQ(messages.last().control, form.field("EZabudovana3"));
        type(form, "EZabudovana3", "4");
        answerCounts({"2"});
        form.BRaionsFromUserClick();
        editCell(form, 2, 0, QStringLiteral("1"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
        EXPECT_EQ(form.PageControl->currentIndex(), 1);
        EXPECT_EQ(messages.last().control, form.GridRaions);
        EXPECT_EQ(form.GridRaions->currentGridRow(), 2);
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepAreas(context, nullptr));
    EXPECT_EQ(indicator("Забудована територія, землі комерційні"), QString());
}

TEST_F(FormAreasTest, AFailedStoreBringsTheWindowBackWithTheTypedValues) {
    exec("CREATE TRIGGER refuse BEFORE INSERT ON характеристика WHEN NEW.показник = 'Площі "
         "районів' BEGIN SELECT RAISE(ABORT, 'відмовлено'); END");
    answerCounts({"2"});
    WhenShown<TFormOtsenkaPloszhi> act([&](TFormOtsenkaPloszhi& form) {
        type(form, "EZagalna", "321");
        form.BRaionsFromUserClick();
        editCell(form, 1, 1, QStringLiteral("7.5"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    act.then([&](TFormOtsenkaPloszhi& form) {
        EXPECT_EQ(form.field("EZagalna")->text(), QStringLiteral("321"));
        EXPECT_EQ(form.districts().rowTexts(1), QStringList({"1", "7.5", "0.0000", ""}));
        exec("DROP TRIGGER refuse");
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepAreas(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.texts("error").first().startsWith(
        QStringLiteral("Оновлення даних у базі даних.\rПомилка: відмовлено")));
    EXPECT_EQ(indicator("Загальна площа населеного пункту"), QStringLiteral("321"));
    EXPECT_EQ(column("SELECT значення FROM характеристика WHERE показник='Площі районів' "
                     "ORDER BY id"),
              QStringList({"7.5", ""}));
}

TEST_F(FormAreasTest, AFailedReadShowsTheErrorAndNoWindow) {
    exec("DROP TABLE характеристика");
    WhenShown<TFormOtsenkaPloszhi> act([](TFormOtsenkaPloszhi&) {});
    EXPECT_FALSE(OpenStepAreas(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Вибірка із бази \"характеристика\"\rПодробиці: ")));
}
