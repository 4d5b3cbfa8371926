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
/** A value the valuer typed, with the computed value it replaced and that value's inputs. */
struct TypedMark {
    QString table, key, field;
    QString value;
    /** The computed value when it was typed over ("" when not recorded, older marks). */
    QString computed;
    /** The inputs of that computed value, as a line ("В 23.62, Км1 1.200"). */
    QString inputs;
};

class TypedValues {
public:
    /** Reads the marks; a settlement without the table has none. False with `error`. */
    bool read(Connection& project, QString* error = nullptr);
    /** Whether `value` stored at (table, key, field) is the value the valuer typed there. */
    bool isTyped(const QString& table, const QString& key, const QString& field,
                 const QString& value) const;
    bool isEmpty() const { return m_values.isEmpty(); }
    /** The mark at (table, key, field); null when there is none. */
    const TypedMark* mark(const QString& table, const QString& key, const QString& field) const;

private:
    QHash<QString, TypedMark> m_values;
};

/**
 * The table of the marks; an indicator's mark is keyed by names::table::Indicators(), its name
 * and "значення".
 */
QString TypedTable();

/**
 * Replaces the marks of one table (and, with `key` given, of that key only) by `marks`
 * (field key -> value pairs as "key\tfield" -> value). Meant to run inside the step's store
 * transaction; false with `error` saying why.
 */
bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, QString>& marks, const QString& key = QString(),
                     QString* error = nullptr);

/**
 * As above, each mark with the computed value it replaced and its inputs (TypedMark's
 * table, key and field are taken from the call and the hash key).
 */
bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, TypedMark>& marks, const QString& key = QString(),
                     QString* error = nullptr);

/** The mark key of a (key, field) pair for StoreTypedMarks. */
QString MarkKey(const QString& key, const QString& field);

/** Marks (or with `typed` false unmarks) one indicator's value as typed by the valuer. */
bool MarkIndicatorTyped(Connection& project, const QString& indicator, const QString& value,
                        bool typed, const QString& computed = QString(),
                        const QString& inputs = QString(), QString* error = nullptr);

} // namespace valuation
