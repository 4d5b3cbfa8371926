// Creating a project from the wizard's results: its folder and its settlements' folders filled
// from the templates, their rows in the catalogue and in the project's database.

#include "catalogue/core/Catalogue.h"
#include "catalogue/core/CatalogueOpen.h"
#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/Messages.h"
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
bool RegisterFiles(const QString& folder, const QString& masks, int code, bool lowerBaseName) {
    for (const QString& name : ListFiles(folder, masks, false)) {
        const QString named = lowerBaseName ? FileNameNoExt(name) : name;
        if (!RunQuery(Db().queryData,
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
        m_transaction.emplace(Db().main);
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
        Db().CloseProject();
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
            DeleteFolder(*it);
        SetLastError(error);
    }

    std::vector<QString> m_made;
    std::optional<Transaction> m_transaction;
    bool m_committed = false;
};

/** The template folder must be there before anything is made from it. */
bool TemplateFolderExists(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    ShowError(QStringLiteral("Створення проекту.\rПомилка: Не знайдено папку шаблону \"") +
              QDir::toNativeSeparators(folder) + QStringLiteral("\"."));
    return false;
}

} // namespace

CreateOutcome CreateProject(const NewProject& project) {
    const TSettings& s = GlobalVar().Settings;
    const QString projectTemplate = JoinPath(s.TemplateDir, QStringLiteral("проект"));
    const QString settlementTemplate = JoinPath(s.TemplateDir, QStringLiteral("наспункт"));
    if (!TemplateFolderExists(projectTemplate) ||
        (!project.settlementEntries.isEmpty() && !TemplateFolderExists(settlementTemplate)))
        return CreateOutcome::NothingWritten;
    if (!OpenCatalogue())
        return CreateOutcome::NothingWritten;

    CreationRun run;
    const QString projectUid = RandomDigits(20);
    const QString projectFolder = ProjectFolderFor(project.name);
    run.willFill(projectFolder);
    if (!CopyFolderFiles(projectTemplate, projectFolder, {}, true) ||
        !Db().ConnectProject(projectFolder))
        return CreateOutcome::NothingWritten;
    if (!run.beginCatalogue() ||
        !RunQuery(Db().queryMain,
                  QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES (") +
                      SqlLiteral(projectUid) + u',' + SqlLiteral(project.name) + u',' +
                      SqlLiteral(StoredPath(projectFolder)) + u')',
                  false)) {
        ShowError(QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
        return CreateOutcome::NothingWritten;
    }
    if (!RunQuery(Db().queryData,
                  QStringLiteral("INSERT INTO data (code, named) VALUES (-1,") +
                      SqlLiteral(project.coatuu) + u')',
                  false)) {
        ShowError(QStringLiteral("Додавання даних коатуу у проект.\rПомилка: ") + LastError());
        return CreateOutcome::NothingWritten;
    }
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
                Db().queryMain,
                QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES (") +
                    SqlLiteral(uid) + u',' + SqlLiteral(projectUid) + u',' + SqlLiteral(name) +
                    u',' + SqlLiteral(StoredPath(folder)) + u')',
                false)) {
            ShowError(QStringLiteral("Додавання даних населеного пункту у базу.\rПомилка: ") +
                      LastError());
            return CreateOutcome::NothingWritten;
        }
        if (!RunQuery(Db().queryData,
                      QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (2,") +
                          SqlLiteral(name) + u',' + SqlLiteral(folderName) + u')',
                      false)) {
            ShowError(QStringLiteral("Додавання даних населеного пункту у проект.\rПомилка: ") +
                      LastError());
            return CreateOutcome::NothingWritten;
        }
        run.willFill(folder);
        if (!CopyFolderFiles(settlementTemplate, folder, {}, true))
            return CreateOutcome::NothingWritten;
        settlements.push_back(
            {name, FieldOf(entry, QStringLiteral(","), QString(), 2).trimmed(), folder});
    }
    for (const Settlement& st : settlements) {
        if (!Db().ConnectProject(st.folder))
            return CreateOutcome::NothingWritten;
        Query& q = Db().queryData;
        auto setFact = [&q](const QString& value, const char* fact) {
            RunQuery(q,
                     QStringLiteral("UPDATE показники SET значення=") + SqlLiteral(value) +
                         QStringLiteral(" WHERE показник='") + QString::fromUtf8(fact) + u'\'',
                     false);
        };
        setFact(st.name, "Назва");
        setFact(SettlementStatusWord(st.name), "Адміністративний статус");
        setFact(st.code, "Код коатуу");
        RegisterFiles(st.folder, QStringLiteral("*.gwp"), KindMap, true);
        RunQuery(q,
                 QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (4,'Склад "
                                "земель','Склад земель.xlsx')"),
                 false);
    }
    if (!Db().ConnectProject(projectFolder))
        return CreateOutcome::NothingWritten;
    // Documents that the project template brought.
    if (!RegisterFiles(projectFolder, QStringLiteral("*.doc;*.docx"), KindWord, false) ||
        !RegisterFiles(projectFolder, QStringLiteral("*.xls;*.xlsx"), KindExcel, false) ||
        !RegisterFiles(projectFolder, QStringLiteral("*.tab"), KindMap, false)) {
        ShowError(QStringLiteral("Додавання даних населеного пункту у проект.\rПомилка: ") +
                  LastError());
        return CreateOutcome::NothingWritten;
    }
    if (!run.commit()) {
        ShowError(QStringLiteral("Додавання даних проект у базу.\rПомилка: ") + LastError());
        return CreateOutcome::NothingWritten;
    }
    return CreateOutcome::Written;
}

} // namespace catalogue
