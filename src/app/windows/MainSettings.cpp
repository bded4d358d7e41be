#include "app/windows/MainSettings.h"

#include "platform/IntegerText.h"
#include "platform/ScopeExit.h"
#include "platform/settings/SettingsLayout.h"
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

// The file the window's settings are kept in, for the operator; the folder
// of the settings when even that cannot be told.
std::string settingsFile(const platform::SettingsStore& store)
{
    try {
        const platform::SettingsLayout layout(store.rootFolder());
        if (const auto names = platform::SettingsLayout::splitPath(QString::fromLatin1(kMainSettingsKey)))
            if (const auto place = layout.values(*names))
                return place->first.fileName().toStdString();
    } catch (const std::exception&) {
        // the folder below is all that can be said
    }
    return store.rootFolder();
}

// Opens the window's settings for writing `what` (named in the message when
// they cannot be written).
void openForWriting(platform::SettingsStore& store, const char* what)
{
    if (!store.openKey(QString::fromLatin1(kMainSettingsKey), true))
        throw platform::SettingsError(std::string("Inställningarna (") + what + ") kan inte sparas i " +
                                      settingsFile(store) + ".");
}

} // namespace

MainSettings readMainSettings(platform::SettingsStore& store)
{
    MainSettings s;
    if (!store.openKey(QString::fromLatin1(kMainSettingsKey), false))
        return s;
    platform::ScopeExit closer([&store] { store.closeKey(); });
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
    openForWriting(store, columns ? "fönstrets storlek och plats, porten och importens kolumner"
                                  : "fönstrets storlek och plats och porten");
    platform::ScopeExit closer([&store] { store.closeKey(); });
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
    openForWriting(store, "importens skiljetecken och kolumner");
    platform::ScopeExit closer([&store] { store.closeKey(); });
    store.writeString(QStringLiteral("Tabid"), QString::number(columns.Tabid));
    store.writeString(QStringLiteral("Tabtid"), QString::number(columns.Tabtid));
    store.writeString(QStringLiteral("Tabchar"), Tabchar);
}

} // namespace app
