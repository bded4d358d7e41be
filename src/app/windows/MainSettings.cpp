#include "app/windows/MainSettings.h"

#include "platform/IntegerText.h"
#include "platform/settings/SettingsStore.h"

namespace app {
namespace {

int readInt(const platform::SettingsStore& store, const QString& name, int fallback)
{
    switch (store.valueType(name)) {
    case platform::SettingsValueType::Integer:
        return store.readInteger(name);
    case platform::SettingsValueType::String:
        return platform::parseInt32(store.readString(name)).value_or(fallback);
    case platform::SettingsValueType::None:
        break;
    }
    return fallback;
}

QString readText(const platform::SettingsStore& store, const QString& name, const QString& fallback)
{
    switch (store.valueType(name)) {
    case platform::SettingsValueType::String:
        return store.readString(name);
    case platform::SettingsValueType::Integer:
        return QString::number(store.readInteger(name));
    case platform::SettingsValueType::None:
        break;
    }
    return fallback;
}

// Closes the store's key on every path.
struct KeyCloser {
    platform::SettingsStore& store;
    ~KeyCloser() { store.closeKey(); }
};

void openForWriting(platform::SettingsStore& store)
{
    if (!store.openKey(QString::fromLatin1(kMainSettingsKey), true))
        throw platform::SettingsError("Inställningarna kan inte sparas: nyckeln kan inte skapas.");
}

} // namespace

MainSettings readMainSettings(platform::SettingsStore& store)
{
    MainSettings s;
    if (!store.openKey(QString::fromLatin1(kMainSettingsKey), false))
        return s;
    KeyCloser closer{store};
    s.Vidd = readInt(store, QStringLiteral("Vidd"), s.Vidd);
    s.hojd = readInt(store, QStringLiteral("hojd"), s.hojd);
    s.Top = readInt(store, QStringLiteral("Top"), s.Top);
    s.Left = readInt(store, QStringLiteral("Left"), s.Left);
    s.Comport = readText(store, QStringLiteral("Comport"), s.Comport);
    s.Tabid = readInt(store, QStringLiteral("Tabid"), s.Tabid);
    s.Tabtid = readInt(store, QStringLiteral("Tabtid"), s.Tabtid);
    s.Tabchar = readText(store, QStringLiteral("Tabchar"), s.Tabchar);
    return s;
}

void writeMainWindowSettings(platform::SettingsStore& store, const MainSettings& settings,
                             const std::optional<ImportColumns>& columns)
{
    openForWriting(store);
    KeyCloser closer{store};
    store.writeString(QStringLiteral("Vidd"), QString::number(settings.Vidd));
    store.writeString(QStringLiteral("hojd"), QString::number(settings.hojd));
    store.writeString(QStringLiteral("Top"), QString::number(settings.Top));
    store.writeString(QStringLiteral("Left"), QString::number(settings.Left));
    store.writeString(QStringLiteral("Comport"), settings.Comport);
    if (columns) {
        store.writeString(QStringLiteral("Tabid"), QString::number(columns->Tabid));
        store.writeString(QStringLiteral("Tabtid"), QString::number(columns->Tabtid));
    }
}

void writeImportSettings(platform::SettingsStore& store, const ImportColumns& columns, const QString& Tabchar)
{
    openForWriting(store);
    KeyCloser closer{store};
    store.writeString(QStringLiteral("Tabid"), QString::number(columns.Tabid));
    store.writeString(QStringLiteral("Tabtid"), QString::number(columns.Tabtid));
    store.writeString(QStringLiteral("Tabchar"), Tabchar);
}

} // namespace app
