#pragma once

#include "db/SqliteHandle.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

/** Kinds of columns, as ColumnDef and the reference-book window see them. */
enum class FieldType {
    String,
    WideString,
    Integer,
    Float,
    Date,
    Time,
    DateTime,
    AutoInc,
    Memo,
    Other
};

/** A column of a query result: its name, kind and declared size (0 when none). */
struct FieldInfo {
    QString name;
    FieldType type = FieldType::Other;
    int size = 0;
};

/** Why a database file did not open. */
enum class OpenFailure {
    None,
    Missing,      ///< no such file
    PathTooLong,  ///< the path is longer than the provider can open; the file is not read
    NotADatabase, ///< the file was read and is not a sound database
    Other,        ///< no access, no memory, locked...
};

/**
 * A connection to one database file. The provider is SQLite, extended with what the
 * program's SQL needs: cint(), a LIKE that ignores the letter case of Cyrillic text,
 * Jet's "AUTOINCREMENT" columns and "ALTER TABLE ... ALTER COLUMN".
 */
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /** Opens an existing database file; false with the reason in errorText(). */
    bool open(const QString& path);
    /** Creates (or opens) a database file. */
    bool create(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    /** The provider name ColumnDef tests. */
    QString provider() const { return QStringLiteral("SQLite"); }
    QString errorText() const { return m_error; }
    /** Why the last open() or create() failed. */
    OpenFailure openFailure() const { return m_failure; }
    /** Names of the tables. */
    QStringList tableNames() const;

    /** Whether a transaction is open on the connection (asked of the provider). */
    bool inTransaction() const;
    /** Gives back the pages the provider keeps cached: for a caller that holds what it read. */
    void releaseCache();
    /** A number that changes with every opening, so a holder can tell a reopened connection. */
    quint64 session() const { return m_session; }

    sqlite3* handle() const { return m_db.get(); }

private:
    bool openWith(const QString& path, int flags);

    SqliteDb m_db;
    QString m_path;
    QString m_error;
    OpenFailure m_failure = OpenFailure::None;
    quint64 m_session = 0;
};

/**
 * A statement on a connection. Rows of an opened query are read once into memory, so
 * record counts and positions are exact; the cursor moves over them.
 */
class Query {
public:
    explicit Query(Connection* connection = nullptr) : m_connection(connection) {}

    void setConnection(Connection* connection);
    Connection* connection() const { return m_connection; }

    /** Runs a statement; with `open`, keeps its rows. Throws nothing; false with error(). */
    bool exec(const QString& sql, bool open);
    void close();
    bool isOpen() const { return m_open; }
    QString sql() const { return m_sql; }
    QString error() const { return m_error; }

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    /** 1-based number of the current record; 0 when there is none. */
    int recNo() const { return m_open && m_pos < recordCount() ? m_pos + 1 : 0; }
    bool eof() const { return !m_open || m_pos >= recordCount(); }
    void first() { m_pos = 0; }
    void next() {
        if (m_pos < recordCount())
            ++m_pos;
    }
    void prior() {
        if (m_pos > 0)
            --m_pos;
    }
    void last() { m_pos = recordCount() > 0 ? recordCount() - 1 : 0; }
    /** Moves to a 1-based record number. */
    void setRecNo(int recNo);

    const std::vector<FieldInfo>& fields() const { return m_fields; }
    /**
     * The index of the first field of that name, letter case ignored; -1 when none. Looked up
     * in a table built once per opened result, so reading by name costs no scan.
     */
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    /** The value of the current record's field as text; "" for null or an unknown field. */
    QString text(const QString& field) const;
    QString text(int index) const;
    /** As an integer; 0 for null or a text that is not one. */
    long long integer(const QString& field) const;
    double number(const QString& field) const;
    bool isNull(const QString& field) const;
    /** All values of the current record as texts. */
    QStringList texts() const;

    /** Rows affected by the last executed statement. */
    int rowsAffected() const { return m_changes; }

private:
    Connection* m_connection = nullptr;
    QString m_sql;
    QString m_error;
    bool m_open = false;
    int m_pos = 0;
    int m_changes = 0;
    void indexFields();

    std::vector<FieldInfo> m_fields;
    QHash<QString, int> m_fieldByName;   ///< exact names, the usual lookup
    QHash<QString, int> m_fieldByFolded; ///< case-folded names
    std::vector<std::vector<QVariant>> m_rows;
};
