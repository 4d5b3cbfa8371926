#pragma once

#include "catalogue/core/Catalogue.h"
#include "catalogue/core/ProjectItem.h"
#include "catalogue/ui/UserQuestions.h"
#include "steps/common/StepContext.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class MapDocument;
class MapTab;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
namespace valuation {
struct CheckResult;
}
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

/** The answers of the deletion question. */
enum class DeletionAnswer { No, FromList, WithData };

/**
 * The dialogs the main window opens; tests replace them with scripted answers.
 */
struct MainWindowDialogs {
    std::function<bool(catalogue::NewProject&)> newProject;
    std::function<bool(QString& path, const QString& prompt)> chooseFolder;
    /** `outsideFolder`: the node's folder when it lies outside the projects root, else "". */
    std::function<DeletionAnswer(const QString& nodeText, const QString& outsideFolder)>
        askDeletion;
    std::function<QString()> chooseFile;
    std::function<void()> referenceBooks;
    std::function<void(int kind)> openStep;
    std::function<void()> fillReports;
    /** Shows the automatic copies' window modally (exec() when unset). */
    std::function<void(class TFormCopies&)> showCopies;
    std::function<void(class RecalcResultWindow&)> showRecalcResult;
};

/**
 * The main window: the project tree, the settlement's steps and materials, the map tab and
 * the dispatch of a double click on an entry.
 */
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    void setDialogs(const MainWindowDialogs& dialogs) { m_dialogs = dialogs; }
    MainWindowDialogs& dialogs() { return m_dialogs; }
    /** Puts the map view into the "Графіка" tab (the window takes it). */
    void setMapTab(MapTab* tab);
    MapTab* mapTab() const { return m_map; }

    void UpdateActions();
    void RefreshLists();
    void LoadProjectTree();
    void LoadProjectView(const QString& folder);
    void LoadSettlementView(const QString& folder);
    void OpenListItem(QListWidgetItem* item);
    void BSearchClick();

    void ACT_PROJ_NEWExecute();
    void ACT_PROJ_OPENExecute();
    void ACT_PROJ_DELExecute();
    void AddFileToFolder();
    void POPUP_DEL_FILEClick();
    void ExportMaterials();
    void OpenMaterialsFolder();
    /**
     * "Автоматичні копії": the selected settlement's copies to restore one (or says there is
     * none); without a settlement the folder of all copies.
     */
    void OpenBackupsFolder();
    /** Says once in a run why automatic copies cannot be made. */
    void TellCopyProblem();
    /** Marks the steps whose stored results are stale (icon, tint, reasons in the tooltip). */
    void MarkStaleSteps();
    /** "Перевірити розрахунок": the check's lines, or that all agrees. */
    void ACT_CHECKExecute();
    /** "Перерахувати все": every stale result recomputed after the automatic copy. */
    void ACT_RECALCExecute();
    /**
     * Before "Заповнити звіт": when something is stale, offers to recalculate, to go on or to
     * cancel; true to go on with the reports.
     */
    bool CheckBeforeReports();
    /** Adds a file entry to the materials list, before "Заповнити звіт". */
    void AddMaterialEntry(const ListEntry& entry);

    /** The selected tree node (the current one when several are selected), or null. */
    QTreeWidgetItem* selectedNode() const;
    static TProjectItem ItemOf(const QTreeWidgetItem* node);
    /** Selects a node, scrolls to it and refreshes the lists. */
    void selectNode(QTreeWidgetItem* node);

    /** Reads the catalogue's indexation table into the session's memory. */
    void LoadIndexation();
    const TDinArryOfKoef& indexation() const { return m_indexation; }
    /** The session's map: the selected settlement's layers, shown by the "Графіка" tab. */
    MapDocument& mapDocument() { return *m_mapDocument; }
    /** What a step of the selected settlement works on; not valid without a settlement. */
    const StepContext& stepContext() const { return m_stepContext; }
    /** What the catalogue functions work on: the program's connections, the user's answers. */
    catalogue::CatalogueContext catalogueContext();

    std::optional<TProjectItem> CurrentProject;
    std::optional<TProjectItem> CurrentSettlement;

    QAction* ACT_PROJ_NEW = nullptr;
    QAction* ACT_PROJ_OPEN = nullptr;
    QAction* ACT_PROJ_DEL = nullptr;
    QAction* ACT_EXIT = nullptr;
    QAction* ACT_CHECK = nullptr;
    QAction* ACT_RECALC = nullptr;
    /** "Реєстр ділянок": the plots of files valued over the selected settlement. */
    QAction* ACT_REGISTER = nullptr;
    QAction* ACT_REFS = nullptr;
    QAction* ACT_TEMPL2 = nullptr;
    QAction* ACT_TEMPL3 = nullptr;
    /** "Автоматичні копії": the selected settlement's copies. */
    QAction* ACT_BACKUPS = nullptr;
    QAction* ACT_MANUAL = nullptr;
    QAction* ACT_INFO = nullptr;
    QAction* ACT_ABOUT = nullptr;
    QAction* POPUP_DEL_FILE = nullptr;
    QTreeWidget* TreeViewProjects = nullptr;
    QLineEdit* ESearch = nullptr;
    QPushButton* BSearch = nullptr;
    QPushButton* BCreate = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* PanelList1 = nullptr;
    QWidget* PanelList2 = nullptr;
    QLabel* GradientList1 = nullptr;
    QLabel* GradientList2 = nullptr;
    QLabel* LabelHint = nullptr;
    QListWidget* ListView1 = nullptr;
    QListWidget* ListView2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createPanels();
    void fillList(QListWidget* list, const std::vector<ListEntry>& entries);
    void addListEntry(QListWidget* list, const ListEntry& entry);
    /** Makes the list's cells tall enough for every caption, wrapped, without shortening. */
    void fitGridToCaptions(QListWidget* list);
    void clearLists();
    void setSelectedKey(int id);
    void openHelp(const QString& name);
    void showAbout();
    void selectLastProject();
    bool checkSettlement(valuation::CheckResult& result);
    /** `fromMap` gets the values taken from the map again. */
    bool recalcAll(valuation::CheckResult& result, QStringList* fromMap = nullptr);

    MainWindowDialogs m_dialogs;
    std::unique_ptr<MapDocument> m_mapDocument;
    TDinArryOfKoef m_indexation;
    StepContext m_stepContext;
    catalogue::UserQuestions m_catalogueQuestions;
    MapTab* m_map = nullptr;
    bool m_busy = false;
    bool m_searchFlag = true;
    int m_selectedKey = 0;
};

/** The icon of a list entry's kind. */
QIcon ItemKindIcon(int kind);
