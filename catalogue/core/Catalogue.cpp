#include "catalogue/core/Catalogue.h"

#include "valuation/Schema.h"

#include "catalogue/core/CatalogueOpen.h"
#include "catalogue/core/CataloguePaths.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace catalogue {

namespace {

/** The file entries (codes 3 to 6) of the current data connection. */
void AppendFileEntries(const QString& folder, Query& q, std::vector<ListEntry>& files) {
    const int code = static_cast<int>(q.integer(QStringLiteral("code")));
    if (code >= KindWord && code <= KindOtherFile)
        files.push_back({q.text(QStringLiteral("named")), code,
                         JoinPath(folder, q.text(QStringLiteral("pathname"))),
                         q.text(QStringLiteral("id"))});
}

bool SameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

} // namespace

bool LoadProjectRows(const CatalogueContext& context, ProjectTreeRows& rows, QString* error) {
    rows = {};
    if (!OpenCatalogue(context, error))
        return false;
    Query q(&context.db.main);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM projects ORDER BY id"), true)) {
        // A catalogue that opened but cannot be read through is offered its copy once.
        const QString reason = LastError();
        if (!OfferCatalogueCopy(context, reason, error) || !OpenCatalogue(context, error))
            return false;
        if (!RunQuery(q, QStringLiteral("SELECT * FROM projects ORDER BY id"), true))
            return FailWith(error, QStringLiteral("Помилка завантаження проектів. Подробиці: ") +
                                       LastError());
    }
    QHash<QString, int> byUid; // the first node of each uid
    for (q.first(); !q.eof(); q.next()) {
        TProjectItem item{q.text(QStringLiteral("uid")),
                          q.text(QStringLiteral("part_uid")),
                          q.text(QStringLiteral("named")),
                          q.text(QStringLiteral("typed")),
                          ResolvedPath(q.text(QStringLiteral("pathname"))),
                          static_cast<int>(q.integer(QStringLiteral("id")))};
        int parent = -1;
        if (!item.part_uid.isEmpty())
            parent = byUid.value(item.part_uid, -1);
        const int index = static_cast<int>(rows.items.size());
        if (!byUid.contains(item.uid))
            byUid.insert(item.uid, index);
        rows.items.push_back(std::move(item));
        rows.parents.push_back(parent);
    }
    q.close();
    return true;
}

bool LoadProjectEntries(const CatalogueContext& context, const QString& folder,
                        std::vector<ListEntry>& settlements, std::vector<ListEntry>& files,
                        QString* error) {
    settlements.clear();
    files.clear();
    if (!FolderExistsQuiet(folder))
        return FailWith(error,
                        QStringLiteral("Завантаження бази даних проекту.\rПомилка: Папка \"") +
                            folder + QStringLiteral("\" не існує."));
    if (!context.db.ConnectProject(folder, error))
        return false;
    Query q(&context.db.data);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data ORDER BY id"), true))
        return FailWith(error, QStringLiteral("Помилка завантаження даних проекту. Подробиці: ") +
                                   LastError());
    for (q.first(); !q.eof(); q.next()) {
        if (q.integer(QStringLiteral("code")) == KindSettlement)
            settlements.push_back({q.text(QStringLiteral("named")),
                                   KindSettlement,
                                   JoinPath(folder, q.text(QStringLiteral("pathname"))),
                                   {}});
        else
            AppendFileEntries(folder, q, files);
    }
    q.close();
    files.push_back({QStringLiteral("Додати файл"), KindAddFile, {}, {}});
    return true;
}

bool LoadSettlementEntries(const CatalogueContext& context, const QString& folder,
                           std::vector<ListEntry>& files, bool* connected, QString* error) {
    files.clear();
    if (connected)
        *connected = false;
    if (!FolderExistsQuiet(folder))
        return FailWith(error,
                        QStringLiteral("Завантаження бази даних нас.пункту.\rПомилка: Папка \"") +
                            folder + QStringLiteral("\" не існує."));
    Connection& data = context.db.data;
    if (!context.db.ConnectProject(folder, error))
        return false;
    if (connected)
        *connected = true;
    Query q(&data);
    // A database of an older version gets its missing tables and columns once, here; a
    // failure leaves the step that needs them to report it on reading.
    valuation::UpgradeSettlementDatabase(data);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data ORDER BY id"), true))
        return FailWith(error,
                        QStringLiteral("Помилка завантаження даних нас.пункту. Подробиці: ") +
                            LastError());
    for (q.first(); !q.eof(); q.next())
        AppendFileEntries(folder, q, files);
    q.close();
    files.push_back({QStringLiteral("Заповнити звіт"), KindFillReport, {}, {}});
    files.push_back({QStringLiteral("Експорт матеріалів"), KindExport, {}, {}});
    files.push_back({QStringLiteral("Відкрити папку з матеріалами"), KindOpenFolder, {}, {}});
    return true;
}

