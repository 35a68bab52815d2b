#include "model/effect_preset_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace quillon;

namespace {

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(EffectPresetFile, RecordsKeepTheirLayoutAndLongNamesWhole)
{
    test::TempDir tmp;
    EffectPresetFile file;
    const std::string longName(254, 'n');
    file.put(longName, {1, 2, 3});
    file.put("Soft", {9});
    file.put(std::string(300, 'x'), {}); // cut to the field
    const std::string path = EffectPresetFile::pathFor(tmp.path().string(), "1a2b-0-ff-10");
    EXPECT_EQ(path, (tmp.path() / "1a2b-0-ff-10.pre").string());
    ASSERT_TRUE(file.write(path, {7, 7}));

    const std::vector<uint8_t> bytes = fileBytes(path);
    // "(last)" record, count, then records of 255 + 4 + S bytes each.
    ASSERT_EQ(bytes.size(), (255 + 4 + 2) + 4 + (255 + 4 + 3) + (255 + 4 + 1) + (255 + 4 + 0));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "(last)");
    EXPECT_EQ(bytes[255], 2);
    EXPECT_EQ(bytes[255 + 4 + 2], 3); // the preset count
    EXPECT_EQ(bytes[265 + 254], 0);    // the long name's NUL ends its field

    EffectPresetFile back;
    ASSERT_TRUE(back.read(path));
    ASSERT_EQ(back.presets().size(), 3u);
    EXPECT_EQ(back.presets()[0].name, longName);
    EXPECT_EQ(back.presets()[0].state, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(back.presets()[2].name, std::string(254, 'x'));
    EXPECT_EQ(back.lastState(), (std::vector<uint8_t>{7, 7}));
    // A preset of the same name takes the new state in its place.
    back.put("Soft", {4, 4});
    EXPECT_EQ(back.find("Soft")->state, (std::vector<uint8_t>{4, 4}));
    EXPECT_EQ(back.presets().size(), 3u);
    EXPECT_TRUE(back.remove("Soft"));
    EXPECT_FALSE(back.remove("Soft"));
}

TEST(EffectPresetFile, DamagedFilesAreRefusedAndFailedWritesKeepTheOldFile)
{
    test::TempDir tmp;
    const std::string path = (tmp.path() / "fx.pre").string();
    EffectPresetFile none;
    EXPECT_TRUE(none.read(path)); // no file: no presets
    EXPECT_TRUE(none.presets().empty());

    EffectPresetFile file;
    file.put("A", {1, 2, 3, 4});
    ASSERT_TRUE(file.write(path, {}));
    const std::vector<uint8_t> good = fileBytes(path);

    // A count and a size that run past the end of the file, and a "(last)" size that
    // leaves bytes no record holds.
    for (const auto& [offset, value] : {std::pair{259u, 200u}, {263u + 255u, 255u}, {255u, 99u}}) {
        std::vector<uint8_t> bad = good;
        bad[offset] = uint8_t(value);
        EffectPresetFile damaged;
        EXPECT_FALSE(damaged.parse(bad)) << offset;
        EXPECT_TRUE(damaged.presets().empty());
    }
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(EffectPresetFile().parse(cut));

    // The new file cannot be written: the presets on disk stay as they were.
    std::filesystem::create_directory(path + ".new");
    file.put("B", {5});
    EXPECT_FALSE(file.write(path, {}));
    EXPECT_EQ(fileBytes(path), good);
}
