#include "common/LandUse.h"

const std::vector<LandUseCategory>& LandUseCategories() {
    static const std::vector<LandUseCategory> categories{
        {1, QStringLiteral("Землі комерційного використання"), 2.5},
        {2, QStringLiteral("Землі житлової забудови"), 1.0},
        {3, QStringLiteral("Землі промисловості"), 1.2},
        {4, QStringLiteral("Землі громадського призначення"), 0.7},
        {5, QStringLiteral("Землі транспорту, зв'язку"), 1.0},
        {6, QStringLiteral("Землі технічної інфраструктури"), 0.65},
        {7, QStringLiteral("Землі рекреаційного призначення"), 0.5},
        {13, QStringLiteral("Особисте підсобне господарство"), 0.8},
    };
    return categories;
}

const LandUseCategory& ResidentialLandUse() {
    return LandUseCategories()[1];
}
