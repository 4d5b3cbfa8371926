#pragma once

#include <QString>

class Connection;

/**
 * The demonstration settlement's zonal structuring, stored as the step by Si, Ei, Ui, Ci
 * stores it: eight working factors, two of each group, scored for every district of its map
 * (better accessibility and services in the centre, cleaner air on the outskirts), the
 * districts in the map's three zones, Km2 and the zones' descriptions, and the zone layer
 * rebuilt from the districts. The earlier steps' districts, average value and population
 * must be stored first.
 */
bool WriteDemoZonal(const QString& folder, Connection& settlementDb, QString* error);
