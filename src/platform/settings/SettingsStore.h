#pragma once
// The settings store: keys holding named, typed values (a string or a 32-bit
// integer) under two roots, kept as ini files a user can read and edit.
//
// Where things lie on disk is told in SettingsLayout.h; how a typed value is
// written as text in SettingsValueText.h. In short, the key
// "Software\Vilo\K4721\Corvalinder\Main" under CurrentUser is the [Main]
// section of $XDG_CONFIG_HOME/Vilo/K4721/Corvalinder.ini, with lines such as
// "Vidd=200".
//
// A store object works like a registry handle: it has a root (CurrentUser
// at first) and at most one open key, the current key. Key paths that begin
// with "\" are taken from the root, others from the current key (from the
// root when none is open). Key and value names ignore letter case. Every
// write goes to disk at once through a temporary file renamed into place.
//
// Failures: openKey() answers false; everything else raises SettingsError
// when a file in its way cannot be read or written, and as said at each.
#include "platform/settings/SettingsError.h"
#include "platform/settings/SettingsFolders.h"
#include "platform/settings/SettingsValueText.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class SettingsStore {
public:
    // A store on the folders in use now (see SettingsFolders.h), or on the
    // given folders.
    explicit SettingsStore(SettingsRoot root = SettingsRoot::CurrentUser);
    SettingsStore(SettingsRoot root, SettingsFolders folders);

    SettingsRoot root() const { return root_; }
    // Chooses the root; closes the current key.
    void setRoot(SettingsRoot root);

    // Opens the key as the current key; with `create`, makes it (and the keys
    // above it) when it is missing. False, with no key open, when the path is
    // not valid, the key is missing and not to be made, or it cannot be made.
    bool openKey(const QString& path, bool create);
    void closeKey();
    bool hasCurrentKey() const { return open_; }

    // Of the current key; false or None with no key open.
    bool valueExists(const QString& name) const;
    SettingsValueType valueType(const QString& name) const;

    // The string value; "" when it is missing or no key is open. Raises
    // SettingsError when the value is an integer.
    QString readString(const QString& name) const;
    // The integer value. Raises SettingsError when it is missing, no key is
    // open, or the value is a string.
    std::int32_t readInteger(const QString& name) const;
    // Store a value, replacing one of the same name whatever its type. Raise
    // SettingsError when no key is open, the name cannot be stored (empty,
    // blanks at either end, "=", a line break, a leading ";" or "[") or the
    // file cannot be written.
    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, std::int32_t value);

    // The folder of the root in use.
    const std::string& rootFolder() const { return folders_.of(root_); }

private:
    // The full names of a path, or nullopt when it is not valid.
    std::optional<QStringList> resolve(const QString& path) const;
    SettingsValue readValue(const QString& name) const;
    void writeValue(const QString& name, const QString& text);

    SettingsRoot root_;
    SettingsFolders folders_;
    bool open_ = false;
    QStringList current_;
};

} // namespace platform
