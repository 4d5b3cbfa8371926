// Builds the program folder: the catalogue database with its reference tables, the template
// databases of projects and settlements, "settings.dat" and the empty working folders.
//
//   make_appdir DATA_DIR APP_DIR
//
// Template databases are program data and are rebuilt when their sources change. The catalogue
// also holds the user's projects: it is created when missing, and rebuilt on a change of its
// sources with the registered projects carried over.

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_appdir: cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

/** Splits an SQL script into statements at ";" outside quotes; "--" comments dropped. */
QStringList Statements(const QString& script) {
    QStringList statements;
    QString current;
    bool quote = false;
    for (const QString& rawLine : script.split(u'\n')) {
        QString line = rawLine;
        if (!quote && line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        for (QChar c : line) {
            if (c == u'\'')
                quote = !quote;
            if (c == u';' && !quote) {
                if (!current.trimmed().isEmpty())
                    statements << current.trimmed();
                current.clear();
            } else {
                current += c;
            }
        }
        current += u'\n';
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

void RunScript(Connection& db, const QString& path) {
    Query q(&db);
    for (const QString& statement : Statements(ReadText(path))) {
        if (!RunQuery(q, statement, false)) {
            std::fprintf(stderr, "make_appdir: %s: %s\n", qPrintable(path),
                         qPrintable(LastError()));
            std::exit(1);
        }
    }
}

/** Copies a ";"-separated file whose first line names the columns into the table. */
void ImportCsv(Connection& db, const QString& path, const QString& table) {
    QStringList lines = ReadText(path).split(u'\n');
    if (lines.isEmpty())
        return;
    const QStringList columns = SplitCsvLine(lines.takeFirst().trimmed());
    const auto fail = [&path]() {
        std::fprintf(stderr, "make_appdir: %s: %s\n", qPrintable(path), qPrintable(LastError()));
        std::exit(1);
    };
    Transaction transaction(db);
    BulkInsert insert(db, table, columns);
    if (!transaction.ok() || !insert.ok())
        fail();
    for (const QString& raw : lines) {
        const QString line = raw.endsWith(u'\r') ? raw.chopped(1) : raw;
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = SplitCsvLine(line);
        SqlRow row;
        for (int i = 0; i < columns.size(); ++i)
            row.push_back(fields.value(i));
        if (!insert.insert(row))
            fail();
    }
    if (!transaction.commit())
        fail();
}

QString SourcesHash(const QStringList& files) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& f : files)
        hash.addData(ReadText(f).toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

/** The hash of the sources a database was built from (kept in a table of its own). */
QString StoredHash(const QString& path) {
    Connection db;
    if (!db.open(path))
        return QString();
    Query q(&db);
    if (!RunQuery(q, QStringLiteral("SELECT value FROM збірка WHERE code='sources'"), true, true))
        return QString();
    return q.text(0);
}

void StoreHash(Connection& db, const QString& hash) {
    Query q(&db);
    RunQuery(q, QStringLiteral("CREATE TABLE збірка (code nvarchar (50), value nvarchar (100))"),
             false);
    RunQuery(q,
             QStringLiteral("INSERT INTO збірка (code, value) VALUES ('sources','") + hash +
                 QStringLiteral("')"),
             false);
}

/** Builds a database into a temporary file, then puts it in place. */
template <typename Fill> void BuildDatabase(const QString& path, const QString& hash, Fill fill) {
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    {
        Connection db;
        if (!db.create(temp)) {
            std::fprintf(stderr, "make_appdir: %s: %s\n", qPrintable(temp),
                         qPrintable(db.errorText()));
            std::exit(1);
        }
        fill(db);
        StoreHash(db, hash);
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        std::fprintf(stderr, "make_appdir: cannot replace %s\n", qPrintable(path));
        std::exit(1);
    }
}

/** Carries the registered projects of an older catalogue into the new one. */
void CarryProjects(Connection& db, const QString& oldPath) {
    Query q(&db);
    if (!RunQuery(
            q, QStringLiteral("ATTACH DATABASE '") + QuoteSql(oldPath) + QStringLiteral("' AS old"),
            false))
        return;
    RunQuery(q,
             QStringLiteral("INSERT INTO projects (id, uid, part_uid, named, typed, pathname) "
                            "SELECT id, uid, part_uid, named, typed, pathname FROM old.projects"),
             false);
    RunQuery(q, QStringLiteral("DETACH DATABASE old"), false);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make_appdir DATA_DIR APP_DIR\n");
        return 2;
    }
    const QString data = args[1];
    const QString appDir = args[2];
    auto source = [&](const char* name) { return JoinPath(data, QString::fromUtf8(name)); };
    const QString templ = JoinPath(appDir, QStringLiteral("Шаблон"));
    for (const QString& dir :
         {JoinPath(appDir, QStringLiteral("Temp")), JoinPath(appDir, QStringLiteral("Проекти")),
          JoinPath(templ, QStringLiteral("проект")), JoinPath(templ, QStringLiteral("наспункт"))})
        QDir().mkpath(dir);

    // Catalogue.
    const QStringList catalogueSources = {source("catalogue.sql"),
                                          source("reference/koatuu.csv"),
                                          source("reference/індексація.csv"),
                                          source("reference/грунти.csv"),
                                          source("reference/локальні.csv"),
                                          source("reference/збірник_цін.csv"),
                                          source("reference/призначення.csv")};
    const QString catalogue = JoinPath(appDir, QStringLiteral("baza.sqlite"));
    const QString catalogueHash = SourcesHash(catalogueSources);
    if (StoredHash(catalogue) != catalogueHash) {
        const bool existed = QFile::exists(catalogue);
        BuildDatabase(catalogue, catalogueHash, [&](Connection& db) {
            RunScript(db, source("catalogue.sql"));
            ImportCsv(db, source("reference/koatuu.csv"), QStringLiteral("коатуу"));
            ImportCsv(db, source("reference/індексація.csv"), QStringLiteral("індексація"));
            ImportCsv(db, source("reference/грунти.csv"), QStringLiteral("грунти"));
            ImportCsv(db, source("reference/локальні.csv"), QStringLiteral("локальні"));
            ImportCsv(db, source("reference/збірник_цін.csv"), QStringLiteral("збірник_цін"));
            ImportCsv(db, source("reference/призначення.csv"), QStringLiteral("призначення"));
            if (existed)
                CarryProjects(db, catalogue);
        });
    }

    // Templates.
    const QStringList projectSources = {source("project.sql")};
    const QString projectDb =
        JoinPath(JoinPath(templ, QStringLiteral("проект")), QStringLiteral("data.sqlite"));
    if (StoredHash(projectDb) != SourcesHash(projectSources))
        BuildDatabase(projectDb, SourcesHash(projectSources),
                      [&](Connection& db) { RunScript(db, source("project.sql")); });
    const QStringList settlementSources = {source("settlement.sql"), source("settlement_rows.sql"),
                                           source("expert_factors.sql")};
    const QString settlementDb =
        JoinPath(JoinPath(templ, QStringLiteral("наспункт")), QStringLiteral("data.sqlite"));
    if (StoredHash(settlementDb) != SourcesHash(settlementSources))
        BuildDatabase(settlementDb, SourcesHash(settlementSources), [&](Connection& db) {
            for (const QString& s : settlementSources)
                RunScript(db, s);
        });

    // Settings: the update source and the office behaviour; an existing file is kept.
    const QString settings = JoinPath(appDir, QStringLiteral("settings.dat"));
    if (!QFile::exists(settings)) {
        QFile file(settings);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(ReadText(source("settings.dat")).toUtf8());
    }
    return 0;
}
