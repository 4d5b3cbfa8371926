// The entry of a test executable without its own: a run that only skipped says so to CTest.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RunTests();
}
