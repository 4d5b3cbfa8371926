#include "common/Messages.h"
#include "common/Shell.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Messages, ErrorDefaultsItsCaptionAndSkipsEmptyText) {
    RecordingMessages messages;
    ShowError(QString());
    EXPECT_TRUE(messages.messages.empty());
    ShowError(QStringLiteral("Збій"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Ошибка"));
    ShowError(QStringLiteral("Запуск"), QStringLiteral("x"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Запуск"));
}

TEST(Shell, MissingDocumentReportsFileNotFound) {
    RecordingMessages messages;
    RecordingShell shell;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/руководство.doc");
    EXPECT_EQ(ShellOpen(path), 2);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Запуск"));
    EXPECT_EQ(messages.last().text, path + QStringLiteral("\rThe specified file was not found."));
    EXPECT_TRUE(shell.opened.isEmpty());

    EXPECT_EQ(ShellOpen(dir.path()), 42);
    EXPECT_EQ(shell.opened, QStringList({dir.path()}));
    shell.openResult = 31;
    ShellOpen(dir.path());
    EXPECT_TRUE(messages.last().text.endsWith(
        QStringLiteral("There is no application associated with the given filename extension.")));
}

TEST(Shell, RunProgramNeedsAPath) {
    RecordingShell shell;
    EXPECT_FALSE(RunProgram(QString(), QString(), false, false));
    EXPECT_TRUE(RunProgram(QStringLiteral("/opt/upd"), QStringLiteral("-a"), false, false));
    EXPECT_EQ(shell.started, QStringList({"/opt/upd -a"}));
}
