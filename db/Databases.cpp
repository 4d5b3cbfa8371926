#include "db/Databases.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"

Databases& Db() {
    static Databases databases;
    return databases;
}

bool Databases::ConnectCatalogue(QString* error) {
    if (main.isOpen())
        return true;
    if (main.open(JoinPath(GlobalVar().Settings.AppDir, CatalogueFileName())))
        return true;
    return FailWith(error, QStringLiteral("Підключення до бази даних програми.\rПомилка: ") +
                               main.errorText());
}

bool Databases::ConnectTemplate(QString* error) {
    if (templ.isOpen())
        return true;
    const QString path = JoinPath(
        JoinPath(GlobalVar().Settings.TemplateDir, QStringLiteral("наспункт")), DataFileName());
    if (templ.open(path))
        return true;
    return FailWith(error, QStringLiteral("Підключення до бази даних шаблону.\rПомилка: ") +
                               templ.errorText());
}

bool Databases::ConnectProject(const QString& folder, QString* error) {
    CloseProject();
    if (data.open(JoinPath(folder, DataFileName())))
        return true;
    return FailWith(error, QStringLiteral("Підключення до бази даних проекту.\rПомилка: ") +
                               data.errorText());
}

void Databases::CloseProject() {
    queryData.close();
    queryData2.close();
    data.close();
}
