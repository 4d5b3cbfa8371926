#include "common/Shell.h"

#include "common/FileUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

/** Milliseconds the opener is given to say that nothing can open the file. */
constexpr int OpenerAnswerMs = 2000;

/**
 * Opens through the desktop's opener (xdg-open) and starts programs with QProcess. The
 * opener tells by its exit status when no program can open the file; a program it starts
 * and keeps running is taken as success.
 */
class DesktopShell final : public Shell {
public:
    explicit DesktopShell(QString opener = QString()) : m_opener(std::move(opener)) {}

    int open(const QString& path) override {
        const QString opener = m_opener.isEmpty()
                                   ? QStandardPaths::findExecutable(QStringLiteral("xdg-open"))
                                   : m_opener;
        if (opener.isEmpty())
            return 31;
        auto* process = new QProcess;
        process->setProgram(opener);
        process->setArguments({path});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted(OpenerAnswerMs)) {
            delete process;
            return 31;
        }
        if (!process->waitForFinished(OpenerAnswerMs)) {
            // Still running: it runs the program it found; it is let go when it ends.
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            return 42;
        }
        const int status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
        delete process;
        // xdg-open: 0 done, 2 no such file, 3 no tool, 4 the action failed.
        switch (status) {
        case 0:
            return 42;
        case 2:
            return 2;
        default:
            return 31;
        }
    }
    bool run(const QString& program, const QStringList& arguments, bool, bool wait) override {
        if (wait)
            return QProcess::execute(program, arguments) >= 0;
        return QProcess::startDetached(program, arguments);
    }

private:
    QString m_opener;
};

DesktopShell g_desktop;
Shell* g_shell = &g_desktop;

} // namespace

std::unique_ptr<Shell> MakeDesktopShell(const QString& opener) {
    return std::make_unique<DesktopShell>(opener);
}

Shell* SetShell(Shell* shell) {
    Shell* previous = g_shell;
    g_shell = shell ? shell : &g_desktop;
    return previous;
}

QString ShellErrorText(int code, const QString& path) {
    QString reason;
    switch (code) {
    case 0:
        reason = QStringLiteral("Операційній системі бракує пам’яті або ресурсів.");
        break;
    case 2:
        reason = QStringLiteral("Файл не знайдено.");
        break;
    case 3:
        reason = QStringLiteral("Шлях не знайдено.");
        break;
    case 5:
        reason = QStringLiteral("Операційна система заборонила доступ до файлу.");
        break;
    case 8:
        reason = QStringLiteral("Бракує пам’яті для виконання дії.");
        break;
    case 11:
        reason = QStringLiteral("Файл програми пошкоджений або не призначений для цієї системи.");
        break;
    case 26:
        reason = QStringLiteral("Файл зайнятий іншою програмою.");
        break;
    case 27:
        reason = QStringLiteral("Зв’язок цього типу файлів із програмою неповний або хибний.");
        break;
    case 28:
        reason = QStringLiteral("Програма не відповіла вчасно.");
        break;
    case 29:
        reason = QStringLiteral("Програма не змогла відкрити файл.");
        break;
    case 30:
        reason = QStringLiteral("Програма зайнята іншими запитами.");
        break;
    case 31:
        reason = QStringLiteral("Немає програми, яка відкриває файли цього типу. Встановіть її "
                                "або відкрийте файл вручну.");
        break;
    case 32:
        reason = QStringLiteral("Не знайдено бібліотеки, потрібної програмі.");
        break;
    default:
        return QString();
    }
    return QDir::toNativeSeparators(path) + u'\r' + reason;
}

int ShellOpenQuiet(const QString& path, QString* error) {
    int code = 0;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        code = FolderExistsQuiet(FolderOf(path)) || FolderOf(path).isEmpty() ? 2 : 3;
    else if (!info.isReadable())
        code = 5;
    else
        code = g_shell->open(path);
    if (code <= 32 && error)
        *error = ShellErrorText(code, path);
    return code;
}

bool RunProgram(const QString& program, const QString& parameters, bool minimised, bool wait) {
    if (program.isEmpty())
        return false;
    return g_shell->run(program, QProcess::splitCommand(parameters), minimised, wait);
}
