#pragma once

#include <QString>

class Connection;

/**
 * The demonstration settlement's agricultural land: arable land, perennial plantings,
 * hayfields and pastures on the soils of the village's soil layer (codes of the shipped
 * catalogue), valued and stored in "угіддя" as the step "Вартість с/г земель" stores them.
 */
bool WriteDemoAgriculture(Connection& settlement, QString* error);

/**
 * The demonstration's three plots in districts of a village of `districts` districts: a
 * shop in the centre, a school in the middle ring and a household plot with arable and
 * pasture parts on the outskirts, valued with the average value of 1 sq m, Km2, Km3 and soil
 * values the settlement holds when this runs (1 for a missing coefficient, no value without
 * an average value), and stored in "ділянки" as the step "Оцінка ділянок" stores them. Run it
 * after everything else the demonstration stores.
 */
bool WriteDemoPlots(Connection& settlement, int districts, QString* error);
