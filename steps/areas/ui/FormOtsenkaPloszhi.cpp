#include "steps/areas/ui/FormOtsenkaPloszhi.h"

#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/ui/EditFilters.h"
#include "common/ui/InputQuery.h"
#include "common/ui/ShellOpen.h"
#include "common/ui/Wait.h"
#include "map/MapGlobal.h"
#include "reports/ui/WordUtils.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStatement.h"
#include "steps/common/StepLayers.h"
#include "steps/common/StepStore.h"
#include "valuation/Names.h"
#include "widgets/GridView.h"

#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

/** The fields whose change recalculates the computed assessed territory. */
bool EntersAssessed(const QString& name) {
    return name == QStringLiteral("EZagalna") || name == QStringLiteral("EZabudovana") ||
           name == QStringLiteral("EOsg") || name == QStringLiteral("EInshi") ||
           name == QStringLiteral("ENoUsed");
}

QLineEdit* ReadOnlyEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setMaximumWidth(140);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

} // namespace

TFormOtsenkaPloszhi::TFormOtsenkaPloszhi(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Показники"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaPloszhi"));
    resize(620, 700);
    addHeading(QStringLiteral("Визначення розрахункових площ"));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(makeGeneralTab(), QStringLiteral("Загальні"));
    PageControl->addTab(makeDistrictsTab(), QStringLiteral("По районах"));
    body()->addWidget(PageControl, 1);

    BOpenExcel = addBottomButton(QStringLiteral("BOpenExcel"), QStringLiteral("Склад земель"));
    BOpenMap = addBottomButton(QStringLiteral("BOpenMap"), QStringLiteral("Карта районів"));
    connect(BOpenExcel, &QPushButton::clicked, this, &TFormOtsenkaPloszhi::BOpenExcelClick);
    connect(BOpenMap, &QPushButton::clicked, this, &TFormOtsenkaPloszhi::BOpenMapClick);
}

QWidget* TFormOtsenkaPloszhi::makeGeneralTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    int row = 0;
    QString previousParent;
    for (const AreaField& f : AreaFields()) {
        if (f.name == QStringLiteral("ERaions"))
            continue;
        if (f.sub && previousParent.isEmpty()) {
            auto* of = new QLabel(QStringLiteral("із них:"), page);
            of->setIndent(20);
            grid->addWidget(of, row++, 0);
        }
        previousParent = f.sub ? f.name : QString();
        auto* caption = new QLabel(f.caption, page);
        caption->setIndent(f.sub ? 40 : 0);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(f.name);
        edit->setMaximumWidth(140);
        edit->setAlignment(Qt::AlignRight);
        caption->setBuddy(edit);
        FilterEditNumber(edit, 15, 4);
        m_fields.insert(f.name, edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        const QString name = f.name;
        if (name == QStringLiteral("EZagalna"))
            connect(edit, &QLineEdit::textChanged, this, &TFormOtsenkaPloszhi::EZagalnaChange);
        else if (EntersAssessed(name))
            connect(edit, &QLineEdit::textChanged, this, &TFormOtsenkaPloszhi::fieldChange);
        // A field the statement left below 0 is the valuer's own again once typed over.
        connect(edit, &QLineEdit::textEdited, this,
                [this, name] { m_statementNegative.remove(name); });
        if (name == QStringLiteral("EOcinochna")) {
            auto* computed = new QHBoxLayout;
            computed->setSpacing(8);
            BCopyAssessed = new QPushButton(QStringLiteral("← Перенести"), page);
            BCopyAssessed->setObjectName(QStringLiteral("BCopyAssessed"));
            BCopyAssessed->setAutoDefault(false);
            BCopyAssessed->setToolTip(
                QStringLiteral("Занести в поле підраховану оціночну територію"));
            connect(BCopyAssessed, &QPushButton::clicked, this,
                    &TFormOtsenkaPloszhi::BCopyAssessedClick);
            EOcinochnaReal = new QLabel(page);
            EOcinochnaReal->setObjectName(QStringLiteral("EOcinochnaReal"));
            EOcinochnaReal->setToolTip(
                QStringLiteral("Підрахована оціночна територія; подвійний клік переносить її "
                               "в поле"));
            EOcinochnaReal->installEventFilter(this);
            computed->addWidget(BCopyAssessed);
            computed->addWidget(EOcinochnaReal, 1);
            grid->addLayout(computed, row, 2);
        }
        ++row;
    }
    grid->setColumnStretch(2, 1);

    BGetExcel = new QPushButton(QStringLiteral("Взяти з відомості"), page);
    BGetExcel->setObjectName(QStringLiteral("BGetExcel"));
    BGetExcel->setAutoDefault(false);
    BGetExcel->setToolTip(
        QStringLiteral("Заповнити поля з підсумків відомості \"Склад земель\" населеного пункту"));
    connect(BGetExcel, &QPushButton::clicked, this, &TFormOtsenkaPloszhi::BGetExcelClick);

    auto* inner = new QWidget;
    auto* innerLayout = new QVBoxLayout(inner);
    innerLayout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BGetExcel);
    buttons->addStretch(1);
    innerLayout->addLayout(buttons);
    innerLayout->addStretch(1);
    auto* scroll = new QScrollArea(page);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return page;
}

