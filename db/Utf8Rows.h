#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <functional>
#include <unordered_map>

class Connection;
struct sqlite3_stmt;

/**
 * The current row of a SELECT as the provider holds it: each column's UTF-8 bytes (NULL as
 * empty), valid only while the row is handed over. Comparing bytes costs no text made.
 */
class Utf8Row {
public:
    int size() const { return m_columns; }
    QByteArrayView at(int column) const;
    /** Room for an integer's digits, for at(column, digits). */
    using Digits = std::array<char, 24>;
    /**
     * The same bytes as at(column), an integer's written into `digits` rather than made by the
     * provider (faster where most values are numbers); valid until `digits` is used again.
     */
    QByteArrayView at(int column, Digits& digits) const;
    /** The column as text (as ReadTextRows gives it). */
    QString text(int column) const;
    /** The index of the column named `name` (UTF-8), or -1. */
    int columnIndex(QByteArrayView name) const;
    long long integer(int column) const;

private:
    friend class ShortTextCache;
    friend bool ReadUtf8Rows(Connection&, const QString&,
                             const std::function<void(const Utf8Row&)>&);
    sqlite3_stmt* m_stmt = nullptr;
    int m_columns = 0;
};

/**
 * Texts of short values (codes, scores, "1.00") made once each and shared after: a table of
 * tens of thousands of such cells then costs a few texts.
 */
class ShortTextCache {
public:
    QString text(QByteArrayView utf8);
    /** A column's text as Query::text gives it (a real number in its shortest form). */
    QString value(const Utf8Row& row, int column);

private:
    std::unordered_map<quint64, QString> m_made;
};

/**
 * Reads the rows of a SELECT straight from the provider without making texts of them: for
 * tens of thousands of rows mostly compared with known values. False with the reason in
 * LastError().
 */
bool ReadUtf8Rows(Connection& connection, const QString& sql,
                  const std::function<void(const Utf8Row&)>& row);
