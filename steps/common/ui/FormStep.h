#pragma once

#include "common/ui/UnsavedChanges.h"
#include "steps/common/StepContext.h"
#include "steps/common/StepIssue.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

/**
 * The base of every step window: modal, made for one opening, with the bottom bar
 * "Зберегти" (closes with 6 once the window's check passes) and "Скасувати" (2); Escape
 * outside a cell editor and the close button ask "Зберегти зміни?" when something was
 * changed since the window was filled; the loading flag that silences change handlers while
 * the window is filled; minimising with the program; the size and place remembered by the
 * window's object name (the first time, wide enough for its grids as far as the screen
 * allows); a hint line in the bottom bar. A step window adds only its own controls.
 */
class StepWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultSave = 6;
    static constexpr int ResultCancel = 2;

    StepWindow(const StepContext& context, const QString& caption, QWidget* parent = nullptr);

    const StepContext& context() const { return m_context; }

    /** While set, change handlers do nothing. */
    bool FLoading = false;

    /** Sets FLoading for its lifetime and restores the former value after. */
    class LoadingGuard {
    public:
        explicit LoadingGuard(StepWindow& form) : m_form(form), m_was(form.FLoading) {
            form.FLoading = true;
        }
        ~LoadingGuard() { m_form.FLoading = m_was; }
        LoadingGuard(const LoadingGuard&) = delete;
        LoadingGuard& operator=(const LoadingGuard&) = delete;

    private:
        StepWindow& m_form;
        bool m_was;
    };
    [[nodiscard]] LoadingGuard loading() { return LoadingGuard(*this); }

    /**
     * Shows what a check found: a warning balloon at the control of the issue's object
     * name, which gets the focus (unless the focus is already inside it, as in a cell
     * editor); in a grid the issue's cell becomes current first. Every balloon of a step
     * window is shown here.
     */
    void showIssue(const StepIssue& issue);
    /** The same at a given control, for a control whose object name repeats on pages. */
    void showIssue(QWidget* at, const StepIssue& issue);

    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;

    /**
     * Says in the bottom bar what the window recomputed from the current inputs since the
     * last store (the first line, all of them in the tooltip); nothing for an empty list.
     */
    void showChanges(const QStringList& lines);

    void BSaveClick();
    void BCancelClick();
    /** Escape and the close button: asks "Зберегти зміни?" when something was changed. */
    void reject() override;
    void done(int result) override;

    /** Whether the user changed anything since the window was filled and shown. */
    bool hasUnsavedChanges() const;
    /** The line in the bottom bar that says what to do first; empty hides it. */
    void setHint(const QString& text);
    QLabel* hintLabel() const { return m_hint; }

protected:
    /** The area above the bottom bar where the step puts its controls. */
    QVBoxLayout* body() const { return m_body; }
    /** The bottom bar, for buttons of the step's own left of "Зберегти". */
    QHBoxLayout* bottomBar() const { return m_bottom; }
    /** A button of the bottom bar, placed before the stretch that precedes "Зберегти". */
    QPushButton* addBottomButton(const QString& name, const QString& caption);
    /** A bold heading line at the top of the body. */
    QLabel* addHeading(const QString& text);

    /**
     * Runs on "Зберегти" before the window closes: commit open edits and check the input.
     * An issue keeps the window open and is shown. The default accepts.
     */
    virtual StepCheck checkBeforeSave() { return std::nullopt; }

    /**
     * What "Зберегти зміни?" compares: by default every input of the window (InputSnapshot);
     * a window whose visible controls show only part of what it stores gives that instead.
     */
    virtual QString unsavedState() const;

    bool event(QEvent* event) override;

private:
    /** The remembered size and place, or the first size that shows the grids whole. */
    void placeWindow();
    /** How many pixels the widest grid lacks to show all its columns. */
    int gridOverflow() const;

    StepContext m_context;
    QVBoxLayout* m_body = nullptr;
    QHBoxLayout* m_bottom = nullptr;
    QLabel* m_hint = nullptr;
    int m_leftButtons = 0;
    QLabel* m_changes = nullptr;
    bool m_shownOnce = false;
    UnsavedChanges m_unsaved;
};

/**
 * Asks before a command replaces values the user typed: "Буде замінено " + what +
 * ". Продовжити?" with "Так" and "Ні"; true for "Так".
 */
bool AskReplaceTyped(const QString& what);

/**
 * Asks before "Встановити як робочі" drops rows that hold typed values: "Буде вилучено " +
 * what + " разом з уведеними в них значеннями: " + the keys + ". Продовжити?"; true for "Так" and
 * when there is nothing to drop.
 */
bool AskDropTyped(const QString& what, const QStringList& keys);

/**
 * Fills a step window; false when it cannot open. A failed read says so in `error`
 * ("<LoadFailedText(table)><reason>"); a fill that refuses for a reason of its own shows it
 * itself and leaves `error` empty.
 */
using StepFill = std::function<bool(QString* error)>;

/** Stores a step window's work; false with the whole message to show in `error`. */
using StepStore = std::function<bool(QString* error)>;

/**
 * How every step window opens: `fill` loads the settlement's data into the made window; when a
 * read failed, its `error` is shown and nothing opens. Otherwise the window runs as
 * RunStepWindow, storing with `store`. True when stored.
 *
 *     TFormOtsenkaInfo form(context, parent);
 *     return OpenStepWindow(form, [&](QString* error) { ... },
 *                           [&](QString* error) { return Store...(..., error); });
 */
bool OpenStepWindow(StepWindow& form, const StepFill& fill, const StepStore& store);

/**
 * Shows the filled step window modally and stores its work on "Зберегти". When storing
 * fails, its error ("Оновлення даних у базі даних.\rПомилка: ...") is shown and the window
 * comes back with everything the user typed, until it is stored or cancelled. True when
 * stored.
 */
bool RunStepWindow(StepWindow& form, const StepStore& store);
