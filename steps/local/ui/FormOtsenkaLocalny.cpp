#include "steps/local/ui/FormOtsenkaLocalny.h"

#include "valuation/Formulas.h"
#include "valuation/Names.h"

#include "common/LastError.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/LongWork.h"
#include "common/ui/ShellOpen.h"
#include "map/MapGlobal.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/DistrictLayer.h"
#include "steps/common/StepStore.h"
#include "steps/common/ui/OverlayOutcome.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"
#include "steps/local/ui/FormOtsenkaSelectRaions.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidgetItem>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace LocalGrid;

StringGrid& TFormOtsenkaLocalny::rows() {
    return *GridLocalny->grid();
}

TFormOtsenkaLocalny::TFormOtsenkaLocalny(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Локальні фактори"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaLocalny"));
    resize(900, 560);
    addHeading(QStringLiteral("Локальні фактори, розрахунок Км3"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    body()->addWidget(PageControl1, 1);

    auto* choice = new QWidget(PageControl1);
    auto* choiceLayout = new QVBoxLayout(choice);
    auto* fromMap = new QHBoxLayout;
    fromMap->addWidget(new QLabel(
        QStringLiteral("Фактори можна занести вручну або завантажити відмальовані з карти"),
        choice));
    BRaionsFromMap = new QPushButton(QStringLiteral("З мапи"), choice);
    BRaionsFromMap->setObjectName(QStringLiteral("BRaionsFromMap"));
    BRaionsFromMap->setToolTip(QStringLiteral("З карти районів занести інформацію та площі"));
    BRaionsFromMap->setAutoDefault(false);
    fromMap->addWidget(BRaionsFromMap);
    fromMap->addStretch(1);
    choiceLayout->addLayout(fromMap);
    ListFactors = new WorkingItemsPanel(
        QStringLiteral("ListFactors"), QStringLiteral("BSetFactors"),
        QStringLiteral("(Натиснути тільки у разі зміни робочих факторів)"), choice);
    BSetFactors = ListFactors->button();
    choiceLayout->addWidget(ListFactors, 1);
    PageControl1->addTab(choice, QStringLiteral("Вибір факторів"));

    auto* values = new QWidget(PageControl1);
    auto* valuesLayout = new QVBoxLayout(values);
    GridLocalny = new GridView(values);
    GridLocalny->setObjectName(QStringLiteral("GridLocalny"));
    *GridLocalny->grid() = MakeLocalGrid({});
    valuesLayout->addWidget(GridLocalny, 1);
    auto* setMap = new QHBoxLayout;
    BSetMap = new QPushButton(QStringLiteral("Поновити км3 районів на мапі"), values);
    BSetMap->setObjectName(QStringLiteral("BSetMap"));
    BSetMap->setAutoDefault(false);
    setMap->addWidget(BSetMap);
    setMap->addWidget(
        new QLabel(QStringLiteral("(Натиснути як завершувальний етап визначення коефіцієнтів)"),
                   values),
        1);
    valuesLayout->addLayout(setMap);
    PageControl1->addTab(values, QStringLiteral("Значення локальних факторів"));

    PopupMenuGrid = new QMenu(this);
    POPUP_GRID_COPY = PopupMenuGrid->addAction(QStringLiteral("Скопіювати значення району в інші"));
    POPUP_GRID_COPY->setObjectName(QStringLiteral("POPUP_GRID_COPY"));
    POPUP_GRID_CLEAR =
        PopupMenuGrid->addAction(QStringLiteral("Видалити значення для всього району"));
    POPUP_GRID_CLEAR->setObjectName(QStringLiteral("POPUP_GRID_CLEAR"));
    GridLocalny->setPopupMenu(PopupMenuGrid);

    BOpenMap = addBottomButton(QStringLiteral("BOpenMap"), QStringLiteral("Карта локальн."));
    BOpenMap2 = addBottomButton(QStringLiteral("BOpenMap2"), QStringLiteral("Карта районів"));

    // A value outside its factor's range is kept, but tinted, with the range in its tooltip.
    GridLocalny->gridModel()->setCellHints([this](int row, int col) -> std::optional<GridCellHint> {
        const StringGrid& grid = rows();
        if (col < FirstDistrictCol)
            return std::nullopt;
        const LocalFactor* factor = FindLocalFactor(m_catalogue, RowFactor(grid, row));
        if (!factor)
            return std::nullopt;
        GridCellHint hint;
        hint.toolTip = QStringLiteral("Діапазон: ") + factor->rangeText();
        if (factor->outOfRange(grid.at(row, col))) {
            hint.background = QColor(0xFF, 0xC8, 0xB4);
            hint.toolTip = QStringLiteral("Поза діапазоном ") + factor->rangeText();
        }
        return hint;
    });

    connect(ListFactors, &WorkingItemsPanel::applyRequested, this,
            &TFormOtsenkaLocalny::BSetFactorsClick);
    connect(BRaionsFromMap, &QPushButton::clicked, this, &TFormOtsenkaLocalny::BRaionsFromMapClick);
    connect(BSetMap, &QPushButton::clicked, this, &TFormOtsenkaLocalny::BSetMapClick);
    connect(GridLocalny, &GridView::cellEdited, this, &TFormOtsenkaLocalny::GridLocalnySetEditText);
    connect(GridLocalny, &GridView::popupRequested, this,
            [this](int row, int col, const QPoint&) { PopupMenuGridPopup(row, col); });
    connect(POPUP_GRID_COPY, &QAction::triggered, this, &TFormOtsenkaLocalny::POPUP_GRID_COPYClick);
    connect(POPUP_GRID_CLEAR, &QAction::triggered, this,
            &TFormOtsenkaLocalny::POPUP_GRID_CLEARClick);
    connect(BOpenMap, &QPushButton::clicked, this, &TFormOtsenkaLocalny::BOpenMapClick);
    connect(BOpenMap2, &QPushButton::clicked, this, &TFormOtsenkaLocalny::BOpenMap2Click);
}

void TFormOtsenkaLocalny::setCatalogue(const std::vector<LocalFactor>& catalogue,
                                       const std::vector<QString>& districts) {
    auto guard = loading();
    m_catalogue = catalogue;
    ListFactors->clearItems();
    CheckList* list = ListFactors->list();
    for (const LocalFactor& factor : m_catalogue) {
        const int index = ListFactors->addItem(factor.name, QString::number(factor.number));
        const QSignalBlocker silent(list);
        list->item(index)->setToolTip(factor.name + QStringLiteral("  (") + factor.rangeText() +
                                      u')');
    }
    rows() = MakeLocalGrid(districts);
    QList<GridColumn> columns;
    GridColumn number = GridColumn::text(QString(), 30);
    number.readOnly = true;
    number.alignment = Qt::AlignCenter;
    GridColumn name = GridColumn::text(QString(), 190);
    name.readOnly = true;
    GridColumn range = GridColumn::text(QString(), 80);
    range.readOnly = true;
    range.alignment = Qt::AlignCenter;
    columns << number << name << range;
    for (size_t i = 0; i < districts.size(); ++i)
        columns << GridColumn::number(QString(), 2, 42);
    GridLocalny->setColumns(columns);
}

void TFormOtsenkaLocalny::setChecks(const std::vector<int>& factors) {
    CheckList* list = ListFactors->list();
    list->setAllChecked(false);
    for (const int factor : factors)
        if (const int index = ListFactors->indexOfKey(QString::number(factor)); index >= 0)
            list->setChecked(index, true);
    BSetFactors->setEnabled(false);
}

void TFormOtsenkaLocalny::loaded() {
    m_typedBase = rows();
    setChecks(WorkingFactorNumbers(rows()));
    refreshGrid();
}

void TFormOtsenkaLocalny::refreshGrid() {
    GridLocalny->refresh();
    if (rows().rowCount() > rows().fixedRows() && rows().colCount() > FirstDistrictCol)
        GridLocalny->setCurrentCell(rows().fixedRows(), FirstDistrictCol);
}

void TFormOtsenkaLocalny::showEvent(QShowEvent* event) {
    StepWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        PageControl1->setCurrentIndex(0);
        // Once the grid has its width, so the view does not scroll under the fixed columns.
        refreshGrid();
    }
}

