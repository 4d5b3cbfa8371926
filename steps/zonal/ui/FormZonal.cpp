#include "steps/zonal/ui/FormZonal.h"

#include "common/LastError.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/ShellOpen.h"
#include "map/MapGlobal.h"
#include "steps/common/DistrictLayer.h"
#include "steps/common/StepLayers.h"
#include "steps/common/StepStore.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "steps/zonal/WorkingFactors.h"
#include "steps/zonal/ZonalMap.h"
#include "valuation/Names.h"
#include "valuation/StepNames.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

/** A button with the note beside it that says when to press it. */
QHBoxLayout* ButtonWithNote(QPushButton* button, const QString& note, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(button);
    auto* label = new QLabel(note, parent);
    row->addWidget(label, 1);
    return row;
}

QPushButton* PageButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormZonal::TFormZonal(const StepContext& context, ZonalVariant variant, QWidget* parent)
    : StepWindow(context, QStringLiteral("Земельно-оціночна структуризація"), parent),
      m_variant(variant) {
    resize(980, 640);
    addHeading(QStringLiteral("Земельно-оціночна структуризація, розрахунок Км2"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(makeFactorsPage(), QStringLiteral("Вибір факторів"));
    PageControl1->addTab(makeAnketaPage(), QStringLiteral("Експертна анкета"));
    PageControl1->addTab(makeResultPage(),
                         variant == ZonalVariant::Weighted
                             ? QStringLiteral("Розрахунок: Іі, Зони, Км2")
                             : QStringLiteral("Розрахунок: Si,Ei,Ui,Ci, Іі, Зони, Км2"));
    PageControl1->addTab(makeZonesPage(), QStringLiteral("Опис та склад зон"));
    body()->addWidget(PageControl1, 1);

    BOpenMap2 = addBottomButton(QStringLiteral("BOpenMap2"), QStringLiteral("Карта районів"));
    BOpenMap = addBottomButton(QStringLiteral("BOpenMap"), QStringLiteral("Карта зон"));
    BPreviewKm2 =
        addBottomButton(QStringLiteral("BPreviewKm2"), QStringLiteral("Переглянути коеф-ти у ГІС"));
    BPreviewKm2->setToolTip(QStringLiteral("Візуальне відображення районів та показників Іі"));
    connect(BOpenMap2, &QPushButton::clicked, this, &TFormZonal::BOpenMap2Click);
    connect(BOpenMap, &QPushButton::clicked, this, &TFormZonal::BOpenMapClick);
    connect(BPreviewKm2, &QPushButton::clicked, this, &TFormZonal::BPreviewKm2Click);

    // Values the calculations read, carried by the window as the step's hidden fields.
    for (QLineEdit** field : {&ESeredniaVartist, &EKilkistZon, &EKilkistNaselennia}) {
        *field = new QLineEdit(this);
        (*field)->hide();
    }
    ESeredniaVartist->setObjectName(QStringLiteral("ESeredniaVartist"));
    EKilkistZon->setObjectName(QStringLiteral("EKilkistZon"));
    EKilkistNaselennia->setObjectName(QStringLiteral("EKilkistNaselennia"));
}

QWidget* TFormZonal::makeFactorsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(new QLabel(QStringLiteral("Додати новий:"), page));
    EEditValue = new QLineEdit(page);
    EEditValue->setObjectName(QStringLiteral("EEditValue"));
    addRow->addWidget(EEditValue, 1);
    NewBtn = new QToolButton(page);
    NewBtn->setObjectName(QStringLiteral("NewBtn"));
    NewBtn->setText(QStringLiteral("+"));
    NewBtn->setToolTip(QStringLiteral("Додати новий"));
    addRow->addWidget(NewBtn);
    layout->addLayout(addRow);
    if (m_variant == ZonalVariant::Grouped)
        layout->addWidget(
            new QLabel(QStringLiteral("(Бажано використовувати існуючу назву із додатком)"), page));

    PanelFactors =
        new WorkingItemsPanel(QStringLiteral("ListFactors"), QStringLiteral("BSetFactors"),
                              QStringLiteral("(Натиснути тільки у разі зміни робочих "
                                             "факторів)"),
                              page);
    ListFactors = PanelFactors->list();
    BSetFactors = PanelFactors->button();
    layout->addWidget(PanelFactors, 1);

    connect(NewBtn, &QToolButton::clicked, this, &TFormZonal::NewBtnClick);
    connect(EEditValue, &QLineEdit::returnPressed, this, &TFormZonal::NewBtnClick);
    connect(ListFactors, &QListWidget::itemClicked, this, &TFormZonal::ListFactorsClick);
    connect(PanelFactors, &WorkingItemsPanel::applyRequested, this, &TFormZonal::BSetFactorsClick);
    return page;
}

QWidget* TFormZonal::makeAnketaPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* note = new QLabel(
        QStringLiteral("Бали виставляються за системою: 5 (або 10) - найкращий, 1 - найменший"),
        page);
    note->setStyleSheet(QStringLiteral("color: #c00000;"));
    layout->addWidget(note);
    GridAnketa = new GridView(page);
    GridAnketa->setObjectName(QStringLiteral("GridAnketa"));
    layout->addWidget(GridAnketa, 1);
    BSetAnketa =
        PageButton(QStringLiteral("BSetAnketa"), QStringLiteral("Поновити розрахунки"), page);
    layout->addLayout(ButtonWithNote(
        BSetAnketa, QStringLiteral("(натиснути при кожному перегляді розрахунку)"), page));

    connect(GridAnketa, &GridView::cellEdited, this, &TFormZonal::GridAnketaSetEditText);
    connect(BSetAnketa, &QPushButton::clicked, this, &TFormZonal::BSetAnketaClick);
    return page;
}

