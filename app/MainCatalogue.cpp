// The main window's catalogue operations: tree, lists, creating, registering and deleting
// projects, the files of a folder.

#include "app/CopiesWindow.h"
#include "app/MainWindow.h"
#include "app/MapTab.h"
#include "app/StepRegistry.h"
#include "catalogue/core/Catalogue.h"
#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/ui/ShellOpen.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "gis/SettlementLayers.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

enum Role { RoleUid = Qt::UserRole, RolePartUid, RoleTyped, RolePathname, RoleId };
enum EntryRole { RoleKind = Qt::UserRole, RolePath, RoleRecordId };

/** Re-points the project connection at the folder; a failure is shown. */
bool ConnectShowingError(const QString& folder) {
    QString error;
    if (Db().ConnectProject(folder, &error))
        return true;
    ShowError(error);
    return false;
}

QTreeWidgetItem* MakeNode(const TProjectItem& item) {
    auto* node = new QTreeWidgetItem(QStringList{item.named});
    node->setData(0, RoleUid, item.uid);
    node->setData(0, RolePartUid, item.part_uid);
    node->setData(0, RoleTyped, item.typed);
    node->setData(0, RolePathname, item.pathname);
    node->setData(0, RoleId, item.id);
    return node;
}

ListEntry EntryOf(const QListWidgetItem* item) {
    return {item->text(), item->data(RoleKind).toInt(), item->data(RolePath).toString(),
            item->data(RoleRecordId).toString()};
}

} // namespace

catalogue::CatalogueContext TFormMain::catalogueContext() {
    return {Db(), m_catalogueQuestions};
}

void TFormMain::LoadProjectTree() {
    TreeViewProjects->clear();
    RefreshLists();
    ProjectTreeRows rows;
    QString error;
    const bool loaded = catalogue::LoadProjectRows(catalogueContext(), rows, &error);
    ShowError(error);
    TellCopyProblem(); // the catalogue's copy of this run is made as it opens
    if (!loaded)
        return;
    std::vector<QTreeWidgetItem*> nodes;
    nodes.reserve(rows.items.size());
    QList<QTreeWidgetItem*> topLevel;
    for (size_t i = 0; i < rows.items.size(); ++i) {
        QTreeWidgetItem* node = MakeNode(rows.items[i]);
        nodes.push_back(node);
        if (rows.parents[i] >= 0)
            nodes[rows.parents[i]]->addChild(node);
        else
            topLevel << node;
    }
    TreeViewProjects->addTopLevelItems(topLevel);
}

void TFormMain::LoadProjectView(const QString& folder) {
    clearLists();
    std::vector<ListEntry> settlements, files;
    QString error;
    if (!catalogue::LoadProjectEntries(catalogueContext(), folder, settlements, files, &error)) {
        ShowError(error);
        return;
    }
    fillList(ListView1, settlements);
    fillList(ListView2, files);
}

void TFormMain::LoadSettlementView(const QString& folder) {
    clearLists();
    std::vector<ListEntry> files;
    bool connected = false;
    QString error;
    const bool loaded =
        catalogue::LoadSettlementEntries(catalogueContext(), folder, files, &connected, &error);
    ShowError(error);
    if (connected) {
        fillList(ListView1, StepListEntries());
        // The steps of this settlement work on its database, the session's map and tables.
        m_stepContext.project = &Db().data;
        m_stepContext.catalogue = &Db().main;
        m_stepContext.map = m_mapDocument.get();
        m_stepContext.indexation = &m_indexation;
        m_stepContext.folder = folder;
        m_stepContext.name = CurrentSettlement ? CurrentSettlement->named : QString();
        MarkStaleSteps();
    }
    if (!loaded)
        return;
    fillList(ListView2, files);
    m_map->setSettlementFolder(folder);
    // A table whose writing was cut short is made whole (old or new) before anything reads it,
    // and the leftovers of killed writings go: the one recovery every command runs too.
    QString recovery;
    if (!RecoverSettlementFolder(folder, &recovery))
        ShowWarning(recovery);
    // A missing table simply gives no layer; one that is there but cannot be opened is named.
    QStringList failed;
    for (const QString& path : SettlementMapPaths(folder)) {
        if (m_map->addLayer(path, true) || !QFileInfo::exists(path))
            continue;
        const QString reason =
            LastError().trimmed().isEmpty() ? QStringLiteral("файл пошкоджений.") : LastError();
        m_map->addUnavailableLayer(path, reason);
        failed << Quoted(QDir::toNativeSeparators(path)) + QStringLiteral(": ") + reason;
    }
    if (!failed.isEmpty())
        ShowWarning(QStringLiteral("Не вдалося відкрити карту населеного пункту:\r") +
                    failed.join(u'\r') +
                    QStringLiteral("\rУ списку \"Шари\" такий шар позначено як недоступний."));
}

void TFormMain::selectLastProject() {
    QTreeWidgetItem* last = nullptr;
    for (QTreeWidgetItemIterator it(TreeViewProjects); *it; ++it)
        last = *it;
    while (last && last->parent())
        last = last->parent();
    selectNode(last);
}

