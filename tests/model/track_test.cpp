#include "model/track.h"

#include "base/archive.h"
#include "base/wave_format.h"
#include "clip_fixture.h"
#include "effect_test_host.h"
#include "model/curve.h"
#include "model/track_read_cursor.h"
#include "model/transform_plugin.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon;

class TrackTest : public test::ClipFixture {
protected:
    TrackTest() { track.setFormat(project); track.attachDocumentFormat(&project); }

    CAudioClip* addConstant(const std::string& name, int32_t start, int32_t length, float value)
    {
        auto clip = openClip(writeConstant(name, length, value), start);
        CAudioClip* raw = clip.release();
        track.insertClip(raw);
        return raw;
    }

    std::vector<float> readAll(int32_t from, int32_t frames)
    {
        TrackReadCursor* c = track.createReadCursor();
        track.positionReadCursor(c, from);
        std::vector<float> out(size_t(frames) * 2);
        track.read(c, out.data(), frames);
        track.releaseReadCursor(c);
        return out;
    }

    // Declared before the track, so effect plug-ins are released before their server goes.
    test::EffectTestHost effects;
    CTrack track{"Untitled"};
};

TEST_F(TrackTest, EqualStartsOrderByLengthAndCrossfadesFollowOverlaps)
{
    CAudioClip* longer = addConstant("l.wav", 1000, 3000, 0.1f);
    CAudioClip* shorter = addConstant("s.wav", 1000, 2000, 0.1f);  // not longer: goes before
    // Only the first clip of equal start is compared: longer than it, so directly after it.
    CAudioClip* longest = addConstant("x.wav", 1000, 5000, 0.1f);
    ASSERT_EQ(track.clips(), (std::vector<CAudioClip*>{shorter, longest, longer}));

    // Every neighbour overlaps: two crossfades, none on the last clip.
    EXPECT_EQ(shorter->outgoing()->incoming(), longest);
    EXPECT_EQ(longest->incoming(), shorter->outgoing());
    EXPECT_EQ(longest->outgoing()->incoming(), longer);
    EXPECT_EQ(longer->outgoing(), nullptr);
    EXPECT_EQ(shorter->incoming(), nullptr);

    // Removing the middle one rebuilds the crossfade between the remaining overlapping pair.
    ASSERT_TRUE(track.removeClip(longest, true));
    std::unique_ptr<CAudioClip> owned(longest);
    EXPECT_EQ(longest->incoming(), nullptr);
    // It keeps its own crossfade, unlinked, for a move that puts it back in an overlap.
    ASSERT_NE(longest->outgoing(), nullptr);
    EXPECT_EQ(longest->outgoing()->incoming(), nullptr);
    ASSERT_NE(shorter->outgoing(), nullptr);
    EXPECT_EQ(shorter->outgoing()->incoming(), longer);
    EXPECT_EQ(longer->incoming(), shorter->outgoing());
    EXPECT_FALSE(track.removeClip(longest, true));
}

TEST_F(TrackTest, TouchingClipsGetALengthZeroCrossfadeAndApartClipsNone)
{
    CAudioClip* a = addConstant("a.wav", 0, 1000, 0.25f);
    CAudioClip* b = addConstant("b.wav", 1000, 1000, 0.5f);
    CAudioClip* c = addConstant("c.wav", 2500, 1000, 0.75f);
    ASSERT_NE(a->outgoing(), nullptr);
    EXPECT_EQ(a->outgoing()->length(), 0);
    EXPECT_EQ(b->outgoing(), nullptr);
    EXPECT_EQ(c->incoming(), nullptr);
    // Touching clips play back to back without a gap or a mix.
    const std::vector<float> out = readAll(990, 20);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    EXPECT_FLOAT_EQ(out[19 * 2], 0.5f);
    EXPECT_FLOAT_EQ(out[10 * 2], 0.5f);
}

TEST_F(TrackTest, RenderedOverlapMatchesAnIndependentCrossfade)
{
    // Two different tones overlapping by 7000 frames, across a 5000-frame block boundary.
    const auto toneA = [](int64_t f) { return 0.5f * float(std::sin(f * 0.01)); };
    const auto toneB = [](int64_t f) { return 0.4f * float(std::cos(f * 0.017)); };
    auto a = openClip(writeSignal("a.wav", 12000, toneA), 0);
    auto b = openClip(writeSignal("b.wav", 12000, toneB), 5000);
    track.insertClip(b.release());
    track.insertClip(a.release());
    // Overlap [5000, 12000), linear shape: exact under the mix's interpolation.
    const std::vector<float> out = readAll(0, 17000);
    for (int32_t p = 0; p < 17000; ++p) {
        double expected;
        if (p < 5000)
            expected = toneA(p);
        else if (p < 12000) {
            const double x = (p - 5000) / 7000.0;
            expected = (1 - x) * toneA(p) + x * toneB(p - 5000);
        } else
            expected = toneB(p - 5000);
        ASSERT_NEAR(out[size_t(p) * 2], expected, 2e-4) << "frame " << p;
        ASSERT_NEAR(out[size_t(p) * 2 + 1], expected, 2e-4) << "frame " << p;
    }
}

