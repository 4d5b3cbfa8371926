#pragma once

#include <QString>

/** The program's version, the project's version of the build ("1.3.180109"). */
QString ProgramVersion();

/** The paths every window uses, computed once at start-up from the program's folder. */
struct TSettings {
    QString AppDir;
    QString ProjectsDir;
    QString TempDir;
    QString TemplateDir;
    QString SettingsFile;
};

/** The program's title, version and paths. */
struct TGlobalVar {
    QString AppTitle = QStringLiteral("Грошова оцінка земель населених пунктів");
    QString AppVersion = ProgramVersion();
    TSettings Settings;
};

TGlobalVar& GlobalVar();
/** Fills the paths from the program folder (no trailing separator) and creates TempDir. */
void InitGlobalVar(const QString& appDir);
