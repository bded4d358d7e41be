#pragma once
// An ini file on disk, read and written value by value (see IniDocument for
// the format). Every read looks at the file as it is now; every write reads
// the file, changes the one line and puts the whole file back through a
// temporary file renamed into place.
//
// A file name without a folder ("port.ini") means a file in the user's
// settings folder (settingsFolder(SettingsRoot::CurrentUser)); any other
// name is a path as given. The folder must exist: writing into a missing
// folder fails.
//
// A missing file reads as empty. A file that exists but cannot be read
// raises SettingsError on reads and writes alike, so a write never replaces
// a file it could not read.
#include "platform/settings/IniDocument.h"

#include <functional>
#include <string>

namespace platform {

class IniFile {
public:
    explicit IniFile(const QString& fileName);

    // The path of the file in use.
    QString fileName() const;

    // The whole file (empty when it is missing). Raises SettingsError.
    IniDocument load() const;
    // Puts `document` in place of the file. Raises SettingsError.
    void save(const IniDocument& document) const;
    // Loads the file, lets `change` edit it and saves it when `change`
    // answers true; one thread of the process at a time. Raises SettingsError.
    void update(const std::function<bool(IniDocument&)>& change) const;

    // Stores the value at once. Raises SettingsError when it cannot.
    void writeString(const QString& section, const QString& key, const QString& value);
    bool sectionExists(const QString& section) const;

private:
    std::string path_;
};

} // namespace platform
