#include "base/folder_settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quillon {

namespace {

struct FolderValue {
    SettingsRoot root;
    const char* key;
    const char* name;
};

bool folderValue(int kind, FolderValue& v)
{
    switch (kind) {
    case kFolderPresets: v = {SettingsRoot::LocalMachine, keys::kDirectories, "Presets"}; return true;
    case kFolderPlugin: v = {SettingsRoot::LocalMachine, keys::kDirectories, "Plugin"}; return true;
    case kFolderPeakFiles: v = {SettingsRoot::CurrentUser, keys::kDirectories, "Presets"}; return true;
    case kFolderTemporary: v = {SettingsRoot::CurrentUser, keys::kDirectories, "Temporary"}; return true;
    case kFolderMyMusic: v = {SettingsRoot::CurrentUser, keys::kDirectories, "MyMusic"}; return true;
    case kFolderDsp: v = {SettingsRoot::LocalMachine, keys::kDirectories, "VaDSP"}; return true;
    case kFolderPluginManager: v = {SettingsRoot::LocalMachine, keys::kShared, "AudioPluginManager"}; return true;
    case kFolderAudioPlugin: v = {SettingsRoot::LocalMachine, keys::kShared, "AudioPlugin"}; return true;
    default: return false;
    }
}

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// XDG_MUSIC_DIR from user-dirs.dirs, with $HOME expanded; empty when not set there.
std::string xdgMusicDir(const std::string& home)
{
    std::string config = env("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string prefix = "XDG_MUSIC_DIR=";
        if (line.rfind(prefix, 0) != 0)
            continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        // A music folder equal to the home folder means "not configured".
        if (value.empty() || value == home || value == home + "/")
            return {};
        return value;
    }
    return {};
}

} // namespace

std::string FolderSettings::systemTempFolder()
{
    std::string t = env("TMPDIR");
    return t.empty() ? std::string("/tmp") : t;
}

std::string FolderSettings::musicFolder()
{
    const std::string home = env("HOME");
    if (home.empty())
        return systemTempFolder();
    std::string music = xdgMusicDir(home);
    if (music.empty())
        music = home + "/Music";
    std::error_code ec;
    std::filesystem::create_directories(music, ec);
    if (!std::filesystem::is_directory(music, ec))
        return systemTempFolder();
    return music;
}

bool FolderSettings::lookup(int kind, std::string& folder) const
{
    FolderValue v;
    if (!folderValue(kind, v)) {
        folder = kMissing;
        return false;
    }
    folder = m_store.getString(v.root, v.key, v.name, kMissing);
    if (folder != kMissing)
        return true;
    switch (kind) {
    case kFolderPeakFiles:
    case kFolderTemporary: folder = systemTempFolder(); return true;
    // New recordings outlive a reboot in the music folder, unlike in the temporary one.
    case kFolderMyMusic: folder = musicFolder(); return true;
    default: return false;
    }
}

bool FolderSettings::store(int kind, const std::string& folder)
{
    if (kind == kFolderPluginManager || kind == kFolderAudioPlugin)
        return false;
    FolderValue v;
    if (!folderValue(kind, v))
        return false;
    return m_store.writeString(v.root, v.key, v.name, folder);
}

} // namespace quillon