void TFormOtsenkaLocalny::BSetFactorsClick() {
    GridLocalny->endEdit();
    QStringList dropped;
    for (const QString& key : DroppedKeysWithValues(rows(), NumberCol, ListFactors->items(),
                                                    FirstDistrictCol, Km3Row(rows())))
        if (const LocalFactor* factor = FindLocalFactor(m_catalogue, key.toInt()))
            dropped << factor->name;
        else
            dropped << key;
    if (!AskDropTyped(QStringLiteral("рядки факторів без позначки"), dropped))
        return;
    int checked = 0;
    {
        auto guard = loading();
        checked = ApplyWorkingFactors(rows(), m_catalogue, ListFactors->items());
        refreshGrid();
    }
    if (checked == 0)
        ShowWarning(QStringLiteral("Не обрано жодного фактору."));
    BSetFactors->setEnabled(false);
    PageControl1->setCurrentIndex(1);
}

void TFormOtsenkaLocalny::BRaionsFromMapClick() {
    GridLocalny->endEdit();
    LocalOverlayResult result;
    {
        LongWork work(QStringLiteral("Накладення локальних факторів на райони..."));
        result = CollectLocalFactors(DistrictLayerFolder(context()),
                                     static_cast<int>(m_catalogue.size()), work.callback());
    }
    if (!OverlayFinished(result.ok, result.error, result.stats))
        return;
    if (const QString skipped = LocalSkippedText(result); !skipped.isEmpty())
        ShowWarning(skipped);
    if (!result.factors.empty() && HasFactorValues(rows()) &&
        !AskReplaceTyped(QStringLiteral("усі значення локальних факторів у таблиці значеннями "
                                        "з карти")))
        return;
    bool found = false;
    {
        auto guard = loading();
        m_mapLayers = result.layers;
        std::vector<WorkingItem> items = ListFactors->items();
        found = ApplyLocalOverlay(rows(), m_catalogue, result, items);
        if (found)
            m_typedBase = rows();
        std::vector<int> checked;
        for (const WorkingItem& item : items)
            if (item.checked)
                checked.push_back(item.key.toInt());
        setChecks(checked);
        refreshGrid();
    }
    if (!found) {
        ShowWarning(LocalNoOverlapText());
        return;
    }
    PageControl1->setCurrentIndex(1);
}

