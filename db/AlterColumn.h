#pragma once

#include "db/SqlDialect.h"

#include <QString>

class Connection;

/**
 * "ALTER TABLE t ALTER COLUMN c type", which SQLite lacks: the declared type of a text column
 * is changed to another text type in the stored schema; the values stay as they are. The new
 * table definition is first tried in an in-memory database, every step of the rewrite is
 * checked, and the table is checked before the change is kept; anything else is refused or
 * rolled back, so the file stays readable. False with the reason in `error`.
 */
bool AlterColumnType(Connection& connection, const sqldialect::AlterColumn& alter, QString& error);
