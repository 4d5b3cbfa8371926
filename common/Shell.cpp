#include "common/Shell.h"

#include "common/FileUtils.h"
#include "common/Messages.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

/** Opens through the desktop's xdg-open and starts programs with QProcess. */
class DesktopShell final : public Shell {
public:
    int open(const QString& path) override {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return 31;
        return QProcess::startDetached(opener, {path}) ? 42 : 31;
    }
    bool run(const QString& program, const QStringList& arguments, bool, bool wait) override {
        if (wait)
            return QProcess::execute(program, arguments) >= 0;
        return QProcess::startDetached(program, arguments);
    }
};

DesktopShell g_desktop;
Shell* g_shell = &g_desktop;

} // namespace

Shell* SetShell(Shell* shell) {
    Shell* previous = g_shell;
    g_shell = shell ? shell : &g_desktop;
    return previous;
}

QString ShellErrorText(int code, const QString& path) {
    const char* reason = nullptr;
    switch (code) {
    case 0:
        reason = "The operating system is out of memory or resources.";
        break;
    case 2:
        reason = "The specified file was not found.";
        break;
    case 3:
        reason = "The specified path was not found.";
        break;
    case 5:
        reason = "The operating system denied access to the specified file.";
        break;
    case 8:
        reason = "There was not enough memory to complete the operation.";
        break;
    case 11:
        reason = "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
        break;
    case 26:
        reason = "A sharing violation occurred.";
        break;
    case 27:
        reason = "The filename association is incomplete or invalid.";
        break;
    case 28:
        reason = "The DDE transaction could not be completed because the request timed out.";
        break;
    case 29:
        reason = "The DDE transaction failed.";
        break;
    case 30:
        reason = "The DDE transaction could not be completed because other DDE transactions "
                 "were being processed.";
        break;
    case 31:
        reason = "There is no application associated with the given filename extension.";
        break;
    case 32:
        reason = "The specified dynamic-link library was not found.";
        break;
    default:
        return QString();
    }
    return path + u'\r' + QString::fromLatin1(reason);
}

int ShellOpen(const QString& path) {
    int code = 0;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        code = FolderExistsQuiet(FolderOf(path)) || FolderOf(path).isEmpty() ? 2 : 3;
    else if (!info.isReadable())
        code = 5;
    else
        code = g_shell->open(path);
    if (code <= 32) {
        const QString text = ShellErrorText(code, path);
        if (!text.isEmpty())
            ShowError(QStringLiteral("Запуск"), text);
    }
    return code;
}

bool RunProgram(const QString& program, const QString& parameters, bool minimised, bool wait) {
    if (program.isEmpty())
        return false;
    return g_shell->run(program, QProcess::splitCommand(parameters), minimised, wait);
}
