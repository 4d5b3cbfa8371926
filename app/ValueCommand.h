#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

/** Whether the command line asks for "tamberon value ..." (checked before any window). */
bool IsValueCommand(int argc, char** argv);

/** "tamberon value ...": runs without a display; returns the exit status. */
int ValueCommandMain(int argc, char** argv);

/**
 * The value of a place of the settlement without any window; `arguments` are those after
 * "value": "FOLDER --at X,Y" or "FOLDER --plot FILE", with "--use CODE", "--year YYYY",
 * "--from YYYY", "--layer NAME" and "--json". Returns 0 when the place was valued; 1 when it
 * cannot be (outside the boundary, in no district, no zone value); 2 for a wrong command
 * line, a missing or damaged folder or file.
 */
int RunValueCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                    QTextStream& err);

/** The text of "tamberon value --help". */
QString ValueCommandHelp();
