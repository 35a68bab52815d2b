#pragma once
// Settings kept in memory: for tests and for runs that must not touch the user's files.

#include "base/settings_store.h"

#include <map>
#include <mutex>
#include <tuple>
#include <variant>

namespace quillon {

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<int32_t> readInt(SettingsRoot root, std::string_view key, std::string_view name) const override;
    std::optional<std::string> readString(SettingsRoot root, std::string_view key,
                                          std::string_view name) const override;
    bool writeInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t value) override;
    bool writeString(SettingsRoot root, std::string_view key, std::string_view name,
                     std::string_view value) override;
    bool remove(SettingsRoot root, std::string_view key, std::string_view name) override;

    size_t valueCount() const;

private:
    // Keys and names compare without letter case, as the registry does.
    using Address = std::tuple<SettingsRoot, std::string, std::string>;
    static Address address(SettingsRoot root, std::string_view key, std::string_view name);

    mutable std::mutex m_mutex;
    std::map<Address, std::variant<int32_t, std::string>> m_values;
};

} // namespace quillon
