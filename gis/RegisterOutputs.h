#pragma once

#include "gis/RegisterValuation.h"

#include <QString>
#include <functional>
#include <vector>

/** The purpose classifier's name of a code ("" when not known). */
using PurposeName = std::function<QString(const QString& code)>;

/** The caption of the register's first sheet and of its sheet of plots not valued. */
QString RegisterSheetName();
QString NotValuedSheetName();

/**
 * Writes the register workbook (".xlsx"): one row a plot with its numbers, the totals, and a
 * sheet of the plots not valued with their reasons. Written whole under a temporary name and
 * then moved in place. False with the reason when it cannot be written.
 */
bool WriteRegisterBook(const QString& path, const std::vector<RegisterPlot>& plots,
                       const std::vector<ValuedPlot>& valued, const PurposeName& purposeName,
                       QString* error);

/**
 * Writes the plots with their values as the layer "plots" of a new GeoPackage (in the
 * settlement's system `crsWkt`, "" for none), in place of any file there once it is whole.
 * Plots without a region are left out.
 */
bool WriteRegisterPackage(const QString& path, const std::vector<RegisterPlot>& plots,
                          const std::vector<ValuedPlot>& valued, const QString& crsWkt,
                          QString* error);
