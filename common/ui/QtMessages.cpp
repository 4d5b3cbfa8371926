#include "common/ui/QtMessages.h"

#include "widgets/BalloonHint.h"
#include "widgets/DisplayText.h"

#include <QApplication>

namespace {
struct ButtonPair {
    Answer answer;
    QMessageBox::StandardButton button;
};

constexpr ButtonPair kButtons[] = {
    {Answer::Yes, QMessageBox::Yes},
    {Answer::No, QMessageBox::No},
    {Answer::Ok, QMessageBox::Ok},
    {Answer::Cancel, QMessageBox::Cancel},
    {Answer::Abort, QMessageBox::Abort},
    {Answer::Retry, QMessageBox::Retry},
    {Answer::Ignore, QMessageBox::Ignore},
    {Answer::NoToAll, QMessageBox::NoToAll},
    {Answer::YesToAll, QMessageBox::YesToAll},
};
} // namespace

QMessageBox::StandardButtons ToStandardButtons(Buttons buttons) {
    QMessageBox::StandardButtons result;
    for (const ButtonPair& pair : kButtons)
        if (buttons & static_cast<unsigned>(pair.answer))
            result |= pair.button;
    // A question needs at least one way out.
    if (!result)
        result = QMessageBox::Ok;
    return result;
}

Answer FromStandardButton(QMessageBox::StandardButton button) {
    for (const ButtonPair& pair : kButtons)
        if (pair.button == button)
            return pair.answer;
    return Answer::None;
}

Answer EscapeAnswer(Buttons buttons) {
    for (Answer a : {Answer::Cancel, Answer::No, Answer::NoToAll, Answer::Abort, Answer::Ignore,
                     Answer::Ok, Answer::Yes, Answer::Retry, Answer::YesToAll})
        if (buttons & static_cast<unsigned>(a))
            return a;
    return Answer::Ok;
}

std::unique_ptr<QMessageBox> QtMessages::makeBox(QMessageBox::Icon icon, const QString& caption,
                                                 const QString& text,
                                                 QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, caption, DisplayLines(text), buttons,
                                             QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    // Messages come to the front even when raised from behind another window.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}

QMessageBox::StandardButton QtMessages::run(QMessageBox& box) {
    box.raise();
    box.activateWindow();
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtMessages::error(const QString& caption, const QString& text) {
    auto box = makeBox(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    run(*box);
}

void QtMessages::warning(const QString& text) {
    auto box = makeBox(QMessageBox::Warning, QStringLiteral("Увага"), text, QMessageBox::Ok);
    run(*box);
}

void QtMessages::info(const QString& text) {
    auto box =
        makeBox(QMessageBox::Information, QStringLiteral("Інформація"), text, QMessageBox::Ok);
    run(*box);
}

Answer QtMessages::confirm(const QString& text, Buttons buttons) {
    beep();
    auto box = makeBox(QMessageBox::Question, QStringLiteral("Підтвердження"), text,
                       ToStandardButtons(buttons));
    const QMessageBox::StandardButton pressed = run(*box);
    const Answer answer = FromStandardButton(pressed);
    // Closing the box with Esc or its close button counts as its cancelling button.
    return answer == Answer::None ? EscapeAnswer(buttons) : answer;
}

void QtMessages::balloon(const QString& title, const QString& text, int kind, QObject* control) {
    BalloonHint::showBalloon(title, text, kind, qobject_cast<QWidget*>(control));
}

void QtMessages::beep() {
    QApplication::beep();
}
