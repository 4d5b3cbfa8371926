#include "db/Transaction.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/SqliteMessage.h"

#include <sqlite3.h>

namespace {

QString StatementError(const QString& message, const QByteArray& sql) {
    return message + u'\r' + QStringLiteral("Запит: ") + QString::fromUtf8(sql);
}

/** Savepoint names are unique for the run, so nested transactions never mix them up. */
QString NextSavepointName() {
    static quint64 counter = 0;
    return QStringLiteral("tamberon_sp_") + QString::number(++counter);
}

} // namespace

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    if (!connection.isOpen()) {
        SetLastError(QStringLiteral("Транзакція неможлива: база даних не відкрита."));
        return;
    }
    m_db = connection.handle();
    m_session = connection.session();
    QByteArray sql;
    if (sqlite3_get_autocommit(m_db)) {
        // The write lock is taken at once, so a busy file is reported here and not halfway.
        sql = "BEGIN IMMEDIATE";
    } else {
        m_savepoint = NextSavepointName();
        sql = "SAVEPOINT " + m_savepoint.toLatin1();
    }
    QString error;
    if (!exec(sql, error)) {
        SetLastError(StatementError(error, sql));
        m_savepoint.clear();
        return;
    }
    m_state = State::Active;
}

Transaction::~Transaction() {
    if (m_state == State::Active)
        rollback();
}

sqlite3* Transaction::liveHandle() const {
    // A connection closed (and perhaps reopened on another file) took its transaction along.
    if (!m_connection.isOpen() || m_connection.handle() != m_db ||
        m_connection.session() != m_session)
        return nullptr;
    return m_db;
}

bool Transaction::exec(const QByteArray& sql, QString& error) const {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = SqliteMessage(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

bool Transaction::commit() {
    if (m_state != State::Active) {
        if (m_state != State::Failed)
            SetLastError(QStringLiteral("Транзакцію вже завершено."));
        return false;
    }
    if (!liveHandle()) {
        m_state = State::RolledBack;
        SetLastError(QStringLiteral("Транзакцію скасовано: з'єднання з базою даних закрито."));
        return false;
    }
    const QByteArray sql =
        nested() ? "RELEASE " + m_savepoint.toLatin1() : QByteArrayLiteral("COMMIT");
    QString error;
    if (!exec(sql, error)) {
        SetLastError(StatementError(error, sql));
        // The provider may have ended the transaction itself (a full disk, an I/O error).
        if (!nested() && sqlite3_get_autocommit(m_db))
            m_state = State::RolledBack;
        return false;
    }
    m_state = State::Committed;
    return true;
}

bool Transaction::rollback() {
    if (m_state != State::Active)
        return m_state != State::Committed;
    m_state = State::RolledBack;
    if (!liveHandle())
        return true;
    // Some failures (a full disk, an I/O error) end the whole transaction in the provider;
    // then nothing is left to roll back.
    if (sqlite3_get_autocommit(m_db)) {
        if (!nested())
            return true;
        const QString before = LastError();
        SetLastError((before.isEmpty() ? QString() : before + u'\r') +
                     QStringLiteral("Транзакцію повністю скасовано постачальником бази даних."));
        return false;
    }
    const QByteArray sql =
        nested() ? "ROLLBACK TO " + m_savepoint.toLatin1() + "; RELEASE " + m_savepoint.toLatin1()
                 : QByteArrayLiteral("ROLLBACK");
    QString error;
    if (exec(sql, error))
        return true;
    const QString before = LastError();
    SetLastError((before.isEmpty() ? QString() : before + u'\r') + StatementError(error, sql));
    return false;
}
