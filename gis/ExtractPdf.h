#pragma once

#include "gis/PlotExtract.h"

/**
 * Writes the extract as a PDF file drawn by Qt (no office suite): the same texts as the
 * .docx and the map. False with the reason. Safe to call from several threads at once.
 */
bool WriteExtractPdf(const ExtractContent& content, const PrintedMap* map, const QString& path,
                     QString* error);
