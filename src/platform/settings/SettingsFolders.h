#pragma once
// The folders the two settings roots live in.
//
//   CurrentUser   $XDG_CONFIG_HOME when it is an absolute path, else
//                 $HOME/.config (the home folder from the password database
//                 when HOME is unset)
//   LocalMachine  /etc/xdg
//
// Either can be replaced for the whole process with setSettingsFolder(), and
// any SettingsStore can be given its own folders; tests always do one or the
// other with a temporary folder.
#include <string>

namespace platform {

enum class SettingsRoot { CurrentUser, LocalMachine };

// The folder in use for `root`: the one set by setSettingsFolder(), else the
// default.
std::string settingsFolder(SettingsRoot root);
// The folder `root` has when nothing is set, read from the environment now.
std::string defaultSettingsFolder(SettingsRoot root);
// Uses `folder` for `root` from now on; an empty text goes back to the default.
// Returns the folder set before (empty: the default).
std::string setSettingsFolder(SettingsRoot root, std::string folder);

// Both folders at once.
struct SettingsFolders {
    std::string currentUser;
    std::string localMachine;

    // The folders in use now (settingsFolder() of both roots).
    static SettingsFolders inUse();
    const std::string& of(SettingsRoot root) const;
};

} // namespace platform
