// Creating a project from the wizard's results: its folder and its settlements' folders filled
// from the templates, their rows in the catalogue and in the project's database.

#include "catalogue/core/Catalogue.h"
#include "catalogue/core/CatalogueOpen.h"
#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace catalogue {

namespace {

/** Registers files of a folder in its "data" table; false at the first failed insert. */
bool RegisterFiles(Connection& data, const QString& folder, const QString& masks, int code,
                   bool lowerBaseName) {
    Query q(&data);
    for (const QString& name : ListFiles(folder, masks, false)) {
        const QString named = lowerBaseName ? FileNameNoExt(name) : name;
        if (!RunQuery(q,
                      QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (") +
                          QString::number(code) + u',' + SqlLiteral(named) + u',' +
                          SqlLiteral(name) + u')',
                      false))
            return false;
    }
    return true;
}

/**
 * What one creation wrote: the catalogue rows wait in a transaction, and the folders this run
 * made are removed again unless the creation is committed.
 */
class CreationRun {
public:
    explicit CreationRun(Databases& db) : m_db(db) {}
    ~CreationRun() {
        if (!m_committed)
            undo();
    }
    /** Remembers a folder before it is filled, when it does not exist yet. */
    void willFill(const QString& folder) {
        if (!QFileInfo::exists(folder))
            m_made.push_back(folder);
    }
    bool beginCatalogue() {
        m_transaction.emplace(m_db.main);
        return m_transaction->ok();
    }
    bool commit() {
        if (!m_transaction || !m_transaction->commit())
            return false;
        m_committed = true;
        return true;
    }

private:
    void undo() {
        const QString error = LastError();
        if (m_transaction)
            m_transaction->rollback();
        // The databases in the folders are closed before the folders go.
        m_db.CloseProject();
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
            DeleteFolder(*it);
        SetLastError(error);
    }

    Databases& m_db;
    std::vector<QString> m_made;
    std::optional<Transaction> m_transaction;
    bool m_committed = false;
};

/** The template folder must be there before anything is made from it. */
bool TemplateFolderExists(const QString& folder, QString* error) {
    if (QFileInfo(folder).isDir())
        return true;
    return FailWith(error,
                    QStringLiteral("Створення проекту.\rПомилка: Не знайдено папку шаблону \"") +
                        QDir::toNativeSeparators(folder) + QStringLiteral("\"."));
}

} // namespace

CreateOutcome CreateProject(const CatalogueContext& context, const NewProject& project,
                            QString* error) {
    Databases& db = context.db;
    // Every failure below gives its message and leaves nothing written.
    auto fail = [error](const QString& text) {
        FailWith(error, text);
        return CreateOutcome::NothingWritten;
    };
    const TSettings& s = GlobalVar().Settings;
    const QString projectTemplate = JoinPath(s.TemplateDir, QStringLiteral("проект"));
    const QString settlementTemplate = JoinPath(s.TemplateDir, QStringLiteral("наспункт"));
    if (!TemplateFolderExists(projectTemplate, error) ||
        (!project.settlementEntries.isEmpty() && !TemplateFolderExists(settlementTemplate, error)))
        return CreateOutcome::NothingWritten;
    if (!OpenCatalogue(context, error))
        return CreateOutcome::NothingWritten;

    CreationRun run(db);
    Query catalogueQuery(&db.main);
    const QString projectUid = RandomDigits(20);
    const QString projectFolder = ProjectFolderFor(project.name);
    run.willFill(projectFolder);
    if (!CopyFolderFiles(projectTemplate, projectFolder, context.ask, error, {}, true) ||
        !db.ConnectProject(projectFolder, error))
        return CreateOutcome::NothingWritten;
    Query dataQuery(&db.data);
    if (!run.beginCatalogue() ||
        !RunQuery(catalogueQuery,
                  QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES (") +
                      SqlLiteral(projectUid) + u',' + SqlLiteral(project.name) + u',' +
                      SqlLiteral(StoredPath(projectFolder)) + u')',
                  false))
        return fail(QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
    if (!RunQuery(dataQuery,
                  QStringLiteral("INSERT INTO data (code, named) VALUES (-1,") +
                      SqlLiteral(project.coatuu) + u')',
                  false))
        return fail(QStringLiteral("Додавання даних коатуу у проект.\rПомилка: ") + LastError());
    struct Settlement {
        QString name, code, folder;
    };
    std::vector<Settlement> settlements;
    for (const QString& entry : project.settlementEntries) {
        const QString uid = RandomDigits(20);
        const QString name = FieldOf(entry, QStringLiteral(","), QString(), 1).trimmed();
        const QString folderName = SafeFileName(name);
        const QString folder = JoinPath(projectFolder, folderName);
        if (!RunQuery(
                catalogueQuery,
                QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES (") +
                    SqlLiteral(uid) + u',' + SqlLiteral(projectUid) + u',' + SqlLiteral(name) +
                    u',' + SqlLiteral(StoredPath(folder)) + u')',
                false))
            return fail(QStringLiteral("Додавання даних населеного пункту у базу.\rПомилка: ") +
                        LastError());
        if (!RunQuery(dataQuery,
                      QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (2,") +
                          SqlLiteral(name) + u',' + SqlLiteral(folderName) + u')',
                      false))
            return fail(QStringLiteral("Додавання даних населеного пункту у проект.\rПомилка: ") +
                        LastError());
        run.willFill(folder);
        if (!CopyFolderFiles(settlementTemplate, folder, context.ask, error, {}, true))
            return CreateOutcome::NothingWritten;
        settlements.push_back(
            {name, FieldOf(entry, QStringLiteral(","), QString(), 2).trimmed(), folder});
    }
    for (const Settlement& st : settlements) {
        if (!db.ConnectProject(st.folder, error))
            return CreateOutcome::NothingWritten;
        Query q(&db.data);
        auto setFact = [&q](const QString& value, const char* fact) {
            RunQuery(q,
                     QStringLiteral("UPDATE показники SET значення=") + SqlLiteral(value) +
                         QStringLiteral(" WHERE показник='") + QString::fromUtf8(fact) + u'\'',
                     false);
        };
        setFact(st.name, "Назва");
        setFact(SettlementStatusWord(st.name), "Адміністративний статус");
        setFact(st.code, "Код коатуу");
        RegisterFiles(db.data, st.folder, QStringLiteral("*.gwp"), KindMap, true);
        RunQuery(q,
                 QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (4,'Склад "
                                "земель','Склад земель.xlsx')"),
                 false);
    }
    if (!db.ConnectProject(projectFolder, error))
        return CreateOutcome::NothingWritten;
    // Documents that the project template brought.
    if (!RegisterFiles(db.data, projectFolder, QStringLiteral("*.doc;*.docx"), KindWord, false) ||
        !RegisterFiles(db.data, projectFolder, QStringLiteral("*.xls;*.xlsx"), KindExcel, false) ||
        !RegisterFiles(db.data, projectFolder, QStringLiteral("*.tab"), KindMap, false))
        return fail(QStringLiteral("Додавання даних населеного пункту у проект.\rПомилка: ") +
                    LastError());
    if (!run.commit())
        return fail(QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
    return CreateOutcome::Written;
}

} // namespace catalogue
