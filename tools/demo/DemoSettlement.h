#pragma once

#include <QString>

/** How big the demonstration settlement is. */
struct DemoSize {
    int districts = 12;  ///< valuation districts in "райони.tab"
    int functional = 60; ///< regions of "функціональне.tab"
};

/** Names the demonstration project uses. */
namespace demo {
inline QString projectName() {
    return QStringLiteral("Демонстраційний проект");
}
inline QString settlementName() {
    return QStringLiteral("с. Демонстраційне");
}
/** The seventeen functional-use codes in category order. */
QStringList functionalCodes();
/** The local-factor layers of the demonstration, for factors 1, 5 and 12. */
QStringList localLayers();
} // namespace demo

/**
 * Writes the settlement's map layers into the folder: "межі", "райони", "зони",
 * "функціональне", "грунти" and the local-factor layers "лок01", "лок05", "лок12".
 * The map is a village: an irregular outline, districts tiling it along its streets, and
 * functional and local-factor regions inside the districts. The same size always gives the
 * same objects and values.
 */
bool WriteDemoLayers(const QString& folder, const DemoSize& size, QString* error);

/**
 * Writes the demonstration project under "<appDir>/Проекти" from the templates of
 * "<appDir>/Шаблон", with its layers, its land statement filled from the map and its total
 * area and population, and registers it in "<appDir>/baza.sqlite", replacing an earlier
 * registration of the same folder.
 */
bool WriteDemoProject(const QString& appDir, const DemoSize& size, QString* error);
