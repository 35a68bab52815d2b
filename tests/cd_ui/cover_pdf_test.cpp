// The cover program's PDF, read back with poppler's tools.
#include "cover_document.h"
#include "cover_painter.h"
#include "base/settings_store.h"
#include "base_qt/qsettings_store.h"
#include "support/temp_dir.h"
#include <gtest/gtest.h>
#include <array>
#include <regex>
#include <cstdio>
#include <fstream>
#include <string>

namespace quillon::test {
namespace {

std::string output(const std::string& command)
{
    std::string text;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return text;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0;)
        text.append(buffer.data(), n);
    pclose(p);
    return text;
}

TEST(CoverPdfTest, FrontAndBackPagesCarryTheTrackList)
{
    if (output("command -v pdftotext").empty() || output("command -v pdfinfo").empty())
        GTEST_SKIP() << "poppler-utils is not installed";
    CoverDocument cover;
    ASSERT_TRUE(cover.parse("[PARAMETERS]\r\nLANGUAGE=\r\n\r\n[CDINFO]\r\nType=Audio-CD\r\nTitle=Summer Mix\r\n"
                            "Artist=The Band\r\nTracks=2\r\nPlaytime=2:05\r\n\r\n[Track1]\r\nType=Audio\r\n"
                            "Artist=Alice\r\nTitle=Opening\r\nPlaytime=1:01\r\n\r\n[Track2]\r\nType=Audio\r\n"
                            "Artist=\r\nTitle=Closing\r\nPlaytime=1:04\r\n"));
    ASSERT_EQ(cover.tracks.size(), 2);
    TempDir dir;
    const std::string pdf = dir.file("cover.pdf");
    ASSERT_TRUE(CoverPainter::writePdf(cover, QString::fromStdString(pdf)));
    const std::string info = output("pdfinfo " + pdf);
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Pages:\s+2\n)"))) << info;
    const std::string front = output("pdftotext -f 1 -l 1 " + pdf + " -");
    EXPECT_NE(front.find("Summer Mix"), std::string::npos) << front;
    EXPECT_NE(front.find("The Band"), std::string::npos) << front;
    const std::string back = output("pdftotext -f 2 -l 2 " + pdf + " -");
    for (const char* text : {"1. Opening - Alice", "1:01", "2. Closing", "1:04", "Total 2:05"})
        EXPECT_NE(back.find(text), std::string::npos) << text << "\n" << back;
    EXPECT_FALSE(cover.parse("not a hand-off file"));
}

// The cover program loads the program's language pack by the same setting: with German
// chosen, its printed words are German.
TEST(CoverPdfTest, TheCoverProgramPrintsInTheLanguageOfThePack)
{
    if (output("command -v pdftotext").empty())
        GTEST_SKIP() << "poppler-utils is not installed";
    TempDir dir;
    const std::string user = dir.file("user");
    const std::string system = dir.file("system");
    {
        QSettingsStore settings(user, system);
        ASSERT_TRUE(settings.writeProfileString("General", "Language", "deu"));
        settings.sync();
    }
    const std::string handOff = dir.file("varda.cdc");
    std::ofstream(handOff) << "[PARAMETERS]\r\nLANGUAGE=\r\n\r\n[CDINFO]\r\nType=Audio-CD\r\nTitle=\r\nArtist=\r\n"
                              "Tracks=2\r\nPlaytime=2:05\r\n\r\n[Track1]\r\nType=Audio\r\nArtist=Alice\r\n"
                              "Title=Opening\r\nPlaytime=1:01\r\n\r\n[Track2]\r\nType=Audio\r\nArtist=\r\nTitle=\r\n"
                              "Playtime=1:04\r\n";
    const std::string pdf = dir.file("cover.pdf");
    const std::string run = "QT_QPA_PLATFORM=offscreen QUILLON_USER_CONFIG_DIR=" + user +
                            " QUILLON_SYSTEM_CONFIG_DIR=" + system + " " QUILLON_COVER_PROGRAM " " + handOff +
                            " --pdf " + pdf + " && echo written";
    const std::string ran = output(run);
    ASSERT_NE(ran.find("written"), std::string::npos) << ran;
    const std::string front = output("pdftotext -f 1 -l 1 " + pdf + " -");
    EXPECT_NE(front.find("Audio-CD"), std::string::npos) << front;
    const std::string back = output("pdftotext -f 2 -l 2 " + pdf + " -");
    for (const char* text : {"1. Opening - Alice", "2. Titel 2", "Gesamt 2:05"})
        EXPECT_NE(back.find(text), std::string::npos) << text << "\n" << back;
    EXPECT_EQ(back.find("Total"), std::string::npos) << back;
}

} // namespace
} // namespace quillon::test
