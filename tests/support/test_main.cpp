// Test entry point shared by every test program.
//
// Before anything else runs it makes the process safe to test in: no display
// (Qt's offscreen platform unless one is chosen), a private configuration
// folder instead of the user's home, and the guard that makes the system
// clock implementation refuse to set the real clock.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_env.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testenv::prepareProcess();
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    testenv::cleanupProcess();
    return result;
}
