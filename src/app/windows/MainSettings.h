#pragma once
// The main window's settings between runs: window geometry, the chosen port
// and the import dialog's columns and separator, kept in the user's settings
// store under the key "Software\Vilo\K4721\Corvalinder", section "Main".
// Every value is a string; integers are stored as decimal text.
#include <QString>

#include <optional>

namespace platform {
class SettingsStore;
}

namespace app {

// The key of the section, from the store's root.
inline constexpr const char* kMainSettingsKey = "\\Software\\Vilo\\K4721\\Corvalinder\\Main";

struct MainSettings {
    int Vidd = 200;    // window width
    int hojd = 400;    // window height
    int Top = 0;       // window top edge
    int Left = 0;      // window left edge
    QString Comport = QStringLiteral("Com1");
    int Tabid = 1;     // import: column of the start number
    int Tabtid = 2;    // import: column of the start time
    QString Tabchar = QStringLiteral(";");  // import: field separator

    bool operator==(const MainSettings&) const = default;
};

// The import dialog's two column numbers, as it holds them now.
struct ImportColumns {
    int Tabid = 1;
    int Tabtid = 2;
};

// All eight values; a missing value, or an integer whose text is no number,
// gives its default. Raises platform::SettingsError when the settings file
// exists but cannot be read.
MainSettings readMainSettings(platform::SettingsStore& store);

// What the main window writes when it closes, in this order: "Vidd", "hojd",
// "Top", "Left", "Comport", and "Tabid", "Tabtid" when `columns` is given.
// Makes the key when it is missing. Raises platform::SettingsError.
void writeMainWindowSettings(platform::SettingsStore& store, const MainSettings& settings,
                             const std::optional<ImportColumns>& columns);

// What the import dialog writes at each closing, in this order: "Tabid",
// "Tabtid", "Tabchar". Makes the key when it is missing. Raises
// platform::SettingsError.
void writeImportSettings(platform::SettingsStore& store, const ImportColumns& columns, const QString& Tabchar);

} // namespace app
