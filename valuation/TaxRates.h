#pragma once

#include <QHash>
#include <QString>

class Connection;

/**
 * The council's rates of land tax (the catalogue's table "ставки_податку"): a rate in per cent
 * of the normative monetary value for a purpose code ("02.01"), a whole section of purposes
 * ("02" or "02.00") or a functional-use category ("Ж"). Shipped empty: the council sets them.
 */
class TaxRates {
public:
    /** Adds a rate; a later rate of the same code replaces the earlier one. */
    void add(const QString& code, const QString& percent);
    bool isEmpty() const { return m_rates.isEmpty(); }
    /**
     * The rate of a plot: of its purpose code, else of the purpose's section, else of its
     * category; "" when none is set.
     */
    QString rateFor(const QString& purpose, const QString& category) const;

private:
    QHash<QString, QString> m_rates;
};

/** Reads the rates from the catalogue; false with the reason when the table cannot be read. */
bool LoadTaxRates(Connection& catalogue, TaxRates& rates, QString* error);

/**
 * The yearly land tax of a plot of that value (UAH) at its rate: value × rate / 100, to the
 * kopeck ("0.00"). False with the reason when no rate is set for the purpose or category or
 * the rate or the value is not a number.
 */
bool YearlyLandTax(const TaxRates& rates, const QString& purpose, const QString& category,
                   const QString& value, QString* tax, QString* reason);
