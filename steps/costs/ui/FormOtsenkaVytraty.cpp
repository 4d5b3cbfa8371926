#include "steps/costs/ui/FormOtsenkaVytraty.h"

#include "common/Messages.h"
#include "steps/common/StepStore.h"
#include "widgets/GridView.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* ResultEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(130);
    return edit;
}

QAction* MenuAction(QMenu* menu, const QString& name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

} // namespace

TFormOtsenkaVytraty::TFormOtsenkaVytraty(const StepContext& context, int year, QWidget* parent)
    : StepWindow(context, QStringLiteral("Витрати"), parent), m_year(year) {
    setObjectName(QStringLiteral("FormOtsenkaVytraty"));
    resize(1000, 680);
    addHeading(QStringLiteral("Витрати на освоювання та облаштування території"));

    auto* yearLine = new QHBoxLayout;
    EKoeficient = new QComboBox(this);
    EKoeficient->setObjectName(QStringLiteral("EKoeficient"));
    EKoeficient->setEditable(true);
    EKoeficient->setMaxVisibleItems(20);
    EKoeficient->setInsertPolicy(QComboBox::NoInsert);
    EKoeficient->setMinimumWidth(150);
    auto* yearLabel = new QLabel(QStringLiteral("Рік, на який заносяться витрати:"), this);
    yearLabel->setBuddy(EKoeficient);
    yearLine->addWidget(yearLabel);
    yearLine->addWidget(EKoeficient);
    yearLine->addWidget(new QLabel(QStringLiteral("та застосовується коефіцієнт інфляції"), this));
    yearLine->addStretch(1);
    body()->addLayout(yearLine);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    ListCategories = new QListWidget(this);
    ListCategories->setObjectName(QStringLiteral("ListCategories"));
    ListCategories->addItems(CostSections());
    ListCategories->setWordWrap(true);
    ListCategories->setMinimumWidth(240);
    ListCategories->setMaximumWidth(280);
    auto* sectionsLabel = new QLabel(QStringLiteral("Розділи:"), this);
    sectionsLabel->setBuddy(ListCategories);
    left->addWidget(sectionsLabel);
    left->addWidget(ListCategories, 1);
    BClear = new QPushButton(QStringLiteral("Очистити усі витрати у розділах"), this);
    BClear->setObjectName(QStringLiteral("BClear"));
    BClear->setAutoDefault(false);
    left->addWidget(BClear);
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    GridVytratyUser = new GridView(this);
    GridVytratyUser->setObjectName(QStringLiteral("GridVytratyUser"));
    GridVytratyUser->setGrid(&m_sheet.visible);
    GridColumn number = GridColumn::text(QStringLiteral("п/п"), 40);
    number.readOnly = true;
    GridColumn category = GridColumn::text(QStringLiteral("Категорія"), 0);
    category.readOnly = true;
    GridColumn name = GridColumn::text(QStringLiteral("Назва"), 250);
    name.wrap = true;
    GridVytratyUser->setColumns({number, category, name,
                                 GridColumn::text(QStringLiteral("Одиниці виміру"), 80),
                                 GridColumn::number(QStringLiteral("Первісна вартість"), 4, 85),
                                 GridColumn::number(QStringLiteral("Відновна вартість"), 4, 85),
                                 GridColumn::number(QStringLiteral("Кількість"), 4, 75),
                                 GridColumn::number(QStringLiteral("Всього"), 4, 95)});
    GridVytratyUser->setFillColumn(ColCostName, 30);
    right->addWidget(GridVytratyUser, 3);

    auto* gridMenu = new QMenu(GridVytratyUser);
    POPUP_ADDROW =
        MenuAction(gridMenu, QStringLiteral("POPUP_ADDROW"), QStringLiteral("Додати строку"));
    POPUP_DELROW =
        MenuAction(gridMenu, QStringLiteral("POPUP_DELROW"), QStringLiteral("Вилучити строку"));
    POPUP_RECALC = MenuAction(gridMenu, QStringLiteral("POPUP_RECALC"),
                              QStringLiteral("Перерахувати відновну вартість"));
    GridVytratyUser->setPopupMenu(gridMenu);
    GridVytratyUser->setToolTip(QStringLiteral(
        "Insert - додати строку, Ctrl+Delete - вилучити строку, F9 - перерахувати відновну "
        "вартість"));
    GridVytratyUser->installEventFilter(this);

    LabelPrice = new QLabel(PriceListCaption(MakePriceGrid()), this);
    LabelPrice->setObjectName(QStringLiteral("LabelPrice"));
    auto* priceLabel = LabelPrice;
    right->addWidget(priceLabel);
    ListPrice = new GridView(this);
    ListPrice->setObjectName(QStringLiteral("ListPrice"));
    *ListPrice->grid() = MakePriceGrid();
    QList<GridColumn> priceColumns = {
        GridColumn::text(QStringLiteral("Назва"), 300),
        GridColumn::text(QStringLiteral("Од. виміру"), 80),
        GridColumn::number(QStringLiteral("Первісна, тис. грн"), 4, 110),
        GridColumn::number(QStringLiteral("Відновна, тис. грн"), 4, 110),
        GridColumn::text(QStringLiteral("Рік цін"), 60),
        GridColumn::text(QStringLiteral("Розділ"), 0)};
    for (GridColumn& c : priceColumns)
        c.readOnly = true;
    ListPrice->setColumns(priceColumns);
    ListPrice->setFillColumn(ColPriceName, 30);
    ListPrice->setRowSelect(true);
    priceLabel->setBuddy(ListPrice);
    auto* priceMenu = new QMenu(ListPrice);
    POPUP_PUTPRICE =
        MenuAction(priceMenu, QStringLiteral("POPUP_PUTPRICE"), QStringLiteral("Занести вартість"));
    ListPrice->setPopupMenu(priceMenu);
    ListPrice->installEventFilter(this);
    right->addWidget(ListPrice, 2);

    // Total / area = cost per sq m, each under its caption.
    auto* results = new QGridLayout;
    EOcinochna = ResultEdit(QStringLiteral("EOcinochna"), this);
    EVytratyVsiogo = ResultEdit(QStringLiteral("EVytratyVsiogo"), this);
    EVytraty1m = ResultEdit(QStringLiteral("EVytraty1m"), this);
    results->addWidget(new QLabel(QStringLiteral("Витрати всього, тис. грн."), this), 0, 0);
    results->addWidget(new QLabel(QStringLiteral("Оціночна площа, га:"), this), 0, 2);
    results->addWidget(new QLabel(QStringLiteral("Витрати на освоювання, грн 1 кв.м:"), this), 0,
                       4);
    results->addWidget(EVytratyVsiogo, 1, 0);
    results->addWidget(new QLabel(QStringLiteral("/"), this), 1, 1);
    results->addWidget(EOcinochna, 1, 2);
    results->addWidget(new QLabel(QStringLiteral("="), this), 1, 3);
    results->addWidget(EVytraty1m, 1, 4);
    results->setColumnStretch(5, 1);
    right->addLayout(results);
    columns->addLayout(right, 1);
    body()->addLayout(columns, 1);

    connect(ListCategories, &QListWidget::currentRowChanged, this,
            &TFormOtsenkaVytraty::ListCategoriesClick);
    connect(GridVytratyUser, &GridView::cellEdited, this,
            [this](int row, int col, const QString&) { GridVytratyUserSetEditText(row, col); });
    connect(GridVytratyUser, &GridView::popupRequested, this,
            [this](int row, int col, const QPoint&) { gridPopup(row, col); });
    connect(ListPrice, &GridView::popupRequested, this, &TFormOtsenkaVytraty::pricePopup);
    connect(ListPrice, &QAbstractItemView::doubleClicked, this,
            &TFormOtsenkaVytraty::PUTPRICEExecute);
    connect(POPUP_ADDROW, &QAction::triggered, this, &TFormOtsenkaVytraty::ADDROWExecute);
    connect(POPUP_DELROW, &QAction::triggered, this, &TFormOtsenkaVytraty::DELROWExecute);
    connect(POPUP_RECALC, &QAction::triggered, this, &TFormOtsenkaVytraty::RECALCExecute);
    connect(POPUP_PUTPRICE, &QAction::triggered, this, &TFormOtsenkaVytraty::PUTPRICEExecute);
    connect(BClear, &QPushButton::clicked, this, &TFormOtsenkaVytraty::BClearClick);
    connect(EKoeficient, &QComboBox::currentTextChanged, this,
            &TFormOtsenkaVytraty::EKoeficientChange);
}

