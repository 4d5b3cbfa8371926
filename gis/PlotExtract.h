#pragma once

#include "gis/PlaceValue.h"
#include "map/Geometry.h"
#include "map/PrintMap.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class Layer;
class PlaceLayers;

/** The settlement and the valuation an extract states. */
struct ExtractRequisites {
    QString settlement;    ///< the settlement's name
    QString koatuu;        ///< its KOATUU code ("" when not known)
    QString documentation; ///< the technical documentation and its approval ("" when not known)
    QString valuationYear; ///< the year the valuation was made ("" when not known)
    QString date;          ///< the extract's date, "dd.MM.yyyy"
    QString number;        ///< the extract's number ("" leaves the line's blank)
};

/** A valued plot an extract is made of. */
struct ExtractPlot {
    QString cadastral; ///< "3222410100:01:001:0001"; "" when not known
    QString address;
    QString purpose;      ///< the purpose code, "02.01"
    QString purposeName;  ///< its name in the classifier
    QString statedAreaHa; ///< the area its documents state, "0.0000"; "" when none
    /** The plot's region in the settlement's coordinate system (its map); may be null. */
    GeometryPtr shape;
    /** Its valuation (ValuePlot): parts, Кф, value, indexation. */
    PlaceValuation valuation;
};

/** What an extract says, in the order it says it: the same texts go to .docx and PDF. */
struct ExtractContent {
    QString settlement;
    QString number;
    QString date;
    std::vector<std::pair<QString, QString>> requisites; ///< label, value
    std::vector<std::pair<QString, QString>> plot;       ///< label, value
    /** One row a part: №, district, zone, Км2, Цз, Кф, factors, Км3, Цн, area, value. */
    std::vector<QStringList> parts;
    QString totalAreaHa;
    QString value;
    QStringList formula;    ///< each part's calculation with its numbers
    QStringList indexation; ///< the indexation by year and the indexed value
    QStringList notes;
};

/** The content of a plot's extract. */
ExtractContent MakeExtractContent(const ExtractRequisites& requisites, const ExtractPlot& plot);

/** The map layers an extract's map is drawn over: the place layers and the zones. */
struct ExtractLayers {
    /** Districts and local-factor regions (the layers the plot was valued over); not owned. */
    const PlaceLayers* place = nullptr;
    /** The zones ("зони"); null when the settlement has none. */
    std::shared_ptr<const Layer> zones;
};

/** Reads the settlement's zone layer for the maps; none (null) when it has no readable one. */
std::shared_ptr<const Layer> ReadZoneLayer(const QString& folder);

/**
 * The map of a plot: the plot outlined over the zones (with their value of 1 m²), districts
 * and local-factor regions around it, with a north arrow, a scale bar and a legend, drawn by
 * the printed map's renderer. Safe to call from several threads at once.
 */
PrintedMap RenderExtractMap(const ExtractLayers& layers, const ExtractPlot& plot,
                            const valuation::Settlement* settlement = nullptr);

/** The file name of a plot's extract without extension: its cadastral number made safe. */
QString ExtractBaseName(const ExtractPlot& plot);

/**
 * Writes the plot's extract into `folder` as "NAME.docx", filled from the template (the
 * shipped "Витяг.dotx"), and as "NAME.pdf" drawn by Qt; NAME is ExtractBaseName unless given.
 * `map` is the plot's map (may be null: the extract then says it has none). False with the
 * reason; both files are written under hidden names and renamed at the end, so a failure
 * leaves the extract's last files as they were and no half file.
 */
bool WriteExtract(const QByteArray& templateBytes, const ExtractRequisites& requisites,
                  const ExtractPlot& plot, const PrintedMap* map, const QString& folder,
                  const QString& name, QString* error);

/** Removes what killed writings of extracts left in `folder` (their hidden names only). */
void RemoveExtractLeftovers(const QString& folder);

/** The shipped template of the extract in the program's template folder. */
QString ExtractTemplatePath();

/** What writing many extracts came to. */
struct ExtractsResult {
    int written = 0;
    /** One line a plot not written: its name and the reason. */
    QStringList failures;
    bool stopped = false;
    /** The files written, .docx then .pdf of each plot, in plot order. */
    QStringList files;
};

/**
 * Writes the extracts of the plots into the folder using every core: the maps are drawn and
 * the files written in parallel. Plots of the same cadastral number get " (2)"... after it.
 * `progress` (may be empty) is called on the calling thread with the plots done so far and
 * may return false to stop; the extracts being written then finish. False with the reason
 * when the template cannot be read or the folder made; a plot that fails is listed in
 * `result.failures` and the others go on.
 */
bool WriteExtracts(const QString& templatePath, const ExtractRequisites& requisites,
                   const ExtractLayers& layers, const std::vector<ExtractPlot>& plots,
                   const QString& folder, const std::function<bool(int done, int total)>& progress,
                   ExtractsResult& result, QString* error,
                   const valuation::Settlement* settlement = nullptr);