void TFormOtsenkaLocalny::BSetMapClick() {
    GridLocalny->endEdit();
    Layer* districts =
        context().map ? GetLayer(*context().map, names::layer::Districts()) : nullptr;
    if (!districts || districts->featureCount() == 0) {
        ShowWarning(QStringLiteral("На мапі не знайдено районів."));
        return;
    }
    QString error;
    bool written = false;
    {
        WaitCursor wait;
        written = WriteKm3ToDistricts(*districts, rows(), &error);
    }
    if (!written) {
        ShowError(QStringLiteral("Оновлення районів на мапі.\rПодробиці: ") + error);
        return;
    }
    ShowInfo(QStringLiteral("Завершено."));
}

void TFormOtsenkaLocalny::GridLocalnySetEditText(int row, int col, const QString& text) {
    if (FLoading)
        return;
    auto guard = loading();
    if (rows().at(row, NumberCol).isEmpty()) {
        if (!text.isEmpty())
            rows().set(row, col, QString());
        return;
    }
    // A coefficient that is not a number above 0 is refused where it is typed.
    if (col >= FirstDistrictCol && !valuation::IsLocalCoefficient(text)) {
        rows().set(row, col, QString());
        showIssue(GridLocalny,
                  FieldIssue(GridLocalny->objectName(),
                             QStringLiteral("Коефіцієнт має бути числом, більшим за 0.")));
    }
    ComputeKm3(rows());
}

