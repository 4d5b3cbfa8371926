#include "catalogue/refs/FormRefs.h"

#include "catalogue/refs/FormPriceImport.h"
#include "catalogue/refs/RefsModel.h"
#include "common/Messages.h"
#include "common/ui/Dialog.h"
#include "common/ui/MinimizeWithApplication.h"
#include "db/QueryFunctions.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedLayout>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int MaxColumnWidth = 300;
constexpr int MaxEditWidth = 350;
constexpr int MemoWidth = 350;

QToolButton* CommandButton(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

} // namespace

int DialogRefsInput::editWidth(const QFontMetrics& metrics, int size) {
    return std::min(MaxEditWidth, metrics.horizontalAdvance(u'W') * (size + 5));
}

std::optional<QStringList> DialogRefsInput::ask(const QString& title,
                                                const std::vector<FieldInfo>& fields,
                                                const QStringList& values) {
    TFormDialog& dialog = FormDialog();
    dialog.ClearFields();
    dialog.SetTitle(title);
    const QFontMetrics metrics(dialog.font());
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldInfo& field = fields[i];
        const QString name = u'B' + QString::number(i + 1);
        const QString value = values.value(static_cast<int>(i));
        if (field.type == FieldType::Memo) {
            dialog.AddField(FieldMemo, field.name, false, false, MemoWidth, true, false, value,
                            name);
        } else {
            QWidget* control =
                dialog.AddField(FieldEdit, field.name, false, false, editWidth(metrics, field.size),
                                true, false, value, name);
            // A column without a declared size takes any length.
            if (auto* edit = qobject_cast<QLineEdit*>(control); edit && field.size > 0)
                edit->setMaxLength(field.size);
        }
    }
    dialog.ArrangeFields();
    dialog.SetAskOnClose(true);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList result;
    for (size_t i = 0; i < fields.size(); ++i) {
        QWidget* control = dialog.Field(u'B' + QString::number(i + 1));
        if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
            result << memo->toPlainText().split(u'\n').join(u'\r');
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            result << edit->text();
        else
            result << QString();
    }
    return result;
}