QWidget* TFormOtsenkaPloszhi::makeDistrictsTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    auto* countLabel = new QLabel(QStringLiteral("Чисельність районів"), page);
    ERaions = ReadOnlyEdit(QStringLiteral("ERaions"), page);
    ERaions->setMaximumWidth(60);
    m_fields.insert(QStringLiteral("ERaions"), ERaions);
    BRaionsFromMap = new QPushButton(QStringLiteral("З мапи"), page);
    BRaionsFromMap->setObjectName(QStringLiteral("BRaionsFromMap"));
    BRaionsFromMap->setToolTip(QStringLiteral("З карти районів занести номери та площі"));
    BRaionsFromUser = new QPushButton(QStringLiteral("Вручну"), page);
    BRaionsFromUser->setObjectName(QStringLiteral("BRaionsFromUser"));
    BRaionsFromUser->setToolTip(
        QStringLiteral("Задати кількість районів вручну та ввести їх площі самостійно"));
    for (QPushButton* b : {BRaionsFromMap, BRaionsFromUser})
        b->setAutoDefault(false);
    top->addWidget(countLabel);
    top->addWidget(ERaions);
    top->addWidget(BRaionsFromMap);
    top->addWidget(new QLabel(QStringLiteral("або"), page));
    top->addWidget(BRaionsFromUser);
    top->addStretch(1);
    layout->addLayout(top);
    connect(BRaionsFromMap, &QPushButton::clicked, this, &TFormOtsenkaPloszhi::BRaionsFromMapClick);
    connect(BRaionsFromUser, &QPushButton::clicked, this,
            &TFormOtsenkaPloszhi::BRaionsFromUserClick);

    GridRaions = new GridView(page);
    GridRaions->setObjectName(QStringLiteral("GridRaions"));
    *GridRaions->grid() = MakeDistrictGrid();
    GridColumn mapArea = GridColumn::number(QStringLiteral("З карти, га"), 4, 90);
    mapArea.readOnly = true;
    mapArea.shaded = true;
    GridColumn description = GridColumn::text(QStringLiteral("Опис меж району"), 200);
    description.wrap = true;
    GridRaions->setColumns({GridColumn::text(QStringLiteral("№ оцін.р-ну"), 80),
                            GridColumn::number(QStringLiteral("Площа, га"), 4, 90), mapArea,
                            description});
    GridRaions->setFillColumn(ColDistrictDescription, 30);
    connect(GridRaions, &GridView::cellEdited, this, &TFormOtsenkaPloszhi::GridRaionsSetEditText);
    layout->addWidget(GridRaions, 1);

    auto* bottom = new QGridLayout;
    EZagalna2 = ReadOnlyEdit(QStringLiteral("EZagalna2"), page);
    ESummCalc = ReadOnlyEdit(QStringLiteral("ESummCalc"), page);
    ESummCalc->setToolTip(QStringLiteral("Підрахована за вказаними площами"));
    ESummMap = ReadOnlyEdit(QStringLiteral("ESummMap"), page);
    ESummMap->setToolTip(QStringLiteral("Підрахована за даними з карти"));
    bottom->addWidget(new QLabel(QStringLiteral("Загальна площа, га."), page), 0, 0);
    bottom->addWidget(EZagalna2, 0, 1);
    bottom->addWidget(new QLabel(QStringLiteral("Сумарна площа по районах"), page), 1, 0);
    bottom->addWidget(ESummCalc, 1, 1);
    bottom->addWidget(ESummMap, 1, 2);
    bottom->setColumnStretch(3, 1);
    layout->addLayout(bottom);
    return page;
}

