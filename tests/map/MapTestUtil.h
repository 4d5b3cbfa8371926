#pragma once

#include "map/FeatureFactory.h"
#include "map/MapDocument.h"
#include "map/TabFile.h"

#include <QString>
#include <gtest/gtest.h>

/** A square region with its lower left corner at (x, y). */
inline Feature Square(double x, double y, double side) {
    return FeatureFactory::createRegion(
        {{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}});
}

/** The shapes with the fields (in that order) and the values given for each. */
inline FeatureList WithValues(const QStringList& fields,
                              const std::vector<std::pair<Feature, QStringList>>& features) {
    auto names = std::make_shared<const QStringList>(fields);
    FeatureList all;
    for (const auto& [feature, values] : features) {
        Feature f = feature;
        f.setFields(names);
        for (qsizetype i = 0; i < values.size(); ++i)
            f.setValueAt(static_cast<int>(i), values[i]);
        all.push_back(f);
    }
    return all;
}

/** Character fields of width 50 of the names. */
inline std::vector<FieldDef> CharFields(const QStringList& fields) {
    std::vector<FieldDef> defs;
    for (const QString& f : fields)
        defs.push_back(FieldDef{f, FieldKind::Char, 50, 0, false});
    return defs;
}

/** Writes a table with the fields (Char 50) and the features in that order. */
inline void WriteTable(const QString& path, const QStringList& fields,
                       const std::vector<std::pair<Feature, QStringList>>& features) {
    QString error;
    ASSERT_TRUE(TabFile::create(path, CharFields(fields), CoordSys{}, true, QString(), &error))
        << error.toStdString();
    FeatureList all = WithValues(fields, features);
    ASSERT_TRUE(TabFile::appendAll(path, all, &error)) << error.toStdString();
}
