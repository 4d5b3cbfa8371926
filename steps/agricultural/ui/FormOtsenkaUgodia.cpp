#include "steps/agricultural/ui/FormOtsenkaUgodia.h"

#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/WaitCursor.h"
#include "common/ui/ShellOpen.h"
#include "map/MapGlobal.h"
#include "steps/agricultural/SoilCodes.h"
#include "steps/agricultural/ui/SoilKindPage.h"
#include "steps/common/StepStore.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "valuation/IndexationLines.h"
#include "valuation/Names.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"

#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TFormOtsenkaUgodia::TFormOtsenkaUgodia(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Оцінка с-г угідь"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaUgodia"));
    resize(760, 560);
    FLoading = true;
    addHeading(QStringLiteral("Грошова оцінка сільськогосподарських угідь"));

    PopupMenuIndex = new QMenu(this);
    PopupMenuIndex->setObjectName(QStringLiteral("PopupMenuIndex"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 140px; }"));
    PageControl1->addTab(makeSoilsPage(), QStringLiteral("Грунти"));
    for (int kind = 1; kind <= SoilKindCount; ++kind) {
        auto* page = new SoilKindPage(kind, PopupMenuIndex, PageControl1);
        m_kinds[static_cast<size_t>(kind - 1)] = page;
        PageControl1->addTab(page, SoilKindCaption(kind));
        connect(page, &SoilKindPage::parametersChanged, this, [this](int k) {
            if (!FLoading)
                computeKind(k);
        });
        connect(page, &SoilKindPage::cellEdited, this, &TFormOtsenkaUgodia::GridUgodiaSetEditText);
        // A base value typed by the valuer is the one a coefficient applies to next.
        connect(page->EBazovaCina, &QLineEdit::textEdited, this, [this, kind] {
            ForgetIndexation(m_indexation[static_cast<size_t>(kind - 1)]);
            showIndexation(kind);
        });
        connect(page->GridUgodia, &GridView::editRefused, this,
                [this, page](int row, int col, const QString& text) {
                    // The edit is being refused: the cell is made current, not committed again.
                    page->GridUgodia->setCurrentCell(row, col);
                    showIssue(page->GridUgodia,
                              FieldIssue(page->GridUgodia->objectName(),
                                         QStringLiteral("Грунту з шифром \"%1\" немає в довіднику. "
                                                        "Оберіть шифр зі списку; новий грунт "
                                                        "додають на сторінці \"Грунти\".")
                                             .arg(text.trimmed())));
                });
    }
    PageControl1->setCurrentIndex(0);
    body()->addWidget(PageControl1, 1);

    BOpenMap = addBottomButton(QStringLiteral("BOpenMap"), QStringLiteral("Карта фун.вик."));
    BOpenMap2 = addBottomButton(QStringLiteral("BOpenMap2"), QStringLiteral("Карта грунтів"));
    connect(BOpenMap, &QPushButton::clicked, this, &TFormOtsenkaUgodia::BOpenMapClick);
    connect(BOpenMap2, &QPushButton::clicked, this, &TFormOtsenkaUgodia::BOpenMap2Click);
    FLoading = false;
}

QWidget* TFormOtsenkaUgodia::makeSoilsPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabGrunty"));

    PanelGrunty = new WorkingItemsPanel(
        QStringLiteral("ListGrunty"), QStringLiteral("BSetGrunty"),
        QStringLiteral("(Натиснути тільки у разі зміни робочих агрогруп)"), page);
    BSetGrunty = PanelGrunty->button();
    connect(PanelGrunty, &WorkingItemsPanel::applyRequested, this,
            &TFormOtsenkaUgodia::BSetGruntyClick);

    auto* add = new QGroupBox(QStringLiteral("Додати:"), page);
    add->setObjectName(QStringLiteral("PanelAdd"));
    EGruntList = new QComboBox(add);
    EGruntList->setObjectName(QStringLiteral("EGruntList"));
    EGruntList->setMaxVisibleItems(20);
    EGruntList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    EGruntList->setMinimumContentsLength(30);
    EGruntShifr = new QLineEdit(add);
    EGruntShifr->setObjectName(QStringLiteral("EGruntShifr"));
    EGruntShifr->setMaximumWidth(90);
    EGruntNaklon = new QComboBox(add);
    EGruntNaklon->setObjectName(QStringLiteral("EGruntNaklon"));
    EGruntNaklon->addItems(SoilSlopeItems());
    EGruntTip = new QComboBox(add);
    EGruntTip->setObjectName(QStringLiteral("EGruntTip"));
    EGruntTip->addItems(SoilTextureItems());
    NewBtn = new QToolButton(add);
    NewBtn->setObjectName(QStringLiteral("NewBtn"));
    NewBtn->setText(QStringLiteral("+"));
    NewBtn->setToolTip(QStringLiteral("Додати новий"));

    auto* code = new QHBoxLayout;
    code->addWidget(EGruntShifr);
    code->addWidget(EGruntNaklon);
    code->addWidget(EGruntTip, 1);
    code->addWidget(NewBtn);
    auto* form = new QFormLayout(add);
    form->addRow(QStringLiteral("Довідник"), EGruntList);
    form->addRow(QStringLiteral("Грунт"), code);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(PanelGrunty, 1);
    layout->addWidget(add);

    connect(EGruntList, &QComboBox::activated, this, &TFormOtsenkaUgodia::EGruntListChange);
    connect(NewBtn, &QToolButton::clicked, this, &TFormOtsenkaUgodia::NewBtnClick);
    connect(EGruntShifr, &QLineEdit::returnPressed, this, &TFormOtsenkaUgodia::NewBtnClick);
    return page;
}

