// The command-line tool on real generated files, in-process and through the binary.

#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "cli/cli_app.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quillon;
using quillon::test::TempDir;

namespace {

class CliTest : public ::testing::Test {
protected:
    // Runs one command in a fresh tool, as separate invocations of the binary would.
    int run(const std::vector<std::string>& args)
    {
        out.str({});
        err.str({});
        CliApp app(settings, out, err);
        return app.run(args);
    }

    std::string tone(const std::string& name, double frequency, double seconds, int rate = 44100)
    {
        const int64_t frames = int64_t(seconds * rate);
        std::vector<float> data(size_t(frames) * 2);
        for (int64_t f = 0; f < frames; ++f)
            data[size_t(f) * 2] = data[size_t(f) * 2 + 1] = float(0.3 * std::sin(2 * M_PI * frequency * f / rate));
        const std::string path = tmp.file(name);
        EXPECT_TRUE(test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, data));
        return path;
    }

    std::string bytesOf(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    TempDir tmp;
    MemorySettingsStore settings;
    std::ostringstream out, err;
};

} // namespace

TEST_F(CliTest, BuildsAProjectAddsFilesSplitsAndRenders)
{
    const std::string project = tmp.file("p.vpf");
    ASSERT_EQ(run({"new", project, "--tracks", "2", "--rate", "48000"}), 0) << err.str();
    const std::string a = tone("a.wav", 440, 2.0), b = tone("b.wav", 660, 2.0);
    // A playlist with a relative entry, next to the files it names.
    std::ofstream(tmp.file("list.m3u")) << "#EXTM3U\nb.wav\n";
    ASSERT_EQ(run({"add", project, a, tmp.file("list.m3u"), "--crossfade", "0.5", "--track", "1"}), 0) << err.str();
    ASSERT_EQ(run({"cd-tracks", project, "--auto", "--pause", "1", "--title", "1=Intro", "--disc-title", "Demo"}), 0)
        << err.str();

    ASSERT_EQ(run({"info", project, "--json"}), 0) << err.str();
    const std::string json = out.str();
    EXPECT_NE(json.find("\"sample_rate\": 48000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"title\": \"Demo\""), std::string::npos);
    EXPECT_NE(json.find("\"title\": \"Intro\""), std::string::npos);
    EXPECT_NE(json.find(a), std::string::npos);
    EXPECT_NE(json.find(b), std::string::npos);
    // One second of lead-in, then a at 48 kHz, b overlapping it by half a second.
    EXPECT_NE(json.find("\"start\": 48000, \"end\": 144000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"start\": 120000, \"end\": 216000"), std::string::npos) << json;

    const std::string mix = tmp.file("mix.flac");
    ASSERT_EQ(run({"render", project, mix}), 0) << err.str();
    SF_INFO info{};
    const std::vector<float> frames = test::readAudio(mix, &info);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.channels, 2);
    // Whole 50 ms blocks up to the project end.
    EXPECT_GE(int64_t(frames.size() / 2), 216000);
    EXPECT_LT(int64_t(frames.size() / 2), 216000 + 2400);
    // The lead-in is silent, the clip is not.
    EXPECT_EQ(frames[1000], 0.0f);
    float loudest = 0;
    for (size_t i = 48000 * 2; i < 100000 * 2; ++i)
        loudest = std::max(loudest, std::fabs(frames[i]));
    EXPECT_NEAR(loudest, 0.3f, 0.01f);

    std::filesystem::create_directory(tmp.file("out"));
    ASSERT_EQ(run({"export-tracks", project, tmp.file("out")}), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(tmp.file("out/Intro.wav")));
}

TEST_F(CliTest, BadInputLeavesTheProjectAlone)
{
    const std::string project = tmp.file("p.vpf");
    ASSERT_EQ(run({"new", project}), 0);
    const std::string before = bytesOf(project);

    EXPECT_EQ(run({"info", tmp.file("missing.vpf")}), 1);
    EXPECT_NE(err.str().find("missing.vpf"), std::string::npos);

    std::ofstream(tmp.file("corrupt.vpf")) << "not a project at all";
    EXPECT_EQ(run({"info", tmp.file("corrupt.vpf")}), 1);
    EXPECT_NE(err.str().find("Unexpected file format."), std::string::npos) << err.str();

    EXPECT_EQ(run({"add", project, tmp.file("p.vpf"), "--bogus"}), 2);
    EXPECT_NE(err.str().find("unknown option '--bogus'"), std::string::npos);

    std::ofstream(tmp.file("text.wav")) << "RIFF? no, just text";
    EXPECT_EQ(run({"add", project, tmp.file("text.wav")}), 1);
    EXPECT_NE(err.str().find("text.wav"), std::string::npos);

    EXPECT_EQ(run({"add", project, tone("a.wav", 440, 0.5), "--track", "7"}), 1);
    EXPECT_EQ(run({"cd-tracks", project, "--title", "9=Nope"}), 1);
    EXPECT_EQ(run({"render", project, tmp.file("x.wav"), "--from", "10", "--to", "5"}), 1);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("x.wav")));
    EXPECT_EQ(run({"frobnicate"}), 2);

    EXPECT_EQ(bytesOf(project), before);
}

