#include "common/GlobalVar.h"

#include "common/FileUtils.h"

#include <QDir>

QString ProgramVersion() {
    return QStringLiteral(TAMBERON_VERSION);
}

TGlobalVar& GlobalVar() {
    static TGlobalVar global;
    return global;
}

void InitGlobalVar(const QString& appDir) {
    TSettings& s = GlobalVar().Settings;
    s.AppDir = ExcludeTrailingBackslashes(QDir::cleanPath(appDir));
    s.ProjectsDir = JoinPath(s.AppDir, QStringLiteral("Проекти"));
    s.TempDir = JoinPath(s.AppDir, QStringLiteral("Temp"));
    s.TemplateDir = JoinPath(s.AppDir, QStringLiteral("Шаблон"));
    s.SettingsFile = JoinPath(s.AppDir, QStringLiteral("settings.dat"));
    QDir().mkpath(s.TempDir);
}
