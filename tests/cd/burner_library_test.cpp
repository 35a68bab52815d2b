// Finding and loading the disc-burning library the way the program does.
#include "base/memory_settings_store.h"
#include "cd/burner_library.h"
#include "support/temp_dir.h"
#include <gtest/gtest.h>
#include <filesystem>

namespace quillon {
namespace {

struct FolderCase {
    const char* name;
    std::string folder; // "<none>" for no value at all
    bool configured;    // whether the folder is used rather than the shipped library
};

class LibraryFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(LibraryFolderTest, ConfiguredFolderOrShippedLibrary)
{
    MemorySettingsStore settings;
    if (GetParam().folder != "<none>")
        settings.writeString(SettingsRoot::LocalMachine, keys::kShared, BurnerLibrary::kValueName, GetParam().folder);
    const std::string path = BurnerLibrary::libraryPath(settings);
    if (GetParam().configured) {
        std::string folder = GetParam().folder;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        EXPECT_EQ(path, folder + "/VardaAPI.so");
    } else {
        const auto shipped = BurnerLibrary::shippedLocations();
        EXPECT_NE(std::find(shipped.begin(), shipped.end(), path), shipped.end()) << path;
        EXPECT_NE(path, "/VardaAPI.so");
    }
}

INSTANTIATE_TEST_SUITE_P(Cd, LibraryFolderTest,
                         ::testing::Values(FolderCase{"Missing", "<none>", false}, FolderCase{"Empty", "", false},
                                           FolderCase{"Root", "/", false},
                                           FolderCase{"Longest", "/" + std::string(241, 'a'), true},
                                           FolderCase{"TooLong", "/" + std::string(242, 'a'), false},
                                           FolderCase{"TrailingSlash", "/opt/burner/", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BurnerLibraryTest, LoadsTheConfiguredFolderAndAnnouncesItsVersion)
{
    test::TempDir dir;
    std::filesystem::copy_file(QUILLON_BURNER_LIBRARY, dir.file("VardaAPI.so"));
    MemorySettingsStore settings;
    settings.writeString(SettingsRoot::LocalMachine, keys::kShared, BurnerLibrary::kValueName, dir.path().string());
    BurnerLibrary lib;
    ASSERT_TRUE(lib.load(settings)) << lib.errorText();
    EXPECT_EQ(lib.path(), dir.file("VardaAPI.so"));
    EXPECT_GT(lib.apiVersion(), VARDA_API_VERSION_MIN_DRIVES);
    ASSERT_EQ(lib.init(nullptr), 0);
    VardaDriveTable* table = lib.availableDrives();
    ASSERT_NE(table, nullptr);
    EXPECT_GE(table->count, 1);
    // Burning on a device never opened fails with the library's own text.
    EXPECT_NE(lib.burn(nullptr, nullptr, 0, 0, nullptr), 0);
    EXPECT_EQ(lib.lastError(), "The device is not open.");
    lib.freeMemory(table);
    EXPECT_EQ(lib.done(), 0);
}

TEST(BurnerLibraryTest, WithoutTheLibraryEveryCallGivesItsFallback)
{
    test::TempDir dir;
    MemorySettingsStore settings;
    settings.writeString(SettingsRoot::LocalMachine, keys::kShared, BurnerLibrary::kValueName, dir.path().string());
    BurnerLibrary lib;
    EXPECT_FALSE(lib.load(settings));
    EXPECT_EQ(lib.init(nullptr), 1);
    EXPECT_EQ(lib.apiVersion(), 0);
    EXPECT_EQ(lib.availableDrives(), nullptr);
    EXPECT_EQ(lib.openDevice(nullptr), nullptr);
    EXPECT_EQ(lib.burn(nullptr, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(lib.erasingTime(nullptr, 1), -1);
    EXPECT_EQ(lib.eraseDisc(nullptr, 1), -1);
    EXPECT_EQ(lib.done(), 1);
    // A null error text still gives the user something to read.
    EXPECT_FALSE(lib.lastError().empty());
}

} // namespace
} // namespace quillon
