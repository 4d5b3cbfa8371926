#pragma once

#include "common/Answer.h"
#include "common/LastError.h"
#include "db/Database.h"

#include <QString>
#include <QStringList>

/**
 * Runs a statement. With `open` the rows are kept; with `rowsRequired` at least one row
 * must come back, else "Не знайдено записів згідно запиту." and the query is closed.
 * An empty statement or a closed connection gives false with an empty LastError.
 */
bool RunQuery(Query& query, const QString& sql, bool open, bool rowsRequired = false);
/**
 * Reports a failed read of a table through FailWith: "Вибірка із бази \"table\"\rПодробиці: "
 * and the provider's reason (LastError). For the function that called RunQuery itself.
 */
bool FailReading(QString* error, const QString& table);
/**
 * Reports a failed change of the database through FailWith: "Оновлення даних у базі
 * даних.\rПомилка: " and the provider's reason with its statement (LastError).
 */
bool FailUpdating(QString* error);
/** Whether the statement's result has a field of that name; the query is closed after. */
bool FieldExists(Query& query, const QString& sql, const QString& field);
/** Whether the connection has the table, names compared ignoring case. */
bool TableExists(Connection& connection, const QString& table);
/** MAX(column) of the table as an integer; 0 for an empty table or on any error. */
long long MaxValue(Query& query, const QString& table, const QString& column);
bool HasCurrentRecord(const Query& query);
/** Moves to the first record whose field equals the text; stays put when none does. */
bool LocateValue(const QString& text, Query& query, const QString& field);
/** The text with every apostrophe doubled. */
QString QuoteSql(const QString& text);
/** One column definition for CREATE TABLE or ADD COLUMN in the provider's dialect. */
QString ColumnDef(const QString& provider, const QString& name, FieldType type, bool noDefault,
                  int size);
QString ColumnDef(const Connection& connection, const QString& name, FieldType type, bool noDefault,
                  int size);

/**
 * Adds to an existing table each of the text columns (size `size`) it lacks, for databases
 * made before the columns came; an absent table is left alone. False with LastError() when an
 * ADD COLUMN fails.
 */
bool AddMissingTextColumns(Connection& connection, const QString& table, const QStringList& columns,
                           int size);

/** The decisions a folder copy needs; the window asks the user, a test answers from a script. */
class CopyQuestions {
public:
    virtual ~CopyQuestions() = default;
    /** The target file exists: Yes, No, Cancel, NoToAll or YesToAll. */
    virtual Answer replaceExisting(const QString& target) = 0;
    /** The file could not be copied to the target: Abort, Retry or Ignore. */
    virtual Answer copyFailed(const QString& target) = 0;
};

/** The warning of a folder copy that finds nothing to copy. */
QString NothingToCopyText();

/**
 * Copies files (all of the source folder when `files` is empty) into the target folder,
 * asking `ask` before overwriting (Yes/No/Cancel/No-to-all/Yes-to-all) and after a failed copy
 * (Abort/Retry/Ignore). False when cancelled or aborted (`error` stays empty: the user knows),
 * or with NothingToCopyText() in `error` when there is nothing to copy and not `quietIfEmpty`.
 */
bool CopyFolderFiles(const QString& source, const QString& target, CopyQuestions& ask,
                     QString* error = nullptr, const QStringList& files = QStringList(),
                     bool quietIfEmpty = false);
