#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

/**
 * The land structure's sums: the built-up territory and the territory not counted follow
 * from their parts, whether the areas come from the land statement or are typed in.
 */
namespace valuation {

class TypedValues;
struct CheckResult;
struct Settlement;

/** A sum of the land structure: its indicator and the indicators of the parts it adds. */
struct LandSum {
    QString total;
    QStringList parts;
};

/**
 * The built-up territory (housing, industry, commercial, transport, mixed and recreation
 * land; public land and technical infrastructure are shown apart and not added) and the
 * territory not counted (its seven lines and the statement's rest), in that order.
 */
const std::vector<LandSum>& LandSums();

/**
 * A sum from its parts' texts, "0.0000"; a part that is no number counts as 0. "" when no
 * part is a number: a total typed without its parts follows from nothing.
 */
QString LandSumOf(const LandSum& sum, const std::function<QString(const QString&)>& value);

/** The parts as a typed value's mark records them: "під житловою забудовою 10.0000, ...". */
QString LandSumInputs(const LandSum& sum, const std::function<QString(const QString&)>& value);

/** Whether a stored total says the computed one (the parts are rounded to 0.0001 ha each). */
bool LandSumAgrees(const QString& stored, const QString& computed);

/**
 * The land structure from the totals row of a land statement, by indicator, each "0.0000":
 * `column(k)` is the number in column k (0 when empty or no number). The sums and the
 * assessed territory add the values before they are rounded.
 */
QHash<QString, QString> LandStructureOfStatement(const std::function<double(int)>& column);

/**
 * Adds to `result` every land-structure sum that disagrees with its parts: a value typed by
 * the valuer (marked) as a typed value; an unmarked one as stale, which the recalculation
 * rewrites. A settlement whose areas were stored before the sums were kept (no rest of the
 * territory not counted) has its differing totals listed as the valuer's. The sums found
 * stale are taken as recomputed in `settlement` for what follows from them.
 */
void CheckLandSums(Settlement& settlement, const TypedValues& typed, CheckResult& result);

} // namespace valuation
