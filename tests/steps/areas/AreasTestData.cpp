#include "tests/steps/areas/AreasTestData.h"

#include "map/MapGlobal.h"
#include "office/Workbook.h"
#include "tests/map/MapTestUtil.h"

#include <QDir>

int WriteStatement(const QString& path, int dataRows, const QHash<int, QString>& totals) {
    auto book = Workbook::createBlank();
    Worksheet& sheet = book->worksheet(1);
    sheet.setCellValue(1, 1, QStringLiteral("Склад земель населеного пункту"));
    for (int c = 1; c <= 74; ++c)
        sheet.setCellValue(10, c, QStringLiteral("графа %1").arg(c));
    for (int r = 0; r < dataRows; ++r) {
        sheet.setCellValue(11 + r, 2, QStringLiteral("Користувач %1").arg(r + 1));
        sheet.setCellValue(11 + r, 4, QStringLiteral("1.5"));
    }
    const int totalsRow = 11 + dataRows;
    for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        sheet.setCellValue(totalsRow, it.key(), it.value());
    book->saveCopyAs(path);
    return totalsRow;
}

void AddDistrictLayer(MapDocument& map, const QString& folder,
                      const std::vector<std::pair<QString, double>>& districts, bool numberField) {
    std::vector<std::pair<Feature, QStringList>> features;
    double x = 0;
    for (const auto& [number, side] : districts) {
        features.push_back({Square(x, 0, side), numberField
                                                    ? QStringList{number, QStringLiteral("1")}
                                                    : QStringList{QStringLiteral("1")}});
        x += side + 10;
    }
    const QString path = QDir(folder).filePath(QStringLiteral("райони.tab"));
    WriteTable(path,
               numberField ? QStringList{QStringLiteral("Raion"), QStringLiteral("Zona")}
                           : QStringList{QStringLiteral("Zona")},
               features);
    ASSERT_NE(AddLayer(map, path, true), nullptr);
}
