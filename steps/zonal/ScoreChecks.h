#pragma once

// The zonal calculations are the valuation model's; the checks of typed scores the step's.
#include "steps/common/StepIssue.h"
#include "valuation/ZonalScores.h"

/** The highest score of the questionnaire (scores run from 1, the worst, to 5 or 10). */
constexpr int MaxScore = 10;

/**
 * Checks the questionnaire before storing: every score of a numbered row is empty or a
 * whole number from 1 to 10; the issue names the cell of "GridAnketa".
 */
StepCheck CheckScores(const StringGrid& anketa);
