#include "steps/info/FormOtsenkaInfo.h"

#include "common/ui/MinimizeWithApplication.h"
#include "db/Databases.h"
#include "steps/info/InfoStep.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StringGrid& TFormOtsenkaInfo::rows() {
    return *ListBoxData->grid();
}

TFormOtsenkaInfo::TFormOtsenkaInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormOtsenkaInfo"));
    setWindowTitle(QStringLiteral("Інформація"));
    MinimizeWithApplication(this);
    resize(560, 420);

    auto* heading = new QLabel(QStringLiteral("Інформація про населений пункт:"), this);
    heading->setObjectName(QStringLiteral("LabelHeading"));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);

    ListBoxData = new GridView(this);
    ListBoxData->setObjectName(QStringLiteral("ListBoxData"));
    // The view owns the grid, so the grid outlives every notice the view still handles.
    *ListBoxData->grid() = MakeInfoGrid();
    ListBoxData->setColumns({GridColumn::text(QStringLiteral("Показник"), 260),
                             GridColumn::text(QStringLiteral("Значення"), 240)});
    ListBoxData->horizontalHeader()->setStretchLastSection(true);
    ListBoxData->installEventFilter(this);

    BAddRow = new QPushButton(QStringLiteral("Додати рядок"), this);
    BAddRow->setObjectName(QStringLiteral("BAddRow"));
    BAddRow->setAutoDefault(false);
    BAddRow->setToolTip(QStringLiteral("Додати рядок (Insert)"));
    BSave = new QPushButton(QStringLiteral("Зберігти"), this);
    BSave->setObjectName(QStringLiteral("BSave"));
    BSave->setAutoDefault(false);
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BAddRow);
    buttons->addStretch(1);
    buttons->addWidget(BSave);
    buttons->addWidget(BCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(ListBoxData, 1);
    layout->addLayout(buttons);

    connect(BAddRow, &QPushButton::clicked, this, &TFormOtsenkaInfo::addRow);
    connect(BSave, &QPushButton::clicked, this, &TFormOtsenkaInfo::BSaveClick);
    connect(BCancel, &QPushButton::clicked, this, &TFormOtsenkaInfo::BCancelClick);
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

void TFormOtsenkaInfo::BSaveClick() {
    ListBoxData->endEdit();
    const auto showRow = [this](int row) {
        ListBoxData->refresh();
        ListBoxData->setCurrentCell(row, 1);
        ListBoxData->setFocus();
    };
    if (!ValidateInfoRows(rows(), ListBoxData, showRow))
        return;
    ListBoxData->refresh();
    done(ResultSave);
}

void TFormOtsenkaInfo::BCancelClick() {
    done(ResultCancel);
}

void TFormOtsenkaInfo::reject() {
    done(ResultCancel);
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
    return QDialog::eventFilter(watched, event);
}

bool OpenStepInfo(QWidget* parent) {
    TFormOtsenkaInfo form(parent);
    if (!LoadInfoRows(Db().queryData, form.rows()))
        return false;
    form.refreshRows();
    if (form.exec() != TFormOtsenkaInfo::ResultSave)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool stored = StoreInfoRows(form.rows());
    QGuiApplication::restoreOverrideCursor();
    return stored;
}
