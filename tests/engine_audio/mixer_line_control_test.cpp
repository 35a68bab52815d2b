// The mixer layer on ALSA controls. Without hardware the controls come from a test
// control plug-in that keeps them in a text file, which the tests set up and read back.

#include "alsa_test_setup.h"

#include "engine/mixer_line_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace quillon {
namespace {

using test::AlsaTestSetup;

// One control line of the state file: kind, name and the remaining fields.
struct ControlLine {
    std::string kind;
    std::vector<std::string> fields;
};

std::map<std::string, ControlLine> readControls(const std::string& path)
{
    std::map<std::string, ControlLine> controls;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> parts;
        std::stringstream s(line);
        for (std::string part; std::getline(s, part, '\t');)
            parts.push_back(part);
        if (parts.size() >= 2)
            controls[parts[1]] = {parts[0], std::vector<std::string>(parts.begin() + 2, parts.end())};
    }
    return controls;
}

class MixerLineControlTest : public ::testing::Test {
protected:
    void SetUp() override { m_options = AlsaTestSetup::defaults(); }

    std::string useMixer(const std::string& controls)
    {
        m_options.mixerState = AlsaTestSetup::file("mixer") + ".txt";
        std::ofstream(m_options.mixerState) << controls;
        AlsaTestSetup::configure(m_options);
        return m_options.mixerState;
    }

    test::AlsaDeviceOptions m_options;
};

// A card like the old AC'97 ones: a multiplexer over three lines, capture volumes for two.
constexpr const char* kCardWithMultiplexer = "enum\tCapture Source\t0\tMic\tLine\tCD\n"
                                             "int\tMic Capture Volume\t0\t31\t7\t7\n"
                                             "int\tLine Capture Volume\t-10\t90\t0\t0\n"
                                             "int\tCapture Volume\t0\t63\t10\t10\n"
                                             "int\tMaster Playback Volume\t0\t31\t20\t20\n";

TEST_F(MixerLineControlTest, WithoutAMixerEverythingIsFalse)
{
    AlsaTestSetup::configure(m_options);
    MixerLineControl mixer;
    EXPECT_FALSE(mixer.open(-1));
    EXPECT_FALSE(mixer.openControl("default"));
    EXPECT_FALSE(mixer.isOpen());
    std::vector<std::string> sources{"stale"};
    EXPECT_FALSE(mixer.listSources(sources));
    EXPECT_TRUE(sources.empty());
    EXPECT_FALSE(mixer.selectSource(0));
    EXPECT_FALSE(mixer.setSourceVolume(0, 0.5));
}

TEST_F(MixerLineControlTest, SourcesAreTheMultiplexerItemsInReverse)
{
    useMixer(kCardWithMultiplexer);
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.open(-1)) << "the default input's mixer";
    std::vector<std::string> sources;
    ASSERT_TRUE(mixer.listSources(sources));
    EXPECT_EQ(sources, (std::vector<std::string>{"CD", "Line", "Mic"}));
}

TEST_F(MixerLineControlTest, SelectingASourceSetsTheReversedItem)
{
    const std::string state = useMixer(kCardWithMultiplexer);
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.openControl("default"));
    ASSERT_TRUE(mixer.selectSource(0));
    EXPECT_EQ(readControls(state)["Capture Source"].fields[0], "2") << "source 0 of three items is item 2";
    ASSERT_TRUE(mixer.selectSource(2));
    EXPECT_EQ(readControls(state)["Capture Source"].fields[0], "0");
    ASSERT_TRUE(mixer.selectSource(1));
    EXPECT_EQ(readControls(state)["Capture Source"].fields[0], "1");

    EXPECT_FALSE(mixer.selectSource(3));
    EXPECT_FALSE(mixer.selectSource(-1));
    EXPECT_EQ(readControls(state)["Capture Source"].fields[0], "1") << "unchanged";
}

