#include "base/settings_store.h"

namespace quillon {

std::string keys::section(std::string_view name)
{
    std::string key = kApp;
    key += '\\';
    key += name;
    return key;
}

int32_t SettingsStore::getInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t def) const
{
    return readInt(root, key, name).value_or(def);
}

std::string SettingsStore::getString(SettingsRoot root, std::string_view key, std::string_view name,
                                     std::string_view def) const
{
    auto v = readString(root, key, name);
    return v ? *v : std::string(def);
}

int32_t SettingsStore::profileInt(std::string_view section, std::string_view name, int32_t def) const
{
    return getInt(SettingsRoot::CurrentUser, keys::section(section), name, def);
}

std::string SettingsStore::profileString(std::string_view section, std::string_view name,
                                         std::string_view def) const
{
    return getString(SettingsRoot::CurrentUser, keys::section(section), name, def);
}

bool SettingsStore::writeProfileInt(std::string_view section, std::string_view name, int32_t value)
{
    return writeInt(SettingsRoot::CurrentUser, keys::section(section), name, value);
}

bool SettingsStore::writeProfileString(std::string_view section, std::string_view name, std::string_view value)
{
    return writeString(SettingsRoot::CurrentUser, keys::section(section), name, value);
}

} // namespace quillon
