#pragma once
// Persistent settings addressed like the classic registry: a root, a key path with
// backslashes ("Software\Ostrel\Varda Quillon\General") and a value name.
//
// Implementations are safe to call from any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

enum class SettingsRoot { CurrentUser, LocalMachine };

namespace keys {
inline constexpr const char* kApp = "Software\\Ostrel\\Varda Quillon";
inline constexpr const char* kServers = "Software\\Ostrel\\Varda Quillon\\Servers";
inline constexpr const char* kDirectories = "Software\\Ostrel\\Varda Wave Editor\\Directories";
inline constexpr const char* kShared = "Software\\Ostrel\\Shared";
// Per-user sections of the application key.
std::string section(std::string_view name);
} // namespace keys

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<int32_t> readInt(SettingsRoot root, std::string_view key, std::string_view name) const = 0;
    virtual std::optional<std::string> readString(SettingsRoot root, std::string_view key,
                                                  std::string_view name) const = 0;
    virtual bool writeInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t value) = 0;
    virtual bool writeString(SettingsRoot root, std::string_view key, std::string_view name,
                             std::string_view value) = 0;
    virtual bool remove(SettingsRoot root, std::string_view key, std::string_view name) = 0;

    // Reading a missing value gives the caller's default.
    int32_t getInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t def) const;
    std::string getString(SettingsRoot root, std::string_view key, std::string_view name,
                          std::string_view def) const;

    // Shorthands for the per-user application sections ("General", "View", ...).
    int32_t profileInt(std::string_view section, std::string_view name, int32_t def) const;
    std::string profileString(std::string_view section, std::string_view name, std::string_view def) const;
    bool writeProfileInt(std::string_view section, std::string_view name, int32_t value);
    bool writeProfileString(std::string_view section, std::string_view name, std::string_view value);
};

} // namespace quillon
