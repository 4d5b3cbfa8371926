#include "db/BulkStore.h"

#include "common/LastError.h"
#include "common/StringGrid.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/SqliteHandle.h"
#include "db/SqliteMessage.h"
#include "db/Transaction.h"

#include <sqlite3.h>
#include <unordered_map>

QString SqlValue::literal() const {
    return m_null ? QStringLiteral("NULL") : SqlLiteral(m_text);
}

QString SqlLiteral(const QString& text) {
    return u'\'' + QuoteSql(text) + u'\'';
}

SqlRow SqlRowOf(const QStringList& texts, EmptyCell empty) {
    SqlRow row;
    row.reserve(static_cast<size_t>(texts.size()));
    for (const QString& text : texts)
        row.push_back(empty == EmptyCell::Null ? NullIfEmpty(text) : SqlValue(text));
    return row;
}

BulkInsert::BulkInsert(Connection& connection, const QString& table, const QStringList& columns)
    : m_connection(connection),
      m_head(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(u',') +
             QStringLiteral(") VALUES (")),
      m_columnCount(static_cast<int>(columns.size())) {
    QStringList marks;
    for (int i = 0; i < m_columnCount; ++i)
        marks << QStringLiteral("?");
    const QString sql = m_head + marks.join(u',') + u')';
    if (!connection.isOpen()) {
        m_prepareError = QStringLiteral("база даних не відкрита.");
    } else if (m_columnCount == 0) {
        m_prepareError = QStringLiteral("не названо жодного стовпця.");
    } else {
        const QByteArray utf8 = sql.toUtf8();
        if (PrepareStatement(connection.handle(), utf8.constData(), static_cast<int>(utf8.size()),
                             m_stmt, nullptr, SQLITE_PREPARE_PERSISTENT) != SQLITE_OK)
            m_prepareError = SqliteMessage(sqlite3_errmsg(connection.handle()));
    }
    if (!m_stmt)
        SetLastError(m_prepareError + u'\r' + QStringLiteral("Запит: ") + sql);
}

QString BulkInsert::literalSql(const SqlRow& row) const {
    QString sql = m_head;
    for (size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            sql += u',';
        sql += row[i].literal();
    }
    return sql + u')';
}

bool BulkInsert::fail(const QString& message, const SqlRow& row) {
    SetLastError(message + u'\r' + QStringLiteral("Запит: ") + literalSql(row));
    return false;
}

namespace {

/** Binds one text (or NULL) per mark and runs the statement; the provider's message on failure. */
bool BindAndStep(sqlite3* db, sqlite3_stmt* stmt, const SqlRow& row, QString* error) {
    static const char16_t empty[] = u"";
    // The texts are bound in place: the row outlives the step, and every row binds anew.
    for (int i = 0; i < static_cast<int>(row.size()); ++i) {
        const SqlValue& value = row[static_cast<size_t>(i)];
        if (value.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
            continue;
        }
        const QString& text = value.text();
        const void* data = text.isEmpty() ? static_cast<const void*>(empty)
                                          : static_cast<const void*>(text.constData());
        sqlite3_bind_text16(stmt, i + 1, data, static_cast<int>(text.size() * 2), SQLITE_STATIC);
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE)
        return true;
    *error = SqliteMessage(sqlite3_errmsg(db));
    return false;
}

} // namespace

bool BulkInsert::insert(const SqlRow& row) {
    if (!m_stmt)
        return fail(m_prepareError, row);
    if (static_cast<int>(row.size()) != m_columnCount)
        return fail(QStringLiteral("Кількість значень (%1) не відповідає кількості стовпців (%2).")
                        .arg(row.size())
                        .arg(m_columnCount),
                    row);
    QString error;
    if (!BindAndStep(m_connection.handle(), m_stmt.get(), row, &error))
        return fail(error, row);
    ++m_inserted;
    return true;
}

BulkStatement::BulkStatement(Connection& connection, const QString& sql)
    : m_connection(connection), m_sql(sql) {
    const QByteArray utf8 = sql.toUtf8();
    if (!connection.isOpen() ||
        PrepareStatement(connection.handle(), utf8.constData(), static_cast<int>(utf8.size()),
                         m_stmt, nullptr, SQLITE_PREPARE_PERSISTENT) != SQLITE_OK)
        SetLastError((connection.isOpen() ? SqliteMessage(sqlite3_errmsg(connection.handle()))
                                          : QStringLiteral("база даних не відкрита.")) +
                     QStringLiteral("\rЗапит: ") + sql);
}

