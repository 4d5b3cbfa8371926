#include "app/MainWindow.h"

#include "app/MapTab.h"
#include "app/StepRegistry.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/WaitCursor.h"
#include "common/ui/ShellOpen.h"
#include "db/Databases.h"
#include "map/MapDocument.h"
#include "valuation/Indexation.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {

enum Role { RoleUid = Qt::UserRole, RolePartUid, RoleTyped, RolePathname, RoleId };
enum EntryRole { RoleKind = Qt::UserRole, RolePath, RoleRecordId };

/** The width of an entry of the two lists, and the room its caption leaves on each side. */
constexpr int kEntryWidth = 150;
constexpr int kEntryTextMargin = 6;

} // namespace

QIcon ItemKindIcon(int kind) {
    QStyle* style = QApplication::style();
    switch (kind) {
    case KindAddFile:
        return style->standardIcon(QStyle::SP_FileDialogNewFolder);
    case KindFillReport:
        return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case KindSettlement:
        return style->standardIcon(QStyle::SP_DirHomeIcon);
    case KindWord:
        return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case KindExcel:
        return style->standardIcon(QStyle::SP_FileDialogListView);
    case KindMap:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case KindOtherFile:
        return style->standardIcon(QStyle::SP_FileIcon);
    case KindExport:
        return style->standardIcon(QStyle::SP_DialogSaveButton);
    case KindOpenFolder:
        return style->standardIcon(QStyle::SP_DirOpenIcon);
    default:
        return style->standardIcon(QStyle::SP_ArrowForward);
    }
}

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent), m_mapDocument(std::make_unique<MapDocument>()) {
    setObjectName(QStringLiteral("TFormMain"));
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSize(9);
    setFont(font);
    resize(859, 578);
    createActions();
    createMenus();
    createPanels();
    UpdateActions();
    CurrentProject.reset();
    CurrentSettlement.reset();
    PageControl1->setCurrentIndex(0);
    RefreshLists();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormMain::~TFormMain() {
    // The map page reads the map document while it is torn down: it goes first.
    delete m_map;
}

void TFormMain::LoadIndexation() {
    ::LoadIndexation(Db().queryRef, m_indexation);
}

void TFormMain::showEvent(QShowEvent* event) {
    setWindowTitle(GlobalVar().AppTitle + QStringLiteral(" v") + GlobalVar().AppVersion);
    QMainWindow::showEvent(event);
}

void TFormMain::createActions() {
    auto action = [this](QAction*& a, const QString& name, const QString& caption, auto slot) {
        a = new QAction(caption, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
    };
    action(ACT_PROJ_NEW, QStringLiteral("ACT_PROJ_NEW"), QStringLiteral("Створити проект"),
           [this] { ACT_PROJ_NEWExecute(); });
    action(ACT_PROJ_OPEN, QStringLiteral("ACT_PROJ_OPEN"), QStringLiteral("Відкрити проект"),
           [this] { ACT_PROJ_OPENExecute(); });
    action(ACT_PROJ_DEL, QStringLiteral("ACT_PROJ_DEL"), QStringLiteral("Вилучити"),
           [this] { ACT_PROJ_DELExecute(); });
    action(ACT_CHECK, QStringLiteral("ACT_CHECK"), QStringLiteral("Перевірити розрахунок"),
           [this] { ACT_CHECKExecute(); });
    action(ACT_RECALC, QStringLiteral("ACT_RECALC"), QStringLiteral("Перерахувати все"),
           [this] { ACT_RECALCExecute(); });
    action(ACT_REGISTER, QStringLiteral("ACT_REGISTER"), QStringLiteral("Реєстр ділянок"), [this] {
        if (m_stepContext.valid())
            m_map->openPlotRegister();
    });
    action(ACT_EXIT, QStringLiteral("ACT_EXIT"), QStringLiteral("Зачинити програму"),
           [this] { close(); });
    action(ACT_REFS, QStringLiteral("ACT_REFS"), QStringLiteral("Довідники"), [this] {
        if (m_dialogs.referenceBooks)
            m_dialogs.referenceBooks();
    });
    action(ACT_TEMPL2, QStringLiteral("ACT_TEMPL2"), QStringLiteral("Шаблон: Технічний звіт.dotx"),
           [] {
               ShellOpen(JoinPath(GlobalVar().Settings.TemplateDir,
                                  QStringLiteral("Технічний звіт.dotx")));
           });
    action(ACT_TEMPL3, QStringLiteral("ACT_TEMPL3"),
           QStringLiteral("Шаблон:  Розрахунок грошової оцінки.xltx"), [] {
               const QString dir = GlobalVar().Settings.TemplateDir;
               ShellOpen(JoinPath(dir, QStringLiteral("Розрахунок грошової оцінки.xltx")));
               ShellOpen(
                   JoinPath(dir, QStringLiteral("Розрахунок грошової оцінки з кварталами.xltx")));
           });
    action(ACT_BACKUPS, QStringLiteral("ACT_BACKUPS"), QStringLiteral("Автоматичні копії"),
           [this] { OpenBackupsFolder(); });
    action(ACT_MANUAL, QStringLiteral("ACT_MANUAL"), QStringLiteral("Керівництво користувача"),
           [this] { openHelp(QStringLiteral("руководство")); });
    action(ACT_INFO, QStringLiteral("ACT_INFO"), QStringLiteral("Опис програми"),
           [this] { openHelp(QStringLiteral("описание")); });
    action(ACT_ABOUT, QStringLiteral("ACT_ABOUT"), QStringLiteral("Про програму"),
           [this] { showAbout(); });
    action(POPUP_DEL_FILE, QStringLiteral("POPUP_DEL_FILE"), QStringLiteral("Видалити файл"),
           [this] { POPUP_DEL_FILEClick(); });
}

void TFormMain::createMenus() {
    QMenu* project = menuBar()->addMenu(QStringLiteral("Проект"));
    project->addAction(ACT_PROJ_NEW);
    project->addAction(ACT_PROJ_OPEN);
    project->addAction(ACT_PROJ_DEL);
    project->addSeparator();
    project->addAction(ACT_CHECK);
    project->addAction(ACT_RECALC);
    project->addAction(ACT_REGISTER);
    project->addSeparator();
    project->addAction(ACT_EXIT);
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Налаштування"));
    settings->addAction(ACT_REFS);
    settings->addSeparator();
    settings->addAction(ACT_TEMPL2);
    settings->addAction(ACT_TEMPL3);
    settings->addSeparator();
    settings->addAction(ACT_BACKUPS);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Допомога"));
    help->addAction(ACT_MANUAL);
    help->addAction(ACT_INFO);
    help->addSeparator();
    help->addAction(ACT_ABOUT);
}

void TFormMain::createPanels() {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* panelTree = new QWidget(central);
    panelTree->setObjectName(QStringLiteral("PanelTree"));
    panelTree->setFixedWidth(315);
    auto* treeLayout = new QVBoxLayout(panelTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Проекти:"), panelTree));
    top->addStretch();
    BCreate = new QPushButton(QStringLiteral("Створити"), panelTree);
    BCreate->setObjectName(QStringLiteral("BCreate"));
    connect(BCreate, &QPushButton::clicked, ACT_PROJ_NEW, &QAction::trigger);
    top->addWidget(BCreate);
    treeLayout->addLayout(top);
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Пошук: "), panelTree));
    ESearch = new QLineEdit(panelTree);
    ESearch->setObjectName(QStringLiteral("ESearch"));
    search->addWidget(ESearch);
    BSearch = new QPushButton(QStringLiteral(">"), panelTree);
    BSearch->setObjectName(QStringLiteral("BSearch"));
    BSearch->setToolTip(QStringLiteral("Знайти далі"));
    BSearch->setFixedWidth(28);
    search->addWidget(BSearch);
    treeLayout->addLayout(search);
    connect(BSearch, &QPushButton::clicked, this, [this] { BSearchClick(); });
    connect(ESearch, &QLineEdit::returnPressed, BSearch, &QPushButton::click);
    connect(ESearch, &QLineEdit::textChanged, this, [this] { m_searchFlag = true; });

    TreeViewProjects = new QTreeWidget(panelTree);
    TreeViewProjects->setObjectName(QStringLiteral("TreeViewProjects"));
    TreeViewProjects->setHeaderHidden(true);
    TreeViewProjects->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TreeViewProjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewProjects->setContextMenuPolicy(Qt::ActionsContextMenu);
    TreeViewProjects->addAction(ACT_PROJ_DEL);
    TreeViewProjects->viewport()->installEventFilter(this);
    TreeViewProjects->installEventFilter(this);
    connect(TreeViewProjects, &QTreeWidget::itemPressed, this, [this] { RefreshLists(); });
    connect(TreeViewProjects, &QTreeWidget::itemSelectionChanged, this, [this] {
        m_searchFlag = true;
        UpdateActions();
    });
    treeLayout->addWidget(TreeViewProjects);
    layout->addWidget(panelTree);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* data = new QWidget(PageControl1);
    auto* dataLayout = new QVBoxLayout(data);
    LabelHint = new QLabel(QStringLiteral("Оберіть зі списку або створіть новий проект...."), data);
    LabelHint->setAlignment(Qt::AlignCenter);
    dataLayout->addWidget(LabelHint);
    auto makePanel = [this, data](QWidget*& panel, QLabel*& header, QListWidget*& list,
                                  const char* name, const char* headerName, const char* listName) {
        panel = new QWidget(data);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setMinimumHeight(200);
        auto* l = new QVBoxLayout(panel);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        header = new QLabel(panel);
        header->setObjectName(QString::fromLatin1(headerName));
        header->setStyleSheet(QStringLiteral(
            "QLabel { color: white; font-weight: bold; padding: 3px; background: "
            "qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1f4e8c, stop:1 #c9d9ef); }"));
        l->addWidget(header);
        list = new QListWidget(panel);
        list->setObjectName(QString::fromLatin1(listName));
        list->setViewMode(QListView::IconMode);
        list->setResizeMode(QListView::Adjust);
        list->setMovement(QListView::Static);
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        list->setGridSize(QSize(kEntryWidth, 72));
        list->setIconSize(QSize(32, 32));
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->viewport()->setCursor(Qt::PointingHandCursor);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) { OpenListItem(item); });
        // Enter opens the selected entry as a double click does.
        list->installEventFilter(this);
        l->addWidget(list);
    };
    makePanel(PanelList1, GradientList1, ListView1, "PanelList1", "GradientList1", "ListView1");
    makePanel(PanelList2, GradientList2, ListView2, "PanelList2", "GradientList2", "ListView2");
    ListView2->setContextMenuPolicy(Qt::ActionsContextMenu);
    ListView2->addAction(POPUP_DEL_FILE);
    dataLayout->addWidget(PanelList1);
    dataLayout->addWidget(PanelList2);
    PageControl1->addTab(data, QStringLiteral("Дані"));
    m_map = new MapTab(PageControl1);
    PageControl1->addTab(m_map, QStringLiteral("Графіка"));
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
}

void TFormMain::setMapTab(MapTab* tab) {
    const int index = PageControl1->indexOf(m_map);
    PageControl1->removeTab(index);
    delete m_map;
    m_map = tab;
    PageControl1->insertTab(index, m_map, QStringLiteral("Графіка"));
}

void TFormMain::UpdateActions() {
    ACT_PROJ_NEW->setEnabled(true);
    ACT_PROJ_OPEN->setEnabled(true);
    ACT_REFS->setEnabled(true);
    ACT_PROJ_DEL->setEnabled(selectedNode() != nullptr);
    ACT_REGISTER->setEnabled(m_stepContext.valid());
}

QTreeWidgetItem* TFormMain::selectedNode() const {
    QTreeWidgetItem* current = TreeViewProjects->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = TreeViewProjects->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

TProjectItem TFormMain::ItemOf(const QTreeWidgetItem* node) {
    TProjectItem item;
    if (!node)
        return item;
    item.uid = node->data(0, RoleUid).toString();
    item.part_uid = node->data(0, RolePartUid).toString();
    item.named = node->text(0);
    item.typed = node->data(0, RoleTyped).toString();
    item.pathname = node->data(0, RolePathname).toString();
    item.id = node->data(0, RoleId).toInt();
    return item;
}

void TFormMain::setSelectedKey(int id) {
    m_selectedKey = id;
    for (QTreeWidgetItemIterator it(TreeViewProjects); *it; ++it) {
        QFont f = (*it)->font(0);
        f.setBold((*it)->data(0, RoleId).toInt() == id);
        (*it)->setFont(0, f);
    }
}

void TFormMain::RefreshLists() {
    UpdateActions();
    QTreeWidgetItem* node = selectedNode();
    CurrentProject.reset();
    CurrentSettlement.reset();
    m_stepContext = StepContext();
    ACT_REGISTER->setEnabled(false);
    if (node && node->parent()) {
        CurrentSettlement = ItemOf(node);
        CurrentProject = ItemOf(node->parent());
    } else if (node) {
        CurrentProject = ItemOf(node);
    }
    if (!node) {
        PanelList1->setVisible(false);
        PanelList2->setVisible(false);
        LabelHint->setVisible(true);
        return;
    }
    LabelHint->setVisible(false);
    PanelList1->setVisible(true);
    PanelList2->setVisible(true);
    GradientList1->setText(node->parent() ? QStringLiteral("Розрахунок")
                                          : QStringLiteral("Населені пункти"));
    GradientList2->setText(QStringLiteral("Матеріали"));
    setSelectedKey(node->data(0, RoleId).toInt());
    m_busy = true;
    m_map->setBusy(true);
    WaitCursor wait;
    ListView1->setUpdatesEnabled(false);
    ListView2->setUpdatesEnabled(false);
    if (node->parent())
        LoadSettlementView(CurrentSettlement->pathname);
    else
        LoadProjectView(CurrentProject->pathname);
    // The register values plots over a settlement: only while one is selected.
    ACT_REGISTER->setEnabled(m_stepContext.valid());
    ListView1->setUpdatesEnabled(true);
    ListView2->setUpdatesEnabled(true);
    m_map->refreshLayerList();
    m_map->setBusy(false);
    m_busy = false;
}

void TFormMain::clearLists() {
    // The steps work on a selected settlement only.
    m_stepContext.project = nullptr;
    m_stepContext.folder.clear();
    ListView1->clear();
    ListView2->clear();
    m_map->removeAllLayers();
    m_map->setSettlementFolder(QString());
}

void TFormMain::addListEntry(QListWidget* list, const ListEntry& entry) {
    auto* item = new QListWidgetItem(ItemKindIcon(entry.kind), entry.caption, list);
    item->setData(RoleKind, entry.kind);
    item->setData(RolePath, entry.path);
    item->setData(RoleRecordId, entry.id);
    item->setToolTip(entry.path.isEmpty() ? entry.caption : entry.path);
}

void TFormMain::AddMaterialEntry(const ListEntry& entry) {
    int before = ListView2->count();
    for (int i = 0; i < ListView2->count(); ++i) {
        if (ListView2->item(i)->data(RoleKind).toInt() == KindFillReport) {
            before = i;
            break;
        }
    }
    addListEntry(ListView2, entry);
    ListView2->insertItem(before, ListView2->takeItem(ListView2->count() - 1));
    fitGridToCaptions(ListView2);
}

void TFormMain::fillList(QListWidget* list, const std::vector<ListEntry>& entries) {
    for (const ListEntry& entry : entries)
        addListEntry(list, entry);
    fitGridToCaptions(list);
}

void TFormMain::fitGridToCaptions(QListWidget* list) {
    // Every caption is shown whole: the cells grow to the tallest wrapped caption.
    const QFontMetrics fm(list->font());
    const int textWidth = kEntryWidth - 2 * kEntryTextMargin;
    int textHeight = 2 * fm.lineSpacing();
    for (int i = 0; i < list->count(); ++i)
        textHeight = std::max(textHeight, fm.boundingRect(QRect(0, 0, textWidth, 100000),
                                                          Qt::AlignHCenter | Qt::TextWordWrap,
                                                          list->item(i)->text())
                                              .height());
    list->setGridSize(QSize(kEntryWidth, list->iconSize().height() + textHeight + 12));
}

void TFormMain::OpenListItem(QListWidgetItem* item) {
    if (!item)
        return;
    const int kind = item->data(RoleKind).toInt();
    switch (kind) {
    case KindAddFile:
        AddFileToFolder();
        break;
    case KindFillReport:
        if (m_dialogs.fillReports && CheckBeforeReports())
            m_dialogs.fillReports();
        break;
    case KindSettlement:
        if (QTreeWidgetItem* node = selectedNode()) {
            for (int i = 0; i < node->childCount(); ++i) {
                if (node->child(i)->text(0) == item->text()) {
                    selectNode(node->child(i));
                    break;
                }
            }
        }
        break;
    case KindWord:
    case KindExcel:
    case KindMap:
    case KindOtherFile:
        ShellOpen(item->data(RolePath).toString());
        break;
    case KindExport:
        ExportMaterials();
        break;
    case KindOpenFolder:
        OpenMaterialsFolder();
        break;
    default:
        if (FindStep(kind) && m_dialogs.openStep) {
            m_dialogs.openStep(kind);
            MarkStaleSteps();
        }
        break;
    }
    TellCopyProblem();
}

void TFormMain::selectNode(QTreeWidgetItem* node) {
    TreeViewProjects->clearSelection();
    if (node) {
        TreeViewProjects->setCurrentItem(node);
        node->setSelected(true);
        TreeViewProjects->scrollToItem(node);
    }
    RefreshLists();
}

void TFormMain::BSearchClick() {
    const QString text = ESearch->text().toLower();
    if (text.isEmpty()) {
        ShowBalloon(QStringLiteral("Пошук"), QStringLiteral("Уведіть назву для пошуку."), 2,
                    ESearch);
        return;
    }
    std::vector<QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(TreeViewProjects); *it; ++it)
        nodes.push_back(*it);
    if (!nodes.empty()) {
        const QTreeWidgetItem* selected = selectedNode();
        size_t start = 0;
        for (size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i] == selected)
                start = i;
        if (selected && !m_searchFlag)
            start = (start + 1) % nodes.size();
        for (size_t n = 0; n < nodes.size(); ++n) {
            QTreeWidgetItem* node = nodes[(start + n) % nodes.size()];
            if (node->text(0).toLower().contains(text)) {
                selectNode(node);
                m_searchFlag = false;
                return;
            }
        }
    }
    ShowBalloon(QStringLiteral("Пошук"), Quoted(ESearch->text()) + QStringLiteral(" не знайдено."),
                2, ESearch);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeViewProjects->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QTreeWidgetItem* node = TreeViewProjects->itemAt(mouse->position().toPoint());
        m_searchFlag = true;
        if (!node) {
            TreeViewProjects->clearSelection();
            TreeViewProjects->setCurrentItem(nullptr);
            RefreshLists();
            return true;
        }
        // The tree selects (Ctrl and Shift keep their meaning); itemPressed refreshes.
        return false;
    }
    if ((watched == ListView1 || watched == ListView2) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* list = static_cast<QListWidget*>(watched);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list->currentItem() &&
            list->currentItem()->isSelected()) {
            OpenListItem(list->currentItem());
            return true;
        }
    }
    if (watched == TreeViewProjects && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RefreshLists();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::openHelp(const QString& name) {
    const QString dir = GlobalVar().Settings.AppDir;
    for (const QString& ext : {QStringLiteral(".docx"), QStringLiteral(".doc")}) {
        if (FileExistsQuiet(JoinPath(dir, name + ext))) {
            ShellOpen(JoinPath(dir, name + ext));
            return;
        }
    }
    ShowWarning(QStringLiteral("Не знайдено файл \"") + name + QStringLiteral(".doc\"."));
}

void TFormMain::showAbout() {
    QDialog about(this);
    about.setObjectName(QStringLiteral("TFormAbout"));
    about.setWindowTitle(QStringLiteral("Про програму"));
    auto* layout = new QHBoxLayout(&about);
    auto* icon = new QPushButton(&about);
    icon->setFlat(true);
    icon->setIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation));
    icon->setIconSize(QSize(48, 48));
    auto* text = new QPushButton(
        GlobalVar().AppTitle + QStringLiteral("\n v") + GlobalVar().AppVersion, &about);
    text->setFlat(true);
    auto* close = new QPushButton(QStringLiteral("Зачинити"), &about);
    for (QPushButton* b : {icon, text, close})
        connect(b, &QPushButton::clicked, &about, &QDialog::accept);
    layout->addWidget(icon);
    layout->addWidget(text, 1);
    layout->addWidget(close);
    about.exec();
}
