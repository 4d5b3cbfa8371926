#include "steps/localquarter/ui/FormOtsenkaLocalny2.h"

#include "common/LastError.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepStore.h"
#include "steps/localquarter/QuarterFill.h"
#include "steps/localquarter/QuarterInfo.h"
#include "steps/localquarter/QuarterStatement.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidgetItem>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <set>

using namespace QuarterGrid;

namespace {

QFont FactorHeadingFont() {
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSize(7);
    return font;
}

GridColumn FactorColumn(int width) {
    GridColumn column = GridColumn::text(QString(), width);
    column.headingFont = FactorHeadingFont();
    column.headingAlignment = Qt::AlignBottom | Qt::AlignHCenter;
    column.alignment = Qt::AlignCenter;
    column.wrap = true;
    return column;
}

QWidget* Page(QTabWidget* pages, const QString& caption, QVBoxLayout*& layout) {
    auto* page = new QWidget(pages);
    layout = new QVBoxLayout(page);
    pages->addTab(page, caption);
    return page;
}

} // namespace

StringGrid& TFormOtsenkaLocalny2::statement() {
    return *GridLocalny2->grid();
}

StringGrid& TFormOtsenkaLocalny2::districtFactors() {
    return *GridLocalny->grid();
}

TFormOtsenkaLocalny2::TFormOtsenkaLocalny2(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Локальні фактори"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaLocalny2"));
    resize(1000, 600);
    addHeading(QStringLiteral("Локальні фактори, розрахунок Км3 поквартально (для села)"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    body()->addWidget(PageControl1, 1);

    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(PageControl1, QStringLiteral("Локальні фактори"), layout);
    layout->addWidget(new QLabel(QStringLiteral("Інформаційні показники"), page));
    ListFactors = new CheckList(page);
    ListFactors->setObjectName(QStringLiteral("ListFactors"));
    ListFactors->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(ListFactors, 1);

    page = Page(PageControl1, QStringLiteral("Локальні фактори порайонно"), layout);
    layout->addWidget(new QLabel(QStringLiteral("Інформаційні показники"), page));
    GridLocalny = new GridView(page);
    GridLocalny->setObjectName(QStringLiteral("GridLocalny"));
    layout->addWidget(GridLocalny, 1);

    page = Page(PageControl1, QStringLiteral("Значення локальних факторів поквартально"), layout);
    auto* fill = new QHBoxLayout;
    BFillAuto = new QPushButton(QStringLiteral("Занести з районів"), page);
    BFillAuto->setObjectName(QStringLiteral("BFillAuto"));
    BFillAuto->setAutoDefault(false);
    fill->addWidget(BFillAuto);
    auto* need =
        new QLabel(QStringLiteral("Повинні бути заповнені дані про райони і зони, локальні "
                                  "фактори, розподіл за функціональними використанням"),
                   page);
    need->setWordWrap(true);
    fill->addWidget(need, 1);
    layout->addLayout(fill);
    GridLocalny2 = new GridView(page);
    GridLocalny2->setObjectName(QStringLiteral("GridLocalny2"));
    layout->addWidget(GridLocalny2, 1);
    layout->addWidget(new QLabel(
        QStringLiteral("Дії по автоматизації заповнення значень знаходяться у контекстному меню."),
        page));

    PopupMenuGrid = new QMenu(this);
    auto addAction = [this](const char* name, const QString& caption, const QKeySequence& keys) {
        QAction* action = PopupMenuGrid->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            // The keys work in the grid whether or not the menu is open.
            GridLocalny2->addAction(action);
        }
        return action;
    };
    POPUP_GRID_COPY = addAction("POPUP_GRID_COPY", QStringLiteral("Скопіювати рядок"), {});
    POPUP_GRID_PASTE =
        addAction("POPUP_GRID_PASTE", QStringLiteral("Вставити раніше скопійоване рядок"), {});
    POPUP_GRID_CLEAR =
        addAction("POPUP_GRID_CLEAR", QStringLiteral("Видалити значення всього рядка"), {});
    POPUP_GRID_ADD = addAction("POPUP_GRID_ADD", QStringLiteral("Додати рядок"),
                               QKeySequence(Qt::CTRL | Qt::Key_Insert));
    POPUP_GRID_DEL = addAction("POPUP_GRID_DEL", QStringLiteral("Видалити рядок"),
                               QKeySequence(Qt::CTRL | Qt::Key_Delete));
    GridLocalny2->setPopupMenu(PopupMenuGrid);

    connect(BFillAuto, &QPushButton::clicked, this, &TFormOtsenkaLocalny2::BFillAutoClick);
    connect(GridLocalny2, &GridView::popupRequested, this,
            [this](int row, int col, const QPoint&) { PopupMenuGridPopup(row, col); });
    connect(GridLocalny2, &GridView::cellEdited, this,
            &TFormOtsenkaLocalny2::GridLocalny2SetEditText);
    connect(GridLocalny2, &GridView::comboItemChosen, this, &TFormOtsenkaLocalny2::kfChosen);
    connect(POPUP_GRID_COPY, &QAction::triggered, this,
            &TFormOtsenkaLocalny2::POPUP_GRID_COPYClick);
    connect(POPUP_GRID_PASTE, &QAction::triggered, this,
            &TFormOtsenkaLocalny2::POPUP_GRID_PASTEClick);
    connect(POPUP_GRID_CLEAR, &QAction::triggered, this,
            &TFormOtsenkaLocalny2::POPUP_GRID_CLEARClick);
    connect(POPUP_GRID_ADD, &QAction::triggered, this, &TFormOtsenkaLocalny2::POPUP_GRID_ADDClick);
    connect(POPUP_GRID_DEL, &QAction::triggered, this, &TFormOtsenkaLocalny2::POPUP_GRID_DELClick);
}