bool BulkStatement::run(const SqlRow& values) {
    QString error;
    if (m_stmt && BindAndStep(m_connection.handle(), m_stmt.get(), values, &error))
        return true;
    QStringList literals;
    for (const SqlValue& v : values)
        literals << v.literal();
    SetLastError(error + QStringLiteral("\rЗапит: ") + m_sql + QStringLiteral(" [") +
                 literals.join(u',') + u']');
    return false;
}

namespace {

/**
 * The texts of up to seven bytes read so far ("1.00", "12", "Ж"), each made once: tables of
 * coefficients repeat a few values tens of thousands of times.
 */
class ShortTexts {
public:
    QString text(const char* utf8, int size) {
        if (size > 7 || size < 0)
            return QString::fromUtf8(utf8, size);
        // The bytes and, above them, the size: one number per text.
        quint64 key = static_cast<quint64>(size) << 56;
        for (int i = 0; i < size; ++i)
            key |= static_cast<quint64>(static_cast<unsigned char>(utf8[i])) << (8 * i);
        auto [it, added] = m_made.try_emplace(key);
        if (added)
            it->second = QString::fromUtf8(utf8, size);
        return it->second;
    }

private:
    std::unordered_map<quint64, QString> m_made;
};

} // namespace

bool ReadTextRows(Connection& connection, const QString& sql,
                  const std::function<void(QStringList&)>& row) {
    SqliteStatement statement;
    const QByteArray utf8 = sql.toUtf8();
    if (!connection.isOpen() ||
        PrepareStatement(connection.handle(), utf8.constData(), static_cast<int>(utf8.size()),
                         statement) != SQLITE_OK) {
        SetLastError((connection.isOpen() ? SqliteMessage(sqlite3_errmsg(connection.handle()))
                                          : QStringLiteral("база даних не відкрита.")) +
                     QStringLiteral("\rЗапит: ") + sql);
        return false;
    }
    sqlite3_stmt* stmt = statement.get();
    const int columns = sqlite3_column_count(stmt);
    ShortTexts shortTexts;
    QStringList values;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        values.clear();
        for (int i = 0; i < columns; ++i) {
            // The database keeps UTF-8: read as it is, without SQLite's own UTF-16 copy.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            values << (text ? shortTexts.text(text, sqlite3_column_bytes(stmt, i)) : QString());
        }
        row(values);
    }
    if (rc != SQLITE_DONE)
        SetLastError(SqliteMessage(sqlite3_errmsg(connection.handle())) +
                     QStringLiteral("\rЗапит: ") + sql);
    return rc == SQLITE_DONE;
}

bool DeleteRows(Connection& connection, const QString& table, const QString& where) {
    Query query(&connection);
    QString sql = QStringLiteral("DELETE FROM ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (RunQuery(query, sql, false))
        return true;
    if (LastError().isEmpty())
        SetLastError(QStringLiteral("База даних не відкрита.\rЗапит: ") + sql);
    return false;
}

bool ReplaceRows(Connection& connection, const QString& table, const QString& where,
                 const QStringList& columns, int rowCount, const RowValues& rowValues) {
    ClearLastError();
    Transaction transaction(connection);
    if (!transaction.ok())
        return false;
    BulkInsert insert(connection, table, columns);
    bool ok = insert.ok() && DeleteRows(connection, table, where);
    for (int i = 0; ok && i < rowCount; ++i) {
        const SqlRow row = rowValues(i);
        ok = row.empty() || insert.insert(row);
    }
    if (ok && transaction.commit())
        return true;
    transaction.rollback();
    return false;
}

bool ReplaceGridRows(Connection& connection, const QString& table, const QString& where,
                     const QStringList& columns, const StringGrid& grid,
                     const RowValues& rowValues) {
    const int first = grid.fixedRows();
    return ReplaceRows(connection, table, where, columns, std::max(grid.rowCount() - first, 0),
                       [&](int index) { return rowValues(first + index); });
}
