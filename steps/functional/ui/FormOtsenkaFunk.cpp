#include "steps/functional/ui/FormOtsenkaFunk.h"

#include "common/Messages.h"
#include "common/ui/LongWork.h"
#include "common/ui/ShellOpen.h"
#include "map/MapGlobal.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/DistrictLayer.h"
#include "steps/common/StepStore.h"
#include "steps/common/ui/OverlayOutcome.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "valuation/Names.h"
#include "widgets/GridView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StringGrid& TFormOtsenkaFunk::rows() {
    return *GridFunks->grid();
}

TFormOtsenkaFunk::TFormOtsenkaFunk(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Функціональне використання"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaFunk"));
    resize(1100, 560);
    addHeading(QStringLiteral("Розподіл за функціональним використанням"));

    auto* fromMap = new QHBoxLayout;
    fromMap->addWidget(new QLabel(
        QStringLiteral("Визначити автоматично з карти \"функціональне використання\":"), this));
    BRaionsFromMap = new QPushButton(QStringLiteral("З мапи"), this);
    BRaionsFromMap->setObjectName(QStringLiteral("BRaionsFromMap"));
    BRaionsFromMap->setToolTip(QStringLiteral("З карти районів занести інформацію та площі"));
    BRaionsFromMap->setAutoDefault(false);
    fromMap->addWidget(BRaionsFromMap);
    fromMap->addStretch(1);
    body()->addLayout(fromMap);

    GridFunks = new GridView(this);
    GridFunks->setObjectName(QStringLiteral("GridFunks"));
    *GridFunks->grid() = MakeFunctionalGrid({}, 1);
    QList<GridColumn> columns;
    GridColumn district = GridColumn::text(QString(), 80);
    district.readOnly = true;
    district.alignment = Qt::AlignCenter;
    district.wrap = true;
    columns << district;
    for (int k = 1; k <= FunctionalCategoryCount(); ++k) {
        GridColumn area = GridColumn::number(QString(), 4, 78);
        area.wrap = true;
        columns << area;
    }
    GridFunks->setColumns(columns);
    GridFunks->setHeadingGroups(
        {GridHeadingGroup{1, FunctionalCategoryCount(), QStringLiteral("Площа, га")}});
    body()->addWidget(GridFunks, 1);

    auto* note = new QLabel(QStringLiteral("  Якщо площі не визначені,  уведіть 0"), this);
    note->setStyleSheet(QStringLiteral("color: grey"));
    body()->addWidget(note);

    BOpenMap = addBottomButton(QStringLiteral("BOpenMap"), QStringLiteral("Карта фун.вик."));
    BOpenMap2 = addBottomButton(QStringLiteral("BOpenMap2"), QStringLiteral("Карта районів"));

    connect(BRaionsFromMap, &QPushButton::clicked, this, &TFormOtsenkaFunk::BRaionsFromMapClick);
    connect(BOpenMap, &QPushButton::clicked, this, &TFormOtsenkaFunk::BOpenMapClick);
    connect(BOpenMap2, &QPushButton::clicked, this, &TFormOtsenkaFunk::BOpenMap2Click);
}

void TFormOtsenkaFunk::showEvent(QShowEvent* event) {
    StepWindow::showEvent(event);
    // The first area cell once the grid has its width, so the view does not scroll under
    // the district column.
    if (!m_shown) {
        m_shown = true;
        GridFunks->setCurrentCell(rows().fixedRows(), 1);
    }
}

void TFormOtsenkaFunk::BRaionsFromMapClick() {
    GridFunks->endEdit();
    FunctionalOverlayResult result;
    {
        LongWork work(QStringLiteral("Накладення функціонального використання на райони..."));
        result = MeasureFunctionalAreas(DistrictLayerFolder(context()), work.callback());
    }
    if (!OverlayFinished(result.ok, result.error, result.stats))
        return;
    if (result.areas.empty()) {
        ShowWarning(FunctionalNoOverlapText());
        return;
    }
    if (HasFunctionalAreas(rows()) &&
        !AskReplaceTyped(QStringLiteral("усі площі функціонального використання в таблиці "
                                        "площами з карти")))
        return;
    auto guard = loading();
    m_mapLayers = result.layers;
    ApplyFunctionalAreas(rows(), result.areas);
    m_typedBase = rows();
    GridFunks->refresh();
}

StepCheck TFormOtsenkaFunk::checkBeforeSave() {
    if (StepCheck issue = CheckFunctional(rows()))
        return issue;
    const QStringList oversized = OversizedDistricts(rows(), m_districts);
    if (!oversized.isEmpty() &&
        AskConfirm(QStringLiteral("Сума площ функціонального використання більша за площу "
                                  "району:\r") +
                       oversized.join(QStringLiteral("\r")) + QStringLiteral("\rЗберегти так?"),
                   Answer::Yes | Answer::No) != Answer::Yes)
        return FieldIssue(QStringLiteral("GridFunks"), QStringLiteral("Перевірте площі районів."));
    return std::nullopt;
}

void TFormOtsenkaFunk::BOpenMapClick() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Functional()}));
}

void TFormOtsenkaFunk::BOpenMap2Click() {
    ShowShellErrors(EditLayersExternally(context().folder, {names::layer::Districts()}));
}

bool OpenStepFunctional(const StepContext& context, QWidget* parent) {
    if (QString warning; !RequireDistrictCount(*context.project, &warning)) {
        ShowWarning(warning);
        return false;
    }
    TFormOtsenkaFunk form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            const int count = ReadDistrictCount(*context.project);
            std::vector<District> districts;
            if (!ReadDistricts(*context.project, DistrictOrder::AsStored, districts, true, error))
                return false;
            form.setDistricts(districts);
            auto guard = form.loading();
            form.rows() = MakeFunctionalGrid(DistrictNumbers(districts), count);
            if (!LoadFunctional(*context.project, form.rows(), error))
                return false;
            form.setTypedBase(form.rows());
            form.GridFunks->refresh();
            return true;
        },
        [&](QString* error) {
            return StoreFunctional(*context.project, form.rows(), error,
                                   DistrictLayerFolder(context), form.mapLayers(),
                                   &form.typedBase());
        });
}
