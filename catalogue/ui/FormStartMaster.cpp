#include "catalogue/ui/FormStartMaster.h"

#include "catalogue/core/Koatuu.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/ui/MinimizeWithApplication.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

TFormStartMaster::TFormStartMaster(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormStartMaster"));
    setWindowTitle(QStringLiteral("Створити новий проект"));
    resize(640, 480);
    MinimizeWithApplication(this);
    auto* layout = new QVBoxLayout(this);
    auto* header = new QLabel(QStringLiteral("Майстер проекту"), this);
    header->setStyleSheet(
        QStringLiteral("QLabel { font-weight: bold; font-size: 12pt; padding: 6px; }"));
    layout->addWidget(header);

    PageControl = new QTabWidget(this);
    TreeViewDistr = new QTreeWidget(PageControl);
    TreeViewDistr->setObjectName(QStringLiteral("TreeViewDistr"));
    TreeViewDistr->setHeaderHidden(true);
    TreeViewDistr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewDistr->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(TreeViewDistr, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* n) { LoadChildren(n); });
    // A node's children load when it is chosen (not when the tree merely gets the focus).
    connect(TreeViewDistr, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem* node = TreeViewDistr->currentItem();
        if (node && node->isSelected())
            LoadChildren(node);
    });
    PageControl->addTab(TreeViewDistr, QStringLiteral("Назва проекту"));

    auto* page = new QWidget(PageControl);
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Проект:"), page), 0, 0);
    EProjectCoatuu = new QLineEdit(page);
    EProjectCoatuu->setObjectName(QStringLiteral("EProjectCoatuu"));
    EProjectCoatuu->setMaximumWidth(110);
    EProjectName = new QLineEdit(page);
    EProjectName->setObjectName(QStringLiteral("EProjectName"));
    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(EProjectCoatuu);
    projectRow->addWidget(EProjectName, 1);
    grid->addLayout(projectRow, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Населені пункти:"), page), 1, 0, Qt::AlignTop);
    auto makeList = [page](QListWidget*& list, const char* name, const QString& caption) {
        auto* box = new QVBoxLayout;
        box->addWidget(new QLabel(caption, page));
        list = new QListWidget(page);
        list->setObjectName(QString::fromLatin1(name));
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->addWidget(list);
        return box;
    };
    grid->addLayout(makeList(SrcList, "SrcList", QStringLiteral("Автоматично знайдені:")), 1, 1);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    auto arrow = [this, page, arrows](QPushButton*& b, const QString& text, const QString& hint,
                                      auto slot) {
        b = new QPushButton(text, page);
        b->setToolTip(hint);
        b->setFixedWidth(36);
        connect(b, &QPushButton::clicked, this, slot);
        arrows->addWidget(b);
    };
    arrow(IncludeBtn, QStringLiteral(">"), QStringLiteral("Додати"), [this] { IncludeBtnClick(); });
    arrow(IncAllBtn, QStringLiteral(">>"), QStringLiteral("Додати усі"),
          [this] { IncAllBtnClick(); });
    arrow(ExcludeBtn, QStringLiteral("<"), QStringLiteral("Вилучити"),
          [this] { ExcludeBtnClick(); });
    arrow(ExAllBtn, QStringLiteral("<<"), QStringLiteral("Вилучити усі"),
          [this] { ExAllBtnClick(); });
    arrows->addStretch();
    grid->addLayout(arrows, 1, 2);
    grid->addLayout(makeList(DstList, "DstList", QStringLiteral("Додані у проект:")), 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    connect(SrcList, &QListWidget::itemDoubleClicked, this, [this] { IncludeBtnClick(); });
    connect(DstList, &QListWidget::itemDoubleClicked, this, [this] { ExcludeBtnClick(); });
    connect(DstList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { EEditValue->setText(item->text()); });
    auto* editRow = new QHBoxLayout;
    auto* newBtn = new QPushButton(QStringLiteral("Додати новий"), page);
    auto* editBtn = new QPushButton(QStringLiteral("Редагувати"), page);
    EEditValue = new QLineEdit(page);
    EEditValue->setObjectName(QStringLiteral("EEditValue"));
    connect(newBtn, &QPushButton::clicked, this, [this] { NewBtnClick(); });
    connect(editBtn, &QPushButton::clicked, this, [this] { EditBtnClick(); });
    editRow->addWidget(newBtn);
    editRow->addWidget(editBtn);
    editRow->addWidget(new QLabel(QStringLiteral("або"), page));
    editRow->addWidget(EEditValue, 1);
    grid->addLayout(editRow, 2, 1, 1, 3);
    PageControl->addTab(page, QStringLiteral("Населені пункти"));
    layout->addWidget(PageControl, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BSave = new QPushButton(QStringLiteral("Зберегти"), this);
    BNext = new QPushButton(QStringLiteral("Далі"), this);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BSave, &QPushButton::clicked, this, [this] { BSaveClick(); });
    connect(BNext, &QPushButton::clicked, this, [this] { BNextClick(); });
    buttons->addWidget(BCancel);
    buttons->addWidget(BSave);
    buttons->addWidget(BNext);
    layout->addLayout(buttons);
    updateButtons();
}

bool TFormStartMaster::run(catalogue::NewProject& project) {
    if (exec() != QDialog::Accepted)
        return false;
    project = {ProjectCoatuu(), ProjectName(), SettlementEntries()};
    return true;
}

QString TFormStartMaster::ProjectCoatuu() const {
    return EProjectCoatuu->text();
}
QString TFormStartMaster::ProjectName() const {
    return EProjectName->text();
}
QStringList TFormStartMaster::SettlementEntries() const {
    return texts(DstList);
}

QStringList TFormStartMaster::texts(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void TFormStartMaster::showEvent(QShowEvent* event) {
    PageControl->setCurrentIndex(0);
    TreeViewDistr->setFocus();
    BNext->setVisible(true);
    BSave->setVisible(false);
    if (TreeViewDistr->topLevelItemCount() == 0)
        LoadDistricts();
    QDialog::showEvent(event);
}

void TFormStartMaster::LoadDistricts() {
    QString error;
    if (!Db().ConnectCatalogue(&error)) {
        ShowError(error);
        return;
    }
    Query& q = Db().queryRef;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM коатуу WHERE code LIKE '%00000000' ORDER BY id"),
                  true)) {
        ShowError(QStringLiteral("Запит кодів коатуу\rПомилка: ") + LastError());
        return;
    }
    QList<QTreeWidgetItem*> nodes;
    for (q.first(); !q.eof(); q.next()) {
        auto* node =
            new QTreeWidgetItem(QStringList{q.text(QStringLiteral("code")) + QStringLiteral(" - ") +
                                            q.text(QStringLiteral("title"))});
        new QTreeWidgetItem(node, QStringList{koatuu::Placeholder()});
        nodes << node;
    }
    q.close();
    TreeViewDistr->addTopLevelItems(nodes);
}

