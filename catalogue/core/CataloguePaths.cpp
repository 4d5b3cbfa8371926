#include "catalogue/core/CataloguePaths.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "db/BulkStore.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

namespace catalogue {

namespace {

/** The marker row of "налаштування" that tells the paths were changed. */
const QString kMarker = QStringLiteral("ШляхиВідносні");

QString Root() {
    return QDir::cleanPath(GlobalVar().Settings.ProjectsDir);
}

QString Absolute(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

/** The path relative to the root when it lies inside it, else "". */
QString RelativeInside(const QString& root, const QString& path) {
    if (root.isEmpty() || path.isEmpty())
        return QString();
    const QString relative = QDir(root).relativeFilePath(path);
    if (relative.isEmpty() || relative == QLatin1String(".") ||
        relative.startsWith(QLatin1String("../")) || relative == QLatin1String("..") ||
        !QDir::isRelativePath(relative))
        return QString();
    return relative;
}

/** Relative to the root, by the path as written or, through links, by where it really is. */
QString RelativeToRoot(const QString& folder) {
    const QString root = Root();
    const QString path = Absolute(folder);
    QString relative = RelativeInside(root, path);
    if (relative.isEmpty()) {
        const QString realRoot = QFileInfo(root).canonicalFilePath();
        const QString realPath = QFileInfo(path).canonicalFilePath();
        if (!realRoot.isEmpty() && !realPath.isEmpty())
            relative = RelativeInside(realRoot, realPath);
    }
    return relative;
}

} // namespace

bool IsUnderProjectsRoot(const QString& folder) {
    return !RelativeToRoot(folder).isEmpty();
}

QString StoredPath(const QString& folder) {
    if (folder.trimmed().isEmpty())
        return folder;
    const QString relative = RelativeToRoot(folder);
    return relative.isEmpty() ? Absolute(folder) : relative;
}

namespace {

bool SamePath(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

QString SettlementNameAt(Connection& catalogue, const QString& folder) {
    Query q(&catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT named, pathname FROM projects ORDER BY id"), true))
        return QString();
    for (q.first(); !q.eof(); q.next())
        if (!q.text(1).isEmpty() && SamePath(ResolvedPath(q.text(1)), folder) &&
            !q.text(0).isEmpty())
            return q.text(0);
    return QString();
}

QString ResolvedPath(const QString& stored) {
    if (stored.trimmed().isEmpty())
        return stored;
    if (QDir::isRelativePath(stored))
        return QDir::cleanPath(JoinPath(Root(), stored));
    return stored;
}

bool ConvertCataloguePaths(Connection& catalogue, QString* error) {
    Query q(&catalogue);
    const bool haveSettings = TableExists(catalogue, QStringLiteral("налаштування"));
    if (haveSettings) {
        if (!RunQuery(
                q, QStringLiteral("SELECT id FROM налаштування WHERE code=") + SqlLiteral(kMarker),
                true))
            return FailReading(error, QStringLiteral("налаштування"));
        if (!q.eof())
            return true;
        q.close();
    }
    const QString root = Root();
    const QString rootName = QFileInfo(root).fileName();
    if (!RunQuery(q, QStringLiteral("SELECT id, pathname FROM projects ORDER BY id"), true))
        return FailReading(error, QStringLiteral("projects"));
    std::vector<std::pair<QString, QString>> changes; // id, new pathname
    for (q.first(); !q.eof(); q.next()) {
        const QString path = q.text(1);
        if (path.trimmed().isEmpty() || QDir::isRelativePath(path))
            continue;
        QString relative = RelativeToRoot(path);
        if (relative.isEmpty() && !QFileInfo::exists(path) && !rootName.isEmpty()) {
            // A folder of an earlier place of the program: the part after its projects root.
            const QString marker = u'/' + rootName + u'/';
            const qsizetype at = QDir::fromNativeSeparators(path).lastIndexOf(marker);
            if (at >= 0) {
                const QString rest = QDir::fromNativeSeparators(path).mid(at + marker.size());
                if (!rest.isEmpty() && QFileInfo(JoinPath(root, rest)).isDir())
                    relative = RelativeToRoot(JoinPath(root, rest));
            }
        }
        if (!relative.isEmpty())
            changes.emplace_back(q.text(0), relative);
    }
    q.close();

    Transaction transaction(catalogue);
    if (!transaction.ok())
        return FailUpdating(error);
    bool ok = haveSettings ||
              RunQuery(q,
                       QStringLiteral("CREATE TABLE налаштування (id AUTOINCREMENT, code nvarchar "
                                      "(50), value nvarchar (255))"),
                       false);
    for (size_t i = 0; ok && i < changes.size(); ++i)
        ok = RunQuery(q,
                      QStringLiteral("UPDATE projects SET pathname=") +
                          SqlLiteral(changes[i].second) + QStringLiteral(" WHERE id=") +
                          changes[i].first,
                      false);
    ok = ok && RunQuery(q,
                        QStringLiteral("INSERT INTO налаштування (code, value) VALUES (") +
                            SqlLiteral(kMarker) + QStringLiteral(",'1')"),
                        false);
    // Anything short of the commit is rolled back when the transaction ends.
    if (!ok || !transaction.commit())
        return FailUpdating(error);
    return true;
}

} // namespace catalogue
