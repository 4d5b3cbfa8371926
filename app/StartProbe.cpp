#include "app/StartProbe.h"

#include "app/MainWindow.h"
#include "common/ui/QtMessages.h"
#include "widgets/DisplayText.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

/** Messages written to the error stream; questions answer as if cancelled. */
class StartProbe::ConsoleMessages final : public Messages {
public:
    void error(const QString& caption, const QString& text) override {
        ++m_failures;
        write(caption, text);
    }
    void warning(const QString& text) override {
        ++m_failures;
        write(QStringLiteral("Попередження"), text);
    }
    void info(const QString& text) override { write(QStringLiteral("Інформація"), text); }
    Answer confirm(const QString& text, Buttons buttons) override {
        write(QStringLiteral("Питання"), text);
        return EscapeAnswer(buttons);
    }
    void balloon(const QString& title, const QString& text, int, QObject*) override {
        write(title, text);
    }
    void beep() override {}
    int failures() const { return m_failures; }

private:
    static void write(const QString& caption, const QString& text) {
        std::fprintf(stderr, "tamberon: %s: %s\n", qPrintable(caption),
                     qPrintable(DisplayLines(text)));
        std::fflush(stderr);
    }
    int m_failures = 0;
};

StartProbe::StartProbe(bool active)
    : m_active(active), m_messages(std::make_unique<ConsoleMessages>()) {}

StartProbe::~StartProbe() = default;

bool StartProbe::Requested() {
    return qEnvironmentVariable("TAMBERON_EXIT_AFTER_START") == QStringLiteral("1");
}

Messages& StartProbe::messages() {
    return *m_messages;
}

void StartProbe::watch(TFormMain& window) {
    if (!m_active)
        return;
    QTimer::singleShot(0, &window, [this, &window] {
        m_reached = window.isVisible();
        std::printf("tamberon: головне вікно %s (%d × %d), проектів у дереві: %d\n",
                    m_reached ? "відкрито" : "не показане", window.width(), window.height(),
                    window.TreeViewProjects->topLevelItemCount());
        std::fflush(stdout);
        QApplication::exit(0);
    });
}

int StartProbe::exitCode(int code) const {
    if (!m_active)
        return code;
    if (m_reached && code == 0 && m_messages->failures() == 0)
        return 0;
    std::fprintf(stderr, "tamberon: програма не дійшла до головного вікна без помилок\n");
    return code != 0 ? code : 2;
}
