#pragma once

#include <QString>

class Connection;
struct sqlite3;

/**
 * A transaction on a connection for the lifetime of the object. It begins a transaction, or a
 * savepoint when the connection is already inside one, and rolls back (to its savepoint) when
 * destroyed without a successful commit(). Every failure leaves a readable text in LastError:
 * the provider's message, "\r", "Запит: " and the statement that failed.
 *
 *     Transaction transaction(connection);
 *     if (!transaction.ok())
 *         return false;
 *     ... statements ...
 *     return transaction.commit();
 */
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /** Whether the transaction (or savepoint) began; false with LastError set otherwise. */
    bool ok() const { return m_state == State::Active; }
    /** Whether this is a savepoint inside an enclosing transaction. */
    bool nested() const { return !m_savepoint.isEmpty(); }
    /**
     * Commits (or releases the savepoint). False with LastError set when the transaction did
     * not begin, was already ended, or the provider refuses; the destructor then rolls back.
     */
    bool commit();
    /**
     * Rolls back now (to the savepoint when nested), so that a caller can report a failure
     * with the database already restored. A failure to roll back is added to LastError,
     * after the text that was there. True when nothing is left to roll back.
     */
    bool rollback();

private:
    enum class State { Failed, Active, Committed, RolledBack };

    /** The handle the transaction began on, or null when the connection was closed since. */
    sqlite3* liveHandle() const;
    bool exec(const QByteArray& sql, QString& error) const;

    Connection& m_connection;
    sqlite3* m_db = nullptr;
    quint64 m_session = 0;
    QString m_savepoint;
    State m_state = State::Failed;
};
