#include "valuation/Indicators.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/Names.h"

bool Indicators::read(Connection& project, QString* error) {
    m_rows.clear();
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM характеристика ORDER BY id"), true))
        return FailReading(error, names::table::Indicators());
    const int id = q.fieldIndex(QStringLiteral("id"));
    const int code = q.fieldIndex(QStringLiteral("код"));
    const int name = q.fieldIndex(QStringLiteral("показник"));
    const int value = q.fieldIndex(QStringLiteral("значення"));
    const int value2 = q.fieldIndex(QStringLiteral("значення2"));
    for (q.first(); !q.eof(); q.next()) {
        const QString key = q.text(name);
        if (m_rows.contains(key))
            continue;
        m_rows.insert(key, IndicatorRow{static_cast<int>(q.text(id).toLongLong()), q.text(code),
                                        q.text(value), q.text(value2)});
    }
    return true;
}

QString Indicators::value(const QString& name, const QString& fallback) const {
    const auto it = m_rows.constFind(name);
    return it == m_rows.cend() ? fallback : it->value;
}

QString ReadIndicator(Connection& project, const QString& name, const QString& fallback) {
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("SELECT значення FROM характеристика WHERE показник='") +
                      QuoteSql(name) + QStringLiteral("' ORDER BY id"),
                  true, true))
        return fallback;
    return q.text(0);
}

bool WriteIndicator(Connection& project, const QString& name, const QString& value,
                    QString* error) {
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("UPDATE характеристика SET значення='") + QuoteSql(value) +
                      QStringLiteral("' WHERE показник='") + QuoteSql(name) + u'\'',
                  false))
        return FailUpdating(error);
    if (q.rowsAffected() > 0)
        return true;
    return RunQuery(q,
                    QStringLiteral("INSERT INTO характеристика (показник,значення) VALUES ('") +
                        QuoteSql(name) + QStringLiteral("','") + QuoteSql(value) +
                        QStringLiteral("')"),
                    false) ||
           FailUpdating(error);
}

QString ReadSettlementFact(Connection& project, const QString& name) {
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("SELECT значення FROM показники WHERE показник=") +
                      SqlLiteral(name) + QStringLiteral(" ORDER BY id"),
                  true) ||
        q.eof())
        return QString();
    return q.text(0).trimmed();
}
