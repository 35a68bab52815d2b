#include "base/folder_settings.h"
#include "base_qt/qsettings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quillon;
using quillon::test::ScopedEnv;
using quillon::test::TempDir;

TEST(QSettingsStore, OneFilePerKeyUnderEachRoot)
{
    TempDir user, system;
    ScopedEnv u("QUILLON_USER_CONFIG_DIR", user.path().string());
    ScopedEnv s("QUILLON_SYSTEM_CONFIG_DIR", system.path().string());
    {
        QSettingsStore store;
        EXPECT_EQ(store.profileInt("General", "UndoLevels", 100), 100);
        EXPECT_TRUE(store.writeProfileInt("General", "UndoLevels", 25));
        EXPECT_TRUE(store.writeProfileString("General", "Default-Artist", "S\xC3\xA9verine"));
        EXPECT_TRUE(store.writeInt(SettingsRoot::LocalMachine, keys::kServers, "ServerCount", 2));
        FolderSettings folders(store);
        EXPECT_TRUE(folders.store(kFolderTemporary, "/var/tmp/q"));
    }
    EXPECT_TRUE(std::filesystem::exists(user.file("Ostrel/Varda Quillon.conf")));
    EXPECT_TRUE(std::filesystem::exists(user.file("Ostrel/Varda Wave Editor.conf")));
    EXPECT_TRUE(std::filesystem::exists(system.file("Ostrel/Varda Quillon.conf")));

    // A second store (another run of the program) reads the values back.
    QSettingsStore again;
    EXPECT_EQ(again.profileInt("General", "UndoLevels", 100), 25);
    EXPECT_EQ(again.profileString("General", "Default-Artist", ""), "S\xC3\xA9verine");
    EXPECT_EQ(again.getInt(SettingsRoot::LocalMachine, keys::kServers, "ServerCount", 0), 2);
    EXPECT_EQ(again.getInt(SettingsRoot::CurrentUser, keys::kServers, "ServerCount", 0), 0);
    std::string folder;
    EXPECT_TRUE(FolderSettings(again).lookup(kFolderTemporary, folder));
    EXPECT_EQ(folder, "/var/tmp/q");
    EXPECT_TRUE(again.remove(SettingsRoot::CurrentUser, keys::section("General"), "UndoLevels"));
    EXPECT_EQ(again.profileInt("General", "UndoLevels", 100), 100);
}

TEST(QSettingsStore, HandWrittenFileIsRead)
{
    TempDir system;
    std::filesystem::create_directories(system.file("Ostrel"));
    std::ofstream(system.file("Ostrel/Varda Quillon.conf")) << "[Servers]\nServerCount=1\nServer1=/opt/q/a.so\n";
    QSettingsStore store("/nonexistent-user-folder", system.path().string());
    EXPECT_EQ(store.getInt(SettingsRoot::LocalMachine, keys::kServers, "ServerCount", 0), 1);
    EXPECT_EQ(store.getString(SettingsRoot::LocalMachine, keys::kServers, "Server1", ""), "/opt/q/a.so");
}
