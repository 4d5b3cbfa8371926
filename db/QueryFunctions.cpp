#include "db/QueryFunctions.h"

#include "common/FileUtils.h"
#include "db/Databases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool RunQuery(Query& query, const QString& sql, bool open, bool rowsRequired) {
    ClearLastError();
    if (sql.isEmpty() || !query.connection() || !query.connection()->isOpen()) {
        query.close();
        return false;
    }
    // The statement goes in whole: line breaks inside its literals are data (memo texts).
    if (!query.exec(sql, open)) {
        SetLastError(query.error() + u'\r' + QStringLiteral("Запит: ") + sql);
        return false;
    }
    if (!open)
        return true;
    if (rowsRequired && query.recordCount() == 0) {
        SetLastError(QStringLiteral("Не знайдено записів згідно запиту."));
        query.close();
        return false;
    }
    return query.isOpen();
}

bool FieldExists(Query& query, const QString& sql, const QString& field) {
    const bool exists = RunQuery(query, sql, true) && query.hasField(field);
    query.close();
    return exists;
}

bool TableExists(Connection& connection, const QString& table) {
    if (!connection.isOpen())
        return false;
    for (const QString& name : connection.tableNames())
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool AddMissingTextColumns(Connection& connection, const QString& table, const QStringList& columns,
                           int size) {
    if (!TableExists(connection, table))
        return true;
    Query query(&connection);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 0=1"),
                  true))
        return false;
    QStringList missing;
    for (const QString& column : columns)
        if (!query.hasField(column))
            missing << column;
    query.close();
    for (const QString& column : missing)
        if (!RunQuery(query,
                      QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD COLUMN ") +
                          ColumnDef(connection, column, FieldType::WideString, false, size),
                      false))
            return false;
    return true;
}

long long MaxValue(Query& query, const QString& table, const QString& column) {
    ClearLastError();
    long long value = 0;
    if (RunQuery(query, QStringLiteral("SELECT MAX(") + column + QStringLiteral(") FROM ") + table,
                 true) &&
        !query.eof())
        value = query.integer(query.fields().front().name);
    query.close();
    ClearLastError();
    return value;
}

bool HasCurrentRecord(const Query& query) {
    return query.isOpen() && query.recordCount() > 0 && query.recNo() != 0;
}

bool LocateValue(const QString& text, Query& query, const QString& field) {
    if (!query.isOpen() || query.recordCount() == 0 || text.isEmpty())
        return false;
    const int remembered = query.recNo();
    for (query.first(); !query.eof(); query.next()) {
        if (query.text(field) == text)
            return true;
    }
    query.setRecNo(remembered);
    return false;
}

bool FailReading(QString* error, const QString& table) {
    return FailWith(error, QStringLiteral("Вибірка із бази \"") + table +
                               QStringLiteral("\"\rПодробиці: ") + LastError());
}

bool FailUpdating(QString* error) {
    return FailWith(error,
                    QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
}

QString QuoteSql(const QString& text) {
    QString quoted = text;
    return quoted.replace(u'\'', QStringLiteral("''"));
}

namespace {

/** How one provider writes each kind of column. */
struct ColumnDialect {
    bool quoteName;
    const char* stringType; ///< followed by " (size) "
    const char* integer;
    const char* floating;
    const char* date;
    const char* autoInc;
    const char* memo;
    const char* emptyDefault;
};

const ColumnDialect& DialectOf(const QString& provider) {
    static const ColumnDialect sqlServer{false,       " [nvarchar]",  " [int] ",
                                         " [float] ", " [date] ",     " [AUTOINCREMENT]",
                                         " [ntext] ", "DEFAULT (N'')"};
    static const ColumnDialect jet{false,    " nvarchar",      " int ",   " float ",
                                   " date ", " AUTOINCREMENT", " ntext ", "DEFAULT \"\""};
    // Our provider: Jet's names with a standard string literal for the empty default.
    static const ColumnDialect sqlite{false,    " nvarchar",      " int ",   " float ",
                                      " date ", " AUTOINCREMENT", " ntext ", "DEFAULT ''"};
    static const ColumnDialect other{
        true,     " character varying", " int ", " float ", " date ", " serial",
        " text ", "DEFAULT ''"};
    if (provider.contains(QStringLiteral("SQLOLEDB")))
        return sqlServer;
    if (provider.contains(QStringLiteral("Microsoft.Jet.OLEDB")))
        return jet;
    return provider == QStringLiteral("SQLite") ? sqlite : other;
}

} // namespace

QString ColumnDef(const QString& provider, const QString& name, FieldType type, bool noDefault,
                  int size) {
    const ColumnDialect& d = DialectOf(provider);
    const QString column = d.quoteName ? u'"' + name + u'"' : name;
    const QString emptyDefault = noDefault ? QString() : QString::fromLatin1(d.emptyDefault);
    switch (type) {
    case FieldType::String:
    case FieldType::WideString:
        return column + QString::fromLatin1(d.stringType) + QStringLiteral(" (") +
               QString::number(size) + QStringLiteral(") ") + emptyDefault;
    case FieldType::Integer:
        return column + QString::fromLatin1(d.integer);
    case FieldType::Float:
        return column + QString::fromLatin1(d.floating);
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        return column + QString::fromLatin1(d.date);
    case FieldType::AutoInc:
        return column + QString::fromLatin1(d.autoInc);
    case FieldType::Memo:
        return column + QString::fromLatin1(d.memo) + emptyDefault;
    default:
        return QString();
    }
}

QString ColumnDef(const Connection& connection, const QString& name, FieldType type, bool noDefault,
                  int size) {
    return ColumnDef(connection.provider(), name, type, noDefault, size);
}

namespace {

/** Copies one file, asking Abort/Retry/Ignore on failure; false means stop. */
bool CopyOneFile(const QString& source, const QString& target, CopyQuestions& ask, bool& stop) {
    for (;;) {
        if (CopyFileReplacing(source, target))
            return true;
        const Answer a = ask.copyFailed(target);
        if (a == Answer::Retry)
            continue;
        stop = a != Answer::Ignore;
        return false;
    }
}

} // namespace

QString NothingToCopyText() {
    return QStringLiteral("Немає файлів для копіювання.");
}

bool CopyFolderFiles(const QString& source, const QString& target, CopyQuestions& ask,
                     QString* error, const QStringList& files, bool quietIfEmpty) {
    const QStringList list =
        files.isEmpty() ? ListFiles(source, QStringLiteral("*.*"), true) : files;
    // Files without an extension are files too.
    QStringList all = list;
    if (files.isEmpty()) {
        for (const QString& f : ListFiles(source, QStringLiteral("*"), true))
            if (!all.contains(f))
                all << f;
        all.sort();
    }
    if (all.isEmpty())
        return quietIfEmpty || FailWith(error, NothingToCopyText());
    QDir().mkpath(target);
    enum class ForAll { Ask, No, Yes } forAll = ForAll::Ask;
    for (const QString& file : all) {
        const QString to = JoinPath(target, FileNameOf(file));
        if (QFileInfo::exists(to)) {
            if (forAll == ForAll::No)
                continue;
            if (forAll == ForAll::Ask) {
                const Answer a = ask.replaceExisting(to);
                if (a == Answer::Cancel || a == Answer::None)
                    return false;
                if (a == Answer::No)
                    continue;
                if (a == Answer::NoToAll) {
                    forAll = ForAll::No;
                    continue;
                }
                if (a == Answer::YesToAll)
                    forAll = ForAll::Yes;
            }
        }
        bool stop = false;
        if (!CopyOneFile(file, to, ask, stop) && stop)
            return false;
    }
    return true;
}
