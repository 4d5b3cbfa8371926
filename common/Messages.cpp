#include "common/Messages.h"

#include <cstdio>

namespace {

/** Used until the program installs its own: writes to standard error, answers Cancel. */
class ConsoleMessages final : public Messages {
public:
    void error(const QString& caption, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    }
    void warning(const QString& text) override { error(QStringLiteral("Увага"), text); }
    void info(const QString& text) override { error(QStringLiteral("Інформація"), text); }
    Answer confirm(const QString& text, Buttons) override {
        error(QStringLiteral("?"), text);
        return Answer::Cancel;
    }
    void balloon(const QString& title, const QString& text, int, QObject*) override {
        error(title, text);
    }
    void beep() override {}
};

ConsoleMessages g_console;
Messages* g_messages = &g_console;

} // namespace

Messages* SetMessages(Messages* messages) {
    Messages* previous = g_messages;
    g_messages = messages ? messages : &g_console;
    return previous;
}

Messages& CurrentMessages() {
    return *g_messages;
}

void ShowError(const QString& text) {
    ShowError(QString(), text);
}

void ShowError(const QString& caption, const QString& text) {
    if (text.isEmpty())
        return;
    g_messages->error(caption.isEmpty() ? QStringLiteral("Помилка") : caption, text);
}

void ShowWarning(const QString& text) {
    g_messages->warning(text);
}
void ShowInfo(const QString& text) {
    g_messages->info(text);
}
Answer AskConfirm(const QString& text, Buttons buttons) {
    return g_messages->confirm(text, buttons);
}

void ShowBalloon(const QString& title, const QString& text, int kind, QObject* control) {
    g_messages->balloon(title, text, kind, control);
}

void Beep() {
    g_messages->beep();
}
