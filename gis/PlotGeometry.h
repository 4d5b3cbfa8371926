#pragma once

#include "gis/PlotRegister.h"

#include <QString>
#include <QStringList>
#include <memory>

class CrsTransform;
class OGRGeometry;

/** Brings the plots of one source from its coordinate system into the settlement's. */
class PlotMover {
public:
    PlotMover();
    ~PlotMover();

    /**
     * Decides for a source whose system is `fromWkt` ("" when it names none; the valuer's
     * "--crs" then stands for it). False with the one-line reason when its plots cannot be
     * placed in the settlement's system; `note` says what will be done ("" when nothing).
     */
    bool prepare(const QString& fromWkt, const PlotSystems& systems, QString* reason,
                 QString* note);
    /** Moves a region in place; false when some point cannot be moved. */
    bool apply(OGRGeometry& region) const;

private:
    std::unique_ptr<CrsTransform> m_move;
};

/**
 * The shape as a valid region (curves, closed lines and collections made regions, invalid
 * ones repaired); null with the reason when nothing with an area is left.
 */
std::unique_ptr<OGRGeometry> PlotRegion(const OGRGeometry& shape, QStringList& notes,
                                        QString* reason);
