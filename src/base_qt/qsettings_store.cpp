#include "base_qt/qsettings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>
#include <vector>

namespace quillon {

namespace {

std::string envOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string defaultUserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
}

std::string defaultSystemFolder()
{
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    if (dirs && *dirs) {
        std::string all(dirs);
        return all.substr(0, all.find(':'));
    }
    return "/etc/xdg";
}

std::vector<std::string> splitKey(std::string_view key)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : key) {
        if (c == '\\' || c == '/') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

} // namespace

QSettingsStore::QSettingsStore()
    : QSettingsStore(envOr("QUILLON_USER_CONFIG_DIR", defaultUserFolder()),
                     envOr("QUILLON_SYSTEM_CONFIG_DIR", defaultSystemFolder()))
{
}

QSettingsStore::QSettingsStore(std::string userFolder, std::string systemFolder)
    : m_userFolder(std::move(userFolder)), m_systemFolder(std::move(systemFolder))
{
}

QSettingsStore::~QSettingsStore() { sync(); }

const std::string& QSettingsStore::folder(SettingsRoot root) const
{
    return root == SettingsRoot::CurrentUser ? m_userFolder : m_systemFolder;
}

QSettingsStore::Location QSettingsStore::locate(SettingsRoot root, std::string_view key,
                                                std::string_view name) const
{
    std::vector<std::string> parts = splitKey(key);
    // "Software" is implied by the folder; vendor and product name the file.
    if (!parts.empty() && parts.front() == "Software")
        parts.erase(parts.begin());
    std::string file = folder(root);
    size_t used = 0;
    for (; used < parts.size() && used < 2; ++used)
        file += "/" + parts[used];
    if (used == 0)
        file += "/Varda";
    file += ".conf";
    std::string path;
    for (size_t i = used; i < parts.size(); ++i)
        path += parts[i] + "/";
    path += name;
    return {file, path};
}

std::string QSettingsStore::filePath(SettingsRoot root, std::string_view key) const
{
    return locate(root, key, "x").file;
}

QSettings& QSettingsStore::settingsFor(const std::string& file) const
{
    auto& s = m_files[file];
    if (!s)
        s = std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
    return *s;
}

std::optional<int32_t> QSettingsStore::readInt(SettingsRoot root, std::string_view key,
                                               std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    Location loc = locate(root, key, name);
    QVariant v = settingsFor(loc.file).value(QString::fromStdString(loc.valuePath));
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    int value = v.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<std::string> QSettingsStore::readString(SettingsRoot root, std::string_view key,
                                                      std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    Location loc = locate(root, key, name);
    QVariant v = settingsFor(loc.file).value(QString::fromStdString(loc.valuePath));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toStdString();
}

bool QSettingsStore::writeInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t value)
{
    std::lock_guard lock(m_mutex);
    Location loc = locate(root, key, name);
    QSettings& s = settingsFor(loc.file);
    s.setValue(QString::fromStdString(loc.valuePath), value);
    s.sync();
    return s.status() == QSettings::NoError;
}

bool QSettingsStore::writeString(SettingsRoot root, std::string_view key, std::string_view name,
                                 std::string_view value)
{
    std::lock_guard lock(m_mutex);
    Location loc = locate(root, key, name);
    QSettings& s = settingsFor(loc.file);
    s.setValue(QString::fromStdString(loc.valuePath), QString::fromUtf8(value.data(), qsizetype(value.size())));
    s.sync();
    return s.status() == QSettings::NoError;
}

bool QSettingsStore::remove(SettingsRoot root, std::string_view key, std::string_view name)
{
    std::lock_guard lock(m_mutex);
    Location loc = locate(root, key, name);
    QSettings& s = settingsFor(loc.file);
    const QString path = QString::fromStdString(loc.valuePath);
    if (!s.contains(path))
        return false;
    s.remove(path);
    s.sync();
    return s.status() == QSettings::NoError;
}

void QSettingsStore::sync()
{
    std::lock_guard lock(m_mutex);
    for (auto& [file, s] : m_files)
        s->sync();
}

} // namespace quillon
