#pragma once

// The indexation lines are the valuation model's.
#include "valuation/IndexationLines.h"
