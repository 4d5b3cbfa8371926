#pragma once

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

class MapDocument;

/**
 * Writes a land statement workbook: title lines in rows 1-10, `dataRows` rows from row 11
 * with a total area in column D, then the totals row with the given cells (column -> text).
 * Returns the totals row.
 */
int WriteStatement(const QString& path, int dataRows, const QHash<int, QString>& totals);

/**
 * Writes "<folder>/райони.tab" with one square per district (its "Raion" value and side in
 * metres) and puts it on the map. Without `numberField` the layer has only "Zona".
 */
void AddDistrictLayer(MapDocument& map, const QString& folder,
                      const std::vector<std::pair<QString, double>>& districts,
                      bool numberField = true);
