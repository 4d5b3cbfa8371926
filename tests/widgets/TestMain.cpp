#include "tests/support/TestSupport.h"
#include "widgets/ApplicationWindows.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need one application object for the whole run.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RunTests();
    DeleteApplicationWindows();
    return status;
}
