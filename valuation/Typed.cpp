#include "valuation/Typed.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/Names.h"

namespace valuation {

namespace {

QString Key(const QString& table, const QString& key, const QString& field) {
    return table + u'\x1f' + key + u'\x1f' + field;
}

/** The table, and its columns of the computed value and its inputs (added to older ones). */
bool Ensure(Connection& project) {
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("CREATE TABLE IF NOT EXISTS введено_вручну (id INTEGER PRIMARY "
                                 "KEY AUTOINCREMENT, таблиця TEXT, ключ TEXT, поле TEXT, "
                                 "значення TEXT, обчислено TEXT, вхідні TEXT)"),
                  false))
        return false;
    return AddMissingTextColumns(project, TypedTable(),
                                 {QStringLiteral("обчислено"), QStringLiteral("вхідні")}, 255);
}

} // namespace

QString TypedTable() {
    return QStringLiteral("введено_вручну");
}

QString MarkKey(const QString& key, const QString& field) {
    return key + u'\t' + field;
}

bool TypedValues::read(Connection& project, QString* error) {
    m_values.clear();
    if (!TableExists(project, TypedTable()))
        return true;
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM введено_вручну ORDER BY id"), true))
        return FailReading(error, TypedTable());
    const int table = q.fieldIndex(QStringLiteral("таблиця"));
    const int key = q.fieldIndex(QStringLiteral("ключ"));
    const int field = q.fieldIndex(QStringLiteral("поле"));
    const int value = q.fieldIndex(QStringLiteral("значення"));
    // Marks made before the computed value was recorded have neither column.
    const int computed = q.fieldIndex(QStringLiteral("обчислено"));
    const int inputs = q.fieldIndex(QStringLiteral("вхідні"));
    for (q.first(); !q.eof(); q.next()) {
        TypedMark mark{q.text(table), q.text(key), q.text(field), q.text(value), {}, {}};
        if (computed >= 0)
            mark.computed = q.text(computed);
        if (inputs >= 0)
            mark.inputs = q.text(inputs);
        m_values.insert(Key(mark.table, mark.key, mark.field), mark);
    }
    return true;
}

bool TypedValues::isTyped(const QString& table, const QString& key, const QString& field,
                          const QString& value) const {
    const auto it = m_values.constFind(Key(table, key, field));
    return it != m_values.cend() && it->value == value;
}

const TypedMark* TypedValues::mark(const QString& table, const QString& key,
                                   const QString& field) const {
    const auto it = m_values.constFind(Key(table, key, field));
    return it == m_values.cend() ? nullptr : &*it;
}

bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, QString>& marks, const QString& key, QString* error) {
    QHash<QString, TypedMark> full;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        full.insert(it.key(), TypedMark{{}, {}, {}, it.value(), {}, {}});
    return StoreTypedMarks(project, table, full, key, error);
}

bool StoreTypedMarks(Connection& project, const QString& table,
                     const QHash<QString, TypedMark>& marks, const QString& key, QString* error) {
    if (!Ensure(project))
        return FailUpdating(error);
    Query q(&project);
    QString remove =
        QStringLiteral("DELETE FROM введено_вручну WHERE таблиця=") + SqlLiteral(table);
    if (!key.isEmpty())
        remove += QStringLiteral(" AND ключ=") + SqlLiteral(key);
    if (!RunQuery(q, remove, false))
        return FailUpdating(error);
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        const qsizetype tab = it.key().indexOf(u'\t');
        const QString k = it.key().left(tab);
        const QString field = tab < 0 ? QString() : it.key().mid(tab + 1);
        if (!RunQuery(q,
                      QStringLiteral("INSERT INTO введено_вручну (таблиця, ключ, поле, значення, "
                                     "обчислено, вхідні) VALUES (") +
                          SqlLiteral(table) + u',' + SqlLiteral(k) + u',' + SqlLiteral(field) +
                          u',' + SqlLiteral(it->value) + u',' + SqlLiteral(it->computed) + u',' +
                          SqlLiteral(it->inputs) + u')',
                      false))
            return FailUpdating(error);
    }
    return true;
}

bool MarkIndicatorTyped(Connection& project, const QString& indicator, const QString& value,
                        bool typed, const QString& computed, const QString& inputs,
                        QString* error) {
    QHash<QString, TypedMark> marks;
    if (typed)
        marks.insert(MarkKey(indicator, QStringLiteral("значення")),
                     TypedMark{{}, {}, {}, value, computed, inputs});
    return StoreTypedMarks(project, names::table::Indicators(), marks, indicator, error);
}

} // namespace valuation
