#include "valuation/LandUse.h"

#include <QHash>

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

const std::vector<FunctionalCategory>& FunctionalCategories() {
    static const std::vector<FunctionalCategory> categories = {
        {QStringLiteral("Землі комерц. (К)"), QStringLiteral("К")},
        {QStringLiteral("Землі  житл.  (Ж)"), QStringLiteral("Ж")},
        {QStringLiteral("Землі   пром.   (П)"), QStringLiteral("П")},
        {QStringLiteral("Землі громад. (Г)"), QStringLiteral("Г")},
        {QStringLiteral("Землі трансп. (Т)"), QStringLiteral("Т")},
        {QStringLiteral("Землі тех.інфр.   (І)"), QStringLiteral("І")},
        {QStringLiteral("Землі рекреац.   (Р)"), QStringLiteral("Р")},
        {QStringLiteral("Землі залізниц.   (З)"), QStringLiteral("З")},
        {QStringLiteral("Вулична мережа (Д)"), QStringLiteral("Д")},
        {QStringLiteral("    Ліси                  (Л)"), QStringLiteral("Л")},
        {QStringLiteral("Відкриті    землі    (Н)"), QStringLiteral("Н")},
        {QStringLiteral("Водна поверх. (В)"), QStringLiteral("В")},
        {QStringLiteral("  Під осг               (О)"), QStringLiteral("О")},
        {QStringLiteral("   Рілля                      (Рі)"), QStringLiteral("Рі")},
        {QStringLiteral("Сіножаті                (Сі)"), QStringLiteral("Сі")},
        {QStringLiteral("Багатор. насадж. (Ба)"), QStringLiteral("Ба")},
        {QStringLiteral("Пасовища           (Па)"), QStringLiteral("Па")},
    };
    return categories;
}

int FunctionalCategoryCount() {
    return static_cast<int>(FunctionalCategories().size());
}

int FunctionalCategoryOf(const QString& code) {
    static const QHash<QString, int> byCode = [] {
        QHash<QString, int> map;
        int k = 0;
        for (const FunctionalCategory& c : FunctionalCategories())
            map.insert(c.code.toUpper(), ++k);
        return map;
    }();
    return byCode.value(code.trimmed().toUpper(), 0);
}

int LandUseColumnOfCode(const QString& code) {
    return FunctionalCategoryOf(code);
}
