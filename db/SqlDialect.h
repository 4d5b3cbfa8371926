#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>

/**
 * What our SQLite provider does with the Jet dialect the program writes: column kinds of
 * declared types, the rewriting of "AUTOINCREMENT" columns, and "ALTER COLUMN".
 */
namespace sqldialect {

/** The kind and size of a declared column type ("nvarchar (50)" is a 50-character string). */
FieldInfo DeclaredField(const QString& name, const QString& declaredType);

/** "CREATE TABLE t (id AUTOINCREMENT, ...)" gets an INTEGER PRIMARY KEY AUTOINCREMENT id. */
QString RewriteAutoIncrement(const QString& sql);

/** The parts of "ALTER TABLE t ALTER COLUMN c type". */
struct AlterColumn {
    QString table;
    QString column;
    QString type;
};
std::optional<AlterColumn> ParseAlterColumn(const QString& sql);

/** How SQLite treats the values of a column of a declared type (its rules, in its order). */
enum class Affinity { Integer, Text, Blob, Real, Numeric };
Affinity ColumnAffinity(const QString& declaredType);

/**
 * Whether ALTER COLUMN may change a column to this type: a text type with an optional size,
 * such as "TEXT(150)", "TEXT", "VARCHAR (50)", "NVARCHAR(255)", "CHAR(10)" or "NTEXT".
 * Anything else (other kinds, constraints, an unbalanced parenthesis) is refused.
 */
bool IsTextColumnType(const QString& type);

/** The CREATE TABLE text with the declared type of one column replaced; nothing if absent. */
std::optional<QString> ReplaceColumnType(const QString& createSql, const QString& column,
                                         const QString& type);

/** Jet's LIKE: "%" any run, "_" one character, letters compared ignoring case. */
bool LikeMatch(const QString& pattern, const QString& text, QChar escape = QChar());
/** The same on UTF-8 bytes, without allocating: the provider's LIKE runs on every row. */
bool LikeMatchUtf8(const char* pattern, int patternLength, const char* text, int textLength,
                   char32_t escape = 0);

} // namespace sqldialect
