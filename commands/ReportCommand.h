#pragma once

#include <QString>
#include <QStringList>

class Connection;
class QTextStream;

/**
 * Fills the technical report and both workbooks of the settlement in a folder without any
 * window, with the templates and the catalogue of the program folder `appDir`. Prints the
 * full path of every file saved to `out`, the reason of anything not saved to `err`.
 * `arguments` are those after "report". Returns 0 only when all three files were saved;
 * 1 when some were not; 2 for a wrong command line, a missing folder or a settlement
 * database that is missing or damaged.
 */
int RunReportCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err);

/** The text of "tamberon report --help". */
QString ReportCommandHelp();
