#include "common/FileUtils.h"

#include "common/GlobalVar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

bool FolderExistsQuiet(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool FileExistsQuiet(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QStringList ListFiles(const QString& folder, const QString& masks, bool fullPaths) {
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    const QStringList filters = masks.split(u';', Qt::SkipEmptyParts);
    QStringList names =
        dir.entryList(filters, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    if (fullPaths) {
        for (QString& name : names)
            name = JoinPath(ExcludeTrailingBackslashes(folder), name);
    }
    return names;
}

namespace {

bool RemoveEntry(const QFileInfo& entry) {
    if (entry.isSymLink())
        return QFile::remove(entry.filePath());
    if (entry.isDir())
        return DeleteFolder(entry.filePath());
    QFile file(entry.filePath());
    file.setPermissions(file.permissions() | QFile::WriteOwner | QFile::ReadOwner);
    return file.remove();
}

} // namespace

bool DeleteFolder(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (info.isSymLink())
        return QFile::remove(folder);
    if (!info.exists())
        return true;
    if (!info.isDir())
        return false;
    QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries)
        RemoveEntry(entry);
    QDir parent = info.dir();
    parent.rmdir(info.fileName());
    return !QFileInfo::exists(folder);
}

QString UniqueFileName(const QString& path, const QString& separator) {
    const QString folder = FolderOf(path);
    const QString name = FileNameOf(path);
    const qsizetype point = name.lastIndexOf(u'.');
    const QString base = point < 0 ? name : name.left(point);
    const QString ext = point < 0 ? QString() : name.mid(point);
    for (int n = 2;; ++n) {
        const QString candidate = JoinPath(folder, base + separator + QString::number(n) + ext);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

QString SafeFileName(const QString& text) {
    QString name = text;
    for (QChar& c : name) {
        switch (c.unicode()) {
        case u'*':
        case u'/':
        case u':':
        case u'?':
        case u'\\':
        case u'|':
            c = u'_';
            break;
        case u'"':
        case u'\'':
            c = u'`';
            break;
        default:
            break;
        }
    }
    // Such a name would point at the folder itself or at its parent.
    bool onlyDotsAndBlanks = true;
    for (QChar c : name)
        if (c != u'.' && !c.isSpace())
            onlyDotsAndBlanks = false;
    return onlyDotsAndBlanks ? QStringLiteral("_") : name;
}

QString IniRead(const QString& file, const QString& section, const QString& key,
                const QString& defaultValue) {
    QString path = file;
    if (!file.contains(u'/') && !file.contains(u'\\'))
        path = JoinPath(GlobalVar().Settings.AppDir, file);
    QFile ini(path);
    if (!ini.open(QIODevice::ReadOnly | QIODevice::Text))
        return defaultValue;
    QTextStream in(&ini);
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return defaultValue;
}

QString FileBaseName(const QString& name) {
    const QString fileName = FileNameOf(name);
    const qsizetype point = fileName.lastIndexOf(u'.');
    const QString base = point < 0 ? fileName : fileName.left(point);
    return name.left(name.size() - fileName.size()) + base;
}

QString FileNameNoExt(const QString& path, bool keepCase) {
    const QString name = FileNameOf(path);
    const qsizetype point = name.lastIndexOf(u'.');
    const QString base = point < 0 ? name : name.left(point);
    return keepCase ? base : base.toLower();
}

QString FileExtLower(const QString& path) {
    const QString name = FileNameOf(path);
    const qsizetype point = name.lastIndexOf(u'.');
    return point < 0 ? QString() : name.mid(point).toLower();
}

QString FileNameOf(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

QString FolderOf(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString ExcludeTrailingBackslashes(const QString& path) {
    QString result = path;
    while (result.size() > 1 && (result.endsWith(u'/') || result.endsWith(u'\\')))
        result.chop(1);
    return result;
}

QString IncludeTrailingBackslash(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'/') || path.endsWith(u'\\'))
        return path;
    return path + u'/';
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    return IncludeTrailingBackslash(folder) + name;
}

bool CopyFileReplacing(const QString& source, const QString& target) {
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath() &&
        QFileInfo::exists(target))
        return true;
    if (QFileInfo::exists(target) && !QFile::remove(target))
        return false;
    return QFile::copy(source, target);
}

namespace {

#ifdef Q_OS_UNIX
bool SyncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

bool SyncFile(const QString& path) {
#ifdef Q_OS_UNIX
    return SyncPath(path, O_RDONLY);
#else
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.flush();
#endif
}

bool SyncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    return SyncPath(folder, O_RDONLY | O_DIRECTORY);
#else
    Q_UNUSED(folder);
    return true; // the folder's entries are written with the files there
#endif
}
