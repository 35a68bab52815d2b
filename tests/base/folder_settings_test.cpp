#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace quillon;
using quillon::test::ScopedEnv;
using quillon::test::TempDir;

TEST(FolderSettings, MissingValuesAndDefaults)
{
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    ScopedEnv runtime("XDG_RUNTIME_DIR", tmp.file("run"));
    ScopedEnv cache("XDG_CACHE_HOME", tmp.file("cache"));
    MemorySettingsStore store;
    FolderSettings folders(store);
    std::string folder = "unchanged";

    // No Temporary or peak-file value: folders of the user's own, never the shared one.
    EXPECT_TRUE(folders.lookup(kFolderTemporary, folder));
    EXPECT_EQ(folder, tmp.file("run/varda-quillon"));
    EXPECT_TRUE(folders.lookup(kFolderPeakFiles, folder));
    EXPECT_EQ(folder, tmp.file("cache/varda-quillon/peaks"));

    // No Presets value in the machine key: kind 1 fails with the marker.
    EXPECT_FALSE(folders.lookup(kFolderPresets, folder));
    EXPECT_EQ(folder, "$$$");
    for (int kind : {int(kFolderPlugin), int(kFolderDsp), int(kFolderPluginManager), int(kFolderAudioPlugin), 0, 9}) {
        folder.clear();
        EXPECT_FALSE(folders.lookup(kind, folder)) << kind;
        EXPECT_EQ(folder, "$$$") << kind;
    }
}

TEST(FolderSettings, StoringWritesTheKeyOfTheKind)
{
    MemorySettingsStore store;
    FolderSettings folders(store);
    std::string folder;

    // Kind 3 shares the value name Presets with kind 1, but lives under the user key.
    EXPECT_TRUE(folders.store(kFolderPeakFiles, "/srv/peaks"));
    EXPECT_EQ(store.getString(SettingsRoot::CurrentUser, keys::kDirectories, "Presets", ""), "/srv/peaks");
    EXPECT_FALSE(folders.lookup(kFolderPresets, folder));
    EXPECT_TRUE(folders.lookup(kFolderPeakFiles, folder));
    EXPECT_EQ(folder, "/srv/peaks");

    EXPECT_TRUE(folders.store(kFolderPresets, "/srv/presets"));
    EXPECT_EQ(store.getString(SettingsRoot::LocalMachine, keys::kDirectories, "Presets", ""), "/srv/presets");
    EXPECT_TRUE(folders.lookup(kFolderPresets, folder));
    EXPECT_EQ(folder, "/srv/presets");

    EXPECT_TRUE(folders.store(kFolderDsp, "/srv/dsp"));
    EXPECT_EQ(store.getString(SettingsRoot::LocalMachine, keys::kDirectories, "VaDSP", ""), "/srv/dsp");
    EXPECT_TRUE(folders.store(kFolderMyMusic, "/srv/takes"));
    EXPECT_EQ(store.getString(SettingsRoot::CurrentUser, keys::kDirectories, "MyMusic", ""), "/srv/takes");

    // The shared key is read, never written.
    EXPECT_FALSE(folders.store(kFolderAudioPlugin, "/x"));
    store.writeString(SettingsRoot::LocalMachine, keys::kShared, "AudioPlugin", "/opt/plugins");
    EXPECT_TRUE(folders.lookup(kFolderAudioPlugin, folder));
    EXPECT_EQ(folder, "/opt/plugins");
}