QWidget* TFormZonal::makeResultPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    GridResult = new GridView(page);
    GridResult->setObjectName(QStringLiteral("GridResult"));
    const ResultColumns cols = resultColumns();
    const QStringList captions = ResultCaptions(m_variant);
    QList<GridColumn> columns;
    for (int c = 0; c < captions.size(); ++c) {
        GridColumn column = c == 0 ? GridColumn::text(captions[c], 55)
                                   : GridColumn::number(captions[c], c == 1 ? 4 : 2, 70);
        if (c == cols.zone) {
            column = GridColumn::number(captions[c], 0, 60);
            column.intDigits = 6;
        } else {
            column.readOnly = true;
            column.shaded = c >= 2;
        }
        columns << column;
    }
    GridResult->setColumns(columns);
    QList<GridHeadingGroup> groups;
    for (const ResultGroupHeading& h : ResultGroupHeadings(m_variant))
        groups << GridHeadingGroup{h.firstCol, h.lastCol, h.text};
    if (!groups.isEmpty())
        GridResult->setHeadingGroups(groups);
    layout->addWidget(GridResult, 1);

    m_resultFields = new QGridLayout;
    layout->addLayout(m_resultFields);
    BSetZony = PageButton(QStringLiteral("BSetZony"), QStringLiteral("Поновити склад зон"), page);
    auto* km2Row = ButtonWithNote(BSetZony, QStringLiteral("(Натиснути при кожній зміні)"), page);
    km2Row->addWidget(new QLabel(QStringLiteral("Км2:"), page));
    km2Row->addWidget(new QLabel(QStringLiteral("мінімальне"), page));
    EKm2Min = addReadOnlyField(QStringLiteral("EKm2Min"));
    km2Row->addWidget(EKm2Min);
    km2Row->addWidget(new QLabel(QStringLiteral("максимальне"), page));
    EKm2Max = addReadOnlyField(QStringLiteral("EKm2Max"));
    km2Row->addWidget(EKm2Max);
    layout->addLayout(km2Row);
    LabelWarningKm2 = new QLabel(page);
    LabelWarningKm2->setObjectName(QStringLiteral("LabelWarningKm2"));
    LabelWarningKm2->setStyleSheet(QStringLiteral("color: #c00000;"));
    LabelWarningKm2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(LabelWarningKm2);

    connect(GridResult, &GridView::cellEdited, this, &TFormZonal::GridResultSetEditText);
    connect(BSetZony, &QPushButton::clicked, this, &TFormZonal::BSetZonyClick);
    return page;
}

