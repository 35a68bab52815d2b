#include "base/memory_settings_store.h"

#include <cctype>
#include <charconv>

namespace quillon {

namespace {
std::string lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
} // namespace

MemorySettingsStore::Address MemorySettingsStore::address(SettingsRoot root, std::string_view key,
                                                          std::string_view name)
{
    return {root, lower(key), lower(name)};
}

std::optional<int32_t> MemorySettingsStore::readInt(SettingsRoot root, std::string_view key,
                                                    std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(address(root, key, name));
    if (it == m_values.end())
        return std::nullopt;
    if (auto* i = std::get_if<int32_t>(&it->second))
        return *i;
    const std::string& s = std::get<std::string>(it->second);
    int32_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<std::string> MemorySettingsStore::readString(SettingsRoot root, std::string_view key,
                                                           std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(address(root, key, name));
    if (it == m_values.end())
        return std::nullopt;
    if (auto* i = std::get_if<int32_t>(&it->second))
        return std::to_string(*i);
    return std::get<std::string>(it->second);
}

bool MemorySettingsStore::writeInt(SettingsRoot root, std::string_view key, std::string_view name, int32_t value)
{
    std::lock_guard lock(m_mutex);
    m_values[address(root, key, name)] = value;
    return true;
}

bool MemorySettingsStore::writeString(SettingsRoot root, std::string_view key, std::string_view name,
                                      std::string_view value)
{
    std::lock_guard lock(m_mutex);
    m_values[address(root, key, name)] = std::string(value);
    return true;
}

bool MemorySettingsStore::remove(SettingsRoot root, std::string_view key, std::string_view name)
{
    std::lock_guard lock(m_mutex);
    return m_values.erase(address(root, key, name)) > 0;
}

size_t MemorySettingsStore::valueCount() const
{
    std::lock_guard lock(m_mutex);
    return m_values.size();
}

} // namespace quillon