void TFormMain::ACT_PROJ_NEWExecute() {
    catalogue::NewProject project;
    if (!m_dialogs.newProject || !m_dialogs.newProject(project))
        return;
    QString error;
    if (catalogue::CreateProject(catalogueContext(), project, &error) ==
        catalogue::CreateOutcome::NothingWritten) {
        ShowError(error);
        return;
    }
    LoadProjectTree();
    selectLastProject();
}

void TFormMain::ACT_PROJ_OPENExecute() {
    QString folder = GlobalVar().Settings.ProjectsDir;
    if (!m_dialogs.chooseFolder ||
        !m_dialogs.chooseFolder(folder, QStringLiteral("Відкрити папку з проектом")))
        return;
    QString error;
    const bool registered = catalogue::RegisterProjectFolder(catalogueContext(), folder, &error);
    ShowError(error);
    if (!registered)
        return;
    LoadProjectTree();
    selectLastProject();
}

void TFormMain::ACT_PROJ_DELExecute() {
    QTreeWidgetItem* node = selectedNode();
    if (!node || !m_dialogs.askDeletion)
        return;
    const TProjectItem item = ItemOf(node);
    const QString outside =
        !item.pathname.isEmpty() && !catalogue::IsUnderProjectsRoot(item.pathname) ? item.pathname
                                                                                   : QString();
    const DeletionAnswer answer = m_dialogs.askDeletion(node->text(0), outside);
    if (answer == DeletionAnswer::No)
        return;
    QString error;
    if (!catalogue::DeleteProjectRows(catalogueContext(), item, &error)) {
        ShowError(error);
        return;
    }
    if (answer == DeletionAnswer::WithData) {
        clearLists();
        Db().CloseProject();
        QString warning;
        if (!catalogue::DeleteProjectFolder(item.pathname, &warning))
            ShowWarning(warning);
    }
    TreeViewProjects->clearSelection();
    TreeViewProjects->setCurrentItem(nullptr);
    delete node;
    RefreshLists();
}

void TFormMain::AddFileToFolder() {
    if (!m_dialogs.chooseFile || (!CurrentProject && !CurrentSettlement))
        return;
    const QString source = m_dialogs.chooseFile();
    if (source.isEmpty())
        return;
    const QString folder =
        CurrentSettlement ? CurrentSettlement->pathname : CurrentProject->pathname;
    QStringList captions;
    for (int i = 0; i < ListView2->count(); ++i)
        captions << ListView2->item(i)->text();
    ListEntry added;
    QString error;
    if (catalogue::AddFileToFolder(catalogueContext(), source, folder, captions, added, &error))
        AddMaterialEntry(added);
    ShowError(error);
}

void TFormMain::POPUP_DEL_FILEClick() {
    QListWidgetItem* item = ListView2->currentItem();
    if (!item || !item->isSelected())
        return;
    const ListEntry entry = EntryOf(item);
    if (const QString problem = catalogue::RemovalProblem(entry); !problem.isEmpty()) {
        ShowWarning(problem);
        return;
    }
    QString error;
    if (catalogue::RemoveFileEntry(catalogueContext(), entry, &error))
        delete item;
    ShowError(error);
}

void TFormMain::ExportMaterials() {
    if (!CurrentSettlement || !m_dialogs.chooseFolder)
        return;
    QString folder;
    if (!m_dialogs.chooseFolder(folder, QStringLiteral("Оберіть папку для копіювання матеріалів")))
        return;
    QString error;
    if (catalogue::ExportMaterials(m_catalogueQuestions, CurrentSettlement->pathname, folder,
                                   &error))
        ShowInfo(catalogue::ExportFinishedText());
    ShowError(error);
}

void TFormMain::OpenBackupsFolder() {
    if (!CurrentSettlement) {
        const QString root = backup::CopiesRoot();
        if (root.isEmpty())
            return;
        QDir().mkpath(root);
        ShellOpen(root);
        return;
    }
    const QString folder = CurrentSettlement->pathname;
    const QString copies = backup::SettlementCopiesFolder(folder);
    const QString name = CurrentSettlement->named;
    // The project connection is re-pointed at each use: restore into this settlement's.
    auto connectSettlement = [folder] {
        const QString database = JoinPath(folder, DataFileName());
        return (Db().data.isOpen() && QFileInfo(Db().data.path()).absoluteFilePath() ==
                                          QFileInfo(database).absoluteFilePath()) ||
               ConnectShowingError(folder);
    };
    TFormCopies window(name, copies, Db().data, connectSettlement, this);
    if (!window.reload()) {
        ShowInfo(NoCopiesText(name));
        return;
    }
    window.setRestored([this] { RefreshLists(); });
    m_dialogs.showCopies ? m_dialogs.showCopies(window) : void(window.exec());
}

void TFormMain::TellCopyProblem() {
    if (const QString problem = backup::TakeUntoldProblem(); !problem.isEmpty())
        ShowWarning(problem);
}

void TFormMain::OpenMaterialsFolder() {
    if (CurrentSettlement)
        ShellOpen(CurrentSettlement->pathname);
}
