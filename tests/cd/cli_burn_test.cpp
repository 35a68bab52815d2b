// quillon-cli's drive table and burn command, in-process.
#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "cli/cli_app.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace quillon::test {
namespace {

class CliBurnTest : public ::testing::Test {
protected:
    CliBurnTest()
        : config("QUILLON_USER_CONFIG_DIR", tmp.file("config")), peaks("QUILLON_PEAK_DIR", tmp.path().string())
    {
        std::filesystem::create_directories(tmp.file("work"));
        FolderSettings(settings).store(kFolderTemporary, tmp.file("work"));
    }
    int run(const std::vector<std::string>& args)
    {
        out.str({});
        err.str({});
        CliApp app(settings, out, err);
        return app.run(args);
    }
    std::string tone(const std::string& name, double seconds, int rate)
    {
        TestTone t;
        t.rate = rate;
        t.frames = int64_t(seconds * rate);
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, t.interleaved(0, t.frames)));
        return path;
    }

    TempDir tmp;
    ScopedEnv config;
    ScopedEnv peaks;
    MemorySettingsStore settings;
    std::ostringstream out, err;
};

TEST_F(CliBurnTest, DrivesListsTheImageRecorder)
{
    ASSERT_EQ(run({"drives"}), 0) << err.str();
    EXPECT_NE(out.str().find("Image Recorder"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("(fixed speed)"), std::string::npos) << out.str();
}

TEST_F(CliBurnTest, BurnsAnImageOfTheCdTracksTheProgramWouldShow)
{
    const std::string project = tmp.file("p.vpf");
    ASSERT_EQ(run({"new", project, "--rate", "48000"}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("a.wav", 5, 48000)}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("b.wav", 6, 48000), "--at", std::to_string(8 * 48000)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--auto", "--title", "2=Été"}), 0) << err.str();
    const std::string image = tmp.file("out.cue");
    ASSERT_EQ(run({"burn", project, "--image", image, "--normalize", "global", "--level", "-1"}), 0) << err.str();
    EXPECT_NE(out.str().find("Image written"), std::string::npos);
    // 5 s + 3 s of pause + 6 s at 44100 Hz, whole blocks.
    EXPECT_EQ(std::filesystem::file_size(tmp.file("out.bin")), uint64_t(14 * 75) * 2352);
    std::ifstream cue(image);
    const std::string text((std::istreambuf_iterator<char>(cue)), {});
    EXPECT_NE(text.find("INDEX 00 00:05:00\n    INDEX 01 00:08:00"), std::string::npos) << text;
    EXPECT_NE(text.find("TITLE \"\xC9t\xE9\""), std::string::npos) << text; // ISO-8859-1
    EXPECT_TRUE(std::filesystem::exists(tmp.file("out.toc")));
}

TEST_F(CliBurnTest, IsrcAndCatalogueNumberGoFromTheProjectIntoTheImage)
{
    const std::string project = tmp.file("codes.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("a.wav", 5, 44100)}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("b.wav", 5, 44100), "--at", std::to_string(7 * 44100)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--auto", "--isrc", "2=gb-aye-06-01498", "--catalog", "0724384960650"}), 0)
        << err.str();
    EXPECT_NE(out.str().find("catalogue number 0724384960650"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("ISRC GBAYE0601498"), std::string::npos) << out.str();
    // Codes that are none are refused and the project stays as it was.
    EXPECT_EQ(run({"cd-tracks", project, "--isrc", "1=GBAYE06014"}), 1);
    EXPECT_NE(err.str().find("is no ISRC"), std::string::npos) << err.str();
    EXPECT_EQ(run({"cd-tracks", project, "--catalog", "12345"}), 1);
    EXPECT_EQ(run({"cd-tracks", project, "--isrc", "3=GBAYE0601498"}), 1);

    ASSERT_EQ(run({"burn", project, "--image", tmp.file("codes.cue")}), 0) << err.str();
    std::ifstream cue(tmp.file("codes.cue"));
    const std::string text((std::istreambuf_iterator<char>(cue)), {});
    EXPECT_EQ(text.rfind("CATALOG 0724384960650\n", 0), 0u) << text;
    EXPECT_NE(text.find("  TRACK 02 AUDIO\n    ISRC GBAYE0601498\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("TRACK 01 AUDIO\n    ISRC"), std::string::npos) << text;
    std::ifstream toc(tmp.file("codes.toc"));
    const std::string tocText((std::istreambuf_iterator<char>(toc)), {});
    EXPECT_NE(tocText.find("CATALOG \"0724384960650\""), std::string::npos) << tocText;

    // An empty code takes the ISRC away again.
    ASSERT_EQ(run({"cd-tracks", project, "--isrc", "2="}), 0) << err.str();
    EXPECT_EQ(out.str().find("ISRC"), std::string::npos) << out.str();
}

TEST_F(CliBurnTest, ExportCueAndImportCueRebuildTheCdTracks)
{
    const std::string project = tmp.file("mix.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("a.wav", 5, 44100)}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("b.wav", 5, 44100), "--at", std::to_string(7 * 44100)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--auto", "--title", "2=Été", "--isrc", "1=USS1Z9900001"}), 0) << err.str();
    const std::string listed = out.str();
    ASSERT_EQ(run({"export-cue", project, tmp.file("mix.flac"), "--embed"}), 0) << err.str();
    EXPECT_FALSE(std::filesystem::exists(tmp.file("mix.cue")));
    ASSERT_EQ(run({"import-cue", tmp.file("mix.flac"), tmp.file("back.vpf")}), 0) << err.str();
    EXPECT_NE(out.str().find("Imported 2 CD track(s)"), std::string::npos) << out.str();
    // The imported project lists the same CD tracks, pauses, texts and codes.
    ASSERT_EQ(run({"cd-tracks", tmp.file("back.vpf")}), 0) << err.str();
    EXPECT_EQ(out.str(), listed);
    EXPECT_EQ(run({"export-cue", project}), 2);
    EXPECT_EQ(run({"import-cue", tmp.file("none.cue"), tmp.file("x.vpf")}), 1);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("x.vpf")));
}

