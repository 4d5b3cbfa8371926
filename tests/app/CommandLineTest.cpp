#include "commands/CommandLine.h"
#include "app/QtTranslation.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/ui/QtMessages.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CommandLine, OptionsAreReadBeforeAnyWindow) {
    auto kind = [](const QStringList& args) { return ParseCommandLine(args).kind; };
    EXPECT_EQ(kind({}), CommandKind::Run);
    EXPECT_EQ(kind({QStringLiteral("--help")}), CommandKind::Help);
    EXPECT_EQ(kind({QStringLiteral("-h")}), CommandKind::Help);
    EXPECT_EQ(kind({QStringLiteral("--version")}), CommandKind::Version);
    for (const char* word : {"report", "check", "recalc", "layers", "value", "plots"})
        EXPECT_EQ(kind({QString::fromLatin1(word), QStringLiteral("/x")}), CommandKind::Console)
            << word;
    EXPECT_EQ(FindConsoleCommand(QStringLiteral("Report")), nullptr);
    // Qt's own options still start the program, with or without their values.
    EXPECT_EQ(kind({QStringLiteral("-platform"), QStringLiteral("offscreen")}), CommandKind::Run);
    EXPECT_EQ(kind({QStringLiteral("--style=Fusion"), QStringLiteral("-reverse")}),
              CommandKind::Run);
    // The value of a Qt option is never taken for an option of ours.
    EXPECT_EQ(kind({QStringLiteral("-title"), QStringLiteral("--bogus")}), CommandKind::Run);
    const Command unknown = ParseCommandLine({QStringLiteral("--verbose")});
    EXPECT_EQ(unknown.kind, CommandKind::Unknown);
    EXPECT_EQ(unknown.option, QStringLiteral("--verbose"));
    EXPECT_EQ(kind({QStringLiteral("-reverse=1")}), CommandKind::Unknown);
}

TEST(CommandLine, AWordIsACommandOrADataFolderElseRefused) {
    auto parse = [](const QStringList& args) { return ParseCommandLine(args); };
    // A mistyped command never starts the window.
    for (const QStringList& args :
         {QStringList{QStringLiteral("frobnicate")},
          QStringList{QStringLiteral("chek"), QStringLiteral("/tmp")},
          QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                      QStringLiteral("recalk")},
          QStringList{QString()}}) {
        const Command c = parse(args);
        EXPECT_EQ(c.kind, CommandKind::UnknownWord) << args.join(u' ').toStdString();
    }
    EXPECT_EQ(parse({QStringLiteral("chek")}).option, QStringLiteral("chek"));
    // A folder without a database is no settlement or project; one with it is.
    QTemporaryDir dir;
    EXPECT_EQ(parse({dir.path()}).kind, CommandKind::UnknownWord);
    WriteTextFile(dir.filePath(QStringLiteral("data.sqlite")), QString());
    EXPECT_EQ(parse({dir.path()}).kind, CommandKind::Run);
    EXPECT_EQ(parse({dir.filePath(QStringLiteral("data.sqlite"))}).kind, CommandKind::UnknownWord);
    EXPECT_TRUE(IsOption(QStringLiteral("--json")));
    EXPECT_TRUE(IsOption(QStringLiteral("-x")));
    EXPECT_FALSE(IsOption(QStringLiteral("-")));
    EXPECT_FALSE(IsOption(QStringLiteral("село")));
}

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

/** Runs the built program with no display at all. */
Outcome RunProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(JoinPath(BuiltAppDir(), QStringLiteral("tamberon")), arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(CommandLine, HelpVersionAndUnknownOptionsNeedNoDisplay) {
    if (!QFileInfo::exists(JoinPath(BuiltAppDir(), QStringLiteral("tamberon"))))
        GTEST_SKIP() << "the program is not built";
    const Outcome help = RunProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, ProgramUsage());
    EXPECT_TRUE(help.out.contains(QStringLiteral("tamberon report ПАПКА")));
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const Outcome version = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, VersionLine() + u'\n');
    EXPECT_TRUE(version.out.contains(GlobalVar().AppVersion));

    const Outcome unknown = RunProgram({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(unknown.err.count(u'\n'), 1) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("--frobnicate")));

    // A word that is no command: one line with the usage, no window, status 2.
    for (const QStringList& args : {QStringList{QStringLiteral("frobnicate")},
                                    QStringList{QStringLiteral("chek"), BuiltAppDir()}}) {
        const Outcome word = RunProgram(args);
        EXPECT_EQ(word.code, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(word.out.isEmpty());
        EXPECT_EQ(word.err.count(u'\n'), 1) << word.err.toStdString();
        EXPECT_TRUE(word.err.contains(QStringLiteral("використання: tamberon")))
            << word.err.toStdString();
    }
    EXPECT_TRUE(RunProgram({QStringLiteral("chek"), BuiltAppDir()})
                    .err.contains(QStringLiteral("(можливо, check)")));

    // Every command without windows starts through the one start and answers its own help.
    for (const char* word : {"report", "check", "recalc", "layers", "value", "plots"}) {
        const QString command = QStringLiteral("tamberon ") + QString::fromLatin1(word);
        const Outcome help = RunProgram({QString::fromLatin1(word), QStringLiteral("--help")});
        EXPECT_EQ(help.code, 0) << word;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Використання:"))) << word;
        EXPECT_TRUE(help.out.contains(command)) << word;
    }
}

TEST(QtTranslation, StandardButtonsSpeakUkrainianAndOurCaptionsStay) {
    QApplication& app = TestApplication();
    ASSERT_TRUE(InstallQtTranslation(app))
        << "Qt's Ukrainian translation (qt6-translations-l10n) is not installed";
    EXPECT_TRUE(InstallQtTranslation(app));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Помилка"), QStringLiteral("Текст"),
                    QMessageBox::Yes | QMessageBox::Cancel | QMessageBox::Retry);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Так"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Скасувати"));
    EXPECT_EQ(box.button(QMessageBox::Retry)->text().remove(u'&'), QStringLiteral("Повторити"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Помилка"));
}