TEST_F(TrackTest, EffectsSeeWholeBlocksAndRunOverSilence)
{
    auto fx = CTransformPlugin::createFromEntry(effects.entry("Gain and Balance"), effects.catalog);
    ASSERT_TRUE(fx);
    fx->setFormat(44100, 2);
    CTransformPlugin* raw = fx.get();
    track.effects().append(std::move(fx));

    // No clips: silence, and the chain still runs.
    TrackReadCursor* c = track.createReadCursor();
    float frame[2] = {1, 1};
    track.read(c, frame, 1);
    EXPECT_EQ(raw->framesProcessed(), CTrack::kBlockFrames);
    EXPECT_EQ(frame[0], 0.0f);
    for (int i = 0; i < 5000; ++i)
        track.read(c, frame, 1);
    EXPECT_EQ(raw->framesProcessed(), 2 * CTrack::kBlockFrames);
    track.releaseReadCursor(c);
}

TEST_F(TrackTest, CurvesApplyPerFrameAndPanOnlyForTwoChannels)
{
    addConstant("one.wav", 0, 20000, 0.5f);
    CCurve* volume = track.addCurve(CCurve::kVolume);
    EXPECT_EQ(track.addCurve(CCurve::kVolume), volume);
    volume->addPoint(10000, 0.0f);
    CCurve* pan = track.addCurve(CCurve::kPan);
    pan->addPoint(0, 0.25f);
    std::vector<float> out = readAll(0, 12000);
    // Volume ramps 1 -> 0 over [0, 10000]; pan 0.25 halves the first channel
    // (min(1, 2v)) and leaves the second (min(1, 2 - 2v)).
    EXPECT_NEAR(out[5000 * 2], 0.5f * 0.5f * 0.5f, 1e-4);
    EXPECT_NEAR(out[5000 * 2 + 1], 0.5f * 0.5f, 1e-4);
    EXPECT_NEAR(out[11000 * 2], 0.0f, 1e-6);

}

TEST_F(TrackTest, PanCurveLeavesMonoAndFourChannelAudioAlone)
{
    for (uint16_t channels : {uint16_t(1), uint16_t(4)}) {
        WAVEFORMATEX f = makePcmFormat(44100, channels, 16);
        CTrack t("t");
        t.setFormat(f);
        t.attachDocumentFormat(&f);
        auto clip = std::make_unique<CAudioClip>(&f);
        const std::string path = writeSignal("c" + std::to_string(channels) + ".wav", 1000,
                                             [](int64_t) { return 0.5f; }, 44100, channels);
        ASSERT_TRUE(clip->openFile(0, path));
        t.insertClip(clip.release());
        t.addCurve(CCurve::kPan)->addPoint(0, 0.0f);
        std::vector<float> out(size_t(10) * channels);
        TrackReadCursor* c = t.createReadCursor();
        t.read(c, out.data(), 10);
        t.releaseReadCursor(c);
        for (float v : out)
            EXPECT_FLOAT_EQ(v, 0.5f) << channels << " channels";
    }
}

TEST_F(TrackTest, GainStateFlagsAndTimeEdits)
{
    EXPECT_NEAR(track.gain(), 1.0f, 1e-6);
    track.setVolume(0.0f);
    EXPECT_NEAR(track.gain(), 0.01f, 1e-7);
    EXPECT_EQ(track.stateFlags(), 3u); // active, playback off
    track.setActive(false);
    track.setPlaybackOff(0);
    EXPECT_EQ(track.stateFlags(), 0u);

    CAudioClip* a = addConstant("a.wav", 1000, 1000, 0.1f);
    CAudioClip* b = addConstant("b.wav", 5000, 1000, 0.1f);
    track.shiftForInsertedTime(2000, 500);
    EXPECT_EQ(a->position(), SampleRange(1000, 2000));
    EXPECT_EQ(b->position(), SampleRange(5500, 6500));
    track.closeGap({0, 3000});
    EXPECT_EQ(a->position(), SampleRange(0, 0)); // clamped at 0
    EXPECT_EQ(b->position(), SampleRange(2500, 3500));
    EXPECT_EQ(track.clipAt(2500), b);
    EXPECT_EQ(track.clipAt(3501), nullptr);
    EXPECT_EQ(track.firstClipEndingAtOrAfter(1), b);
    EXPECT_EQ(track.lastClipStartingAtOrBefore(2499), a);
}

