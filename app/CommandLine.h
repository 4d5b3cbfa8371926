#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

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

/** A command without windows: its arguments after its word, the program folder, the console. */
using ConsoleCommand = int (*)(const QStringList& arguments, const QString& appDir,
                               QTextStream& out, QTextStream& err);
/** Whether a console command draws pictures (fonts need a GUI application). */
enum class ConsoleDrawing { None, Pictures };
/**
 * Runs a console command on the program's arguments after its word ("tamberon WORD ..."),
 * with the program's folder, on standard output and error; returns its exit status. A command
 * that draws runs in a GUI application on the offscreen platform (no display needed), with
 * Qt's notes kept off its error output.
 */
int RunConsoleCommand(int argc, char** argv, ConsoleCommand command,
                      ConsoleDrawing drawing = ConsoleDrawing::None);
/** Whether the arguments are "--help" or "-h" alone; the help is printed when they are. */
bool AnswerCommandHelp(const QStringList& arguments, const QString& help, QTextStream& out);
