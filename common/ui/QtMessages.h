#pragma once

#include "common/Messages.h"

#include <QMessageBox>
#include <memory>

/** The standard buttons for a set of AskConfirm buttons. */
QMessageBox::StandardButtons ToStandardButtons(Buttons buttons);
/** The answer a pressed standard button gives (None for any other). */
Answer FromStandardButton(QMessageBox::StandardButton button);
/** The answer of a question closed without a button (Esc, the close box). */
Answer EscapeAnswer(Buttons buttons);

/**
 * Messages shown with Qt: message boxes with the program's captions, the program's one
 * balloon hint and the system beep. Install it once at start-up with SetMessages.
 */
class QtMessages : public Messages {
public:
    void error(const QString& caption, const QString& text) override;
    void warning(const QString& text) override;
    void info(const QString& text) override;
    Answer confirm(const QString& text, Buttons buttons) override;
    void balloon(const QString& title, const QString& text, int kind, QObject* control) override;
    void beep() override;

    /** The box each kind of message shows (built, not shown). */
    static std::unique_ptr<QMessageBox> makeBox(QMessageBox::Icon icon, const QString& caption,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons);

protected:
    /** Shows the box modally and returns the pressed button; tests override it. */
    virtual QMessageBox::StandardButton run(QMessageBox& box);
};
