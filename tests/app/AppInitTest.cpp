#include "app/AppInit.h"
#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Settings(TempAppDir& app, const QString& text) {
    WriteTextFile(app.file(QStringLiteral("settings.dat")), text);
    return app.file(QStringLiteral("settings.dat"));
}

} // namespace

TEST(AppInit, UpdateCheck) {
    TempAppDir app;
    const QString updates = app.file(QStringLiteral("updates"));
    QDir().mkpath(updates);
    // No section, or a folder that does not exist: nothing is offered.
    EXPECT_TRUE(FindUpdate(Settings(app, QStringLiteral("[OFFICE]\nOpenResults=0\n"))).isEmpty());
    EXPECT_TRUE(FindUpdate(Settings(app, QStringLiteral("[UPDATE]\nServerPath=/no/such/folder\n")))
                    .isEmpty());

    const QString settings = Settings(app, QStringLiteral("[UPDATE]\nServerPath=") + updates +
                                               QStringLiteral("\nVersion=1.3.180109\n"));
    WriteTextFile(JoinPath(updates, QStringLiteral("1.3.170101.nfo")), QStringLiteral("old"));
    WriteTextFile(JoinPath(updates, QStringLiteral("beta.nfo")), QStringLiteral("not a number"));
    EXPECT_TRUE(FindUpdate(settings).isEmpty());
    WriteTextFile(JoinPath(updates, QStringLiteral("1.3.190101.nfo")), QStringLiteral("new"));
    EXPECT_EQ(FindUpdate(settings), QStringLiteral("1.3.190101.nfo"));

    // Without a version every number above 0 is newer.
    const QString noVersion =
        Settings(app, QStringLiteral("[UPDATE]\nServerPath=") + updates + u'\n');
    EXPECT_EQ(FindUpdate(noVersion), QStringLiteral("1.3.170101.nfo"));

    RecordingMessages messages;
    RecordingShell shell;
    WriteTextFile(app.file(QStringLiteral("orvelupd.exe")), QStringLiteral("x"));
    messages.answer({Answer::Yes});
    EXPECT_TRUE(OfferUpdate(settings, app.path()));
    EXPECT_EQ(messages.texts(), QStringList({"Доступні оновлення програми. Встановити їх зараз?"}));
    EXPECT_EQ(shell.started, QStringList({app.file(QStringLiteral("orvelupd.exe"))}));
    messages.answer({Answer::Cancel});
    EXPECT_TRUE(OfferUpdate(settings, app.path()));
    EXPECT_EQ(shell.started.size(), 1);
    EXPECT_FALSE(OfferUpdate(Settings(app, QString()), app.path()));
}

TEST(AppInit, PrinterCheck) {
    RecordingMessages messages;
    EXPECT_TRUE(CheckPrinters({QStringLiteral("PDF")}, QString()));
    EXPECT_FALSE(CheckPrinters({}, QString()));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Перевірка пристроїв"));
    EXPECT_EQ(
        messages.last().text,
        QStringLiteral("Принтер не знайдено. Подальша робота програми неможлива.\r\rПеревірка: "));
    EXPECT_FALSE(CheckPrinters({QStringLiteral("PDF")}, QStringLiteral("cups")));
    EXPECT_TRUE(messages.last().text.endsWith(QStringLiteral("Перевірка: cups")));
}

TEST(AppInit, OneInstancePerProgramFolder) {
    const QString path = QStringLiteral("/tmp/") + RandomDigits(12) + QStringLiteral("/tamberon");
    SingleInstance first(path);
    ASSERT_TRUE(first.acquire(false));
    SingleInstance second(path);
    EXPECT_FALSE(second.acquire(true));
    SingleInstance elsewhere(QStringLiteral("/tmp/") + RandomDigits(12) +
                             QStringLiteral("/tamberon"));
    EXPECT_TRUE(elsewhere.acquire(false));
}

// A second start through a link to the program folder is the same instance.
TEST(AppInit, ALinkToTheProgramFolderIsTheSameInstance) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("програма"));
    const QString link = dir.filePath(QStringLiteral("посилання"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(folder, link));
    SingleInstance first(JoinPath(folder, QStringLiteral("tamberon")));
    ASSERT_TRUE(first.acquire(false));
    SingleInstance throughLink(JoinPath(link, QStringLiteral("tamberon")));
    EXPECT_EQ(throughLink.key(), first.key());
    EXPECT_FALSE(throughLink.acquire(false));
    SingleInstance throughDots(folder + QStringLiteral("/../програма/tamberon"));
    EXPECT_EQ(throughDots.key(), first.key());
}
