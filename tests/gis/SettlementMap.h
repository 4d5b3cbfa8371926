#pragma once

#include "gis/SettlementLayers.h"
#include "map/MapGlobal.h"
#include "map/ui/MapView.h"

/** Shows the settlement's layers in the view as the main window does when it opens one. */
inline void ShowSettlementMap(MapView& view, const QString& folder) {
    view.removeAllLayers();
    view.setSettlementFolder(folder);
    for (const QString& path : SettlementMapPaths(folder))
        view.AddLayer(path, true);
    if (view.map().layerCount() > 0)
        ZoomToRectangle(view.map(), AllLayersBounds(view.map()));
    view.RefreshLayerList();
}
