#include "platform/settings/SettingsFolders.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

#include "platform/Override.h"

namespace platform {
namespace {

// An empty text stands for the default folder, read from the environment
// each time it is asked for.
Override<std::string>& overrideOf(SettingsRoot root)
{
    static Override<std::string> currentUser;
    static Override<std::string> localMachine;
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
    std::string folder = overrideOf(root).get();
    return folder.empty() ? defaultSettingsFolder(root) : folder;
}

std::string setSettingsFolder(SettingsRoot root, std::string folder)
{
    return overrideOf(root).set(std::move(folder));
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