TEST_F(CliTest, TheBinaryRunsAndExitsWithTheRightStatus)
{
    const std::string cli = QUILLON_CLI_BINARY;
    EXPECT_EQ(std::system((cli + " --help > /dev/null").c_str()), 0);
    const std::string env = "QUILLON_USER_CONFIG_DIR=" + tmp.file("cfg") + " QUILLON_SYSTEM_CONFIG_DIR=" +
                            tmp.file("sys") + " ";
    EXPECT_EQ(std::system((env + cli + " new " + tmp.file("b.vpf") + " > /dev/null").c_str()), 0);
    const int status = std::system((env + cli + " info " + tmp.file("nothing.vpf") + " 2> /dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST_F(CliTest, RenderReportsThePeakAndCountsClippedSamplesAfterEndingTheProgressLine)
{
    // Float sources keep samples past full scale: 100 frames at 1.25, one at exactly -1.0.
    std::vector<float> loud(44100 * 2, 0.25f);
    std::fill(loud.begin(), loud.begin() + 200, 1.25f);
    loud[200] = loud[201] = -1.0f;
    ASSERT_TRUE(test::writeAudio(tmp.file("loud.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, loud));
    struct Row {
        std::string source;
        std::string peak;
        std::string warning;
    };
    for (const Row& row : {Row{tone("quiet.wav", 440, 1.0), "Peak: -10.46 dBFS\n", ""},
                           Row{tmp.file("loud.wav"), "Peak: 1.94 dBFS\n", "202 sample(s) at or above full scale"}}) {
        const std::string project = tmp.file("p.vpf");
        ASSERT_EQ(run({"new", project}), 0) << err.str();
        ASSERT_EQ(run({"add", project, row.source}), 0) << err.str();
        // One stream for both, as on a terminal.
        std::ostringstream both;
        CliApp app(settings, both, both);
        ASSERT_EQ(app.run({"render", project, tmp.file("mix.wav")}), 0) << both.str();
        const std::string text = both.str();
        EXPECT_NE(text.find(row.peak), std::string::npos) << text;
        EXPECT_TRUE(text.rfind("Rendered", 0) == 0 || text.find("\nRendered") != std::string::npos) << text;
        EXPECT_EQ(text.find("warning") != std::string::npos, !row.warning.empty()) << text;
        if (!row.warning.empty()) {
            EXPECT_NE(text.find(row.warning), std::string::npos) << text;
        }
    }
}

TEST_F(CliTest, TextFromTheProjectReachesTheTerminalEscaped)
{
    const std::string project = tmp.file("p.vpf");
    ASSERT_EQ(run({"new", project}), 0);
    ASSERT_EQ(run({"cd-tracks", project, "--disc-title", "Mix\x1b[2J"}), 0) << err.str();
    ASSERT_EQ(run({"info", project}), 0) << err.str();
    EXPECT_NE(out.str().find("Title: Mix\\x1b[2J\n"), std::string::npos) << out.str();
    EXPECT_EQ(run({"info", tmp.file("gone\x07\xff.vpf")}), 1);
    EXPECT_NE(err.str().find("gone\\x07\\xff.vpf"), std::string::npos) << err.str();
}

TEST_F(CliTest, EffectChainsAndPresetsAreScriptable)
{
    FolderSettings(settings).store(kFolderPresets, tmp.file("presets"));
    const std::string project = tmp.file("fx.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"effects"}), 0) << err.str();
    EXPECT_NE(out.str().find("Gain and Balance ["), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("0: Gain -40..24 dB"), std::string::npos) << out.str();

    ASSERT_EQ(run({"effect", project, "--track", "0", "--add", "Gain and Balance", "--param", "0=-6"}), 0) << err.str();
    ASSERT_EQ(run({"preset", "Gain and Balance", "--save", "Quieter", "--from", project, "--track", "0", "--index", "0"}),
              0)
        << err.str();
    ASSERT_EQ(run({"preset", "gain and balance", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("1 preset(s)"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  Quieter\n"), std::string::npos);

    // The preset carries the setting to another chain.
    ASSERT_EQ(run({"effect", project, "--master", "--add", "Gain and Balance", "--preset", "Quieter"}), 0) << err.str();
    ASSERT_EQ(run({"effect", project, "--master", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("0: Gain and Balance"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("0 Gain = -6"), std::string::npos) << out.str();

    ASSERT_EQ(run({"effect", project, "--track", "0", "--remove", "0"}), 0) << err.str();
    ASSERT_EQ(run({"effect", project, "--track", "0", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("0 effect(s)"), std::string::npos) << out.str();
    ASSERT_EQ(run({"preset", "Gain and Balance", "--delete", "Quieter"}), 0) << err.str();
    ASSERT_EQ(run({"preset", "Gain and Balance", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("0 preset(s)"), std::string::npos);

    // The restoration effects are set the same way.
    ASSERT_EQ(run({"effect", project, "--track", "0", "--add", "Click Reduction", "--param", "0=1"}), 0) << err.str();
    ASSERT_EQ(run({"effect", project, "--track", "0", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("0: Click Reduction"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("0 Declick = 1"), std::string::npos) << out.str();

    // Bad input changes nothing.
    const std::string before = bytesOf(project);
    EXPECT_EQ(run({"effect", project, "--track", "0", "--add", "Gain and Balance", "--param", "0=99"}), 1);
    EXPECT_NE(err.str().find("-40"), std::string::npos) << err.str();
    EXPECT_EQ(run({"effect", project, "--track", "0", "--add", "Gain and Balance", "--preset", "Gone"}), 1);
    EXPECT_EQ(run({"effect", project, "--track", "5", "--list"}), 1);
    EXPECT_EQ(run({"effect", project, "--track", "0", "--master", "--list"}), 2);
    EXPECT_EQ(run({"effect", project, "--track", "0", "--add", "No Such Effect"}), 1);
    EXPECT_EQ(bytesOf(project), before);
}

// Moved sources are found by name and size: the relinked project renders the very
// samples it rendered before the move. A file of the same name but another size is no match.
TEST_F(CliTest, RelinkFindsMovedFilesAndTheMixStaysTheSame)
{
    namespace fs = std::filesystem;
    fs::create_directories(tmp.file("media/sub"));
    const std::string a = tone("media/a.wav", 440, 1.5), b = tone("media/sub/b.wav", 660, 1.0);
    const std::string project = tmp.file("r.vpf");
    ASSERT_EQ(run({"new", project}), 0) << err.str();
    ASSERT_EQ(run({"add", project, a, b}), 0) << err.str();
    ASSERT_EQ(run({"render", project, tmp.file("before.wav")}), 0) << err.str();

    fs::create_directories(tmp.file("moved/x"));
    fs::create_directories(tmp.file("moved/decoy"));
    tone("moved/decoy/a.wav", 440, 1.0); // same name, another size, sorted first
    fs::rename(tmp.file("media/a.wav"), tmp.file("moved/x/a.wav"));
    fs::rename(tmp.file("media/sub/b.wav"), tmp.file("moved/b.wav"));
    EXPECT_EQ(run({"render", project, tmp.file("broken.wav")}), 1);
    EXPECT_NE(err.str().find("a.wav"), std::string::npos) << err.str();

    ASSERT_EQ(run({"relink", project, "--search", tmp.file("moved")}), 0) << err.str();
    EXPECT_NE(out.str().find(tmp.file("moved/x/a.wav")), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("decoy"), std::string::npos) << out.str();
    ASSERT_EQ(run({"render", project, tmp.file("after.wav")}), 0) << err.str();
    SF_INFO i1{}, i2{};
    const std::vector<float> before = test::readAudio(tmp.file("before.wav"), &i1);
    const std::vector<float> after = test::readAudio(tmp.file("after.wav"), &i2);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before, after);

    // A file found nowhere: named, and the project is left as it was.
    fs::remove(tmp.file("moved/b.wav"));
    fs::rename(tmp.file("moved/x/a.wav"), tmp.file("a.wav"));
    const std::string saved = bytesOf(project);
    EXPECT_EQ(run({"relink", project, "--search", tmp.file("moved")}), 1);
    EXPECT_NE(err.str().find("not found: " + tmp.file("moved/b.wav")), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("not found: " + tmp.file("moved/x/a.wav")), std::string::npos) << err.str();
    EXPECT_EQ(bytesOf(project), saved);
}
