#pragma once

#include <QHash>
#include <QString>

class Connection;

namespace valuation {

/**
 * The values the valuer typed over computed ones (Цнм typed by hand, a quarter's own local
 * coefficient...): inputs, not stale results. Kept in the settlement's table
 * "введено_вручну" (таблиця, ключ, поле, значення), created when first needed, so older
 * settlements open unchanged. A mark holds only while the stored value is still the value
 * typed: a later computed value replaces it without any further step.
 */
class TypedValues {
public:
    /** Reads the marks; a settlement without the table has none. False with LastError(). */
    bool read(Connection& project);
    /** Whether `value` stored at (table, key, field) is the value the valuer typed there. */
    bool isTyped(const QString& table, const QString& key, const QString& field,
                 const QString& value) const;
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, QString> m_values;
};

/**
 * The table of the marks; an indicator's mark is keyed by names::table::Indicators(), its name
 * and "значення".
 */
QString TypedTable();

/**
 * Replaces the marks of one table (and, with `key` given, of that key only) by `marks`
 * (field key -> value pairs as "key\tfield" -> value). Meant to run inside the step's store
 * transaction; false with LastError().
 */
bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, QString>& marks, const QString& key = QString());

/** The mark key of a (key, field) pair for StoreTypedMarks. */
QString MarkKey(const QString& key, const QString& field);

/** Marks (or with `typed` false unmarks) one indicator's value as typed by the valuer. */
bool MarkIndicatorTyped(Connection& project, const QString& indicator, const QString& value,
                        bool typed);

} // namespace valuation
