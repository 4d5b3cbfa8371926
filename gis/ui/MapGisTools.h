#pragma once

#include "gis/ui/PlaceValuePanel.h"
#include "map/MapTypes.h"

#include <QObject>

class MapView;
class QToolButton;

/**
 * The "Графіка" tab's work with other GIS programs and values, added to a map view's tool
 * bar: "Імпорт шару…", "Експорт у GeoPackage…" and the map tool "Оцінка місця", whose
 * clicks on the map are valued in its panel. Owned by the view.
 */
class MapGisTools : public QObject {
    Q_OBJECT
public:
    /** The map tool's code (beside the map control's own tools). */
    static constexpr int ToolPlaceValue = ToolCustom + 1;

    MapGisTools(MapView* view, PlaceValuePanel::SessionSource session,
                PlaceValuePanel::TransferSink transfer);

    /** The panel of "Оцінка місця" (made on first use). */
    PlaceValuePanel* panel();

    QToolButton* cmdImport;
    QToolButton* cmdExport;
    QToolButton* cmdPlace;

public slots:
    void cmdImportClick();
    void cmdExportClick();
    void cmdPlaceClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /** Shows the layer file on the map, read again when it was there already. */
    void showLayer(const QString& path);
    void toolChanged(int tool);

    MapView* m_view;
    PlaceValuePanel::SessionSource m_session;
    PlaceValuePanel::TransferSink m_transfer;
    PlaceValuePanel* m_panel = nullptr;
    QPoint m_pressed;
};