TEST_F(MixerLineControlTest, SourceVolumeSpansTheControlRange)
{
    const std::string state = useMixer(kCardWithMultiplexer);
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.openControl("default"));
    // Sources: 0 CD, 1 Line, 2 Mic.
    ASSERT_TRUE(mixer.setSourceVolume(2, 0.5));
    EXPECT_EQ(readControls(state)["Mic Capture Volume"].fields, (std::vector<std::string>{"0", "31", "15", "15"}));
    ASSERT_TRUE(mixer.setSourceVolume(1, 0.25));
    EXPECT_EQ(readControls(state)["Line Capture Volume"].fields[2], "15") << "-10 + truncate(100 x 0.25)";
    ASSERT_TRUE(mixer.setSourceVolume(1, 1.7));
    EXPECT_EQ(readControls(state)["Line Capture Volume"].fields[2], "90") << "the level is 0..1";
    // CD has no volume of its own: it is recorded at the capture volume.
    ASSERT_TRUE(mixer.setSourceVolume(0, 1.0));
    EXPECT_EQ(readControls(state)["Capture Volume"].fields[2], "63");
    EXPECT_EQ(readControls(state)["Master Playback Volume"].fields[2], "20") << "playback untouched";
    EXPECT_FALSE(mixer.setSourceVolume(3, 0.5));
}

TEST_F(MixerLineControlTest, RefusedChangesAreFalse)
{
    const std::string state = useMixer("ro enum\tInput Source\t0\tFront Mic\tRear Mic\n"
                                       "ro int\tFront Mic Capture Volume\t0\t10\t3\n");
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.openControl("default"));
    std::vector<std::string> sources;
    ASSERT_TRUE(mixer.listSources(sources));
    EXPECT_EQ(sources, (std::vector<std::string>{"Rear Mic", "Front Mic"}));
    EXPECT_FALSE(mixer.selectSource(0));
    EXPECT_FALSE(mixer.setSourceVolume(1, 1.0));
    std::ifstream in(state);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Input Source\t0\t"), std::string::npos);
    EXPECT_NE(text.find("Front Mic Capture Volume\t0\t10\t3"), std::string::npos);
}

TEST_F(MixerLineControlTest, WithoutAMultiplexerLinesWithCaptureControlsAreTheSources)
{
    const std::string state = useMixer("int\tMic Capture Volume\t0\t20\t0\n"
                                       "int\tLine Capture Volume\t0\t20\t0\n"
                                       "int\tCapture Volume\t0\t20\t0\n");
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.openControl("default"));
    std::vector<std::string> sources;
    ASSERT_TRUE(mixer.listSources(sources));
    EXPECT_EQ(sources, (std::vector<std::string>{"Mic", "Line"}));
    EXPECT_FALSE(mixer.selectSource(0)) << "no multiplexer";
    ASSERT_TRUE(mixer.setSourceVolume(1, 0.5));
    EXPECT_EQ(readControls(state)["Line Capture Volume"].fields[2], "10");
    EXPECT_EQ(readControls(state)["Mic Capture Volume"].fields[2], "0");
}

TEST_F(MixerLineControlTest, ACardWithoutRecordingControls)
{
    useMixer("int\tMaster Playback Volume\t0\t31\t20\n");
    MixerLineControl mixer;
    ASSERT_TRUE(mixer.openControl("default"));
    std::vector<std::string> sources;
    EXPECT_FALSE(mixer.listSources(sources));
    EXPECT_FALSE(mixer.selectSource(0));
    EXPECT_FALSE(mixer.setSourceVolume(0, 0.5));
    EXPECT_FALSE(mixer.openControl("hw:7")) << "no such card";
    EXPECT_FALSE(mixer.isOpen());
}

TEST(MixerLineControlNames, TheCardComesFromTheDeviceName)
{
    EXPECT_EQ(MixerLineControl::controlNameFor("HDA Intel PCH: ALC892 Analog (hw:0,0)"), "hw:0");
    EXPECT_EQ(MixerLineControl::controlNameFor("USB Audio: - (hw:12,0)"), "hw:12");
    EXPECT_EQ(MixerLineControl::controlNameFor("default"), "default");
    EXPECT_EQ(MixerLineControl::controlNameFor("pulse"), "default");
}

} // namespace
} // namespace quillon
