#include "app/MainWindow.h"
#include "app/MapPage.h"
#include "app/Startup.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "map/ui/MapView.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

// The program's own wiring over the built program folder and its demonstration project.
TEST(Program, DemonstrationSettlementShowsItsLayers) {
    TestApplication();
    RecordingMessages messages;
    // A copy of the program folder: opening the catalogue makes its copy of the run.
    TempAppDir app(true);
    CopyTree(JoinPath(BuiltAppDir(), QStringLiteral("Проекти")),
             app.file(QStringLiteral("Проекти")));
    Db().main.close();
    TFormMain window;
    InstallProgramDialogs(window);
    window.LoadProjectTree();
    QTreeWidgetItem* project = nullptr;
    for (int i = 0; i < window.TreeViewProjects->topLevelItemCount(); ++i)
        if (window.TreeViewProjects->topLevelItem(i)->text(0) ==
            QStringLiteral("Демонстраційний проект"))
            project = window.TreeViewProjects->topLevelItem(i);
    ASSERT_TRUE(project);
    ASSERT_GT(project->childCount(), 0);
    window.selectNode(project->child(0));
    EXPECT_EQ(window.ListView1->count(), 11);
    auto* page = qobject_cast<MapPage*>(window.mapTab());
    ASSERT_TRUE(page);
    // The newest layer is on top: districts over zones over boundaries.
    EXPECT_EQ(Texts(page->view()->ListMapLayers), QStringList({"райони", "зони", "межі"}));
    EXPECT_TRUE(messages.messages.empty()) << qPrintable(messages.texts().join(u'\n'));
    Db().CloseProject();
    Db().main.close();
}

namespace {

/**
 * The options of a start-up run in this test process over the program folder `appDir`,
 * leaving once the window is up.
 */
StartupOptions ProbeOptions(const QString& appDir, const QStringList& printers) {
    StartupOptions options;
    options.appDir = appDir;
    options.exitAfterStart = true;
    options.printers = [printers](QString&) { return printers; };
    return options;
}

/** Runs the whole start-up and puts back the working folder and connections it changed. */
int RunProbe(const StartupOptions& options) {
    const QString folder = QDir::currentPath();
    const int code = RunTamberon(TestApplication(), options);
    QDir::setCurrent(folder);
    Db().CloseProject();
    Db().main.close();
    return code;
}

} // namespace

// The mode that proves the start: it reaches the main window over the shipped catalogue and
// leaves with 0; a start-up that ends early leaves with non-zero and without waiting for
// anybody to close a message box.
TEST(Program, ExitAfterStartReportsWhetherTheMainWindowWasReached) {
    TestApplication();
    QStandardPaths::setTestModeEnabled(true);
    RecordingMessages messages;
    TempAppDir app(true);
    CopyTree(JoinPath(BuiltAppDir(), QStringLiteral("Проекти")),
             app.file(QStringLiteral("Проекти")));
    EXPECT_EQ(RunProbe(ProbeOptions(app.path(), {QStringLiteral("PDF")})), 0);
    EXPECT_NE(RunProbe(ProbeOptions(app.path(), {})), 0);
    // The probe's own messages replaced the test's only while it ran.
    EXPECT_EQ(&CurrentMessages(), &messages);
    EXPECT_TRUE(messages.messages.empty());
}

// An installed program's window starts on the valuer's own folder, made from the shipped
// data by the first start and used as it is by the second.
TEST(Program, AnInstalledProgramStartsOnTheValuersOwnFolder) {
    TestApplication();
    QStandardPaths::setTestModeEnabled(true);
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString previousAppDir = GlobalVar().Settings.AppDir;
    StartupOptions options =
        ProbeOptions(dir.filePath(QStringLiteral("xdg/tamberon")), {QStringLiteral("PDF")});
    options.shippedDir = dir.filePath(QStringLiteral("usr/share/tamberon"));
    if (!CopyBuiltData(options.shippedDir))
        GTEST_SKIP() << "the program folder is not built";
    EXPECT_EQ(RunProbe(options), 0);
    EXPECT_EQ(GlobalVar().Settings.AppDir, options.appDir);
    for (const char* file :
         {"baza.sqlite", "Шаблон/наспункт/data.sqlite", "Проекти/Демонстраційний проект"})
        EXPECT_TRUE(QFileInfo::exists(JoinPath(options.appDir, QString::fromUtf8(file)))) << file;
    EXPECT_EQ(RunProbe(options), 0);
    InitGlobalVar(previousAppDir);
    EXPECT_TRUE(messages.messages.empty());
}

// The built program in that mode, on a machine whose printers cannot be read: it says why on
// the error stream and fails, instead of waiting behind a message box.
TEST(Program, BuiltProgramWithoutPrinterFailsInExitAfterStartMode) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERON_EXIT_AFTER_START"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CUPS_SERVER"),
               QDir::temp().filePath(QStringLiteral("no-cups.sock")));
    program.setProcessEnvironment(env);
    program.start(JoinPath(BuiltAppDir(), QStringLiteral("tamberon")), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_NE(program.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError())
                    .contains(QStringLiteral("Принтер не знайдено")));
}