SoilKindPage* TFormOtsenkaUgodia::kindPage(int kind) const {
    if (kind < 1 || kind > SoilKindCount)
        return nullptr;
    return m_kinds[static_cast<size_t>(kind - 1)];
}

void TFormOtsenkaUgodia::setLoaded(const QStringList& catalogue, const AgriculturalData& data,
                                   const QStringList& indexationLines) {
    auto guard = loading();
    m_catalogue = catalogue;
    EGruntList->clear();
    EGruntList->addItems(catalogue);
    EGruntList->setCurrentIndex(-1);

    PanelGrunty->clearItems();
    for (const QString& code : data.workingCodes)
        PanelGrunty->addItem(code, code, true);
    BSetGrunty->setEnabled(false);

    for (int kind = 1; kind <= SoilKindCount; ++kind) {
        SoilKindPage* page = kindPage(kind);
        const SoilKindData& k = data.kinds[static_cast<size_t>(kind - 1)];
        page->grid() = k.grid;
        page->EBazovaCina->setText(k.baseValue);
        page->ESeredniyBall->setText(k.averageScore);
        page->GridUgodia->refresh();
        m_indexation[static_cast<size_t>(kind - 1)] = k;
        showIndexation(kind);
    }
    updateSoilCodeColumns();

    PopupMenuIndex->clear();
    for (const QString& line : indexationLines) {
        QAction* item = PopupMenuIndex->addAction(line);
        connect(item, &QAction::triggered, this, [this, line] { POPUP_INDEXClick(line); });
    }
    PageControl1->setCurrentIndex(0);
}

AgriculturalData TFormOtsenkaUgodia::data() const {
    AgriculturalData result;
    for (const WorkingItem& item : PanelGrunty->items())
        if (item.checked)
            result.workingCodes << item.key;
    for (int kind = 1; kind <= SoilKindCount; ++kind) {
        SoilKindPage* page = kindPage(kind);
        SoilKindData& k = result.kinds[static_cast<size_t>(kind - 1)];
        k.grid = page->grid();
        k.baseValue = page->EBazovaCina->text();
        k.averageScore = page->ESeredniyBall->text();
        k.indexation = m_indexation[static_cast<size_t>(kind - 1)].indexation;
        k.unindexedValue = m_indexation[static_cast<size_t>(kind - 1)].unindexedValue;
    }
    return result;
}

void TFormOtsenkaUgodia::updateSoilCodeColumns() {
    const SoilCodeChoices choices = SoilCodeChoicesOf(m_catalogue, listedCodes());
    GridColumn code = GridColumn::text(QStringLiteral("Шифр"), 110);
    code.comboItems = choices.items;
    code.comboValues = choices.codes;
    code.comboOnly = true;
    for (SoilKindPage* page : m_kinds)
        page->GridUgodia->setColumn(ColSoilCode, code);
}

void TFormOtsenkaUgodia::soilCodeChosen(const QString& code) {
    if (code.isEmpty() || FindSoilCode(listedCodes(), code) >= 0)
        return;
    // Its rows are in the grid already: the list only learns the code.
    PanelGrunty->addItem(code, code, true);
    updateSoilCodeColumns();
}

void TFormOtsenkaUgodia::showIndexation(int kind) {
    SoilKindPage* page = kindPage(kind);
    const SoilKindData& k = m_indexation[static_cast<size_t>(kind - 1)];
    if (!page)
        return;
    if (k.indexation.isEmpty()) {
        page->LabelIndex->setText(QStringLiteral("з урахуванням індексації"));
        page->EBazovaCina->setToolTip(QString());
        return;
    }
    const QString year = k.indexation.section(u'-', -1).trimmed();
    page->LabelIndex->setText(
        QStringLiteral("з урахуванням індексації: %1 × %2 (за %3 р.)")
            .arg(k.unindexedValue, FormatFixed(IndexationLineFactor(k.indexation), 3), year));
    page->EBazovaCina->setToolTip(QStringLiteral("Базова оцінка %1, застосовано коефіцієнт %2")
                                      .arg(k.unindexedValue, k.indexation));
}

