#pragma once
// Settings kept in INI files through QSettings: the user root in the user's XDG
// config folder, the machine root in the system one, one file per key
// ("Software\Ostrel\Varda Quillon\General" -> Ostrel/Varda Quillon.conf, group General).
// QUILLON_USER_CONFIG_DIR and QUILLON_SYSTEM_CONFIG_DIR override the two folders.
// Safe to call from any thread.

#include "base/settings_store.h"

#include <map>
#include <memory>
#include <mutex>

class QSettings;

namespace quillon {

class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    QSettingsStore(std::string userFolder, std::string systemFolder);
    ~QSettingsStore() override;

    std::optional<int32_t> readInt(SettingsRoot root, std::string_view key, std::string_view name) const override;
    std::optional<std::string> readString(SettingsRoot root, std::string_view key,
                                          std::string_view name) const override;
    bool writeInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t value) override;
    bool writeString(SettingsRoot root, std::string_view key, std::string_view name,
                     std::string_view value) override;
    bool remove(SettingsRoot root, std::string_view key, std::string_view name) override;

    const std::string& folder(SettingsRoot root) const;
    // The file and the value path inside it for an address.
    std::string filePath(SettingsRoot root, std::string_view key) const;

    void sync();

private:
    struct Location {
        std::string file;
        std::string valuePath;
    };
    Location locate(SettingsRoot root, std::string_view key, std::string_view name) const;
    QSettings& settingsFor(const std::string& file) const;

    std::string m_userFolder;
    std::string m_systemFolder;
    mutable std::recursive_mutex m_mutex;
    mutable std::map<std::string, std::unique_ptr<QSettings>> m_files;
};

} // namespace quillon
