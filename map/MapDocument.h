#pragma once

#include "map/Layer.h"
#include "map/MapTypes.h"

#include <QObject>
#include <QSize>
#include <memory>
#include <optional>
#include <vector>

/**
 * A layer description: open a table file (type 0) or write a new one (type 7). Every layer
 * has its attribute table (Dataset) of the layer's name.
 */
struct LayerInfo {
    int type = 0;
    QString fileSpec;
    QString name;
    bool visible = true;
    QString datasetName;
    std::vector<FieldDef> fields;     ///< for type 7
    std::optional<CoordSys> coordSys; ///< for type 7; the map's own when unset
    bool overwriteFile = false;       ///< for type 7
};

/**
 * The map without a window: its layers (index 0 is the top, the newest), the shown
 * rectangle, the area unit, the numeric coordinate system and the current tool.
 * Windows draw it; step calculations overlay its layers without any window.
 */
class MapDocument : public QObject {
    Q_OBJECT
public:
    explicit MapDocument(QObject* parent = nullptr);
    ~MapDocument() override;

    int layerCount() const { return static_cast<int>(m_layers.size()); }
    /** Layer by 0-based position from the top; null when out of range. */
    Layer* layerAt(int index) const;
    /** Puts an open layer on top (position 1) and returns it. */
    Layer* addLayer(std::unique_ptr<Layer> layer);
    /**
     * Adds a layer from its description at a 1-based position (1 = top); null with the
     * reason in `error` when the file cannot be opened or written.
     */
    Layer* addLayer(const LayerInfo& info, int position, QString* error);
    /** Opens a table file as a new top layer; null with the reason in `error`. */
    Layer* addLayerFromFile(const QString& path, const QString& name, bool visible, QString* error);
    /** Writes a new empty table with the fields and this map's coordinate system and opens it. */
    Layer* addNewTable(const QString& path, const QString& name,
                       const std::vector<FieldDef>& fields, bool overwrite,
                       const QString& description, QString* error);
    void removeLayer(Layer* layer);
    void removeAllLayers();

    int currentTool() const { return m_tool; }
    /** A MapTool, or a code from ToolCustom up; other codes are ignored. */
    void setCurrentTool(int tool);

    int areaUnit() const { return m_areaUnit; }
    /** False (unit unchanged) for a code the map does not know. */
    bool setAreaUnit(int unit);

    const CoordSys& numericCoordSys() const { return m_coordSys; }
    void setNumericCoordSys(int type, int units, const MapRect& bounds);

    /** The shown rectangle, from centre, zoom and the window's proportions. */
    MapRect bounds() const;
    /** Shows the rectangle whole, centred; a rectangle without extent only recentres. */
    void setBounds(const MapRect& rect);
    QPointF centre() const { return m_centre; }
    void setCentre(const QPointF& centre);
    /** The width of the shown area in map units. */
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    /** The size in pixels of the window the map is shown in. */
    QSize viewportSize() const { return m_viewport; }
    void setViewportSize(const QSize& size);
    /** Map units per pixel. */
    double unitsPerPixel() const;
    QPointF toScreen(const QPointF& map) const;
    QPointF toMap(const QPointF& screen) const;

    /** Selects on every visible layer the topmost object at the map point; signals once. */
    void selectAt(const QPointF& mapPoint, double tolerance);
    void clearSelection();
    /** Tells the watchers that layers or objects changed so windows redraw. */
    void notifyChanged();

signals:
    void selectionChanged();
    void layersChanged();
    void viewChanged();
    void toolChanged(int tool);

private:
    std::vector<std::unique_ptr<Layer>> m_layers;
    int m_tool = ToolSelect;
    int m_areaUnit = AreaSquareMetre;
    CoordSys m_coordSys;
    QPointF m_centre;
    double m_zoom = 1000;
    QSize m_viewport{800, 600};
};
