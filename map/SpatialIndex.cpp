#include "map/SpatialIndex.h"

#include <algorithm>
#include <cmath>

namespace {

// Two comparisons per box side instead of MapRect::intersects' null checks: the packed
// part holds no null boxes and the query box is checked once.
inline bool meets(const MapRect& a, const MapRect& b) {
    return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
}

} // namespace

void SpatialIndex::build(std::vector<Entry> entries) {
    // The last rectangle of an id wins, as a run of inserts would give.
    std::unordered_map<qint64, size_t> last;
    last.reserve(entries.size());
    std::vector<Entry> kept;
    kept.reserve(entries.size());
    for (const Entry& e : entries) {
        if (e.box.isNull())
            continue;
        const auto [it, fresh] = last.emplace(e.id, kept.size());
        if (fresh)
            kept.push_back(e);
        else
            kept[it->second].box = e.box;
    }
    pack(std::move(kept));
}

void SpatialIndex::insert(qint64 id, const MapRect& box) {
    if (inPacked(id))
        m_removed.insert(id);
    if (box.isNull())
        m_added.erase(id);
    else
        m_added[id] = box;
    rebuildIfWorn();
}

void SpatialIndex::remove(qint64 id) {
    if (inPacked(id))
        m_removed.insert(id);
    m_added.erase(id);
    rebuildIfWorn();
}

void SpatialIndex::clear() {
    pack({});
}

int SpatialIndex::size() const {
    return static_cast<int>(m_packedIds.size() - m_removed.size() + m_added.size());
}

bool SpatialIndex::contains(qint64 id) const {
    return inPacked(id) || m_added.contains(id);
}

std::vector<qint64> SpatialIndex::query(const MapRect& box) const {
    std::vector<qint64> out;
    if (box.isNull())
        return out;
    if (!m_levels.empty()) {
        const auto top = static_cast<int>(m_levels.size()) - 1;
        for (size_t node = 0; node < m_levels.back().size(); ++node)
            collect(top, node, box, out);
    }
    for (const auto& [id, rect] : m_added)
        if (meets(rect, box))
            out.push_back(id);
    std::sort(out.begin(), out.end());
    return out;
}

void SpatialIndex::pack(std::vector<Entry> entries) {
    m_removed.clear();
    m_added.clear();
    m_levels.clear();
    m_packedIds.clear();
    m_packedIds.reserve(entries.size());
    for (const Entry& e : entries)
        m_packedIds.insert(e.id);
    m_entries = std::move(entries);
    const size_t n = m_entries.size();
    if (n == 0)
        return;

    // Sort-tile-recursive: vertical slices by centre x, each slice sorted by centre y, so
    // every run of NodeSize entries is a compact tile.
    const size_t leaves = (n + NodeSize - 1) / NodeSize;
    const auto slices = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
    const size_t perSlice = slices * NodeSize;
    auto cx = [](const Entry& e) { return e.box.xMin + e.box.xMax; };
    auto cy = [](const Entry& e) { return e.box.yMin + e.box.yMax; };
    std::sort(m_entries.begin(), m_entries.end(),
              [&](const Entry& a, const Entry& b) { return cx(a) < cx(b); });
    for (size_t start = 0; start < n; start += perSlice) {
        const auto end =
            m_entries.begin() + static_cast<std::ptrdiff_t>(std::min(n, start + perSlice));
        std::sort(m_entries.begin() + static_cast<std::ptrdiff_t>(start), end,
                  [&](const Entry& a, const Entry& b) { return cy(a) < cy(b); });
    }

    std::vector<MapRect> level;
    level.reserve(leaves);
    for (size_t start = 0; start < n; start += NodeSize) {
        MapRect box = MapRect::null();
        for (size_t i = start; i < std::min(n, start + NodeSize); ++i)
            box = box.united(m_entries[i].box);
        level.push_back(box);
    }
    m_levels.push_back(std::move(level));
    while (m_levels.back().size() > 1) {
        const std::vector<MapRect>& below = m_levels.back();
        std::vector<MapRect> up;
        up.reserve((below.size() + NodeSize - 1) / NodeSize);
        for (size_t start = 0; start < below.size(); start += NodeSize) {
            MapRect box = MapRect::null();
            for (size_t i = start; i < std::min(below.size(), start + NodeSize); ++i)
                box = box.united(below[i]);
            up.push_back(box);
        }
        m_levels.push_back(std::move(up));
    }
}

void SpatialIndex::rebuildIfWorn() {
    if (m_added.size() + m_removed.size() <= 64 + m_entries.size() / 4)
        return;
    std::vector<Entry> live;
    live.reserve(m_entries.size() + m_added.size());
    for (const Entry& e : m_entries)
        if (!m_removed.contains(e.id))
            live.push_back(e);
    for (const auto& [id, box] : m_added)
        live.push_back({id, box});
    pack(std::move(live));
}

bool SpatialIndex::inPacked(qint64 id) const {
    return m_packedIds.contains(id) && !m_removed.contains(id);
}

void SpatialIndex::collect(int level, size_t node, const MapRect& box,
                           std::vector<qint64>& out) const {
    if (!meets(m_levels[static_cast<size_t>(level)][node], box))
        return;
    const size_t first = node * NodeSize;
    if (level == 0) {
        const size_t end = std::min(m_entries.size(), first + NodeSize);
        for (size_t i = first; i < end; ++i) {
            const Entry& e = m_entries[i];
            if (meets(e.box, box) && (m_removed.empty() || !m_removed.contains(e.id)))
                out.push_back(e.id);
        }
        return;
    }
    const size_t end = std::min(m_levels[static_cast<size_t>(level) - 1].size(), first + NodeSize);
    for (size_t child = first; child < end; ++child)
        collect(level - 1, child, box, out);
}
