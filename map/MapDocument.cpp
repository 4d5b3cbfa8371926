#include "map/MapDocument.h"

#include <ogr_geometry.h>

#include <algorithm>

MapDocument::MapDocument(QObject* parent) : QObject(parent) {}

MapDocument::~MapDocument() = default;

Layer* MapDocument::layerAt(int index) const {
    if (index < 0 || index >= layerCount())
        return nullptr;
    return m_layers[static_cast<size_t>(index)].get();
}

Layer* MapDocument::addLayer(std::unique_ptr<Layer> layer) {
    if (!layer)
        return nullptr;
    layer->setChangedCallback([this] { emit layersChanged(); });
    Layer* raw = layer.get();
    m_layers.insert(m_layers.begin(), std::move(layer));
    emit layersChanged();
    return raw;
}

Layer* MapDocument::addLayer(const LayerInfo& info, int position, QString* error) {
    if (info.type == 7 &&
        !TabFile::create(info.fileSpec, info.fields, info.coordSys.value_or(m_coordSys),
                         info.overwriteFile, info.name, error))
        return nullptr;
    if (info.type != 0 && info.type != 7) {
        if (error)
            *error = QStringLiteral("Невідомий вид шару %1.").arg(info.type);
        return nullptr;
    }
    std::unique_ptr<Layer> layer = Layer::open(info.fileSpec, info.name, error);
    if (!layer)
        return nullptr;
    layer->setVisible(info.visible);
    layer->setChangedCallback([this] { emit layersChanged(); });
    Layer* raw = layer.get();
    const auto at = std::clamp(position - 1, 0, layerCount());
    m_layers.insert(m_layers.begin() + at, std::move(layer));
    emit layersChanged();
    return raw;
}

Layer* MapDocument::addLayerFromFile(const QString& path, const QString& name, bool visible,
                                     QString* error) {
    LayerInfo info;
    info.fileSpec = path;
    info.name = name;
    info.datasetName = name;
    info.visible = visible;
    return addLayer(info, 1, error);
}

Layer* MapDocument::addNewTable(const QString& path, const QString& name,
                                const std::vector<FieldDef>& fields, bool overwrite,
                                const QString& description, QString* error) {
    if (!TabFile::create(path, fields, m_coordSys, overwrite, description, error))
        return nullptr;
    return addLayerFromFile(path, name, true, error);
}

void MapDocument::removeLayer(Layer* layer) {
    const auto it = std::find_if(m_layers.begin(), m_layers.end(),
                                 [layer](const auto& l) { return l.get() == layer; });
    if (it == m_layers.end())
        return;
    const bool hadSelection = (*it)->selectionCount() > 0;
    m_layers.erase(it);
    emit layersChanged();
    if (hadSelection)
        emit selectionChanged();
}

void MapDocument::removeAllLayers() {
    if (m_layers.empty())
        return;
    bool hadSelection = false;
    for (const auto& l : m_layers)
        hadSelection = hadSelection || l->selectionCount() > 0;
    m_layers.clear();
    emit layersChanged();
    if (hadSelection)
        emit selectionChanged();
}

void MapDocument::setCurrentTool(int tool) {
    if (tool != ToolPan && tool != ToolZoomIn && tool != ToolZoomOut && tool != ToolSelect &&
        tool < ToolCustom)
        return;
    if (tool == m_tool)
        return;
    m_tool = tool;
    emit toolChanged(tool);
}

bool MapDocument::setAreaUnit(int unit) {
    if (SquareMetresPerUnit(unit) <= 0)
        return false;
    m_areaUnit = unit;
    return true;
}

void MapDocument::setNumericCoordSys(int type, int units, const MapRect& bounds) {
    m_coordSys.type = type;
    m_coordSys.units = units;
    if (!bounds.isNull() && bounds.width() > 0 && bounds.height() > 0)
        m_coordSys.bounds = bounds;
}

MapRect MapDocument::bounds() const {
    const double w = m_zoom;
    const double h = m_zoom * m_viewport.height() / std::max(1, m_viewport.width());
    return {m_centre.x() - w / 2, m_centre.y() - h / 2, m_centre.x() + w / 2, m_centre.y() + h / 2};
}

void MapDocument::setBounds(const MapRect& rect) {
    if (rect.isNull())
        return;
    m_centre = rect.centre();
    const double aspect =
        static_cast<double>(std::max(1, m_viewport.width())) / std::max(1, m_viewport.height());
    const double zoom = std::max(rect.width(), rect.height() * aspect);
    if (zoom > 0)
        m_zoom = zoom;
    emit viewChanged();
}

void MapDocument::setCentre(const QPointF& centre) {
    m_centre = centre;
    emit viewChanged();
}

void MapDocument::setZoom(double zoom) {
    // Keep the view inside what the coordinate system can hold.
    const double limit = std::max(m_coordSys.bounds.width(), m_coordSys.bounds.height()) * 2;
    if (!(zoom > 1e-6) || zoom > limit)
        return;
    m_zoom = zoom;
    emit viewChanged();
}

void MapDocument::setViewportSize(const QSize& size) {
    if (size.width() <= 0 || size.height() <= 0 || size == m_viewport)
        return;
    m_viewport = size;
    emit viewChanged();
}

double MapDocument::unitsPerPixel() const {
    return m_zoom / std::max(1, m_viewport.width());
}

QPointF MapDocument::toScreen(const QPointF& map) const {
    const MapRect b = bounds();
    const double k = 1.0 / unitsPerPixel();
    return {(map.x() - b.xMin) * k, (b.yMax - map.y()) * k};
}

QPointF MapDocument::toMap(const QPointF& screen) const {
    const MapRect b = bounds();
    const double u = unitsPerPixel();
    return {b.xMin + screen.x() * u, b.yMax - screen.y() * u};
}

void MapDocument::selectAt(const QPointF& p, double tolerance) {
    const MapRect probe{p.x() - tolerance, p.y() - tolerance, p.x() + tolerance, p.y() + tolerance};
    for (const auto& layer : m_layers) {
        QSet<qint64> hit;
        if (layer->visible()) {
            const FeatureList& features = layer->features();
            const std::vector<int> near = layer->objectsIn(probe);
            // The last drawn object is the one on top.
            for (auto at = near.rbegin(); at != near.rend(); ++at) {
                const auto it = features.begin() + *at;
                bool inside = false;
                switch (it->kind()) {
                case FeatureKind::Region:
                    inside = it->geometry()->path().contains(p);
                    break;
                case FeatureKind::Line:
                case FeatureKind::Point: {
                    const OGRPoint point(p.x(), p.y());
                    inside = it->geometry()->ogr()->Distance(&point) <= tolerance;
                    break;
                }
                default:
                    inside = true; // texts: the probe touched the anchor
                    break;
                }
                if (inside) {
                    hit.insert(it->fid());
                    break;
                }
            }
        }
        layer->setSelection(hit);
    }
    emit selectionChanged();
}

void MapDocument::clearSelection() {
    for (const auto& layer : m_layers)
        layer->clearSelection();
    emit selectionChanged();
}

void MapDocument::notifyChanged() {
    emit layersChanged();
}
