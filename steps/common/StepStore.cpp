#include "steps/common/StepStore.h"

#include "common/LastError.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/Transaction.h"

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
    Transaction transaction(*project);
    if (!transaction.ok())
        return false;
    if (!body()) {
        // The database is restored before the caller shows the reason.
        transaction.rollback();
        return false;
    }
    return transaction.commit();
}
