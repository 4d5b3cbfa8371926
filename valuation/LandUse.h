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

/** A functional-use category of the map and of "функціональне": its column caption and code. */
struct FunctionalCategory {
    QString caption;
    QString code;
};

/** The seventeen categories; category k (from 1) is grid column k and table column ф_k. */
const std::vector<FunctionalCategory>& FunctionalCategories();
/** The number of categories shown and stored (17). */
int FunctionalCategoryCount();
/** The category (1..17) of a map code, letter case and blanks around it ignored; 0 when none. */
int FunctionalCategoryOf(const QString& code);
/** The column k of "функціональне" (ф_k) of a map code; the same as FunctionalCategoryOf. */
int LandUseColumnOfCode(const QString& code);
