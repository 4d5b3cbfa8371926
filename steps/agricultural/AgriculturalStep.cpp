#include "steps/agricultural/AgriculturalStep.h"

#include "valuation/Formulas.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "valuation/IndexationLines.h"

#include <QSet>

namespace {

/** The table of the settlement's soils, named in a failed read. */
QString SoilsTable() {
    return QStringLiteral("угіддя");
}

bool LoadKindRows(Connection& project, int kind, StringGrid& grid, QString* error) {
    Query query(&project);
    if (!RunQuery(query,
                  QStringLiteral("SELECT * FROM угіддя WHERE тип='") + QString::number(kind) +
                      QStringLiteral("' ORDER BY id"),
                  true))
        return FailReading(error, SoilsTable());
    // One grid row per stored row: a code stored twice keeps both rows.
    ClearGrid(grid, query.recordCount());
    const int code = query.fieldIndex(QStringLiteral("шифр"));
    const int score = query.fieldIndex(QStringLiteral("бал_бонітету"));
    const int area = query.fieldIndex(QStringLiteral("площа"));
    const int value = query.fieldIndex(QStringLiteral("вартість"));
    int row = grid.fixedRows();
    for (query.first(); !query.eof(); query.next(), ++row)
        grid.setRowTexts(
            row, {query.text(code), query.text(score), query.text(area), query.text(value)});
    return true;
}

bool LoadKindParameters(Connection& project, int kind, SoilKindData& data, QString* error) {
    Query query(&project);
    if (!RunQuery(query,
                  QStringLiteral("SELECT * FROM угіддя WHERE тип='") + QString::number(kind) +
                      QStringLiteral("*' ORDER BY id"),
                  true))
        return FailReading(error, SoilsTable());
    data.baseValue.clear();
    data.averageScore.clear();
    data.indexation.clear();
    data.unindexedValue.clear();
    if (query.recordCount() > 0) {
        query.first();
        data.baseValue = query.text(QStringLiteral("вартість"));
        data.averageScore = query.text(QStringLiteral("бал_бонітету"));
        // A settlement stored before the indexation was recorded has no such columns.
        const QStringList columns = AgriculturalIndexationColumns();
        if (query.hasField(columns[0]) && query.hasField(columns[1])) {
            data.unindexedValue = query.text(columns[0]);
            data.indexation = query.text(columns[1]);
        }
    }
    return true;
}

} // namespace

QString SoilKindCaption(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("Рілля");
    case 2:
        return QStringLiteral("Багаторічні насадження");
    case 3:
        return QStringLiteral("Сіножаті ");
    case 4:
        return QStringLiteral("Пасовища");
    default:
        return QString();
    }
}

StringGrid MakeSoilGrid() {
    StringGrid grid(4, 2, 1, 0);
    grid.setRowTexts(0, {QStringLiteral("Шифр"), QStringLiteral("Бал бонітету"),
                         QStringLiteral("Площа, га"), QStringLiteral("Грошова оцінка 1 га, грн")});
    return grid;
}

void ComputeSoilValues(StringGrid& grid, const QString& baseValue, const QString& averageScore) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        grid.set(row, ColSoilValue,
                 valuation::SoilValuePerHa(grid.at(row, ColSoilScore), grid.at(row, ColSoilArea),
                                           baseValue, averageScore));
}

void ApplyWorkingSoils(StringGrid& grid, const std::vector<WorkingItem>& items) {
    // Rows repeating an unchecked code go too; the first one is left to the shared rule.
    for (const WorkingItem& item : items) {
        if (item.checked || item.key.isEmpty())
            continue;
        const int first = FindKeyRow(grid, ColSoilCode, item.key);
        if (first < 0)
            continue;
        for (int row = grid.rowCount() - 1; row > first; --row)
            if (grid.at(row, ColSoilCode) == item.key)
                grid.removeRows(row);
    }
    ApplyWorkingItems(grid, ColSoilCode, items);
}