TFormRefs::TFormRefs(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormRefs"));
    setWindowTitle(QStringLiteral("Довідники"));
    MinimizeWithApplication(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(900, 560);

    // The tree of groups and tables, fully expanded.
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setIndentation(12);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const RefsGroupInfo& group : RefsGroups()) {
        auto* node = new QTreeWidgetItem(TreeView1, QStringList(group.caption));
        node->setData(0, Qt::UserRole, static_cast<int>(group.group));
        for (const QString& table : group.tables)
            new QTreeWidgetItem(node, QStringList(table));
    }
    TreeView1->expandAll();

    // The panel of the chosen table.
    auto* right = new QWidget(this);
    auto* stack = new QStackedLayout(right);
    LabelEmpty = new QLabel(QStringLiteral("Довідник не вибрано."), right);
    LabelEmpty->setAlignment(Qt::AlignCenter);
    PanelRef = new QWidget(right);
    PanelRef->setObjectName(QStringLiteral("PanelRef"));
    stack->addWidget(LabelEmpty);
    stack->addWidget(PanelRef);

    PanelCaption = new QLabel(PanelRef);
    PanelCaption->setObjectName(QStringLiteral("PanelCaption"));
    QFont bold = PanelCaption->font();
    bold.setBold(true);
    PanelCaption->setFont(bold);

    ACT_ADD = new QAction(QStringLiteral("Додати"), this);
    ACT_ADDCOPY = new QAction(QStringLiteral("Додати копію"), this);
    ACT_EDIT = new QAction(QStringLiteral("Редагувати"), this);
    ACT_DELETE = new QAction(QStringLiteral("Вилучити"), this);
    for (QAction* a : {ACT_ADD, ACT_ADDCOPY, ACT_EDIT, ACT_DELETE})
        a->setToolTip(a->text());
    ACT_IMPORT = new QAction(QStringLiteral("Імпорт цін..."), this);
    ACT_IMPORT->setObjectName(QStringLiteral("ACT_IMPORT"));
    ACT_IMPORT->setToolTip(QStringLiteral(
        "Занести у збірник ціни з робочої книги (.xlsx, .xls) або тексту з роздільниками (.csv)"));
    ACT_IMPORT->setVisible(false);

    DBGridValues = new QTableView(PanelRef);
    DBGridValues->setObjectName(QStringLiteral("DBGridValues"));
    m_model = new RefsModel(this);
    DBGridValues->setModel(m_model);
    DBGridValues->setItemDelegate(new RefsDelegate(DBGridValues));
    DBGridValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridValues->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridValues->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridValues->verticalHeader()->setDefaultSectionSize(DBGridValues->fontMetrics().height() + 6);
    DBGridValues->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGridValues->horizontalHeader()->setSectionsClickable(false);
    DBGridValues->horizontalHeader()->setHighlightSections(false);
    DBGridValues->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGridValues->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);

    // Keys of the grid: Insert adds, F2 edits, Delete deletes.
    ACT_ADD->setShortcut(QKeySequence(Qt::Key_Insert));
    ACT_ADDCOPY->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    ACT_EDIT->setShortcut(QKeySequence(Qt::Key_F2));
    ACT_DELETE->setShortcut(QKeySequence(Qt::Key_Delete));
    for (QAction* a : {ACT_ADD, ACT_ADDCOPY, ACT_EDIT, ACT_DELETE}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        DBGridValues->addAction(a);
    }

    PopupMenuGrid = new QMenu(this);
    PopupMenuGrid->setObjectName(QStringLiteral("PopupMenuGrid"));
    auto* popupAdd = PopupMenuGrid->addAction(QStringLiteral("Додати"));
    auto* popupEdit = PopupMenuGrid->addAction(QStringLiteral("Редагувати"));
    auto* popupDelete = PopupMenuGrid->addAction(QStringLiteral("Вилучити"));
    PopupMenuGrid->setDefaultAction(popupEdit);
    POPUP_SORT_HEADING = PopupMenuGrid->addAction(QStringLiteral("Сортувати за:"));
    POPUP_SORT_HEADING->setEnabled(false);
    POPUP_SORT_ASC = PopupMenuGrid->addAction(QStringLiteral("зростанням"));
    POPUP_SORT_DESC = PopupMenuGrid->addAction(QStringLiteral("спаданням"));
    POPUP_SORT_NONE = PopupMenuGrid->addAction(QStringLiteral("[немає]"));
    POPUP_SORT_ASC->setData(1);
    POPUP_SORT_DESC->setData(2);
    POPUP_SORT_NONE->setData(0);
    popupAdd->setObjectName(QStringLiteral("POPUP_ADD"));
    popupEdit->setObjectName(QStringLiteral("POPUP_EDIT"));
    popupDelete->setObjectName(QStringLiteral("POPUP_DELETE"));
    connect(popupAdd, &QAction::triggered, this, &TFormRefs::ACT_ADDExecute);
    connect(popupEdit, &QAction::triggered, this, &TFormRefs::ACT_EDITExecute);
    connect(popupDelete, &QAction::triggered, this, &TFormRefs::ACT_DELETEExecute);
    for (QAction* a : {POPUP_SORT_ASC, POPUP_SORT_DESC, POPUP_SORT_NONE})
        connect(a, &QAction::triggered, this, [this, a] { POPUP_SORTClick(a->data().toInt()); });

    auto* search = new QLabel(QStringLiteral("Пошук:"), PanelRef);
    ESearchText = new QLineEdit(PanelRef);
    ESearchText->setObjectName(QStringLiteral("ESearchText"));
    search->setBuddy(ESearchText);
    BSearch = new QPushButton(QStringLiteral("Знайти"), PanelRef);
    BSearch->setObjectName(QStringLiteral("BSearch"));
    BSearch->setAutoDefault(false);

    auto* commands = new QHBoxLayout;
    commands->addWidget(PanelCaption, 1);
    for (QAction* a : {ACT_ADD, ACT_ADDCOPY, ACT_EDIT, ACT_DELETE, ACT_IMPORT})
        commands->addWidget(CommandButton(a, PanelRef));
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(search);
    searchRow->addWidget(ESearchText, 1);
    searchRow->addWidget(BSearch);
    auto* panel = new QVBoxLayout(PanelRef);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addLayout(commands);
    panel->addWidget(DBGridValues, 1);
    panel->addLayout(searchRow);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(TreeView1);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 700});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TFormRefs::TreeView1Click);
    connect(ACT_ADD, &QAction::triggered, this, &TFormRefs::ACT_ADDExecute);
    connect(ACT_ADDCOPY, &QAction::triggered, this, &TFormRefs::ACT_ADDCOPYExecute);
    connect(ACT_EDIT, &QAction::triggered, this, &TFormRefs::ACT_EDITExecute);
    connect(ACT_DELETE, &QAction::triggered, this, &TFormRefs::ACT_DELETEExecute);
    connect(ACT_IMPORT, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Імпорт цін"), QString(),
            QStringLiteral("Прайс-листи (*.xlsx *.xls *.csv *.txt);;Усі файли (*)"));
        if (!path.isEmpty())
            importPriceList(path);
    });
    connect(BSearch, &QPushButton::clicked, this, &TFormRefs::BSearchClick);
    connect(ESearchText, &QLineEdit::returnPressed, this, &TFormRefs::BSearchClick);
    connect(ESearchText, &QLineEdit::textEdited, this, &TFormRefs::ESearchTextChange);
    connect(DBGridValues, &QTableView::doubleClicked, this, &TFormRefs::DBGridValuesDblClick);
    connect(DBGridValues->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TFormRefs::gridCurrentChanged);
    connect(DBGridValues, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        showPopup(false, DBGridValues->viewport()->mapToGlobal(pos),
                  DBGridValues->columnAt(pos.x()));
    });
    connect(DBGridValues->horizontalHeader(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                showPopup(true, DBGridValues->horizontalHeader()->mapToGlobal(pos),
                          DBGridValues->horizontalHeader()->logicalIndexAt(pos));
            });
}

