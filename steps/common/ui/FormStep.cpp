#include "steps/common/ui/FormStep.h"

#include "common/LastError.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/MinimizeWithApplication.h"
#include "steps/common/StepStore.h"
#include "widgets/GridView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormStep::TFormStep(const StepContext& context, const QString& caption, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setWindowTitle(caption);
    setModal(true);
    MinimizeWithApplication(this);

    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    m_bottom = new QHBoxLayout;
    m_bottom->addStretch(1);
    BSave = new QPushButton(QStringLiteral("Зберігти"), this);
    BSave->setObjectName(QStringLiteral("BSave"));
    BSave->setAutoDefault(false);
    BSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setAutoDefault(false);
    m_bottom->addWidget(BSave);
    m_bottom->addWidget(BCancel);
    layout->addLayout(m_bottom);

    connect(BSave, &QPushButton::clicked, this, &TFormStep::BSaveClick);
    connect(BCancel, &QPushButton::clicked, this, &TFormStep::BCancelClick);
}

QPushButton* TFormStep::addBottomButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_bottom->insertWidget(m_leftButtons++, button);
    return button;
}

QLabel* TFormStep::addHeading(const QString& text) {
    auto* heading = new QLabel(text, this);
    heading->setObjectName(QStringLiteral("LabelHeading"));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    m_body->addWidget(heading);
    return heading;
}

void TFormStep::showIssue(const StepIssue& issue) {
    QWidget* at = issue.field.isEmpty() ? nullptr : findChild<QWidget*>(issue.field);
    if (auto* grid = qobject_cast<GridView*>(at); grid && issue.row >= 0) {
        grid->endEdit();
        grid->setCurrentCell(issue.row, issue.col >= 0 ? issue.col : grid->currentGridCol());
    }
    if (at)
        at->setFocus();
    ShowBalloon(issue.title, issue.text, 2, at);
}

void TFormStep::BSaveClick() {
    // Edits still open in a grid belong to what is checked and stored.
    for (GridView* grid : findChildren<GridView*>())
        grid->endEdit();
    if (const StepCheck issue = checkBeforeSave()) {
        showIssue(*issue);
        return;
    }
    done(ResultSave);
}

void TFormStep::BCancelClick() {
    done(ResultCancel);
}

void TFormStep::reject() {
    done(ResultCancel);
}

bool RunStepWindow(TFormStep& form, const std::function<bool()>& store) {
    while (form.exec() == TFormStep::ResultSave) {
        {
            WaitCursor wait;
            if (store())
                return true;
        }
        ShowError(StoreFailedText() + LastError());
    }
    return false;
}

void TFormStep::showChanges(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    if (!m_changes) {
        m_changes = new QLabel(this);
        m_changes->setObjectName(QStringLiteral("LabelChanges"));
        m_changes->setStyleSheet(QStringLiteral("color: #a04000;"));
        m_bottom->insertWidget(m_leftButtons, m_changes);
    }
    m_changes->setText(lines.size() == 1
                           ? lines.first()
                           : lines.first() + QStringLiteral(" (і ще %1)").arg(lines.size() - 1));
    m_changes->setToolTip(lines.join(u'\n'));
}