void TFormOtsenkaVytraty::EKoeficientChange(const QString& line) {
    if (FLoading || line == m_sheet.coefficient)
        return;
    auto guard = loading();
    ChangeCostCoefficient(m_sheet, line);
    refreshGrid();
    showResults();
}

void TFormOtsenkaVytraty::setLoaded(const QStringList& coefficientLines, const StringGrid& prices) {
    auto guard = loading();
    EKoeficient->clear();
    EKoeficient->addItems(coefficientLines);
    EKoeficient->setCurrentIndex(-1);
    EKoeficient->setEditText(m_sheet.coefficient);
    EOcinochna->setText(m_sheet.area);
    m_prices = prices;
    LabelPrice->setText(PriceListCaption(m_prices));
    showPrices();
    refreshGrid();
    setHint(CostsHint(m_sheet, m_prices));
}

void TFormOtsenkaVytraty::showPrices() {
    *ListPrice->grid() = PricesOfSection(m_prices, m_sheet.section);
    ListPrice->refresh();
}

const CostsSheet& TFormOtsenkaVytraty::sheetToStore() {
    m_sheet.coefficient = EKoeficient->currentText();
    return m_sheet;
}

void TFormOtsenkaVytraty::refreshGrid() {
    GridVytratyUser->refresh();
}

