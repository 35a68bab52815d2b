// Finding and loading the disc-burning library the way the program does.
#include "base/memory_settings_store.h"
#include "cd/burner_library.h"
#include "support/temp_dir.h"
#include <gtest/gtest.h>
#include <cstring>
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

#include "cd/drive_list.h"
#include <memory>

namespace quillon {
namespace {

TEST(DriveListTest, ReadsEveryFieldWithinItsBounds)
{
    const size_t bytes = offsetof(VardaDriveTable, entries) + 4 * sizeof(VardaDriveEntry);
    std::unique_ptr<uint64_t[]> memory(new uint64_t[bytes / 8 + 1]());
    auto* table = reinterpret_cast<VardaDriveTable*>(memory.get());
    table->count = 4;
    VardaDriveEntry* e = table->entries;
    std::memset(e[0].name, 'N', sizeof e[0].name); // no terminator
    e[0].capabilities = VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO;
    e[0].speedCount = 1000; // more than the table holds
    for (int i = 0; i < VARDA_MAX_SPEEDS; ++i) {
        e[0].speedMultiples[i] = i + 1;
        e[0].speedsKBps[i] = 176 * (i + 1);
    }
    std::strcpy(e[1].name, "Reader only");
    e[1].capabilities = VARDA_CAP_AUDIO;
    std::strcpy(e[2].name, "Two speeds");
    e[2].capabilities = VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO | VARDA_CAP_WRITE_CDRW;
    e[2].speedCount = 2;
    e[2].speedMultiples[0] = 4;
    e[2].speedsKBps[0] = 706;
    e[2].speedMultiples[1] = 16;
    e[2].speedsKBps[1] = 2822;
    std::strcpy(e[3].name, "Fixed");
    e[3].capabilities = VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO;
    e[3].speedCount = -5;

    const auto drives = DriveList::offered(table, VARDA_API_VERSION);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].name, std::string(VARDA_DRIVE_NAME_SIZE, 'N'));
    EXPECT_EQ(drives[0].speeds.size(), size_t(VARDA_MAX_SPEEDS));
    const auto english = [](const std::vector<PromptText>& lines) {
        std::vector<std::string> texts;
        for (const PromptText& line : lines)
            texts.push_back(line.english());
        return texts;
    };
    EXPECT_EQ(english(DriveList::speedLines(drives[1])),
              (std::vector<std::string>{"4x (706 KB per second)", "16x (2822 KB per second)"}));
    EXPECT_EQ(english(DriveList::speedLines(drives[2])), (std::vector<std::string>{"(fixed speed)"}));
    EXPECT_TRUE(DriveList::offered(table, VARDA_API_VERSION_MIN_DRIVES).empty());
    EXPECT_TRUE(DriveList::offered(nullptr, VARDA_API_VERSION).empty());
}

} // namespace
} // namespace quillon
