#include "db/AlterColumn.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/SqliteHandle.h"
#include "db/SqliteMessage.h"
#include "db/Transaction.h"

#include <optional>
#include <sqlite3.h>
#include <vector>

namespace {

/** One row of PRAGMA table_info. */
struct ColumnInfo {
    QString name;
    QString type;
    bool notNull = false;
    QString defaultValue;
    int primaryKey = 0;
};

/** A prepared statement (finalised by its handle) with texts bound and read. */
class Statement {
public:
    Statement(sqlite3* db, const QByteArray& sql) : m_db(db) {
        m_rc = PrepareStatement(db, sql.constData(), -1, m_stmt);
    }

    bool prepared() const { return m_rc == SQLITE_OK && m_stmt; }
    void bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt.get(), index, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    int step() { return m_rc = sqlite3_step(m_stmt.get()); }
    QString text(int col) const {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt.get(), col));
        return t ? QString::fromUtf8(t) : QString();
    }
    int integer(int col) const { return sqlite3_column_int(m_stmt.get(), col); }
    QString error() const { return SqliteMessage(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db;
    SqliteStatement m_stmt;
    int m_rc = SQLITE_OK;
};

/** Runs one statement without rows; false with the provider's message. */
bool Exec(sqlite3* db, const QByteArray& sql, QString& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = SqliteMessage(message ? message : sqlite3_errmsg(db)) + u'\r' +
            QStringLiteral("Запит: ") + QString::fromUtf8(sql);
    sqlite3_free(message);
    return false;
}

std::optional<std::vector<ColumnInfo>> TableColumns(sqlite3* db, const QString& table,
                                                    QString& error) {
    Statement st(db, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)");
    if (!st.prepared()) {
        error = st.error();
        return std::nullopt;
    }
    st.bind(1, table);
    std::vector<ColumnInfo> columns;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        columns.push_back({st.text(0), st.text(1), st.integer(2) != 0, st.text(3), st.integer(4)});
    if (rc != SQLITE_DONE) {
        error = st.error();
        return std::nullopt;
    }
    return columns;
}

/** The stored name and CREATE statement of a table. */
bool ReadCreateSql(sqlite3* db, const QString& table, QString& name, QString& createSql,
                   QString& error) {
    Statement st(db, "SELECT name, sql FROM sqlite_master WHERE type='table' AND name=?1");
    if (!st.prepared()) {
        error = st.error();
        return false;
    }
    st.bind(1, table);
    if (st.step() != SQLITE_ROW) {
        error = QStringLiteral("немає таблиці ") + table;
        return false;
    }
    name = st.text(0);
    createSql = st.text(1);
    return true;
}

int FindColumn(const std::vector<ColumnInfo>& columns, const QString& name) {
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

/**
 * Creates the changed table in an in-memory database and compares it with the stored one:
 * the same columns and constraints, only the altered column's type changed, still text.
 */
bool CheckInMemory(const QString& changedSql, const std::vector<ColumnInfo>& stored, int altered,
                   const QString& type, QString& error) {
    Connection memory;
    if (!memory.create(QStringLiteral(":memory:"))) {
        error = memory.errorText();
        return false;
    }
    QString message;
    if (!Exec(memory.handle(), changedSql.toUtf8(), message)) {
        error = QStringLiteral("Нове визначення таблиці помилкове: ") + message;
        return false;
    }
    QString name;
    {
        Statement st(memory.handle(), "SELECT name FROM sqlite_master WHERE type='table'");
        if (!st.prepared() || st.step() != SQLITE_ROW) {
            error = QStringLiteral("Нове визначення таблиці не створює таблицю.");
            return false;
        }
        name = st.text(0);
    }
    const auto changed = TableColumns(memory.handle(), name, error);
    if (!changed)
        return false;
    bool same = changed->size() == stored.size();
    for (size_t i = 0; same && i < stored.size(); ++i) {
        const ColumnInfo& a = stored[i];
        const ColumnInfo& b = (*changed)[i];
        same = a.name == b.name && a.notNull == b.notNull && a.defaultValue == b.defaultValue &&
               a.primaryKey == b.primaryKey;
        if (static_cast<int>(i) == altered)
            same = same && sqldialect::ColumnAffinity(b.type) == sqldialect::Affinity::Text &&
                   sqldialect::DeclaredField(b.name, b.type).size ==
                       sqldialect::DeclaredField(b.name, type).size;
        else
            same = same && a.type == b.type;
    }
    if (!same)
        error = QStringLiteral("Нове визначення таблиці змінює не лише тип стовпця: ") + changedSql;
    return same;
}

/** The checked rewrite of the stored CREATE statement, inside the caller's transaction. */
bool RewriteSchema(sqlite3* db, const QString& table, const QString& changedSql, QString& error) {
    int version = 0;
    {
        Statement st(db, "PRAGMA schema_version");
        if (!st.prepared() || st.step() != SQLITE_ROW) {
            error = st.error() + QStringLiteral("\rЗапит: PRAGMA schema_version");
            return false;
        }
        version = st.integer(0);
    }
    if (!Exec(db, "PRAGMA writable_schema=ON", error))
        return false;
    bool ok = false;
    {
        Statement st(db, "UPDATE sqlite_master SET sql=?1 WHERE type='table' AND name=?2");
        if (st.prepared()) {
            st.bind(1, changedSql);
            st.bind(2, table);
            ok = st.step() == SQLITE_DONE;
            if (ok && sqlite3_changes(db) != 1) {
                ok = false;
                error = QStringLiteral("Таблицю \"") + table +
                        QStringLiteral("\" не знайдено у схемі бази даних.");
            } else if (!ok) {
                error = st.error() + QStringLiteral("\rЗапит: UPDATE sqlite_master");
            }
        } else {
            error = st.error() + QStringLiteral("\rЗапит: UPDATE sqlite_master");
        }
    }
    // Other connections see the new cookie and read the schema again.
    ok = ok && Exec(db, "PRAGMA schema_version=" + QByteArray::number(version + 1), error);
    // RESET also makes this connection read the stored schema again, as a reopened file would.
    QString resetError;
    if (!Exec(db, "PRAGMA writable_schema=RESET", resetError) && ok) {
        error = resetError;
        ok = false;
    }
    if (!ok)
        return false;
    // The schema must parse and the table must be sound under it.
    QString quoted = table;
    quoted.replace(u'"', QStringLiteral("\"\""));
    Statement check(db, "PRAGMA integrity_check(\"" + quoted.toUtf8() + "\")");
    if (!check.prepared()) {
        error = check.error();
        return false;
    }
    QStringList problems;
    int rc;
    while ((rc = check.step()) == SQLITE_ROW)
        problems << UkrainianEngineMessage(check.text(0));
    if (rc != SQLITE_DONE) {
        error = check.error();
        return false;
    }
    if (problems != QStringList{QStringLiteral("ok")}) {
        error = QStringLiteral("Перевірка таблиці після зміни: ") + problems.join(u'\r');
        return false;
    }
    return true;
}

} // namespace

bool AlterColumnType(Connection& connection, const sqldialect::AlterColumn& alter, QString& error) {
    sqlite3* db = connection.handle();
    if (!sqldialect::IsTextColumnType(alter.type)) {
        error = QStringLiteral("Тип \"") + alter.type +
                QStringLiteral("\" не підтримується: стовпець можна змінити лише на текстовий "
                               "тип (TEXT, TEXT(n), VARCHAR(n), NVARCHAR(n), CHAR(n)).");
        return false;
    }
    QString table;
    QString createSql;
    if (!ReadCreateSql(db, alter.table, table, createSql, error))
        return false;
    const auto stored = TableColumns(db, table, error);
    if (!stored)
        return false;
    const int altered = FindColumn(*stored, alter.column);
    if (altered < 0) {
        error = QStringLiteral("немає стовпця ") + alter.column;
        return false;
    }
    // Values keep their stored form only while the column's affinity stays text.
    if (sqldialect::ColumnAffinity((*stored)[altered].type) != sqldialect::Affinity::Text) {
        error = QStringLiteral("Стовпець \"") + (*stored)[altered].name +
                QStringLiteral("\" має нетекстовий тип \"") + (*stored)[altered].type +
                QStringLiteral("\"; змінити його тип не можна.");
        return false;
    }
    const std::optional<QString> changed =
        sqldialect::ReplaceColumnType(createSql, (*stored)[altered].name, alter.type.trimmed());
    if (!changed) {
        error = QStringLiteral("немає стовпця ") + alter.column;
        return false;
    }
    if (!CheckInMemory(*changed, *stored, altered, alter.type, error))
        return false;
    const QString before = LastError();
    Transaction transaction(connection);
    bool ok = transaction.ok();
    if (!ok)
        error = LastError();
    ok = ok && RewriteSchema(db, table, *changed, error);
    if (ok && !transaction.commit()) {
        error = LastError();
        ok = false;
    }
    if (!ok) {
        ClearLastError();
        if (!transaction.rollback())
            error += u'\r' + LastError();
    }
    SetLastError(before); // the caller reports `error` its own way
    return ok;
}
