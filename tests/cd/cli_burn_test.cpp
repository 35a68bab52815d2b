// quillon-cli's drive table and burn command, in-process.
#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "cli/cli_app.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
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