StringGrid& TFormOtsenkaPloszhi::districts() {
    return *GridRaions->grid();
}

void TFormOtsenkaPloszhi::setData(const AreasData& data) {
    auto guard = loading();
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        it.value()->setText(data.value(it.key()));
    m_notCountedRest = data.value(NotCountedRestKey());
    EZagalna2->setText(field(QStringLiteral("EZagalna"))->text());
    districts() = data.districts;
    GridRaions->refresh();
}

AreasData TFormOtsenkaPloszhi::data() const {
    AreasData data;
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        data.values.insert(it.key(), it.value()->text());
    data.values.insert(NotCountedRestKey(), m_notCountedRest);
    data.districts = *GridRaions->grid();
    data.folder = context().folder;
    data.mapLayers = m_mapLayers;
    return data;
}

void TFormOtsenkaPloszhi::EZagalnaChange() {
    if (FLoading)
        return;
    EZagalna2->setText(field(QStringLiteral("EZagalna"))->text());
    recalcAssessed();
}

void TFormOtsenkaPloszhi::fieldChange() {
    if (!FLoading)
        recalcAssessed();
}

void TFormOtsenkaPloszhi::recalcAssessed() {
    EOcinochnaReal->setText(ComputedAssessedTerritory(
        field(QStringLiteral("EZagalna"))->text(), field(QStringLiteral("EZabudovana"))->text(),
        field(QStringLiteral("EOsg"))->text(), field(QStringLiteral("EInshi"))->text()));
    BCopyAssessed->setEnabled(!EOcinochnaReal->text().isEmpty());
}

void TFormOtsenkaPloszhi::BCopyAssessedClick() {
    if (!EOcinochnaReal->text().isEmpty())
        field(QStringLiteral("EOcinochna"))->setText(EOcinochnaReal->text());
}

void TFormOtsenkaPloszhi::recalcSums() {
    const auto [area, mapArea] = DistrictSums(districts());
    ESummCalc->setText(area);
    ESummMap->setText(mapArea);
}

void TFormOtsenkaPloszhi::GridRaionsSetEditText() {
    if (!FLoading)
        recalcSums();
}

void TFormOtsenkaPloszhi::districtsFilled(int count) {
    ERaions->setText(QString::number(count));
    GridRaions->refresh();
    GridRaions->setCurrentCell(districts().fixedRows(), ColDistrictArea);
}

void TFormOtsenkaPloszhi::BGetExcelClick() {
    const QString path = StatementPath(context().folder);
    if (!QFileInfo::exists(path)) {
        ShowWarning(QStringLiteral("У папці населеного пункту немає відомості \"Склад "
                                   "земель.xlsx\" (або \"Склад земель.xls\"), тож площі взяти "
                                   "нізвідки."));
        return;
    }
    QHash<QString, QString> fields;
    RunExcelJob(
        path,
        [&fields](Workbook& book, TMessages& messages, JobProgress& progress) {
            ReadStatementJob(book, messages, progress, fields);
        },
        QString());
    // Areas typed into the fields are replaced only when the valuer agrees.
    bool replacesTyped = false;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        if (const QLineEdit* edit = field(it.key());
            edit && !edit->text().trimmed().isEmpty() &&
            NumberOr0(edit->text()) != NumberOr0(it.value()))
            replacesTyped = true;
    if (replacesTyped && !AskReplaceTyped(QStringLiteral("площі, уведені в полях, площами з "
                                                         "відомості \"Склад земель\"")))
        return;
    {
        auto guard = loading();
        m_statementNegative.clear();
        if (fields.contains(NotCountedRestKey()))
            m_notCountedRest = fields.value(NotCountedRestKey());
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            if (QLineEdit* edit = field(it.key())) {
                edit->setText(it.value());
                if (NumberOr0(it.value()) < 0)
                    m_statementNegative.insert(it.key());
            }
    }
    if (fields.isEmpty())
        return;
    EZagalnaChange();
    // The statement's own arithmetic may come out below 0: shown, and stored only when the
    // valuer confirms it or corrects it.
    if (const QStringList negative = NegativeAreas(data()); !negative.isEmpty())
        ShowWarning(QStringLiteral("За відомістю вийшли від'ємні площі:\r") +
                    negative.join(QStringLiteral("\r")) +
                    QStringLiteral("\rПеревірте відомість або виправте поля; зберегти їх так "
                                   "можна, підтвердивши."));
}