namespace {
struct FreeCase {
    int32_t begin, length;
    bool overlap, skipSelected;
    int32_t expected;
};
} // namespace

TEST_F(TrackTest, FindFreePositionTable)
{
    // Clips at [1000, 2000) and [3000, 4000); the second is selected.
    addConstant("a.wav", 1000, 1000, 0.1f);
    CAudioClip* b = addConstant("b.wav", 3000, 1000, 0.1f);
    b->setSelected(true);
    const FreeCase cases[] = {
        {0, 500, false, false, 0},        // fits where it is
        {800, 500, false, false, 500},    // backward to 500 beats forward to 2000
        {1700, 500, false, false, 2000},  // forward 300 beats backward 1200
        {2600, 500, false, false, 2500},  // back to 2500 before b (b's start - L)
        {2600, 500, false, true, 2600},   // b skipped: fits as it is
        {100, 1500, false, false, 4000},  // backward candidate would be negative
        // Inside a: forward it ends at a's end (1700), backward it starts at a's start
        // (1000), and the backward one is nearer.
        {1200, 300, true, false, 1000},
        {1600, 300, true, false, 1700},
        {1500, 1000, true, false, 1500},  // overlapping is allowed
    };
    for (const FreeCase& c : cases)
        EXPECT_EQ(track.findFreePosition({c.begin, c.begin + c.length}, c.overlap, c.skipSelected), c.expected)
            << c.begin << "+" << c.length << (c.overlap ? " overlap" : "") << (c.skipSelected ? " skip" : "");
}

TEST_F(TrackTest, ArchiveRoundTripKeepsClipsShapesEffectsAndCurves)
{
    CAudioClip* a = addConstant("a.wav", 0, 3000, 0.2f);
    addConstant("b.wav", 2000, 3000, 0.4f);
    addConstant("c.wav", 9000, 1000, 0.6f);
    a->outgoing()->setShape(kCrossfadeSinusoidal);
    track.setVolume(0.5f);
    track.setPan(0.25f);
    track.setPlaybackOff(0);
    track.addCurve(CCurve::kVolume)->addPoint(4000, 0.5f);
    auto fx = CTransformPlugin::createFromEntry(effects.entry("Gain and Balance"), effects.catalog);
    track.effects().append(std::move(fx));

    MemoryStream first;
    {
        CArchive ar(first, CArchive::Mode::Store);
        ar.writeObject(&track);
    }
    first.seekToBegin();
    std::unique_ptr<CTrack> loaded;
    {
        CArchive ar(first, CArchive::Mode::Load);
        loaded.reset(ar.readObjectAs<CTrack>());
    }
    ASSERT_TRUE(loaded);
    loaded->setFormat(project);
    loaded->attachDocumentFormat(&project);
    EXPECT_EQ(loaded->name(), "Untitled");
    EXPECT_FLOAT_EQ(loaded->volume(), 0.5f);
    EXPECT_FLOAT_EQ(loaded->pan(), 0.25f);
    ASSERT_EQ(loaded->clips().size(), 3u);
    EXPECT_EQ(loaded->clips()[0]->outgoing()->shape(), kCrossfadeSinusoidal);
    EXPECT_EQ(loaded->clips()[1]->incoming(), loaded->clips()[0]->outgoing());
    EXPECT_EQ(loaded->clips()[1]->outgoing(), nullptr); // no overlap with c
    EXPECT_EQ(loaded->effects().size(), 1u);
    EXPECT_TRUE(loaded->hasCurve(CCurve::kVolume));

    // Saving the loaded track again gives the same bytes.
    MemoryStream second;
    {
        CArchive ar(second, CArchive::Mode::Store);
        ar.writeObject(loaded.get());
    }
    EXPECT_EQ(first.bytes(), second.bytes());
}

// An effect that delays its output (the noise reduction's spectra) is read ahead of, so
// the track's sound stays where its clips are; a jump keeps it there too.
TEST_F(TrackTest, EffectsThatDelayTheirOutputAreReadAhead)
{
    addConstant("late.wav", 10000, 8000, 0.5f);
    track.effects().append(CTransformPlugin::createFromEntry(effects.entry("Noise Reduction"), effects.catalog));
    ASSERT_EQ(track.effects().latency(), 2048u);
    for (int32_t from : {0, 6000}) {
        const std::vector<float> out = readAll(from, 12000);
        const size_t edge = size_t(10000 - from);
        EXPECT_NEAR(out[2 * (edge - 1)], 0.0f, 1e-5f) << from;
        EXPECT_NEAR(out[2 * edge + 2 * 100], 0.5f, 1e-5f) << from;
    }
    track.effects().clear();
    EXPECT_EQ(track.effects().latency(), 0u);
}
