#include "db/Database.h"

#include "db/AlterColumn.h"
#include "db/SqlDialect.h"
#include "db/SqliteHandle.h"
#include "db/SqliteMessage.h"

#include <QCollator>
#include <QFileInfo>
#include <cmath>
#include <sqlite3.h>

namespace {

QString FromUtf8(const unsigned char* text) {
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

QString ValueText(sqlite3_value* value) {
    return FromUtf8(sqlite3_value_text(value));
}

/** cint(x): the value rounded to the nearest integer (halves to even); NULL for non-numbers. */
void CintFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    double number = 0;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, sqlite3_value_int64(v));
        return;
    case SQLITE_FLOAT:
        number = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT: {
        bool ok = false;
        number = ValueText(v).trimmed().toDouble(&ok);
        if (!ok) {
            sqlite3_result_null(ctx);
            return;
        }
        break;
    }
    default:
        sqlite3_result_null(ctx);
        return;
    }
    if (!std::isfinite(number) || std::fabs(number) > 9.2e18) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::nearbyint(number)));
}

/** like(pattern, text[, escape]) ignoring the letter case of every alphabet. */
void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const QString e = ValueText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE у LIKE має бути одним знаком", -1);
            return;
        }
        escape = e[0].unicode();
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int patternLength = sqlite3_value_bytes(argv[0]);
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int textLength = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(ctx,
                       sqldialect::LikeMatchUtf8(pattern, patternLength, text, textLength, escape));
}

/** "UKR": Ukrainian alphabetical order (і, ї, є, ґ in their places), letter case ignored first. */
int UkrainianCollation(void*, int length1, const void* text1, int length2, const void* text2) {
    static QCollator collator = [] {
        QCollator c{QLocale(QLocale::Ukrainian, QLocale::Ukraine)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    const QString a = QString::fromUtf8(static_cast<const char*>(text1), length1);
    const QString b = QString::fromUtf8(static_cast<const char*>(text2), length2);
    const int order = collator.compare(a, b);
    return order != 0 ? order : QString::compare(a, b);
}

QVariant ColumnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                   sqlite3_column_bytes(stmt, i)));
    default:
        return QVariant(FromUtf8(sqlite3_column_text(stmt, i)));
    }
}

QString VariantText(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    return v.toString();
}

} // namespace

Connection::~Connection() {
    close();
}

bool Connection::open(const QString& path) {
    return openWith(path, SQLITE_OPEN_READWRITE);
}