TFormRefs::~TFormRefs() = default;

bool DialogRefsInput::confirmDelete() {
    return AskConfirm(RefsTexts::confirmDelete(), Answer::Ok | Answer::Cancel) == Answer::Ok;
}

RefsInput& TFormRefs::input() {
    return m_input ? *m_input : m_dialogInput;
}

void TFormRefs::tell(const RefsMessages& messages) {
    for (const RefsMessage& m : messages) {
        switch (m.kind) {
        case RefsMessage::Kind::Error:
            ShowError(m.caption, m.text);
            break;
        case RefsMessage::Kind::Warning:
            ShowWarning(m.text);
            break;
        case RefsMessage::Kind::NotFound:
            ShowBalloon(m.caption, m.text, 1, ESearchText);
            break;
        }
    }
}

bool TFormRefs::selectNode(const QString& text) {
    const QList<QTreeWidgetItem*> found =
        TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    TreeView1->setCurrentItem(found.first());
    return true;
}

void TFormRefs::TreeView1Click() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    auto* stack = static_cast<QStackedLayout*>(PanelRef->parentWidget()->layout());
    if (!item || !item->parent()) {
        stack->setCurrentWidget(LabelEmpty);
        return;
    }
    const auto group = static_cast<RefsGroup>(item->parent()->data(0, Qt::UserRole).toInt());
    PanelCaption->setText(item->text(0));
    stack->setCurrentWidget(PanelRef);
    RefsMessages messages;
    m_book.selectTable(group, item->text(0), &messages);
    tell(messages);
    ACT_IMPORT->setVisible(item->text(0) == PriceCatalogueTable());
    showRows();
}

int TFormRefs::importPriceList(const QString& path) {
    Connection* catalogue = m_book.connection();
    if (!catalogue || m_book.table() != PriceCatalogueTable())
        return QDialog::Rejected;
    TFormPriceImport form(*catalogue, this);
    if (!form.setFile(path))
        return QDialog::Rejected;
    const int result = form.exec();
    if (result == QDialog::Accepted) {
        RefsMessages messages;
        m_book.ReloadTable(&messages, QStringLiteral("-1"));
        tell(messages);
        showRows();
    }
    return result;
}

