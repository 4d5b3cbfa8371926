#include "tests/support/TestSupport.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <unistd.h>

RecordingMessages::RecordingMessages() {
    m_previous = SetMessages(this);
}
RecordingMessages::~RecordingMessages() {
    SetMessages(m_previous);
}

void RecordingMessages::error(const QString& caption, const QString& text) {
    messages.push_back({QStringLiteral("error"), caption, text});
}
void RecordingMessages::warning(const QString& text) {
    messages.push_back({QStringLiteral("warning"), QStringLiteral("Увага"), text});
}
void RecordingMessages::info(const QString& text) {
    messages.push_back({QStringLiteral("info"), QStringLiteral("Інформація"), text});
}
Answer RecordingMessages::confirm(const QString& text, Buttons buttons) {
    messages.push_back({QStringLiteral("confirm"), QString(), text});
    askedButtons.push_back(buttons);
    if (answers.empty())
        return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}
void RecordingMessages::balloon(const QString& title, const QString& text, int kind,
                                QObject* control) {
    messages.push_back({QStringLiteral("balloon"), title, text, kind, control});
}
void RecordingMessages::answer(std::initializer_list<Answer> list) {
    for (Answer a : list)
        answers.push_back(a);
}
QStringList RecordingMessages::texts(const QString& kind) const {
    QStringList result;
    for (const RecordedMessage& m : messages)
        if (kind.isEmpty() || m.kind == kind)
            result << m.text;
    return result;
}
void RecordingMessages::clear() {
    messages.clear();
    askedButtons.clear();
    beeps = 0;
}

RecordingShell::RecordingShell() {
    m_previous = SetShell(this);
}
RecordingShell::~RecordingShell() {
    SetShell(m_previous);
}
int RecordingShell::open(const QString& path) {
    opened << path;
    return openResult;
}
bool RecordingShell::run(const QString& program, const QStringList& arguments, bool, bool) {
    started << (program + u' ' + arguments.join(u' ')).trimmed();
    return true;
}

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(it.filePath());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(it.filePath(), target);
    }
}

TempAppDir::TempAppDir(bool shipped) {
    m_previousAppDir = GlobalVar().Settings.AppDir;
    if (shipped) {
        const QString built = BuiltAppDir();
        for (const QString& name : {QStringLiteral("baza.sqlite"), QStringLiteral("settings.dat")})
            QFile::copy(JoinPath(built, name), JoinPath(path(), name));
        CopyTree(JoinPath(built, QStringLiteral("Шаблон")),
                 JoinPath(path(), QStringLiteral("Шаблон")));
    }
    InitGlobalVar(path());
    QDir().mkpath(GlobalVar().Settings.ProjectsDir);
}

TempAppDir::~TempAppDir() {
    if (!m_previousAppDir.isEmpty())
        InitGlobalVar(m_previousAppDir);
}

QString TempAppDir::file(const QString& relative) const {
    return JoinPath(path(), relative);
}

void WriteTextFile(const QString& path, const QString& text) {
    QDir().mkpath(FolderOf(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QString ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString BuiltAppDir() {
    return qEnvironmentVariable("TAMBERON_APPDIR");
}

QString Soffice() {
    const QString path = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (path.isEmpty() && qEnvironmentVariableIsSet("TAMBERON_REQUIRE_LIBREOFFICE"))
        ADD_FAILURE() << "LibreOffice (soffice) is required here but not installed";
    return path;
}

QString ConvertToPdf(const QString& file, const QString& outDir) {
    QProcess soffice;
    soffice.start(Soffice(), {QStringLiteral("-env:UserInstallation=file://") + outDir +
                                  QStringLiteral("/profile"),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                              QStringLiteral("pdf"), QStringLiteral("--outdir"), outDir, file});
    if (!soffice.waitForFinished(180000))
        return QStringLiteral("soffice did not finish");
    const QFileInfo pdf(JoinPath(outDir, QFileInfo(file).completeBaseName() + ".pdf"));
    if (soffice.exitCode() != 0 || !pdf.isFile() || pdf.size() < 1000)
        return QStringLiteral("no PDF: ") + QString::fromLocal8Bit(soffice.readAllStandardError() +
                                                                   soffice.readAllStandardOutput());
    return QString();
}

int RunTests() {
    const int status = RUN_ALL_TESTS();
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    if (status == 0 && run.failed_test_count() == 0 && run.successful_test_count() == 0 &&
        run.skipped_test_count() > 0)
        return kAllSkippedStatus;
    return status;
}

bool CopyBuiltData(const QString& target) {
    const QString built = BuiltAppDir();
    if (built.isEmpty() || !QFileInfo::exists(JoinPath(built, QStringLiteral("baza.sqlite"))))
        return false;
    QDir().mkpath(target);
    for (const char* file : {"baza.sqlite", "settings.dat", "руководство.docx", "описание.docx"})
        if (!QFile::copy(JoinPath(built, QString::fromUtf8(file)),
                         JoinPath(target, QString::fromUtf8(file))))
            return false;
    for (const char* folder : {"Шаблон", "data", "Проекти"})
        CopyTree(JoinPath(built, QString::fromUtf8(folder)),
                 JoinPath(target, QString::fromUtf8(folder)));
    return true;
}

QString CopyDemoSettlement(const QString& folder) {
    const QString projects = JoinPath(BuiltAppDir(), QStringLiteral("Проекти"));
    const QString source =
        JoinPath(projects, QStringLiteral("Демонстраційний проект/с. Демонстраційне"));
    if (!QFileInfo(source).isDir())
        return QString();
    const QString target = JoinPath(folder, QStringLiteral("с. Демонстраційне"));
    QDir().mkpath(target);
    for (const QString& name : QDir(source).entryList(QDir::Files))
        if (!QFile::copy(JoinPath(source, name), JoinPath(target, name)))
            return QString();
    return target;
}

QString CopyBuiltProgram(const QString& target, bool projects) {
    const QString built = BuiltAppDir();
    const QString program = JoinPath(built, QStringLiteral("tamberon"));
    if (built.isEmpty() || !QFileInfo::exists(program))
        return QString();
    QDir().mkpath(JoinPath(target, QStringLiteral("Temp")));
    for (const QString& name : {QStringLiteral("tamberon"), QStringLiteral("settings.dat")}) {
        const QByteArray from = QFile::encodeName(JoinPath(built, name));
        const QByteArray to = QFile::encodeName(JoinPath(target, name));
        // The program is big: a second name for it where the file system allows.
        if (::link(from.constData(), to.constData()) != 0 &&
            !QFile::copy(JoinPath(built, name), JoinPath(target, name)))
            return QString();
    }
    // The catalogue is changed by a start: a copy of its own.
    const QString catalogue = JoinPath(target, QStringLiteral("baza.sqlite"));
    if (!QFile::copy(JoinPath(built, QStringLiteral("baza.sqlite")), catalogue))
        return QString();
    QFile(catalogue).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    CopyTree(JoinPath(built, QStringLiteral("Шаблон")), JoinPath(target, QStringLiteral("Шаблон")));
    if (projects)
        CopyTree(JoinPath(built, QStringLiteral("Проекти")),
                 JoinPath(target, QStringLiteral("Проекти")));
    return JoinPath(target, QStringLiteral("tamberon"));
}
