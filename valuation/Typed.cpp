#include "valuation/Typed.h"

#include "common/Names.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

namespace valuation {

namespace {

QString Key(const QString& table, const QString& key, const QString& field) {
    return table + u'\x1f' + key + u'\x1f' + field;
}

bool Ensure(Connection& project) {
    Query q(&project);
    return RunQuery(q,
                    QStringLiteral("CREATE TABLE IF NOT EXISTS введено_вручну (id INTEGER PRIMARY "
                                   "KEY AUTOINCREMENT, таблиця TEXT, ключ TEXT, поле TEXT, "
                                   "значення TEXT)"),
                    false);
}

} // namespace

QString TypedTable() {
    return QStringLiteral("введено_вручну");
}

QString MarkKey(const QString& key, const QString& field) {
    return key + u'\t' + field;
}

bool TypedValues::read(Connection& project) {
    m_values.clear();
    if (!TableExists(project, TypedTable()))
        return true;
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT таблиця, ключ, поле, значення FROM введено_вручну"),
                  true))
        return false;
    for (q.first(); !q.eof(); q.next())
        m_values.insert(Key(q.text(0), q.text(1), q.text(2)), q.text(3));
    return true;
}

bool TypedValues::isTyped(const QString& table, const QString& key, const QString& field,
                          const QString& value) const {
    const auto it = m_values.constFind(Key(table, key, field));
    return it != m_values.cend() && *it == value;
}

bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, QString>& marks, const QString& key) {
    if (!Ensure(project))
        return false;
    Query q(&project);
    QString remove =
        QStringLiteral("DELETE FROM введено_вручну WHERE таблиця=") + SqlLiteral(table);
    if (!key.isEmpty())
        remove += QStringLiteral(" AND ключ=") + SqlLiteral(key);
    if (!RunQuery(q, remove, false))
        return false;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        const qsizetype tab = it.key().indexOf(u'\t');
        const QString k = it.key().left(tab);
        const QString field = tab < 0 ? QString() : it.key().mid(tab + 1);
        if (!RunQuery(q,
                      QStringLiteral("INSERT INTO введено_вручну (таблиця, ключ, поле, значення) "
                                     "VALUES (") +
                          SqlLiteral(table) + u',' + SqlLiteral(k) + u',' + SqlLiteral(field) +
                          u',' + SqlLiteral(it.value()) + u')',
                      false))
            return false;
    }
    return true;
}

bool MarkIndicatorTyped(Connection& project, const QString& indicator, const QString& value,
                        bool typed) {
    QHash<QString, QString> marks;
    if (typed)
        marks.insert(MarkKey(indicator, QStringLiteral("значення")), value);
    return StoreTypedMarks(project, names::table::Indicators(), marks, indicator);
}

} // namespace valuation