void TFormOtsenkaVytraty::showResults() {
    EVytratyVsiogo->setText(m_sheet.total);
    EVytraty1m->setText(m_sheet.perSquareMetre);
    setHint(CostsHint(m_sheet, m_prices));
}

void TFormOtsenkaVytraty::RecalcCosts(int col, int row) {
    if (FLoading)
        return;
    auto guard = loading();
    m_sheet.coefficient = EKoeficient->currentText();
    ::RecalcCosts(m_sheet, col, row);
    refreshGrid();
    showResults();
}

void TFormOtsenkaVytraty::ListCategoriesClick(int index) {
    if (index < 0 || index >= CostSections().size())
        return;
    GridVytratyUser->endEdit();
    const int shown = [&] {
        auto guard = loading();
        return SelectCostSection(m_sheet, CostSections().at(index));
    }();
    refreshGrid();
    showPrices();
    if (shown > 0)
        GridVytratyUser->setCurrentCell(m_sheet.visible.fixedRows(), ColCostName);
}

void TFormOtsenkaVytraty::GridVytratyUserSetEditText(int row, int col) {
    if (FLoading)
        return;
    if (m_sheet.visible.at(row, ColCostNumber).isEmpty()) {
        auto guard = loading();
        CostCellEdited(m_sheet, row, col);
        refreshGrid();
        return;
    }
    RecalcCosts(col, row);
}

void TFormOtsenkaVytraty::ADDROWExecute() {
    if (!CanAddCostRow(m_sheet))
        return;
    GridVytratyUser->endEdit();
    m_sheet.coefficient = EKoeficient->currentText();
    int row = -1;
    {
        auto guard = loading();
        row = AddCostRow(m_sheet);
    }
    refreshGrid();
    showResults();
    GridVytratyUser->setCurrentCell(row, ColCostName);
    GridVytratyUser->setFocus();
}

void TFormOtsenkaVytraty::DELROWExecute() {
    GridVytratyUser->endEdit();
    m_sheet.coefficient = EKoeficient->currentText();
    {
        auto guard = loading();
        if (!RemoveCostRow(m_sheet))
            return;
    }
    refreshGrid();
    showResults();
}

void TFormOtsenkaVytraty::RECALCExecute() {
    GridVytratyUser->endEdit();
    m_sheet.coefficient = EKoeficient->currentText();
    {
        auto guard = loading();
        if (!RecalcRestoredCost(m_sheet))
            return;
    }
    refreshGrid();
    showResults();
}

bool TFormOtsenkaVytraty::selectedPrice(CatalogPrice* price) const {
    const StringGrid& prices = *ListPrice->grid();
    const int row = prices.currentRow();
    if (row < prices.fixedRows() || row >= prices.rowCount())
        return false;
    if (price)
        *price = CatalogPrice{prices.at(row, ColPriceName), prices.at(row, ColPriceUnit),
                              prices.at(row, ColPriceRestored)};
    return true;
}

void TFormOtsenkaVytraty::PUTPRICEExecute() {
    CatalogPrice price;
    if (!selectedPrice(&price) || !CanPutCatalogPrice(m_sheet, true))
        return;
    GridVytratyUser->endEdit();
    m_sheet.coefficient = EKoeficient->currentText();
    {
        auto guard = loading();
        if (!PutCatalogPrice(m_sheet, price)) {
            showIssue(ListPrice,
                      FieldIssue(ListPrice->objectName(),
                                 QStringLiteral("У збірнику немає ціни цього показника: уведіть "
                                                "вартість у таблиці витрат або імпортуйте ціни в "
                                                "довідниках."),
                                 QStringLiteral("Збірник")));
            return;
        }
    }
    refreshGrid();
    showResults();
    GridVytratyUser->setCurrentCell(m_sheet.visible.currentRow(), ColCostQuantity);
    GridVytratyUser->setFocus();
}