TEST_F(CliBurnTest, AProjectThatBreaksTheRulesExitsWithItsMessage)
{
    const std::string project = tmp.file("short.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("s.wav", 3, 44100)}), 0) << err.str();
    EXPECT_EQ(run({"burn", project, "--image", tmp.file("short.cue")}), 1);
    EXPECT_NE(err.str().find("shorter than 4 seconds"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(tmp.file("short.cue")));
    EXPECT_EQ(run({"burn", project}), 2);
    EXPECT_EQ(run({"burn", project, "--image", "x.cue", "--normalize", "loud"}), 2);
}

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

TEST_F(CliBurnTest, CoverWritesTheHandOffFile)
{
    const std::string project = tmp.file("c.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("a.wav", 5, 44100)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--title", "1=Intro", "--disc-title", "Demo"}), 0) << err.str();
    ASSERT_EQ(run({"cover", project, tmp.file("out.cdc")}), 0) << err.str();
    std::ifstream in(tmp.file("out.cdc"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(bytes.find("Title=Demo\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Track1]\r\nType=Audio\r\nArtist=\r\nTitle=Intro\r\nPlaytime=0:05\r\n"), std::string::npos)
        << bytes;
}

TEST_F(CliBurnTest, CoverLaysTheCoverOutAsAPdfThroughTheCoverProgram)
{
    // No screen: the cover program still writes its PDF.
    ScopedEnv noDisplay("DISPLAY", ""), noWayland("WAYLAND_DISPLAY", ""), noPlatform("QT_QPA_PLATFORM", "");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    const std::string project = tmp.file("c.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, tone("a.wav", 5, 44100)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--title", "1=Intro Piece", "--disc-title", "Demo Disc"}), 0) << err.str();
    const std::string pdf = tmp.file("cover.pdf");
    ASSERT_EQ(run({"cover", project, tmp.file("out.cdc"), "--pdf", pdf}), 0) << err.str();
    std::string text;
    if (FILE* p = popen(("pdfinfo '" + pdf + "' && pdftotext -f 2 -l 2 '" + pdf + "' -").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            text.append(buffer, n);
        pclose(p);
    }
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(Pages:\s+2\n)"))) << text;
    EXPECT_NE(text.find("1. Intro Piece"), std::string::npos) << text;

    // A PDF that cannot be written fails the command with the reason.
    EXPECT_EQ(run({"cover", project, tmp.file("out.cdc"), "--pdf", tmp.file("no/such/folder/x.pdf")}), 1);
    EXPECT_NE(err.str().find("could not be written"), std::string::npos) << err.str();
}

} // namespace
} // namespace quillon::test

