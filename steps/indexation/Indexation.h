#pragma once

// The indexation table and IndexationFactor live in the valuation model.
#include "valuation/Indexation.h"
