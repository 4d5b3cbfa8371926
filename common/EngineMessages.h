#pragma once

#include <QString>

/**
 * The engines under the program (SQLite, libzip, pugixml, GDAL and the system) report in
 * English, and their messages reach the user after "Помилка: ". This gives them in
 * Ukrainian, keeping the names they carry ("no such table: зони" becomes "немає таблиці
 * зони"); a message of parts joined by ": " ("Can't open file: Permission denied") is
 * translated part by part. A message it does not know stays as it is.
 */
QString UkrainianEngineMessage(const QString& message);

/**
 * An engine's message as the detail of one of our sentences: in Ukrainian, one line, at most
 * a couple of hundred characters, without the SQL text it may carry ("sqlite3_exec(CREATE
 * ...) failed: database or disk is full" is "диск заповнено"); "" when nothing of it can be
 * said in Ukrainian (the sentence then stands alone).
 */
QString ShortEngineDetail(const QString& message);
