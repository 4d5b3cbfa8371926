#include "steps/info/InfoStep.h"

#include "common/Messages.h"
#include "common/TextUtils.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

QString InfoAreaName() {
    return QStringLiteral("Загальна площа, га");
}
QString InfoPopulationName() {
    return QStringLiteral("Чисельність населення, тис. чол.");
}
QString InfoAreaIndicator() {
    return QStringLiteral("Загальна площа населеного пункту");
}
QString InfoPopulationIndicator() {
    return QStringLiteral("Чисельність населення (тис. чол.)");
}

StringGrid MakeInfoGrid() {
    StringGrid grid(2, 1, 1, 0);
    grid.set(0, 0, QStringLiteral("Показник"));
    grid.set(0, 1, QStringLiteral("Значення"));
    return grid;
}

bool LoadInfoRows(Query& query, StringGrid& grid) {
    if (!RunQuery(query, QStringLiteral("SELECT * FROM показники ORDER BY id"), true)) {
        ShowError(QStringLiteral("Вибірка із бази \"Показники\"\rПодробиці: ") + LastError());
        return false;
    }
    grid.setRowCount(grid.fixedRows());
    for (query.first(); !query.eof(); query.next()) {
        const int row = grid.rowCount();
        grid.setRowCount(row + 1);
        grid.set(row, 0, query.text(QStringLiteral("показник")));
        grid.set(row, 1, query.text(QStringLiteral("значення")));
    }
    query.close();
    if (grid.rowCount() > grid.fixedRows())
        grid.setCurrent(grid.fixedRows(), 1);
    return true;
}

bool ValidateInfoRows(StringGrid& grid, QObject* control,
                      const std::function<void(int row)>& showRow) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString name = grid.at(row, 0);
        if (name != InfoAreaName() && name != InfoPopulationName())
            continue;
        const QString value = grid.at(row, 1);
        if (value.isEmpty())
            continue;
        const std::optional<double> number =
            ParseNumber(value.trimmed().replace(u',', u'.').trimmed());
        if (!number) {
            grid.setCurrent(row, 1);
            if (showRow)
                showRow(row);
            ShowBalloon(QStringLiteral("Попередження"),
                        u'"' + name + QStringLiteral("\" має бути числом."), 2, control);
            return false;
        }
        grid.set(row, 1, FormatFixed(*number, 4));
    }
    return true;
}

bool StoreInfoRows(const StringGrid& grid) {
    Connection& connection = *Db().queryData2.connection();
    Query& query = Db().queryData2;
    if (!connection.isOpen()) {
        ShowError(QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") +
                  QStringLiteral("база даних населеного пункту не відкрита."));
        return false;
    }
    Transaction transaction(connection);
    const auto fail = [&transaction]() {
        transaction.rollback();
        ShowError(QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
        return false;
    };
    if (!transaction.ok())
        return fail();
    if (!RunQuery(query, QStringLiteral("DELETE FROM показники"), false))
        return fail();
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString name = grid.at(row, 0);
        const QString value = grid.at(row, 1);
        // A row added and left blank is not a fact.
        if (name.trimmed().isEmpty() && value.trimmed().isEmpty())
            continue;
        const QString sql = QStringLiteral("INSERT INTO показники (показник,значення) VALUES ('") +
                            QuoteSql(name) + QStringLiteral("','") + QuoteSql(value) +
                            QStringLiteral("')");
        if (!RunQuery(query, sql, false))
            return fail();
        // The indicator row is created when a settlement lacks it, so the value always
        // reaches the later steps. A failure here is not reported; the rows are what matters.
        const QString indicator = name == InfoAreaName()         ? InfoAreaIndicator()
                                  : name == InfoPopulationName() ? InfoPopulationIndicator()
                                                                 : QString();
        if (!indicator.isEmpty()) {
            GetIndicator(query, indicator);
            SetIndicator(query, indicator, value);
        }
    }
    if (!transaction.commit())
        return fail();
    return true;
}
