#pragma once

#include <QHash>
#include <QString>

class Connection;

/** One row of "характеристика": its id and both values. */
struct IndicatorRow {
    int id = 0;
    QString code;
    QString value;
    QString value2;
};

/**
 * The named indicators of a settlement ("характеристика"), read in one query: the first
 * row of each name in id order. Rows that repeat a name (the districts' "Площі районів")
 * are not here; see DistrictRows.
 */
class Indicators {
public:
    /** Reads every row; false with `error` naming the table and the reason. */
    bool read(Connection& project, QString* error = nullptr);
    bool has(const QString& name) const { return m_rows.contains(name); }
    /** The value of a name; `fallback` when there is no row. */
    QString value(const QString& name, const QString& fallback = QString()) const;
    /** The whole row of a name; a row with id 0 when there is none. */
    IndicatorRow row(const QString& name) const { return m_rows.value(name); }
    /** Takes `value` for a name in memory only (a value the check recomputed). */
    void set(const QString& name, const QString& value) { m_rows[name].value = value; }

private:
    QHash<QString, IndicatorRow> m_rows;
};

/** The value of one named indicator without creating its row; `fallback` when missing. */
QString ReadIndicator(Connection& project, const QString& name,
                      const QString& fallback = QString());

/** A fact of the settlement's information ("показники": "Назва"...), trimmed; "" when missing. */
QString ReadSettlementFact(Connection& project, const QString& name);

/**
 * Sets a named indicator, creating its row when the settlement has none (a later step must
 * find it). Meant to run inside the step's store transaction; false with `error` saying why.
 */
bool WriteIndicator(Connection& project, const QString& name, const QString& value,
                    QString* error = nullptr);
