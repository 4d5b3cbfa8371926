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

/**
 * The settlement's name: its row in the catalogue (may be null), else "Назва" of its
 * information, else the folder's name.
 */
QString SettlementName(Connection* catalogue, Connection& data, const QString& folder);

/** Opens and checks a settlement's database; "" or the one-line reason it cannot be used. */
QString OpenSettlementDatabase(Connection& data, const QString& path);

/**
 * Opens the settlement database of the folder an argument names, after the folder's one
 * recovery (RecoverSettlementFolder): 0, or 2 after printing the reason to `err` (no folder,
 * a layer writing that cannot be finished or undone, no database, a damaged one). `folder`
 * gets the absolute path.
 */
int OpenSettlementFolder(const QString& argument, Connection& data, QString& folder,
                         QTextStream& err);
