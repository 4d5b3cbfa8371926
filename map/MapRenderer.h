#pragma once

class MapDocument;
class QPainter;

/** Draws the visible layers of a map, bottom layer first, with the selection highlighted. */
void RenderMap(const MapDocument& map, QPainter& painter);
