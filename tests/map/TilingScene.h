#pragma once

// Shapes for the tiling check's tests and benchmark: a scene that owns its shapes, and a
// jittered grid of cells that tiles its boundary exactly.
#include "map/LayerTiling.h"

#include <QPointF>
#include <QRandomGenerator>
#include <ogr_geometry.h>

#include <memory>
#include <vector>

inline std::unique_ptr<OGRPolygon> Polygon(const std::vector<QPointF>& points) {
    OGRLinearRing ring;
    for (const QPointF& p : points)
        ring.addPoint(p.x(), p.y());
    ring.closeRings();
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRing(&ring);
    return polygon;
}

/** Owns the shapes of one check and hands them out as the engine takes them. */
struct Scene {
    std::vector<std::unique_ptr<OGRGeometry>> owned;
    std::vector<const OGRGeometry*> boundary;
    std::vector<TilingRegion> regions;

    void bound(std::unique_ptr<OGRGeometry> g) {
        boundary.push_back(g.get());
        owned.push_back(std::move(g));
    }
    void region(const QString& label, std::unique_ptr<OGRGeometry> g) {
        regions.push_back({g.get(), label});
        owned.push_back(std::move(g));
    }
    std::vector<TilingFinding> check(const TilingChecks& checks = {}) const {
        return FindTilingFaults(boundary, regions, checks);
    }
};

/**
 * A grid of rows × columns cells of `side` metres that tiles its boundary exactly: every
 * inner vertex and the middle of every edge moved at random, each shared by the cells
 * around it. The boundary walks the outer vertices and middles.
 */
inline Scene JitteredGrid(int rows, int columns, double side, quint32 seed) {
    QRandomGenerator rng(seed);
    const auto jitter = [&rng, side] { return (rng.generateDouble() - 0.5) * side * 0.3; };
    // Corners (rows + 1) × (columns + 1); on the border they move only along it.
    std::vector<std::vector<QPointF>> corner(rows + 1, std::vector<QPointF>(columns + 1));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            const bool rowEdge = r == 0 || r == rows, columnEdge = c == 0 || c == columns;
            corner[r][c] = QPointF(c * side + (columnEdge ? 0 : jitter()),
                                   r * side + (rowEdge ? 0 : jitter()));
        }
    // The middles of the edges along x (rows + 1 lines of columns) and along y.
    std::vector<std::vector<QPointF>> alongX(rows + 1, std::vector<QPointF>(columns));
    std::vector<std::vector<QPointF>> alongY(rows, std::vector<QPointF>(columns + 1));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < columns; ++c)
            alongX[r][c] = (corner[r][c] + corner[r][c + 1]) / 2 + QPointF(0, jitter() / 2);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c <= columns; ++c)
            alongY[r][c] = (corner[r][c] + corner[r + 1][c]) / 2 + QPointF(jitter() / 2, 0);

    Scene scene;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            scene.region(
                QString::number(r * columns + c + 1),
                Polygon({corner[r][c], alongX[r][c], corner[r][c + 1], alongY[r][c + 1],
                         corner[r + 1][c + 1], alongX[r + 1][c], corner[r + 1][c], alongY[r][c]}));
    std::vector<QPointF> ring;
    for (int c = 0; c < columns; ++c)
        ring.insert(ring.end(), {corner[0][c], alongX[0][c]});
    for (int r = 0; r < rows; ++r)
        ring.insert(ring.end(), {corner[r][columns], alongY[r][columns]});
    for (int c = columns; c > 0; --c)
        ring.insert(ring.end(), {corner[rows][c], alongX[rows][c - 1]});
    for (int r = rows; r > 0; --r)
        ring.insert(ring.end(), {corner[r][0], alongY[r - 1][0]});
    scene.bound(Polygon(ring));
    return scene;
}
