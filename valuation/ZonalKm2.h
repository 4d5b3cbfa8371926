#pragma once

#include "common/StringGrid.h"
#include "valuation/Formulas.h"
#include "valuation/ZonalGrids.h"

#include <QString>
#include <QStringList>

using valuation::Km2Bounds;
using valuation::Km2BoundsFor;

/** What ComputeKm2 shows beside the result grid. */
struct Km2Outcome {
    /** "EKm2Min" and "EKm2Max": the smallest and largest zone Km2, "0.00" when none. */
    QString minimum;
    QString maximum;
    /** The lines of "LabelWarningKm2", one per zone bounded (or without an area). */
    QStringList warnings;
};

/**
 * Km2 and the value of 1 sq m of every zone: the zone's districts with an Іі (zones compared
 * as text, so "1" and "01" differ) give Km2 = sum(area x Іі) / sum(area), kept within the
 * population's bounds; value = average value x Km2. Clears the Km2 and value columns first;
 * a district without a zone or an Іі keeps them empty, and so does a zone whose districts
 * have no area at all (it gets a warning line). `population` and `averageValue` are the texts
 * of the hidden fields (not a number counts as 0).
 */
Km2Outcome ComputeKm2(StringGrid& result, const ResultColumns& cols, const QString& population,
                      const QString& averageValue);

/**
 * "Поновити склад зон": the zones in use, those of the zone grid first (keeping their
 * descriptions) and then new ones in order of first appearance, each with the district
 * numbers that name it joined by ", "; zones no district names any more are dropped. Returns
 * the number of zones (for "Кількість зон").
 */
int RebuildZoneList(const StringGrid& result, const ResultColumns& cols, StringGrid& zones);
