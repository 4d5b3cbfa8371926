#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

/** What the command line asks for, before any window or display exists. */
enum class CommandKind {
    Run,        ///< start the program (also with Qt's own options)
    Help,       ///< --help, -h: print the usage
    Version,    ///< --version, -v: print the version
    Console,    ///< a command without windows: report, check, recalc, layers, value
    Unknown,    ///< an option nobody knows: one line, exit status 2
    UnknownWord ///< a word that is no command nor a settlement or project folder: exit 2
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

/** A command without windows: its arguments after its word, the program folder, the console. */
using ConsoleCommand = int (*)(const QStringList& arguments, const QString& appDir,
                               QTextStream& out, QTextStream& err);
/** The command without windows a word names ("report", "check"...), or nullptr. */
ConsoleCommand FindConsoleCommand(const QString& word);
/**
 * The one start of everything that needs no window, display or start-up check: a console
 * command ("tamberon WORD ...", run on the arguments after its word with the program's
 * folder, on standard output and error; the report in a GUI application on the offscreen
 * platform, since it draws maps), --help, --version, a wrong option. Returns the
 * exit status, or -1 when the program is to start.
 */
int RunConsoleCommand(int argc, char** argv);
/** Whether an argument is an option ("-x", "--xyz"), never to be taken for a folder. */
bool IsOption(const QString& argument);
/**
 * Says in one line that an option is not one of the command's and returns true, when the
 * argument is an option; a command calls it where it expects a folder or a file.
 */
bool RefuseOption(const QString& argument, const QString& command, QTextStream& err);
/**
 * Why a path given for a file to read is no such file, in one line: it is missing, it is a
 * folder, a channel or a device, or a link that leads nowhere or in a circle.
 */
QString NotAFileLine(const QString& path);

/**
 * Why an argument as the system gave it (bytes) cannot name a file: its bytes are no text in
 * the locale's encoding, so as text it would name another, missing file; "" when they are.
 */
QString UnreadableArgument(const QByteArray& raw);
/** The line that tells how to call the program, for a call it does not understand. */
QString UsageLine();

/** Whether the arguments are "--help" or "-h" alone; the help is printed when they are. */
bool AnswerCommandHelp(const QStringList& arguments, const QString& help, QTextStream& out);
