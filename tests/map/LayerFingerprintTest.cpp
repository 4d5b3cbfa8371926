#include "map/LayerFingerprint.h"

#include "tests/map/MapTestUtil.h"

#include <QTemporaryDir>

namespace {

QString FingerprintOf(const QString& path, const QStringList& fields) {
    QString fingerprint, error;
    EXPECT_TRUE(LayerFingerprint(path, fields, fingerprint, &error)) << error.toStdString();
    return fingerprint;
}

} // namespace

TEST(LayerFingerprintTest, FollowsGeometryAndUsedFieldsOnlyInAnyObjectOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("райони.tab"));
    const QStringList fields{QStringLiteral("Raion"), QStringLiteral("Km3_sr")};
    const auto write = [&](double side, const QString& first, const QString& km3, bool reversed) {
        std::vector<std::pair<Feature, QStringList>> features{
            {Square(0, 0, side), {first, km3}}, {Square(100, 0, 100), {QStringLiteral("2"), km3}}};
        if (reversed)
            std::swap(features[0], features[1]);
        WriteTable(path, fields, features);
    };
    const QStringList used{QStringLiteral("Raion")};
    write(100, QStringLiteral("1"), QStringLiteral("1.00"), false);
    const QString made = FingerprintOf(path, used);
    ASSERT_EQ(made.size(), 16);

    // Written again with the same objects, in another order, another value of a field not used.
    write(100, QStringLiteral("1"), QStringLiteral("1.05"), true);
    EXPECT_EQ(FingerprintOf(path, used), made);
    // The field used counts, and so does a grown object.
    EXPECT_NE(FingerprintOf(path, fields), made);
    write(100, QStringLiteral("3"), QStringLiteral("1.00"), false);
    EXPECT_NE(FingerprintOf(path, used), made);
    write(140, QStringLiteral("1"), QStringLiteral("1.00"), false);
    EXPECT_NE(FingerprintOf(path, used), made);
    write(100, QStringLiteral("1"), QStringLiteral("1.00"), false);
    EXPECT_EQ(FingerprintOf(path, used), made);
    // A field the table lacks is not taken for an empty one.
    const QString other = dir.filePath(QStringLiteral("інші.tab"));
    WriteTable(other, {QStringLiteral("Raion"), QStringLiteral("Code")},
               {{Square(0, 0, 100), {QStringLiteral("1"), QString()}}});
    const QString withEmpty =
        FingerprintOf(other, {QStringLiteral("Raion"), QStringLiteral("Code")});
    WriteTable(other, {QStringLiteral("Raion")}, {{Square(0, 0, 100), {QStringLiteral("1")}}});
    EXPECT_NE(FingerprintOf(other, {QStringLiteral("Raion"), QStringLiteral("Code")}), withEmpty);
}

TEST(LayerFingerprintTest, MissingTablesFailAndJobsRunTogether) {
    QTemporaryDir dir;
    QString fingerprint, error;
    EXPECT_FALSE(
        LayerFingerprint(dir.filePath(QStringLiteral("немає.tab")), {}, fingerprint, &error));
    EXPECT_TRUE(fingerprint.isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("не існує"))) << error.toStdString();

    std::vector<FingerprintJob> jobs;
    for (int i = 0; i < 5; ++i) {
        const QString path = dir.filePath(QStringLiteral("лок%1.tab").arg(i + 1));
        WriteTable(path, {QStringLiteral("Km3")},
                   {{Square(10.0 * i, 0, 10), {QStringLiteral("1.0%1").arg(i)}}});
        jobs.push_back(FingerprintJob{path, {QStringLiteral("Km3")}, {}, {}});
    }
    jobs.push_back(FingerprintJob{dir.filePath(QStringLiteral("немає.tab")), {}, {}, {}});
    FingerprintLayers(jobs);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(jobs[static_cast<size_t>(i)].fingerprint,
                  FingerprintOf(jobs[static_cast<size_t>(i)].path, {QStringLiteral("Km3")}));
    EXPECT_NE(jobs[0].fingerprint, jobs[1].fingerprint);
    EXPECT_TRUE(jobs.back().fingerprint.isEmpty());
    EXPECT_FALSE(jobs.back().error.isEmpty());
}
