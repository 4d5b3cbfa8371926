#pragma once

#include <QString>
#include <QStringList>

class Connection;

namespace valuation {

/**
 * The tables of a settlement's database that the check and the recalculation read; without
 * one of them the chain would be computed from defaults. The tables an upgrade adds
 * ("функціональне", "відомість_кварталів") and the optional ones are not among them.
 */
const QStringList& ChainTables();

/**
 * The chain's tables the settlement lacks or cannot read, each as one short line
 * ("км2 (немає)", "локальні (не читається: ...)"); empty when all are there.
 */
QStringList MissingChainTables(Connection& project);

/**
 * Numbers stored in the chain's tables that no valuation can take: not finite ("inf",
 * "nan", beyond the range of a double) or larger in size than MaxStoredNumber. One line per
 * cell, naming the table, the row and the column; at most `limit` lines, then one that
 * says how many more. False with the reason in `error` when a table cannot be read.
 */
bool FindUnsoundNumbers(Connection& project, QStringList& lines, QString* error, int limit = 20);

/**
 * The largest size of a stored number: beyond it a double no longer keeps the cents of
 * a value stored as "0.00", so such a number is a typing or a damage, never data.
 */
constexpr double MaxStoredNumber = 1e13;

} // namespace valuation
