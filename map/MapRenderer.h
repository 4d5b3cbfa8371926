#pragma once

#include <QString>

class Feature;
class Layer;
class MapDocument;
class QPainter;

/**
 * Draws the visible layers of a map, bottom layer first, with the selection highlighted.
 * With `labels` the zones and districts carry their numbers, placed so that none covers
 * another (zone numbers first).
 */
void RenderMap(const MapDocument& map, QPainter& painter, bool labels = false);

/**
 * The label an object of a standard layer carries: "Зона 2" on "зони" (its "Zona"), "14" on
 * "райони" (its "Raion"); "" on other layers.
 */
QString StandardLabel(const Layer& layer, const Feature& feature);
