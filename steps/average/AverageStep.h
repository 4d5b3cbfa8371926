#pragma once

#include "steps/common/StepIssue.h"
#include "valuation/Formulas.h"

#include <QString>

class Connection;

/** What the window shows: В, Км1, the options text of the Км1 window and Цнм. */
struct AverageData {
    QString developmentCost;
    QString km1;
    QString km1Options;
    QString averageValue;
};

/** Цнм as stored, and whether the valuer typed it over the computed value. */
struct AverageStored {
    QString averageValue;
    bool typed = false;
};

/**
 * Reads the four indicators in one query; Цнм is recomputed from В and Км1 (the stored one
 * is given in `stored`) unless the valuer typed it. False with `error` naming the table
 * that could not be read.
 */
bool LoadAverage(Connection& project, AverageData& data, QString* error,
                 AverageStored* stored = nullptr);

/**
 * Stores "Км1", "Км1, добуток" and "Середня вартість 1 кв м" in one transaction, creating
 * missing rows; a Цнм other than В x 2 x Км1 is recorded as typed by the valuer. False with
 * `error` saying what failed; the database keeps its former content.
 */
bool StoreAverage(Connection& project, const AverageData& data, QString* error);

/** Нп/Нк and Цнм = В x 2 x Км1 are the valuation model's. */
using valuation::AverageRatio;
using valuation::AverageValue;

/**
 * Checks before storing: Км1 is given and a number above 0, Цнм is given (or the step
 * "Витрати на освоювання" is named when В is missing) and a number not below 0.
 */
StepCheck CheckAverage(const AverageData& data);

/**
 * What the bottom bar says to do first: fill "Витрати на освоювання" while В is missing,
 * give Км1 while it is empty; "" otherwise.
 */
QString AverageHint(const AverageData& data);
