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

/** Runs `act` on the window shown modally; closes any window left open so nothing hangs. */
class WhenShown {
public:
    explicit WhenShown(std::function<void(TFormOtsenkaInfo&)> act) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this, act] {
            if (auto* form = qobject_cast<TFormOtsenkaInfo*>(QApplication::activeModalWidget())) {
                shown = true;
                act(*form);
                form->close();
            }
        });
        m_timer.start(0);
    }
    bool shown = false;

private:
    QTimer m_timer;
};

class OpenStepInfoTest : public InfoDbTest {
protected:
    QApplication& application = TestApplication();
};

} // namespace

TEST_F(OpenStepInfoTest, BadNumberKeepsTheWindowOpenThenSaveStores) {
    WhenShown act([this](TFormOtsenkaInfo& form) {
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
    EXPECT_TRUE(OpenStepInfo(nullptr));
    EXPECT_EQ(storedRows(), QStringList({QStringLiteral("Назва=Липове"),
                                         InfoAreaName() + QStringLiteral("=12.5000"),
                                         InfoPopulationName() + QStringLiteral("=4.1000"),
                                         QStringLiteral("Новий=факт")}));
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("12.5000"));
    EXPECT_EQ(indicator(InfoPopulationIndicator()), QStringLiteral("4.1000"));
}

TEST_F(OpenStepInfoTest, EscapeCancelsWithTwoAndStoresNothing) {
    const QStringList before = storedRows();
    int result = -1;
    WhenShown act([&result](TFormOtsenkaInfo& form) {
        form.rows().set(2, 1, QStringLiteral("99"));
        QTest::keyClick(&form, Qt::Key_Escape);
        result = form.result();
    });
    EXPECT_FALSE(OpenStepInfo(nullptr));
    EXPECT_EQ(result, TFormOtsenkaInfo::ResultCancel);
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("10.0000"));
}

TEST_F(OpenStepInfoTest, FailedReadIsReportedAndTheWindowStaysShut) {
    exec(QStringLiteral("DROP TABLE показники"));
    WhenShown act([](TFormOtsenkaInfo&) {});
    EXPECT_FALSE(OpenStepInfo(nullptr));
    EXPECT_FALSE(act.shown);
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Вибірка із бази \"Показники\"\rПодробиці: ")));
}

TEST_F(OpenStepInfoTest, RowsAreAddedByKeyAndButtonButNeverDeleted) {
    TFormOtsenkaInfo form;
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
