#pragma once

#include <QString>
#include <QStringList>

/** What the command line asks for, before any window or display exists. */
enum class CommandKind {
    Run,     ///< start the program (also with Qt's own options)
    Help,    ///< --help, -h: print the usage
    Version, ///< --version, -v: print the version
    Report,  ///< report FOLDER (see ReportCommand)
    Unknown  ///< an option nobody knows: one line, exit status 2
};

/** The command and, for an unknown option, the option as given. */
struct Command {
    CommandKind kind = CommandKind::Run;
    QString option;
};

/** Reads the arguments after the program's name; Qt's own options start the program. */
Command ParseCommandLine(const QStringList& arguments);

/** The text of "tamberon --help". */
QString ProgramUsage();
/** The line of "tamberon --version". */
QString VersionLine();

/**
 * Answers --help, --version and an unknown option on the console without a display or a
 * printer; returns the exit status, or -1 when the program is to start (or "report" runs).
 */
int AnswerOnConsole(int argc, char** argv);

/**
 * Runs every command that needs no window, display or start-up check ("report", "check",
 * "recalc", "layers", --help, --version, a wrong option); returns its exit status, or -1 when
 * the program is to start.
 */
int RunConsoleCommand(int argc, char** argv);
