#pragma once

#include "common/JobProgress.h"
#include "map/PrintMap.h"
#include "reports/ReportContext.h"

#include <QString>
#include <functional>
#include <memory>
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
 * The appendices drawn as DrawAppendixMaps() draws them, begun on every core when this is
 * made, so that the caller's other work goes on meanwhile; take() hands them over. The
 * context's connections are read only while it is made; `settlement` outlives it.
 * Destroying it leaves out the maps not yet begun and waits for those being drawn.
 */
class AppendixMapDrawing {
public:
    AppendixMapDrawing(const ReportContext& context, const valuation::Settlement& settlement,
                       bool encode);
    ~AppendixMapDrawing();
    AppendixMapDrawing(const AppendixMapDrawing&) = delete;
    AppendixMapDrawing& operator=(const AppendixMapDrawing&) = delete;

    /**
     * Waits for the maps in order, each seen by `drawn` on the calling thread as soon as it
     * and those before it are done; "Стоп" leaves out the maps not yet begun. Once only:
     * a second call gets none.
     */
    std::vector<AppendixMap> take(JobProgress& progress,
                                  const std::function<void(AppendixMap&)>& drawn = {});

private:
    struct Work;
    std::unique_ptr<Work> m_work;
};

/**
 * Puts the appendices into the report: one line per map in the list at the bookmark
 * "MAPLIST" (the letter of its appendix, or why it is left out) and a page per map drawn at
 * the bookmark "MAPS". A template without those bookmarks gets no maps. The maps are those
 * the context's `maps` began ahead, or else drawn here.
 */
void FillAppendixMaps(WordDocument& document, const ReportContext& context,
                      const valuation::Settlement& settlement, JobProgress& progress);

} // namespace reports
