#include "platform/settings/SettingsLayout.h"

#include "platform/FileBytes.h"
#include "platform/NameOrder.h"

#include <QFile>

#include <algorithm>
#include <system_error>

#include <dirent.h>
#include <sys/stat.h>

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
