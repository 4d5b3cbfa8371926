#pragma once

#include "map/MapRenderer.h"

#include <QString>

class Feature;

/**
 * The label an object of a settlement layer carries on the map: "Зона 2" on "зони" (its
 * "Zona"), "14" on "райони" (its "Raion"); "" on other layers.
 */
QString SettlementLabel(const QString& layer, const Feature& feature);

/**
 * How the settlement's map is labelled: the zones with their numbers first, then the
 * districts with theirs, so that a zone's number wins where the two would meet.
 */
MapLabels SettlementMapLabels();
