#pragma once

#include "gis/RegisterValuation.h"

#include <QString>
#include <map>
#include <optional>
#include <vector>

/**
 * The council's rates of the land tax in % of the normative value, by purpose code ("02.01")
 * or by category of functional use ("Ж").
 */
struct TaxRates {
    std::map<QString, double> byCode;
    bool empty() const { return byCode.empty(); }
};

/**
 * Reads a text file (UTF-8) of lines "CODE;RATE" (or separated by a tab, or by a comma when
 * the rate has a decimal point); blank lines, lines starting with "#" and a heading on the
 * first line are skipped. False with the reason naming the line for anything else, or for a
 * rate that is no number from 0 to 100, a code given twice, or a file without a rate.
 */
bool ReadTaxRates(const QString& path, TaxRates& rates, QString* error);

/** The rate of a plot: by its purpose code, else by its category; nothing when neither. */
std::optional<double> TaxRateOf(const TaxRates& rates, const QString& purpose, const QString& use);

/**
 * Gives every valued plot with a rate its yearly tax: its value indexed to the year asked (its
 * value when not indexed) × the rate.
 */
void ApplyLandTax(const TaxRates& rates, const std::vector<RegisterPlot>& plots,
                  std::vector<ValuedPlot>& valued);