bool Connection::create(const QString& path) {
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

bool Connection::openWith(const QString& path, int flags) {
    close();
    m_error.clear();
    m_failure = OpenFailure::None;
    auto fail = [this](OpenFailure failure, const QString& text) {
        m_failure = failure;
        m_error = text;
        return false;
    };
    if (!(flags & SQLITE_OPEN_CREATE) && !QFileInfo(path).isFile())
        return fail(OpenFailure::Missing,
                    QStringLiteral("Не вдається знайти файл \"%1\".").arg(path));
    // SQLite refuses a full path longer than its limit with the same words as a missing or
    // locked file; say what it is.
    const sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    const qsizetype limit = vfs ? vfs->mxPathname : 512;
    const qsizetype length = QFileInfo(path).absoluteFilePath().toUtf8().size();
    if (length >= limit)
        return fail(OpenFailure::PathTooLong,
                    QStringLiteral("Шлях до бази даних \"%1\" задовгий: %2 байтів, а SQLite "
                                   "відкриває бази зі шляхом до %3 байтів. Перенесіть папку "
                                   "ближче до кореня диска або скоротіть назви папок.")
                        .arg(path)
                        .arg(length)
                        .arg(limit - 1));
    SqliteDb opened;
    const int rc = OpenDatabase(path.toUtf8().constData(), flags, opened);
    sqlite3* db = opened.get();
    if (rc != SQLITE_OK) {
        const QString text = db ? SqliteMessage(sqlite3_errmsg(db)) : SqliteMessage(nullptr);
        return fail((rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT
                        ? OpenFailure::NotADatabase
                        : OpenFailure::Other,
                    text);
    }
    sqlite3_busy_timeout(db, 3000);
    sqlite3_extended_result_codes(db, 1);
    const int fn = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "cint", 1, fn, nullptr, CintFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 2, fn, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, fn, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_collation(db, "UKR", SQLITE_UTF8, nullptr, UkrainianCollation);
    // A file that is not a database only shows when it is read.
    char* err = nullptr;
    if (const int read =
            sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err);
        read != SQLITE_OK) {
        const QString text = SqliteMessage(err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        return fail((read & 0xff) == SQLITE_NOTADB || (read & 0xff) == SQLITE_CORRUPT
                        ? OpenFailure::NotADatabase
                        : OpenFailure::Other,
                    text);
    }
    static quint64 sessions = 0;
    m_db = std::move(opened);
    m_path = path;
    m_session = ++sessions;
    return true;
}

void Connection::close() {
    // Work left uncommitted is never written by closing.
    if (m_db && !sqlite3_get_autocommit(m_db.get()))
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.reset();
}

bool Connection::inTransaction() const {
    return m_db && !sqlite3_get_autocommit(m_db.get());
}

void Connection::releaseCache() {
    if (m_db)
        sqlite3_db_release_memory(m_db.get());
}

QStringList Connection::tableNames() const {
    QStringList names;
    if (!m_db)
        return names;
    SqliteStatement stmt;
    if (PrepareStatement(m_db.get(),
                         "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                         "'sqlite_%' ORDER BY name",
                         -1, stmt) == SQLITE_OK) {
        while (sqlite3_step(stmt.get()) == SQLITE_ROW)
            names << FromUtf8(sqlite3_column_text(stmt.get(), 0));
    }
    return names;
}

void Query::setConnection(Connection* connection) {
    close();
    m_connection = connection;
}

void Query::close() {
    m_open = false;
    m_pos = 0;
    m_fields.clear();
    m_fieldByName.clear();
    m_fieldByFolded.clear();
    m_rows.clear();
}

void Query::indexFields() {
    m_fieldByName.reserve(static_cast<qsizetype>(m_fields.size()));
    m_fieldByFolded.reserve(static_cast<qsizetype>(m_fields.size()));
    // A join may repeat a name, perhaps in another letter case; the first field of it wins,
    // as a scan would find it.
    for (int i = 0; i < static_cast<int>(m_fields.size()); ++i) {
        const QString folded = m_fields[i].name.toCaseFolded();
        if (!m_fieldByFolded.contains(folded))
            m_fieldByFolded.insert(folded, i);
    }
    for (const FieldInfo& field : m_fields)
        if (!m_fieldByName.contains(field.name))
            m_fieldByName.insert(field.name, m_fieldByFolded.value(field.name.toCaseFolded()));
}

bool Query::exec(const QString& sql, bool open) {
    close();
    m_sql = sql;
    m_error.clear();
    m_changes = 0;
    if (!m_connection || !m_connection->isOpen()) {
        m_error = QStringLiteral("База даних не відкрита.");
        return false;
    }
    sqlite3* db = m_connection->handle();
    if (const auto alter = sqldialect::ParseAlterColumn(sql)) {
        if (!AlterColumnType(*m_connection, *alter, m_error))
            return false;
        m_open = open;
        return true;
    }
    const QByteArray utf8 = sqldialect::RewriteAutoIncrement(sql).toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    bool first = true;
    // Runs every statement of the text; the rows of the first one are kept.
    while (tail < end) {
        SqliteStatement statement;
        const char* next = nullptr;
        if (PrepareStatement(db, tail, static_cast<int>(end - tail), statement, &next) !=
            SQLITE_OK) {
            m_error = SqliteMessage(sqlite3_errmsg(db));
            close();
            return false;
        }
        tail = next;
        if (!statement)
            continue;
        sqlite3_stmt* stmt = statement.get();
        const bool keep = open && first;
        // The columns are read after the first step: a statement prepared on a schema that
        // changed meanwhile (a rolled-back change, another connection) is prepared again then.
        int rc = sqlite3_step(stmt);
        if (keep) {
            const int columns = sqlite3_column_count(stmt);
            m_fields.reserve(columns);
            for (int i = 0; i < columns; ++i) {
                const char* decl = sqlite3_column_decltype(stmt, i);
                m_fields.push_back(
                    sqldialect::DeclaredField(QString::fromUtf8(sqlite3_column_name(stmt, i)),
                                              decl ? QString::fromUtf8(decl) : QString()));
            }
            indexFields();
        }
        for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
            if (!keep)
                continue;
            std::vector<QVariant> row;
            row.reserve(m_fields.size());
            for (int i = 0; i < static_cast<int>(m_fields.size()); ++i)
                row.push_back(ColumnValue(stmt, i));
            m_rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) {
            m_error = SqliteMessage(sqlite3_errmsg(db));
            close();
            return false;
        }
        m_changes = sqlite3_changes(db);
        first = false;
    }
    m_open = open;
    m_pos = 0;
    return true;
}

void Query::setRecNo(int recNo) {
    if (recNo >= 1 && recNo <= recordCount())
        m_pos = recNo - 1;
}

int Query::fieldIndex(const QString& name) const {
    const auto exact = m_fieldByName.constFind(name);
    if (exact != m_fieldByName.cend())
        return *exact;
    return m_fieldByFolded.value(name.toCaseFolded(), -1);
}

QString Query::text(int index) const {
    if (eof() || index < 0 || index >= static_cast<int>(m_fields.size()))
        return QString();
    return VariantText(m_rows[m_pos][index]);
}

QString Query::text(const QString& field) const {
    return text(fieldIndex(field));
}

long long Query::integer(const QString& field) const {
    const int i = fieldIndex(field);
    if (eof() || i < 0)
        return 0;
    const QVariant& v = m_rows[m_pos][i];
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    bool ok = false;
    const long long n = VariantText(v).trimmed().toLongLong(&ok);
    return ok ? n : 0;
}

double Query::number(const QString& field) const {
    const int i = fieldIndex(field);
    if (eof() || i < 0)
        return 0;
    bool ok = false;
    const double n = VariantText(m_rows[m_pos][i]).trimmed().toDouble(&ok);
    return ok ? n : 0;
}

bool Query::isNull(const QString& field) const {
    const int i = fieldIndex(field);
    return eof() || i < 0 || m_rows[m_pos][i].isNull();
}

QStringList Query::texts() const {
    QStringList values;
    for (int i = 0; i < static_cast<int>(m_fields.size()); ++i)
        values << text(i);
    return values;
}
