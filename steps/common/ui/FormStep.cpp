#include "steps/common/ui/FormStep.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/MinimizeWithApplication.h"
#include "common/ui/WindowPlacement.h"
#include "steps/common/StepStore.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

StepWindow::StepWindow(const StepContext& context, const QString& caption, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setWindowTitle(caption);
    setModal(true);
    MinimizeWithApplication(this);

    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    m_bottom = new QHBoxLayout;
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("LabelHint"));
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(QStringLiteral("color: #1f4e8c;"));
    m_hint->hide();
    m_bottom->addWidget(m_hint, 1);
    m_bottom->addStretch(1);
    BSave = new QPushButton(QStringLiteral("Зберегти"), this);
    BSave->setObjectName(QStringLiteral("BSave"));
    BSave->setAutoDefault(false);
    BSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setAutoDefault(false);
    m_bottom->addWidget(BSave);
    m_bottom->addWidget(BCancel);
    layout->addLayout(m_bottom);

    connect(BSave, &QPushButton::clicked, this, &StepWindow::BSaveClick);
    connect(BCancel, &QPushButton::clicked, this, &StepWindow::BCancelClick);
}

QPushButton* StepWindow::addBottomButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_bottom->insertWidget(m_leftButtons++, button);
    return button;
}

QLabel* StepWindow::addHeading(const QString& text) {
    auto* heading = new QLabel(text, this);
    heading->setObjectName(QStringLiteral("LabelHeading"));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    m_body->addWidget(heading);
    return heading;
}

void StepWindow::showIssue(const StepIssue& issue) {
    showIssue(issue.field.isEmpty() ? nullptr : findChild<QWidget*>(issue.field), issue);
}

void StepWindow::showIssue(QWidget* at, const StepIssue& issue) {
    if (auto* grid = qobject_cast<GridView*>(at); grid && issue.row >= 0) {
        grid->endEdit();
        grid->setCurrentCell(issue.row, issue.col >= 0 ? issue.col : grid->currentGridCol());
    }
    // Focus moved out of an open cell editor would commit it once more.
    if (at && !at->hasFocus() && !at->isAncestorOf(QApplication::focusWidget()))
        at->setFocus();
    ShowBalloon(issue.title, issue.text, 2, at);
}

void StepWindow::BSaveClick() {
    // Edits still open in a grid belong to what is checked and stored.
    for (GridView* grid : findChildren<GridView*>())
        grid->endEdit();
    if (const StepCheck issue = checkBeforeSave()) {
        showIssue(*issue);
        return;
    }
    done(ResultSave);
}

void StepWindow::BCancelClick() {
    done(ResultCancel);
}

void StepWindow::reject() {
    // An edit still open in a grid is a change too.
    for (GridView* grid : findChildren<GridView*>())
        grid->endEdit();
    if (!hasUnsavedChanges()) {
        done(ResultCancel);
        return;
    }
    switch (AskSaveChanges()) {
    case UnsavedAnswer::Save:
        BSaveClick();
        break;
    case UnsavedAnswer::Discard:
        done(ResultCancel);
        break;
    case UnsavedAnswer::Stay:
        break;
    }
}

void StepWindow::done(int result) {
    if (isVisible() && !objectName().isEmpty())
        SaveWindowPlacement(*this, *UserSettings(), objectName());
    QDialog::done(result);
}

QString StepWindow::unsavedState() const {
    return InputSnapshot(*this);
}

bool StepWindow::hasUnsavedChanges() const {
    return m_unsaved.changed(unsavedState());
}

void StepWindow::setHint(const QString& text) {
    m_hint->setText(text);
    m_hint->setVisible(!text.isEmpty());
}

bool StepWindow::event(QEvent* event) {
    const bool result = QDialog::event(event);
    // After the window's own showEvent: what it shows then is what was loaded.
    if (event->type() == QEvent::Show && !m_shownOnce) {
        m_shownOnce = true;
        placeWindow();
        m_unsaved.remember(unsavedState());
    }
    return result;
}

