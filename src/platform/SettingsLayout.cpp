#include "platform/SettingsLayout.h"

#include "platform/FileBytes.h"
#include "platform/NameOrder.h"

#include <QFile>

#include <algorithm>
#include <system_error>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const QString kSuffix = QStringLiteral(".ini");

std::string encoded(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The names in a folder, without "." and "..", and without hidden ones.
QStringList entriesOf(const std::string& folder)
{
    QStringList names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// The entry of `folder` named `name` ignoring letter case that passes
// `accept`, the exact spelling first; nullopt when there is none.
template <typename Accept>
std::optional<std::string> findEntry(const std::string& folder, const QString& name, Accept accept)
{
    std::optional<std::string> found;
    for (const QString& entry : entriesOf(folder)) {
        if (!sameName(entry, name))
            continue;
        const std::string path = folder + "/" + encoded(entry);
        if (!accept(path))
            continue;
        if (entry == name)
            return path;
        if (!found)
            found = path;
    }
    return found;
}

// Removes the *.ini files under `folder` and every folder left empty.
void removeIniTree(const std::string& folder)
{
    for (const QString& entry : entriesOf(folder)) {
        const std::string path = folder + "/" + encoded(entry);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            removeIniTree(path);
        else if (entry.endsWith(kSuffix, Qt::CaseInsensitive) && ::unlink(path.c_str()) != 0)
            throw SettingsError(std::system_error(errno, std::generic_category(), "Filen " + path + " kan inte tas bort").what());
    }
    ::rmdir(folder.c_str());
}

SettingsError asSettingsError(const std::system_error& e)
{
    return SettingsError(e.what());
}

} // namespace

SettingsLayout::SettingsLayout(std::string rootFolder)
    : root_(std::move(rootFolder))
{
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
}

std::optional<QStringList> SettingsLayout::splitPath(const QString& path)
{
    QStringList names = path.split(u'\\');
    if (!names.isEmpty() && names.front().isEmpty())
        names.removeFirst();
    if (!names.isEmpty() && names.back().isEmpty())
        names.removeLast();
    for (const QString& name : names) {
        if (name == u"." || name == u".." || name.contains(u'/'))
            return std::nullopt;
        try {
            IniDocument::checkSectionName(name);
        } catch (const SettingsError&) {
            return std::nullopt;
        }
        if (name.isEmpty())
            return std::nullopt;
    }
    return names;
}

QStringList SettingsLayout::stored(const QStringList& key)
{
    if (!key.isEmpty() && sameName(key.front(), QStringLiteral("Software")))
        return key.mid(1);
    return key;
}

std::string SettingsLayout::folderOf(const QStringList& names) const
{
    std::string path = root_;
    bool onDisk = true;
    for (const QString& name : names) {
        const auto found = onDisk ? findEntry(path, name, isFolder) : std::nullopt;
        onDisk = found.has_value();
        path = found ? *found : path + "/" + encoded(name);
    }
    return path;
}

std::string SettingsLayout::fileOf(const QStringList& names) const
{
    const std::string folder = folderOf(names.mid(0, names.size() - 1));
    const QString fileName = names.back() + kSuffix;
    return findEntry(folder, fileName, isFile).value_or(folder + "/" + encoded(fileName));
}

bool SettingsLayout::exists(const QStringList& key) const
{
    const QStringList names = stored(key);
    if (names.isEmpty())
        return true;
    if (isFile(fileOf(names)) || isFolder(folderOf(names)))
        return true;
    auto place = values(key);
    return place && place->first.sectionExists(place->second);
}

void SettingsLayout::makeValueFolder(const QStringList& key) const
{
    const QStringList names = stored(key);
    try {
        makeFolders(root_, 0700);
        if (names.size() > 2)
            makeFolders(folderOf(names.mid(0, names.size() - 2)));
    } catch (const std::system_error& e) {
        throw asSettingsError(e);
    }
}

void SettingsLayout::create(const QStringList& key) const
{
    if (exists(key))
        return;
    makeValueFolder(key);
    const QStringList names = stored(key);
    if (names.size() == 1) {
        const IniFile file(QFile::decodeName(QByteArray::fromStdString(fileOf(names))));
        file.save(IniDocument());
        return;
    }
    auto place = values(key);
    place->first.update([&](IniDocument& document) {
        document.addSection(place->second);
        return true;
    });
}

bool SettingsLayout::remove(const QStringList& key) const
{
    const QStringList names = stored(key);
    if (names.isEmpty())
        throw SettingsError("Inställningarnas rot kan inte tas bort.");
    if (!exists(key))
        return false;
    if (names.size() > 1) {
        auto place = values(key);
        place->first.eraseSection(place->second);
    }
    const std::string file = fileOf(names);
    if (isFile(file) && ::unlink(file.c_str()) != 0)
        throw SettingsError(std::system_error(errno, std::generic_category(), "Filen " + file + " kan inte tas bort").what());
    const std::string folder = folderOf(names);
    if (isFolder(folder))
        removeIniTree(folder);
    return true;
}

QStringList SettingsLayout::subKeys(const QStringList& key) const
{
    const QStringList names = stored(key);
    QStringList found;
    if (!names.isEmpty()) {
        const IniFile file(QFile::decodeName(QByteArray::fromStdString(fileOf(names))));
        found = file.sectionNames();
        found.removeAll(QString());
    }
    const std::string folder = folderOf(names);
    for (const QString& entry : entriesOf(folder)) {
        const std::string path = folder + "/" + encoded(entry);
        if (isFolder(path))
            found << entry;
        else if (entry.endsWith(kSuffix, Qt::CaseInsensitive) && entry.size() > kSuffix.size() && isFile(path))
            found << entry.left(entry.size() - kSuffix.size());
    }
    QStringList unique;
    for (const QString& name : found) {
        if (!unique.contains(name, Qt::CaseInsensitive))
            unique << name;
    }
    sortNames(unique);
    return unique;
}

std::optional<std::pair<IniFile, QString>> SettingsLayout::values(const QStringList& key) const
{
    const QStringList names = stored(key);
    if (names.isEmpty())
        return std::nullopt;
    const bool topLevel = names.size() == 1;
    const QStringList fileNames = topLevel ? names : names.mid(0, names.size() - 1);
    IniFile file(QFile::decodeName(QByteArray::fromStdString(fileOf(fileNames))));
    return std::make_pair(std::move(file), topLevel ? QString() : names.back());
}

} // namespace platform
