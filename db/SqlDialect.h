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

/** The CREATE TABLE text with the declared type of one column replaced; nothing if absent. */
std::optional<QString> ReplaceColumnType(const QString& createSql, const QString& column,
                                         const QString& type);

/** Jet's LIKE: "%" any run, "_" one character, letters compared ignoring case. */
bool LikeMatch(const QString& pattern, const QString& text, QChar escape = QChar());
/** The same on UTF-8 bytes, without allocating: the provider's LIKE runs on every row. */
bool LikeMatchUtf8(const char* pattern, int patternLength, const char* text, int textLength,
                   char32_t escape = 0);

} // namespace sqldialect
