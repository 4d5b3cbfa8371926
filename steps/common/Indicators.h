#pragma once

// The indicators of a settlement are read through the valuation model.
#include "valuation/Indicators.h"
