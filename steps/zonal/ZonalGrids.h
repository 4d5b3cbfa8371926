#pragma once

// The zonal calculations are the valuation model's.
#include "valuation/ZonalGrids.h"
