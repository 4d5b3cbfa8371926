#pragma once

#include "valuation/Check.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace valuation {

/** The steps whose stored results are stale, each with its reasons: what the step list marks. */
struct StepMarks {
    QHash<int, QStringList> reasons; ///< by static_cast<int>(Step)

    bool isStale(Step step) const { return reasons.contains(static_cast<int>(step)); }
    QStringList reasonsOf(Step step) const { return reasons.value(static_cast<int>(step)); }
};

/** The marks of a check's result. */
StepMarks MarksOf(const CheckResult& result);

/**
 * What identifies the state of a settlement database on disk: the size and time of change of
 * the file and of its journal. Any store changes it.
 */
QString DatabaseStateKey(const QString& databasePath);

/** What a check adds beyond the database (the map layers), and the state of what it reads. */
struct CheckMore {
    /** Identifies the state of what `check` reads: the marks are remembered with it. */
    QString stateKey;
    /** Adds its findings to the result; false with the reason in the error. */
    std::function<bool(CheckResult&, QString*)> check;
};

/**
 * The step list's marks of a settlement database, from the remembered ones in `cacheFolder`
 * when the database (and `more.stateKey`) has not changed since they were found, else from a
 * check and `more.check` (then remembered). `checked` says whether a check ran. False with
 * the reason in `error` when the settlement cannot be read.
 */
bool StepMarksOf(Connection& project, const QString& cacheFolder, StepMarks& marks,
                 bool* checked = nullptr, QString* error = nullptr, const CheckMore& more = {});

/** Remembers the marks of a check just made (after a store, a recalculation). */
void RememberStepMarks(Connection& project, const QString& cacheFolder, const StepMarks& marks,
                       const QString& moreStateKey = QString());

} // namespace valuation
