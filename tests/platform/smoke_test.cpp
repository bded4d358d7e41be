#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>

// The test main must have made the process safe before any test runs.
TEST(TestEnvironment, IsIsolatedFromTheMachine)
{
    ASSERT_NE(std::getenv("STARTCLOCK_NO_SYSTEM_CLOCK"), nullptr);
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    EXPECT_NE(config.find("startclock-test-"), std::string::npos);
    EXPECT_EQ(QApplication::platformName(), "offscreen");
}
