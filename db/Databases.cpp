#include "db/Databases.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"

Databases& Db() {
    static Databases databases;
    return databases;
}

bool Databases::ConnectCatalogue() {
    if (main.isOpen())
        return true;
    if (main.open(JoinPath(GlobalVar().Settings.AppDir, CatalogueFileName())))
        return true;
    ShowError(QStringLiteral("Підключення до бази даних програми.\rПомилка: ") + main.errorText());
    return false;
}

bool Databases::ConnectTemplate() {
    if (templ.isOpen())
        return true;
    const QString path = JoinPath(
        JoinPath(GlobalVar().Settings.TemplateDir, QStringLiteral("наспункт")), DataFileName());
    if (templ.open(path))
        return true;
    ShowError(QStringLiteral("Підключення до бази даних шаблону.\rПомилка: ") + templ.errorText());
    return false;
}

bool Databases::ConnectProject(const QString& folder) {
    CloseProject();
    if (data.open(JoinPath(folder, DataFileName())))
        return true;
    ShowError(QStringLiteral("Підключення до бази даних проекту.\rПомилка: ") + data.errorText());
    return false;
}

void Databases::CloseProject() {
    queryData.close();
    queryData2.close();
    data.close();
}
