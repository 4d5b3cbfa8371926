#pragma once

#include "common/StringGrid.h"
#include "steps/common/WorkingItems.h"
#include "valuation/ZonalKm2.h"

#include <QString>
#include <vector>

/**
 * "Встановити як робочі" on the questionnaire: the rows of unchecked factors go, checked
 * factors keep their rows and scores, a newly checked factor gets a new empty row below the
 * previous checked factor's row (see ApplyWorkingItems); the rows are numbered 1, 2, ...
 * Returns the number of checked factors; with none, the caller warns (see NoFactorText).
 */
int ApplyWorkingFactors(StringGrid& anketa, const std::vector<WorkingItem>& factors);

/** The text of "Не обрано жодного фактору." */
QString NoFactorText();
