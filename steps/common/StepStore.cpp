#include "steps/common/StepStore.h"

#include "common/LastError.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

QString StoreFailedText() {
    return QStringLiteral("Оновлення даних у базі даних.\rПомилка: ");
}

QString LoadFailedText(const QString& table) {
    return QStringLiteral("Вибірка із бази \"") + table + QStringLiteral("\"\rПодробиці: ");
}

QString CatalogueClosedText() {
    return QStringLiteral("каталог проектів не відкрито.");
}

bool StoreInTransaction(Connection* project, const std::function<bool(QString* error)>& body,
                        QString* error) {
    if (!project || !project->isOpen())
        return FailWith(error, StoreFailedText() +
                                   QStringLiteral("база даних населеного пункту не відкрита."));
    backup::BeforeSettlementStore(*project);
    Transaction transaction(*project);
    if (!transaction.ok())
        return FailUpdating(error);
    QString reason;
    if (!body(&reason)) {
        // The database is restored before the caller shows the reason.
        transaction.rollback();
        // A body that did not say why failed in the database: the provider's reason.
        return reason.isEmpty() ? FailUpdating(error) : FailWith(error, reason);
    }
    return transaction.commit() || FailUpdating(error);
}
