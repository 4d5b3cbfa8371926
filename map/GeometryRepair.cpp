#include "map/GeometryRepair.h"

#include "map/GdalScope.h"
#include "map/GeosHandles.h"
#include "map/GeosRepair.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <ogr_geometry.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

// GEOS's reason for an invalid geometry in our words: "Self-intersection[12 7]" is
// "самоперетин у точці (12; 7)".
QString reasonText(const QString& geos) {
    static const std::pair<const char*, const char*> words[] = {
        {"Ring Self-intersection", "самоперетин контуру"},
        {"Self-intersection", "самоперетин"},
        {"Too few points", "замало точок"},
        {"Invalid Coordinate", "недійсна координата"},
        {"Hole lies outside shell", "отвір поза зовнішнім контуром"},
        {"Nested holes", "отвір усередині отвору"},
        {"Interior is disconnected", "внутрішність розірвана"},
        {"Nested shells", "контур усередині контуру"},
        {"Duplicate Rings", "однакові контури"},
        {"Ring is not closed", "контур не замкнено"},
    };
    const qsizetype bracket = geos.indexOf(u'[');
    const QString head = (bracket < 0 ? geos : geos.left(bracket)).trimmed();
    QString text = head;
    for (const auto& [english, ukrainian] : words)
        if (head.startsWith(QLatin1String(english))) {
            text = QString::fromUtf8(ukrainian);
            break;
        }
    if (bracket >= 0) {
        const QStringList xy =
            geos.mid(bracket + 1).section(u']', 0, 0).split(u' ', Qt::SkipEmptyParts);
        if (xy.size() >= 2)
            text += QStringLiteral(" у точці (%1; %2)").arg(xy[0], xy[1]);
    }
    return text;
}

// Polygons of a shape gathered into a multipolygon (lines and points left out).
void collectPolygons(const OGRGeometry& shape, OGRMultiPolygon& out) {
    switch (wkbFlatten(shape.getGeometryType())) {
    case wkbPolygon:
        if (!shape.IsEmpty())
            out.addGeometry(&shape);
        break;
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *shape.toGeometryCollection())
            collectPolygons(*part, out);
        break;
    default:
        break;
    }
}

// A closed line of at least four points as a ring; null otherwise.
std::unique_ptr<OGRPolygon> closedLineAsPolygon(const OGRLineString& line) {
    if (line.getNumPoints() < 4 || !line.get_IsClosed())
        return nullptr;
    auto ring = std::make_unique<OGRLinearRing>();
    ring->addSubLineString(&line);
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(ring.release());
    return polygon;
}

// One polygon, or a multipolygon of several; null for none.
std::unique_ptr<OGRGeometry> simplest(const OGRMultiPolygon& polygons) {
    if (polygons.IsEmpty())
        return nullptr;
    if (polygons.getNumGeometries() == 1)
        return std::unique_ptr<OGRGeometry>(polygons.getGeometryRef(0)->clone());
    return std::unique_ptr<OGRGeometry>(polygons.clone());
}

// Polygons and closed lines of a shape.
void collectAreas(const OGRGeometry& g, OGRMultiPolygon& out) {
    switch (wkbFlatten(g.getGeometryType())) {
    case wkbLineString:
        if (auto p = closedLineAsPolygon(*g.toLineString()))
            out.addGeometryDirectly(p.release());
        break;
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *g.toGeometryCollection())
            collectAreas(*part, out);
        break;
    default:
        collectPolygons(g, out);
        break;
    }
}

RepairBudget& Budget() {
    static RepairBudget budget;
    return budget;
}

/** The program's resident memory in bytes; 0 where the system does not tell it. */
qint64 ResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

/** The repair running now: GEOS asks it between units of work whether to stop. */
struct RunningRepair {
    QElapsedTimer clock;
    qint64 memoryAtStart = 0;
    int checks = 0;
    bool stopped = false;
    GEOSInterruptCallback* previous = nullptr; ///< asked too: an outer run may stop the work
};
RunningRepair* g_running = nullptr;

void CheckBudget() {
    RunningRepair* run = g_running;
    if (run && run->previous)
        run->previous();
    if (!run || run->stopped)
        return;
    const RepairBudget& budget = Budget();
    bool over = run->clock.elapsed() >= budget.milliseconds;
    // Reading the memory costs a file read: every 64th check.
    if (!over && ++run->checks % 64 == 0 && run->memoryAtStart > 0)
        over = ResidentBytes() - run->memoryAtStart > budget.memoryBytes;
    if (over) {
        run->stopped = true;
        GEOS_interruptRequest();
    }
}

/** An edge of a ring: its ends, and its ring and place there (to skip neighbours). */
struct Edge {
    double x1, y1, x2, y2;
    int ring, index, ringSize;
};

void collectEdges(const OGRGeometry& g, std::vector<Edge>& out, int& rings) {
    switch (wkbFlatten(g.getGeometryType())) {
    case wkbPolygon:
        for (const OGRLinearRing* ring : *g.toPolygon()) {
            const int n = ring->getNumPoints() - 1;
            for (int i = 0; i < n; ++i)
                out.push_back({ring->getX(i), ring->getY(i), ring->getX(i + 1), ring->getY(i + 1),
                               rings, i, n});
            ++rings;
        }
        break;
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *g.toGeometryCollection())
            collectEdges(*part, out, rings);
        break;
    default:
        break;
    }
}

