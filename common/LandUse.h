#pragma once

#include <QString>
#include <vector>

/**
 * A land-use category that carries a functional coefficient Kf: the column ф_k of
 * "функціональне" where its area is measured, its name and its coefficient.
 */
struct LandUseCategory {
    int column = 0;
    QString name;
    double kf = 1;
};

/** The categories with a coefficient: ф_1 to ф_7 and ф_13, in column order. */
const std::vector<LandUseCategory>& LandUseCategories();
/** The land a district without any of those is taken for ("Землі житлової забудови"). */
const LandUseCategory& ResidentialLandUse();
