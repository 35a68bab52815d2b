#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace quillon;
using quillon::test::ScopedEnv;
using quillon::test::TempDir;

TEST(FolderSettings, MissingValuesAndDefaults)
{
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    MemorySettingsStore store;
    FolderSettings folders(store);
    std::string folder = "unchanged";

    // No Temporary value: the system temporary folder.
    EXPECT_TRUE(folders.lookup(kFolderTemporary, folder));
    EXPECT_EQ(folder, tmp.path().string());
    EXPECT_TRUE(folders.lookup(kFolderPeakFiles, folder));
    EXPECT_EQ(folder, tmp.path().string());

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
