#include "steps/info/ui/FormOtsenkaInfo.h"

#include "steps/info/InfoStep.h"
#include "tests/steps/info/InfoTestData.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Names.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace {

class OpenStepInfoTest : public InfoDbTest {
protected:
    QApplication& application = TestApplication();
};

} // namespace

TEST_F(OpenStepInfoTest, BadNumberKeepsTheWindowOpenThenSaveStores) {
    // A new settlement: no total area yet, so the list fills it.
    exec(QStringLiteral("UPDATE характеристика SET значення='' WHERE показник='") +
         names::ind::TotalArea() + u'\'');
    WhenShown<TFormOtsenkaInfo> act([this](TFormOtsenkaInfo& form) {
        ASSERT_EQ(form.rows().rowCount(), 4);
        form.rows().set(2, 1, QStringLiteral("12,5"));
        form.rows().set(3, 1, QStringLiteral("abc"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.rows().at(2, 1), QStringLiteral("12.5000"));
        EXPECT_EQ(form.ListBoxData->currentGridRow(), 3);
        ASSERT_EQ(messages.texts(QStringLiteral("balloon")).size(), 1);
        EXPECT_EQ(messages.last().control, form.ListBoxData);

        form.rows().set(3, 1, QStringLiteral("4,1"));
        form.addRow();
        form.rows().setRowTexts(4, {QStringLiteral("Новий"), QStringLiteral("факт")});
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepInfo(context, nullptr));
    EXPECT_EQ(storedRows(), QStringList({QStringLiteral("Назва=Липове"),
                                         InfoAreaName() + QStringLiteral("=12.5000"),
                                         InfoPopulationName() + QStringLiteral("=4.1000"),
                                         QStringLiteral("Новий=факт")}));
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("12.5000"));
    EXPECT_EQ(indicator(names::ind::Population()), QStringLiteral("4.1000"));
}

TEST_F(OpenStepInfoTest, EscapeCancelsWithTwoAndStoresNothing) {
    const QStringList before = storedRows();
    int result = -1;
    messages.answer({Answer::No}); // "Зберегти зміни?"
    WhenShown<TFormOtsenkaInfo> act([&result](TFormOtsenkaInfo& form) {
        form.rows().set(2, 1, QStringLiteral("99"));
        QTest::keyClick(&form, Qt::Key_Escape);
        result = form.result();
    });
    EXPECT_FALSE(OpenStepInfo(context, nullptr));
    EXPECT_EQ(result, TFormOtsenkaInfo::ResultCancel);
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("10.0000"));
}

TEST_F(OpenStepInfoTest, FailedReadIsReportedAndTheWindowStaysShut) {
    exec(QStringLiteral("DROP TABLE показники"));
    WhenShown<TFormOtsenkaInfo> act([](TFormOtsenkaInfo&) {});
    EXPECT_FALSE(OpenStepInfo(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Вибірка із бази \"Показники\"\rПодробиці: ")));
}

TEST_F(OpenStepInfoTest, RowsAreAddedByKeyAndButtonButNeverDeleted) {
    TFormOtsenkaInfo form(context);
    form.rows().setRowCount(3);
    form.refreshRows();
    form.show();
    form.ListBoxData->setCurrentCell(2, 1);
    form.ListBoxData->setFocus();
    QTest::keyClick(form.ListBoxData, Qt::Key_Down);
    EXPECT_EQ(form.rows().rowCount(), 4);
    EXPECT_EQ(form.ListBoxData->currentGridRow(), 3);
    QTest::keyClick(form.ListBoxData, Qt::Key_Insert);
    QTest::mouseClick(form.BAddRow, Qt::LeftButton);
    EXPECT_EQ(form.rows().rowCount(), 6);
    QTest::keyClick(form.ListBoxData, Qt::Key_Delete);
    EXPECT_EQ(form.rows().rowCount(), 6);
}

TEST_F(OpenStepInfoTest, FailedStoreBringsTheWindowBackWithWhatWasTyped) {
    exec(QStringLiteral("UPDATE характеристика SET значення='' WHERE показник='") +
         names::ind::TotalArea() + u'\'');
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON показники WHEN "
                        "NEW.показник = 'Зламаний' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const QStringList before = storedRows();
    WhenShown<TFormOtsenkaInfo> act([](TFormOtsenkaInfo& form) {
        form.rows().set(2, 1, QStringLiteral("55"));
        form.addRow();
        form.rows().setRowTexts(4, {QStringLiteral("Зламаний"), QStringLiteral("1")});
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QStringList shownAgain;
    act.then([&shownAgain](TFormOtsenkaInfo& form) {
        shownAgain = form.rows().colTexts(1);
        form.rows().setRowTexts(4, {QStringLiteral("Справний"), QStringLiteral("1")});
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepInfo(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("error"))
                    .first()
                    .startsWith(QStringLiteral("Оновлення даних у базі даних.\rПомилка: refused")));
    EXPECT_EQ(shownAgain.mid(1), QStringList({QStringLiteral("Липове"), QStringLiteral("55.0000"),
                                              QStringLiteral("2.5000"), QStringLiteral("1")}));
    EXPECT_NE(storedRows(), before);
    EXPECT_EQ(storedRows().last(), QStringLiteral("Справний=1"));
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("55.0000"));
}
