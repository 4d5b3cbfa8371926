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
