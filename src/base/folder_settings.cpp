#include "base/folder_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

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

// A folder nobody else can enter: a real directory (not a link to one), owned by this
// user, mode 0700. Missing parts of the path are created 0700 as well.
bool makePrivateFolder(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::path path(folder);
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path p = path; !p.empty() && !std::filesystem::exists(std::filesystem::symlink_status(p, ec));
         p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return false;
    return true;
}

// The last resort: a fresh folder of unguessable name in the shared temporary folder.
std::string freshPrivateFolder()
{
    std::string pattern = FolderSettings::systemTempFolder() + "/varda-quillon-XXXXXX";
    if (::mkdtemp(pattern.data()))
        return pattern;
    return {};
}

} // namespace

std::string FolderSettings::userCacheFolder()
{
    std::string cache = env("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = env("HOME");
        if (home.empty())
            return {};
        cache = home + "/.cache";
    }
    return cache + "/" + kProgramFolder;
}

std::string FolderSettings::privateTempFolder()
{
    // The runtime folder is the user's own and emptied at log-out; the cache folder
    // serves where there is none.
    std::vector<std::string> candidates;
    if (const std::string runtime = env("XDG_RUNTIME_DIR"); !runtime.empty() && runtime.front() == '/')
        candidates.push_back(runtime + "/" + kProgramFolder);
    if (const std::string cache = userCacheFolder(); !cache.empty())
        candidates.push_back(cache + "/tmp");
    for (const std::string& folder : candidates)
        if (makePrivateFolder(folder))
            return folder;
    const std::string fresh = freshPrivateFolder();
    return fresh.empty() ? systemTempFolder() : fresh;
}

std::string FolderSettings::peakFileFolder()
{
    // Peak files are worth keeping across a restart, so they live in the cache folder.
    if (const std::string cache = userCacheFolder(); !cache.empty() && makePrivateFolder(cache + "/peaks"))
        return cache + "/peaks";
    return privateTempFolder();
}

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
    // Never the shared temporary folder: names chosen there can be guessed and planted.
    case kFolderPeakFiles: folder = peakFileFolder(); return true;
    case kFolderTemporary: folder = privateTempFolder(); return true;
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
