#include "MapTestUtil.h"

#include "map/Layer.h"
#include "map/SpatialIndex.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <map>

namespace {

MapRect RandomRect(QRandomGenerator& rng, double world, double maxSide) {
    const double x = rng.bounded(world);
    const double y = rng.bounded(world);
    return {x, y, x + rng.bounded(maxSide), y + rng.bounded(maxSide)};
}

std::vector<qint64> BruteForce(const std::map<qint64, MapRect>& live, const MapRect& box) {
    std::vector<qint64> out;
    for (const auto& [id, rect] : live)
        if (rect.intersects(box))
            out.push_back(id);
    return out;
}

// Random inserts, moves and removals, far past the point where the index packs itself again;
// every query answers as a scan of the live rectangles would.
TEST(SpatialIndex, AnswersAsAScanThroughEdits) {
    QRandomGenerator rng(7);
    SpatialIndex index;
    std::map<qint64, MapRect> live;
    std::vector<SpatialIndex::Entry> initial;
    for (qint64 id = 1; id <= 3000; ++id) {
        const MapRect r = RandomRect(rng, 10000, 300);
        initial.push_back({id, r});
        live[id] = r;
    }
    index.build(initial);
    ASSERT_EQ(index.size(), 3000);
    qint64 next = 3001;
    for (int step = 0; step < 6000; ++step) {
        switch (rng.bounded(3)) {
        case 0: {
            const MapRect r = RandomRect(rng, 10000, 300);
            index.insert(next, r);
            live[next++] = r;
            break;
        }
        case 1: {
            const qint64 id = 1 + rng.bounded(static_cast<int>(next - 1));
            const MapRect r = RandomRect(rng, 10000, 300);
            index.insert(id, r); // a moved object, or a new one under a freed id
            live[id] = r;
            break;
        }
        default: {
            const qint64 id = 1 + rng.bounded(static_cast<int>(next - 1));
            index.remove(id);
            live.erase(id);
            break;
        }
        }
        if (step % 97 == 0) {
            const MapRect q = RandomRect(rng, 10000, 2000);
            ASSERT_EQ(index.query(q), BruteForce(live, q)) << "step " << step;
            ASSERT_EQ(index.size(), static_cast<int>(live.size()));
        }
    }
    // Edges that only touch count; a null query finds nothing.
    SpatialIndex small;
    small.build({{1, {0, 0, 10, 10}}, {2, {20, 0, 30, 10}}, {3, MapRect::null()}});
    EXPECT_EQ(small.query({10, 10, 20, 20}), (std::vector<qint64>{1, 2}));
    EXPECT_TRUE(small.query(MapRect::null()).empty());
    EXPECT_EQ(small.size(), 2);
    EXPECT_FALSE(small.contains(3));
    small.insert(1, MapRect::null()); // a shape removed
    EXPECT_FALSE(small.contains(1));
    EXPECT_EQ(small.query({0, 0, 100, 100}), (std::vector<qint64>{2}));
}

// The layer's index follows every stored edit: objectsIn() gives the positions a scan of
// features() would, in table order.
TEST(SpatialIndex, LayerIndexFollowsAddDeleteUpdateAndReplace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.tab");
    std::vector<std::pair<Feature, QStringList>> squares;
    for (int i = 0; i < 50; ++i)
        squares.push_back({Square((i % 10) * 100, (i / 10) * 100, 90), {QString::number(i)}});
    WriteTable(path, {"n"}, squares);
    QString error;
    auto layer = Layer::open(path, "grid", &error);
    ASSERT_TRUE(layer) << error.toStdString();

    auto scan = [&layer](const MapRect& r) {
        std::vector<int> out;
        for (size_t i = 0; i < layer->features().size(); ++i)
            if (layer->features()[i].bounds().intersects(r))
                out.push_back(static_cast<int>(i));
        return out;
    };
    const MapRect probes[] = {
        {0, 0, 1000, 1000}, {150, 150, 160, 160}, {95, 0, 105, 500}, {2000, 2000, 2100, 2100}};
    auto check = [&](const char* when) {
        for (const MapRect& p : probes)
            EXPECT_EQ(layer->objectsIn(p), scan(p)) << when;
    };
    check("opened");

    // Move object 12 far away, delete object 0, add one in a gap.
    Feature moved = layer->features()[12];
    moved.setGeometry(Square(2050, 2050, 10).geometry());
    ASSERT_TRUE(layer->updateFeature(moved, &error)) << error.toStdString();
    ASSERT_TRUE(layer->deleteFeature(layer->features()[0], &error)) << error.toStdString();
    ASSERT_TRUE(layer->addFeature(Square(155, 155, 2), &error)) << error.toStdString();
    check("edited");
    EXPECT_EQ(layer->objectsIn({2000, 2000, 2100, 2100}).size(), 1u);

    // A whole new content.
    ASSERT_TRUE(layer->replaceAll({Square(0, 0, 10), Square(500, 500, 10)}, &error))
        << error.toStdString();
    check("replaced");
    EXPECT_EQ(layer->objectsIn({0, 0, 1000, 1000}), (std::vector<int>{0, 1}));
}

} // namespace
