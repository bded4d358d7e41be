#include "platform/settings/IniFile.h"

#include "platform/FileBytes.h"
#include "platform/settings/SettingsFolders.h"

#include <QFile>

#include <mutex>
#include <system_error>

namespace platform {
namespace {

// Held around every read-change-write cycle, so two threads of this process
// never lose each other's change to a file.
std::mutex& updateMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

IniFile::IniFile(const QString& fileName)
{
    if (fileName.isEmpty())
        throw SettingsError("En ini-fil måste ha ett namn.");
    const std::string name = QFile::encodeName(fileName).toStdString();
    path_ = fileName.contains(u'/') ? name : settingsFolder(SettingsRoot::CurrentUser) + "/" + name;
}

QString IniFile::fileName() const
{
    return QFile::decodeName(QByteArray::fromStdString(path_));
}

IniDocument IniFile::load() const
{
    try {
        return IniDocument(readFileBytes(path_).value_or(QByteArray()));
    } catch (const std::system_error& e) {
        throw SettingsError(e.what());
    }
}

void IniFile::save(const IniDocument& document) const
{
    try {
        writeFileBytesAtomically(path_, document.toBytes());
    } catch (const std::system_error& e) {
        throw SettingsError(e.what());
    }
}

void IniFile::update(const std::function<bool(IniDocument&)>& change) const
{
    std::lock_guard lock(updateMutex());
    IniDocument document = load();
    if (change(document))
        save(document);
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    update([&](IniDocument& document) {
        document.setValue(section, key, value);
        return true;
    });
}

bool IniFile::sectionExists(const QString& section) const
{
    return load().hasSection(section);
}

} // namespace platform