void TFormOtsenkaPloszhi::BRaionsFromMapClick() {
    std::vector<MapDistrict> found;
    const MapDistrictsStatus status =
        context().map ? ReadMapDistricts(*context().map, found) : MapDistrictsStatus::NoDistricts;
    if (status == MapDistrictsStatus::NoDataset) {
        ShowError(MapDistrictsMessage(status));
        return;
    }
    if (status != MapDistrictsStatus::Ok) {
        ShowWarning(MapDistrictsMessage(status));
        return;
    }
    GridRaions->endEdit();
    if (HasDistrictValues(districts()) &&
        !AskReplaceTyped(QStringLiteral("номери та площі районів, уведені в таблиці (описи меж "
                                        "залишаться за номерами районів)")))
        return;
    // What the areas were read from, for the check to follow the layer.
    m_mapLayers = FingerprintStepLayers(context().folder, valuation::Step::Areas);
    {
        auto guard = loading();
        FillDistrictsFromMap(districts(), found);
        districtsFilled(static_cast<int>(found.size()));
    }
    recalcSums();
}

void TFormOtsenkaPloszhi::BRaionsFromUserClick() {
    GridRaions->endEdit();
    if (HasDistrictValues(districts()) &&
        !AskReplaceTyped(QStringLiteral("усі рядки районів (номери, площі, площі з карти та "
                                        "описи меж)")))
        return;
    std::optional<int> count;
    QString text;
    while (!count) {
        text.clear();
        if (!InputQuery(QStringLiteral("Встановити"), QStringLiteral("Кількість районів"), text))
            return;
        count = ParseDistrictCount(text);
    }
    {
        auto guard = loading();
        GridRaions->endEdit();
        FillDistrictsByHand(districts(), *count);
        m_mapLayers.clear();
        districtsFilled(*count);
    }
    recalcSums();
}

void TFormOtsenkaPloszhi::BOpenExcelClick() {
    ShellOpen(StatementPath(context().folder));
}

void TFormOtsenkaPloszhi::BOpenMapClick() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Districts()}));
}

StepCheck TFormOtsenkaPloszhi::checkBeforeSave() {
    const AreasData areas = data();
    StepCheck issue = CheckAreas(areas, m_statementNegative);
    if (!issue && !m_statementNegative.isEmpty()) {
        const QStringList negative = NegativeAreas(areas);
        if (!negative.isEmpty() && AskConfirm(QStringLiteral("Від'ємні площі з відомості:\r") +
                                                  negative.join(QStringLiteral("\r")) +
                                                  QStringLiteral("\rЗберегти їх так?"),
                                              Answer::Yes | Answer::No) != Answer::Yes)
            issue = CheckAreas(areas);
    }
    if (issue)
        PageControl->setCurrentIndex(issue->field == GridRaions->objectName() ? 1 : 0);
    return issue;
}

void TFormOtsenkaPloszhi::showEvent(QShowEvent* event) {
    StepWindow::showEvent(event);
    recalcSums();
    recalcAssessed();
}

bool TFormOtsenkaPloszhi::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EOcinochnaReal && event->type() == QEvent::MouseButtonDblClick) {
        field(QStringLiteral("EOcinochna"))->setText(EOcinochnaReal->text());
        return true;
    }
    return StepWindow::eventFilter(watched, event);
}

bool OpenStepAreas(const StepContext& context, QWidget* parent) {
    TFormOtsenkaPloszhi form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            AreasData data;
            if (!LoadAreas(*context.project, data, error))
                return false;
            form.setData(data);
            if (!data.countProblem.isEmpty())
                ShowWarning(
                    data.countProblem + QStringLiteral("\rПоказано райони, що є в базі (") +
                    QString::number(data.districts.rowCount() - data.districts.fixedRows()) +
                    QStringLiteral(")."));
            return true;
        },
        [&](QString* error) { return StoreAreas(*context.project, form.data(), error); });
}
