#pragma once

#include <QString>

struct StepContext;

/**
 * The folder whose map tables a step overlays: that of the districts' layer "райони" on the
 * session's map, or the settlement's folder when the map has no such layer.
 */
QString DistrictLayerFolder(const StepContext& context);