#include "engine/loudness_meter.h"
#include <regex>

namespace quillon::test {
namespace {

std::vector<double> jsonNumbers(const std::string& text, const std::string& key)
{
    std::vector<double> found;
    const std::regex pattern("\"" + key + "\": (-?[0-9.]+)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back(std::stod((*it)[1]));
    return found;
}

// Two 1 kHz sines, -23 and -33 dBFS, in a 48 kHz project: measured as the disc will
// hold them, then burned with each track matched to -14 LUFS.
TEST_F(CliBurnTest, LoudnessIsMeasuredAndMatchedPerCdTrack)
{
    const std::string project = tmp.file("l.vpf");
    ASSERT_EQ(run({"new", project, "--rate", "48000"}), 0) << err.str();
    auto sine = [&](const std::string& name, double db) {
        std::vector<float> frames(size_t(8 * 48000) * 2);
        for (size_t f = 0; f < frames.size() / 2; ++f)
            frames[2 * f] = frames[2 * f + 1] =
                float(std::pow(10.0, db / 20.0) * std::sin(2.0 * M_PI * 1000.0 * double(f) / 48000.0));
        EXPECT_TRUE(writeAudio(tmp.file(name), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, frames));
        return tmp.file(name);
    };
    ASSERT_EQ(run({"add", project, sine("a.wav", -23.0)}), 0) << err.str();
    ASSERT_EQ(run({"add", project, sine("b.wav", -33.0), "--at", std::to_string(10 * 48000)}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--auto"}), 0) << err.str();
    ASSERT_EQ(run({"loudness", project, "--json"}), 0) << err.str();
    const std::vector<double> lufs = jsonNumbers(out.str(), "integrated_lufs");
    const std::vector<double> peaks = jsonNumbers(out.str(), "true_peak_dbtp");
    ASSERT_EQ(lufs.size(), 3u) << out.str(); // the album first, then each track
    ASSERT_EQ(peaks.size(), 3u) << out.str();
    EXPECT_NEAR(lufs[1], -23.0, 0.1);
    EXPECT_NEAR(lufs[2], -33.0, 0.1);
    EXPECT_GT(lufs[0], -27.0); // the louder track dominates the disc
    EXPECT_LT(lufs[0], -23.0);
    EXPECT_NEAR(peaks[0], -23.0, 0.2);

    ASSERT_EQ(run({"burn", project, "--image", tmp.file("l.cue"), "--normalize", "track-loudness"}), 0) << err.str();
    for (int n = 1; n <= 2; ++n) {
        SF_INFO info{};
        const std::vector<float> frames = readAudio(tmp.file("work/track" + std::to_string(n) + ".wav"), &info);
        ASSERT_EQ(info.samplerate, 44100);
        LoudnessMeter meter(2, 44100);
        meter.addFrames(frames.data(), int64_t(frames.size() / 2));
        EXPECT_NEAR(meter.reading().integratedLufs, -14.0, 0.5) << n;
        EXPECT_LE(meter.reading().truePeakDbtp, -1.0) << n;
    }
    EXPECT_EQ(run({"burn", project, "--image", tmp.file("m.cue"), "--normalize", "album-loudness", "--target", "-9"}), 0)
        << err.str();
    // The louder track at -9 LUFS would peak near -9 dBTP; fine. Nothing was lowered.
    EXPECT_EQ(err.str().find("lowered"), std::string::npos) << err.str();
}

} // namespace
} // namespace quillon::test
