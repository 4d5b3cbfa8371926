#pragma once

#include <QString>

/** Converts the program's "\r\n" and lone "\r" line breaks to "\n" for display. */
QString DisplayLines(const QString& text);
