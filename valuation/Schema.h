#pragma once

#include <QString>

class Connection;

namespace valuation {

/** The factor columns "відомість_кварталів" has ("лок_1".."лок_30"). */
constexpr int QuarterStoredFactors = 30;

/** The statement that creates "функціональне" (the district and "ф_1".."ф_20"). */
QString FunctionalTableSql();
/** The statement that creates "відомість_кварталів". */
QString QuarterTableSql();

/**
 * Brings a settlement's database made by an older version to the current shape: creates
 * "функціональне" and "відомість_кварталів" when missing, adds the Si, Ei, Ui, Ci columns of
 * "км2" and the indexation columns of "угіддя", widens "анкета"'s factor names to 150
 * characters, creates the (empty) record of the layers the steps read. Runs once when the
 * settlement's database connects; a second run changes nothing. Rows are never touched. False with
 * `error` giving the first failure when a step failed (the steps after it still run, so one
 * unreadable table does not keep the others old).
 */
bool UpgradeSettlementDatabase(Connection& project, QString* error = nullptr);

} // namespace valuation
