#pragma once

#include "db/SqliteHandle.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class Connection;
class StringGrid;

/** A value a bulk store writes: a text, or SQL NULL. */
class SqlValue {
public:
    /** A text, stored as text even when empty. */
    SqlValue(const QString& text) : m_text(text) {}
    SqlValue(QString&& text) : m_text(std::move(text)) {}
    /** SQL NULL. */
    static SqlValue Null() {
        SqlValue value{QString()};
        value.m_null = true;
        return value;
    }

    bool isNull() const { return m_null; }
    const QString& text() const { return m_text; }
    /** As a literal SQL text would write it: 'it''s' or NULL. */
    QString literal() const;

private:
    QString m_text;
    bool m_null = false;
};

/** A text as an SQL string literal: 'it''s'. */
QString SqlLiteral(const QString& text);

/** NULL for an empty text, else the text: for tables that keep empty cells as NULL. */
inline SqlValue NullIfEmpty(const QString& text) {
    return text.isEmpty() ? SqlValue::Null() : SqlValue(text);
}

/** The values of one row, in the order of the columns. */
using SqlRow = std::vector<SqlValue>;

/** How SqlRowOf stores an empty text. */
enum class EmptyCell { Text, Null };

/** A row of the texts (for example a grid row's texts), empty ones as text or as NULL. */
SqlRow SqlRowOf(const QStringList& texts, EmptyCell empty = EmptyCell::Text);

/**
 * One INSERT statement prepared once and run per row with the row's values bound, for storing
 * many rows of a table. Run it inside a Transaction. A failure leaves in LastError the
 * provider's message, "\r", "Запит: " and the statement with that row's values written out
 * as literals, as RunQuery reports a statement.
 *
 *     BulkInsert insert(connection, QStringLiteral("зони"), {"зона", "райони", "опис"});
 *     for (...)
 *         if (!insert.insert({zone, districts, NullIfEmpty(description)}))
 *             return false;
 */
class BulkInsert {
public:
    /** Prepares "INSERT INTO table (columns) VALUES (...)"; see ok(). */
    BulkInsert(Connection& connection, const QString& table, const QStringList& columns);
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    /** Whether the statement was prepared; false with LastError set otherwise. */
    bool ok() const { return m_stmt != nullptr; }
    /** Inserts one row: one value per column. False with LastError set on a failure. */
    bool insert(const SqlRow& row);
    /** Rows inserted so far. */
    int inserted() const { return m_inserted; }
    /** The statement with the row's values written out as literals. */
    QString literalSql(const SqlRow& row) const;

private:
    bool fail(const QString& message, const SqlRow& row);

    Connection& m_connection;
    QString m_head; ///< "INSERT INTO table (columns) VALUES ("
    int m_columnCount = 0;
    SqliteStatement m_stmt;
    QString m_prepareError;
    int m_inserted = 0;
};

/**
 * Any statement with "?" marks prepared once and run per set of values (texts or NULL), as
 * "UPDATE t SET c=? WHERE rowid=CAST(? AS INTEGER)" for many rows. Run it inside a
 * Transaction; a failure leaves the provider's message and the statement in LastError.
 */
class BulkStatement {
public:
    BulkStatement(Connection& connection, const QString& sql);
    BulkStatement(const BulkStatement&) = delete;
    BulkStatement& operator=(const BulkStatement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    /** Runs the statement with one value per mark. False with LastError set on a failure. */
    bool run(const SqlRow& values);

private:
    Connection& m_connection;
    QString m_sql;
    SqliteStatement m_stmt;
};

/**
 * Reads the rows of a SELECT straight from the provider, each as its columns' texts (NULL as
 * ""), without keeping them: for reading tens of thousands of rows once. The row may be moved
 * away. False with the reason in LastError().
 */
bool ReadTextRows(Connection& connection, const QString& sql,
                  const std::function<void(QStringList&)>& row);

/** "DELETE FROM table" with " WHERE where" unless `where` is empty, through RunQuery. */
bool DeleteRows(Connection& connection, const QString& table, const QString& where = QString());

/** The values of row `index`; an empty SqlRow skips that row. */
using RowValues = std::function<SqlRow(int index)>;

/**
 * Replaces the rows of a table: in one transaction (a savepoint inside the caller's), deletes
 * the rows matching `where` (all rows when it is empty), then inserts rowValues(i) for i from
 * 0 to rowCount - 1 through one prepared statement. On a failure everything is rolled back,
 * LastError says what failed (see BulkInsert) and the result is false.
 */
bool ReplaceRows(Connection& connection, const QString& table, const QString& where,
                 const QStringList& columns, int rowCount, const RowValues& rowValues);

/**
 * ReplaceRows over the data rows of a grid: rowValues gets each grid row number below the
 * fixed rows, in order, and returns its values or an empty SqlRow to skip it.
 *
 *     ReplaceGridRows(db, QStringLiteral("витрати"), {}, columns, grid, [&](int row) {
 *         return grid.at(row, 0).isEmpty() ? SqlRow() : SqlRowOf(grid.rowTexts(row).mid(0, 7));
 *     });
 */
bool ReplaceGridRows(Connection& connection, const QString& table, const QString& where,
                     const QStringList& columns, const StringGrid& grid,
                     const RowValues& rowValues);
