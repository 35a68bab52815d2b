#include "model/playlist_reader.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quillon::test {
namespace {

using Kind = PlaylistReader::Kind;
using Entries = std::vector<std::string>;

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(PlaylistReader, KindComesFromTheExtensionInAnyCase)
{
    EXPECT_EQ(PlaylistReader::kindOf("/a/list.PLS"), Kind::Pls);
    EXPECT_EQ(PlaylistReader::kindOf("list.pls"), Kind::Pls);
    EXPECT_EQ(PlaylistReader::kindOf("x.M3u"), Kind::M3u);
    EXPECT_EQ(PlaylistReader::kindOf("x.m3u8"), Kind::M3u);
    EXPECT_EQ(PlaylistReader::kindOf("song.wav"), Kind::None);
    EXPECT_EQ(PlaylistReader::kindOf("m3u"), Kind::None);
}

TEST(PlaylistReader, M3uEntriesAreLinesWithoutAHash)
{
    const std::string text = "\xEF\xBB\xBF#EXTM3U\r\n"
                             "#EXTINF:123,Artist - Title\r\n"
                             "  first.wav  \r\n"
                             "\r\n"
                             "music/second track.flac\n"
                             "take#2.wav\n"
                             "/abs/third.ogg";
    EXPECT_EQ(PlaylistReader::parse(text, Kind::M3u),
              (Entries{"first.wav", "music/second track.flac", "/abs/third.ogg"}));
}

TEST(PlaylistReader, PlsEntriesAreTheTextAfterTheLastEquals)
{
    const std::string text = "[playlist]\n"
                             "File1=/music/a.wav\n"
                             "Title1=A\n"
                             "FILE2 = b=c.wav \n"
                             "file3=\n"
                             "NumberOfEntries=3\n"
                             "fileX\n"
                             "Version=2\n";
    EXPECT_EQ(PlaylistReader::parse(text, Kind::Pls), (Entries{"/music/a.wav", "c.wav"}));
}

TEST(PlaylistReader, RelativeEntriesAndFileUrlsBecomeUsablePaths)
{
    EXPECT_EQ(PlaylistReader::resolve("a.wav", "/lists"), "/lists/a.wav");
    EXPECT_EQ(PlaylistReader::resolve("../music/a.wav", "/lists/mine"), "/lists/music/a.wav");
    EXPECT_EQ(PlaylistReader::resolve("/abs/a.wav", "/lists"), "/abs/a.wav");
    EXPECT_EQ(PlaylistReader::resolve("file:///music/My%20Song.wav", "/lists"), "/music/My Song.wav");
    EXPECT_EQ(PlaylistReader::resolve("FILE://localhost/music/a%2.wav", "/lists"), "/music/a%2.wav");
    EXPECT_EQ(PlaylistReader::resolve("file:/music/a.wav", "/lists"), "/music/a.wav");
}

TEST(PlaylistReader, ExpandReplacesPlaylistsByTheirEntriesInOrder)
{
    TempDir tmp;
    std::filesystem::create_directories(tmp.path() / "lists");
    const std::string m3u = tmp.file("lists/one.m3u8");
    writeText(m3u, "#EXTM3U\nx.wav\nsub/y.wav\n");
    const std::string pls = tmp.file("lists/TWO.PLS");
    writeText(pls, "[playlist]\nFile1=file:///z.wav\nFile2=../w.wav\n");
    const std::string lists = (tmp.path() / "lists").string();

    const Entries expanded =
        PlaylistReader::expand({"/plain.wav", m3u, tmp.file("lists/missing.m3u"), pls, "relative.wav"});
    EXPECT_EQ(expanded, (Entries{"/plain.wav", lists + "/x.wav", lists + "/sub/y.wav", "/z.wav",
                                 tmp.file("w.wav"), "relative.wav"}));
    EXPECT_FALSE(PlaylistReader::read(tmp.file("lists/missing.m3u")));
    EXPECT_FALSE(PlaylistReader::read(tmp.file("lists/x.wav")));
}

} // namespace
} // namespace quillon::test
