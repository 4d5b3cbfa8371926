#pragma once

#include <QObject>

class MapView;
class QToolButton;

/**
 * The "Графіка" tab's work with other GIS programs and values: "Імпорт шару…" and
 * "Експорт у GeoPackage…" on the map's tool bar. Added to a map view, owned by it.
 */
class MapGisTools : public QObject {
    Q_OBJECT
public:
    explicit MapGisTools(MapView* view);

    QToolButton* cmdImport;
    QToolButton* cmdExport;

public slots:
    void cmdImportClick();

private:
    /** Shows the layer file on the map, read again when it was there already. */
    void showLayer(const QString& path);

    MapView* m_view;
};
