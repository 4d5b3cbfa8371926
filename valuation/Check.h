#pragma once

#include "valuation/StepNames.h"

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

namespace valuation {

/** One stored result that disagrees with what the model computes from its inputs. */
struct StaleValue {
    /** The step that owns the value. */
    Step step = Step::Info;
    /** What is stale: an indicator, or a table and its row ("км2, район 7: вартість"). */
    QString what;
    QString stored;
    QString computed;

    /** Where it is stored: the indicator's name ... */
    QString indicator;
    /** ... or the table, the row (its rowid) and the column. */
    QString table;
    long long rowId = 0;
    QString column;
    /** A table rewritten as a whole (the zone list), with its new rows. */
    std::vector<QStringList> rows;
};

/** A stored value the model cannot use (a coefficient that is not a number...). */
struct Problem {
    Step step = Step::Info;
    QString text;
};

/** A value the valuer typed over a computed one, with that computed value then and now. */
struct TypedValue {
    Step step = Step::Info;
    QString what;
    QString value;
    /** The computed value it replaced and its inputs, as recorded ("" for older marks). */
    QString computedThen;
    QString inputsThen;
    /** What the model computes now, and from what. */
    QString computedNow;
    QString inputsNow;
    /** The computed value changed since it was typed over: the valuer should look again. */
    bool changed = false;
};

/** What the check found. */
struct CheckResult {
    std::vector<StaleValue> stale;
    std::vector<Problem> problems;
    /** Every typed value; the changed ones are findings, the others notes. */
    std::vector<TypedValue> typed;
    /** Values taken from a map layer that changed since (found by CheckLayerUses). */
    std::vector<Problem> mapChanges;
    /** Values taken from the map with no fingerprint to compare: notes, not findings. */
    std::vector<Problem> mapNotes;

    bool agrees() const {
        return stale.empty() && problems.empty() && mapChanges.empty() && !typedChanged();
    }
    bool typedChanged() const;
    /** The steps whose stored results are stale, each once, with the lines of each. */
    bool isStale(Step step) const;
    QStringList reasons(Step step) const;
};

/**
 * Recomputes every derived result of the settlement through the model, in dependency order
 * (В, Цнм, the zonal indices, Km2 and zone values, the zone list, the quarter statement's
 * local coefficients, the soils' values, the plots), from the stored inputs and the values
 * the valuer typed (kept as they are), and lists what disagrees with what is stored. Reads
 * only. False with the reason in `error` when the settlement cannot be read.
 */
bool CheckSettlement(Connection& project, CheckResult& result, QString* error = nullptr);

/** A line of the check: step caption, what, stored and recomputed value. */
/** Texts that say the same: equal but for spaces around, or both numbers of the same value. */
bool SameValue(const QString& a, const QString& b);
/** A value as the lines show it: "(порожньо)" for an empty one. */
QString ShownValue(const QString& text);
QString StaleLine(const StaleValue& stale);
QString ProblemLine(const Problem& problem);
/** A value of the map: "«Визначення площ»: площі районів узято з шару «райони», ...". */
QString MapLine(const Problem& problem);
/**
 * A typed value: "крок: що: уведено оцінювачем 60.00, обчислене значення 56.69 (В 23.62,
 * Км1 1.200)", or, when that changed, both the computed value then and now.
 */
QString TypedLine(const TypedValue& typed);
/** Every finding of a result: stale values, problems, changed layers, changed typed values. */
QStringList CheckLines(const CheckResult& result);
/** The typed values that are no findings and the map notes, each after "примітка: ". */
QStringList NoteLines(const CheckResult& result);

/**
 * Writes every stale value of `result` (as CheckSettlement found it) in one transaction, so
 * that a check after it agrees; values typed by the valuer are never touched. The caller makes
 * the automatic copy first. False with the reason in `error`; the database then keeps its
 * former content.
 */
bool WriteRecalculated(Connection& project, const CheckResult& result, QString* error = nullptr);

/** A recalculation line: "caption: what: old → new". */
QString RecalcLine(const StaleValue& stale);

} // namespace valuation
