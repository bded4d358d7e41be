#include "platform/settings/SettingsStore.h"

#include "platform/settings/SettingsLayout.h"

namespace platform {
namespace {

SettingsLayout layoutOf(const SettingsStore& store)
{
    return SettingsLayout(store.rootFolder());
}

} // namespace

SettingsStore::SettingsStore(SettingsRoot root)
    : SettingsStore(root, SettingsFolders::inUse())
{
}

SettingsStore::SettingsStore(SettingsRoot root, SettingsFolders folders)
    : root_(root)
    , folders_(std::move(folders))
{
}

void SettingsStore::setRoot(SettingsRoot root)
{
    closeKey();
    root_ = root;
}

std::optional<QStringList> SettingsStore::resolve(const QString& path) const
{
    const auto names = SettingsLayout::splitPath(path);
    if (!names)
        return std::nullopt;
    if (path.startsWith(u'\\') || !open_)
        return names;
    return current_ + *names;
}

bool SettingsStore::openKey(const QString& path, bool create)
{
    const auto key = resolve(path);
    if (!key)
        return false;
    try {
        const SettingsLayout layout = layoutOf(*this);
        if (create)
            layout.create(*key);
        else if (!layout.exists(*key))
            return false;
    } catch (const SettingsError&) {
        return false;
    }
    open_ = true;
    current_ = *key;
    return true;
}

void SettingsStore::closeKey()
{
    open_ = false;
    current_.clear();
}

SettingsValue SettingsStore::readValue(const QString& name) const
{
    if (!open_)
        return {};
    auto place = layoutOf(*this).values(current_);
    if (!place)
        return {};
    const auto text = place->first.load().value(place->second, name);
    return text ? decodeSettingsValue(*text) : SettingsValue{};
}

bool SettingsStore::valueExists(const QString& name) const
{
    return readValue(name).type != SettingsValueType::None;
}

SettingsValueType SettingsStore::valueType(const QString& name) const
{
    return readValue(name).type;
}

QString SettingsStore::readString(const QString& name) const
{
    const SettingsValue value = readValue(name);
    if (value.type == SettingsValueType::Integer)
        throw SettingsError("Värdet \"" + name.toStdString() + "\" är ett heltal, inte en text.");
    return value.text;
}

std::int32_t SettingsStore::readInteger(const QString& name) const
{
    const SettingsValue value = readValue(name);
    if (value.type == SettingsValueType::None)
        throw SettingsError("Värdet \"" + name.toStdString() + "\" finns inte.");
    if (value.type != SettingsValueType::Integer)
        throw SettingsError("Värdet \"" + name.toStdString() + "\" är en text, inte ett heltal.");
    return value.integer;
}

void SettingsStore::writeValue(const QString& name, const QString& text)
{
    if (!open_)
        throw SettingsError("Ingen inställningsnyckel är öppen att skriva \"" + name.toStdString() + "\" i.");
    const SettingsLayout layout = layoutOf(*this);
    auto place = layout.values(current_);
    if (!place)
        throw SettingsError("Inställningarnas rot kan inte ha några värden.");
    layout.makeValueFolder(current_);
    place->first.writeString(place->second, name, text);
}

void SettingsStore::writeString(const QString& name, const QString& value)
{
    writeValue(name, encodeSettingsString(value));
}

void SettingsStore::writeInteger(const QString& name, std::int32_t value)
{
    writeValue(name, encodeSettingsInteger(value));
}

} // namespace platform
