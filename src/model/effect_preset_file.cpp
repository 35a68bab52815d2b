#include "model/effect_preset_file.h"

#include "base/folder_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace quillon {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putRecord(std::vector<uint8_t>& out, const std::string& name, const std::vector<uint8_t>& state)
{
    const size_t n = std::min(name.size(), EffectPresetFile::kMaxName);
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), EffectPresetFile::kNameField - n, 0); // the NUL and zero padding
    putU32(out, static_cast<uint32_t>(state.size()));
    out.insert(out.end(), state.begin(), state.end());
}

// Reads one record at `at`; false when it runs past the end.
bool takeRecord(const std::vector<uint8_t>& in, size_t& at, EffectPreset& record)
{
    if (in.size() - at < EffectPresetFile::kNameField + 4)
        return false;
    const char* name = reinterpret_cast<const char*>(in.data() + at);
    record.name.assign(name, strnlen(name, EffectPresetFile::kNameField));
    at += EffectPresetFile::kNameField;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size |= uint32_t(in[at + size_t(i)]) << (8 * i);
    at += 4;
    if (in.size() - at < size)
        return false;
    record.state.assign(in.begin() + static_cast<std::ptrdiff_t>(at),
                        in.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
    return true;
}

} // namespace

std::string EffectPresetFile::presetFolder(SettingsStore& settings)
{
    std::string folder;
    if (!FolderSettings(settings).lookup(kFolderPresets, folder) || folder.empty()) {
        // Our own default: the user's data folder.
        std::filesystem::path base;
        if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
            base = data;
        else if (const char* home = std::getenv("HOME"); home && *home)
            base = std::filesystem::path(home) / ".local" / "share";
        else
            base = FolderSettings::privateTempFolder();
        folder = (base / FolderSettings::kProgramFolder / "presets").string();
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string EffectPresetFile::pathFor(const std::string& folder, const std::string& identityText)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + identityText + ".pre";
}

std::vector<uint8_t> EffectPresetFile::bytes(const std::vector<uint8_t>& lastState) const
{
    std::vector<uint8_t> out;
    putRecord(out, kLastName, lastState);
    putU32(out, static_cast<uint32_t>(m_presets.size()));
    for (const EffectPreset& p : m_presets)
        putRecord(out, p.name, p.state);
    return out;
}

bool EffectPresetFile::parse(const std::vector<uint8_t>& in)
{
    m_presets.clear();
    m_last.clear();
    size_t at = 0;
    EffectPreset last;
    if (!takeRecord(in, at, last) || in.size() - at < 4)
        return false;
    uint32_t count = 0;
    for (int i = 0; i < 4; ++i)
        count |= uint32_t(in[at + size_t(i)]) << (8 * i);
    at += 4;
    // Every record takes at least its name field and size: a larger count is damage.
    if (count > (in.size() - at) / (kNameField + 4))
        return false;
    std::vector<EffectPreset> presets(count);
    for (EffectPreset& p : presets)
        if (!takeRecord(in, at, p))
            return false;
    if (at != in.size())
        return false; // bytes that no record holds: the counts are wrong
    m_presets = std::move(presets);
    m_last = std::move(last.state);
    return true;
}

bool EffectPresetFile::read(const std::string& path)
{
    m_presets.clear();
    m_last.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse(data);
}

bool EffectPresetFile::write(const std::string& path, const std::vector<uint8_t>& lastState) const
{
    const std::vector<uint8_t> data = bytes(lastState);
    std::error_code ec;
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

const EffectPreset* EffectPresetFile::find(const std::string& name) const
{
    for (const EffectPreset& p : m_presets)
        if (p.name == name)
            return &p;
    return nullptr;
}

void EffectPresetFile::put(std::string name, std::vector<uint8_t> state)
{
    if (name.size() > kMaxName)
        name.resize(kMaxName);
    for (EffectPreset& p : m_presets)
        if (p.name == name) {
            p.state = std::move(state);
            return;
        }
    m_presets.push_back({std::move(name), std::move(state)});
}

bool EffectPresetFile::remove(const std::string& name)
{
    for (auto it = m_presets.begin(); it != m_presets.end(); ++it)
        if (it->name == name) {
            m_presets.erase(it);
            return true;
        }
    return false;
}

} // namespace quillon
