#include "steps/common/StepStore.h"

#include "common/LastError.h"
#include "db/Backup.h"
#include "db/Database.h"

QString StoreFailedText() {
    return QStringLiteral("Оновлення даних у базі даних.\rПомилка: ");
}

QString LoadFailedText(const QString& table) {
    return QStringLiteral("Вибірка із бази \"") + table + QStringLiteral("\"\rПодробиці: ");
}

bool StoreInTransaction(Connection* project, const std::function<bool()>& body) {
    ClearLastError();
    if (!project || !project->isOpen()) {
        SetLastError(QStringLiteral("база даних населеного пункту не відкрита."));
        return false;
    }
    backup::BeforeSettlementStore(*project);
    if (!project->beginTransaction()) {
        SetLastError(project->errorText());
        return false;
    }
    if (!body()) {
        const QString error = LastError();
        project->rollback();
        SetLastError(error);
        return false;
    }
    if (!project->commit()) {
        const QString error = project->errorText();
        project->rollback();
        SetLastError(error);
        return false;
    }
    return true;
}
