#pragma once

#include "common/ProgramPlace.h"

#include <QString>
#include <QStringList>

class QTextStream;

/**
 * The place of the running program (LocateProgram over its executable's folder): the one
 * lookup of the program's data by the window and every command, whatever the working folder.
 */
ProgramPlace RunningProgramPlace();

/**
 * The program folder a command works in: the running program's, made or brought up to date
 * from an installation's shipped data first (its lines for the valuer go to `err`), except for
 * a command that only prints its help. "" when the folder could not be made (the reason
 * printed to `err`).
 */
QString CommandProgramFolder(const QStringList& arguments, QTextStream& err);
