#pragma once

#include <QString>

/**
 * The reason of the last failure of a data or file operation: the database provider's
 * message with its statement, or a map or office error. Callers read it right after a
 * failed call to build their own message.
 */
QString LastError();
void SetLastError(const QString& text);
void ClearLastError();

/**
 * The one way a library reports a failure to its caller: the text goes to `error` when the
 * caller asked for it (the window shows it). Returns false, for `return FailWith(error, ...)`.
 */
bool FailWith(QString* error, const QString& text);
