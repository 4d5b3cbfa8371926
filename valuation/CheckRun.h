#pragma once

// The check's steps: one function per step of the chain, each in its own file, sharing one run.

#include "valuation/Check.h"
#include "valuation/Settlement.h"
#include "valuation/TableRows.h"
#include "valuation/Typed.h"

#include <QHash>

class Connection;

namespace valuation::check {

/** One run of the check: what it read, what each step hands on to the next, the findings. */
struct CheckRun {
    CheckRun(Connection& project, CheckResult& found) : db(project), result(found) {}

    Connection& db;
    CheckResult& result;
    Settlement s;
    TypedValues typed;

    // Handed on along the chain, as recomputed.
    QString population;      ///< by Info, for Km2
    QString developmentCost; ///< В, by Costs, for Цнм
    QString average;         ///< Цнм, by Average, for Km2 and the plots
    /** Km2 of each district, by Zonal, for the plots. */
    QHash<QString, QString> km2OfDistrict;
    /** The value of 1 ha of each soil ("kind\tcode"), by Soils, for the household plot. */
    QHash<QString, QString> soilValue;

    /** False, with the table that could not be read and the database's reason in `error`. */
    bool fail(QString* error, const QString& table) const;
    /** A stored indicator unlike the computed value: a stale one. */
    void indicator(Step step, const QString& name, const QString& computed);
    /** A stored cell unlike the computed value: a stale one. */
    void cell(Step step, const QString& table, long long rowId, const QString& column,
              const QString& what, const QString& stored, const QString& computed);
    /** Whether the valuer typed the indicator's stored value. */
    bool typedIndicator(const QString& name) const;
    /** Records a typed value with what the model computes in its place now. */
    void typedValue(Step step, const QString& what, const QString& table, const QString& key,
                    const QString& field, const QString& computed, const QString& inputs);
    /**
     * An indicator stored without a mark and unlike the computed value was typed before
     * marks were kept: the valuer's, recorded as a typed value (a note).
     */
    void typedIndicatorValue(Step step, const QString& name, const QString& stored,
                             const QString& computed, const QString& inputs);
};

// Each step's check, in the order of the chain. False with the reason in `error` when a table
// cannot be read.
bool Info(CheckRun& run, QString* error);
bool Areas(CheckRun& run);
bool Costs(CheckRun& run, QString* error);
bool Average(CheckRun& run);
bool Zonal(CheckRun& run, QString* error);
bool Local(CheckRun& run);
bool Quarters(CheckRun& run, QString* error);
bool Soils(CheckRun& run, QString* error);
bool Plots(CheckRun& run, QString* error);

} // namespace valuation::check
