#pragma once

#include <QString>

class Connection;

/**
 * The demonstration settlement's functional use and local factors, measured from its map
 * ("функціональне.tab" and the "лок" layers over "райони.tab") with Km3 written onto the
 * district map, and its statement of quarters filled with "Занести з районів" and completed
 * with quarter numbers, all stored as the three steps store them. The districts, the average
 * value and the zones of the map's three zones are written first where no earlier step
 * stored them. `appDir` holds the catalogue of local factors.
 */
bool WriteDemoFunctionalLocal(const QString& appDir, const QString& folder, Connection& settlement,
                              QString* error);
