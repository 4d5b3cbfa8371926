#pragma once

/** A consumer of the model. */
int AValue();
