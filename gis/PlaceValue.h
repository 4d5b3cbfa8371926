#pragma once

#include "gis/PlaceLayers.h"
#include "valuation/Indexation.h"
#include "valuation/LocalCatalogue.h"
#include "valuation/Settlement.h"

#include <QJsonObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

class Connection;

/** What a place is valued for. */
struct PlaceOptions {
    /** A code of the functional-use map ("Ж", "К"...); land for housing when empty. */
    QString use;
    /** The year the value is indexed to; 0 for the current year. */
    int year = 0;
    /** The year of the valuation, whose prices the stored values are in; 0 when not known. */
    int fromYear = 0;
};

/** A local factor whose region covers a place. */
struct PlaceFactor {
    QString layer; ///< "лок05"
    int factor = 0;
    QString name; ///< its short name in the catalogue ("" when it has none)
    QString coefficient;
};

/** A place (a point, or a part of a plot) with its valuation. */
struct PlaceFigures {
    QString district;
    QString zone;
    QString km2;
    QString zoneValue; ///< the zone's value of 1 m², UAH
    std::vector<PlaceFactor> factors;
    QString km3;         ///< the product of the factors, "0.00" ("1.00" with none)
    QString valuePerSqM; ///< zone value × Кф × Км3, UAH
    QString areaHa;      ///< parts of a plot: the part's area, "0.0000"
    QString value;       ///< parts of a plot: its value, UAH
};

/** The value of a point or a plot, as the command prints it and the panel shows it. */
struct PlaceValuation {
    bool plot = false;
    QPointF point;                   ///< the point asked for, or the plot's centre
    QString use;                     ///< the functional-use code
    QString useName;                 ///< its category
    QString kf;                      ///< Кф, "0.00"
    PlaceFigures place;              ///< a point: the place itself
    std::vector<PlaceFigures> parts; ///< a plot: its parts by district and factor regions
    QString areaHa;                  ///< a plot: its area
    QString value;                   ///< a plot: the sum of its parts' values
    int fromYear = 0;                ///< the valuation's year (0: not known, nothing indexed)
    int toYear = 0;
    QStringList coefficients; ///< the yearly coefficients applied ("2024: 1.120")
    QString indexFactor;      ///< their product, "0.000"
    QString indexedValue;     ///< the value of 1 m² (a plot: of the plot) indexed
    QStringList notes;        ///< what was left out (a part in no district...)
};

/** What the value of places reads of the settlement and the catalogue, once. */
struct PlaceSources {
    valuation::Settlement settlement;
    /** The catalogue's local factors, for their names (empty without a catalogue). */
    std::vector<LocalFactor> factors;
    /** The catalogue's indexation (empty without a catalogue). */
    TDinArryOfKoef indexation;
};

/**
 * Reads the settlement's stored valuation through the valuation model and, when a catalogue
 * is given, its local factors and indexation. False with the reason when the settlement
 * cannot be read.
 */
bool ReadPlaceSources(Connection& project, Connection* catalogue, PlaceSources& sources,
                      QString* error);

/**
 * Whether `code` names a category of functional use (empty: land for housing, the default);
 * false with the one-line reason listing the codes there are.
 */
bool IsLandUseCode(const QString& code, QString* reason);

/**
 * The value of the place at a point, from the settlement's stored valuation (the district's
 * zone, Km2 and zone value), the local-factor regions over the point (Km3) and the land use
 * (Кф), indexed with the catalogue's indexation. False with the one-line reason when the
 * point cannot be valued: outside the settlement's boundary, in no district, in a district
 * whose zone has no value yet, an unknown land-use code.
 */
bool ValuePoint(const PlaceLayers& layers, const PlaceSources& sources, const QPointF& point,
                const PlaceOptions& options, PlaceValuation& out, QString* reason);

/**
 * The value of a plot: its parts by district and local-factor regions each valued as a point
 * there and summed, as the plots step values a plot. False with the reason when no part of
 * it can be valued.
 */
bool ValuePlot(const PlaceSources& sources, const PlotSplit& split, const QPointF& centre,
               const PlaceOptions& options, PlaceValuation& out, QString* reason);

/** The valuation as lines for the valuer. */
QStringList PlaceValuationLines(const PlaceValuation& valuation);
/** The valuation as a JSON object (numbers as the texts shown). */
QJsonObject PlaceValuationJson(const PlaceValuation& valuation);
