#pragma once

#include "common/JobProgress.h"

#include <QHash>
#include <QString>
#include <functional>

class Workbook;

/** The text of a worksheet cell by row and column (from 1); "" for an empty cell. */
using StatementCell = std::function<QString(int row, int column)>;

/** The first row of a land statement's data, and the last row looked at. */
constexpr int StatementFirstDataRow = 11;
constexpr int StatementLastRow = 100000;

/**
 * The totals row of a land statement: going down from row 11 while column D is not empty
 * (at most to row 100000), the last non-empty row; row 10 when row 11 is already empty.
 */
int StatementTotalsRow(const StatementCell& cell);

/**
 * The fields of the areas window filled from the statement's totals row, by object name,
 * each "0.0000", and the rest of the territory not counted (NotCountedRestKey); a cell that
 * is empty or not a number counts as 0. The sums of built-up, not counted and assessed
 * territory add the values before they are rounded.
 */
QHash<QString, QString> StatementAreas(const StatementCell& cell, int totalsRow);

/**
 * Why the statement gives no areas: its totals row has no total area above 0 in column D
 * (an empty statement, or one laid out otherwise); "" when it has one.
 */
QString StatementProblem(const StatementCell& cell, int totalsRow);

/** The statement of a settlement folder: "Склад земель.xlsx", or ".xls" when only that exists. */
QString StatementPath(const QString& folder);

/**
 * The reading procedure of the statement job: the first worksheet's totals row turned into
 * the fields (see StatementAreas). A missing worksheet is the job's error "Ошибка нахождения
 * листа." with the reason; a statement without areas its warning (StatementProblem). The
 * fields are left empty unless they were read.
 */
void ReadStatementJob(Workbook& book, TMessages& messages, JobProgress& progress,
                      QHash<QString, QString>& fields);
