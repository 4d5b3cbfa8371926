#include "steps/info/ui/FormOtsenkaInfo.h"

#include "common/Messages.h"
#include "steps/common/StepStore.h"
#include "steps/info/InfoStep.h"
#include "widgets/GridView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

StringGrid& TFormOtsenkaInfo::rows() {
    return *ListBoxData->grid();
}

TFormOtsenkaInfo::TFormOtsenkaInfo(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Інформація"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaInfo"));
    resize(560, 420);
    addHeading(QStringLiteral("Інформація про населений пункт:"));

    ListBoxData = new GridView(this);
    ListBoxData->setObjectName(QStringLiteral("ListBoxData"));
    // The view owns the grid, so the grid outlives every notice the view still handles.
    *ListBoxData->grid() = MakeInfoGrid();
    ListBoxData->setColumns({GridColumn::text(QStringLiteral("Показник"), 260),
                             GridColumn::text(QStringLiteral("Значення"), 240)});
    ListBoxData->horizontalHeader()->setStretchLastSection(true);
    ListBoxData->installEventFilter(this);
    body()->addWidget(ListBoxData, 1);

    BAddRow = addBottomButton(QStringLiteral("BAddRow"), QStringLiteral("Додати рядок"));
    BAddRow->setToolTip(QStringLiteral("Додати рядок (Insert)"));
    connect(BAddRow, &QPushButton::clicked, this, &TFormOtsenkaInfo::addRow);
}

void TFormOtsenkaInfo::refreshRows() {
    ListBoxData->refresh();
    if (rows().rowCount() > rows().fixedRows())
        ListBoxData->setCurrentCell(rows().fixedRows(), 1);
}

void TFormOtsenkaInfo::addRow() {
    ListBoxData->endEdit();
    const int row = rows().rowCount();
    rows().setRowCount(row + 1);
    ListBoxData->refresh();
    ListBoxData->setCurrentCell(row, 0);
    ListBoxData->setFocus();
}

StepCheck TFormOtsenkaInfo::checkBeforeSave() {
    StepCheck issue = ValidateInfoRows(rows());
    if (!issue)
        issue = CheckInfoArea(rows(), m_storedArea);
    ListBoxData->refresh();
    return issue;
}

bool TFormOtsenkaInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxData && event->type() == QEvent::KeyPress && !ListBoxData->isEditing()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool lastRow = ListBoxData->currentGridRow() >= rows().rowCount() - 1;
        if (key->key() == Qt::Key_Insert ||
            (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier &&
             (lastRow || rows().rowCount() <= rows().fixedRows()))) {
            addRow();
            return true;
        }
    }
    return StepWindow::eventFilter(watched, event);
}

bool OpenStepInfo(const StepContext& context, QWidget* parent) {
    TFormOtsenkaInfo form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            auto guard = form.loading();
            if (!LoadInfoRows(*context.project, form.rows(), error))
                return false;
            form.setStoredArea(StoredInfoArea(*context.project));
            form.refreshRows();
            return true;
        },
        [&](QString* error) { return StoreInfoRows(*context.project, form.rows(), error); });
}