QWidget* TFormZonal::makeZonesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    GridZony = new GridView(page);
    GridZony->setObjectName(QStringLiteral("GridZony"));
    *GridZony->grid() = MakeZoneGrid(1);
    GridColumn number = GridColumn::text(QStringLiteral("№ зони"), 60);
    number.readOnly = true;
    GridColumn districts = GridColumn::text(QStringLiteral("Райони"), 260);
    districts.readOnly = true;
    districts.wrap = true;
    districts.shaded = true;
    GridColumn description = GridColumn::text(
        m_variant == ZonalVariant::Weighted ? QStringLiteral("Опис зони") : QStringLiteral("Опис"),
        400);
    description.wrap = true;
    GridZony->setColumns({number, districts, description});
    GridZony->setRowHeights(50);
    GridZony->setFillColumn(ZoneDescriptionCol);
    layout->addWidget(GridZony, 1);
    BSetMap = PageButton(QStringLiteral("BSetMap"), QStringLiteral("Поновити зони на мапі"), page);
    layout->addLayout(ButtonWithNote(
        BSetMap, QStringLiteral("(Натиснути як завершувальний етап визначення зон)"), page));

    connect(GridZony, &GridView::cellEdited, this, &TFormZonal::GridResultSetEditText);
    connect(BSetMap, &QPushButton::clicked, this, &TFormZonal::BSetMapClick);
    return page;
}

QLineEdit* TFormZonal::addReadOnlyField(const QString& name) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setMaximumWidth(70);
    return field;
}

void TFormZonal::setAnketaColumns() {
    QList<GridColumn> columns{GridColumn::text(QStringLiteral("п/п"), 35),
                              GridColumn::text(QStringLiteral("Фактор / № оцін.р-ну"), 300)};
    GridColumn district = GridColumn::number(QString(), 0, 30); // keeps the district number
    district.intDigits = 2;
    for (int col = AnketaFirstDistrictCol; col < anketa().colCount(); ++col)
        columns << district;
    GridAnketa->setColumns(columns);
}

StringGrid& TFormZonal::anketa() {
    return *GridAnketa->grid();
}

StringGrid& TFormZonal::result() {
    return *GridResult->grid();
}

StringGrid& TFormZonal::zony() {
    return *GridZony->grid();
}

std::vector<WorkingItem> TFormZonal::factors() const {
    return PanelFactors->items();
}

ZonalIndicators TFormZonal::indicators() const {
    return ZonalIndicators{EKilkistZon->text(), EKm2Min->text(), EKm2Max->text()};
}

StepCheck TFormZonal::checkBeforeSave() {
    if (StepCheck issue = CheckScores(anketa())) {
        PageControl1->setCurrentIndex(1);
        return issue;
    }
    // The zones stored are those the districts name now, even when "Поновити склад зон" was
    // not pressed after the last zone typed; descriptions stay with their zones.
    auto guard = loading();
    EKilkistZon->setText(QString::number(RebuildZoneList(result(), resultColumns(), zony())));
    GridZony->refresh();
    return std::nullopt;
}

bool TFormZonal::store(QString* error) {
    return StoreZonal(*context().project, m_variant, factors(), anketa(), result(), zony(),
                      indicators(), error);
}