double side(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

/** Whether two edges cross each other properly (neighbours in a ring never count). */
bool cross(const Edge& a, const Edge& b) {
    if (a.ring == b.ring) {
        const int d = std::abs(a.index - b.index);
        if (d <= 1 || d == a.ringSize - 1)
            return false;
    }
    const double d1 = side(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1);
    const double d2 = side(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2);
    const double d3 = side(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1);
    const double d4 = side(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

/**
 * How many times the region's edges cross one another: counted when there are few pairs,
 * else estimated from a fixed sample of pairs (the same answer every time).
 */
double estimatedCrossings(const OGRGeometry& region) {
    std::vector<Edge> edges;
    int rings = 0;
    collectEdges(region, edges, rings);
    const double n = static_cast<double>(edges.size());
    const double pairs = n * (n - 1) / 2;
    constexpr int Sample = 20000;
    if (pairs <= Sample) {
        int count = 0;
        for (size_t i = 0; i < edges.size(); ++i)
            for (size_t j = i + 1; j < edges.size(); ++j)
                count += cross(edges[i], edges[j]) ? 1 : 0;
        return count;
    }
    QRandomGenerator random(20261210);
    int found = 0;
    for (int k = 0; k < Sample; ++k) {
        const auto i = random.bounded(static_cast<quint32>(edges.size()));
        const auto j = random.bounded(static_cast<quint32>(edges.size()));
        if (i != j && cross(edges[i], edges[j]))
            ++found;
    }
    return found * pairs / Sample;
}

} // namespace

namespace GeosRepair {

QString InvalidReason(GEOSContextHandle_t context, const GEOSGeometry* geometry) {
    if (GEOSisValid_r(context, geometry) == 1)
        return QString();
    char* reason = GEOSisValidReason_r(context, geometry);
    const QString text = reasonText(reason ? QString::fromUtf8(reason) : QString());
    GEOSFree_r(context, reason);
    return text;
}

GEOSGeometry* MakeValidRegion(GEOSContextHandle_t context, const GEOSGeometry* geometry,
                              bool* overBudget) {
    const GeosMakeValidParams params(GEOSMakeValidParams_create_r(context), {context});
    GEOSMakeValidParams_setMethod_r(context, params.get(), GEOS_MAKE_VALID_STRUCTURE);
    GEOSMakeValidParams_setKeepCollapsed_r(context, params.get(), 0);
    // Without a budget (the overlays, which the valuer can stop themselves): as GEOS does it.
    if (!overBudget)
        return GEOSMakeValidWithParams_r(context, geometry, params.get());
    *overBudget = false;
    const int vertices = GEOSGetNumCoordinates_r(context, geometry);
    if (vertices > Budget().vertices) {
        *overBudget = true;
        return nullptr;
    }
    // The rings taken as the borders of areas: a region stays a region. GEOS checks between
    // units of work whether to stop; the budget answers.
    RunningRepair run;
    run.memoryAtStart = ResidentBytes();
    run.clock.start();
    RunningRepair* outer = std::exchange(g_running, &run);
    run.previous = GEOS_interruptRegisterCallback(&CheckBudget);
    GeosGeometry fixed(Budget().milliseconds > 0
                           ? GEOSMakeValidWithParams_r(context, geometry, params.get())
                           : nullptr,
                       {context});
    GEOS_interruptRegisterCallback(run.previous);
    GEOS_interruptCancel();
    g_running = outer;
    const bool stopped = run.stopped || Budget().milliseconds <= 0;
    *overBudget = stopped;
    return stopped ? nullptr : fixed.release();
}

} // namespace GeosRepair

RepairBudget SetRepairBudget(const RepairBudget& budget) {
    return std::exchange(Budget(), budget);
}

RegionRepair RepairRegion(std::unique_ptr<OGRGeometry>& region, QString* reason) {
    GdalScope scope(GdalDrivers::None);
    if (!region || region->IsEmpty())
        return RegionRepair::Broken;
    GeosContext geos;
    const GEOSContextHandle_t context = geos.handle();
    const GeosGeometry g(region->exportToGEOS(context), {context});
    if (!g)
        return RegionRepair::Broken;
    const char valid = GEOSisValid_r(context, g.get());
    if (valid == 1)
        return RegionRepair::Valid;
    const QString why = GeosRepair::InvalidReason(context, g.get());
    // Crossing itself everywhere: make-valid would build a piece for every crossing.
    if (valid == 0 && estimatedCrossings(*region) > Budget().crossings) {
        if (reason)
            *reason = why;
        return RegionRepair::TooComplex;
    }
    bool overBudget = false;
    const GeosGeometry fixed(valid == 0 ? GeosRepair::MakeValidRegion(context, g.get(), &overBudget)
                                        : nullptr,
                             {context});
    if (overBudget) {
        if (reason)
            *reason = why;
        return RegionRepair::TooComplex;
    }
    if (!fixed)
        return RegionRepair::Broken;
    const std::unique_ptr<OGRGeometry> made(
        OGRGeometryFactory::createFromGEOS(context, fixed.get()));
    if (!made)
        return RegionRepair::Broken;
    OGRMultiPolygon polygons;
    collectPolygons(*made, polygons);
    std::unique_ptr<OGRGeometry> out = simplest(polygons);
    if (!out)
        return RegionRepair::Broken;
    if (reason)
        *reason = why;
    region = std::move(out);
    return RegionRepair::Repaired;
}

std::unique_ptr<OGRGeometry> ShapeToRegion(const OGRGeometry& shape) {
    std::unique_ptr<OGRGeometry> flat(shape.hasCurveGeometry() ? shape.getLinearGeometry()
                                                               : shape.clone());
    if (!flat || flat->IsEmpty())
        return nullptr;
    flat->flattenTo2D();
    OGRMultiPolygon polygons;
    collectAreas(*flat, polygons);
    return simplest(polygons);
}
