#include "platform/SettingsFolders.h"

#include <cstdlib>
#include <mutex>

#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex& overridesMutex()
{
    static std::mutex m;
    return m;
}

std::string& overrideOf(SettingsRoot root)
{
    static std::string currentUser;
    static std::string localMachine;
    return root == SettingsRoot::CurrentUser ? currentUser : localMachine;
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

} // namespace

std::string defaultSettingsFolder(SettingsRoot root)
{
    if (root == SettingsRoot::LocalMachine)
        return "/etc/xdg";
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return config;
    return homeFolder() + "/.config";
}

std::string settingsFolder(SettingsRoot root)
{
    {
        std::lock_guard lock(overridesMutex());
        if (!overrideOf(root).empty())
            return overrideOf(root);
    }
    return defaultSettingsFolder(root);
}

void setSettingsFolder(SettingsRoot root, const std::string& folder)
{
    std::lock_guard lock(overridesMutex());
    overrideOf(root) = folder;
}

SettingsFolders SettingsFolders::inUse()
{
    return {settingsFolder(SettingsRoot::CurrentUser), settingsFolder(SettingsRoot::LocalMachine)};
}

const std::string& SettingsFolders::of(SettingsRoot root) const
{
    return root == SettingsRoot::CurrentUser ? currentUser : localMachine;
}

} // namespace platform
