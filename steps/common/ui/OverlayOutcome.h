#pragma once

#include "map/Overlay.h"

#include <QString>

/**
 * What a step window says after an overlay of map layers: the error when a table could not
 * be opened, nothing after "Стоп", the warning naming the regions repaired for it. True when
 * the window goes on to put the result into its grid.
 */
bool OverlayFinished(bool ok, const QString& error, const OverlayStats& stats);
