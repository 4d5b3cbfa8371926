#pragma once

#include "map/MapDocument.h"
#include "map/MapRenderer.h"

#include <QPoint>
#include <QWidget>

/**
 * The map control: draws a map document and handles the tools with the mouse (select,
 * pan by dragging, zoom in by click or dragged rectangle, zoom out by click), the wheel
 * and the keyboard (arrows pan, +/- zoom).
 */
class MapControl : public QWidget {
    Q_OBJECT
public:
    /** Draws and drives `map`, which the program's session owns and outlives the control. */
    explicit MapControl(MapDocument& map, QWidget* parent = nullptr);

    MapDocument& map() { return m_map; }
    const MapDocument& map() const { return m_map; }
    int currentTool() const { return m_map.currentTool(); }
    /** Whether the layers show their labels (those of the label rule). */
    bool showsLabels() const { return m_labels; }
    void setShowLabels(bool show);
    /** Which layers are labelled and how; none until the owner of the control gives it. */
    void setLabelRule(MapLabels labels);
    void setCurrentTool(int tool) { m_map.setCurrentTool(tool); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateCursor();
    void zoomAt(const QPointF& screen, double factor);

    MapDocument& m_map;
    bool m_labels = true;
    MapLabels m_labelRule;
    bool m_dragging = false;
    QPoint m_pressAt;
    QPoint m_current;
    QPointF m_pressCentre;
};
