#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <vector>

class Feature;
class MapDocument;
class QPainter;

/** How the objects of the layers of one name are labelled over the map. */
struct LayerLabels {
    /** The layer's name, compared without regard to case. */
    QString layer;
    QFont font;
    QColor colour = Qt::black;
    /** An object's label; "" for none. */
    std::function<QString(const Feature&)> text;
};

/** The labelled layers in the order their labels are placed: earlier ones win a place. */
using MapLabels = std::vector<LayerLabels>;

/**
 * Draws the visible layers of a map, bottom layer first, with the selection highlighted,
 * then the labels of the visible layers `labels` names, placed so that none covers another.
 */
void RenderMap(const MapDocument& map, QPainter& painter, const MapLabels& labels = {});