void TFormOtsenkaLocalny::PopupMenuGridPopup(int row, int col) {
    const bool onDistrict =
        row >= rows().fixedRows() && row < rows().rowCount() && col >= FirstDistrictCol;
    PopupMenuGrid->setEnabled(onDistrict);
    if (!onDistrict)
        return;
    GridLocalny->setCurrentCell(row, col);
    GridLocalny->setFocus();
}

void TFormOtsenkaLocalny::POPUP_GRID_COPYClick() {
    GridLocalny->endEdit();
    const int from = GridLocalny->currentGridCol();
    if (from < FirstDistrictCol)
        return;
    QStringList districts;
    for (int col = FirstDistrictCol; col < rows().colCount(); ++col)
        districts << rows().at(0, col);
    TFormOtsenkaSelectRaions choice(districts, this);
    if (choice.exec() != TFormOtsenkaSelectRaions::ResultOk)
        return;
    std::vector<int> targets;
    for (const QString& district : choice.checkedDistricts())
        targets.push_back(DistrictColumn(rows(), district));
    auto guard = loading();
    CopyDistrictValues(rows(), from, targets);
    GridLocalny->refresh();
}

void TFormOtsenkaLocalny::POPUP_GRID_CLEARClick() {
    GridLocalny->endEdit();
    auto guard = loading();
    ClearDistrictValues(rows(), GridLocalny->currentGridCol());
    GridLocalny->refresh();
}

void TFormOtsenkaLocalny::BOpenMapClick() {
    ShowShellErrors(EditLayersExternally(context().folder, {QStringLiteral("лок")}));
}

void TFormOtsenkaLocalny::BOpenMap2Click() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Districts()}));
}

StepCheck TFormOtsenkaLocalny::checkBeforeSave() {
    if (StepCheck issue = CheckLocalValues(rows())) {
        PageControl1->setCurrentIndex(1);
        return issue;
    }
    const QStringList outside = OutOfRangeValues(rows(), m_catalogue);
    if (!outside.isEmpty() &&
        AskConfirm(QStringLiteral("Значення поза межами, які дає довідник локальних факторів:\r") +
                       outside.join(QStringLiteral("\r")) + QStringLiteral("\rЗберегти так?"),
                   Answer::Yes | Answer::No) != Answer::Yes) {
        PageControl1->setCurrentIndex(1);
        return FieldIssue(QStringLiteral("GridLocalny"),
                          QStringLiteral("Перевірте значення поза межами довідника."));
    }
    return std::nullopt;
}

bool OpenStepLocal(const StepContext& context, QWidget* parent) {
    if (QString warning; !RequireDistrictCount(*context.project, &warning)) {
        ShowWarning(warning);
        return false;
    }
    TFormOtsenkaLocalny form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            std::vector<District> districts;
            if (!ReadDistricts(*context.project, DistrictOrder::AsStored, districts, true, error))
                return false;
            std::vector<LocalFactor> catalogue;
            if (!context.catalogue)
                return FailWith(error,
                                LoadFailedText(QStringLiteral("локальні")) + CatalogueClosedText());
            if (!ReadLocalCatalogue(*context.catalogue, catalogue, error))
                return false;
            auto guard = form.loading();
            form.setCatalogue(catalogue, DistrictNumbers(districts));
            if (!LoadLocalValues(*context.project, catalogue, form.rows(), error))
                return false;
            form.loaded();
            return true;
        },
        [&](QString* error) {
            return StoreLocalValues(*context.project, form.rows(), error,
                                    DistrictLayerFolder(context), form.mapLayers(),
                                    &form.typedBase());
        });
}
