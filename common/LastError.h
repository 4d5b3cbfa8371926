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