int TFormStartMaster::depthOf(const QTreeWidgetItem* node) {
    int depth = 0;
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent())
        ++depth;
    return depth;
}

void TFormStartMaster::LoadChildren(QTreeWidgetItem* node) {
    if (!node || node->childCount() != 1 || node->child(0)->text(0) != koatuu::Placeholder())
        return;
    delete node->takeChild(0);
    const QString code = FieldOf(node->text(0), QStringLiteral(" - "), QString(), 1);
    const QString title = FieldOf(node->text(0), QStringLiteral(" - "), QString(), 2);
    const int depth = depthOf(node);
    Query& q = Db().queryRef;
    if (!RunQuery(q,
                  QStringLiteral("SELECT * FROM коатуу WHERE code LIKE '") +
                      koatuu::ChildPattern(code, depth) + QStringLiteral("' AND code <> '") +
                      QuoteSql(code) + QStringLiteral("' ORDER BY id"),
                  true)) {
        ShowError(QStringLiteral("Запит кодів коатуу\rПомилка: ") + LastError());
        return;
    }
    std::vector<std::pair<QString, QString>> rows;
    rows.reserve(q.recordCount());
    for (q.first(); !q.eof(); q.next())
        rows.emplace_back(q.text(QStringLiteral("code")), q.text(QStringLiteral("title")));
    q.close();
    auto text = [](const QString& c, const QString& t) {
        return QStringList{c + QStringLiteral(" - ") + t};
    };
    if (depth <= 1) {
        for (const auto& [c, t] : rows) {
            auto* child = new QTreeWidgetItem(node, text(c, t));
            new QTreeWidgetItem(child, QStringList{koatuu::Placeholder()});
        }
    } else {
        std::vector<QTreeWidgetItem*> made;
        made.reserve(rows.size());
        for (const koatuu::NestedRow& row : koatuu::NestByRank(code, title, rows))
            made.push_back(new QTreeWidgetItem(row.parent < 0 ? node : made[row.parent],
                                               text(row.code, row.title)));
    }
    node->setExpanded(true);
}