TEST(FolderSettings, NewRecordingsGoToAnExistingMusicFolder)
{
    TempDir home;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", home.file(".config"));
    MemorySettingsStore store;
    FolderSettings folders(store);
    std::string folder;

    // Without user directories: ~/Music, created.
    EXPECT_TRUE(folders.lookup(kFolderMyMusic, folder));
    EXPECT_EQ(folder, home.file("Music"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // With a configured music folder: that one, created as well.
    std::filesystem::create_directories(home.file(".config"));
    std::ofstream(home.file(".config/user-dirs.dirs")) << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                        << "XDG_MUSIC_DIR=\"$HOME/Audio/Musik\"\n";
    EXPECT_TRUE(folders.lookup(kFolderMyMusic, folder));
    EXPECT_EQ(folder, home.file("Audio/Musik"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(FolderSettings, NoHomeFallsBackToTemporary)
{
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    ScopedEnv h("HOME", "");
    EXPECT_EQ(FolderSettings::musicFolder(), tmp.path().string());
}

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

} // namespace

TEST(FolderSettings, DefaultFoldersArePrivateToTheUser)
{
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.file("shared"));
    std::filesystem::create_directories(tmp.file("shared"));
    MemorySettingsStore store;
    FolderSettings folders(store);
    struct Row {
        const char* runtime; // empty: unset
        const char* cache;
        const char* home;
        const char* temporary;
        const char* peaks;
    };
    const Row rows[] = {
        {"run", "cache", "home", "run/varda-quillon", "cache/varda-quillon/peaks"},
        {"", "cache", "home", "cache/varda-quillon/tmp", "cache/varda-quillon/peaks"},
        {"", "", "home", "home/.cache/varda-quillon/tmp", "home/.cache/varda-quillon/peaks"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.temporary);
        if (*row.runtime)
            std::filesystem::create_directories(tmp.file(row.runtime));
        ScopedEnv runtime("XDG_RUNTIME_DIR", *row.runtime ? tmp.file(row.runtime) : "");
        ScopedEnv cache("XDG_CACHE_HOME", *row.cache ? tmp.file(row.cache) : "");
        ScopedEnv home("HOME", tmp.file(row.home));
        std::string temporary;
        std::string peaks;
        ASSERT_TRUE(folders.lookup(kFolderTemporary, temporary));
        ASSERT_TRUE(folders.lookup(kFolderPeakFiles, peaks));
        EXPECT_EQ(temporary, tmp.file(row.temporary));
        EXPECT_EQ(peaks, tmp.file(row.peaks));
        for (const std::string& f : {temporary, peaks}) {
            EXPECT_TRUE(S_ISDIR(modeOf(f))) << f;
            EXPECT_EQ(modeOf(f) & 07777, 0700u) << f;
        }
    }

    // A folder of ours that someone opened up is closed again.
    ScopedEnv runtime("XDG_RUNTIME_DIR", tmp.file("run"));
    ::chmod(tmp.file("run/varda-quillon").c_str(), 0777);
    std::string folder;
    ASSERT_TRUE(folders.lookup(kFolderTemporary, folder));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);

    // A folder the user set is used as set.
    ASSERT_TRUE(folders.store(kFolderTemporary, tmp.file("shared")));
    ASSERT_TRUE(folders.lookup(kFolderTemporary, folder));
    EXPECT_EQ(folder, tmp.file("shared"));
}

TEST(FolderSettings, APlantedLinkUnderTheDefaultNameIsNotFollowed)
{
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.file("shared"));
    std::filesystem::create_directories(tmp.file("shared"));
    std::filesystem::create_directories(tmp.file("run"));
    std::filesystem::create_directories(tmp.file("elsewhere"));
    ::chmod(tmp.file("elsewhere").c_str(), 0755);
    // Someone else's folder, reached through a link planted where ours would be.
    std::filesystem::create_directory_symlink(tmp.file("elsewhere"), tmp.file("run/varda-quillon"));
    ScopedEnv runtime("XDG_RUNTIME_DIR", tmp.file("run"));
    ScopedEnv cache("XDG_CACHE_HOME", "");
    ScopedEnv home("HOME", "");
    MemorySettingsStore store;
    std::string folder;
    ASSERT_TRUE(FolderSettings(store).lookup(kFolderTemporary, folder));
    EXPECT_NE(folder, tmp.file("run/varda-quillon"));
    EXPECT_EQ(std::filesystem::weakly_canonical(folder).string().rfind(tmp.file("elsewhere"), 0), std::string::npos);
    // The fresh folder it falls back on is a private one of unguessable name.
    EXPECT_TRUE(S_ISDIR(modeOf(folder)));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);
    EXPECT_EQ(folder.rfind(tmp.file("shared/varda-quillon-"), 0), 0u);
    EXPECT_EQ(modeOf(tmp.file("elsewhere")) & 07777, 0755u);
}
