#include "steps/agricultural/ui/FormOtsenkaUgodia.h"

#include "steps/agricultural/ui/SoilKindPage.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"
#include "widgets/PopupButton.h"
#include "widgets/StringGridModel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class OpenStepAgriculturalTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        exec(QStringLiteral("INSERT INTO угіддя (тип,шифр,бал_бонітету,площа,вартість) VALUES "
                            "('1','41г','40','12.5','1.00'),('1','53.2Г','45','3',''),"
                            "('1*','','50','','30000.00'),('4','41г','30','8','')"));
    }

    QStringList stored() {
        return column(QStringLiteral("SELECT тип||'|'||ifnull(шифр,'')||'|'||ifnull(бал_бонітету,"
                                     "'')||'|'||ifnull(площа,'')||'|'||ifnull(вартість,'') FROM "
                                     "угіддя ORDER BY id"));
    }

    /** Types into the edit as the user does, character by character. */
    static void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    /** The user's edit of a cell, as the grid's editor stores it. */
    static void editCell(GridView* view, int row, int col, const QString& text) {
        StringGridModel* model = view->gridModel();
        model->setData(model->index(model->modelRow(row), col), text);
    }

    QApplication& application = TestApplication();
};

} // namespace

TEST_F(OpenStepAgriculturalTest, SoilsAreAddedAppliedValuedIndexedAndStored) {
    WhenShown<TFormOtsenkaUgodia> act([this](TFormOtsenkaUgodia& form) {
        EXPECT_EQ(form.PageControl1->currentIndex(), 0);
        CheckList* list = form.PanelGrunty->list();
        ASSERT_EQ(list->count(), 2);
        EXPECT_TRUE(list->isChecked(0) && list->isChecked(1));
        EXPECT_FALSE(form.BSetGrunty->isEnabled());
        EXPECT_GT(form.EGruntList->count(), 10);

        // No group number: refused at the field.
        QTest::mouseClick(form.NewBtn, Qt::LeftButton);
        EXPECT_EQ(messages.last().text, QStringLiteral("Немає значення."));
        EXPECT_EQ(messages.last().control, form.EGruntShifr);

        // 53.2г is the listed 53.2Г.
        type(form.EGruntShifr, QStringLiteral("53"));
        form.EGruntNaklon->setCurrentIndex(form.EGruntNaklon->findText(QStringLiteral(".2")));
        form.EGruntTip->setCurrentIndex(4);
        QTest::mouseClick(form.NewBtn, Qt::LeftButton);
        EXPECT_EQ(messages.last().text, QStringLiteral("Грунт вже є у списку."));
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(list->count(), 2);

        // A catalogue soil fills the fields and is added as it stands.
        const int soil = form.EGruntList->findText(QStringLiteral("13г"), Qt::MatchStartsWith);
        ASSERT_GE(soil, 0);
        form.EGruntList->setCurrentIndex(soil);
        form.EGruntListChange(soil);
        EXPECT_EQ(form.EGruntShifr->text(), QStringLiteral("13г"));
        EXPECT_EQ(form.EGruntTip->currentIndex(), 0);
        QTest::mouseClick(form.NewBtn, Qt::LeftButton);
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->itemText(2), QStringLiteral("13г"));
        EXPECT_TRUE(form.BSetGrunty->isEnabled());

        // Unchecking 41г, which holds typed values, asks first; agreed, its rows go off
        // every kind.
        list->setChecked(0, false);
        QTest::mouseClick(form.BSetGrunty, Qt::LeftButton);
        EXPECT_EQ(list->count(), 3);
        EXPECT_EQ(form.kindPage(1)->grid().at(1, ColSoilCode), QStringLiteral("41г"));
        EXPECT_EQ(messages.last().text,
                  QStringLiteral("Буде вилучено рядки грунтів без позначки разом з уведеними в "
                                 "них значеннями: 41г. Продовжити?"));
        messages.answer({Answer::Yes});
        QTest::mouseClick(form.BSetGrunty, Qt::LeftButton);
        EXPECT_FALSE(form.BSetGrunty->isEnabled());
        SoilKindPage* arable = form.kindPage(1);
        EXPECT_EQ(arable->grid().colTexts(0).mid(1), QStringList({"53.2Г", "13г"}));
        EXPECT_EQ(form.kindPage(4)->grid().colTexts(0).mid(1), QStringList({"53.2Г", "13г"}));

        // The indexation does nothing on "Грунти"; on the arable page it scales and revalues.
        form.POPUP_INDEXClick(QStringLiteral("* 1.250   - 2015"));
        EXPECT_EQ(arable->EBazovaCina->text(), QStringLiteral("30000.00"));
        form.PageControl1->setCurrentIndex(1);
        EXPECT_EQ(arable->PopupButtonIndex->menu(), form.PopupMenuIndex);
        EXPECT_FALSE(form.PopupMenuIndex->actions().isEmpty());
        form.POPUP_INDEXClick(QStringLiteral("* 1.250   - 2015"));
        EXPECT_EQ(arable->EBazovaCina->text(), QStringLiteral("37500.00"));
        EXPECT_EQ(arable->grid().at(1, ColSoilValue), QStringLiteral("33750.00"));
        // A second choice replaces the first, and the label says what was applied.
        form.POPUP_INDEXClick(QStringLiteral("* 1.250   - 2015"));
        EXPECT_EQ(arable->EBazovaCina->text(), QStringLiteral("37500.00"));
        EXPECT_EQ(arable->LabelIndex->text(),
                  QStringLiteral("з урахуванням індексації: 30000.00 × 1.250 (за 2015 р.)"));

        // Soil codes come from the list: a code the catalogue lacks is refused at the grid,
        // a catalogue code chosen there joins the working soils.
        GridView* soils = arable->GridUgodia;
        EXPECT_TRUE(soils->column(ColSoilCode).comboOnly);
        editCell(soils, 1, ColSoilCode, QStringLiteral("41"));
        EXPECT_EQ(arable->grid().at(1, ColSoilCode), QStringLiteral("53.2Г"));
        EXPECT_TRUE(messages.last().text.contains(QStringLiteral("\"41\" немає в довіднику")));
        EXPECT_EQ(messages.last().control, soils);
        editCell(soils, 2, ColSoilCode, QStringLiteral("45Г"));
        EXPECT_EQ(arable->grid().at(2, ColSoilCode), QStringLiteral("45г"));
        ASSERT_EQ(list->count(), 4);
        EXPECT_EQ(list->itemText(3), QStringLiteral("45г"));
        EXPECT_TRUE(list->isChecked(3));
        editCell(soils, 2, ColSoilCode, QStringLiteral("13г"));

        // Letters, commas and a sixteenth digit are cleaned as typed.
        type(arable->ESeredniyBall, QStringLiteral("4x5,5"));
        EXPECT_EQ(arable->ESeredniyBall->text(), QStringLiteral("45.5"));
        type(arable->ESeredniyBall, QStringLiteral("1234567890123456"));
        EXPECT_EQ(arable->ESeredniyBall->text(), QStringLiteral("123456789012345"));
        type(arable->ESeredniyBall, QStringLiteral("50"));

        // A value typed into a row without a code is erased; with a code it is valued.
        editCell(arable->GridUgodia, 2, ColSoilScore, QStringLiteral("40"));
        EXPECT_TRUE(arable->grid().at(2, ColSoilValue).isEmpty());
        editCell(arable->GridUgodia, 2, ColSoilArea, QStringLiteral("2.5"));
        EXPECT_EQ(arable->grid().at(2, ColSoilValue), QStringLiteral("30000.00"));
        arable->grid().insertRows(3);
        editCell(arable->GridUgodia, 3, ColSoilScore, QStringLiteral("41"));
        EXPECT_TRUE(arable->grid().at(3, ColSoilScore).isEmpty());

        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepAgricultural(context, nullptr));
    EXPECT_EQ(column(QStringLiteral("SELECT до_індексації||'|'||індексація FROM угіддя WHERE "
                                    "тип='1*'")),
              QStringList({"30000.00|* 1.250 - 2015"}));
    EXPECT_EQ(stored(),
              QStringList({"1|53.2Г|45|3|33750.00", "1|13г|40|2.5|30000.00", "1*||50||37500.00",
                           "2|53.2Г|||", "2|13г|||", "2*||||", "3|53.2Г|||", "3|13г|||", "3*||||",
                           "4|53.2Г|||", "4|13г|||", "4*||||"}));
}

