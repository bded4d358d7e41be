#pragma once
// A settings key read and written like an ini file: each section is a subkey
// of the key, and every value is written as a string (integers as decimal
// text). Reading takes strings and integers alike: an integer value reads as
// its decimal text, and a string reads as an integer when it is one
// (parseInt32).
//
// Nothing is made until something is written; a missing key, section or
// value reads as the default. So the application's settings,
//   SettingsProfile settings(SettingsRoot::CurrentUser, "Software\\Vilo\\K4721\\Corvalinder");
//   settings.writeInteger("Main", "Vidd", 200);
// end up as the line "Vidd=200" in the [Main] section of
// Vilo/K4721/Corvalinder.ini in the user's settings folder.
#include "platform/Profile.h"
#include "platform/SettingsStore.h"

namespace platform {

class SettingsProfile : public Profile {
public:
    SettingsProfile(SettingsRoot root, const QString& keyPath);
    SettingsProfile(SettingsRoot root, const QString& keyPath, SettingsFolders folders);

    QString readString(const QString& section, const QString& key, const QString& fallback) const override;
    void writeString(const QString& section, const QString& key, const QString& value) override;
    std::int32_t readInteger(const QString& section, const QString& key, std::int32_t fallback) const override;
    bool valueExists(const QString& section, const QString& key) const override;
    bool sectionExists(const QString& section) const override;
    QStringList sectionNames() const override;
    QStringList keyNames(const QString& section) const override;
    void deleteKey(const QString& section, const QString& key) override;
    void eraseSection(const QString& section) override;

private:
    // A store with the section's key open, or with no key open when the
    // section is missing (and not to be made) or no valid name.
    SettingsStore open(const QString& section, bool create) const;

    SettingsRoot root_;
    QString keyPath_;
    SettingsFolders folders_;
};

} // namespace platform