void TFormOtsenkaLocalny2::setCatalogue(const std::vector<LocalFactor>& catalogue,
                                        const std::vector<int>& used) {
    const std::set<int> usedSet(used.begin(), used.end());
    ListFactors->clearItems();
    QStringList names;
    for (const LocalFactor& factor : catalogue) {
        const int index = ListFactors->addCheckItem(factor.name, usedSet.count(factor.number) > 0);
        // Information only: the checks say which factors the districts use.
        ListFactors->item(index)->setFlags(Qt::ItemIsSelectable);
        names << factor.name;
    }

    const int factors = static_cast<int>(catalogue.size());
    statement() = MakeQuarterGrid(factors, names);
    QList<GridColumn> columns;
    GridColumn number = GridColumn::text(QString(), 34);
    number.readOnly = true;
    number.alignment = Qt::AlignCenter;
    GridColumn zone = GridColumn::text(QString(), 50);
    zone.alignment = Qt::AlignCenter;
    GridColumn district = zone;
    GridColumn quarters = GridColumn::text(QString(), 110);
    GridColumn name = GridColumn::text(QString(), 230);
    GridColumn kf = GridColumn::number(QString(), 2, 70);
    const QuarterKfChoices choices = QuarterKfChoicesOf();
    kf.comboItems = choices.items;
    kf.comboValues = choices.values;
    kf.intDigits = 3;
    kf.alignment = Qt::AlignCenter;
    columns << number << zone << district << quarters << name << kf;
    for (const LocalFactor& factor : catalogue)
        columns << FactorColumn(usedSet.count(factor.number) ? 70 : 0);
    GridLocalny2->setColumns(columns);
    GridLocalny2->setHeadingHeight(70);
}

void TFormOtsenkaLocalny2::refreshGrids() {
    QList<GridColumn> columns;
    GridColumn number = GridColumn::text(QString(), 34);
    number.readOnly = true;
    number.alignment = Qt::AlignCenter;
    GridColumn district = GridColumn::text(QString(), 70);
    district.readOnly = true;
    district.bold = true;
    district.alignment = Qt::AlignCenter;
    columns << number << district;
    for (int col = 2; col < districtFactors().colCount(); ++col) {
        GridColumn factor = FactorColumn(70);
        factor.readOnly = true;
        columns << factor;
    }
    GridLocalny->setColumns(columns);
    GridLocalny->setHeadingHeight(70);
    GridLocalny->refresh();
    GridLocalny2->refresh();
    GridLocalny2->setCurrentCell(statement().fixedRows(), ZoneCol);
}

void TFormOtsenkaLocalny2::showEvent(QShowEvent* event) {
    StepWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        PageControl1->setCurrentIndex(2);
        // Once the grid has its width, so the view does not scroll under the number column.
        GridLocalny2->setCurrentCell(statement().fixedRows(), ZoneCol);
    }
}

int TFormOtsenkaLocalny2::currentRow() const {
    return GridLocalny2->currentGridRow();
}

void TFormOtsenkaLocalny2::BFillAutoClick() {
    GridLocalny2->endEdit();
    // The pre-filling starts the statement anew: what was typed in it goes only when agreed.
    bool typed = false;
    for (int row = statement().fixedRows(); row < statement().rowCount() && !typed; ++row)
        for (int col = ZoneCol; col < statement().colCount() && !typed; ++col)
            typed = !statement().at(row, col).trimmed().isEmpty();
    if (typed && !AskReplaceTyped(QStringLiteral("усі рядки відомості, уведені вручну (номери "
                                                 "кварталів, назви, значення)")))
        return;
    QuarterFillResult result;
    {
        WaitCursor wait;
        auto guard = loading();
        result = FillStatementFromDistricts(*context().project, statement());
        GridLocalny2->refresh();
    }
    if (!result.ok) {
        ShowWarning(result.missing);
        return;
    }
    GridLocalny2->setCurrentCell(statement().fixedRows(), QuartersCol);
}

