#include "app/MapPage.h"

#include "app/MainWindow.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "gis/MapLabels.h"
#include "gis/ui/MapGisTools.h"
#include "map/ui/MapControl.h"
#include "map/ui/MapView.h"
#include "steps/plots/ui/FormOtsenkaDilanky.h"

#include <QVBoxLayout>

MapPage::MapPage(MapDocument& map, QWidget* parent) : MapTab(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new MapView(map, this);
    m_view->setOpenFolder(GlobalVar().Settings.ProjectsDir);
    m_view->setEditorWorkspace(JoinPath(GlobalVar().Settings.AppDir, QStringLiteral("карта.gwp")));
    m_view->Map1->setLabelRule(SettlementMapLabels());
    layout->addWidget(m_view);
    // The place tools reach the session's settlement through the main window.
    auto* window = qobject_cast<TFormMain*>(parent);
    auto session = [window] {
        if (!window || !window->stepContext().valid())
            return PlaceSession();
        const StepContext& c = window->stepContext();
        return PlaceSession{c.folder, c.project, c.catalogue, c.name};
    };
    auto transfer = [window](const PlaceTransfer& place) {
        if (!window || !window->stepContext().valid())
            return;
        const PlotPreset preset{place.plot, place.name, place.district,
                                place.kf,   place.km3,  place.areaHa};
        OpenStepPlots(window->stepContext(), window, &preset);
    };
    m_tools = new MapGisTools(m_view, session, transfer);
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
    m_tools->settlementChanged(folder);
}
void MapPage::openPlotRegister() {
    m_tools->openRegister();
}