void TFormOtsenkaVytraty::gridPopup(int row, int col) {
    const bool remove = CanRemoveCostRow(m_sheet, row, col);
    if (remove)
        GridVytratyUser->setCurrentCell(row, col);
    POPUP_ADDROW->setEnabled(CanAddCostRow(m_sheet));
    POPUP_DELROW->setEnabled(remove);
    POPUP_RECALC->setEnabled(remove);
}

void TFormOtsenkaVytraty::pricePopup() {
    POPUP_PUTPRICE->setEnabled(CanPutCatalogPrice(m_sheet, selectedPrice(nullptr)));
}

void TFormOtsenkaVytraty::BClearClick() {
    GridVytratyUser->endEdit();
    if (HasCostItems(m_sheet) &&
        AskConfirm(QStringLiteral("Ви впевнені щодо вилучення усіх даних про витрати?"),
                   Answer::Ok | Answer::Cancel) != Answer::Ok)
        return;
    GridVytratyUser->cancelEdit();
    m_sheet.coefficient = EKoeficient->currentText();
    {
        auto guard = loading();
        ClearAllCosts(m_sheet);
    }
    refreshGrid();
    showResults();
}

QString TFormOtsenkaVytraty::unsavedState() const {
    // The visible grid shows one section of the items: what is stored is the full list.
    QString state = EKoeficient->currentText();
    const StringGrid& full = m_sheet.full;
    for (int row = full.fixedRows(); row < full.rowCount(); ++row)
        if (!full.at(row, ColCostNumber).isEmpty())
            state += u'\x1e' + full.rowTexts(row).mid(ColCostCategory).join(u'\x1f');
    return state;
}

StepCheck TFormOtsenkaVytraty::checkBeforeSave() {
    StepCheck issue = CheckCosts(m_sheet);
    if (!issue)
        return issue;
    // The item is shown in its section, the issue then names its visible row.
    const QString number = m_sheet.full.at(issue->row, ColCostNumber);
    const int section = CostSections().indexOf(m_sheet.full.at(issue->row, ColCostCategory));
    if (section >= 0 && section != ListCategories->currentRow())
        ListCategories->setCurrentRow(section);
    for (int row = m_sheet.visible.fixedRows(); row < m_sheet.visible.rowCount(); ++row)
        if (m_sheet.visible.at(row, ColCostNumber) == number)
            issue->row = row;
    return issue;
}

bool TFormOtsenkaVytraty::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return StepWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == GridVytratyUser && !GridVytratyUser->isEditing()) {
        if (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) {
            ADDROWExecute();
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
            DELROWExecute();
            return true;
        }
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier) {
            RECALCExecute();
            return true;
        }
    }
    if (watched == ListPrice && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        PUTPRICEExecute();
        return true;
    }
    return StepWindow::eventFilter(watched, event);
}

void TFormOtsenkaVytraty::showEvent(QShowEvent* event) {
    StepWindow::showEvent(event);
    RecalcCosts(-1, -1);
    QStringList changes = m_sheet.changes;
    if (m_sheet.perSquareMetre != m_sheet.storedPerSquareMetre)
        changes.prepend(QStringLiteral("В перераховано: було ") +
                        (m_sheet.storedPerSquareMetre.isEmpty() ? QStringLiteral("(порожньо)")
                                                                : m_sheet.storedPerSquareMetre) +
                        QStringLiteral(", стало ") + m_sheet.perSquareMetre + u'.');
    showChanges(changes);
}

bool OpenStepCosts(const StepContext& context, QWidget* parent) {
    const int year = QDate::currentDate().year();
    TFormOtsenkaVytraty form(context, year, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            CostsSheet sheet;
            if (!LoadCosts(*context.project, year, sheet, error))
                return false;
            static const TDinArryOfKoef noIndexation;
            const TDinArryOfKoef& table = context.indexation ? *context.indexation : noIndexation;
            StringGrid prices = MakePriceGrid();
            if (context.catalogue)
                LoadPriceList(*context.catalogue, table, year, prices);
            form.sheet() = sheet;
            form.setLoaded(CostCoefficientLines(table, year), prices);
            return true;
        },
        [&](QString* error) { return StoreCosts(*context.project, form.sheetToStore(), error); });
}
