#include "steps/info/FormOtsenkaInfo.h"

#include "steps/info/InfoStep.h"
#include "tests/steps/info/InfoTestData.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

class FormOtsenkaInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        StringGrid& rows = form.rows();
        rows.setRowCount(3);
        rows.setRowTexts(1, {InfoAreaName(), QStringLiteral("12,5")});
        rows.setRowTexts(2, {InfoPopulationName(), QStringLiteral("abc")});
        form.refreshRows();
        form.show();
    }

    RecordingMessages messages;
    QApplication& application = TestApp();
    TFormOtsenkaInfo form;
};

} // namespace

TEST_F(FormOtsenkaInfoTest, CaptionsAndButtons) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Інформація"));
    EXPECT_EQ(form.BSave->text(), QStringLiteral("Зберігти"));
    EXPECT_EQ(form.BCancel->text(), QStringLiteral("Скасувати"));
    EXPECT_EQ(form.rows().at(0, 0), QStringLiteral("Показник"));
    EXPECT_EQ(form.rows().at(0, 1), QStringLiteral("Значення"));
}

TEST_F(FormOtsenkaInfoTest, SaveWithBadNumberKeepsTheWindowOpen) {
    QTest::mouseClick(form.BSave, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.rows().at(1, 1), QStringLiteral("12.5000"));
    EXPECT_EQ(form.ListBoxData->currentGridRow(), 2);
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")).size(), 1);
    EXPECT_EQ(messages.last().control, form.ListBoxData);

    form.rows().set(2, 1, QStringLiteral("4,1"));
    QTest::mouseClick(form.BSave, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormOtsenkaInfo::ResultSave);
    EXPECT_EQ(form.rows().at(2, 1), QStringLiteral("4.1000"));
}

TEST_F(FormOtsenkaInfoTest, CancelClosesWithTwo) {
    QTest::mouseClick(form.BCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormOtsenkaInfo::ResultCancel);
}

TEST_F(FormOtsenkaInfoTest, EscapeCancelsWithTwo) {
    form.ListBoxData->setFocus();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormOtsenkaInfo::ResultCancel);
}

TEST_F(FormOtsenkaInfoTest, RowsAreAddedByKeyAndButtonButNeverDeleted) {
    form.ListBoxData->setCurrentCell(2, 1);
    form.ListBoxData->setFocus();
    QTest::keyClick(form.ListBoxData, Qt::Key_Down);
    EXPECT_EQ(form.rows().rowCount(), 4);
    EXPECT_EQ(form.ListBoxData->currentGridRow(), 3);
    QTest::keyClick(form.ListBoxData, Qt::Key_Insert);
    EXPECT_EQ(form.rows().rowCount(), 5);
    QTest::mouseClick(form.BAddRow, Qt::LeftButton);
    EXPECT_EQ(form.rows().rowCount(), 6);
    form.ListBoxData->setCurrentCell(1, 1);
    QTest::keyClick(form.ListBoxData, Qt::Key_Delete);
    EXPECT_EQ(form.rows().rowCount(), 6);
    EXPECT_EQ(form.rows().at(1, 0), InfoAreaName());
}

TEST_F(FormOtsenkaInfoTest, TypedNameIsStoredInTheRow) {
    QApplication::setActiveWindow(&form);
    QTest::mouseClick(form.BAddRow, Qt::LeftButton);
    ASSERT_EQ(form.ListBoxData->currentGridRow(), 3);
    // The first key opens the cell's editor, which takes the rest.
    QTest::sendKeyEvent(QTest::Click, form.ListBoxData, Qt::Key_unknown, QStringLiteral("Р"),
                        Qt::NoModifier);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    for (const QChar c : QStringLiteral("ада"))
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    // The edit is stored through queued events.
    for (int i = 0; i < 20 && form.rows().at(3, 0).isEmpty(); ++i)
        QApplication::processEvents();
    EXPECT_EQ(form.rows().at(3, 0), QStringLiteral("Рада"));
}

namespace {

/** Runs `act` on the step window once it is shown modally. */
void WhenShown(std::function<void(TFormOtsenkaInfo&)> act) {
    QTimer::singleShot(0, [act] {
        auto* form = qobject_cast<TFormOtsenkaInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        act(*form);
    });
}

class OpenStepInfoTest : public InfoDbTest {
protected:
    QApplication& application = TestApp();
};

} // namespace

TEST_F(OpenStepInfoTest, SaveStoresEditedRowsAndIndicators) {
    WhenShown([](TFormOtsenkaInfo& form) {
        EXPECT_EQ(form.rows().rowCount(), 4);
        form.rows().set(2, 1, QStringLiteral("12,5"));
        form.addRow();
        form.rows().setRowTexts(4, {QStringLiteral("Новий"), QStringLiteral("факт")});
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepInfo(nullptr));
    EXPECT_EQ(storedRows(), QStringList({QStringLiteral("Назва=Липове"),
                                         InfoAreaName() + QStringLiteral("=12.5000"),
                                         InfoPopulationName() + QStringLiteral("=2.5000"),
                                         QStringLiteral("Новий=факт")}));
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("12.5000"));
}

TEST_F(OpenStepInfoTest, CancelStoresNothing) {
    const QStringList before = storedRows();
    WhenShown([](TFormOtsenkaInfo& form) {
        form.rows().set(2, 1, QStringLiteral("99"));
        QTest::mouseClick(form.BCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(OpenStepInfo(nullptr));
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("10.0000"));
}

TEST_F(OpenStepInfoTest, FailedReadDoesNotOpenTheWindow) {
    exec(QStringLiteral("DROP TABLE показники"));
    bool shown = false;
    QTimer guard; // closes the window should it open, so the test cannot hang
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&shown] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = true;
            modal->close();
        }
    });
    guard.start(0);
    EXPECT_FALSE(OpenStepInfo(nullptr));
    EXPECT_FALSE(shown);
    EXPECT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
}
