#include "catalogue/core/Catalogue.h"

#include "valuation/Schema.h"

#include "catalogue/core/CatalogueOpen.h"
#include "catalogue/core/CataloguePaths.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
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

bool LoadProjectRows(ProjectTreeRows& rows) {
    rows = {};
    if (!OpenCatalogue())
        return false;
    Query& q = Db().queryMain;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM projects ORDER BY id"), true)) {
        // A catalogue that opened but cannot be read through is offered its copy once.
        const QString reason = LastError();
        if (!OfferCatalogueCopy(reason) || !OpenCatalogue())
            return false;
        if (!RunQuery(q, QStringLiteral("SELECT * FROM projects ORDER BY id"), true)) {
            ShowError(QStringLiteral("Помилка завантаження проектів. Подробиці: ") + LastError());
            return false;
        }
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

bool LoadProjectEntries(const QString& folder, std::vector<ListEntry>& settlements,
                        std::vector<ListEntry>& files) {
    settlements.clear();
    files.clear();
    if (!FolderExistsQuiet(folder)) {
        ShowError(QStringLiteral("Завантаження бази даних проекту.\rПомилка: Папка \"") + folder +
                  QStringLiteral("\" не існує."));
        return false;
    }
    if (!Db().ConnectProject(folder))
        return false;
    Query& q = Db().queryData;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data ORDER BY id"), true)) {
        ShowError(QStringLiteral("Помилка завантаження даних проекту. Подробиці: ") + LastError());
        return false;
    }
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

bool LoadSettlementEntries(const QString& folder, std::vector<ListEntry>& files, bool* connected) {
    files.clear();
    if (connected)
        *connected = false;
    if (!FolderExistsQuiet(folder)) {
        ShowError(QStringLiteral("Завантаження бази даних нас.пункту.\rПомилка: Папка \"") +
                  folder + QStringLiteral("\" не існує."));
        return false;
    }
    if (!Db().ConnectProject(folder))
        return false;
    if (connected)
        *connected = true;
    Query& q = Db().queryData;
    // A database of an older version gets its missing tables and columns once, here; a
    // failure leaves the step that needs them to report it on reading.
    valuation::UpgradeSettlementDatabase(Db().data);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data ORDER BY id"), true)) {
        ShowError(QStringLiteral("Помилка завантаження даних нас.пункту. Подробиці: ") +
                  LastError());
        return false;
    }
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

bool RegisterProjectFolder(const QString& chosen) {
    const QString folder = ExcludeTrailingBackslashes(chosen);
    if (!FileExistsQuiet(JoinPath(folder, DataFileName()))) {
        if (FileExistsQuiet(JoinPath(folder, QStringLiteral("data.mdb"))))
            ShowError(QStringLiteral("Завантаження проекту.\rПомилка: Папка містить базу даних "
                                     "\"data.mdb\" попередньої версії програми; її перенесення ще "
                                     "не підтримується."));
        else
            ShowError(QStringLiteral("Завантаження проекту.\rПомилка: В папці не знайдені дані про "
                                     "проект грошової оцінки."));
        return false;
    }
    const QString projectUid = RandomDigits(20);
    const QString name = FieldOf(folder, QStringLiteral("/"), folder, -1);
    if (!OpenCatalogue() || !Db().ConnectProject(folder))
        return false;
    if (!RunQuery(Db().queryMain,
                  QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES (") +
                      SqlLiteral(projectUid) + u',' + SqlLiteral(name) + u',' +
                      SqlLiteral(StoredPath(folder)) + u')',
                  false)) {
        ShowError(QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
        return false;
    }
    Query& q = Db().queryData;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM data WHERE code=2 ORDER BY id"), true)) {
        ShowError(QStringLiteral("Запит про населені пункти проекту.\rПомилка: ") + LastError());
        return true;
    }
    for (q.first(); !q.eof(); q.next()) {
        if (!RunQuery(
                Db().queryMain,
                QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES (") +
                    SqlLiteral(RandomDigits(20)) + u',' + SqlLiteral(projectUid) + u',' +
                    SqlLiteral(q.text(QStringLiteral("named"))) + u',' +
                    SqlLiteral(StoredPath(JoinPath(folder, q.text(QStringLiteral("pathname"))))) +
                    u')',
                false)) {
            ShowError(QStringLiteral("Додавання даних населеного пункту у базу.\rПомилка: ") +
                      LastError());
            break;
        }
    }
    q.close();
    return true;
}

bool DeleteProjectRows(const TProjectItem& item) {
    if (!OpenCatalogue())
        return false;
    if (!RunQuery(Db().queryMain,
                  QStringLiteral("DELETE FROM projects WHERE uid=") + SqlLiteral(item.uid) +
                      QStringLiteral(" or part_uid=") + SqlLiteral(item.uid),
                  false)) {
        ShowError(QStringLiteral("Помилка вилучення з бази проектів.\rПодробиці: ") + LastError());
        return false;
    }
    return true;
}

bool DeleteProjectFolder(const QString& pathname) {
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
    if (throughLink || guarded) {
        ShowWarning(QStringLiteral("Папку \"") + pathname + QStringLiteral("\" не вилучено."));
        return false;
    }
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

bool AddFileToFolder(const QString& source, const QString& folder,
                     const QStringList& listedCaptions, ListEntry& added) {
    const int kind = FileKind(source);
    QString target = JoinPath(folder, FileNameOf(source));
    if (!SameFile(source, target)) {
        if (QFileInfo::exists(target)) {
            const Answer a =
                AskConfirm(QStringLiteral("Файл уже є в папці проекту. Бажаєте його замінити?"),
                           Answer::Yes | Answer::No | Answer::Cancel);
            if (a == Answer::Yes)
                QFile::remove(target);
            else if (a == Answer::No)
                target = UniqueFileName(target, QStringLiteral("_"));
            else
                return false;
        }
        if (!QFile::copy(source, target)) {
            ShowError(QStringLiteral("Помилка копіювання файлу: \"") + source + u'"');
            return false;
        }
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
    if (!RunQuery(Db().queryData,
                  QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (") +
                      QString::number(kind) + u',' + SqlLiteral(name) + u',' + SqlLiteral(name) +
                      u')',
                  false))
        return false;
    added = {name, kind, target, QString()};
    return true;
}

bool RemoveFileEntry(const ListEntry& entry) {
    if (entry.kind != KindWord && entry.kind != KindExcel && entry.kind != KindMap) {
        ShowWarning(QStringLiteral("Цей запис видалити неможливо."));
        return false;
    }
    if (entry.id.isEmpty()) {
        ShowWarning(QStringLiteral("Цей запис видалити неможливо. Завантажте список повторно."));
        return false;
    }
    if (!RunQuery(Db().queryData2, QStringLiteral("DELETE FROM data WHERE id=") + entry.id,
                  false)) {
        ShowError(QStringLiteral("Видалення \"") + entry.caption +
                  QStringLiteral("\"\rПодробиці: ") + LastError());
        return false;
    }
    return true;
}

bool ExportMaterials(const QString& settlementFolder, const QString& targetFolder) {
    if (QFileInfo::exists(JoinPath(targetFolder, QStringLiteral("райони.tab"))) &&
        AskConfirm(QStringLiteral("У зазначеній папці вже є матеріали оцінки. Замінити файли?"),
                   Answer::Ok | Answer::Cancel) != Answer::Ok)
        return false;
    for (const char* mask :
         {"*.tab", "*.dat", "*.id", "*.map", "*.wkt", "*.doc", "*.docx", "*.xls", "*.xlsx"}) {
        for (const QString& source : ListFiles(settlementFolder, QString::fromLatin1(mask), true)) {
            const QString target = JoinPath(targetFolder, FileNameOf(source));
            QFile::remove(target);
            if (!QFile::copy(source, target)) {
                ShowError(QStringLiteral("Помилка копіювання файлу: \"") + source + u'"');
                return false;
            }
        }
    }
    ShowInfo(QStringLiteral("Завершено."));
    return true;
}

} // namespace catalogue
