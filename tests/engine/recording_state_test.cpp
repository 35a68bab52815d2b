// The recording pieces that need no sound card: the take format, level measurement,
// the console's meter and disk readings, and the state's requests.

#include "base/wave_format.h"
#include "engine/recording_state.h"
#include "engine/recording_thread.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace quillon {
namespace {

void put16(std::vector<uint8_t>& buffer, size_t sample, int16_t v)
{
    buffer[sample * 2] = static_cast<uint8_t>(v);
    buffer[sample * 2 + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

TEST(RecordingFormat, FollowsTheChannelAndResolutionChoice)
{
    const WAVEFORMATEX stereo = RecordingState::recordingFormat(44100, true, 16);
    EXPECT_EQ(stereo.wFormatTag, QUILLON_WAVE_FORMAT_PCM);
    EXPECT_EQ(stereo.nChannels, 2);
    EXPECT_EQ(stereo.nBlockAlign, 4);
    EXPECT_EQ(stereo.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(stereo.cbSize, 0);
    const WAVEFORMATEX mono = RecordingState::recordingFormat(48000, false, 24);
    EXPECT_EQ(mono.nChannels, 1);
    EXPECT_EQ(mono.nBlockAlign, 3);
    EXPECT_EQ(mono.nAvgBytesPerSec, 144000u);
}

TEST(RecordingLevels, AreMeasuredInWholeRunsOf256Frames)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(44100, true, 16);
    const uint32_t frames = 4410; // 17 whole runs: frames 4352..4409 are not measured
    std::vector<uint8_t> buffer(frames * 4, 0);
    put16(buffer, 100 * 2, 16384);      // left 0.5
    put16(buffer, 4000 * 2 + 1, -8192); // right 0.25
    put16(buffer, 4400 * 2, 32767);     // after the last whole run
    put16(buffer, 4400 * 2 + 1, 32767);
    float left = -1, right = -1;
    RecordingThread::measurePeaks(buffer.data(), frames, format, left, right);
    EXPECT_FLOAT_EQ(left, 16384.0f / 32767.0f);
    EXPECT_FLOAT_EQ(right, 8192.0f / 32767.0f);

    // A buffer shorter than one run is not measured at all.
    RecordingThread::measurePeaks(buffer.data(), 255, format, left, right);
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);
}

TEST(RecordingLevels, EveryResolutionScalesToOne)
{
    const uint8_t eight[2] = {1, 128}; // -1.0, silence
    const uint8_t twentyFour[6] = {0x01, 0x00, 0x80, 0xFF, 0xFF, 0x3F};
    const uint8_t thirtyTwo[8] = {0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0};
    const struct {
        const uint8_t* sample;
        uint16_t bits;
        float left;
        float right;
    } cases[] = {
        {eight, 8, 1.0f, 0.0f},
        {twentyFour, 24, 1.0f, static_cast<float>(0x3FFFFF / 8388607.0)},
        {thirtyTwo, 32, 1.0f, 0.0f},
    };
    for (const auto& c : cases) {
        const WAVEFORMATEX format = RecordingState::recordingFormat(44100, true, c.bits);
        std::vector<uint8_t> buffer(256 * format.nBlockAlign);
        for (size_t f = 0; f < 256; ++f)
            std::copy(c.sample, c.sample + format.nBlockAlign, buffer.begin() + f * format.nBlockAlign);
        float left = 0, right = 0;
        RecordingThread::measurePeaks(buffer.data(), 256, format, left, right);
        EXPECT_NEAR(left, c.left, 1e-6) << c.bits;
        EXPECT_NEAR(right, c.right, 1e-6) << c.bits;
    }
    // Mono leaves the right peak at 0.
    const WAVEFORMATEX mono = RecordingState::recordingFormat(44100, false, 8);
    std::vector<uint8_t> buffer(256, 255);
    float left = 0, right = 1;
    RecordingThread::measurePeaks(buffer.data(), 256, mono, left, right);
    EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_EQ(right, 0.0f);
}

TEST(RecordingConsoleReadings, MeterShowsOneHundredLessFiveQuartersOfTheDecibels)
{
    EXPECT_EQ(RecordingState::meterLevel(0.5f), 93);
    EXPECT_EQ(RecordingState::meterLevel(0.0f), -80);
    EXPECT_EQ(RecordingState::meterLevel(1.0f), 100);
    EXPECT_EQ(RecordingState::meterLevel(0.25f), 85);
    EXPECT_EQ(RecordingState::meterLevel(0.002f), 33); // -53.98 dB
}

TEST(RecordingConsoleReadings, MaximumRecordingTimeInMinutesOrHours)
{
    const WAVEFORMATEX cd = RecordingState::recordingFormat(44100, true, 16);
    EXPECT_EQ(RecordingState::maximumRecordingTime(500000000, cd).english(), "47 minutes");
    EXPECT_EQ(RecordingState::maximumRecordingTime(1000000000, cd).english(), "1 hours");
    EXPECT_EQ(RecordingState::maximumRecordingTime(3600ull * 176400 - 1, cd).english(), "59 minutes");
    // The free space counts only up to 2^31 - 1 frames.
    EXPECT_EQ(RecordingState::maximumRecordingTime(10'000'000'000'000ull, cd).english(), "13 hours");
    EXPECT_TRUE(RecordingState::isLowOnSpace(60ull * 176400 - 1, cd));
    EXPECT_FALSE(RecordingState::isLowOnSpace(60ull * 176400, cd));

    EXPECT_GT(RecordingState::freeBytesFor((std::filesystem::temp_directory_path() / "take.wav").string()), 0u);
    EXPECT_EQ(RecordingState::freeBytesFor("/no/such/folder/take.wav"), 0u);
    // "Target disk drive:" is where the folder's file system is mounted.
    const std::string temp = std::filesystem::temp_directory_path().string();
    const std::string mount = RecordingState::mountPointOf(temp + "/take.wav");
    ASSERT_FALSE(mount.empty());
    EXPECT_EQ(temp.rfind(mount, 0), 0u) << mount << " holds " << temp;
    EXPECT_EQ(RecordingState::mountPointOf("/proc/self/take.wav"), "/proc");
    EXPECT_EQ(RecordingState::mountPointOf("/no/such/folder/take.wav"), "");
}

TEST(RecordingStateRequests, TheFirstBufferCreatesTheFileAndAChangeAsksAgain)
{
    RecordingState state(RecordingState::recordingFormat(44100, true, 16), "/music/NewTake1.wav", FileFilter(), 2,
                         5000);
    EXPECT_TRUE(state.isPaused());
    EXPECT_EQ(state.currentPosition(), 5000);
    EXPECT_EQ(state.silenceLimit(), RecordingState::kSilenceOff);
    EXPECT_TRUE(state.takeNewFileRequest());
    EXPECT_FALSE(state.takeNewFileRequest());
    state.changeTarget("/music/Other.wav");
    EXPECT_EQ(state.targetPath(), "/music/Other.wav");
    EXPECT_TRUE(state.takeNewFileRequest());

    state.postMessage("one");
    state.postMessage("two");
    EXPECT_EQ(state.takeEnglishMessages(), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(state.takeEnglishMessages().empty());
}

} // namespace
} // namespace quillon
