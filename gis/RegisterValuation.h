#pragma once

#include "gis/PlaceValue.h"
#include "gis/PlotRegister.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

class PlaceLayers;

/**
 * Says which functional use (a code of the Кф table: "Ж", "К"...) a purpose code ("02.01") is
 * valued as; "" with the one-line reason when it has none.
 */
using PurposeUse = std::function<QString(const QString& purpose, QString* reason)>;

/** A plot of the register with its valuation, or the reason it has none. */
struct ValuedPlot {
    bool valued = false;
    /** Parts, value of 1 m², value and its indexation (a valued plot only). */
    PlaceValuation valuation;
    QString drawnHa;          ///< the area of its drawn region, "0.0000"; "" without one
    QString areaHa;           ///< the area valued: the stated one when stated, else the drawn
    bool areaDiffers = false; ///< drawn and stated areas differ by more than 1 %
    QString reason;           ///< why it is not valued (one line)
    QStringList notes;        ///< what was done or left out on the way
    QString taxRate;          ///< the land tax rate in %, "0.000"; "" when none is given
    QString tax;              ///< the yearly land tax, "0.00"; "" when no rate is given
};

/** What a run of many plots reports while it works; the caller may stop it. */
struct RegisterProgress {
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
};

/**
 * Values every plot through the value of a plot: cut by districts and factor regions, each
 * part at zone value × Кф × Км3; a plot that states its area has its parts scaled to add up
 * to it, each to 0.0001 ha. The use is `options.use` for every plot when given, else the
 * purpose's through `useOf`. Works on all cores (the layers and sources are only read); a
 * plot left by a stop is "not valued" with that reason. Plots that give the same cadastral
 * number are noted. `out` follows `plots`.
 */
void ValueRegister(const PlaceLayers& layers, const PlaceSources& sources,
                   const std::vector<RegisterPlot>& plots, const PurposeUse& useOf,
                   const PlaceOptions& options, std::vector<ValuedPlot>& out,
                   RegisterProgress* progress = nullptr);

/**
 * Scales the parts of a cut plot so that they add up to `statedHa`: the parts of one district
 * under the same factors are joined, each is taken to 0.0001 ha, and the rounding left over
 * goes to the parts that lost most by it, so the parts add up exactly.
 */
void ScaleToStatedArea(PlotSplit& split, double statedHa);

/** The value of 1 m² of a plot: its part's, or with several parts value ÷ area; "0.00". */
QString PlotValuePerSqM(const ValuedPlot& plot);

/** The count and sum of a register. */
struct RegisterTotals {
    int valued = 0;
    int notValued = 0;
    QString value;        ///< the sum of the values, "0.00"
    QString indexedValue; ///< the sum of the indexed values, "0.00" ("" without indexation)
    QString statedHa;     ///< the sum of the stated areas, "0.0000"
    QString drawnHa;      ///< the sum of the drawn areas, "0.0000"
    QString tax;          ///< the sum of the land tax, "0.00" ("" when no plot has a rate)
};
RegisterTotals TotalsOf(const std::vector<RegisterPlot>& plots,
                        const std::vector<ValuedPlot>& valued);

/**
 * The register as one JSON object: {"plots": [{"cadastral", "purpose", "use", "areaHa",
 * "drawnAreaHa", "valuePerSqM", "value", "indexedValue", "parts", "reason"}...], "valued",
 * "notValued", "total"}, numbers as the texts shown; "taxRate", "tax" and "taxTotal" when a
 * plot has a rate of the land tax.
 */
QJsonObject RegisterJson(const std::vector<RegisterPlot>& plots,
                         const std::vector<ValuedPlot>& valued);
/** The register as lines for the valuer: one a plot, then the totals. */
QStringList RegisterLines(const std::vector<RegisterPlot>& plots,
                          const std::vector<ValuedPlot>& valued);
