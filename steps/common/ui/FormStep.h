#pragma once

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
 * "Зберігти" (closes with 6 once the window's check passes) and "Скасувати" (2, as do
 * Escape and the close button); the loading flag that silences change handlers while the
 * window is filled; minimising with the program. A step window adds only its own controls.
 */
class TFormStep : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultSave = 6;
    static constexpr int ResultCancel = 2;

    TFormStep(const StepContext& context, const QString& caption, QWidget* parent = nullptr);

    const StepContext& context() const { return m_context; }

    /** While set, change handlers do nothing. */
    bool FLoading = false;

    /** Sets FLoading for its lifetime and restores the former value after. */
    class LoadingGuard {
    public:
        explicit LoadingGuard(TFormStep& form) : m_form(form), m_was(form.FLoading) {
            form.FLoading = true;
        }
        ~LoadingGuard() { m_form.FLoading = m_was; }
        LoadingGuard(const LoadingGuard&) = delete;
        LoadingGuard& operator=(const LoadingGuard&) = delete;

    private:
        TFormStep& m_form;
        bool m_was;
    };
    [[nodiscard]] LoadingGuard loading() { return LoadingGuard(*this); }

    /**
     * Shows what a check found: a warning balloon at the control of the issue's object
     * name, which gets the focus; in a grid the issue's cell becomes current first.
     */
    void showIssue(const StepIssue& issue);

    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;

    /**
     * Says in the bottom bar what the window recomputed from the current inputs since the
     * last store (the first line, all of them in the tooltip); nothing for an empty list.
     */
    void showChanges(const QStringList& lines);

    void BSaveClick();
    void BCancelClick();
    void reject() override;

protected:
    /** The area above the bottom bar where the step puts its controls. */
    QVBoxLayout* body() const { return m_body; }
    /** The bottom bar, for buttons of the step's own left of "Зберігти". */
    QHBoxLayout* bottomBar() const { return m_bottom; }
    /** A button of the bottom bar, placed before the stretch that precedes "Зберігти". */
    QPushButton* addBottomButton(const QString& name, const QString& caption);
    /** A bold heading line at the top of the body. */
    QLabel* addHeading(const QString& text);

    /**
     * Runs on "Зберігти" before the window closes: commit open edits and check the input.
     * An issue keeps the window open and is shown. The default accepts.
     */
    virtual StepCheck checkBeforeSave() { return std::nullopt; }

private:
    StepContext m_context;
    QVBoxLayout* m_body = nullptr;
    QHBoxLayout* m_bottom = nullptr;
    int m_leftButtons = 0;
    QLabel* m_changes = nullptr;
};

/**
 * Shows the filled step window modally and stores its work on "Зберігти". When storing
 * fails, the error "Оновлення даних у базі даних.\rПомилка: ..." is shown and the window
 * comes back with everything the user typed, until it is stored or cancelled. True when
 * stored.
 */
bool RunStepWindow(TFormStep& form, const std::function<bool()>& store);
