#include "common/GlobalVar.h"
#include "common/ui/EditFilters.h"
#include "common/ui/InputQuery.h"
#include "common/ui/UserColors.h"
#include "tests/support/TestSupport.h"

#include <QColorDialog>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(InputQuery, AHookAnswersInsteadOfTheWindow) {
    QStringList asked;
    int calls = 0;
    InputQueryHook previous =
        SetInputQueryHook([&](const QString& caption, const QString& prompt, QString& text) {
            asked << caption + u'|' + prompt + u'|' + text;
            text = QStringLiteral("12");
            return ++calls == 1;
        });
    QString text;
    EXPECT_TRUE(
        InputQuery(QStringLiteral("Встановити"), QStringLiteral("Кількість районів"), text));
    EXPECT_EQ(text, QStringLiteral("12"));
    EXPECT_FALSE(InputQuery(QStringLiteral("Нова папка"), QStringLiteral("Ім'я папки"), text));
    EXPECT_EQ(asked, QStringList({QStringLiteral("Встановити|Кількість районів|"),
                                  QStringLiteral("Нова папка|Ім'я папки|12")}));
    SetInputQueryHook(previous);
}

TEST(EditFilters, NumberFilterCleansNowAndOnEveryChange) {
    RecordingMessages messages;
    QLineEdit edit(QStringLiteral("1,23456"));
    FilterEditNumber(&edit, 12, 4);
    EXPECT_EQ(edit.text(), QStringLiteral("1.2345"));
    EXPECT_EQ(messages.beeps, 1);
    edit.setText(QStringLiteral("-7-"));
    EXPECT_EQ(edit.text(), QStringLiteral("-7"));
    EXPECT_EQ(messages.beeps, 2);
    // Called again from a change handler it only changes the limits.
    FilterEditNumber(&edit, 15, 2);
    edit.setText(QStringLiteral("3.141"));
    EXPECT_EQ(edit.text(), QStringLiteral("3.14"));
}

TEST(EditFilters, CharsFilterKeepsTheSetWithoutABeep) {
    RecordingMessages messages;
    QLineEdit edit(QStringLiteral("2024-01-0x5"));
    FilterEditChars(&edit, QStringLiteral("0123456789-"));
    EXPECT_EQ(edit.text(), QStringLiteral("2024-01-05"));
    EXPECT_EQ(messages.beeps, 0);
}

TEST(UserColors, CustomColoursSurviveAFileRoundTrip) {
    TempAppDir app;
    QColorDialog::setCustomColor(3, QColor(0x12, 0x34, 0x56));
    SaveUserColors(UserColorsPath());
    EXPECT_TRUE(QFile::exists(app.file(QStringLiteral("usercolors.dat"))));
    QColorDialog::setCustomColor(3, Qt::white);
    LoadUserColors(UserColorsPath());
    EXPECT_EQ(QColorDialog::customColor(3), QColor(0x12, 0x34, 0x56));
    // A damaged or missing file changes nothing and reports nothing.
    WriteTextFile(UserColorsPath(), QStringLiteral("ColorD=zz\nгарбуз\n"));
    LoadUserColors(UserColorsPath());
    LoadUserColors(app.file(QStringLiteral("немає.dat")));
    EXPECT_EQ(QColorDialog::customColor(3), QColor(0x12, 0x34, 0x56));
}
