#include "tests/support/TestApplication.h"

#include <QApplication>
#include <QTemporaryDir>

QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "tamberon_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
            return existing;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Windows remember their places in the user's settings: each test program has its
        // own empty ones, never the real ones.
        static QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        return new QApplication(argc, argv);
    }();
    return *app;
}
