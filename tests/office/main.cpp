#include "tests/support/TestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

// freexl 1.0.6 keeps a buffer of every workbook it opened; that leak is the library's.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfreexl.so\n";
}

// Widget tests need an application object; the tests run offscreen.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RunTests();
}
