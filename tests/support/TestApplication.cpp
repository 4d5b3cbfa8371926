#include "tests/support/TestApplication.h"

#include <QApplication>

QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "tamberon_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
            return existing;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}
