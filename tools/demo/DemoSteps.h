#pragma once

#include <QString>

class Connection;

/**
 * Fills the first valuation steps of the demonstration settlement in `folder`, as a valuer
 * would: the land structure (from the settlement's "Склад земель" statement when it has one,
 * else shares of the boundary's area), the districts and their areas from "райони.tab", a few
 * development cost items in 2025 prices, Km1 of a suburban village and the average value.
 */
bool WriteDemoSteps(const QString& folder, Connection& settlement, QString* error);
