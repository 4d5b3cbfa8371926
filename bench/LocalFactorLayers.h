#pragma once

#include "map/FeatureFactory.h"
#include "map/TabFile.h"

#include <QRandomGenerator>
#include <QString>
#include <cmath>
#include <numbers>

/**
 * Writes the local-factor layers "лок01".."лок<layers>" of a benchmark into a folder: each of
 * `regions` round areas (octagons of 30 to 80 m) at random over `area`, with a "Km3" value
 * from 0.90 to 1.09. The same seed gives the same layers. Stops the benchmark on a failure.
 */
inline void WriteBenchLocalLayers(const QString& folder, const MapRect& area, int layers,
                                  int regions, quint32 seed = 42) {
    QRandomGenerator rng(seed);
    const std::vector<FieldDef> fields{FieldDef{"Km3", FieldKind::Char, 20, 0, false}};
    auto names = std::make_shared<const QStringList>(QStringList{"Km3"});
    for (int k = 1; k <= layers; ++k) {
        FeatureList features;
        for (int i = 0; i < regions; ++i) {
            const double cx = area.xMin + rng.generateDouble() * area.width();
            const double cy = area.yMin + rng.generateDouble() * area.height();
            const double r = 30 + 50 * rng.generateDouble();
            std::vector<QPointF> ring;
            for (int j = 0; j < 8; ++j) {
                const double a = std::numbers::pi / 8 + j * std::numbers::pi / 4;
                ring.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
            }
            Feature f = FeatureFactory::createRegion({ring});
            f.setFields(names);
            f.setValueAt(0, QString::number(0.9 + 0.01 * rng.bounded(20), 'f', 2));
            features.push_back(f);
        }
        const QString path = folder + QStringLiteral("/лок%1.tab").arg(k, 2, 10, QChar(u'0'));
        QString error;
        if (!TabFile::create(path, fields, CoordSys{}, true, QString(), &error) ||
            !TabFile::replaceAll(path, fields, features, &error))
            qFatal("%s", qPrintable(error));
    }
}
