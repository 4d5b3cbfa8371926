#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

/**
 * "tamberon check FOLDER": recomputes every derived result of the settlement in FOLDER
 * through the valuation model and prints one line per disagreement to `out`. 0 when all
 * agrees, 1 when something is stale, 2 for a wrong command line or an unreadable folder.
 */
int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

/**
 * "tamberon recalc FOLDER": the automatic copy of the settlement's database (into the program
 * folder `appDir`'s copies), then every stale result rewritten in one transaction, in
 * dependency order, never a value typed by the valuer; prints "old → new" per value. 0 when
 * the settlement then agrees, 1 when something is left the model cannot mend or the write
 * failed (nothing changed), 2 as for check.
 */
int RunRecalcCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err);

/** The texts of "tamberon check --help" and "tamberon recalc --help". */
QString CheckCommandHelp();
QString RecalcCommandHelp();
