#pragma once

#include "steps/common/StepIssue.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class Connection;

/** The example plots of a settlement; the last is the household plot. */
constexpr int PlotCount = 3;
constexpr int HouseholdPlot = 3;
/** The agricultural parts of the household plot, by kind of land 1 to 4. */
constexpr int PlotPartCount = 4;

/** An agricultural part of the household plot. */
struct PlotPart {
    /** The soil group code, one of the agricultural step's codes. */
    QString code;
    /** The value of 1 ha of that soil for the part's kind (read-only). */
    QString valuePerHa;
    /** The area in ha. */
    QString area;
    /** The part's value (computed). */
    QString value;
};

/** One plot as its page shows it; every value a text, as typed or stored. */
struct Plot {
    QString name;
    /** The district number the plot lies in; empty when none is chosen. */
    QString district;
    /** The settlement's average value of 1 sq m. */
    QString baseValue;
    QString kf;
    QString km2;
    QString km3;
    /** Computed: the value of 1 sq m and the plot's value. */
    QString valuePerSqM;
    QString area;
    QString value;
    /** The household plot only: the parts and the totals of the built-up part and the parts. */
    std::array<PlotPart, PlotPartCount> parts;
    QString totalArea;
    QString totalValue;
};

/** What the step shows: the choices and the three plots. */
struct PlotsData {
    /** The district numbers of "Площі районів", in id order. */
    QStringList districts;
    /** The distinct soil codes of "угіддя". */
    QStringList soilCodes;
    /** The current "Середня вартість 1 кв м". */
    QString averageValue;
    std::array<Plot, PlotCount> plots;
    /** What opening recomputed against the stored values (for the bottom bar). */
    QStringList changes;

    Plot& plot(int number) { return plots[static_cast<size_t>(number - 1)]; }
    const Plot& plot(int number) const { return plots[static_cast<size_t>(number - 1)]; }
};

/** A place handed to a plot from elsewhere ("Оцінка місця"): values put in as if typed. */
struct PlotPreset {
    int number = 1; ///< the plot 1, 2 or 3
    QString name;
    QString district;
    QString kf;
    QString km3;  ///< over the district's own Km3 ("" keeps the district's)
    QString area; ///< ha ("" keeps the plot's)
};

/** The functional coefficient a new page offers for plot 1, 2 or 3. */
QString PresetKf(int number);

/** The caption of the household plot's part of kind 1 to 4 ("рілля:", ...). */
QString PlotPartCaption(int kind);

/**
 * Values a plot: V = base x Kf x Km2 x Km3 ("0.00"), the plot value V x 10000 x area with V
 * rounded to 2 decimals. The results are emptied first and stay empty when a coefficient,
 * the base value or the area is not a number. For the household plot each part with a soil
 * code, a value of 1 ha and an area is valued too, and the totals of the built-up part and
 * the parts are written whenever the built-up part has a value.
 */
void ComputePlot(Plot& plot, bool household);

/**
 * The district's coefficients into the plot: Km2 of the district's first "км2" row (1 when
 * there is none or it is not a number) and Km3, the product of the district's parsable
 * local coefficients (1 without any), both "0.00". Without a district both are emptied.
 */
void LookupDistrictCoefficients(Connection& project, Plot& plot);

/**
 * The value of 1 ha of the part's soil for its kind: `вартість` of the first "угіддя" row of
 * that code and kind; empty without a code or a row.
 */
void LookupSoilValue(Connection& project, int kind, PlotPart& part);

/**
 * Reads the district numbers, the soil codes, the current average value of 1 sq m and the
 * plots from "ділянки", and looks up each plot's district and the household parts' soils.
 * The base value of every plot is the current average value; every plot that can be valued
 * is valued anew with them (what changed against the stored values is listed in `changes`). False
 * with `error` naming the table that could not be read.
 */
bool LoadPlots(Connection& project, PlotsData& data, QString* error);

/**
 * Replaces "ділянки" with one row for each of plots 1 and 2 and six for the household plot
 * (the summary, the built-up part named "0" and the parts 1 to 4), all or nothing. False with
 * `error` saying what failed; the table keeps its former content.
 */
bool StorePlots(Connection& project, const PlotsData& data, QString* error);

/**
 * Checks before storing: of each plot the base value and the area are not below 0, Kf, Km2
 * and Km3 above 0, the household parts' areas not below 0; the issue names the field
 * ("EKm22"). Empty values pass (the plot is then not valued).
 */
StepCheck CheckPlots(const PlotsData& data);

/**
 * What the bottom bar says to do first: the average value of "Середня вартість" while it is
 * missing, the districts of "Визначення площ" while there are none; "" otherwise.
 */
QString PlotsHint(const PlotsData& data);
