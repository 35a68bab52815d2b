// The typed file-filter client: creation through the host, failures as ClassCom with the
// filter's code, and the calls that never reach the filter.

#include "base/memory_settings_store.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

using namespace quillon;
using quillon::test::TempDir;

namespace {

constexpr QuillonIdentifier kFileFilter = QUILLON_IID_FILE_FILTER;

WAVEFORMATEX stereo48k()
{
    WAVEFORMATEX f{};
    f.wFormatTag = QUILLON_WAVE_FORMAT_IEEE_FLOAT;
    f.nChannels = 2;
    f.nSamplesPerSec = 48000;
    f.wBitsPerSample = 32;
    f.nBlockAlign = 8;
    f.nAvgBytesPerSec = 48000 * 8;
    return f;
}

template <class F>
int32_t thrownCode(F&& call)
{
    try {
        call();
    } catch (const ClassCom& e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(FileFilterClient, CreationWithoutAServerThrowsCodeThree)
{
    PluginHost empty;
    EXPECT_EQ(thrownCode([&] { FileFilter::create(empty); }), QUILLON_E_NO_CLASS);

    // A client without an instance fails the same way instead of crashing.
    FileFilter none;
    EXPECT_FALSE(none.isValid());
    EXPECT_EQ(thrownCode([&] { none.length(); }), QUILLON_E_NO_CLASS);
}

// A filter that fails every command: each method throws that filter's own code.
TEST(FileFilterClient, EveryNonzeroResultIsThrownWithItsCode)
{
    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(QUILLON_PROBE_B));
    FileFilter filter = FileFilter::create(host);
    float frames[4];
    WAVEFORMATEX format{};
    QuillonInterface sink{};
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"openFile", [&] { filter.openFile("x.wav"); }},
        {"openState", [&] { filter.openState(std::vector<uint8_t>{1, 2, 3}); }},
        {"setNotificationSink", [&] { filter.setNotificationSink(sink); }},
        {"setOutputFormat", [&] { filter.setOutputFormat(format); }},
        {"setPeakFolder", [&] { filter.setPeakFolder("/tmp"); }},
        {"length", [&] { filter.length(); }},
        {"sourceFormat", [&] { filter.sourceFormat(); }},
        {"filterList", [&] { filter.filterList(); }},
        {"createReader", [&] { filter.createReader(); }},
        {"seekReader", [&] { filter.seekReader(1, 0); }},
        {"read", [&] { filter.read(1, frames, 1); }},
        {"closeReader", [&] { filter.closeReader(1); }},
        {"peaks", [&] { filter.peaks(0, 100, 10); }},
        {"peakProgress", [&] { filter.peakProgress(); }},
        {"stateSize", [&] { filter.stateSize(); }},
        {"saveState", [&] { filter.saveState(); }},
        {"tempo", [&] { filter.tempo(0); }},
        {"setTimeScaleRatio", [&] { filter.setTimeScaleRatio(1.5f); }},
        {"setTransitionScale", [&] { filter.setTransitionScale(100, 1, 1.5f); }},
    };
    for (const auto& [name, call] : calls)
        EXPECT_EQ(thrownCode(call), 2000) << name;

    // Requests that cannot yield peaks never reach the filter.
    EXPECT_TRUE(filter.peaks(0, 100, 0).isEmpty());
    EXPECT_TRUE(filter.peaks(0, 100, -3).isEmpty());
    EXPECT_TRUE(filter.peaks(100, 100, 10).isEmpty());
    EXPECT_TRUE(filter.peaks(100, 50, 10).isEmpty());
}

TEST(FileFilterClient, OpensReadsAndKeepsPeaksInTheDefaultFolder)
{
    TempDir tmp;
    TempDir peaks;
    const test::TestTone tone{44100, 2, 20000};
    ASSERT_TRUE(test::writeTone(tmp.file("t.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, tone));

    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/filefilter.so"));
    FileFilter::setDefaultPeakFolder(peaks.path().string());
    FileFilter filter = FileFilter::create(host);
    FileFilter::setDefaultPeakFolder("");
    ASSERT_TRUE(filter.isValid());

    // A file that is not there is a failed open, not an error.
    EXPECT_FALSE(filter.openFile(tmp.file("missing.wav")));
    ASSERT_TRUE(filter.openFile(tmp.file("t.wav")));
    EXPECT_EQ(filter.length(), 20000);
    EXPECT_EQ(filter.sourceFormat().nSamplesPerSec, 44100u);
    filter.setOutputFormat(stereo48k());
    EXPECT_EQ(filter.length(), 21769); // 20000 x 48000 / 44100, rounded

    const uint32_t reader = filter.createReader();
    std::vector<float> frames(1000 * 2);
    filter.seekReader(reader, 21000);
    EXPECT_EQ(filter.read(reader, frames.data(), 1000), 769u);
    filter.closeReader(reader);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (filter.peakProgress() < 100 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const PeakBuffer buffer = filter.peaks(0, filter.length(), 10);
    ASSERT_EQ(buffer.points, 10u);
    ASSERT_EQ(buffer.channels, 2u);
    EXPECT_EQ(buffer.pairs.size(), 40u);
    EXPECT_NEAR(buffer.maximum(5, 0), test::TestTone::level(0), 0.01);
    EXPECT_NEAR(buffer.minimum(5, 1), -test::TestTone::level(1), 0.01);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(peaks.path()))
        files += e.path().extension() == ".vqpk" ? 1 : 0;
    EXPECT_EQ(files, 1u);

    const std::vector<uint8_t> state = filter.saveState();
    EXPECT_EQ(state.size(), filter.stateSize());
    FileFilter reopened = FileFilter::create(host);
    EXPECT_TRUE(reopened.openState(state));
    EXPECT_EQ(reopened.length(), 20000);
}