void TFormZonal::fill(const ZonalSettlement& settlement, const ZonalTables& tables) {
    {
        auto guard = loading();
        PanelFactors->clearItems();
        for (const WorkingItem& item : tables.factors)
            PanelFactors->addItem(item.key, item.key, item.checked);
        anketa() = tables.anketa;
        setAnketaColumns();
        result() = tables.result;
        // The description's caption differs between the two windows.
        const QString description = zony().at(0, ZoneDescriptionCol);
        zony() = tables.zones;
        zony().set(0, ZoneDescriptionCol, description);
        EKilkistZon->setText(QString::number(settlement.zoneCount));
        ESeredniaVartist->setText(settlement.averageValue);
        EKilkistNaselennia->setText(settlement.population);
        EKm2Min->setText(settlement.km2Min);
        EKm2Max->setText(settlement.km2Max);
        showIndices(tables.indices);
        GridAnketa->refresh();
        GridResult->refresh();
        GridZony->refresh();
    }
    if (tables.hasAnketa) {
        if (!tables.indices.warning.isEmpty())
            ShowWarning(tables.indices.warning);
        // The stored values, to say what opening recomputed from the current inputs.
        const ResultColumns cols = resultColumns();
        QStringList before;
        for (int row = result().fixedRows(); row < result().rowCount(); ++row)
            before << result().at(row, cols.value);
        ComputeKm2Shown();
        QStringList changes;
        for (int row = result().fixedRows(); row < result().rowCount(); ++row) {
            const QString& was = before[row - result().fixedRows()];
            if (was != result().at(row, cols.value))
                changes << QStringLiteral("Район %1: вартість 1 м2 %2 → %3")
                               .arg(result().at(row, 0),
                                    was.isEmpty() ? QStringLiteral("(порожньо)") : was,
                                    result().at(row, cols.value));
        }
        if (!changes.isEmpty())
            changes.prepend(QStringLiteral("Перераховано з поточних Цнм і анкети (%1 районів).")
                                .arg(changes.size()));
        // The other way's results differ by method, not because they went stale.
        if (tables.storedVariant && *tables.storedVariant != m_variant) {
            const valuation::Step other = *tables.storedVariant == ZonalVariant::Grouped
                                              ? valuation::Step::ZonalGrouped
                                              : valuation::Step::ZonalWeighted;
            changes.prepend(QStringLiteral("Збережене зонування зроблено кроком «%1»; тут його "
                                           "обчислено цим способом, «Зберегти» замінить його.")
                                .arg(valuation::StepCaption(other)));
        }
        showChanges(changes);
    }
    PageControl1->setCurrentIndex(0);
}

void TFormZonal::showIndices(const IndexOutcome&) {}

void TFormZonal::NewBtnClick() {
    const QString name = EEditValue->text().trimmed();
    if (name.isEmpty()) {
        showIssue(EEditValue,
                  FieldIssue(EEditValue->objectName(), QStringLiteral("Немає значення.")));
        return;
    }
    const QString lower = name.toLower();
    for (int i = 0; i < ListFactors->count(); ++i) {
        if (PanelFactors->key(i).toLower() == lower) {
            ListFactors->setCurrentRow(i);
            ListFactors->scrollToItem(ListFactors->item(i));
            showIssue(EEditValue, FieldIssue(EEditValue->objectName(),
                                             QStringLiteral("Фактор вже є у списку.")));
            return;
        }
    }
    const int index = PanelFactors->addItem(name);
    ListFactors->setCurrentRow(index);
    ListFactors->scrollToItem(ListFactors->item(index));
    EEditValue->clear();
}

void TFormZonal::ListFactorsClick() {
    const int row = ListFactors->currentRow();
    if (row >= 0)
        EEditValue->setText(PanelFactors->key(row));
}

void TFormZonal::BSetFactorsClick() {
    GridAnketa->endEdit();
    if (!AskDropTyped(
            QStringLiteral("рядки анкети без позначки"),
            DroppedKeysWithValues(anketa(), AnketaFactorCol, factors(), AnketaFirstDistrictCol)))
        return;
    {
        auto guard = loading();
        anketa().setCurrent(anketa().fixedRows(), AnketaFactorCol);
        const int checked = ApplyWorkingFactors(anketa(), factors());
        GridAnketa->refresh();
        if (checked == 0)
            ShowWarning(NoFactorText());
    }
    BSetFactors->setEnabled(false);
    PageControl1->setCurrentIndex(1);
}

void TFormZonal::GridAnketaSetEditText(int row, int col, const QString& text) {
    if (FLoading)
        return;
    // Scores belong to a factor: a row without one keeps none.
    if (anketa().at(row, AnketaNumberCol).isEmpty() && !text.isEmpty()) {
        anketa().set(row, col, QString());
        GridAnketa->refresh();
    }
}

void TFormZonal::computeIndices() {
    const IndexOutcome outcome = ComputeIndices(m_variant, anketa(), result());
    showIndices(outcome);
    GridResult->refresh();
    if (!outcome.warning.isEmpty())
        ShowWarning(outcome.warning);
}

