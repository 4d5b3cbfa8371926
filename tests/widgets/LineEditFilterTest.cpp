#include "widgets/LineEditFilter.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
} // namespace

TEST(LineEditFilter, NumberEditFollowsTheTypingRules) {
    RecordingMessages messages;
    QLineEdit edit;
    LineEditFilter::installNumber(&edit, 12, 4);
    typeText(&edit, QStringLiteral("-12,3456"));
    EXPECT_EQ(edit.text(), QStringLiteral("-12.3456"));
    EXPECT_EQ(messages.beeps, 0);
    typeText(&edit, QStringLiteral("7"));
    EXPECT_EQ(edit.text(), QStringLiteral("-12.3456"));
    EXPECT_EQ(messages.beeps, 1);
    edit.clear();
    typeText(&edit, QStringLiteral("5-"));
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    EXPECT_EQ(messages.beeps, 2);
}

TEST(LineEditFilter, PastedTextIsCleanedWithOneBeepAndTheCaretKeepsItsPlace) {
    RecordingMessages messages;
    QLineEdit edit;
    LineEditFilter::installNumber(&edit, 15, 2);
    edit.setText(QStringLiteral("1a2b3"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    EXPECT_EQ(messages.beeps, 1);
    edit.setText(QStringLiteral("45"));
    edit.setCursorPosition(1);
    edit.insert(QStringLiteral("xy"));
    EXPECT_EQ(edit.text(), QStringLiteral("45"));
    EXPECT_EQ(edit.cursorPosition(), 1);
}

TEST(LineEditFilter, WholeNumbersAcceptNoPoint) {
    RecordingMessages messages;
    QLineEdit edit;
    LineEditFilter::installNumber(&edit, 3, 0);
    typeText(&edit, QStringLiteral("12.34"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
}

TEST(LineEditFilter, CharsFilterIsSilentAndReinstallingChangesTheRules) {
    RecordingMessages messages;
    QLineEdit edit;
    LineEditFilter* first = LineEditFilter::installChars(&edit, QStringLiteral("0123456789:"));
    typeText(&edit, QStringLiteral("12:3x0"));
    EXPECT_EQ(edit.text(), QStringLiteral("12:30"));
    EXPECT_EQ(messages.beeps, 0);
    LineEditFilter* second = LineEditFilter::installChars(&edit, QStringLiteral("0123456789"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->apply(), 1);
    EXPECT_EQ(edit.text(), QStringLiteral("1230"));
}

TEST(LineEditFilter, UserEditsOnlyLeavesProgramTextAlone) {
    RecordingMessages messages;
    QLineEdit edit;
    LineEditFilter::installNumber(&edit, 15, 4, true);
    edit.setText(QStringLiteral("12,5 га"));
    EXPECT_EQ(edit.text(), QStringLiteral("12,5 га"));
    edit.clear();
    typeText(&edit, QStringLiteral("1,5"));
    EXPECT_EQ(edit.text(), QStringLiteral("1.5"));
}
