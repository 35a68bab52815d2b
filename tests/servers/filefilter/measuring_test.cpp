// Measuring and splitting through the filter: tempo around a position (115), the ranges
// between pauses (124) and the split into pieces that stand on their own (125).

#include "filter_fixture.h"
#include "signal_helpers.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr int kRate = 44100;

// Stereo clicks: a short decaying 1.5 kHz burst on every beat.
std::vector<float> clickTrack(double bpm, double seconds)
{
    const auto frames = static_cast<int64_t>(seconds * kRate);
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
    const double period = 60.0 / bpm * kRate;
    for (int b = 0; b * period < static_cast<double>(frames); ++b) {
        const int64_t at = std::llround(b * period);
        for (int64_t j = 0; j < 400 && at + j < frames; ++j) {
            const auto v = static_cast<float>(0.8 * std::sin(2.0 * M_PI * 1500.0 * static_cast<double>(j) / kRate) *
                                              std::exp(-static_cast<double>(j) / 80.0));
            out[static_cast<size_t>(2 * (at + j))] = v;
            out[static_cast<size_t>(2 * (at + j) + 1)] = v;
        }
    }
    return out;
}

class ClickTempo : public ::testing::TestWithParam<double> {};

} // namespace

TEST_P(ClickTempo, WithinOneBeatPerMinute)
{
    const double bpm = GetParam();
    TempDir tmp;
    const std::string path = tmp.file("clicks.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, clickTrack(bpm, 24.0)));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    const int32_t length = filter.length();
    // Where tempo matching asks: the end of the outgoing clip, the start of the incoming one.
    EXPECT_NEAR(filter.tempo(length), bpm, 1.0);
    EXPECT_NEAR(filter.tempo(0), bpm, 1.0);
    EXPECT_NEAR(filter.tempo(length / 2), bpm, 1.0);

    // Played at another rate, the beat stays where it is in time.
    filter.setOutputFormat(outputFormat(48000, 2));
    EXPECT_NEAR(filter.tempo(filter.length() / 2), bpm, 1.0);
}

INSTANTIATE_TEST_SUITE_P(FileFilterTempo, ClickTempo, ::testing::Values(90.0, 120.0, 140.0));

TEST(FileFilterTempo, SilenceHasNone)
{
    TempDir tmp;
    const std::string path = tmp.file("silence.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2,
                           std::vector<float>(static_cast<size_t>(kRate) * 20 * 2, 0.0f)));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    EXPECT_EQ(filter.tempo(filter.length() / 2), 0.0f);
    EXPECT_EQ(classComCode([] { makeFilter().tempo(0); }), QUILLON_E_FAIL);
}

