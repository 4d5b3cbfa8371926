#include "common/ProgramPlace.h"

#include "common/FileUtils.h"

#include <QDir>
#include <QFileInfo>

bool HoldsProgramData(const QString& folder) {
    return !folder.isEmpty() &&
           QFileInfo(JoinPath(folder, QStringLiteral("baza.sqlite"))).isFile() &&
           QFileInfo(JoinPath(folder, QStringLiteral("Шаблон"))).isDir();
}

QString InstalledDataFolder(const QString& executableDir) {
    return QDir::cleanPath(JoinPath(executableDir, QStringLiteral("../share/tamberon")));
}

QString UserProgramFolder() {
    // A relative $XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = JoinPath(QDir::homePath(), QStringLiteral(".local/share"));
    return JoinPath(QDir::cleanPath(base), QStringLiteral("tamberon"));
}

ProgramPlace LocateProgram(const QString& executableDir) {
    const QString own = ExcludeTrailingBackslashes(QDir::cleanPath(executableDir));
    if (HoldsProgramData(own)) {
        if (QFileInfo(own).isWritable() &&
            QFileInfo(JoinPath(own, QStringLiteral("baza.sqlite"))).isWritable())
            return {own, {}};
        return {UserProgramFolder(), own};
    }
    const QString installed = InstalledDataFolder(own);
    if (HoldsProgramData(installed))
        return {UserProgramFolder(), installed};
    return {own, {}};
}