int StepWindow::gridOverflow() const {
    int overflow = 0;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const GridView* grid : findChildren<GridView*>()) {
        if (grid->isHidden())
            continue;
        const int need =
            grid->horizontalHeader()->length() +
            (grid->verticalHeader()->isVisible() ? grid->verticalHeader()->width() : 0) +
            2 * grid->frameWidth() + scrollBar;
        int have = grid->width();
        if (!grid->isVisible()) {
            // A grid on a page not shown yet spans its page, as wide as the page shown.
            const QWidget* page = grid;
            const QStackedWidget* stack = nullptr;
            for (const QWidget* w = grid->parentWidget(); w; page = w, w = w->parentWidget())
                if ((stack = qobject_cast<const QStackedWidget*>(w)))
                    break;
            if (!stack || !stack->isVisible())
                continue;
            have = stack->width();
            if (const QLayout* layout = page->layout())
                have -= layout->contentsMargins().left() + layout->contentsMargins().right();
        }
        overflow = std::max(overflow, need - have);
    }
    return overflow;
}

void StepWindow::placeWindow() {
    if (!objectName().isEmpty() && RestoreWindowPlacement(*this, *UserSettings(), objectName()))
        return;
    const QScreen* shown = screen();
    if (!shown)
        return;
    const QRect available = shown->availableGeometry();
    const QSize size = GrownWindowSize(this->size(), QSize(gridOverflow(), 0), available);
    if (size == this->size())
        return;
    resize(size);
    // Centred over the main window (or the screen), and wholly on the screen.
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget() ? parentWidget()->window()->frameGeometry().center()
                                    : available.center());
    frame.moveLeft(std::clamp(frame.left(), available.left(),
                              std::max(available.left(), available.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), available.top(),
                             std::max(available.top(), available.bottom() - frame.height() + 1)));
    move(frame.topLeft());
}

bool AskReplaceTyped(const QString& what) {
    return AskConfirm(QStringLiteral("Буде замінено ") + what + QStringLiteral(". Продовжити?"),
                      Answer::Yes | Answer::No) == Answer::Yes;
}

bool AskDropTyped(const QString& what, const QStringList& keys) {
    if (keys.isEmpty())
        return true;
    return AskConfirm(QStringLiteral("Буде вилучено ") + what +
                          QStringLiteral(" разом з уведеними в них значеннями: ") +
                          keys.join(QStringLiteral(", ")) + QStringLiteral(". Продовжити?"),
                      Answer::Yes | Answer::No) == Answer::Yes;
}

bool OpenStepWindow(StepWindow& form, const StepFill& fill, const StepStore& store) {
    QString error;
    if (!fill(&error)) {
        if (!error.isEmpty())
            ShowError(error);
        return false;
    }
    return RunStepWindow(form, store);
}

bool RunStepWindow(StepWindow& form, const StepStore& store) {
    while (form.exec() == StepWindow::ResultSave) {
        QString error;
        {
            WaitCursor wait;
            if (store(&error))
                return true;
        }
        // A store that did not say why still tells the valuer that nothing was stored.
        ShowError(error.isEmpty() ? StoreFailedText() : error);
    }
    return false;
}

void StepWindow::showChanges(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    if (!m_changes) {
        m_changes = new QLabel(this);
        m_changes->setObjectName(QStringLiteral("LabelChanges"));
        m_changes->setStyleSheet(QStringLiteral("color: #a04000;"));
        m_bottom->insertWidget(m_leftButtons, m_changes);
    }
    // The first line says what happened; the rest (one per value) wait in the tooltip.
    m_changes->setText(lines.size() == 1
                           ? lines.first()
                           : lines.first() + QStringLiteral(" Докладно — у підказці."));
    m_changes->setToolTip(lines.join(u'\n'));
}
