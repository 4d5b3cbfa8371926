#include "valuation/ZonalGrids.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"

#include <QHash>
#include <algorithm>

ResultColumns ResultColumnsOf(ZonalVariant variant) {
    if (variant == ZonalVariant::Weighted)
        return ResultColumns{5, 6, 7, 8, 9};
    return ResultColumns{22, 23, 24, 25, 26};
}

QStringList ResultCaptions(ZonalVariant variant) {
    const QString number = QStringLiteral("№ р-ну");
    const QString area = QStringLiteral("Площа р-ну, га");
    const QString ii = QStringLiteral("Іі");
    const QString km2 = QStringLiteral("Км2");
    const QString value = QStringLiteral("Вартість 1 м2, грн");
    const QString zone = QStringLiteral("№ зони");
    if (variant == ZonalVariant::Weighted)
        return {number,
                area,
                QStringLiteral("Сума балів"),
                QStringLiteral("Середній бал"),
                QStringLiteral("Середньо зваж. бал"),
                ii,
                km2,
                value,
                zone};
    QStringList captions{number, area};
    for (const char* index : {"Si", "Ei", "Ui", "Ci"}) {
        const QString name = QString::fromLatin1(index);
        captions << QStringLiteral("Середній бал") << QStringLiteral("Серед.бал * площу")
                 << QStringLiteral("Середньо зваж.") << name << QStringLiteral("Контроль ") + name;
    }
    captions << ii << km2 << value << zone;
    return captions;
}

std::vector<ResultGroupHeading> ResultGroupHeadings(ZonalVariant variant) {
    if (variant == ZonalVariant::Weighted)
        return {};
    return {{2, 6, QStringLiteral("I. ТРАНСПОРТНО-ФУНКЦІОНАЛЬНА  ДОСТУПНІСТЬ")},
            {7, 11, QStringLiteral("II. ЕКОЛОГІЧНА ЯКІСТЬ")},
            {12, 16, QStringLiteral("III. ІНЖЕНЕРНО-ІНФРАСТРУКТУРНЕ ЗАБЕЗПЕЧЕННЯ ")},
            {17, 21, QStringLiteral("IV .СОЦІАЛЬНО-МІСТОБУДІВНА ПРИВАБЛИВІСТЬ СЕРЕДОВИЩА")}};
}

StringGrid MakeAnketaGrid(const std::vector<District>& districts, int rows) {
    const int cols = AnketaFirstDistrictCol + static_cast<int>(districts.size());
    StringGrid grid(cols, 1 + std::max(rows, 1), 1, 2);
    grid.set(0, AnketaNumberCol, QStringLiteral("п/п"));
    grid.set(0, AnketaFactorCol, QStringLiteral("Фактор / № оцін.р-ну"));
    for (size_t i = 0; i < districts.size(); ++i)
        grid.set(0, AnketaFirstDistrictCol + static_cast<int>(i), districts[i].number);
    return grid;
}

StringGrid MakeResultGrid(ZonalVariant variant, const std::vector<District>& districts) {
    const QStringList captions = ResultCaptions(variant);
    StringGrid grid(static_cast<int>(captions.size()),
                    1 + std::max(static_cast<int>(districts.size()), 1), 1, 2);
    grid.setRowTexts(0, captions);
    for (size_t i = 0; i < districts.size(); ++i) {
        const int row = 1 + static_cast<int>(i);
        grid.set(row, 0, districts[i].number);
        grid.set(row, 1, districts[i].area);
    }
    return grid;
}

StringGrid MakeZoneGrid(int rows) {
    StringGrid grid(3, 1 + std::max(rows, 1), 1, 0);
    grid.setRowTexts(
        0, {QStringLiteral("№ зони"), QStringLiteral("Райони"), QStringLiteral("Опис зони")});
    return grid;
}

int AnketaFactorRows(const StringGrid& anketa) {
    int rows = 0;
    for (int row = anketa.fixedRows(); row < anketa.rowCount(); ++row)
        rows += anketa.at(row, AnketaNumberCol).isEmpty() ? 0 : 1;
    return rows;
}

bool ReadAnketaGrid(Connection& project, const std::vector<District>& districts, StringGrid& anketa,
                    QStringList* factors, QString* error) {
    QHash<QString, int> columnOf;
    for (size_t i = 0; i < districts.size(); ++i)
        columnOf.insert(districts[i].number, AnketaFirstDistrictCol + static_cast<int>(i));
    const int width = AnketaFirstDistrictCol + static_cast<int>(districts.size());
    // Records come factor by factor or district by district: the same or the next district
    // and factor are tried first, by their bytes (a number only where it names that column
    // and no other).
    std::vector<QByteArray> numberBytes(districts.size());
    for (size_t i = 0; i < districts.size(); ++i)
        if (columnOf.value(districts[i].number) == AnketaFirstDistrictCol + static_cast<int>(i))
            numberBytes[i] = districts[i].number.toUtf8();
    const auto isDistrict = [&numberBytes](size_t i, QByteArrayView bytes) {
        return i < numberBytes.size() && !numberBytes[i].isNull() && bytes == numberBytes[i];
    };

    // One row per factor, in order of its first record; scores by the district's column.
    std::vector<QStringList> rows;
    std::vector<QByteArray> nameBytes;
    QHash<QString, int> rowOf;
    size_t lastRow = 0;
    size_t lastDistrict = 0;
    ShortTextCache scores;
    const bool read = ReadUtf8Rows(
        project, QStringLiteral("SELECT район, фактор, оцінка FROM анкета ORDER BY id"),
        [&](const Utf8Row& record) {
            const QByteArrayView name = record.at(1);
            // A row without a name belongs to no factor the list could check or uncheck.
            if (name.isEmpty())
                return;
            if (lastRow < rows.size() && name == nameBytes[lastRow]) {
            } else if (lastRow + 1 < rows.size() && name == nameBytes[lastRow + 1]) {
                ++lastRow;
            } else if (!rows.empty() && name == nameBytes[0]) {
                lastRow = 0;
            } else {
                const QString text = record.text(1);
                auto it = rowOf.constFind(text);
                if (it == rowOf.cend()) {
                    it = rowOf.insert(text, static_cast<int>(rows.size()));
                    QStringList row(width);
                    row[AnketaNumberCol] = QString::number(rows.size() + 1);
                    row[AnketaFactorCol] = text;
                    rows.push_back(row);
                    nameBytes.push_back(name.toByteArray());
                }
                lastRow = static_cast<size_t>(*it);
            }
            const QByteArrayView district = record.at(0);
            if (isDistrict(lastDistrict, district)) {
            } else if (isDistrict(lastDistrict + 1, district)) {
                ++lastDistrict;
            } else if (isDistrict(0, district)) {
                lastDistrict = 0;
            } else {
                const auto col = columnOf.constFind(record.text(0));
                if (col == columnOf.cend())
                    return;
                lastDistrict = static_cast<size_t>(*col - AnketaFirstDistrictCol);
            }
            rows[lastRow][AnketaFirstDistrictCol + static_cast<int>(lastDistrict)] =
                scores.text(record.at(2));
        });
    if (!read)
        return FailReading(error, QStringLiteral("анкета"));
    anketa = MakeAnketaGrid(districts, static_cast<int>(rows.size()));
    if (factors)
        factors->clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        anketa.setRowTexts(1 + static_cast<int>(i), rows[i]);
        if (factors)
            *factors << rows[i][AnketaFactorCol];
    }
    return true;
}