void TFormOtsenkaLocalny2::PopupMenuGridPopup(int row, int col) {
    const bool onCell = !GridIsEmpty(statement()) && row >= statement().fixedRows() &&
                        row < statement().rowCount() && col > NumberCol;
    PopupMenuGrid->setEnabled(onCell);
    if (!onCell)
        return;
    GridLocalny2->setCurrentCell(row, col);
    GridLocalny2->setFocus();
}

void TFormOtsenkaLocalny2::POPUP_GRID_COPYClick() {
    GridLocalny2->endEdit();
    m_copied = statement().rowTexts(currentRow());
}

void TFormOtsenkaLocalny2::POPUP_GRID_PASTEClick() {
    GridLocalny2->endEdit();
    if (m_copied.isEmpty()) {
        ShowWarning(QStringLiteral("Не було виконано копіювання."));
        return;
    }
    auto guard = loading();
    PasteStatementRow(statement(), currentRow(), m_copied);
}

void TFormOtsenkaLocalny2::POPUP_GRID_CLEARClick() {
    GridLocalny2->endEdit();
    auto guard = loading();
    ClearStatementRow(statement(), currentRow());
}

void TFormOtsenkaLocalny2::POPUP_GRID_ADDClick() {
    GridLocalny2->endEdit();
    auto guard = loading();
    const int col = GridLocalny2->currentGridCol();
    const int row = std::max(currentRow(), statement().fixedRows());
    AddStatementRow(statement(), row);
    GridLocalny2->setCurrentCell(row, col);
}

void TFormOtsenkaLocalny2::POPUP_GRID_DELClick() {
    GridLocalny2->endEdit();
    auto guard = loading();
    DeleteStatementRow(statement(), currentRow());
}

void TFormOtsenkaLocalny2::GridLocalny2SetEditText(int row, int col, const QString& text) {
    if (FLoading)
        return;
    // A row without a number is not part of the statement.
    if (statement().at(row, NumberCol).isEmpty() && !text.isEmpty()) {
        auto guard = loading();
        statement().set(row, col, QString());
    }
}

void TFormOtsenkaLocalny2::kfChosen(int row, int col, int item) {
    // A land use chosen for its Kf names the row when the valuer has not named it.
    if (FLoading || col != FunctionalCol || statement().at(row, NumberCol).isEmpty() ||
        !statement().at(row, NameCol).trimmed().isEmpty())
        return;
    const QStringList names = QuarterKfChoicesOf().names;
    if (item >= 0 && item < names.size())
        statement().set(row, NameCol, names[item]);
}

namespace {

/**
 * The statement follows its districts' local factors and Kf; what the valuer typed is
 * replaced only when they agree. The grids are shown after.
 */
void RefreshStatement(Connection& project, TFormOtsenkaLocalny2& form) {
    StatementRefresh refresh;
    // A settlement that cannot be read now was read a moment ago: the statement stays as read.
    if (RefreshStatementFromDistricts(project, form.statement(), false, refresh, nullptr) &&
        !refresh.typed.isEmpty() &&
        AskConfirm(QStringLiteral("Локальні фактори районів змінились. Значення відомості, "
                                  "введені вручну, відрізняються від них (%1):\r")
                           .arg(refresh.typed.size()) +
                       refresh.typed.mid(0, 15).join(u'\r') +
                       QStringLiteral("\rЗамінити їх значеннями районів?"),
                   Answer::Yes | Answer::No) == Answer::Yes)
        RefreshStatementFromDistricts(project, form.statement(), true, refresh, nullptr);
    form.refreshGrids();
    form.showChanges(refresh.changed);
}

} // namespace

bool OpenStepLocalByQuarter(const StepContext& context, QWidget* parent) {
    if (QString warning; !RequireDistrictCount(*context.project, &warning)) {
        ShowWarning(warning);
        return false;
    }
    TFormOtsenkaLocalny2 form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            std::vector<LocalFactor> catalogue;
            std::vector<District> districts;
            std::vector<int> used;
            if (!context.catalogue)
                return FailWith(error,
                                LoadFailedText(QStringLiteral("локальні")) + CatalogueClosedText());
            if (!ReadLocalCatalogue(*context.catalogue, catalogue, error) ||
                !ReadDistricts(*context.project, DistrictOrder::AsStored, districts, true, error) ||
                !ReadUsedFactors(*context.project, used, error))
                return false;
            {
                auto guard = form.loading();
                form.setCatalogue(catalogue, used);
                if (!LoadDistrictFactorGrid(*context.project, DistrictNumbers(districts), catalogue,
                                            used, form.districtFactors(), error) ||
                    !LoadQuarterStatement(*context.project, form.statement(), error))
                    return false;
                RefreshStatement(*context.project, form);
            }
            if (static_cast<int>(catalogue.size()) > StoredFactors)
                ShowWarning(QuarterTooManyFactorsText(static_cast<int>(catalogue.size())));
            return true;
        },
        [&](QString* error) {
            return StoreQuarterStatement(*context.project, form.statement(), error);
        });
}
