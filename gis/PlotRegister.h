#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class OGRGeometry;

/** A plot of the register as read from its source, before it is valued. */
struct RegisterPlot {
    QString cadastral;   ///< "1234567890:01:001:0001"; "" when the source gives none
    QString purpose;     ///< the purpose classifier's code ("02.01"); "" when not given
    double statedHa = 0; ///< the stated area in hectares; 0 when not stated
    QString address;     ///< "" when not given
    QString source;      ///< where it was read: the file's name and the object's number
    /** Its region in the settlement's coordinate system; null when it could not be read. */
    std::shared_ptr<const OGRGeometry> geometry;
    QString reason;    ///< why it could not be read (one line); "" when it was read
    QStringList notes; ///< what was done on the way (repaired, reprojected)
};

/** The source fields of a plot file (by name); "" for none. Empty names are guessed. */
struct PlotFields {
    QString cadastral;
    QString purpose;
    QString area; ///< the stated area in hectares
    QString address;
};

/**
 * Reads "cadastral=FIELD", "purpose=FIELD", "area=FIELD" or "address=FIELD" into the mapping;
 * false with a one-line reason for anything else.
 */
bool ParsePlotField(const QString& text, PlotFields& fields, QString* error);

/**
 * Which of the plot settings (the settlement's coordinate system and the one the valuer gave
 * for sources that name none or an unknown one) a reader uses.
 */
struct PlotSystems {
    QString settlementWkt; ///< "" for the settlement's numeric plane
    QString askedWkt;      ///< "--crs"; "" when not given
};

/**
 * Reads every object of a vector file of any format GDAL reads (its layer `layer`, "" for the
 * only one) as a plot: the mapped fields, its region repaired and brought into the
 * settlement's system. An object without an area gets its reason and the rest go on. False
 * with the reason only when the file cannot be read at all.
 */
bool ReadVectorPlots(const QString& path, const QString& layer, const PlotFields& fields,
                     const PlotSystems& systems, std::vector<RegisterPlot>& plots, QString* error);

/** Whether the file is a cadastral exchange file (its root element says so). */
bool IsExchangeFile(const QString& path);

/**
 * Reads the parcels of a cadastral exchange file: each boundary assembled from the file's
 * points and lines, holes included, the cadastral number, purpose, stated area and address.
 * Owners and their documents are never read. A parcel that cannot be assembled gets its
 * reason and the rest go on. False with the reason only when the file cannot be read.
 */
bool ReadExchangePlots(const QString& path, const PlotSystems& systems,
                       std::vector<RegisterPlot>& plots, QString* error);

/**
 * Reads the sources the valuer named: exchange files, vector files, and folders (their
 * exchange files). A source that cannot be read at all becomes one unreadable plot with the
 * reason, so the others go on.
 */
void ReadPlotSources(const QStringList& sources, const QString& layer, const PlotFields& fields,
                     const PlotSystems& systems, std::vector<RegisterPlot>& plots);