void TFormRefs::showRows() {
    m_syncing = true;
    Query& rows = m_book.QueryValues();
    if (rows.isOpen())
        m_model->load(rows);
    else
        m_model->clear();
    QHeaderView* header = DBGridValues->horizontalHeader();
    const int sortColumn = rows.fieldIndex(m_book.sortField());
    header->setSortIndicatorShown(m_book.sort() != RefsSort::None && sortColumn >= 0);
    if (sortColumn >= 0)
        header->setSortIndicator(sortColumn, m_book.sort() == RefsSort::Descending
                                                 ? Qt::DescendingOrder
                                                 : Qt::AscendingOrder);
    // Memo columns 300 pixels; no column wider than that.
    DBGridValues->resizeColumnsToContents();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->isMemo(c) || DBGridValues->columnWidth(c) > MaxColumnWidth)
            DBGridValues->setColumnWidth(c, MaxColumnWidth);
    }
    const int current = rows.recNo();
    if (current > 0) {
        const QModelIndex index =
            m_model->index(current - 1, std::max(0, DBGridValues->currentIndex().column()));
        DBGridValues->setCurrentIndex(index);
        DBGridValues->scrollTo(index);
    }
    m_syncing = false;
}

void TFormRefs::gridCurrentChanged() {
    if (m_syncing)
        return;
    const QModelIndex index = DBGridValues->currentIndex();
    if (index.isValid())
        m_book.QueryValues().setRecNo(index.row() + 1);
}

void TFormRefs::ACT_ADDExecute() {
    if (!m_book.hasTable())
        return;
    RefsMessages messages;
    m_book.ACT_ADDExecute(input(), &messages);
    tell(messages);
    showRows();
}

void TFormRefs::ACT_ADDCOPYExecute() {
    if (!m_book.hasTable())
        return;
    RefsMessages messages;
    m_book.ACT_ADDCOPYExecute(&messages);
    tell(messages);
    showRows();
}

void TFormRefs::ACT_EDITExecute() {
    if (!m_book.hasTable())
        return;
    RefsMessages messages;
    m_book.ACT_EDITExecute(input(), &messages);
    tell(messages);
    showRows();
}

void TFormRefs::ACT_DELETEExecute() {
    if (!m_book.hasTable())
        return;
    RefsMessages messages;
    m_book.ACT_DELETEExecute(input(), &messages);
    tell(messages);
    showRows();
}

void TFormRefs::DBGridValuesDblClick(const QModelIndex& index) {
    if (index.isValid() && HasCurrentRecord(m_book.QueryValues()))
        ACT_EDITExecute();
}

void TFormRefs::BSearchClick() {
    RefsMessages messages;
    const bool found = m_book.BSearchClick(ESearchText->text(), &messages);
    tell(messages);
    if (found)
        showRows();
}

void TFormRefs::ESearchTextChange(const QString& text) {
    RefsMessages messages;
    m_book.ESearchTextChange(text, &messages);
    tell(messages);
    showRows();
}

void TFormRefs::PopupMenuGridPopup(bool inHeading, int column) {
    if (inHeading)
        m_popupColumn = column;
    for (QAction* a : PopupMenuGrid->actions())
        a->setVisible(!inHeading);
    for (QAction* a : {POPUP_SORT_HEADING, POPUP_SORT_ASC, POPUP_SORT_DESC, POPUP_SORT_NONE})
        a->setVisible(inHeading);
}

void TFormRefs::showPopup(bool inHeading, const QPoint& globalPos, int column) {
    if (!m_book.hasTable())
        return;
    PopupMenuGridPopup(inHeading, column);
    PopupMenuGrid->popup(globalPos);
}

void TFormRefs::POPUP_SORTClick(int tag) {
    const QString field = m_popupColumn >= 0 && m_popupColumn < m_model->columnCount()
                              ? m_model->field(m_popupColumn).name
                              : QString();
    const RefsSort sort = tag == 1   ? RefsSort::Ascending
                          : tag == 2 ? RefsSort::Descending
                                     : RefsSort::None;
    if (sort != RefsSort::None && field.isEmpty())
        return;
    RefsMessages messages;
    m_book.setSort(field, sort, &messages);
    tell(messages);
    showRows();
}
