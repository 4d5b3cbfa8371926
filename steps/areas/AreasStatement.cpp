#include "steps/areas/AreasStatement.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "office/OfficeError.h"
#include "office/Workbook.h"

#include <QFileInfo>

int StatementTotalsRow(const StatementCell& cell) {
    int row = StatementFirstDataRow;
    while (row <= StatementLastRow && !cell(row, 4).isEmpty())
        ++row;
    return row - 1;
}

QHash<QString, QString> StatementAreas(const StatementCell& cell, int totalsRow) {
    const auto c = [&](int column) { return NumberOr0(cell(totalsRow, column).trimmed()); };
    const double zab1 = c(37) + c(38);
    const double zab2 = c(39);
    const double zab3 = c(44);
    const double zab4 = c(45);
    const double noUsed5 = c(49);
    const double noUsed6 = c(50);
    const double zab5 = c(47) - c(50) - c(49);
    const double zab6 = c(52);
    const double zab7 = c(46);
    const double noUsed7 = c(63);
    const double zab8 = c(57) - c(63) - c(64);
    const double inshi = c(40);
    // Public land (column AS) and technical infrastructure (AZ) are shown but not added.
    const double zab = zab1 + zab2 + zab3 + zab5 + zab7 + zab8;
    const double osg = c(16) + c(17);
    const double noUsed1 = c(5) - (c(16) + c(17));
    const double noUsed2 = c(23);
    const double noUsed3 = c(65) + c(68) + c(69);
    const double noUsed4 = c(74);
    const double noUsed = noUsed1 + noUsed2 + noUsed4 + noUsed3 + c(49) + c(50) + c(63) + c(64);

    QHash<QString, QString> fields;
    const auto put = [&fields](const char* name, double value) {
        fields.insert(QString::fromLatin1(name), FormatFixed(value, 4));
    };
    put("EZabudovana1", zab1);
    put("EZabudovana2", zab2);
    put("EZabudovana3", zab3);
    put("EZabudovana4", zab4);
    put("ENoUsed5", noUsed5);
    put("ENoUsed6", noUsed6);
    put("EZabudovana5", zab5);
    put("EZabudovana6", zab6);
    put("EZabudovana7", zab7);
    put("ENoUsed7", noUsed7);
    put("EZabudovana8", zab8);
    put("EInshi", inshi);
    put("EZabudovana", zab);
    put("EOsg", osg);
    put("ENoUsed1", noUsed1);
    put("ENoUsed2", noUsed2);
    put("ENoUsed3", noUsed3);
    put("ENoUsed4", noUsed4);
    put("ENoUsed", noUsed);
    put("EZagalna", c(4));
    put("EOcinochna", zab + osg + inshi);
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
    try {
        sheet = &book.worksheet(1);
    } catch (const OfficeError& e) {
        messages.Error = QStringLiteral("Помилка пошуку аркуша.");
        messages.ErrorDetail = e.message();
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