void TFormStartMaster::BNextClick() {
    QTreeWidgetItem* node = TreeViewDistr->currentItem();
    if (!node || !node->isSelected()) {
        ShowWarning(QStringLiteral("Не обрано адміністративну одиницю."));
        TreeViewDistr->setFocus();
        return;
    }
    LoadChildren(node);
    const bool leaf = node->childCount() == 0;
    const koatuu::SearchPrefix prefix = koatuu::PrefixFor(node->text(0), depthOf(node), leaf);
    if (!prefix.warning.isEmpty()) {
        ShowWarning(prefix.warning);
        TreeViewDistr->setFocus();
        return;
    }
    Query& q = Db().queryRef;
    if (!RunQuery(q, koatuu::SettlementsSql(prefix.prefix), true)) {
        ShowError(QStringLiteral("Запит населених пунктів на обраний елемент.\rПодробиці: ") +
                  LastError());
        return;
    }
    SrcList->clear();
    DstList->clear();
    QStringList entries;
    for (q.first(); !q.eof(); q.next())
        entries << q.text(QStringLiteral("title")) + QStringLiteral(", ") +
                       q.text(QStringLiteral("code"));
    q.close();
    // All found settlements start included.
    DstList->addItems(entries);
    updateButtons();
    EProjectName->setText(koatuu::ProjectNameFor(node->text(0)));
    EProjectCoatuu->setText(FieldOf(node->text(0), QStringLiteral(" - "), QString(), 1));
    BNext->setVisible(false);
    BSave->setVisible(true);
    PageControl->setCurrentIndex(1);
}

void TFormStartMaster::BSaveClick() {
    const QString folderName = SafeFileName(ProjectName());
    const QString folder = JoinPath(GlobalVar().Settings.ProjectsDir, folderName);
    if (FolderExistsQuiet(folder)) {
        if (AskConfirm(QStringLiteral("Папка з проектом \"") + folderName +
                           QStringLiteral("\" вже існує. Замінити її?"),
                       Answer::Yes | Answer::Cancel) != Answer::Yes)
            return;
        Db().CloseProject();
        QString warning;
        if (!catalogue::DeleteProjectFolder(folder, &warning)) {
            ShowWarning(warning);
            return;
        }
    }
    accept();
}

void TFormStartMaster::updateButtons() {
    IncludeBtn->setEnabled(SrcList->count() > 0);
    IncAllBtn->setEnabled(SrcList->count() > 0);
    ExcludeBtn->setEnabled(DstList->count() > 0);
    ExAllBtn->setEnabled(DstList->count() > 0);
}

void TFormStartMaster::moveSelected(QListWidget* from, QListWidget* to) {
    std::vector<int> selected;
    for (int i = 0; i < from->count(); ++i)
        if (from->item(i)->isSelected())
            selected.push_back(i);
    QStringList source = texts(from);
    QStringList target = texts(to);
    const int select = koatuu::MoveItems(source, target, selected);
    from->clear();
    from->addItems(source);
    to->clear();
    to->addItems(target);
    from->setFocus();
    if (select >= 0)
        from->setCurrentRow(select);
    updateButtons();
}

void TFormStartMaster::moveAll(QListWidget* from, QListWidget* to) {
    to->addItems(texts(from));
    from->clear();
    updateButtons();
}

void TFormStartMaster::IncludeBtnClick() {
    moveSelected(SrcList, DstList);
}
void TFormStartMaster::IncAllBtnClick() {
    moveAll(SrcList, DstList);
}
void TFormStartMaster::ExcludeBtnClick() {
    moveSelected(DstList, SrcList);
}
void TFormStartMaster::ExAllBtnClick() {
    moveAll(DstList, SrcList);
}

bool TFormStartMaster::editValueUsable(int skip) {
    const QString value = EEditValue->text();
    if (value.isEmpty()) {
        ShowBalloon(QStringLiteral("Попередження"), QStringLiteral("Немає значення."), 2,
                    EEditValue);
        return false;
    }
    const int existing = koatuu::FindIgnoringCase(texts(DstList), value, skip);
    if (existing >= 0) {
        DstList->setCurrentRow(existing);
        ShowBalloon(QStringLiteral("Попередження"),
                    QStringLiteral("Населений пункт вже є у списку."), 2, EEditValue);
        return false;
    }
    return true;
}

void TFormStartMaster::NewBtnClick() {
    if (!editValueUsable(-1))
        return;
    DstList->addItem(EEditValue->text());
    updateButtons();
}

void TFormStartMaster::EditBtnClick() {
    QListWidgetItem* item = DstList->currentItem();
    if (!item || !item->isSelected() || !editValueUsable(DstList->row(item)))
        return;
    item->setText(EEditValue->text());
}