QString SettlementStatusWord(const QString& name) {
    if (name.contains(QStringLiteral("с.")))
        return QStringLiteral("село");
    if (name.contains(QStringLiteral("смт")))
        return QStringLiteral("селище міського типу");
    if (name.contains(QStringLiteral("с-ще")))
        return QStringLiteral("селище");
    if (name.contains(QStringLiteral("м.")))
        return QStringLiteral("місто");
    return QString();
}

QString ProjectFolderFor(const QString& projectName) {
    return JoinPath(GlobalVar().Settings.ProjectsDir, SafeFileName(projectName));
}

bool RegisterProjectFolder(const CatalogueContext& context, const QString& chosen, QString* error) {
    const QString folder = ExcludeTrailingBackslashes(chosen);
    if (!FileExistsQuiet(JoinPath(folder, DataFileName()))) {
        if (FileExistsQuiet(JoinPath(folder, QStringLiteral("data.mdb"))))
            return FailWith(error,
                            QStringLiteral("Завантаження проекту.\rПомилка: Папка містить базу "
                                           "даних \"data.mdb\" попередньої версії програми; її "
                                           "перенесення ще не підтримується."));
        return FailWith(error, QStringLiteral("Завантаження проекту.\rПомилка: В папці не "
                                              "знайдені дані про проект грошової оцінки."));
    }
    const QString projectUid = RandomDigits(20);
    const QString name = FieldOf(folder, QStringLiteral("/"), folder, -1);
    if (!OpenCatalogue(context, error) || !context.db.ConnectProject(folder, error))
        return false;
    Query insert(&context.db.main);
    if (!RunQuery(insert,
                  QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES (") +
                      SqlLiteral(projectUid) + u',' + SqlLiteral(name) + u',' +
                      SqlLiteral(StoredPath(folder)) + u')',
                  false))
        return FailWith(error,
                        QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
    Query q(&context.db.data);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data WHERE code=2 ORDER BY id"), true)) {
        FailWith(error,
                 QStringLiteral("Запит про населені пункти проекту.\rПомилка: ") + LastError());
        return true;
    }
    for (q.first(); !q.eof(); q.next()) {
        if (!RunQuery(
                insert,
                QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES (") +
                    SqlLiteral(RandomDigits(20)) + u',' + SqlLiteral(projectUid) + u',' +
                    SqlLiteral(q.text(QStringLiteral("named"))) + u',' +
                    SqlLiteral(StoredPath(JoinPath(folder, q.text(QStringLiteral("pathname"))))) +
                    u')',
                false)) {
            FailWith(error, QStringLiteral("Додавання даних населеного пункту у базу.\rПомилка: ") +
                                LastError());
            break;
        }
    }
    q.close();
    return true;
}

bool DeleteProjectRows(const CatalogueContext& context, const TProjectItem& item, QString* error) {
    if (!OpenCatalogue(context, error))
        return false;
    Query q(&context.db.main);
    if (!RunQuery(q,
                  QStringLiteral("DELETE FROM projects WHERE uid=") + SqlLiteral(item.uid) +
                      QStringLiteral(" or part_uid=") + SqlLiteral(item.uid),
                  false))
        return FailWith(error, QStringLiteral("Помилка вилучення з бази проектів.\rПодробиці: ") +
                                   LastError());
    return true;
}

bool DeleteProjectFolder(const QString& pathname, QString* warning) {
    if (pathname.trimmed().isEmpty())
        return false;
    const QFileInfo info(pathname);
    if (!info.exists())
        return true;
    const QString canonical = info.canonicalFilePath();
    const QString cleaned = QDir::cleanPath(info.absoluteFilePath());
    const TSettings& s = GlobalVar().Settings;
    const QString root = QFileInfo(s.ProjectsDir).canonicalFilePath();
    const QString appDir = QFileInfo(s.AppDir).canonicalFilePath();
    const bool insideRoot = !root.isEmpty() && canonical.startsWith(root + u'/');
    // A link, or a path that reaches elsewhere through a link, is never followed out of the
    // projects root; the root itself, the program folder and their parents are never deleted.
    const bool throughLink = info.isSymLink() || (canonical != cleaned && !insideRoot);
    const bool guarded = canonical == root || canonical == appDir ||
                         root.startsWith(canonical + u'/') || appDir.startsWith(canonical + u'/') ||
                         canonical == QDir::rootPath() || canonical == QDir::homePath();
    if (throughLink || guarded)
        return FailWith(warning,
                        QStringLiteral("Папку \"") + pathname + QStringLiteral("\" не вилучено."));
    return DeleteFolder(canonical);
}

int FileKind(const QString& path) {
    const QString ext = FileExtLower(path);
    if (ext == QStringLiteral(".doc") || ext == QStringLiteral(".docx"))
        return KindWord;
    if (ext == QStringLiteral(".xls") || ext == QStringLiteral(".xlsx"))
        return KindExcel;
    if (ext == QStringLiteral(".tab"))
        return KindMap;
    return KindOtherFile;
}

bool AddFileToFolder(const CatalogueContext& context, const QString& source, const QString& folder,
                     const QStringList& listedCaptions, ListEntry& added, QString* error) {
    const int kind = FileKind(source);
    QString target = JoinPath(folder, FileNameOf(source));
    if (!SameFile(source, target)) {
        if (QFileInfo::exists(target)) {
            const Answer a = context.ask.replaceFileInFolder(target);
            if (a == Answer::Yes)
                QFile::remove(target);
            else if (a == Answer::No)
                target = UniqueFileName(target, QStringLiteral("_"));
            else
                return false;
        }
        if (!QFile::copy(source, target))
            return FailWith(error, QStringLiteral("Помилка копіювання файлу: \"") + source + u'"');
        if (kind == KindMap && FileExtLower(source) == QStringLiteral(".tab")) {
            const QString sourceBase = FileBaseName(source);
            const QString targetBase = FileBaseName(target);
            // ".wkt": the exact coordinate system an import keeps beside its table.
            for (const char* ext : {".id", ".dat", ".map", ".ind", ".wkt"}) {
                for (const QString& e :
                     {QString::fromLatin1(ext), QString::fromLatin1(ext).toUpper()}) {
                    if (QFileInfo::exists(sourceBase + e)) {
                        QFile::remove(targetBase + e);
                        QFile::copy(sourceBase + e, targetBase + e);
                        break;
                    }
                }
            }
        }
    }
    const QString name = FileNameOf(target);
    if (listedCaptions.contains(name))
        return false;
    Query q(&context.db.data);
    if (!RunQuery(q,
                  QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (") +
                      QString::number(kind) + u',' + SqlLiteral(name) + u',' + SqlLiteral(name) +
                      u')',
                  false))
        return FailWith(error, QStringLiteral("Файл \"") + name +
                                   QStringLiteral("\" скопійовано до папки, але не внесено до "
                                                  "переліку матеріалів (таблиця data)."));
    added = {name, kind, target, QString()};
    return true;
}

QString RemovalProblem(const ListEntry& entry) {
    if (entry.kind != KindWord && entry.kind != KindExcel && entry.kind != KindMap)
        return QStringLiteral("Цей запис видалити неможливо.");
    if (entry.id.isEmpty())
        return QStringLiteral("Цей запис видалити неможливо. Завантажте список повторно.");
    return QString();
}

bool RemoveFileEntry(const CatalogueContext& context, const ListEntry& entry, QString* error) {
    if (const QString problem = RemovalProblem(entry); !problem.isEmpty())
        return FailWith(error, problem);
    Query q(&context.db.data);
    if (!RunQuery(q, QStringLiteral("DELETE FROM data WHERE id=") + entry.id, false))
        return FailWith(error, QStringLiteral("Видалення \"") + entry.caption +
                                   QStringLiteral("\"\rПодробиці: ") + LastError());
    return true;
}

QString ExportFinishedText() {
    return QStringLiteral("Завершено.");
}

bool ExportMaterials(Questions& ask, const QString& settlementFolder, const QString& targetFolder,
                     QString* error) {
    if (QFileInfo::exists(JoinPath(targetFolder, QStringLiteral("райони.tab"))) &&
        !ask.replaceMaterials(targetFolder))
        return false;
    for (const char* mask :
         {"*.tab", "*.dat", "*.id", "*.map", "*.wkt", "*.doc", "*.docx", "*.xls", "*.xlsx"}) {
        for (const QString& source : ListFiles(settlementFolder, QString::fromLatin1(mask), true)) {
            const QString target = JoinPath(targetFolder, FileNameOf(source));
            QFile::remove(target);
            if (!QFile::copy(source, target))
                return FailWith(error,
                                QStringLiteral("Помилка копіювання файлу: \"") + source + u'"');
        }
    }
    return true;
}

} // namespace catalogue
