#include "engine/renderer.h"

#include "base/wave_format.h"
#include "engine/engine_fixture.h"
#include "model/assignable_group.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quillon::test {
namespace {

constexpr float kUnity = 40.0f / 52.0f;

class RendererTest : public EngineFixture {
protected:
    // One track holding a constant clip over `frames` frames from 0.
    CTrack* constantTrack(float left, float right, int64_t frames = 44100)
    {
        CTrack* t = addTrack();
        addClip(doc.trackCount() - 1, writeConstant("c" + std::to_string(doc.trackCount()) + ".wav", frames, left, right),
                0);
        return t;
    }

    std::unique_ptr<CollectingSink> render(const SampleRange& range, float extraGain = -1.0f)
    {
        auto sink = std::make_unique<CollectingSink>();
        RenderRequest r;
        r.sink = sink.get();
        r.range = range;
        r.extraGain = extraGain;
        Renderer renderer(doc);
        EXPECT_EQ(renderer.render(r), 1);
        return sink;
    }

    // Left and right of a frame well inside the clip.
    std::pair<float, float> outputAt(size_t frame = 1000)
    {
        const auto sink = render(SampleRange(0, 2205));
        return {sink->left(frame), sink->right(frame)};
    }
};

TEST_F(RendererTest, BlocksAreFiftyMillisecondsAndTheLastBlockIsWhole)
{
    constantTrack(0.25f, 0.25f);
    for (const auto& [rate, block] : {std::pair{44100u, 2205}, {48000u, 2400}, {22050u, 1102}}) {
        doc.setFormat(makePcmFormat(rate, 2, 16));
        EXPECT_EQ(render(SampleRange(0, 10))->blockFrames, std::vector<int32_t>{block}) << rate;
        // One frame past a whole block needs a second whole block.
        EXPECT_EQ(render(SampleRange(100, 100 + block + 1))->blockFrames, (std::vector<int32_t>{block, block})) << rate;
        EXPECT_EQ(doc.renderPosition().load(), 100 + 2 * block);
        // An empty range renders nothing.
        EXPECT_TRUE(render(SampleRange(7, 7))->blockFrames.empty());
    }
}

TEST_F(RendererTest, UnityPathPanAndMasterBalance)
{
    CTrack* t = constantTrack(0.5f, -0.25f);
    auto [l, r] = outputAt();
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_FLOAT_EQ(r, -0.25f);

    t->setPan(0.0f); // hard left: right silent, left at full track gain
    std::tie(l, r) = outputAt();
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_EQ(r, 0.0f);
    t->setPan(1.0f);
    std::tie(l, r) = outputAt();
    EXPECT_EQ(l, 0.0f);
    EXPECT_FLOAT_EQ(r, -0.25f);
    t->setPan(0.5f);

    doc.setMasterPan(0.25f); // halves the right
    std::tie(l, r) = outputAt();
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_FLOAT_EQ(r, -0.125f);
    doc.setMasterPan(0.75f); // halves the left
    std::tie(l, r) = outputAt();
    EXPECT_FLOAT_EQ(l, 0.25f);
    EXPECT_FLOAT_EQ(r, -0.25f);
    doc.setMasterPan(0.5f);

    // Track volume and master level through the slider mapping, times an extra gain.
    t->setVolume(kUnity - 6.0f / 52.0f);
    doc.setMasterLevel(kUnity + 12.0f / 52.0f);
    const double expected = 0.5 * std::pow(10.0, 6.0 / 20.0) * 0.5;
    EXPECT_NEAR(render(SampleRange(0, 2205), 0.5f)->left(1000), expected, 1e-5);
}

TEST_F(RendererTest, SendsFollowTheTrackVolumeAndASendOfZeroSendsNothing)
{
    CTrack* t = constantTrack(0.5f, 0.5f);
    CAssignableGroup* g = doc.addGroup();
    ASSERT_EQ(g->sendCount(), 1);

    // Send level 0 is the slider's "-oo dB": the group stays silent.
    EXPECT_FLOAT_EQ(outputAt().first, 0.5f);

    // Just above 0 at unity volume: 10^((20 - 40) / 20) = 0.1 of the track joins the mix.
    g->setSendLevel(0, 1e-7f);
    EXPECT_NEAR(outputAt().first, 0.5f + 0.05f, 1e-5);

    // Send and volume at 40/52 each: 26 dB per unit of both, 0 dB here.
    g->setSendLevel(0, kUnity);
    EXPECT_NEAR(outputAt().first, 1.0f, 1e-5);
    // 6.5 dB less volume lowers the send by 3.25 dB and the track by 6.5 dB.
    t->setVolume(kUnity - 0.125f);
    const double trackGain = std::pow(10.0, -6.5 / 20.0);
    const double sendGain = std::pow(10.0, -3.25 / 20.0);
    EXPECT_NEAR(outputAt().first, 0.5 * (trackGain + sendGain), 1e-5);

    // Two groups, a pan off centre: each send mixes with the track's pan, left factor
    // 2 min(1 - p, 0.5) = 1 and right 2 min(p, 0.5) = 0.6.
    t->setVolume(kUnity);
    t->setPan(0.3f);
    CAssignableGroup* h = doc.addGroup();
    h->setSendLevel(0, kUnity - 6.0f / 26.0f); // 6 dB below the first send
    const auto [pl, pr] = outputAt();
    const double sends = 1.0 + std::pow(10.0, -6.0 / 20.0);
    EXPECT_NEAR(pl, 0.5 * (1.0 + sends), 1e-5);
    EXPECT_NEAR(pr, 0.5 * 0.6 * (1.0 + sends), 1e-5);
    t->setPan(0.5f);
    doc.removeGroup(1);

    // A track at volume 0 is skipped, sends and all.
    t->setVolume(0.0f);
    const auto [l, r] = outputAt();
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(Renderer::sendGain(0.0f, 1.0f), 0.0f);
}

TEST_F(RendererTest, SkippedTracksReadZeroPeaksAndStaySilent)
{
    CTrack* a = constantTrack(0.5f, 0.25f);
    CTrack* b = constantTrack(0.125f, 0.125f);
    render(SampleRange(0, 4410));
    EXPECT_FLOAT_EQ(doc.trackPeakLeft(0), 0.5f);
    EXPECT_FLOAT_EQ(doc.trackPeakRight(0), 0.25f);
    EXPECT_FLOAT_EQ(doc.trackPeakLeft(1), 0.125f);
    EXPECT_FLOAT_EQ(doc.masterPeakLeft().load(), 0.625f);

    b->setActive(false);
    auto sink = render(SampleRange(0, 4410));
    EXPECT_EQ(doc.trackPeakLeft(1), 0.0f);
    EXPECT_EQ(doc.trackPeakRight(1), 0.0f);
    EXPECT_FLOAT_EQ(doc.trackPeakLeft(0), 0.5f);
    EXPECT_FLOAT_EQ(sink->left(100), 0.5f);
    EXPECT_FLOAT_EQ(doc.masterPeakRight().load(), 0.25f);

    // The meters read the track's level after its gain: 6 dB down halves them nearly.
    a->setVolume(kUnity - 6.0f / 52.0f);
    render(SampleRange(0, 4410));
    EXPECT_NEAR(doc.trackPeakLeft(0), 0.5 * std::pow(10.0, -6.0 / 20.0), 1e-6);
    EXPECT_NEAR(doc.trackPeakRight(0), 0.25 * std::pow(10.0, -6.0 / 20.0), 1e-6);
    a->setVolume(kUnity);

    b->setActive(true);
    a->setPlaybackOff(1); // silenced by its play switch
    sink = render(SampleRange(0, 4410));
    EXPECT_EQ(doc.trackPeakLeft(0), 0.0f);
    EXPECT_FLOAT_EQ(sink->left(100), 0.125f);
    EXPECT_FLOAT_EQ(sink->right(100), 0.125f);
}

TEST_F(RendererTest, PeaksLookAtEverySixteenthFrameFromTheEnd)
{
    std::vector<float> data(2 * 40, 0.0f);
    data[2 * 39] = 0.5f;      // frame N - 1
    data[2 * 23 + 1] = -0.75f; // frame N - 17, right
    data[2 * 30] = 0.9f;      // not on the stride
    data[2 * 7] = 0.8f;       // below frame 16
    EXPECT_EQ(Renderer::peak(data.data(), 40, 2, 0), 0.5f);
    EXPECT_EQ(Renderer::peak(data.data(), 40, 2, 1), 0.75f);
    EXPECT_EQ(Renderer::peak(data.data(), 16, 2, 0), 0.0f);
    data[2 * 16] = 0.3f;
    EXPECT_EQ(Renderer::peak(data.data(), 17, 2, 0), 0.3f);
}

TEST_F(RendererTest, MeasuredPeakUsesUnityExtraGainAndTheMasterLevel)
{
    constantTrack(0.25f, -0.4f, 20000);
    doc.setMasterLevel(kUnity + 6.0f / 52.0f);
    Renderer renderer(doc);
    EXPECT_NEAR(renderer.measurePeak(SampleRange(0, 20000)), 0.4 * std::pow(10.0, 0.3), 1e-5);
    // Past the clip only silence is left.
    EXPECT_EQ(renderer.measurePeak(SampleRange(30000, 40000)), 0.0f);
}

TEST_F(RendererTest, LoopingRepeatsTheRangeAndLowersTheLoopOffsetAtEachWrap)
{
    // Left channel holds the frame number, so each block tells where it came from.
    CTrack* t = addTrack();
    (void)t;
    addClip(0, writeSignal("ramp.wav", 40000, [](int c, int64_t f) { return c == 0 ? double(f) / 65536.0 : 0.0; }), 0);
    const int32_t B = 2205;
    const SampleRange range(1000, 1000 + 3 * B);
    std::atomic<int32_t> loopOffset{0};
    std::vector<int32_t> offsets;

    CollectingSink sink;
    sink.onBlock = [&](int blocks) {
        offsets.push_back(loopOffset.load());
        if (blocks == 7)
            doc.stopRequest() = true;
        return true;
    };
    RenderRequest r;
    r.sink = &sink;
    r.range = range;
    r.loop = true;
    r.loopOffset = &loopOffset;
    Renderer renderer(doc);
    EXPECT_EQ(renderer.render(r), 1);

    ASSERT_EQ(sink.blockFrames.size(), 7u);
    const int32_t starts[] = {1000, 1000 + B, 1000 + 2 * B, 1000, 1000 + B, 1000 + 2 * B, 1000};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_FLOAT_EQ(sink.left(i * B), float(starts[i]) / 65536.0f) << "block " << i;
    // The offset drops once the third block is done, and again after the sixth.
    const int32_t len = range.length();
    EXPECT_EQ(offsets, (std::vector<int32_t>{0, 0, 0, -len, -len, -len, -2 * len}));
    EXPECT_EQ(loopOffset.load(), -2 * len);
    EXPECT_EQ(doc.renderPosition().load(), 1000 + B);
}

TEST_F(RendererTest, JumpsOfTheRenderPositionMoveTheNextBlock)
{
    addTrack();
    addClip(0, writeSignal("ramp.wav", 40000, [](int c, int64_t f) { return c == 0 ? double(f) / 65536.0 : 0.0; }), 0);
    CollectingSink sink;
    // The user interface jumps while the first block renders.
    sink.onBlock = [&](int blocks) {
        if (blocks == 1)
            doc.renderPosition() = 20000;
        return true;
    };
    RenderRequest r;
    r.sink = &sink;
    r.range = SampleRange(0, 24000);
    Renderer(doc).render(r);
    ASSERT_EQ(sink.blockFrames.size(), 3u); // 0, 20000, 22205
    EXPECT_FLOAT_EQ(sink.left(2205), 20000.0f / 65536.0f);
    EXPECT_FLOAT_EQ(sink.left(2 * 2205), 22205.0f / 65536.0f);
}

TEST_F(RendererTest, StopsOncePerBlockAndWhenTheSinkRefuses)
{
    constantTrack(0.5f, 0.5f);
    CollectingSink sink;
    sink.onBlock = [&](int blocks) {
        if (blocks == 2)
            doc.stopRequest() = true;
        return true;
    };
    RenderRequest r;
    r.sink = &sink;
    r.range = SampleRange(0, 40000);
    Renderer renderer(doc);
    renderer.render(r);
    EXPECT_EQ(sink.blockFrames.size(), 2u);

    // The document's stop request is cleared when a render starts; the caller's own
    // flag is not, so a stop that comes first is kept.
    sink.clear();
    std::atomic<bool> abort{true};
    r.sink = &sink;
    r.abort = &abort;
    EXPECT_EQ(renderer.render(r), 1);
    EXPECT_TRUE(sink.blockFrames.empty());

    r.abort = nullptr;
    sink.onBlock = [](int blocks) { return blocks < 3; };
    renderer.render(r);
    EXPECT_EQ(sink.blockFrames.size(), 3u);
}

TEST_F(RendererTest, OnlyTwoChannelProjectsAreRendered)
{
    constantTrack(0.5f, 0.5f);
    doc.setFormat(makePcmFormat(44100, 1, 16));
    CollectingSink sink;
    RenderRequest r;
    r.sink = &sink;
    r.range = SampleRange(0, 4410);
    EXPECT_EQ(Renderer(doc).render(r), 0);
    EXPECT_TRUE(sink.blockFrames.empty());
    EXPECT_FALSE(Renderer::canRender(makePcmFormat(44100, 4, 16)));
    EXPECT_TRUE(Renderer::canRender(makePcmFormat(22050, 2, 24)));
}

TEST_F(RendererTest, ASinkExceptionEndsTheRenderAndPassesOn)
{
    constantTrack(0.5f, 0.5f);
    CollectingSink sink;
    sink.onBlock = [](int) -> bool { throw std::runtime_error("disk full"); };
    RenderRequest r;
    r.sink = &sink;
    r.range = SampleRange(0, 4410);
    Renderer renderer(doc);
    EXPECT_THROW(renderer.render(r), std::runtime_error);
    EXPECT_EQ(sink.blockFrames.size(), 1u);
    // A later render starts cleanly with fresh cursors.
    sink.clear();
    EXPECT_EQ(renderer.render(r), 1);
    EXPECT_EQ(sink.blockFrames.size(), 2u);
    EXPECT_FLOAT_EQ(sink.left(2205 + 100), 0.5f);
}

} // namespace
} // namespace quillon::test
