#pragma once

#include "common/Answer.h"

#include <QObject>
#include <QString>

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
