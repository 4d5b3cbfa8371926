#pragma once

#include "gis/ui/PlaceValuePanel.h"
#include "map/MapTypes.h"

#include <QObject>
#include <QPointer>
#include <memory>

struct SettlementTiling;
class QTemporaryDir;

class MapView;
class PlotRegisterWindow;
class QAction;
class QToolButton;

/**
 * The "Графіка" tab's work with other GIS programs and values, added to a map view's tool
 * bar: "Імпорт шару…" (its menu also checks that the layers tile: overlaps, gaps and regions
 * outside drawn in red on a temporary layer), "Експорт у GeoPackage…" and the map tool
 * "Оцінка місця", whose clicks on the map are valued in its panel. Owned by the view.
 */
class MapGisTools : public QObject {
    Q_OBJECT
public:
    /** The map tool's code (beside the map control's own tools). */
    static constexpr int ToolPlaceValue = ToolCustom + 1;

    MapGisTools(MapView* view, PlaceValuePanel::SessionSource session,
                PlaceValuePanel::TransferSink transfer);
    ~MapGisTools() override;

    /** The panel of "Оцінка місця" (made on first use). */
    PlaceValuePanel* panel();
    /** Shows the window "Реєстр ділянок" (made on first use), its plots shown on this map. */
    PlotRegisterWindow* openRegister();
    /** The settlement selected now ("" for none): a register of another one is cleared. */
    void settlementChanged(const QString& folder);

    QToolButton* cmdImport;
    QToolButton* cmdExport;
    QToolButton* cmdPlace;
    /** "Перевірити покриття шарів" in the menu of cmdImport. */
    QAction* actTiling;

    /** The name of the temporary layer that shows the pieces found. */
    static QString tilingLayerName();

public slots:
    void cmdImportClick();
    void cmdExportClick();
    void cmdPlaceClick();
    void cmdTilingClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /** Shows the layer file on the map, read again when it was there already. */
    void showLayer(const QString& path);
    void toolChanged(int tool);
    /** Puts the pieces found on the map as a temporary layer (removed when none). */
    void showTiling(const SettlementTiling& tiling);

    MapView* m_view;
    PlaceValuePanel::SessionSource m_session;
    PlaceValuePanel::TransferSink m_transfer;
    PlaceValuePanel* m_panel = nullptr;
    QPointer<PlotRegisterWindow> m_register;
    QPoint m_pressed;
    std::unique_ptr<QTemporaryDir> m_tilingDir;
};
