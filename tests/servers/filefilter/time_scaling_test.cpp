// Time scaling through the filter: the clip's ratio (122), transition scalings (121), the
// length the clip is told (112), reads and peaks of a scaled clip, and the saved state.

#include "filter_fixture.h"
#include "signal_helpers.h"

#include <cstring>
#include <limits>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = 2 * kRate; // two seconds

// Every frame a filter delivers until it reports nothing more within the length; the total
// it reported within the length goes to `within`.
std::vector<float> readToEnd(const FileFilter& filter, int channels, int64_t* within)
{
    std::vector<float> out;
    std::vector<float> block(static_cast<size_t>(1000 * channels));
    const uint32_t reader = filter.createReader();
    *within = 0;
    for (;;) {
        const uint32_t got = filter.read(reader, block.data(), 1000);
        *within += got;
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got) * channels);
        if (got < 1000)
            break;
    }
    filter.closeReader(reader);
    return out;
}

class TimeScaling : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_tmp.file("tone.wav");
        ASSERT_TRUE(writeAudio(m_path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2,
                               sineFrames(1000.0, 0.5, kRate, 2, kFrames)));
        FileFilter plain = open();
        int64_t within = 0;
        m_plain = readToEnd(plain, 2, &within);
        ASSERT_EQ(within, kFrames);
    }

    FileFilter open()
    {
        FileFilter filter = makeFilter(m_tmp.path().string());
        EXPECT_TRUE(filter.openFile(m_path));
        return filter;
    }

    bool sameAsPlain(const std::vector<float>& got, int64_t gotFrom, int64_t plainFrom, int64_t frames)
    {
        return std::memcmp(got.data() + gotFrom * 2, m_plain.data() + plainFrom * 2,
                           static_cast<size_t>(frames) * 2 * sizeof(float)) == 0;
    }

    TempDir m_tmp;
    std::string m_path;
    std::vector<float> m_plain;
};

} // namespace

TEST_F(TimeScaling, RatioStretchesToExactLengthKeepingPitch)
{
    for (float ratio : {1.5f, 0.8f}) {
        FileFilter filter = open();
        filter.setTimeScaleRatio(ratio);
        // The clip multiplies by its ratio itself.
        EXPECT_EQ(filter.length(), kFrames) << ratio;
        const int64_t expected = std::llround(static_cast<double>(kFrames) * ratio);
        int64_t within = 0;
        const std::vector<float> out = readToEnd(filter, 2, &within);
        EXPECT_EQ(within, expected) << ratio;
        const int64_t margin = kRate / 4;
        EXPECT_NEAR(measuredFrequency(out, 2, margin, expected - margin, kRate), 1000.0, 10.0) << ratio;
        EXPECT_NEAR(levelRms(out, 2, margin, expected - margin), 0.5 / std::sqrt(2.0), 0.05) << ratio;
    }
}

TEST_F(TimeScaling, RatioOneIsThePlainSourceAgain)
{
    FileFilter filter = open();
    filter.setTimeScaleRatio(1.5f);
    filter.setTimeScaleRatio(1.0f);
    int64_t within = 0;
    const std::vector<float> out = readToEnd(filter, 2, &within);
    ASSERT_EQ(within, kFrames);
    EXPECT_TRUE(sameAsPlain(out, 0, 0, kFrames));
}

TEST_F(TimeScaling, TransitionScalesOnlyTheTransition)
{
    const int64_t transition = kRate / 2;
    const int64_t body = kFrames - transition;
    {
        // Hard, at the end: the body is the source frame for frame.
        FileFilter filter = open();
        filter.setTransitionScale(static_cast<int32_t>(transition), 0x200 | 1, 1.2f);
        const int64_t scaled = std::llround(transition * 1.2);
        EXPECT_EQ(filter.length(), body + scaled);
        int64_t within = 0;
        const std::vector<float> out = readToEnd(filter, 2, &within);
        ASSERT_EQ(within, body + scaled);
        EXPECT_TRUE(sameAsPlain(out, 0, 0, body));
        EXPECT_NEAR(measuredFrequency(out, 2, body + 2000, body + scaled - 2000, kRate), 1000.0, 10.0);
    }
    {
        // Gradual, at the start: from 0.6 at the clip's edge to 1 at the body, 0.8 on average.
        FileFilter filter = open();
        filter.setTransitionScale(static_cast<int32_t>(transition), 0x100 | 2, 0.6f);
        const int64_t scaled = std::llround(transition * 0.8);
        EXPECT_EQ(filter.length(), scaled + body);
        int64_t within = 0;
        const std::vector<float> out = readToEnd(filter, 2, &within);
        ASSERT_EQ(within, scaled + body);
        EXPECT_TRUE(sameAsPlain(out, scaled, transition, body));
        EXPECT_NEAR(measuredFrequency(out, 2, 2000, scaled - 2000, kRate), 1000.0, 10.0);
    }
}

