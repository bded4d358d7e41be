#pragma once
// Saving a port's settings as named values and loading them back, in a key of
// the settings store or in a section of an ini file.
//
// The groups in the port's StoredProps are handled in a fixed order (basic,
// others, parity, buffer, time-outs, flow control), each value by its own
// name ("Port", "BaudRate", ..., "FlowControl.XonChar"); settings are written
// as the texts of ComTexts.h, integers as 32-bit integers in the store and as
// decimal text in an ini file. "CustomBaudRate" is written and read only with
// the baud rate "Custom".
//
// Targets:
//   stRegistry  "HKEY_CURRENT_USER\<path>" or "HKEY_LOCAL_MACHINE\<path>"
//               (root names in any letter case; any other text before the
//               first "\" means the current user); the values lie in the key
//               <path>\<port name>.
//   stIniFile   the file name (without a folder: in the user's settings
//               folder); the values lie in the section [<port name>].
// A port without a Name, a registry target without "\" or without a path
// after it, has no place to store to.
//
// Loading assigns each value through the port's own setter, between
// BeginUpdate and EndUpdate, so an open port gets its new line settings in one
// step; EndUpdate runs on every path. A missing value keeps the setting (in
// the store a missing text gives the text's default, as a missing string
// value reads empty; a missing integer fails). A store key that is not there
// fails before anything is assigned; an ini file or section that is not
// there is read as one without values. Loading never creates any of them.
#include <string>

#include "serial/ComTypes.h"

namespace platform {
class SettingsStore;
}

namespace serial {

class TCustomComPort;

// Raises EComPort CError_StoreFailed ("Failed to store settings") with the
// port's name on any failure; values written before it stay written in the
// store, while an ini file is written all at once or not at all.
void StoreSettings(TCustomComPort& port, TStoreType StoreType, const std::string& StoreTo);

// Raises EComPort CError_LoadFailed ("Failed to load settings") with the port's
// name at that moment on any failure, the cause nested in it; values assigned
// before the failure stay.
void LoadSettings(TCustomComPort& port, TStoreType StoreType, const std::string& LoadFrom);

// Chooses the store's root from the text before the first "\" of `key` and
// opens <rest of key>\<name> (creating it with `create`); false when there is
// no such place or the key cannot be opened.
bool OpenRegistryKey(platform::SettingsStore& store, const std::string& key, const std::string& name,
                     bool create);

} // namespace serial
