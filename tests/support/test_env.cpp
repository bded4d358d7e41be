#include "support/test_env.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

namespace testenv {
namespace {

std::unique_ptr<QTemporaryDir>& root()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

int& counter()
{
    static int n = 0;
    return n;
}

} // namespace

void prepareProcess()
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The system clock implementation refuses to set the clock while this is set.
    setenv("STARTCLOCK_NO_SYSTEM_CLOCK", "1", 1);

    root() = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/startclock-test-XXXXXX");
    if (!root()->isValid())
        throw std::runtime_error("cannot make a temporary folder for the tests");
    const std::string base = root()->path().toStdString();
    QDir().mkpath(QString::fromStdString(base + "/home/.config"));
    setenv("HOME", (base + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/home/.config").c_str(), 1);
}

void cleanupProcess()
{
    root().reset();
}

std::string configHome()
{
    const char* v = std::getenv("XDG_CONFIG_HOME");
    return v ? v : std::string();
}

std::string makeTempDir(const std::string& tag)
{
    if (!root())
        throw std::runtime_error("test environment not prepared");
    const std::string path = root()->path().toStdString() + "/" + tag + "-" + std::to_string(++counter());
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

} // namespace testenv
