// The process every test program runs in: no display unless one is chosen,
// the system clock refusing to be set, and a private home and configuration
// folder in place of the user's.
#include "support/test_env.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<QTemporaryDir> g_root;
int g_folders = 0;

} // namespace

std::string testenv::makeTempDir(const std::string& tag)
{
    const QString path = g_root->path() + "/" + QString::fromStdString(tag) + "-" + QString::number(++g_folders);
    QDir().mkpath(path);
    return path.toStdString();
}

void testenv::isolateProcess(int& argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("STARTCLOCK_NO_SYSTEM_CLOCK", "1", 1);
    g_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/startclock-test-XXXXXX");
    const QString home = g_root->path() + "/home";
    if (!g_root->isValid() || !QDir().mkpath(home + "/.config"))
        throw std::runtime_error("cannot make a temporary folder for the tests");
    setenv("HOME", home.toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit().constData(), 1);
}

int testenv::runAllTests()
{
    const int result = RUN_ALL_TESTS();
    g_root.reset();
    return result;
}
