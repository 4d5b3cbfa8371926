#pragma once

#include "app/MapTab.h"

class MapDocument;
class MapGisTools;
class MapView;

/** The "Графіка" tab: the map view with the settlement's layers. */
class MapPage : public MapTab {
    Q_OBJECT
public:
    /** The page over the session's map document. */
    explicit MapPage(MapDocument& map, QWidget* parent = nullptr);
    void removeAllLayers() override;
    bool addLayer(const QString& path, bool visible) override;
    void addUnavailableLayer(const QString& path, const QString& reason) override;
    void refreshLayerList() override;
    void setBusy(bool busy) override;
    void setSettlementFolder(const QString& folder) override;
    void openPlotRegister() override;
    MapView* view() const { return m_view; }

private:
    MapView* m_view = nullptr;
    MapGisTools* m_tools = nullptr;
};
