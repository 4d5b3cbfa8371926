#include "map/ui/MapControl.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <QPainter>
#include <QWheelEvent>

MapControl::MapControl(MapDocument& map, QWidget* parent) : QWidget(parent), m_map(map) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 100);
    connect(&m_map, &MapDocument::viewChanged, this, qOverload<>(&QWidget::update));
    connect(&m_map, &MapDocument::layersChanged, this, qOverload<>(&QWidget::update));
    connect(&m_map, &MapDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(&m_map, &MapDocument::toolChanged, this, [this] { updateCursor(); });
    updateCursor();
}

void MapControl::updateCursor() {
    switch (m_map.currentTool()) {
    case ToolPan:
        setCursor(Qt::OpenHandCursor);
        break;
    case ToolZoomIn:
    case ToolZoomOut:
        setCursor(Qt::CrossCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void MapControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    static const MapLabels none;
    RenderMap(m_map, painter, m_labels ? m_labelRule : none);
    if (m_dragging && m_map.currentTool() == ToolZoomIn) {
        QPen pen(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_pressAt, m_current).normalized());
    }
}

void MapControl::setShowLabels(bool show) {
    if (show == m_labels)
        return;
    m_labels = show;
    update();
}

void MapControl::setLabelRule(MapLabels labels) {
    m_labelRule = std::move(labels);
    update();
}

void MapControl::resizeEvent(QResizeEvent* event) {
    m_map.setViewportSize(size());
    QWidget::resizeEvent(event);
}

void MapControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setFocus();
    m_dragging = true;
    m_pressAt = event->position().toPoint();
    m_current = m_pressAt;
    m_pressCentre = m_map.centre();
    if (m_map.currentTool() == ToolPan)
        setCursor(Qt::ClosedHandCursor);
}

void MapControl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    m_current = event->position().toPoint();
    if (m_map.currentTool() == ToolPan) {
        const QPointF delta = QPointF(m_current - m_pressAt) * m_map.unitsPerPixel();
        m_map.setCentre({m_pressCentre.x() - delta.x(), m_pressCentre.y() + delta.y()});
    } else if (m_map.currentTool() == ToolZoomIn) {
        update();
    }
}

void MapControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    const QPoint at = event->position().toPoint();
    const bool dragged = (at - m_pressAt).manhattanLength() > 4;
    switch (m_map.currentTool()) {
    case ToolSelect:
        m_map.selectAt(m_map.toMap(at), 3 * m_map.unitsPerPixel());
        break;
    case ToolZoomIn:
        if (dragged) {
            const QPointF a = m_map.toMap(m_pressAt);
            const QPointF b = m_map.toMap(at);
            m_map.setBounds({std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                             std::max(a.y(), b.y())});
        } else {
            zoomAt(at, 0.5);
        }
        break;
    case ToolZoomOut:
        zoomAt(at, 2.0);
        break;
    case ToolPan:
        setCursor(Qt::OpenHandCursor);
        break;
    default:
        break;
    }
    update();
}

void MapControl::zoomAt(const QPointF& screen, double factor) {
    const QPointF at = m_map.toMap(screen);
    m_map.setCentre(at);
    m_map.setZoom(m_map.zoom() * factor);
}

void MapControl::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return;
    // Keep the point under the mouse where it is.
    const QPointF screen = event->position();
    const QPointF before = m_map.toMap(screen);
    m_map.setZoom(m_map.zoom() * (steps > 0 ? 0.8 : 1.25));
    const QPointF after = m_map.toMap(screen);
    m_map.setCentre(m_map.centre() + (before - after));
}

void MapControl::keyPressEvent(QKeyEvent* event) {
    const double step = m_map.zoom() / 8;
    QPointF c = m_map.centre();
    switch (event->key()) {
    case Qt::Key_Left:
        c.rx() -= step;
        break;
    case Qt::Key_Right:
        c.rx() += step;
        break;
    case Qt::Key_Up:
        c.ry() += step;
        break;
    case Qt::Key_Down:
        c.ry() -= step;
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        m_map.setZoom(m_map.zoom() * 0.5);
        return;
    case Qt::Key_Minus:
        m_map.setZoom(m_map.zoom() * 2);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_map.setCentre(c);
}