void ApplyIndexation(SoilKindData& kind, const QString& indexationLine) {
    if (kind.indexation.isEmpty() || kind.unindexedValue.isEmpty())
        kind.unindexedValue = kind.baseValue;
    kind.indexation = indexationLine.simplified();
    kind.baseValue = IndexedBaseValue(kind.unindexedValue, indexationLine);
}

void ForgetIndexation(SoilKindData& kind) {
    kind.indexation.clear();
    kind.unindexedValue.clear();
}

QStringList AgriculturalIndexationColumns() {
    return {QStringLiteral("до_індексації"), QStringLiteral("індексація")};
}

QString IndexedBaseValue(const QString& baseValue, const QString& indexationLine) {
    return valuation::IndexedByLine(baseValue, indexationLine);
}

bool LoadSoilCatalogue(Connection& catalogue, QStringList& items, QString* error) {
    items.clear();
    Query query(&catalogue);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM грунти ORDER BY id"), true))
        return FailReading(error, QStringLiteral("грунти"));
    const int code = query.fieldIndex(QStringLiteral("шифр"));
    const int name = query.fieldIndex(QStringLiteral("назва"));
    for (query.first(); !query.eof(); query.next())
        items << query.text(code) + QStringLiteral(" - ") + query.text(name);
    return true;
}

bool LoadAgricultural(Connection& project, AgriculturalData& data, QString* error) {
    data.workingCodes.clear();
    Query codes(&project);
    if (!RunQuery(codes, QStringLiteral("SELECT DISTINCT шифр FROM угіддя"), true))
        return FailReading(error, SoilsTable());
    QSet<QString> seen;
    for (codes.first(); !codes.eof(); codes.next()) {
        const QString code = codes.text(0);
        if (!code.isEmpty() && !seen.contains(code)) {
            seen.insert(code);
            data.workingCodes << code;
        }
    }
    for (int kind = 1; kind <= SoilKindCount; ++kind) {
        SoilKindData& k = data.kinds[static_cast<size_t>(kind - 1)];
        if (!LoadKindRows(project, kind, k.grid, error) ||
            !LoadKindParameters(project, kind, k, error))
            return false;
    }
    return true;
}

bool StoreAgricultural(Connection& project, const AgriculturalData& data, QString* error) {
    const QStringList indexation = AgriculturalIndexationColumns();
    if (!AddMissingTextColumns(project, SoilsTable(), indexation, 50))
        return FailUpdating(error);
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!DeleteRows(project, SoilsTable()))
                return FailUpdating(failed);
            BulkInsert insert(project, QStringLiteral("угіддя"),
                              {QStringLiteral("тип"), QStringLiteral("шифр"),
                               QStringLiteral("бал_бонітету"), QStringLiteral("площа"),
                               QStringLiteral("вартість"), indexation[0], indexation[1]});
            if (!insert.ok())
                return FailUpdating(failed);
            for (int kind = 1; kind <= SoilKindCount; ++kind) {
                const SoilKindData& k = data.kinds[static_cast<size_t>(kind - 1)];
                const QString type = QString::number(kind);
                for (int row = k.grid.fixedRows(); row < k.grid.rowCount(); ++row) {
                    if (k.grid.at(row, ColSoilCode).isEmpty())
                        continue;
                    if (!insert.insert({type, k.grid.at(row, ColSoilCode),
                                        k.grid.at(row, ColSoilScore), k.grid.at(row, ColSoilArea),
                                        k.grid.at(row, ColSoilValue), SqlValue::Null(),
                                        SqlValue::Null()}))
                        return FailUpdating(failed);
                }
                // The parameters are kept even for a kind without soils; code and area stay unset.
                const bool indexed = !k.indexation.isEmpty();
                if (!insert.insert({type + u'*', SqlValue::Null(), k.averageScore, SqlValue::Null(),
                                    k.baseValue, indexed ? k.unindexedValue : QString(),
                                    indexed ? k.indexation : QString()}))
                    return FailUpdating(failed);
            }
            return true;
        },
        error);
}