TEST_F(OpenStepAgriculturalTest, AFailedStoreKeepsTheWorkAndCancelStoresNothing) {
    const QStringList before = stored();
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON угіддя WHEN NEW.тип = '2*' AND "
                        "NEW.вартість = '999' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    WhenShown<TFormOtsenkaUgodia> act([](TFormOtsenkaUgodia& form) {
        form.kindPage(2)->EBazovaCina->setText(QStringLiteral("999"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QString shownAgain;
    act.then([&shownAgain](TFormOtsenkaUgodia& form) {
        shownAgain = form.kindPage(2)->EBazovaCina->text();
        QTest::mouseClick(form.BCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(OpenStepAgricultural(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    EXPECT_EQ(shownAgain, QStringLiteral("999"));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("error"))
                    .first()
                    .startsWith(QStringLiteral("Оновлення даних у базі даних.\rПомилка: refused")));
    EXPECT_EQ(stored(), before);
}

TEST_F(OpenStepAgriculturalTest, AFailedReadIsReportedAndTheWindowStaysShut) {
    exec(QStringLiteral("DROP TABLE угіддя"));
    WhenShown<TFormOtsenkaUgodia> act([](TFormOtsenkaUgodia&) {});
    EXPECT_FALSE(OpenStepAgricultural(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    EXPECT_TRUE(
        messages.last().text.startsWith(QStringLiteral("Вибірка із бази \"угіддя\"\rПодробиці: ")));
}
