#pragma once

#include "steps/common/StepIssue.h"

#include <QString>
#include <functional>
#include <vector>

class StringGrid;

/**
 * The rules every step checks its typed values by before storing. Each gives "" when the
 * text keeps the rule, else the sentence the balloon shows, naming the value as `what`
 * ("Площа", "Км1"). An empty text keeps every rule but NotEmpty.
 */
namespace rule {

/** A number not below 0: "<what> має бути числом, не меншим за 0." */
QString NotNegative(const QString& text, const QString& what);
/** A number above 0 (coefficients): "<what> має бути числом, більшим за 0." */
QString AboveZero(const QString& text, const QString& what);
/** Not empty (required fields): "Вкажіть <what>." */
QString NotEmpty(const QString& text, const QString& what);
/** A whole number from min to max: "<what> має бути цілим числом від <min> до <max>." */
QString WholeWithin(const QString& text, long long min, long long max, const QString& what);

} // namespace rule

/**
 * The first cell of the grid's data rows, in the given columns, that breaks a rule; the
 * rule is called with the cell's text. Rows for which `skipRow` says so are passed over.
 */
StepCheck CheckGridCells(const StringGrid& grid, const QString& gridName,
                         const std::vector<int>& columns,
                         const std::function<QString(const QString&)>& rule,
                         const std::function<bool(int row)>& skipRow = {});
