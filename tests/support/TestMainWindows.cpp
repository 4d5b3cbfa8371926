// The entry of a test executable of windows without its own: the application object first.
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"
#include "widgets/ApplicationWindows.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    TestApplication();
    testing::InitGoogleTest(&argc, argv);
    const int status = RunTests();
    DeleteApplicationWindows();
    return status;
}
