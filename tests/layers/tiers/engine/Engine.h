#pragma once

/** The engine: knows no valuation. */
int EngineValue();