// The tempo module is loaded beside the filter's own library on first use; a filter
// installed without it reads as always and fails only the measuring.
TEST(FileFilterTempo, MissingTempoModuleFailsOnlyTheMeasuring)
{
    TempDir tmp;
    const std::string lonely = tmp.file("filefilter.so");
    std::filesystem::copy_file(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/filefilter.so", lonely);
    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(lonely));
    const std::string path = tmp.file("clicks.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, clickTrack(120.0, 20.0)));
    FileFilter filter = FileFilter::create(host);
    filter.setPeakFolder(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    EXPECT_EQ(classComCode([&] { filter.tempo(filter.length() / 2); }), QUILLON_E_FAIL);
    const uint32_t reader = filter.createReader();
    const std::vector<float> frames = readFrames(filter, reader, 0, 1000, 2);
    EXPECT_GT(*std::max_element(frames.begin(), frames.end()), 0.5f);
    filter.closeReader(reader);
}

TEST(FileFilterTempo, AScaledClipReportsTheTempoItPlaysAt)
{
    TempDir tmp;
    const std::string path = tmp.file("clicks.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, clickTrack(120.0, 24.0)));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    filter.setTimeScaleRatio(1.25f);
    EXPECT_NEAR(filter.tempo(filter.length() / 2), 96.0, 1.0);
    // A hard transition at the end plays its stretch at its own ratio.
    filter.setTimeScaleRatio(1.0f);
    filter.setTransitionScale(8 * kRate, 0x200 | 1, 0.8f);
    EXPECT_NEAR(filter.tempo(filter.length()), 150.0, 1.5);
    EXPECT_NEAR(filter.tempo(0), 120.0, 1.0);
}

namespace {

// Three tones between silences: 1 s, tone 5 s, 3 s, tone 4 s, 3 s, tone 6 s, 1 s.
struct Recording {
    std::vector<float> frames;
    std::vector<std::pair<int64_t, int64_t>> tones;

    Recording()
    {
        const double layout[] = {1, 5, 3, 4, 3, 6, 1};
        const double frequencies[] = {330.0, 550.0, 770.0};
        int64_t at = 0;
        for (size_t part = 0; part < 7; ++part) {
            const auto n = static_cast<int64_t>(layout[part] * kRate);
            if (part % 2 == 1) {
                const std::vector<float> tone = sineFrames(frequencies[part / 2], 0.5, kRate, 2, n);
                frames.insert(frames.end(), tone.begin(), tone.end());
                tones.emplace_back(at, at + n);
            } else {
                frames.insert(frames.end(), static_cast<size_t>(n) * 2, 0.0f);
            }
            at += n;
        }
    }
    int64_t length() const { return static_cast<int64_t>(frames.size()) / 2; }
};

constexpr float kThreshold = 0.01f;
constexpr float kMinTrack = 2.0f;
constexpr float kMinPause = 2.0f;
constexpr double kTolerance = 0.05 * kRate; // 50 ms

class PauseSplitting : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_tmp.file("side-a.wav");
        ASSERT_TRUE(writeAudio(m_path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, m_recording.frames));
    }
    FileFilter open()
    {
        FileFilter filter = makeFilter(m_tmp.path().string());
        EXPECT_TRUE(filter.openFile(m_path));
        return filter;
    }

    TempDir m_tmp;
    std::string m_path;
    Recording m_recording;
};

} // namespace

TEST_F(PauseSplitting, RangesLieWithinFiftyMillisecondsOfTheTones)
{
    FileFilter filter = open();
    const auto ranges = filter.splitRanges(kThreshold, kMinTrack, kMinPause);
    ASSERT_EQ(ranges.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(ranges[i].first, m_recording.tones[i].first, kTolerance) << i;
        EXPECT_NEAR(ranges[i].second, m_recording.tones[i].second, kTolerance) << i;
    }

    // In the frames reads address: at another output rate they scale with it.
    filter.setOutputFormat(outputFormat(48000, 2));
    const auto resampled = filter.splitRanges(kThreshold, kMinTrack, kMinPause);
    ASSERT_EQ(resampled.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(resampled[i].first, m_recording.tones[i].first * 48000.0 / kRate, kTolerance) << i;

    // Room for two ranges: two come back, covering all three tones.
    int32_t two[4] = {};
    QuillonFfDetectPauses p{kThreshold, kMinTrack, kMinPause, two, 2, 0};
    filter.setOutputFormat(outputFormat(kRate, 2));
    filter.instance().call(QUILLON_FF_DETECT_PAUSES, p);
    ASSERT_EQ(p.count, 2u);
    EXPECT_NEAR(two[0], m_recording.tones[0].first, kTolerance);
    EXPECT_NEAR(two[3], m_recording.tones[2].second, kTolerance);

    // A pause longer than any in the recording finds one piece.
    EXPECT_EQ(filter.splitRanges(kThreshold, kMinTrack, 5.0f).size(), 1u);
}

TEST_F(PauseSplitting, PiecesReadOnlyTheirStretchAndReopenFromTheirState)
{
    FileFilter filter = open();
    const uint32_t parentReader = filter.createReader();
    std::vector<PluginInstance> pieces = filter.splitAtPauses(kThreshold, kMinTrack, kMinPause);
    ASSERT_EQ(pieces.size(), 3u);
    const auto ranges = filter.splitRanges(kThreshold, kMinTrack, kMinPause);
    for (size_t i = 0; i < 3; ++i) {
        FileFilter piece(std::move(pieces[i]));
        const int32_t length = piece.length();
        EXPECT_NEAR(length, m_recording.tones[i].second - m_recording.tones[i].first, 2 * kTolerance) << i;
        EXPECT_EQ(length, ranges[i].second - ranges[i].first) << i;
        EXPECT_EQ(piece.sourcePath(), filter.sourcePath());

        // Frame for frame the parent's stretch, and nothing after it.
        const std::vector<float> own = readFrames(piece, piece.createReader(), 0, length, 2);
        const std::vector<float> parent = readFrames(filter, parentReader, ranges[i].first, length, 2);
        EXPECT_EQ(own, parent) << i;
        std::vector<float> after(2000, 1.0f);
        const uint32_t reader = piece.createReader();
        piece.seekReader(reader, length);
        EXPECT_EQ(piece.read(reader, after.data(), 1000), 0u);
        EXPECT_EQ(after, std::vector<float>(2000, 0.0f));
        // Its peaks are those of its own tone: loud from the first point to the last.
        ASSERT_TRUE(waitFor([&] { return piece.peakProgress() == 100; }));
        const PeakBuffer peaks = piece.peaks(0, length, 20);
        ASSERT_EQ(peaks.points, 20u);
        for (uint32_t point : {0u, 10u, 19u})
            EXPECT_GT(peaks.maximum(point, 0), 0.3f) << i << " point " << point;

        // Its state reopens the same stretch.
        FileFilter reopened = makeFilter(m_tmp.path().string());
        ASSERT_TRUE(reopened.openState(piece.saveState()));
        EXPECT_EQ(reopened.length(), length);
        EXPECT_EQ(readFrames(reopened, reopened.createReader(), 0, length, 2), own) << i;
    }
}

TEST_F(PauseSplitting, TheCommandListsTheLastPieceFirst)
{
    FileFilter filter = open();
    QuillonInterface records[QUILLON_FF_MAX_SPLIT_PIECES] = {};
    QuillonFfSplitAtPauses p{kThreshold, kMinTrack, kMinPause, records, QUILLON_FF_MAX_SPLIT_PIECES, 0};
    filter.instance().call(QUILLON_FF_SPLIT_AT_PAUSES, p);
    ASSERT_EQ(p.filled, 3u);
    // A host that puts each piece in front of the list gets them in time order.
    std::vector<int32_t> lengths;
    for (uint32_t i = 0; i < p.filled; ++i) {
        FileFilter piece{PluginInstance(records[i])};
        lengths.insert(lengths.begin(), piece.length());
    }
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(lengths[i], m_recording.tones[i].second - m_recording.tones[i].first, 2 * kTolerance) << i;
}

TEST_F(PauseSplitting, FailuresLeaveNoPieces)
{
    FileFilter unopened = makeFilter();
    EXPECT_EQ(classComCode([&] { unopened.splitAtPauses(kThreshold, kMinTrack, kMinPause); }), QUILLON_E_FAIL);

    FileFilter filter = open();
    EXPECT_EQ(classComCode([&] { filter.splitRanges(-1.0f, kMinTrack, kMinPause); }), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(classComCode([&] { filter.splitAtPauses(kThreshold, std::nanf(""), kMinPause); }), QUILLON_E_BAD_PARAM);
    QuillonFfSplitAtPauses none{kThreshold, kMinTrack, kMinPause, nullptr, 99, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_SPLIT_AT_PAUSES, &none, sizeof none), QUILLON_E_BAD_PARAM);

    // The recording is gone: nothing to split, and no record is handed out.
    std::filesystem::remove(m_path);
    QuillonInterface records[QUILLON_FF_MAX_SPLIT_PIECES] = {};
    QuillonFfSplitAtPauses p{kThreshold, kMinTrack, kMinPause, records, QUILLON_FF_MAX_SPLIT_PIECES, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_SPLIT_AT_PAUSES, &p, sizeof p), QUILLON_E_FAIL);
    EXPECT_EQ(p.filled, 0u);
    EXPECT_EQ(records[0].command, nullptr);
}
