#pragma once

// The district list is read through the valuation model.
#include "valuation/Districts.h"

class Connection;

/** The warning of a step that needs the districts before they are given. */
QString DistrictCountMissingText();

/**
 * The check a step that needs the districts makes before it opens: false with the warning
 * DistrictCountMissingText() (or the one of a count above 999) in `warning` when "Кількість
 * районів" is not a number from 1 to 999. The step's window shows the warning.
 */
bool RequireDistrictCount(Connection& project, QString* warning = nullptr);
