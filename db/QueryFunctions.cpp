#include "db/QueryFunctions.h"

#include "common/FileUtils.h"
#include "common/Messages.h"
#include "db/Databases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

namespace {
QString g_lastError;
int g_lastIndicatorId = 0;
} // namespace

QString LastError() {
    return g_lastError;
}
void SetLastError(const QString& text) {
    g_lastError = text;
}
int LastIndicatorId() {
    return g_lastIndicatorId;
}

bool RunQuery(Query& query, const QString& sql, bool open, bool rowsRequired) {
    g_lastError.clear();
    if (sql.isEmpty() || !query.connection() || !query.connection()->isOpen()) {
        query.close();
        return false;
    }
    // The statement goes in whole: line breaks inside its literals are data (memo texts).
    if (!query.exec(sql, open)) {
        g_lastError = query.error() + u'\r' + QStringLiteral("Запрос: ") + sql;
        return false;
    }
    if (!open)
        return true;
    if (rowsRequired && query.recordCount() == 0) {
        g_lastError = QStringLiteral("Не знайдено записів згідно запиту.");
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

long long MaxValue(Query& query, const QString& table, const QString& column) {
    g_lastError.clear();
    long long value = 0;
    if (RunQuery(query, QStringLiteral("SELECT MAX(") + column + QStringLiteral(") FROM ") + table,
                 true) &&
        !query.eof())
        value = query.integer(query.fields().front().name);
    query.close();
    g_lastError.clear();
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

QString QuoteSql(const QString& text) {
    QString quoted = text;
    return quoted.replace(u'\'', QStringLiteral("''"));
}

QChar LikeWildcard(const Query& query, QChar c) {
    const QString provider = query.connection() ? query.connection()->provider() : QString();
    const bool jetLike = !provider.contains(QStringLiteral("SQLOLEDB")) &&
                         (provider.contains(QStringLiteral("Microsoft.Jet.OLEDB")) ||
                          provider == QStringLiteral("SQLite"));
    return jetLike && c == u'?' ? QChar(u'_') : c;
}

QString ColumnDef(const QString& provider, const QString& name, FieldType type, bool noDefault,
                  int size) {
    const QString n = QString::number(size);
    auto withDefault = [noDefault](const QString& def, const QString& clause) {
        return noDefault ? def : def + clause;
    };
    const bool string = type == FieldType::String || type == FieldType::WideString;
    const bool date =
        type == FieldType::Date || type == FieldType::Time || type == FieldType::DateTime;
    if (provider.contains(QStringLiteral("SQLOLEDB"))) {
        if (string)
            return withDefault(name + QStringLiteral(" [nvarchar] (") + n + QStringLiteral(") "),
                               QStringLiteral("DEFAULT (N'')"));
        if (type == FieldType::Integer)
            return name + QStringLiteral(" [int] ");
        if (type == FieldType::Float)
            return name + QStringLiteral(" [float] ");
        if (date)
            return name + QStringLiteral(" [date] ");
        if (type == FieldType::AutoInc)
            return name + QStringLiteral(" [AUTOINCREMENT]");
        if (type == FieldType::Memo)
            return withDefault(name + QStringLiteral(" [ntext] "), QStringLiteral("DEFAULT (N'')"));
        return QString();
    }
    if (provider.contains(QStringLiteral("Microsoft.Jet.OLEDB"))) {
        if (string)
            return withDefault(name + QStringLiteral(" nvarchar (") + n + QStringLiteral(") "),
                               QStringLiteral("DEFAULT \"\""));
        if (type == FieldType::Integer)
            return name + QStringLiteral(" int ");
        if (type == FieldType::Float)
            return name + QStringLiteral(" float ");
        if (date)
            return name + QStringLiteral(" date ");
        if (type == FieldType::AutoInc)
            return name + QStringLiteral(" AUTOINCREMENT");
        if (type == FieldType::Memo)
            return withDefault(name + QStringLiteral(" ntext "), QStringLiteral("DEFAULT \"\""));
        return QString();
    }
    if (provider == QStringLiteral("SQLite")) {
        // Our provider: Jet's names, standard string literals for defaults.
        if (string)
            return withDefault(name + QStringLiteral(" nvarchar (") + n + QStringLiteral(") "),
                               QStringLiteral("DEFAULT ''"));
        if (type == FieldType::Integer)
            return name + QStringLiteral(" int ");
        if (type == FieldType::Float)
            return name + QStringLiteral(" float ");
        if (date)
            return name + QStringLiteral(" date ");
        if (type == FieldType::AutoInc)
            return name + QStringLiteral(" AUTOINCREMENT");
        if (type == FieldType::Memo)
            return withDefault(name + QStringLiteral(" ntext "), QStringLiteral("DEFAULT ''"));
        return QString();
    }
    const QString quoted = u'"' + name + u'"';
    if (string)
        return withDefault(quoted + QStringLiteral(" character varying (") + n +
                               QStringLiteral(") "),
                           QStringLiteral("DEFAULT ''"));
    if (type == FieldType::Integer)
        return quoted + QStringLiteral(" int ");
    if (type == FieldType::Float)
        return quoted + QStringLiteral(" float ");
    if (date)
        return quoted + QStringLiteral(" date ");
    if (type == FieldType::AutoInc)
        return quoted + QStringLiteral(" serial");
    if (type == FieldType::Memo)
        return withDefault(quoted + QStringLiteral(" text "), QStringLiteral("DEFAULT ''"));
    return QString();
}

QString ColumnDef(const Connection& connection, const QString& name, FieldType type, bool noDefault,
                  int size) {
    return ColumnDef(connection.provider(), name, type, noDefault, size);
}

QString GetIndicator(Query& query, const QString& name, const QString& defaultValue) {
    g_lastIndicatorId = 0;
    const QString select =
        QStringLiteral("SELECT * FROM характеристика WHERE показник='") + QuoteSql(name) + u'\'';
    if (!RunQuery(query, select, true))
        return defaultValue;
    if (query.recordCount() == 0) {
        RunQuery(query,
                 QStringLiteral("INSERT INTO характеристика (показник) VALUES ('") +
                     QuoteSql(name) + QStringLiteral("')"),
                 false);
        if (!RunQuery(query, select, true) || query.recordCount() == 0)
            return defaultValue;
    }
    query.first();
    g_lastIndicatorId = static_cast<int>(query.integer(QStringLiteral("id")));
    return query.text(QStringLiteral("значення"));
}

bool ShowIndicator(Query& query, const QString& name, QObject* control) {
    const QString value = GetIndicator(query, name, QString());
    if (control) {
        control->setProperty("text", value);
        control->setProperty("tag", LastIndicatorId());
    }
    return true;
}

bool SetIndicator(Query&, const QString& name, const QString& value) {
    return RunQuery(Db().queryData,
                    QStringLiteral("UPDATE характеристика SET значення='") + QuoteSql(value) +
                        QStringLiteral("' WHERE показник='") + QuoteSql(name) + u'\'',
                    false);
}

namespace {

/** Copies one file, asking Abort/Retry/Ignore on failure; false means stop. */
bool CopyOneFile(const QString& source, const QString& target, bool& stop) {
    for (;;) {
        if (CopyFileReplacing(source, target))
            return true;
        const Answer a =
            AskConfirm(QStringLiteral("Копіювання файлів: Помилка копіювання файлу \"") + target +
                           QStringLiteral("\"."),
                       Answer::Abort | Answer::Retry | Answer::Ignore);
        if (a == Answer::Retry)
            continue;
        stop = a != Answer::Ignore;
        return false;
    }
}

} // namespace

bool CopyFolderFiles(const QString& source, const QString& target, const QStringList& files,
                     bool quietIfEmpty) {
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
    if (all.isEmpty()) {
        if (quietIfEmpty)
            return true;
        ShowWarning(QStringLiteral("Немає файлів для копіювання."));
        return false;
    }
    QDir().mkpath(target);
    enum class ForAll { Ask, No, Yes } forAll = ForAll::Ask;
    for (const QString& file : all) {
        const QString to = JoinPath(target, FileNameOf(file));
        if (QFileInfo::exists(to)) {
            if (forAll == ForAll::No)
                continue;
            if (forAll == ForAll::Ask) {
                const Answer a = AskConfirm(QStringLiteral("Копіювання файлів: \rФайл \"") + to +
                                                QStringLiteral("\" існує. Перезаписати його?"),
                                            Answer::Yes | Answer::No | Answer::Cancel |
                                                Answer::NoToAll | Answer::YesToAll);
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
        if (!CopyOneFile(file, to, stop) && stop)
            return false;
    }
    return true;
}