QStringList TFormOtsenkaUgodia::listedCodes() const {
    QStringList codes;
    for (const WorkingItem& item : PanelGrunty->items())
        codes << item.key;
    return codes;
}

void TFormOtsenkaUgodia::computeKind(int kind) {
    SoilKindPage* page = kindPage(kind);
    if (!page)
        return;
    WaitCursor wait;
    auto guard = loading();
    ComputeSoilValues(page->grid(), page->EBazovaCina->text(), page->ESeredniyBall->text());
}

void TFormOtsenkaUgodia::BSetGruntyClick() {
    const std::vector<WorkingItem> items = PanelGrunty->items();
    QStringList dropped;
    for (SoilKindPage* page : m_kinds) {
        page->GridUgodia->endEdit();
        for (const QString& code :
             DroppedKeysWithValues(page->grid(), ColSoilCode, items, ColSoilScore))
            if (!dropped.contains(code))
                dropped << code;
    }
    if (!AskDropTyped(QStringLiteral("рядки грунтів без позначки"), dropped))
        return;
    WaitCursor wait;
    auto guard = loading();
    for (SoilKindPage* page : m_kinds)
        ApplyWorkingSoils(page->grid(), items);
    BSetGrunty->setEnabled(false);
    updateSoilCodeColumns();
}

void TFormOtsenkaUgodia::NewBtnClick() {
    // A slope or a texture without the group number is no soil code.
    if (EGruntShifr->text().trimmed().isEmpty()) {
        showIssue(EGruntShifr,
                  FieldIssue(EGruntShifr->objectName(), QStringLiteral("Немає значення.")));
        return;
    }
    const QString code =
        ComposeSoilCode(EGruntShifr->text(), EGruntNaklon->currentText(), EGruntTip->currentText());
    CheckList* list = PanelGrunty->list();
    const int existing = FindSoilCode(listedCodes(), code);
    if (existing >= 0) {
        list->setCurrentRow(existing);
        showIssue(list, FieldIssue(list->objectName(), QStringLiteral("Грунт вже є у списку.")));
        return;
    }
    const int index = PanelGrunty->addItem(code, code, true);
    list->setCurrentRow(index);
    BSetGrunty->setEnabled(true);
    updateSoilCodeColumns();
}

void TFormOtsenkaUgodia::EGruntListChange(int index) {
    if (index < 0)
        return;
    const SoilCodeParts parts = SplitCatalogueSoil(EGruntList->itemText(index));
    EGruntShifr->setText(parts.group);
    const int slope = EGruntNaklon->findText(parts.slope);
    if (slope >= 0) {
        EGruntNaklon->setCurrentIndex(slope);
    } else {
        // A slope the list does not offer is kept as written, so the code stays the catalogue's.
        EGruntNaklon->addItem(parts.slope);
        EGruntNaklon->setCurrentIndex(EGruntNaklon->count() - 1);
    }
    EGruntTip->setCurrentIndex(0);
}

void TFormOtsenkaUgodia::POPUP_INDEXClick(const QString& line) {
    // The coefficient applies to the kind whose page is shown; on "Грунти" it does nothing.
    SoilKindPage* page = kindPage(PageControl1->currentIndex());
    if (!page)
        return;
    SoilKindData& k = m_indexation[static_cast<size_t>(page->kind() - 1)];
    k.baseValue = page->EBazovaCina->text();
    ApplyIndexation(k, line);
    page->EBazovaCina->setText(k.baseValue);
    showIndexation(page->kind());
}

void TFormOtsenkaUgodia::GridUgodiaSetEditText(int kind, int row, int col) {
    if (FLoading)
        return;
    SoilKindPage* page = kindPage(kind);
    if (!page)
        return;
    StringGrid& grid = page->grid();
    if (col == ColSoilCode)
        soilCodeChosen(grid.at(row, ColSoilCode));
    // Values belong to a soil: without a code the typed text goes at once.
    if (grid.at(row, ColSoilCode).isEmpty()) {
        grid.set(row, col, QString());
        return;
    }
    computeKind(kind);
}

void TFormOtsenkaUgodia::BOpenMapClick() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Functional()}));
}

void TFormOtsenkaUgodia::BOpenMap2Click() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Soils()}));
}

bool OpenStepAgricultural(const StepContext& context, QWidget* parent) {
    TFormOtsenkaUgodia form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            AgriculturalData data;
            if (!LoadAgricultural(*context.project, data, error))
                return false;
            // The catalogue only offers codes; without it soils are still typed by hand.
            QStringList catalogue;
            if (context.catalogue)
                LoadSoilCatalogue(*context.catalogue, catalogue);
            static const TDinArryOfKoef noIndexation;
            const TDinArryOfKoef& table = context.indexation ? *context.indexation : noIndexation;
            form.setLoaded(catalogue, data,
                           IndexationLines(table, QDate::currentDate().year(), KindIndexation));
            return true;
        },
        [&](QString* error) { return StoreAgricultural(*context.project, form.data(), error); });
}
