#include "steps/areas/AreasStatement.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "office/OfficeCall.h"
#include "office/Workbook.h"
#include "steps/areas/AreasStep.h"
#include "valuation/LandStructure.h"
#include "valuation/Names.h"

#include <QFileInfo>

int StatementTotalsRow(const StatementCell& cell) {
    int row = StatementFirstDataRow;
    while (row <= StatementLastRow && !cell(row, 4).isEmpty())
        ++row;
    return row - 1;
}

QHash<QString, QString> StatementAreas(const StatementCell& cell, int totalsRow) {
    const QHash<QString, QString> areas = valuation::LandStructureOfStatement(
        [&](int column) { return NumberOr0(cell(totalsRow, column).trimmed()); });
    QHash<QString, QString> fields;
    for (const AreaField& field : AreaFields())
        if (const auto it = areas.constFind(field.indicator); it != areas.cend())
            fields.insert(field.name, *it);
    fields.insert(NotCountedRestKey(), areas.value(names::ind::NotCountedRest()));
    return fields;
}

QString StatementProblem(const StatementCell& cell, int totalsRow) {
    const std::optional<double> total = ParseNumber(cell(totalsRow, 4).trimmed());
    if (total && *total > 0)
        return QString();
    return QStringLiteral("Відомість \"Склад земель\" не містить площ: у рядку підсумків (рядок "
                          "%1) загальна площа у стовпці D не є числом, більшим за 0. Поля не "
                          "змінено.")
        .arg(totalsRow);
}

QString StatementPath(const QString& folder) {
    const QString xlsx = JoinPath(folder, QStringLiteral("Склад земель.xlsx"));
    const QString xls = JoinPath(folder, QStringLiteral("Склад земель.xls"));
    return !QFileInfo::exists(xlsx) && QFileInfo::exists(xls) ? xls : xlsx;
}

void ReadStatementJob(Workbook& book, TMessages& messages, JobProgress& progress,
                      QHash<QString, QString>& fields) {
    fields.clear();
    progress.setInfo(QStringLiteral("Опрацювання..."));
    progress.enableStop(false);
    Worksheet* sheet = nullptr;
    QString why;
    if (!OfficeCall([&] { sheet = &book.worksheet(1); }, &why)) {
        messages.Error = QStringLiteral("Помилка пошуку аркуша.");
        messages.ErrorDetail = why;
        return;
    }
    const StatementCell cell = [sheet](int row, int column) {
        return sheet->cellText(row, column);
    };
    const int totals = StatementTotalsRow(cell);
    messages.Warning = StatementProblem(cell, totals);
    if (messages.Warning.isEmpty())
        fields = StatementAreas(cell, totals);
}
