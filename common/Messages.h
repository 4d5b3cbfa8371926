#pragma once

#include <QObject>
#include <QString>

/** Buttons of confirmation dialogs and the answers they give. */
enum class Answer : unsigned {
    None = 0,
    Yes = 1 << 0,
    No = 1 << 1,
    Ok = 1 << 2,
    Cancel = 1 << 3,
    Abort = 1 << 4,
    Retry = 1 << 5,
    Ignore = 1 << 6,
    NoToAll = 1 << 7,
    YesToAll = 1 << 8,
};

/** A set of buttons for AskConfirm. */
using Buttons = unsigned;
constexpr Buttons operator|(Answer a, Answer b) {
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr Buttons operator|(Buttons a, Answer b) {
    return a | static_cast<unsigned>(b);
}
constexpr Buttons buttons(Answer a) {
    return static_cast<unsigned>(a);
}

/**
 * The one way the program talks to the user in message boxes, balloons and beeps.
 * The program installs a Qt implementation; tests install one that records.
 */
class Messages {
public:
    virtual ~Messages() = default;
    virtual void error(const QString& caption, const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void info(const QString& text) = 0;
    virtual Answer confirm(const QString& text, Buttons buttons) = 0;
    /** kind 0..4 as ShowBalloon describes; control may be null. */
    virtual void balloon(const QString& title, const QString& text, int kind, QObject* control) = 0;
    virtual void beep() = 0;
};

/** Installs the implementation (not owned); returns the previous one. */
Messages* SetMessages(Messages* messages);
Messages& CurrentMessages();

/** An error box; nothing when the text is empty. The caption defaults to "Помилка". */
void ShowError(const QString& text);
void ShowError(const QString& caption, const QString& text);
void ShowWarning(const QString& text);
void ShowInfo(const QString& text);
Answer AskConfirm(const QString& text, Buttons buttons);
void ShowBalloon(const QString& title, const QString& text, int kind, QObject* control = nullptr);
void Beep();
