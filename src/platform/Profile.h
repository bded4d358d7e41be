#pragma once
// Named values in named sections, read with a default: what an ini file and
// a settings key seen section by section (SettingsProfile) both offer.
// Section and key names ignore letter case.
#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform {

class Profile {
public:
    virtual ~Profile() = default;

    // The value, or `fallback` when the section or key is missing.
    virtual QString readString(const QString& section, const QString& key, const QString& fallback) const = 0;
    // Stores the value at once. Raises SettingsError when it cannot.
    virtual void writeString(const QString& section, const QString& key, const QString& value) = 0;
    // The value read as an integer (see parseInt32), or `fallback` when it is
    // missing or no integer.
    virtual std::int32_t readInteger(const QString& section, const QString& key, std::int32_t fallback) const;
    // Stores the integer as decimal text.
    virtual void writeInteger(const QString& section, const QString& key, std::int32_t value);

    virtual bool valueExists(const QString& section, const QString& key) const = 0;
    virtual bool sectionExists(const QString& section) const = 0;
    virtual QStringList sectionNames() const = 0;
    virtual QStringList keyNames(const QString& section) const = 0;
    // Remove one key, or a whole section; nothing happens when it is missing.
    virtual void deleteKey(const QString& section, const QString& key) = 0;
    virtual void eraseSection(const QString& section) = 0;
};

} // namespace platform
