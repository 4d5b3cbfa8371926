#include "tools/demo/VillageMap.h"

#include "map/Geometry.h"

#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>

namespace {

using Pt = QPointF;
using Ring = std::vector<Pt>;
using OgrPtr = std::unique_ptr<OGRGeometry>;

// The village lies around this centre, its long axis turned by kTilt from the east.
constexpr double kCx = 7000;
constexpr double kCy = 9500;
constexpr double kA = 1500; // half length, metres
constexpr double kB = 1000; // half width, metres
constexpr double kTilt = 0.26;
constexpr double kStreetHalfWidth = 5; // each district gives 5 m to the street on its side
constexpr double kPi = std::numbers::pi;

// A small linear congruential generator so every run gives the same values.
class Sequence {
public:
    explicit Sequence(quint32 seed) : m_state(seed) {}
    quint32 next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    double unit() { return (next() % 100000) / 100000.0; }

private:
    quint32 m_state;
};

/** Map point of local coordinates (u along the long axis, v across it). */
Pt ToMap(double u, double v) {
    const double c = std::cos(kTilt), s = std::sin(kTilt);
    return {kCx + u * c - v * s, kCy + u * s + v * c};
}

Pt ToLocal(const Pt& p) {
    const double c = std::cos(kTilt), s = std::sin(kTilt);
    const double x = p.x() - kCx, y = p.y() - kCy;
    return {x * c + y * s, -x * s + y * c};
}

/** Coordinates are kept on a millimetre grid, so that the same vertex computed for two
 * neighbours is the same number in both. */
double Snap(double v) {
    return std::round(v * 1000.0) / 1000.0;
}

Pt Snap(const Pt& p) {
    return {Snap(p.x()), Snap(p.y())};
}

void SnapRing(OGRLinearRing* ring) {
    for (int i = 0; i < ring->getNumPoints(); ++i)
        ring->setPoint(i, Snap(ring->getX(i)), Snap(ring->getY(i)));
}

void SnapGeometry(OGRGeometry* g) {
    if (!g)
        return;
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon:
        for (OGRLinearRing* ring : *g->toPolygon())
            SnapRing(ring);
        break;
    case wkbMultiPolygon:
        for (OGRPolygon* p : *g->toMultiPolygon())
            SnapGeometry(p);
        break;
    default:
        break;
    }
}

std::unique_ptr<OGRPolygon> Polygon(const Ring& ring) {
    auto polygon = std::make_unique<OGRPolygon>();
    OGRLinearRing r;
    for (const Pt& p : ring)
        r.addPoint(p.x(), p.y());
    r.closeRings();
    polygon->addRing(&r);
    return polygon;
}

/** The polygon parts of a result: a polygon, a multipolygon, or nothing when it has none. */
OgrPtr PolygonsOnly(OGRGeometry* raw) {
    OgrPtr g(raw);
    if (!g || g->IsEmpty())
        return nullptr;
    const auto type = wkbFlatten(g->getGeometryType());
    if (type == wkbPolygon)
        return g;
    auto multi = std::make_unique<OGRMultiPolygon>();
    auto collect = [&multi](const OGRGeometry* part, auto&& self) -> void {
        const auto t = wkbFlatten(part->getGeometryType());
        if (t == wkbPolygon && !part->IsEmpty())
            multi->addGeometry(part);
        else if (t == wkbMultiPolygon || t == wkbGeometryCollection)
            for (const OGRGeometry* sub : *part->toGeometryCollection())
                self(sub, self);
    };
    collect(g.get(), collect);
    if (multi->getNumGeometries() == 0)
        return nullptr;
    if (multi->getNumGeometries() == 1)
        return OgrPtr(multi->getGeometryRef(0)->clone());
    return multi;
}

double Area(const OGRGeometry* g) {
    if (!g)
        return 0;
    const auto type = wkbFlatten(g->getGeometryType());
    if (type == wkbPolygon)
        return g->toPolygon()->get_Area();
    if (type == wkbMultiPolygon)
        return g->toMultiPolygon()->get_Area();
    return 0;
}

Feature ToFeature(const OGRGeometry* g) {
    Feature f;
    if (g)
        f.setGeometry(std::make_shared<const Geometry>(OgrPtr(g->clone())));
    return f;
}

