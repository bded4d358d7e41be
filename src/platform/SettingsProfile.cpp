#include "platform/SettingsProfile.h"

#include "platform/IntegerText.h"

namespace platform {

SettingsProfile::SettingsProfile(SettingsRoot root, const QString& keyPath)
    : SettingsProfile(root, keyPath, SettingsFolders::inUse())
{
}

SettingsProfile::SettingsProfile(SettingsRoot root, const QString& keyPath, SettingsFolders folders)
    : root_(root)
    , keyPath_(keyPath)
    , folders_(std::move(folders))
{
    while (keyPath_.startsWith(u'\\'))
        keyPath_.remove(0, 1);
    while (keyPath_.endsWith(u'\\'))
        keyPath_.chop(1);
}

SettingsStore SettingsProfile::open(const QString& section, bool create) const
{
    SettingsStore store(root_, folders_);
    if (!section.isEmpty() && !section.contains(u'\\'))
        store.openKey(u'\\' + keyPath_ + u'\\' + section, create);
    return store;
}

QString SettingsProfile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    const SettingsStore store = open(section, false);
    switch (store.valueType(key)) {
    case SettingsValueType::String: return store.readString(key);
    case SettingsValueType::Integer: return QString::number(store.readInteger(key));
    case SettingsValueType::None: break;
    }
    return fallback;
}

void SettingsProfile::writeString(const QString& section, const QString& key, const QString& value)
{
    SettingsStore store = open(section, true);
    if (!store.hasCurrentKey())
        throw SettingsError("Inställningsavsnittet \"" + section.toStdString() + "\" i "
                            + keyPath_.toStdString() + " kan inte skapas.");
    store.writeString(key, value);
}

std::int32_t SettingsProfile::readInteger(const QString& section, const QString& key, std::int32_t fallback) const
{
    const SettingsStore store = open(section, false);
    switch (store.valueType(key)) {
    case SettingsValueType::String: return parseInt32(store.readString(key)).value_or(fallback);
    case SettingsValueType::Integer: return store.readInteger(key);
    case SettingsValueType::None: break;
    }
    return fallback;
}

bool SettingsProfile::valueExists(const QString& section, const QString& key) const
{
    return open(section, false).valueExists(key);
}

bool SettingsProfile::sectionExists(const QString& section) const
{
    return open(section, false).hasCurrentKey();
}

QStringList SettingsProfile::sectionNames() const
{
    SettingsStore store(root_, folders_);
    return store.openKey(u'\\' + keyPath_, false) ? store.subKeyNames() : QStringList();
}

QStringList SettingsProfile::keyNames(const QString& section) const
{
    return open(section, false).valueNames();
}

void SettingsProfile::deleteKey(const QString& section, const QString& key)
{
    open(section, false).deleteValue(key);
}

void SettingsProfile::eraseSection(const QString& section)
{
    SettingsStore store = open(section, false);
    if (store.hasCurrentKey())
        store.deleteKey(u'\\' + store.currentPath());
}

} // namespace platform
