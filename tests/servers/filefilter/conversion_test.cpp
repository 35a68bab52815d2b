// Conversion to the output format: resampling, channel mapping, sample-exact positions,
// several readers and threads.

#include "filter_fixture.h"

#include <atomic>
#include <random>
#include <thread>

using namespace quillon;
using namespace quillon::test;

namespace {

struct RatePair {
    int from;
    int to;
};

class Resampling : public ::testing::TestWithParam<RatePair> {};

// The tone as it must sound at another rate: the same frequencies and levels.
std::vector<float> toneAt(const TestTone& tone, int rate, int64_t first, int64_t count)
{
    TestTone resampled = tone;
    resampled.rate = rate;
    return resampled.interleaved(first, count);
}

} // namespace

// Within the band the resampler passes, a sine keeps its frequency, level and timing: the
// output matches the analytic sine at the new rate within 0.002 (about -54 dB).
TEST_P(Resampling, ToneKeepsFrequencyLevelAndTime)
{
    const RatePair r = GetParam();
    TempDir tmp;
    const TestTone tone{r.from, 2, r.from * 2 + 77};
    ASSERT_TRUE(writeTone(tmp.file("t.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, tone));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t.wav")));
    EXPECT_EQ(filter.length(), tone.frames); // the source's own frames until a format is set

    filter.setOutputFormat(outputFormat(r.to, 2));
    const int64_t expectedLength = (tone.frames * r.to + r.from / 2) / r.from;
    ASSERT_EQ(filter.length(), expectedLength);
    EXPECT_EQ(filter.sourceFormat().nSamplesPerSec, static_cast<uint32_t>(r.from));

    const uint32_t reader = filter.createReader();
    const std::vector<float> all = readFrames(filter, reader, 0, expectedLength, 2, 1500);
    const std::vector<float> expect = toneAt(tone, r.to, 0, expectedLength);
    // The ends see the file's edges through the filter; the middle must be clean.
    const size_t margin = static_cast<size_t>(r.to / 20) * 2;
    EXPECT_LE(maxDifference(all, expect, margin, all.size() - margin), 0.002f);

    // Seeking anywhere gives what reading straight through gave.
    std::mt19937 random(11);
    for (int i = 0; i < 12; ++i) {
        const int32_t at = static_cast<int32_t>(random() % static_cast<uint32_t>(expectedLength - 3000));
        const std::vector<float> part = readFrames(filter, reader, at, 3000, 2, 700);
        const std::vector<float> straight(all.begin() + at * 2, all.begin() + (at + 3000) * 2);
        EXPECT_LE(maxDifference(part, straight), 1e-5f) << "at " << at;
    }
    // Right at the end: the last frames, then silence.
    std::vector<float> tail(200 * 2, 1.0f);
    filter.seekReader(reader, static_cast<int32_t>(expectedLength - 100));
    EXPECT_EQ(filter.read(reader, tail.data(), 200), 100u);
    EXPECT_LE(maxDifference(std::vector<float>(tail.begin(), tail.begin() + 200),
                            std::vector<float>(all.end() - 200, all.end())),
              1e-5f);
    for (size_t i = 200; i < tail.size(); ++i)
        ASSERT_EQ(tail[i], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(FileFilter, Resampling,
                         ::testing::Values(RatePair{22050, 44100}, RatePair{44100, 48000}, RatePair{48000, 44100},
                                           RatePair{96000, 44100}, RatePair{22050, 48000}, RatePair{44100, 96000}),
                         [](const auto& info) {
                             return std::to_string(info.param.from) + "to" + std::to_string(info.param.to);
                         });

TEST(FileFilterChannels, MonoIsDuplicatedAndStereoAveraged)
{
    TempDir tmp;
    const TestTone mono{44100, 1, 5000};
    ASSERT_TRUE(writeTone(tmp.file("mono.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, mono));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("mono.wav")));
    filter.setOutputFormat(outputFormat(44100, 2));
    const std::vector<float> stereo = readFrames(filter, filter.createReader(), 0, 5000, 2);
    const std::vector<float> source = mono.interleaved(0, 5000);
    for (size_t f = 0; f < 5000; ++f) {
        ASSERT_EQ(stereo[2 * f], source[f]);
        ASSERT_EQ(stereo[2 * f + 1], source[f]);
    }

    const TestTone two{44100, 2, 5000};
    ASSERT_TRUE(writeTone(tmp.file("stereo.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, two));
    ASSERT_TRUE(filter.openFile(tmp.file("stereo.wav")));
    filter.setOutputFormat(outputFormat(44100, 1));
    const std::vector<float> down = readFrames(filter, filter.createReader(), 0, 5000, 1);
    const std::vector<float> both = two.interleaved(0, 5000);
    for (size_t f = 0; f < 5000; ++f)
        ASSERT_NEAR(down[f], 0.5f * (both[2 * f] + both[2 * f + 1]), 1e-6f);
}

// Channel mapping and resampling together: the resampler runs on the narrower side.
TEST(FileFilterChannels, MappingAndResamplingTogether)
{
    TempDir tmp;
    FileFilter filter = makeFilter(tmp.path().string());

    const TestTone mono{22050, 1, 22050};
    ASSERT_TRUE(writeTone(tmp.file("mono.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, mono));
    ASSERT_TRUE(filter.openFile(tmp.file("mono.wav")));
    filter.setOutputFormat(outputFormat(44100, 2));
    ASSERT_EQ(filter.length(), 44100);
    const std::vector<float> wide = readFrames(filter, filter.createReader(), 0, 44100, 2);
    const std::vector<float> expectMono = toneAt(mono, 44100, 0, 44100);
    for (size_t f = 2000; f < 42000; ++f) {
        ASSERT_EQ(wide[2 * f], wide[2 * f + 1]) << f;
        ASSERT_NEAR(wide[2 * f], expectMono[f], 0.002f) << f;
    }

    const TestTone stereo{48000, 2, 48000};
    ASSERT_TRUE(writeTone(tmp.file("stereo.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, stereo));
    ASSERT_TRUE(filter.openFile(tmp.file("stereo.wav")));
    filter.setOutputFormat(outputFormat(44100, 1));
    ASSERT_EQ(filter.length(), 44100);
    const std::vector<float> narrow = readFrames(filter, filter.createReader(), 0, 44100, 1);
    const std::vector<float> expectStereo = toneAt(stereo, 44100, 0, 44100);
    for (size_t f = 2000; f < 42000; ++f)
        ASSERT_NEAR(narrow[f], 0.5f * (expectStereo[2 * f] + expectStereo[2 * f + 1]), 0.002f) << f;
}

// A 5.1 source folded to stereo: each speaker lands on its side, the centre on both, the
// LFE nowhere, and full scale everywhere still fits.
TEST(FileFilterChannels, SurroundFoldsDownBySpeaker)
{
    TempDir tmp;
    FileFilter filter = makeFilter(tmp.path().string());
    const int64_t frames = 64;
    auto levelsFor = [&](int activeChannel, float value) {
        std::vector<float> data(static_cast<size_t>(frames) * 6, 0.0f);
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < 6; ++c)
                if (activeChannel < 0 || c == activeChannel)
                    data[static_cast<size_t>(f * 6 + c)] = value;
        const std::string path = tmp.file("s" + std::to_string(activeChannel) + ".wav");
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 6, data));
        EXPECT_TRUE(filter.openFile(path));
        filter.setOutputFormat(outputFormat(48000, 2));
        const std::vector<float> out = readFrames(filter, filter.createReader(), 0, frames, 2);
        return std::pair(out[20], out[21]);
    };
    // Order without a channel map: L R C LFE BL BR.
    auto [l0, r0] = levelsFor(0, 0.5f);
    EXPECT_GT(l0, 0.1f);
    EXPECT_EQ(r0, 0.0f);
    auto [l1, r1] = levelsFor(1, 0.5f);
    EXPECT_EQ(l1, 0.0f);
    EXPECT_GT(r1, 0.1f);
    EXPECT_NEAR(l1 + r1, l0 + r0, 1e-6f);
    auto [l2, r2] = levelsFor(2, 0.5f);
    EXPECT_GT(l2, 0.05f);
    EXPECT_FLOAT_EQ(l2, r2);
    auto [l3, r3] = levelsFor(3, 0.5f);
    EXPECT_EQ(l3, 0.0f);
    EXPECT_EQ(r3, 0.0f);
    auto [l4, r4] = levelsFor(4, 0.5f);
    EXPECT_GT(l4, 0.05f);
    EXPECT_EQ(r4, 0.0f);
    auto [la, ra] = levelsFor(-1, 1.0f);
    EXPECT_LE(la, 1.0f + 1e-6f);
    EXPECT_LE(ra, 1.0f + 1e-6f);
    EXPECT_GT(la, 0.99f);
}

TEST(FileFilterReaders, PositionsBeforeTheStartAndPastTheEnd)
{
    TempDir tmp;
    const TestTone tone{44100, 2, 3000};
    ASSERT_TRUE(writeTone(tmp.file("t.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, tone));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t.wav")));
    const uint32_t reader = filter.createReader();

    std::vector<float> frames(600 * 2, 7.0f);
    filter.seekReader(reader, -250);
    EXPECT_EQ(filter.read(reader, frames.data(), 600), 350u);
    for (size_t i = 0; i < 500; ++i)
        ASSERT_EQ(frames[i], 0.0f);
    EXPECT_EQ(maxDifference(std::vector<float>(frames.begin() + 500, frames.end()), tone.interleaved(0, 350)), 0.0f);

    filter.seekReader(reader, 5000);
    std::fill(frames.begin(), frames.end(), 7.0f);
    EXPECT_EQ(filter.read(reader, frames.data(), 600), 0u);
    for (float v : frames)
        ASSERT_EQ(v, 0.0f);
    // Reading on from past the end stays silent.
    EXPECT_EQ(filter.read(reader, frames.data(), 600), 0u);

    // A zero-frame read is harmless.
    EXPECT_EQ(filter.read(reader, nullptr, 0), 0u);
}

TEST(FileFilterReaders, TwoReadersInterleavedKeepTheirPositions)
{
    TempDir tmp;
    const TestTone tone{44100, 2, 44100};
    ASSERT_TRUE(writeTone(tmp.file("t.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, tone));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t.flac")));
    filter.setOutputFormat(outputFormat(48000, 2));
    const int32_t length = filter.length();

    const uint32_t a = filter.createReader();
    const uint32_t b = filter.createReader();
    ASSERT_NE(a, b);
    const uint32_t straight = filter.createReader();
    const std::vector<float> all = readFrames(filter, straight, 0, length, 2, 4800);
    filter.closeReader(straight);

    filter.seekReader(a, 100);
    filter.seekReader(b, 20000);
    std::vector<float> blockA(480 * 2);
    std::vector<float> blockB(480 * 2);
    for (int i = 0; i < 40; ++i) {
        // The track seeks to where it already is before every block: that must not disturb.
        filter.seekReader(a, 100 + i * 480);
        filter.read(a, blockA.data(), 480);
        filter.read(b, blockB.data(), 480);
        const size_t atA = static_cast<size_t>(100 + i * 480) * 2;
        const size_t atB = static_cast<size_t>(20000 + i * 480) * 2;
        ASSERT_LE(maxDifference(blockA, std::vector<float>(all.begin() + atA, all.begin() + atA + 960)), 1e-5f) << i;
        ASSERT_LE(maxDifference(blockB, std::vector<float>(all.begin() + atB, all.begin() + atB + 960)), 1e-5f) << i;
    }
    filter.closeReader(a);
    filter.closeReader(b);
}

// A playback thread reads while the user-interface thread changes the output format, asks
// for the length and peaks and opens readers of its own.
TEST(FileFilterReaders, ReadingWhileTheInterfaceThreadWorks)
{
    TempDir tmp;
    const TestTone tone{44100, 2, 44100 * 4};
    ASSERT_TRUE(writeTone(tmp.file("t.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t.wav")));
    filter.setOutputFormat(outputFormat(44100, 2));
    const uint32_t reader = filter.createReader();

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> failed{false};
    std::thread playback([&] {
        std::vector<float> block(2205 * 2);
        int32_t at = 0;
        while (!stop.load()) {
            try {
                filter.seekReader(reader, at);
                filter.read(reader, block.data(), 2205);
            } catch (const ClassCom&) {
                failed = true;
            }
            for (float v : block)
                if (!(std::abs(v) <= 1.0f))
                    failed = true;
            at = (at + 2205) % (44100 * 3);
            ++blocks;
        }
    });
    for (int i = 0; i < 60; ++i) {
        filter.setOutputFormat(outputFormat(i % 2 ? 48000 : 44100, static_cast<uint16_t>(i % 3 ? 2 : 1)));
        EXPECT_GT(filter.length(), 0);
        filter.peaks(0, filter.length(), 100);
        const uint32_t mine = filter.createReader();
        std::vector<float> frames(1000 * 2);
        filter.read(mine, frames.data(), 1000);
        filter.closeReader(mine);
    }
    ASSERT_TRUE(waitFor([&] { return blocks.load() > 50; }));
    stop = true;
    playback.join();
    EXPECT_FALSE(failed.load());
}
