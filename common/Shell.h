#pragma once

#include <QString>
#include <QStringList>
#include <memory>

/** Opens documents and starts programs; tests install one that records instead. */
class Shell {
public:
    virtual ~Shell() = default;
    /** Opens an existing path with its associated program; a result above 32 is success. */
    virtual int open(const QString& path) = 0;
    virtual bool run(const QString& program, const QStringList& arguments, bool minimised,
                     bool wait) = 0;
};

/** Installs the implementation (not owned); returns the previous one. */
Shell* SetShell(Shell* shell);

/**
 * The desktop's shell, opening files through `opener` (xdg-open found on the path when
 * empty): its answer within two seconds that nothing can open a file is a failure (31).
 */
std::unique_ptr<Shell> MakeDesktopShell(const QString& opener = QString());

/**
 * Opens a document, folder or map file through the shell. A failure (a result of 32 or less)
 * puts its text (ShellErrorText) in `error` when given; the window shows it under "Запуск"
 * (ShellOpen of common/ui/ShellOpen.h).
 */
int ShellOpenQuiet(const QString& path, QString* error);
/** Starts a program; false for an empty path or when it cannot be started. */
bool RunProgram(const QString& program, const QString& parameters, bool minimised, bool wait);
/** The text of a failure code of ShellOpenQuiet, or "" for codes it does not report. */
QString ShellErrorText(int code, const QString& path);
