#pragma once
// Where the keys of one settings root lie in its folder.
//
// A key path is a list of names separated by "\". A first name "Software"
// (any letter case) is dropped: the root folder is the software settings
// folder itself. For the names N1\...\Nk left:
//
//   - the subkeys of the key are the sections of the file N1/.../Nk.ini and
//     the folders and *.ini files in the folder N1/.../Nk;
//   - the values of the key are the lines of the section [Nk] in the file
//     N1/.../N(k-1).ini, or, for a key of one name (k = 1), the lines before
//     the first section of N1.ini.
//
// So "Software\Vilo\K4721\Corvalinder\Main" keeps its values in the [Main]
// section of Vilo/K4721/Corvalinder.ini, and "Software\Demo\ComPort1" in the
// [ComPort1] section of Demo.ini. A key exists when its file, its folder or
// its section does; making a key makes its section (for k = 1 its file).
// The root and "Software" are the same place and hold no values; keys
// outside "Software" share the folder with those inside it.
//
// Names are matched ignoring letter case against what is on disk; what is
// made takes the letter case given. Folders and files whose names begin
// with "." are not keys.
#include "platform/settings/IniFile.h"

#include <QStringList>

#include <optional>
#include <string>

namespace platform {

class SettingsLayout {
public:
    explicit SettingsLayout(std::string rootFolder);

    // The names of a key path given from the root ("\" first or not; a
    // final "\" is ignored), with "Software" still in place; nullopt when a
    // name is empty, "." or "..", holds "/", "]", a line break or NUL, or
    // has blanks at either end.
    static std::optional<QStringList> splitPath(const QString& path);

    // All of these take the names from splitPath(), "Software" still in
    // place, and raise SettingsError when a file cannot be read or written.
    bool exists(const QStringList& key) const;
    // Makes the key (see above); nothing when it exists.
    void create(const QStringList& key) const;

    // The file and section that hold the values of a key, or nullopt for
    // the root (which holds none).
    std::optional<std::pair<IniFile, QString>> values(const QStringList& key) const;
    // Makes the folder of a key's value file when it is missing.
    void makeValueFolder(const QStringList& key) const;

private:
    static QStringList stored(const QStringList& key);
    std::string folderOf(const QStringList& names) const;
    std::string fileOf(const QStringList& names) const;

    std::string root_;
};

} // namespace platform
