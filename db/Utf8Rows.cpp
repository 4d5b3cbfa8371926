#include "db/Utf8Rows.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/SqliteMessage.h"

#include <QLocale>
#include <charconv>
#include <sqlite3.h>

QByteArrayView Utf8Row::at(int column) const {
    if (column < 0 || column >= m_columns)
        return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

QByteArrayView Utf8Row::at(int column, Digits& digits) const {
    if (column < 0 || column >= m_columns)
        return {};
    if (sqlite3_column_type(m_stmt, column) != SQLITE_INTEGER)
        return at(column);
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(),
                                       sqlite3_column_int64(m_stmt, column));
    return QByteArrayView(digits.data(), written.ptr - digits.data());
}

QString Utf8Row::text(int column) const {
    const QByteArrayView bytes = at(column);
    return bytes.isNull() ? QString() : QString::fromUtf8(bytes);
}

int Utf8Row::columnIndex(QByteArrayView name) const {
    for (int column = 0; column < m_columns; ++column) {
        if (name == QByteArrayView(sqlite3_column_name(m_stmt, column)))
            return column;
    }
    return -1;
}

long long Utf8Row::integer(int column) const {
    return column >= 0 && column < m_columns ? sqlite3_column_int64(m_stmt, column) : 0;
}

QString ShortTextCache::text(QByteArrayView utf8) {
    if (utf8.isNull())
        return QString();
    const qsizetype size = utf8.size();
    if (size > 7)
        return QString::fromUtf8(utf8);
    // The bytes and, above them, the size: one number per text.
    quint64 key = static_cast<quint64>(size) << 56;
    for (qsizetype i = 0; i < size; ++i)
        key |= static_cast<quint64>(static_cast<unsigned char>(utf8[i])) << (8 * i);
    auto [it, added] = m_made.try_emplace(key);
    if (added)
        it->second = QString::fromUtf8(utf8);
    return it->second;
}

QString ShortTextCache::value(const Utf8Row& row, int column) {
    if (column < 0 || column >= row.size())
        return QString();
    if (sqlite3_column_type(row.m_stmt, column) == SQLITE_FLOAT)
        return QString::number(sqlite3_column_double(row.m_stmt, column), 'g',
                               QLocale::FloatingPointShortest);
    return text(row.at(column));
}

bool ReadUtf8Rows(Connection& connection, const QString& sql,
                  const std::function<void(const Utf8Row&)>& row) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (!connection.isOpen() ||
        sqlite3_prepare_v2(connection.handle(), utf8.constData(), static_cast<int>(utf8.size()),
                           &stmt, nullptr) != SQLITE_OK) {
        SetLastError((connection.isOpen() ? SqliteMessage(sqlite3_errmsg(connection.handle()))
                                          : QStringLiteral("база даних не відкрита.")) +
                     QStringLiteral("\rЗапит: ") + sql);
        sqlite3_finalize(stmt);
        return false;
    }
    Utf8Row current;
    current.m_stmt = stmt;
    current.m_columns = sqlite3_column_count(stmt);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        row(current);
    if (rc != SQLITE_DONE)
        SetLastError(SqliteMessage(sqlite3_errmsg(connection.handle())) +
                     QStringLiteral("\rЗапит: ") + sql);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}
