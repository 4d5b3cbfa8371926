#pragma once

#include "common/OwnedHandle.h"

#include <sqlite3.h>

/** A database connection of our own, closed when it goes out of scope. */
using SqliteDb = OwnedHandle<sqlite3, sqlite3_close_v2>;
/** A prepared statement, finalised when it goes out of scope. */
using SqliteStatement = OwnedHandle<sqlite3_stmt, sqlite3_finalize>;

/**
 * Prepares the first statement of `sql` (`bytes` long, -1 up to its end) into `statement`
 * (empty on a failure); `tail` gets where the next one begins, `flags` are SQLite's
 * SQLITE_PREPARE_... flags. SQLite's result code.
 */
inline int PrepareStatement(sqlite3* db, const char* sql, int bytes, SqliteStatement& statement,
                            const char** tail = nullptr, unsigned flags = 0) {
    sqlite3_stmt* prepared = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql, bytes, flags, &prepared, tail);
    statement.reset(prepared);
    return rc;
}

/** Opens a database file into `db` (a failed open still gives a handle, for its message). */
inline int OpenDatabase(const char* path, int flags, SqliteDb& db) {
    sqlite3* opened = nullptr;
    const int rc = sqlite3_open_v2(path, &opened, flags, nullptr);
    db.reset(opened);
    return rc;
}
