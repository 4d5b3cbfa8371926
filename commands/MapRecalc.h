#pragma once

#include "valuation/Check.h"

#include <QString>
#include <QStringList>

class Connection;

/** What taking values from the map again did. */
struct MapRecalcOutcome {
    /** The values rewritten: "«Визначення площ»: район 1: площа 3.00 → 3.24". */
    QStringList changed;
    /** Values the valuer typed whose map value now differs: listed, never touched. */
    QStringList typed;
    /** Steps whose values recalc cannot take again: the valuer does it in the step. */
    QStringList left;
};

/**
 * For each step whose layers changed since (`result.mapChanges`, from CheckStepLayers) reads
 * its layers in `folder` again, as its "З мапи" does, and writes the values the valuer did
 * not type with the layers' new fingerprints: the district areas from "райони" (a district
 * whose area differs from its former map area was typed: only its map area follows), the
 * functional areas of the districts. The local factors are left to their step (their catalogue
 * decides which layers count). Meant to run inside the recalculation's transaction; false with
 * the reason in `error` (the caller rolls back).
 */
bool RetakeFromMap(Connection& project, const QString& folder, const valuation::CheckResult& result,
                   MapRecalcOutcome& outcome, QString* error = nullptr);

/**
 * The whole recalculation in one transaction: the values of changed layers taken again
 * (RetakeFromMap), then every stale result the check then finds written
 * (valuation::WriteRecalculated); `result` becomes the check whose stale values were written.
 * The caller makes the automatic copy first. False with the reason in `error`; the database
 * then keeps its former content.
 */
bool RecalcSettlement(Connection& project, const QString& folder, valuation::CheckResult& result,
                      MapRecalcOutcome& outcome, QString* error = nullptr);