/** Keeps the part of a convex polygon on the side of `mid` away from `away`. */
Ring ClipHalfPlane(const Ring& poly, const Pt& mid, const Pt& normal) {
    Ring out;
    const size_t n = poly.size();
    auto side = [&](const Pt& p) {
        return (p.x() - mid.x()) * normal.x() + (p.y() - mid.y()) * normal.y();
    };
    for (size_t i = 0; i < n; ++i) {
        const Pt& a = poly[i];
        const Pt& b = poly[(i + 1) % n];
        const double sa = side(a), sb = side(b);
        if (sa <= 0)
            out.push_back(a);
        if ((sa < 0 && sb > 0) || (sa > 0 && sb < 0)) {
            const double t = sa / (sa - sb);
            out.emplace_back(a.x() + t * (b.x() - a.x()), a.y() + t * (b.y() - a.y()));
        }
    }
    return out;
}

bool InsideRing(const Ring& ring, const Pt& p) {
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Pt& a = ring[i];
        const Pt& b = ring[j];
        if ((a.y() > p.y()) != (b.y() > p.y()) &&
            p.x() < (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}

/** The outline: an ellipse whose radius wanders with a few slow waves. */
Ring BoundaryRing() {
    Ring ring;
    const int n = 96;
    for (int k = 0; k < n; ++k) {
        const double t = 2 * kPi * k / n;
        const double r = 1 + 0.10 * std::sin(2 * t + 0.7) + 0.07 * std::sin(3 * t + 2.1) +
                         0.05 * std::sin(5 * t + 4.0) + 0.025 * std::sin(9 * t + 1.3);
        ring.push_back(Snap(ToMap(kA * r * std::cos(t), kB * r * std::sin(t))));
    }
    return ring;
}

/** The main street: a gentle curve along the long axis (local v of local u). */
double RoadV(double u) {
    return 90 * std::sin(u / 450) + 40 * std::sin(u / 170 + 1);
}

double RoadSlope(double u) {
    return 90 / 450.0 * std::cos(u / 450) + 40 / 170.0 * std::cos(u / 170 + 1);
}

/** Seeds of the districts: pairs facing each other across the main street, then free ones. */
std::vector<Pt> Seeds(int n, const Ring& boundary, double area, std::vector<bool>& fixed) {
    std::vector<Pt> seeds;
    const double step = std::sqrt(area / n);
    const int maxPairs = n / 4;
    std::vector<Pt> pairs;
    const int places = std::max(0, static_cast<int>(2 * kA * 0.9 / step));
    for (int j = 0; j < places; ++j) {
        const double u = (j - (places - 1) / 2.0) * step;
        const double v = RoadV(u);
        const double slope = RoadSlope(u);
        const double len = std::hypot(1.0, slope);
        const Pt normal(-slope / len, 1 / len);
        const Pt a = ToMap(u + normal.x() * step / 2, v + normal.y() * step / 2);
        const Pt b = ToMap(u - normal.x() * step / 2, v - normal.y() * step / 2);
        if (InsideRing(boundary, a) && InsideRing(boundary, b)) {
            pairs.push_back(a);
            pairs.push_back(b);
        }
    }
    // The central pairs when there are more places than pairs allowed.
    const int pairCount = std::min(maxPairs, static_cast<int>(pairs.size() / 2));
    const int skip = (static_cast<int>(pairs.size() / 2) - pairCount) / 2;
    for (int i = 0; i < pairCount * 2; ++i)
        seeds.push_back(pairs[static_cast<size_t>(skip * 2 + i)]);
    fixed.assign(seeds.size(), true);

    Sequence seq(20260101);
    double spacing = 0.8 * step;
    MapRect box{1e300, 1e300, -1e300, -1e300};
    for (const Pt& p : boundary)
        box = box.united({p.x(), p.y(), p.x(), p.y()});
    while (static_cast<int>(seeds.size()) < n) {
        bool placed = false;
        for (int attempt = 0; attempt < 200 && !placed; ++attempt) {
            const Pt p(box.xMin + seq.unit() * box.width(), box.yMin + seq.unit() * box.height());
            if (!InsideRing(boundary, p))
                continue;
            bool roomy = true;
            for (const Pt& s : seeds) {
                if (std::hypot(s.x() - p.x(), s.y() - p.y()) < spacing) {
                    roomy = false;
                    break;
                }
            }
            if (roomy) {
                seeds.push_back(p);
                fixed.push_back(false);
                placed = true;
            }
        }
        if (!placed)
            spacing *= 0.9;
    }
    return seeds;
}

/** The Voronoi cell of seed i inside the square `frame`, snapped to the grid. */
Ring Cell(const std::vector<Pt>& seeds, size_t i, const Ring& frame) {
    const Pt& s = seeds[i];
    std::vector<std::pair<double, size_t>> others;
    others.reserve(seeds.size());
    for (size_t j = 0; j < seeds.size(); ++j)
        if (j != i)
            others.emplace_back(std::hypot(seeds[j].x() - s.x(), seeds[j].y() - s.y()), j);
    std::sort(others.begin(), others.end());
    Ring cell = frame;
    for (const auto& [distance, j] : others) {
        double reach = 0;
        for (const Pt& p : cell)
            reach = std::max(reach, std::hypot(p.x() - s.x(), p.y() - s.y()));
        if (distance / 2 > reach)
            break; // no further seed can cut the cell
        const Pt& o = seeds[j];
        cell = ClipHalfPlane(cell, Pt((s.x() + o.x()) / 2, (s.y() + o.y()) / 2),
                             Pt(o.x() - s.x(), o.y() - s.y()));
    }
    for (Pt& p : cell)
        p = Snap(p);
    return cell;
}

OgrPtr ClippedCell(const Ring& cell, const OGRPolygon& boundary) {
    auto polygon = Polygon(cell);
    OgrPtr g = PolygonsOnly(polygon->Intersection(&boundary));
    SnapGeometry(g.get());
    return g;
}

Pt Centroid(const OGRGeometry* g) {
    OGRPoint c;
    if (g && g->Centroid(&c) == OGRERR_NONE)
        return {c.getX(), c.getY()};
    return {kCx, kCy};
}

/** A strip of the plane between s0 and s1 along direction dir through origin. */
std::unique_ptr<OGRPolygon> Slab(const Pt& origin, double dir, double s0, double s1) {
    const Pt u(std::cos(dir), std::sin(dir));
    const Pt v(-u.y(), u.x());
    const double far = 1e5;
    auto at = [&](double s, double t) {
        return Pt(origin.x() + s * u.x() + t * v.x(), origin.y() + s * u.y() + t * v.y());
    };
    return Polygon({at(s0, -far), at(s1, -far), at(s1, far), at(s0, far)});
}

/** The points of the outer outlines of a region. */
std::vector<Pt> OutlinePoints(const OGRGeometry* g) {
    std::vector<Pt> pts;
    auto take = [&pts](const OGRPolygon* p) {
        for (const OGRPoint& q : *p->getExteriorRing())
            pts.emplace_back(q.getX(), q.getY());
    };
    if (wkbFlatten(g->getGeometryType()) == wkbPolygon)
        take(g->toPolygon());
    else
        for (const OGRPolygon* p : *g->toMultiPolygon())
            take(p);
    return pts;
}

/** The direction of the longest extent of a region's outline. */
double LongAxis(const OGRGeometry* g) {
    const std::vector<Pt> pts = OutlinePoints(g);
    double mx = 0, my = 0;
    for (const Pt& p : pts) {
        mx += p.x();
        my += p.y();
    }
    mx /= pts.size();
    my /= pts.size();
    double sxx = 0, syy = 0, sxy = 0;
    for (const Pt& p : pts) {
        sxx += (p.x() - mx) * (p.x() - mx);
        syy += (p.y() - my) * (p.y() - my);
        sxy += (p.x() - mx) * (p.y() - my);
    }
    return 0.5 * std::atan2(2 * sxy, sxx - syy);
}

/** Cuts a region into `k` strips across its long axis, of unequal widths. */
std::vector<OgrPtr> CutIntoStrips(const OGRGeometry* g, int k, Sequence& seq) {
    std::vector<OgrPtr> parts;
    if (k <= 1) {
        parts.emplace_back(g->clone());
        return parts;
    }
    const double dir = LongAxis(g);
    const Pt origin = Centroid(g);
    const Pt u(std::cos(dir), std::sin(dir));
    // The region's own extent along the axis: strips laid over its envelope's would miss a
    // slanted region at both ends, and it would get fewer than k parts.
    double smin = 1e300, smax = -1e300;
    for (const Pt& p : OutlinePoints(g)) {
        const double s = (p.x() - origin.x()) * u.x() + (p.y() - origin.y()) * u.y();
        smin = std::min(smin, s);
        smax = std::max(smax, s);
    }
    std::vector<double> weights(static_cast<size_t>(k));
    for (double& w : weights)
        w = 0.6 + 0.8 * seq.unit();
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double at = smin;
    for (int j = 0; j < k; ++j) {
        const double next = j + 1 == k ? smax + 1 : at + (smax - smin) * weights[j] / total;
        auto slab = Slab(origin, dir, j == 0 ? smin - 1 : at, next);
        OgrPtr part = PolygonsOnly(g->Intersection(slab.get()));
        SnapGeometry(part.get());
        if (part)
            parts.push_back(std::move(part));
        at = next;
    }
    return parts;
}

QString PickCode(int zone, Sequence& seq) {
    static const char* const centre[] = {"К", "Г", "Ж", "Ж", "К", "Р", "Г", "Ж"};
    static const char* const middle[] = {"Ж", "Ж", "О", "Ж", "Г", "О", "І", "Ж", "К"};
    static const char* const outskirts[] = {"О",  "О", "Рі", "Ж", "Сі", "П", "Л",
                                            "Па", "В", "Ба", "Н", "З",  "Т"};
    const quint32 r = seq.next();
    if (zone == 1)
        return QString::fromUtf8(centre[r % std::size(centre)]);
    if (zone == 2)
        return QString::fromUtf8(middle[r % std::size(middle)]);
    return QString::fromUtf8(outskirts[r % std::size(outskirts)]);
}

/** How many functional regions each district gets: by area, at least one each. */
std::vector<int> Allocate(const std::vector<VillageMap::District>& districts, int total,
                          double area) {
    std::vector<int> m;
    for (const auto& d : districts)
        m.push_back(std::max(1, static_cast<int>(total * d.areaM2 / area)));
    int sum = std::accumulate(m.begin(), m.end(), 0);
    while (sum < total) {
        size_t best = 0;
        for (size_t i = 1; i < m.size(); ++i)
            if (districts[i].areaM2 / m[i] > districts[best].areaM2 / m[best])
                best = i;
        ++m[best];
        ++sum;
    }
    while (sum > total) {
        size_t best = 0;
        for (size_t i = 1; i < m.size(); ++i)
            if (m[i] > m[best])
                best = i;
        --m[best];
        --sum;
    }
    return m;
}

} // namespace

VillageMap BuildVillageMap(int n, int functional) {
    VillageMap village;
    const Ring ring = BoundaryRing();
    auto boundary = Polygon(ring);
    village.boundary = ToFeature(boundary.get());
    village.boundaryAreaM2 = boundary->get_Area();

    // Districts: Voronoi cells of the seeds, the free seeds relaxed towards their cells'
    // centres so the blocks come out of even size.
    std::vector<bool> fixed;
    std::vector<Pt> seeds = Seeds(n, ring, village.boundaryAreaM2, fixed);
    OGREnvelope env;
    boundary->getEnvelope(&env);
    const double pad = std::max(env.MaxX - env.MinX, env.MaxY - env.MinY);
    const Ring frame = {{env.MinX - pad, env.MinY - pad},
                        {env.MaxX + pad, env.MinY - pad},
                        {env.MaxX + pad, env.MaxY + pad},
                        {env.MinX - pad, env.MaxY + pad}};
    std::vector<OgrPtr> cells(seeds.size());
    for (int round = 0; round < 4; ++round) {
        for (size_t i = 0; i < seeds.size(); ++i)
            cells[i] = ClippedCell(Cell(seeds, i, frame), *boundary);
        if (round == 3)
            break;
        for (size_t i = 0; i < seeds.size(); ++i)
            if (!fixed[i] && cells[i])
                seeds[i] = Centroid(cells[i].get());
    }

    // Zones by the distance from the centre, numbers by zone and then clockwise from north.
    struct Placed {
        size_t cell;
        double rho;
        double angle;
        int zone = 0;
    };
    std::vector<Placed> placed;
    for (size_t i = 0; i < cells.size(); ++i) {
        const Pt c = ToLocal(Centroid(cells[i].get()));
        const double rho = std::hypot(c.x() / kA, c.y() / kB);
        const Pt m = Centroid(cells[i].get());
        double angle = std::atan2(m.x() - kCx, m.y() - kCy);
        if (angle < 0)
            angle += 2 * kPi;
        placed.push_back({i, rho, angle});
    }
    std::sort(placed.begin(), placed.end(),
              [](const Placed& a, const Placed& b) { return a.rho < b.rho; });
    const size_t inner = static_cast<size_t>(std::ceil(n * 0.25));
    const size_t middle = static_cast<size_t>(std::ceil(n * 0.65));
    for (size_t r = 0; r < placed.size(); ++r)
        placed[r].zone = r < inner ? 1 : r < middle ? 2 : 3;
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.zone != b.zone ? a.zone < b.zone : a.angle < b.angle;
    });
    std::vector<OgrPtr> interiors;
    for (size_t k = 0; k < placed.size(); ++k) {
        const OGRGeometry* shape = cells[placed[k].cell].get();
        VillageMap::District d;
        d.number = static_cast<int>(k) + 1;
        d.zone = placed[k].zone;
        d.shape = ToFeature(shape);
        d.areaM2 = Area(shape);
        OgrPtr interior = PolygonsOnly(shape->Buffer(-kStreetHalfWidth, 2));
        SnapGeometry(interior.get());
        if (interior && Area(interior.get()) < 0.3 * d.areaM2)
            interior.reset(); // too small a block to have a street of its own
        d.interior = ToFeature(interior.get());
        interiors.push_back(std::move(interior));
        village.districts.push_back(std::move(d));
    }

    // Functional use: per district its street strip and parcels across its long axis; with
    // fewer regions than districts, runs of neighbouring numbers share one region.
    Sequence seq(20260202);
    auto addParcel = [&village](const QString& code, int district, const OGRGeometry* g) {
        if (!g)
            return;
        village.parcels.push_back({code, district, ToFeature(g), Area(g)});
    };
    if (functional < n) {
        for (int g = 0; g < functional; ++g) {
            OGRMultiPolygon group;
            for (int k = g * n / functional; k < (g + 1) * n / functional; ++k)
                group.addGeometry(cells[placed[static_cast<size_t>(k)].cell].get());
            OgrPtr merged = PolygonsOnly(group.UnionCascaded());
            SnapGeometry(merged.get());
            addParcel(QStringLiteral("Ж"), 0, merged.get());
        }
    } else {
        const std::vector<int> counts =
            Allocate(village.districts, functional, village.boundaryAreaM2);
        for (size_t k = 0; k < placed.size(); ++k) {
            const OGRGeometry* shape = cells[placed[k].cell].get();
            const int number = village.districts[k].number;
            const int zone = village.districts[k].zone;
            const OGRGeometry* interior = interiors[k].get();
            int parcels = counts[k];
            const OGRGeometry* toCut = shape;
            if (parcels >= 2 && interior) {
                OgrPtr street = PolygonsOnly(shape->Difference(interior));
                SnapGeometry(street.get());
                if (street) {
                    addParcel(QStringLiteral("Д"), number, street.get());
                    --parcels;
                    toCut = interior;
                }
            }
            for (const OgrPtr& part : CutIntoStrips(toCut, parcels, seq))
                addParcel(PickCode(zone, seq), number, part.get());
        }
    }

    // Soils: four bands across the long axis.
    const double cuts[] = {-1.4 * kA, -0.45 * kA, 0.05 * kA, 0.5 * kA, 1.4 * kA};
    for (int i = 0; i < 4; ++i) {
        const Pt origin = ToMap(0, 0);
        auto slab = Slab(origin, kTilt, cuts[i], cuts[i + 1]);
        OgrPtr soil = PolygonsOnly(boundary->Intersection(slab.get()));
        SnapGeometry(soil.get());
        village.soils.push_back(ToFeature(soil.get()));
    }

    // Local factors: three regions per layer, each half of a block on one side of its
    // centre, so they keep to the streets.
    for (int layer = 0; layer < 3; ++layer) {
        std::vector<VillageMap::LocalRegion> regions;
        for (int k = 0; k < 3; ++k) {
            const size_t d = static_cast<size_t>((layer * 5 + k * 4 + 1) % n);
            const OGRGeometry* block =
                interiors[d] ? interiors[d].get() : cells[placed[d].cell].get();
            const double dir = (layer * 3 + k) * kPi / 4;
            auto half = Slab(Centroid(block), dir, -1e4, 0);
            OgrPtr part = PolygonsOnly(block->Intersection(half.get()));
            SnapGeometry(part.get());
            regions.push_back({village.districts[d].number, ToFeature(part ? part.get() : block)});
        }
        village.local.push_back(std::move(regions));
    }
    return village;
}
