#pragma once

#include "common/JobProgress.h"
#include "map/PrintMap.h"
#include "reports/ReportContext.h"

#include <QString>
#include <functional>
#include <vector>

class WordDocument;
namespace valuation {
struct Settlement;
}

namespace reports {

/** A map appendix of the technical report: drawn, or left out and why. */
struct AppendixMap {
    /** What the map shows ("Карта-схема функціонального використання земель"). */
    QString title;
    /** The picture and its scale; no image when the map is left out. */
    PrintedMap printed;
    /** Why the map is left out (one sentence); "" when it is drawn. */
    QString leftOut;
    /** The picture as PNG when the maps are drawn with `encode` (the image then dropped). */
    QByteArray png;
};

/**
 * Draws the appendices from the layers of the settlement's folder, each a page at print
 * resolution: (а) economic-planning zones with their numbers and value of 1 sq m (of the
 * model `settlement`) over the
 * outlined districts with theirs, (б) local factors, one colour each, (в) functional use by
 * category, (г) soils with their codes. A map whose layer is missing, unreadable or empty is
 * left out. Stops between maps when "Стоп" is pressed (the maps not drawn are left out).
 * The maps are drawn on every core, each with `encode` also written as PNG; `drawn` sees each
 * map on the calling thread, in order, as soon as it and those before it are done (and may
 * take its picture away).
 */
std::vector<AppendixMap> DrawAppendixMaps(const ReportContext& context,
                                          const valuation::Settlement& settlement,
                                          JobProgress& progress,
                                          const std::function<void(AppendixMap&)>& drawn = {},
                                          bool encode = false);

/**
 * Puts the appendices into the report: one line per map in the list at the bookmark
 * "MAPLIST" (the letter of its appendix, or why it is left out) and a page per map drawn at
 * the bookmark "MAPS". A template without those bookmarks gets no maps.
 */
void FillAppendixMaps(WordDocument& document, const ReportContext& context,
                      const valuation::Settlement& settlement, JobProgress& progress);

} // namespace reports
