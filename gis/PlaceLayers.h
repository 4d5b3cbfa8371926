#pragma once

#include "map/Layer.h"

#include <QPointF>
#include <QString>
#include <memory>
#include <vector>

class OGRGeometry;

/** A local-factor region that covers a place: its layer, factor number and coefficient. */
struct FactorHit {
    QString layer; ///< "лок05"
    int factor = 0;
    QString value; ///< its "Km3" as stored
};

/** What the settlement's layers hold at a point. */
struct PlaceHit {
    /** The settlement has a boundary ("межі" with regions) and the point lies outside it. */
    bool outsideBoundary = false;
    /** The "Raion" of the district region at the point; "" when there is none. */
    QString district;
    /** One per local-factor layer whose region covers the point, by layer order. */
    std::vector<FactorHit> factors;
};

/** A part of a plot that lies in one district under one set of local-factor regions. */
struct PlotPiece {
    QString district;
    std::vector<FactorHit> factors;
    double areaM2 = 0;
};

/** A plot cut along the districts and the local-factor regions. */
struct PlotSplit {
    double areaM2 = 0;             ///< the whole plot
    double outsideM2 = 0;          ///< the part in no district
    double outsideBoundaryM2 = 0;  ///< the part outside the boundary (when there is one)
    std::vector<PlotPiece> pieces; ///< by district, then by the order of the cuts
};

/**
 * The layers a place is valued from, read once from the settlement's folder: "межі",
 * "райони" and every local-factor layer "лок…". Points and plots are looked up through the
 * layers' spatial indexes, never by a scan of all objects.
 */
class PlaceLayers {
public:
    PlaceLayers();
    ~PlaceLayers();

    /**
     * Reads the layers of the folder. False with the reason when there is no readable
     * "райони" or a boundary or local-factor layer is there but cannot be read; a missing
     * boundary or local-factor layer is no error.
     */
    bool load(const QString& folder, QString* error);

    /** What lies at the point (a point on a shared edge goes to the first region). */
    PlaceHit at(const QPointF& point) const;
    /** The plot cut into parts; parts smaller than a square centimetre are left out. */
    PlotSplit split(const OGRGeometry& plot) const;

    /** The coordinate system of "райони" as WKT ("" for the numeric one). */
    const QString& crsWkt() const { return m_crs; }
    const Layer* districts() const { return m_districts.get(); }
    /** The local-factor layers with their factor numbers, by number. */
    const std::vector<std::pair<int, std::unique_ptr<Layer>>>& factorLayers() const {
        return m_factors;
    }

private:
    std::unique_ptr<Layer> m_boundary;
    std::unique_ptr<Layer> m_districts;
    std::vector<std::pair<int, std::unique_ptr<Layer>>> m_factors;
    QString m_crs;
};
