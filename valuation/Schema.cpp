#include "valuation/Schema.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/LayerFingerprints.h"

namespace valuation {

namespace {

bool CreateWhenMissing(Connection& project, const QString& table, const QString& sql) {
    if (TableExists(project, table))
        return true;
    Query query(&project);
    return RunQuery(query, sql, false);
}

/** An older "анкета" keeps factor names of at most 50 characters; later ones take 150. */
bool WidenFactorColumn(Connection& project) {
    if (!TableExists(project, QStringLiteral("анкета")))
        return true;
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true))
        return false;
    if (q.fields().empty() || q.fields().front().size != 50)
        return true;
    q.close();
    return RunQuery(q, QStringLiteral("ALTER TABLE анкета ALTER COLUMN фактор TEXT(150)"), false);
}

} // namespace

QString FunctionalTableSql() {
    QString sql =
        QStringLiteral("CREATE TABLE функціональне (id AUTOINCREMENT, район nvarchar (50)");
    for (int k = 1; k <= 20; ++k)
        sql += QStringLiteral(", ф_%1 nvarchar (50)").arg(k);
    return sql + u')';
}

QString QuarterTableSql() {
    QString sql = QStringLiteral(
        "CREATE TABLE відомість_кварталів (id int, зона nvarchar (50), район nvarchar (50), "
        "квартали nvarchar (50), назва nvarchar (50), функ nvarchar (50)");
    for (int k = 1; k <= QuarterStoredFactors; ++k)
        sql += QStringLiteral(", лок_%1 nvarchar (10)").arg(k);
    return sql + u')';
}

bool UpgradeSettlementDatabase(Connection& project, QString* error) {
    QString firstError;
    const auto step = [&firstError](bool ok) {
        if (!ok && firstError.isEmpty())
            firstError = LastError();
    };
    step(CreateWhenMissing(project, QStringLiteral("функціональне"), FunctionalTableSql()));
    step(CreateWhenMissing(project, QStringLiteral("відомість_кварталів"), QuarterTableSql()));
    // The Si, Ei, Ui, Ci structuring and the indexation of the agricultural base values came
    // later than the tables.
    step(AddMissingTextColumns(
        project, QStringLiteral("км2"),
        {QStringLiteral("si"), QStringLiteral("ei"), QStringLiteral("ui"), QStringLiteral("ci")},
        50));
    step(AddMissingTextColumns(project, QStringLiteral("угіддя"),
                               {QStringLiteral("до_індексації"), QStringLiteral("індексація")},
                               50));
    step(WidenFactorColumn(project));
    // Which layers the steps took their values from came later still.
    step(CreateWhenMissing(project, LayerUsesTable(), LayerUsesTableSql()));
    // The provider's reason names the statement, so the table, that failed first.
    return firstError.isEmpty() || FailWith(error, firstError);
}

} // namespace valuation
