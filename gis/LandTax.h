#pragma once

#include "gis/RegisterValuation.h"
#include "valuation/TaxRates.h"

#include <QString>
#include <vector>

/**
 * Reads the council's rates (in % of the normative value, by purpose code, section or
 * category) from a text file (UTF-8) of lines "CODE;RATE" (or separated by a tab, or by a comma
 * when the rate has a decimal point); blank lines, lines starting with "#" and a heading on the
 * first line are skipped. False with the reason naming the line for anything else, or for a
 * rate that is no number from 0 to 100, a code given twice, or a file without a rate.
 */
bool ReadTaxRates(const QString& path, TaxRates& rates, QString* error);

/**
 * Gives every valued plot with a rate (by its purpose code, its section, else its category) its
 * yearly tax: its value indexed to the year asked (its value when not indexed) × the rate.
 */
void ApplyLandTax(const TaxRates& rates, const std::vector<RegisterPlot>& plots,
                  std::vector<ValuedPlot>& valued);
