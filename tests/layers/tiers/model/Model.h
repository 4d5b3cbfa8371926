#pragma once

/** The model, over the engine. */
int ModelValue();