void TFormZonal::BSetAnketaClick() {
    GridAnketa->endEdit();
    if (GridIsEmpty(anketa())) {
        ShowWarning(QStringLiteral("Анкета не заповнена!"));
        return;
    }
    {
        auto guard = loading();
        WaitCursor wait;
        computeIndices();
        ComputeKm2Shown();
    }
    PageControl1->setCurrentIndex(2);
}

void TFormZonal::ComputeKm2Shown() {
    const Km2Outcome outcome =
        ComputeKm2(result(), resultColumns(), EKilkistNaselennia->text(), ESeredniaVartist->text());
    EKm2Min->setText(outcome.minimum);
    EKm2Max->setText(outcome.maximum);
    LabelWarningKm2->setText(outcome.warnings.join(u'\n'));
    GridResult->refresh();
}

void TFormZonal::GridResultSetEditText(int, int, const QString&) {
    if (FLoading)
        return;
    ComputeKm2Shown();
}

void TFormZonal::BSetZonyClick() {
    GridResult->endEdit();
    if (GridIsEmpty(result())) {
        ShowWarning(QStringLiteral("Розрахунок не заповнено!"));
        return;
    }
    {
        auto guard = loading();
        GridZony->endEdit();
        const int zones = RebuildZoneList(result(), resultColumns(), zony());
        EKilkistZon->setText(QString::number(zones));
        GridZony->refresh();
    }
    PageControl1->setCurrentIndex(3);
}

namespace {

/** Shows a map operation's messages in order (warnings, errors and information boxes). */
void ShowMapMessages(const MapOutcome& outcome) {
    for (const MapMessage& m : outcome.messages) {
        if (m.kind == MapMessage::Warning)
            ShowWarning(m.text);
        else if (m.kind == MapMessage::Error)
            ShowError(m.text);
        else
            ShowInfo(m.text);
    }
}

} // namespace

void TFormZonal::BSetMapClick() {
    GridResult->endEdit();
    GridZony->endEdit();
    MapOutcome outcome;
    {
        WaitCursor wait;
        outcome = RebuildZoneLayer(context().map, result(), resultColumns());
        // The zone layer follows the districts' layer as it is now.
        if (outcome.written) {
            const valuation::Step step = m_variant == ZonalVariant::Grouped
                                             ? valuation::Step::ZonalGrouped
                                             : valuation::Step::ZonalWeighted;
            const QString folder = DistrictLayerFolder(context());
            if (QString error; !RecordStepLayers(*context().project, folder, step,
                                                 FingerprintStepLayers(folder, step), true, &error))
                outcome.messages.push_back(
                    {MapMessage::Warning,
                     QStringLiteral("Не вдалося запам'ятати, з якого шару районів побудовано "
                                    "шар зон: ") +
                         error});
        }
    }
    ShowMapMessages(outcome);
}

void TFormZonal::BPreviewKm2Click() {
    GridResult->endEdit();
    MapOutcome outcome;
    QString workspace;
    {
        WaitCursor wait;
        outcome = BuildIndexLabels(context().map, context().folder, result(), resultColumns(),
                                   &workspace);
    }
    ShowMapMessages(outcome);
    if (outcome.written)
        ShellOpen(workspace);
}

void TFormZonal::BOpenMapClick() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Zones()}));
}

void TFormZonal::BOpenMap2Click() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Districts()}));
}

bool OpenZonalStep(const StepContext& context, ZonalVariant variant,
                   const std::function<std::unique_ptr<TFormZonal>()>& makeForm) {
    if (!context.valid())
        return false;
    const std::unique_ptr<TFormZonal> form = makeForm();
    return OpenStepWindow(
        *form,
        [&](QString* error) {
            ZonalSettlement settlement;
            ZonalTables tables;
            {
                WaitCursor wait;
                QString message;
                switch (ReadZonalSettlement(*context.project, settlement, &message)) {
                case ZonalOpening::Refused:
                    ShowWarning(message);
                    return false;
                case ZonalOpening::Failed:
                    return FailWith(error, message);
                case ZonalOpening::Ready:
                    break;
                }
                if (!LoadZonalTables(*context.project, variant, settlement, tables, error))
                    return false;
            }
            form->fill(settlement, tables);
            return true;
        },
        [&form](QString* error) { return form->store(error); });
}
