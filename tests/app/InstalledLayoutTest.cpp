// The program as an installation lays it out and as a copied program folder: the commands
// find the templates and the catalogue from any working folder, and an installed program
// works in the valuer's own folder, made once, kept, and upgraded from newer shipped data.
#include "common/FileUtils.h"
#include "tests/support/QueryRows.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int code = -1;
    QStringList out;
    QString err;
};

/** Runs a program with no display, in a working folder of its own, with the given XDG data. */
Outcome RunProgramIn(const QString& program, const QStringList& arguments,
                     const QString& workingFolder, const QString& xdgDataHome) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome);
    process.setProcessEnvironment(env);
    QDir().mkpath(workingFolder);
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError())};
}

bool CopyFile(const QString& from, const QString& to) {
    QDir().mkpath(FolderOf(to));
    return QFile::copy(from, to) &&
           QFile(to).setPermissions(QFile(from).permissions() | QFile::WriteOwner);
}

/**
 * An installation under `root` as "cmake --install" lays it out: the console program in
 * usr/bin and the built program folder's data in usr/share/tamberon. The program's path, or
 * "" when it is not built.
 */
QString MakeInstallation(const QString& root) {
    const QString program = JoinPath(root, QStringLiteral("usr/bin/tamberon_console"));
    if (!CopyBuiltData(JoinPath(root, QStringLiteral("usr/share/tamberon"))) ||
        !CopyFile(JoinPath(BuiltAppDir(), QStringLiteral("tamberon_console")), program))
        return QString();
    return program;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// A copied program folder: both programs in it fill the report from another working folder
// with the templates beside them.
TEST(InstalledLayout, CommandsFindTheirTemplatesFromAnyWorkingFolder) {
    QTemporaryDir dir;
    const QString program = CopyBuiltProgram(dir.filePath(QStringLiteral("програма")));
    const QString folder = CopyDemoSettlement(dir.filePath(QStringLiteral("населені пункти")));
    if (program.isEmpty() || folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    const QString console = JoinPath(FolderOf(program), QStringLiteral("tamberon_console"));
    ASSERT_TRUE(CopyFile(JoinPath(BuiltAppDir(), QStringLiteral("tamberon_console")), console));
    for (const QString& p : {program, console}) {
        const Outcome report = RunProgramIn(p, {QStringLiteral("report"), folder},
                                            dir.filePath(QStringLiteral("інша папка")),
                                            dir.filePath(QStringLiteral("xdg")));
        EXPECT_EQ(report.code, 0) << p.toStdString() << ": " << report.err.toStdString();
        EXPECT_EQ(report.out.size(), 3) << report.out.join(u'\n').toStdString();
    }
    // The copied folder is the program's folder: no folder of the valuer's was made.
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("xdg/tamberon"))));
}

TEST(InstalledLayout, TheValuersFolderIsMadeOnceKeptAndUpgraded) {
    QTemporaryDir dir;
    const QString program = MakeInstallation(dir.filePath(QStringLiteral("root")));
    const QString folder = CopyDemoSettlement(dir.filePath(QStringLiteral("населені пункти")));
    if (program.isEmpty() || folder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    const QString share = dir.filePath(QStringLiteral("root/usr/share/tamberon"));
    const QString xdg = dir.filePath(QStringLiteral("xdg"));
    const QString own = JoinPath(xdg, QStringLiteral("tamberon"));
    const QString working = dir.filePath(QStringLiteral("робоча"));

    // The first start: the valuer's folder is made from the shipped data, and said where.
    const Outcome first = RunProgramIn(program, {QStringLiteral("report"), folder}, working, xdg);
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_EQ(first.out.size(), 3);
    EXPECT_TRUE(first.err.contains(QStringLiteral("зберігаються в папці")))
        << first.err.toStdString();
    for (const char* file : {"baza.sqlite", "settings.dat", "Шаблон/Технічний звіт.dotx",
                             "Шаблон/наспункт/data.sqlite", "руководство.docx",
                             "Проекти/Демонстраційний проект/с. Демонстраційне/data.sqlite"})
        EXPECT_TRUE(QFileInfo::exists(JoinPath(own, QString::fromUtf8(file)))) << file;
    EXPECT_TRUE(QFileInfo(JoinPath(own, QStringLiteral("Temp"))).isDir());

    // The valuer's changes survive the next start.
    const QString catalogue = JoinPath(own, QStringLiteral("baza.sqlite"));
    const QString settings = JoinPath(own, QStringLiteral("settings.dat"));
    WriteTextFile(settings, ReadTextFile(settings) + QStringLiteral("\n[МОЄ]\nКлюч=1\n"));
    ExecSql(catalogue, QStringLiteral("INSERT INTO projects (uid, named, typed, pathname) VALUES "
                                      "('99', 'Мій проект', '', 'Мій проект')"));
    const QString demo = JoinPath(
        own, QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне/data.sqlite"));
    const QByteArray demoBytes = ReadBytes(demo);
    const Outcome second = RunProgramIn(program, {QStringLiteral("check"), folder}, working, xdg);
    EXPECT_NE(second.code, 2) << second.err.toStdString();
    EXPECT_FALSE(second.err.contains(QStringLiteral("tamberon:"))) << second.err.toStdString();
    EXPECT_TRUE(ReadTextFile(settings).contains(QStringLiteral("[МОЄ]")));

    // A newer version ships a year of indexation more: it comes into the valuer's catalogue,
    // the projects and settings stay.
    ExecSql(JoinPath(share, QStringLiteral("baza.sqlite")),
            QStringLiteral("INSERT INTO індексація (рік, індексація, інфляція) VALUES "
                           "('2099', '1.01', '1.02')"));
    const Outcome upgraded = RunProgramIn(program, {QStringLiteral("check"), folder}, working, xdg);
    EXPECT_NE(upgraded.code, 2) << upgraded.err.toStdString();
    EXPECT_TRUE(upgraded.err.contains(QStringLiteral("Довідник \"індексація\" оновлено")))
        << upgraded.err.toStdString();
    EXPECT_EQ(
        QueryRows(catalogue, QStringLiteral("SELECT індексація FROM індексація WHERE рік='2099'")),
        QStringList({"1.01"}));
    EXPECT_EQ(QueryRows(catalogue, QStringLiteral("SELECT named FROM projects WHERE uid='99'")),
              QStringList({"Мій проект"}));
    EXPECT_TRUE(ReadTextFile(settings).contains(QStringLiteral("[МОЄ]")));
    EXPECT_EQ(ReadBytes(demo), demoBytes);
}
