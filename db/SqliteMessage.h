#pragma once

#include "common/EngineMessages.h"

#include <QString>

/** An SQLite message (sqlite3_errmsg, an exec error) as the user reads it: in Ukrainian. */
inline QString SqliteMessage(const char* text) {
    return UkrainianEngineMessage(QString::fromUtf8(text ? text : "out of memory"));
}