TEST_F(TimeScaling, RemovingATransitionRestoresThePlainSource)
{
    const int32_t transition = kRate / 2;
    FileFilter filter = open();
    filter.setTransitionScale(transition, 0x100 | 2, 0.6f);
    filter.setTransitionScale(transition, 0x200 | 1, 1.5f);
    const int64_t start = std::llround(transition * 0.8);
    const int64_t end = std::llround(transition * 1.5);
    EXPECT_EQ(filter.length(), start + (kFrames - 2 * transition) + end);

    // Length 0 with one side's flag removes that side only.
    filter.setTransitionScale(0, 0x200, 1.0f);
    EXPECT_EQ(filter.length(), start + kFrames - transition);
    filter.setTransitionScale(transition, 0x200 | 1, 1.5f);
    filter.setTransitionScale(0, 0x100, 1.0f);
    EXPECT_EQ(filter.length(), kFrames - transition + end);

    // Length 0, flags 0, ratio 1 removes whatever is left.
    filter.setTransitionScale(transition, 0x100 | 1, 0.7f);
    filter.setTransitionScale(0, 0, 1.0f);
    EXPECT_EQ(filter.length(), kFrames);
    int64_t within = 0;
    const std::vector<float> out = readToEnd(filter, 2, &within);
    ASSERT_EQ(within, kFrames);
    EXPECT_TRUE(sameAsPlain(out, 0, 0, kFrames));
}

TEST_F(TimeScaling, SavedStateKeepsBothScalings)
{
    FileFilter filter = open();
    const std::vector<uint8_t> plainState = filter.saveState();
    filter.setTransitionScale(kRate / 2, 0x200 | 2, 1.3f);
    filter.setTimeScaleRatio(1.25f);
    const std::vector<uint8_t> state = filter.saveState();
    EXPECT_GT(state.size(), plainState.size());
    int64_t within = 0;
    const std::vector<float> scaled = readToEnd(filter, 2, &within);

    FileFilter reopened = makeFilter(m_tmp.path().string());
    ASSERT_TRUE(reopened.openState(state));
    EXPECT_EQ(reopened.length(), filter.length());
    int64_t reopenedWithin = 0;
    const std::vector<float> again = readToEnd(reopened, 2, &reopenedWithin);
    EXPECT_EQ(reopenedWithin, within);
    EXPECT_LE(maxDifference(again, scaled), 1e-6f);

    // Back to plain, the state is what a plain clip stores.
    reopened.setTimeScaleRatio(1.0f);
    reopened.setTransitionScale(0, 0, 1.0f);
    EXPECT_EQ(reopened.saveState(), plainState);
}

TEST_F(TimeScaling, PeaksFollowTheStretchedTimeline)
{
    // One second of tone, then one second of silence, stretched to twice its length: the
    // tone fills the first half of the clip's timeline.
    std::vector<float> half = sineFrames(1000.0, 0.5, kRate, 2, kFrames);
    std::fill(half.begin() + kFrames, half.end(), 0.0f);
    const std::string path = m_tmp.file("half.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, half));
    FileFilter filter = makeFilter(m_tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    filter.setTimeScaleRatio(2.0f);
    ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
    for (int32_t points : {100, 2000}) { // block peaks and exact peaks
        const PeakBuffer peaks = filter.peaks(0, 2 * static_cast<int32_t>(kFrames), points);
        ASSERT_EQ(peaks.points, static_cast<uint32_t>(points));
        EXPECT_GT(peaks.maximum(static_cast<uint32_t>(points) * 4 / 10, 0), 0.4f) << points;
        EXPECT_LT(peaks.maximum(static_cast<uint32_t>(points) * 6 / 10, 0), 0.01f) << points;
        EXPECT_LT(peaks.maximum(static_cast<uint32_t>(points) - 1, 0), 0.01f) << points;
    }
}

TEST_F(TimeScaling, RefusesRatiosAndTransitionsItCannotPlay)
{
    FileFilter unopened = makeFilter();
    EXPECT_EQ(classComCode([&] { unopened.setTimeScaleRatio(1.5f); }), QUILLON_E_FAIL);
    EXPECT_EQ(classComCode([&] { unopened.setTransitionScale(100, 0x200 | 1, 1.5f); }), QUILLON_E_FAIL);

    FileFilter filter = open();
    for (float bad : {0.0f, -1.0f, 1000.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(classComCode([&] { filter.setTimeScaleRatio(bad); }), QUILLON_E_BAD_PARAM) << bad;
    EXPECT_EQ(classComCode([&] { filter.setTransitionScale(-5, 0x200 | 1, 1.5f); }), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(classComCode([&] { filter.setTransitionScale(100, 0x300 | 1, 1.5f); }), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(classComCode([&] { filter.setTransitionScale(100, 0x200 | 3, 1.5f); }), QUILLON_E_BAD_PARAM);
    // Refusals leave the clip as it was.
    EXPECT_EQ(filter.length(), kFrames);
}
