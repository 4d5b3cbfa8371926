#include "common/Messages.h"
#include "common/Shell.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Messages, ErrorDefaultsItsCaptionAndSkipsEmptyText) {
    RecordingMessages messages;
    ShowError(QString());
    EXPECT_TRUE(messages.messages.empty());
    ShowError(QStringLiteral("Збій"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Помилка"));
    ShowError(QStringLiteral("Запуск"), QStringLiteral("x"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Запуск"));
}

TEST(Shell, FailuresComeBackAsTextAndNothingIsShown) {
    RecordingMessages messages;
    RecordingShell shell;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/руководство.doc");
    QString error;
    EXPECT_EQ(ShellOpenQuiet(path, &error), 2);
    EXPECT_EQ(error, QDir::toNativeSeparators(path) + QStringLiteral("\rФайл не знайдено."));
    EXPECT_TRUE(shell.opened.isEmpty());

    error.clear();
    EXPECT_EQ(ShellOpenQuiet(dir.path(), &error), 42);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(shell.opened, QStringList({dir.path()}));
    shell.openResult = 31;
    ShellOpenQuiet(dir.path(), &error);
    EXPECT_EQ(error,
              QDir::toNativeSeparators(dir.path()) +
                  QStringLiteral("\rНемає програми, яка відкриває файли цього типу. Встановіть "
                                 "її або відкрийте файл вручну."));
    // The window shows the failures; the service only tells them.
    EXPECT_TRUE(messages.messages.empty());
}

TEST(Shell, TheDesktopOpenerSaysWhenNothingOpensTheFile) {
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("Склад земель.xlsx"));
    WriteTextFile(document, QStringLiteral("x"));
    // An opener that finds no program, as xdg-open answers then; and one that opens.
    const auto opener = [&dir](const char* name, const char* script) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        WriteTextFile(path, QString::fromLatin1(script));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    const std::unique_ptr<Shell> none = MakeDesktopShell(opener("none.sh", "#!/bin/sh\nexit 3\n"));
    Shell* previous = SetShell(none.get());
    QString error;
    EXPECT_EQ(ShellOpenQuiet(document, &error), 31);
    EXPECT_TRUE(error.startsWith(QDir::toNativeSeparators(document) + u'\r'));
    const std::unique_ptr<Shell> opens =
        MakeDesktopShell(opener("opens.sh", "#!/bin/sh\nexit 0\n"));
    SetShell(opens.get());
    error.clear();
    EXPECT_EQ(ShellOpenQuiet(document, &error), 42);
    EXPECT_TRUE(error.isEmpty());
    SetShell(previous);
}

TEST(Shell, RunProgramNeedsAPath) {
    RecordingShell shell;
    EXPECT_FALSE(RunProgram(QString(), QString(), false, false));
    EXPECT_TRUE(RunProgram(QStringLiteral("/opt/upd"), QStringLiteral("-a"), false, false));
    EXPECT_EQ(shell.started, QStringList({"/opt/upd -a"}));
}
