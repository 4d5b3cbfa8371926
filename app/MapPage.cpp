#include "app/MapPage.h"

#include "gis/ui/MapGisTools.h"
#include "map/MapView.h"

#include <QVBoxLayout>

MapPage::MapPage(MapDocument& map, QWidget* parent) : MapTab(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new MapView(map, this);
    layout->addWidget(m_view);
    new MapGisTools(m_view);
}

void MapPage::removeAllLayers() {
    m_view->removeAllLayers();
}
bool MapPage::addLayer(const QString& path, bool visible) {
    return m_view->AddLayer(path, visible) != nullptr;
}
void MapPage::addUnavailableLayer(const QString& path, const QString& reason) {
    m_view->addUnavailableLayer(path, reason);
}
void MapPage::refreshLayerList() {
    m_view->RefreshLayerList();
}
void MapPage::setBusy(bool busy) {
    m_view->setBusy(busy);
}
void MapPage::setSettlementFolder(const QString& folder) {
    m_view->setSettlementFolder(folder);
}
