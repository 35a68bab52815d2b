// An LV2 effect in a project: added with the tool, saved with the project, loaded again
// for the render, and heard in the rendered file.

#include "base/memory_settings_store.h"
#include "cli/cli_app.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace quillon;

namespace {

double rms(const std::vector<float>& frames, size_t channel, size_t from, size_t to)
{
    double sum = 0;
    for (size_t f = from; f < to; ++f)
        sum += double(frames[f * 2 + channel]) * frames[f * 2 + channel];
    return std::sqrt(sum / double(to - from));
}

} // namespace

TEST(Lv2InAProject, AmplifierSettingSurvivesSaveAndLoadAndActsOnBothChannels)
{
    test::TempDir tmp;
    MemorySettingsStore settings;
    std::ostringstream out, err;
    auto run = [&](const std::vector<std::string>& args) {
        out.str({});
        err.str({});
        CliApp app(settings, out, err);
        return app.run(args);
    };

    // Left and right differ, so a plug-in run on only one channel, or the channels swapped,
    // would show.
    test::TestTone tone;
    tone.frames = 44100 * 2;
    const std::string source = tmp.file("tone.wav");
    ASSERT_TRUE(test::writeTone(source, SF_FORMAT_WAV | SF_FORMAT_FLOAT, tone));
    const std::string project = tmp.file("lv2.vpf");
    ASSERT_EQ(run({"new", project, "--tracks", "1"}), 0) << err.str();
    ASSERT_EQ(run({"add", project, source, "--track", "0"}), 0) << err.str();
    const std::string dryFile = tmp.file("dry.wav");
    ASSERT_EQ(run({"render", project, dryFile}), 0) << err.str();

    ASSERT_EQ(run({"effect", project, "--track", "0", "--add", "Simple amplifier", "--param", "0=-9.5"}), 0)
        << err.str();
    ASSERT_EQ(run({"effect", project, "--track", "0", "--list"}), 0) << err.str();
    EXPECT_NE(out.str().find("0 Amps gain (dB) = -9.5"), std::string::npos) << out.str();
    const std::string wetFile = tmp.file("wet.wav");
    ASSERT_EQ(run({"render", project, wetFile}), 0) << err.str();

    const std::vector<float> dry = test::readAudio(dryFile), wet = test::readAudio(wetFile);
    ASSERT_EQ(dry.size(), wet.size());
    // The middle of the clip, clear of its edges.
    const size_t from = 22050, to = 66150;
    ASSERT_LT(to * 2, dry.size());
    for (size_t ch = 0; ch < 2; ++ch) {
        ASSERT_GT(rms(dry, ch, from, to), 0.1) << ch;
        EXPECT_NEAR(20 * std::log10(rms(wet, ch, from, to) / rms(dry, ch, from, to)), -9.5, 0.05) << "channel " << ch;
    }
}
