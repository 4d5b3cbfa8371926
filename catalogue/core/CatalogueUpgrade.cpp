#include "catalogue/core/CatalogueUpgrade.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "db/Utf8Rows.h"

#include <QCryptographicHash>
#include <algorithm>
#include <vector>

namespace catalogue {

namespace {

/** A reference table and the columns that name one of its rows. */
struct ReferenceTable {
    QString name;
    QStringList key;
};

const std::vector<ReferenceTable>& ReferenceTables() {
    static const std::vector<ReferenceTable> tables = {
        {QStringLiteral("коатуу"), {QStringLiteral("code")}},
        {QStringLiteral("індексація"), {QStringLiteral("рік")}},
        {QStringLiteral("грунти"), {QStringLiteral("шифр")}},
        {QStringLiteral("локальні"), {QStringLiteral("назва_коротко")}},
        {QStringLiteral("призначення"), {QStringLiteral("код")}},
        {QStringLiteral("збірник_цін"),
         {QStringLiteral("категорія"), QStringLiteral("назва"), QStringLiteral("рік")}},
    };
    return tables;
}

/** The valuer's own tables: the registered projects and the settings. */
bool IsValuersTable(const QString& table) {
    return table.compare(QStringLiteral("projects"), Qt::CaseInsensitive) == 0 ||
           table.compare(QStringLiteral("налаштування"), Qt::CaseInsensitive) == 0;
}

/** The table in which the build keeps the hash of its sources: nothing of the valuer's. */
QString BuildTable() {
    return QStringLiteral("збірка");
}

bool Exec(Connection& db, const QString& sql) {
    Query q(&db);
    return RunQuery(q, sql, false);
}

/** A column as the schema declares it. */
struct Column {
    QString name;
    QString type;
    QString defaultValue;
};

std::vector<Column> ColumnsOf(Connection& db, const QString& schema, const QString& table) {
    std::vector<Column> columns;
    Query q(&db);
    if (!RunQuery(
            q, QStringLiteral("PRAGMA ") + schema + QStringLiteral(".table_info(") + table + u')',
            true))
        return columns;
    for (q.first(); !q.eof(); q.next())
        columns.push_back({q.text(QStringLiteral("name")), q.text(QStringLiteral("type")),
                           q.text(QStringLiteral("dflt_value"))});
    return columns;
}

QStringList NamesOf(const std::vector<Column>& columns) {
    QStringList names;
    for (const Column& c : columns)
        names << c.name;
    return names;
}

/** The tables of a schema, without SQLite's own. */
QStringList TablesOf(Connection& db, const QString& schema) {
    QStringList tables;
    Query q(&db);
    if (!RunQuery(q,
                  QStringLiteral("SELECT name FROM ") + schema +
                      QStringLiteral(".sqlite_master WHERE type='table' ORDER BY rowid"),
                  true))
        return tables;
    for (q.first(); !q.eof(); q.next())
        if (!q.text(0).startsWith(QLatin1String("sqlite_")))
            tables << q.text(0);
    return tables;
}

bool HasTable(const QStringList& tables, const QString& table) {
    return tables.contains(table, Qt::CaseInsensitive);
}

/** Creates a table the catalogue lacks as the shipped one declares it. */
bool CreateTable(Connection& db, const QString& table) {
    Query q(&db);
    if (!RunQuery(q,
                  QStringLiteral("SELECT sql FROM shipped.sqlite_master WHERE type='table' AND "
                                 "name='") +
                      QuoteSql(table) + u'\'',
                  true, true))
        return false;
    const QString sql = q.text(0);
    q.close();
    return Exec(db, sql);
}

/** Adds the shipped indexes the catalogue lacks (those SQLite makes itself have no SQL). */
bool CreateMissingIndexes(Connection& db) {
    Query q(&db);
    if (!RunQuery(q,
                  QStringLiteral("SELECT s.sql FROM shipped.sqlite_master s WHERE s.type='index' "
                                 "AND s.sql IS NOT NULL AND NOT EXISTS (SELECT 1 FROM "
                                 "main.sqlite_master m WHERE m.type='index' AND m.name=s.name) "
                                 "AND EXISTS (SELECT 1 FROM main.sqlite_master t WHERE "
                                 "t.type='table' AND t.name=s.tbl_name)"),
                  true))
        return false;
    QStringList statements;
    for (q.first(); !q.eof(); q.next())
        statements << q.text(0);
    q.close();
    for (const QString& sql : statements)
        if (!Exec(db, sql))
            return false;
    return true;
}

/** Adds the shipped columns a table lacks, with their declared type and default. */
bool AddMissingColumns(Connection& db, const QString& table) {
    const QStringList own = NamesOf(ColumnsOf(db, QStringLiteral("main"), table));
    for (const Column& c : ColumnsOf(db, QStringLiteral("shipped"), table)) {
        if (own.contains(c.name, Qt::CaseInsensitive))
            continue;
        QString sql = QStringLiteral("ALTER TABLE main.") + table + QStringLiteral(" ADD COLUMN ") +
                      c.name + u' ' + c.type;
        if (!c.defaultValue.isEmpty())
            sql += QStringLiteral(" DEFAULT ") + c.defaultValue;
        if (!Exec(db, sql))
            return false;
    }
    return true;
}

/** "a, b, c" of the names, each with the prefix. */
QString ColumnList(const QStringList& names, const QString& prefix = QString()) {
    QStringList list;
    for (const QString& n : names)
        list << prefix + n;
    return list.join(QStringLiteral(", "));
}

/** Puts the shipped rows in place of the table's; the rows written, or -1. */
int ReplaceRows(Connection& db, const QString& table, const QStringList& columns) {
    if (!Exec(db, QStringLiteral("DELETE FROM main.") + table))
        return -1;
    Query q(&db);
    if (!RunQuery(q,
                  QStringLiteral("INSERT INTO main.") + table + QStringLiteral(" (") +
                      ColumnList(columns) + QStringLiteral(") SELECT ") + ColumnList(columns) +
                      QStringLiteral(" FROM shipped.") + table,
                  false))
        return -1;
    return q.rowsAffected();
}

/** Adds the shipped rows whose key the table lacks, after its own; the rows added, or -1. */
int AddMissingRows(Connection& db, const QString& table, const QStringList& columns,
                   const QStringList& key) {
    QStringList values = columns;
    values.removeAll(QStringLiteral("id"));
    QStringList match;
    for (const QString& k : key.isEmpty() ? values : key)
        match << QStringLiteral("m.") + k + QStringLiteral(" IS s.") + k;
    const QString order =
        columns.contains(QStringLiteral("id")) ? QStringLiteral(" ORDER BY s.id") : QString();
    Query q(&db);
    if (!RunQuery(q,
                  QStringLiteral("INSERT INTO main.") + table + QStringLiteral(" (") +
                      ColumnList(values) + QStringLiteral(") SELECT ") +
                      ColumnList(values, QStringLiteral("s.")) + QStringLiteral(" FROM shipped.") +
                      table + QStringLiteral(" AS s WHERE NOT EXISTS (SELECT 1 FROM main.") +
                      table + QStringLiteral(" AS m WHERE ") + match.join(QStringLiteral(" AND ")) +
                      u')' + order,
                  false))
        return -1;
    return q.rowsAffected();
}

/** The columns of the shipped table that the catalogue's table has too. */
QStringList SharedColumns(Connection& db, const QString& table) {
    const QStringList own = NamesOf(ColumnsOf(db, QStringLiteral("main"), table));
    QStringList shared;
    for (const QString& c : NamesOf(ColumnsOf(db, QStringLiteral("shipped"), table)))
        if (own.contains(c, Qt::CaseInsensitive))
            shared << c;
    return shared;
}

QString Quoted(const QString& table) {
    return u'"' + table + u'"';
}

/**
 * The reference table brought up to the shipped one; `before` is its hash before the upgrade
 * changed its columns. Adds its line to `notes`; false on a failed statement.
 */
bool UpgradeReferenceTable(Connection& db, const ReferenceTable& table, const QString& before,
                           const QString& previous, const QString& shippedNow, QStringList& notes) {
    if (before == shippedNow)
        return true;
    // Nothing new was shipped since the last upgrade: whatever the valuer changed stays.
    if (!previous.isEmpty() && previous == shippedNow)
        return true;
    const QStringList columns = SharedColumns(db, table.name);
    if (!previous.isEmpty() && before == previous) {
        const int rows = ReplaceRows(db, table.name, columns);
        if (rows < 0)
            return false;
        notes << QStringLiteral("Довідник %1 оновлено (записів: %2).")
                     .arg(Quoted(table.name))
                     .arg(rows);
        return true;
    }
    const int added = AddMissingRows(db, table.name, columns, table.key);
    if (added < 0)
        return false;
    notes << (added > 0 ? QStringLiteral("Довідник %1 ви змінювали, тому ваші записи в ньому "
                                         "залишено; додано нових записів: %2.")
                              .arg(Quoted(table.name))
                              .arg(added)
                        : QStringLiteral("Довідник %1 ви змінювали, тому його залишено як є.")
                              .arg(Quoted(table.name)));
    return true;
}

/** Detaches the shipped catalogue when the upgrade ends, however it ends. */
class AttachedShipped {
public:
    explicit AttachedShipped(Connection& db) : m_db(db) {}
    ~AttachedShipped() {
        if (m_attached)
            Exec(m_db, QStringLiteral("DETACH DATABASE shipped"));
    }
    bool attach(const QString& path) {
        m_attached = Exec(m_db, QStringLiteral("ATTACH DATABASE '") + QuoteSql(path) +
                                    QStringLiteral("' AS shipped"));
        return m_attached;
    }

private:
    Connection& m_db;
    bool m_attached = false;
};

} // namespace

QString TableContentHash(Connection& db, const QString& table, const QString& schema) {
    QStringList columns = NamesOf(ColumnsOf(db, schema, table));
    if (columns.isEmpty())
        return QString();
    std::sort(columns.begin(), columns.end());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(columns.join(u'\x1f').toUtf8());
    const QString order =
        columns.contains(QStringLiteral("id")) ? QStringLiteral(" ORDER BY id") : QString();
    const bool read = ReadUtf8Rows(db,
                                   QStringLiteral("SELECT ") + ColumnList(columns) +
                                       QStringLiteral(" FROM ") + schema + u'.' + table + order,
                                   [&hash](const Utf8Row& row) {
                                       for (int i = 0; i < row.size(); ++i) {
                                           hash.addData(row.at(i));
                                           hash.addData(QByteArrayView("\x1f", 1));
                                       }
                                       hash.addData(QByteArrayView("\x1e", 1));
                                   });
    return read ? QString::fromLatin1(hash.result().toHex()) : QString();
}

TableHashes ReferenceTableHashes(Connection& shipped) {
    TableHashes hashes;
    const QStringList tables = TablesOf(shipped, QStringLiteral("main"));
    for (const ReferenceTable& t : ReferenceTables())
        if (HasTable(tables, t.name))
            hashes.insert(t.name, TableContentHash(shipped, t.name));
    return hashes;
}

bool UpgradeCatalogue(Connection& catalogue, const QString& shippedPath, CatalogueUpgrade& upgrade,
                      QString* error) {
    const auto fail = [error] {
        return FailWith(error,
                        QStringLiteral("Оновлення довідників каталогу проектів.\rПомилка: ") +
                            LastError());
    };
    const QStringList own = TablesOf(catalogue, QStringLiteral("main"));
    // The valuer's tables as they are before any column is added, to compare with the hash
    // kept when they were last shipped.
    TableHashes before;
    for (const ReferenceTable& t : ReferenceTables())
        if (HasTable(own, t.name))
            before.insert(t.name, TableContentHash(catalogue, t.name));

    AttachedShipped shipped(catalogue);
    if (!shipped.attach(shippedPath))
        return fail();
    const QStringList shippedTables = TablesOf(catalogue, QStringLiteral("shipped"));
    if (!HasTable(shippedTables, QStringLiteral("projects"))) {
        SetLastError(QStringLiteral("\"") + shippedPath +
                     QStringLiteral("\" не є каталогом проектів програми."));
        return fail();
    }
    QStringList notes;
    TableHashes shippedNow;
    Transaction transaction(catalogue);
    if (!transaction.ok())
        return fail();
    for (const QString& table : shippedTables) {
        if (table.compare(BuildTable(), Qt::CaseInsensitive) == 0)
            continue;
        if (HasTable(own, table)) {
            if (!AddMissingColumns(catalogue, table))
                return fail();
            continue;
        }
        // A table this catalogue never had comes with its shipped rows, unless it is one of
        // the valuer's own, which starts empty.
        if (!CreateTable(catalogue, table))
            return fail();
        if (IsValuersTable(table))
            continue;
        if (ReplaceRows(catalogue, table, SharedColumns(catalogue, table)) < 0)
            return fail();
        notes << QStringLiteral("Додано довідник %1.").arg(Quoted(table));
    }
    if (!CreateMissingIndexes(catalogue))
        return fail();
    for (const ReferenceTable& t : ReferenceTables()) {
        if (!HasTable(shippedTables, t.name))
            continue;
        shippedNow.insert(t.name, TableContentHash(catalogue, t.name, QStringLiteral("shipped")));
        if (!HasTable(own, t.name))
            continue;
        if (!UpgradeReferenceTable(catalogue, t, before.value(t.name),
                                   upgrade.shipped.value(t.name), shippedNow.value(t.name), notes))
            return fail();
    }
    if (!transaction.commit())
        return fail();
    upgrade.shipped = shippedNow;
    upgrade.notes << notes;
    return true;
}

} // namespace catalogue
