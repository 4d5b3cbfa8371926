#include "common/ui/QtMessages.h"
#include "tests/support/TestSupport.h"
#include "widgets/BalloonHint.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {
/** Records the boxes instead of showing them and presses a chosen button. */
class ScriptedMessages final : public QtMessages {
public:
    QMessageBox::StandardButton press = QMessageBox::NoButton;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int beeps = 0;
    void beep() override { ++beeps; }

protected:
    QMessageBox::StandardButton run(QMessageBox& box) override {
        caption = box.windowTitle();
        text = box.text();
        icon = box.icon();
        buttons = box.standardButtons();
        return press;
    }
};
} // namespace

TEST(QtMessages, EveryAnswerHasItsButtonBothWays) {
    const Answer all[] = {Answer::Yes,    Answer::No,      Answer::Ok,
                          Answer::Cancel, Answer::Abort,   Answer::Retry,
                          Answer::Ignore, Answer::NoToAll, Answer::YesToAll};
    Buttons every = 0;
    for (Answer a : all) {
        const QMessageBox::StandardButtons mapped = ToStandardButtons(buttons(a));
        EXPECT_EQ(FromStandardButton(static_cast<QMessageBox::StandardButton>(mapped.toInt())), a);
        every |= static_cast<unsigned>(a);
    }
    const QMessageBox::StandardButtons both = ToStandardButtons(Answer::Ok | Answer::Cancel);
    EXPECT_EQ(both, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(ToStandardButtons(every).toInt(),
              (QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel |
               QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore |
               QMessageBox::NoToAll | QMessageBox::YesToAll)
                  .toInt());
    EXPECT_EQ(ToStandardButtons(0), QMessageBox::Ok);
    EXPECT_EQ(FromStandardButton(QMessageBox::Help), Answer::None);
}

TEST(QtMessages, BoxesCarryTheProgramsCaptionsAndIcons) {
    ScriptedMessages m;
    m.error(QStringLiteral("Запуск"), QStringLiteral("a.doc\rThe specified file was not found."));
    EXPECT_EQ(m.caption, QStringLiteral("Запуск"));
    EXPECT_EQ(m.icon, QMessageBox::Critical);
    EXPECT_EQ(m.text, QStringLiteral("a.doc\nThe specified file was not found."));
    m.warning(QStringLiteral("Розрахунок не заповнено!"));
    EXPECT_EQ(m.caption, QStringLiteral("Увага"));
    EXPECT_EQ(m.icon, QMessageBox::Warning);
    m.info(QStringLiteral("Завершено."));
    EXPECT_EQ(m.caption, QStringLiteral("Інформація"));
    EXPECT_EQ(m.icon, QMessageBox::Information);
}

TEST(QtMessages, ConfirmBeepsShowsExactlyTheAskedButtonsAndMapsTheAnswer) {
    ScriptedMessages m;
    m.press = QMessageBox::Cancel;
    EXPECT_EQ(m.confirm(QStringLiteral("Видалити поточний запис?"), Answer::Ok | Answer::Cancel),
              Answer::Cancel);
    EXPECT_EQ(m.beeps, 1);
    EXPECT_EQ(m.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    m.press = QMessageBox::YesToAll;
    EXPECT_EQ(m.confirm(QStringLiteral("?"),
                        Answer::Yes | Answer::No | Answer::YesToAll | Answer::NoToAll),
              Answer::YesToAll);
    EXPECT_EQ(m.buttons,
              QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll);
}

TEST(QtMessages, ClosingTheQuestionCountsAsItsEscapeButton) {
    ScriptedMessages m;
    m.press = QMessageBox::NoButton;
    EXPECT_EQ(m.confirm(QStringLiteral("?"), Answer::Ok | Answer::Cancel), Answer::Cancel);
    EXPECT_EQ(m.confirm(QStringLiteral("?"), Answer::Yes | Answer::No), Answer::No);
    EXPECT_EQ(m.confirm(QStringLiteral("?"), buttons(Answer::Ok)), Answer::Ok);
}

TEST(QtMessages, BalloonGoesToTheProgramsBalloon) {
    ScriptedMessages m;
    QLineEdit edit;
    edit.show();
    m.balloon(QStringLiteral("Пошук"), QStringLiteral("\"ab\" не знайдено."), 1, &edit);
    EXPECT_EQ(BalloonHint::instance().text(), QStringLiteral("\"ab\" не знайдено."));
    EXPECT_EQ(BalloonHint::instance().control(), &edit);
    BalloonHint::instance().hide();
}
