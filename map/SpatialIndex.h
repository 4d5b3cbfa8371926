#pragma once

#include "map/MapTypes.h"

#include <QtGlobal>
#include <unordered_map>
#include <unordered_set>
#include <vector>

/**
 * An index of rectangles by number: which numbers have a rectangle that meets a query
 * rectangle. A packed tree (sort-tile-recursive) over the rectangles of the last build, plus
 * the rectangles inserted since and the numbers removed since; it builds itself again when
 * those grow past a share of the whole, so a run of edits stays cheap and queries stay fast.
 */
class SpatialIndex {
public:
    /** One indexed rectangle. */
    struct Entry {
        qint64 id = 0;
        MapRect box;
    };

    SpatialIndex() = default;

    /** Replaces the content; null rectangles are left out, a repeated id keeps its last one. */
    void build(std::vector<Entry> entries);
    /** Adds the id's rectangle, replacing the one it had; a null rectangle only removes it. */
    void insert(qint64 id, const MapRect& box);
    /** Forgets the id; nothing happens when it is not indexed. */
    void remove(qint64 id);
    void clear();

    /** The number of indexed ids. */
    int size() const;
    bool contains(qint64 id) const;

    /** The ids whose rectangle meets the rectangle (edges touching count), ascending. */
    std::vector<qint64> query(const MapRect& box) const;

private:
    // Children per node of the packed tree.
    static constexpr int NodeSize = 16;

    void pack(std::vector<Entry> entries);
    void rebuildIfWorn();
    bool inPacked(qint64 id) const;
    void collect(int level, size_t node, const MapRect& box, std::vector<qint64>& out) const;

    // The packed part: entries in tree order and, per level, the box of every node
    // (level 0 groups entries, each higher level groups nodes of the level below).
    std::vector<Entry> m_entries;
    std::vector<std::vector<MapRect>> m_levels;
    std::unordered_set<qint64> m_packedIds;
    // Changes since the last pack.
    std::unordered_set<qint64> m_removed;
    std::unordered_map<qint64, MapRect> m_added;
};
