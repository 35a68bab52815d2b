#include "model/crossfade.h"
#include "model/tempo_matcher.h"
#include "base/recording_prompter.h"
#include "clip_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace quillon;

namespace {

// Records where the mix evaluates its shape.
class CountingCrossfade : public Crossfade {
public:
    using Crossfade::Crossfade;
    float shapeValue(float x) const override
    {
        evaluated.push_back(x);
        return Crossfade::shapeValue(x);
    }
    mutable std::vector<float> evaluated;
};

} // namespace

TEST(CrossfadeShape, ValuesOfEveryShape)
{
    Crossfade x;
    x.setShape(kCrossfadeLinear);
    EXPECT_FLOAT_EQ(x.shapeValue(0.3f), 0.3f);
    x.setShape(kCrossfadeLogarithmic);
    EXPECT_FLOAT_EQ(x.shapeValue(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(x.shapeValue(1.0f), 1.0f);
    EXPECT_NEAR(x.shapeValue(0.5f), std::log10(50.5) / 2, 1e-6);
    x.setShape(kCrossfadeExponential);
    EXPECT_FLOAT_EQ(x.shapeValue(0.0f), 0.01f);
    EXPECT_FLOAT_EQ(x.shapeValue(1.0f), 1.0f);
    EXPECT_NEAR(x.shapeValue(0.5f), 0.1f, 1e-6);
    x.setShape(kCrossfadeSinusoidal);
    EXPECT_FLOAT_EQ(x.shapeValue(0.0f), 0.0f);
    // 3.14159 as written.
    EXPECT_FLOAT_EQ(x.shapeValue(1.0f), static_cast<float>(0.5 - 0.5 * std::cos(3.14159)));
    EXPECT_NEAR(x.shapeValue(0.5f), 0.5 - 0.5 * std::cos(3.14159 * 0.5), 1e-7);
    for (int32_t shape : {4, 5, -1, 99}) {
        x.setShape(shape);
        EXPECT_EQ(x.shapeValue(0.5f), 0.0f) << shape;
    }
}

TEST(CrossfadeMix, ShapeEvaluatedEveryEightFramesAndInterpolated)
{
    CountingCrossfade x(nullptr, nullptr, kCrossfadeExponential);
    const int frames = 13;
    std::vector<float> a(frames, 0.0f), b(frames, 1.0f), out(frames, -1.0f);
    const float x0 = 0.0f, dx = 1.0f / 13.0f;
    x.mix(out.data(), a.data(), b.data(), frames, 1, x0, dx);
    // Frame 0: g(0) and g(8 dx); frame 8: g(x8) and g(x8 + 8 dx). Nothing else.
    ASSERT_EQ(x.evaluated.size(), 4u);
    EXPECT_FLOAT_EQ(x.evaluated[0], 0.0f);
    EXPECT_NEAR(x.evaluated[1], 8 * dx, 1e-6);
    EXPECT_NEAR(x.evaluated[2], 8 * dx, 1e-6);
    EXPECT_NEAR(x.evaluated[3], 16 * dx, 1e-6);
    // With A silent and B at 1 the mix is the running gain: exact at 0 and 8, linear between.
    const float g0 = 0.01f, g8 = x.Crossfade::shapeValue(8 * dx), g16 = x.Crossfade::shapeValue(16 * dx);
    EXPECT_NEAR(out[0], g0, 1e-6);
    EXPECT_NEAR(out[4], g0 + 4 * (g8 - g0) / 8, 1e-6);
    EXPECT_NEAR(out[8], g8, 1e-5);
    EXPECT_NEAR(out[12], g8 + 4 * (g16 - g8) / 8, 1e-5);
}

class CrossfadeRender : public test::ClipFixture {};

TEST_F(CrossfadeRender, ConstantSignalsGiveTheShapeValue)
{
    // A = 0 over [0, 2000), B = 1 over [1000, 3000): overlap [1000, 2000), L = 1000.
    auto a = openClip(writeConstant("a.wav", 2000, 0.0f), 0);
    auto b = openClip(writeConstant("b.wav", 2000, 1.0f), 1000);
    for (int32_t shape : {0, 1, 2, 3}) {
        Crossfade x(a.get(), b.get(), shape);
        x.bind(floatCopy(project));
        ASSERT_EQ(x.length(), 1000);
        const uint32_t ra = a->openReader(), rb = b->openReader();
        std::vector<float> out(1000 * 2, -5.0f), sa(2000), sb(2000);
        x.render(ra, rb, out.data(), 1000, 1000, sa.data(), sb.data());
        for (int f = 0; f < 1000; f += 8)
            // x is accumulated frame by frame in single precision, as the mix does.
            ASSERT_NEAR(out[size_t(f) * 2], x.shapeValue(f / 1000.0f), 5e-4) << "shape " << shape << " frame " << f;
        a->closeReader(ra);
        b->closeReader(rb);
    }
}

TEST_F(CrossfadeRender, NoCrossfadeReplacesAAndLengthZeroRendersNothing)
{
    auto a = openClip(writeConstant("a.wav", 2000, 0.25f), 0);
    auto b = openClip(writeConstant("b.wav", 2000, 0.75f), 1500);
    Crossfade x(a.get(), b.get(), kCrossfadeNone);
    x.bind(floatCopy(project));
    const uint32_t ra = a->openReader(), rb = b->openReader();
    std::vector<float> out(500 * 2, 0.0f), sa(1000), sb(1000);
    x.render(ra, rb, out.data(), 1600, 400, sa.data(), sb.data());
    EXPECT_FLOAT_EQ(out[0], 0.75f);
    EXPECT_FLOAT_EQ(out[799], 0.75f);
    EXPECT_FLOAT_EQ(out[800], 0.0f);

    // Touching clips: a crossfade of length 0 leaves the destination alone.
    b->moveTo(2000);
    Crossfade touching(a.get(), b.get(), kCrossfadeLinear);
    touching.bind(floatCopy(project));
    EXPECT_EQ(touching.length(), 0);
    std::fill(out.begin(), out.end(), -1.0f);
    touching.render(ra, rb, out.data(), 2000, 100, sa.data(), sb.data());
    EXPECT_FLOAT_EQ(out[0], -1.0f);
    a->closeReader(ra);
    b->closeReader(rb);
}

TEST(TempoMatcher, FoldingAndThePairOfTempos)
{
    // 60 folds to 120 against 125: (120, 125), the outgoing clip was the lower one.
    TempoPair p = TempoMatcher::pairFor(60.0f, 125.0f);
    EXPECT_FLOAT_EQ(p.x, 120.0f);
    EXPECT_FLOAT_EQ(p.y, 125.0f);
    EXPECT_TRUE(p.outgoingIsLower);
    float ra = 0, rb = 0;
    TempoMatcher::ratiosFor(p, 122.0f, ra, rb);
    EXPECT_FLOAT_EQ(ra, 120.0f / 122.0f);
    EXPECT_FLOAT_EQ(rb, 125.0f / 122.0f);

    // Equal tempos: B is the lower one.
    p = TempoMatcher::pairFor(100.0f, 100.0f);
    EXPECT_FALSE(p.outgoingIsLower);
    EXPECT_LT(std::fabs(p.x - p.y), 0.5f);
    p = TempoMatcher::pairFor(100.2f, 100.0f);
    EXPECT_LT(std::fabs(p.x - p.y), 0.5f);

    // 70 against 125: 140 lies nearer to 125 than 70 does, so (X, Y) = (125, 140). Each
    // clip is scaled from its own folded tempo, so both land on T.
    p = TempoMatcher::pairFor(125.0f, 70.0f);
    EXPECT_FLOAT_EQ(p.x, 125.0f);
    EXPECT_FLOAT_EQ(p.y, 140.0f);
    EXPECT_FALSE(p.outgoingIsLower);
    TempoMatcher::ratiosFor(p, 130.0f, ra, rb);
    EXPECT_FLOAT_EQ(125.0f / ra, 130.0f); // A's tempo after scaling
    EXPECT_FLOAT_EQ(140.0f / rb, 130.0f); // B's folded tempo after scaling
}


namespace {
struct FixedChooser : TempoChooser {
    std::optional<TempoChoice> answer;
    int asked = 0;
    std::optional<TempoChoice> chooseTempo(float, float) override
    {
        ++asked;
        return answer;
    }
};
} // namespace

TEST_F(CrossfadeRender, TempoMatchingSilenceCannotBeMeasured)
{
    auto a = openClip(writeConstant("a.wav", 44100 * 4, 0.0f), 0);
    auto b = openClip(writeConstant("b.wav", 44100 * 4, 0.0f), 44100 * 3);
    Crossfade x(a.get(), b.get(), kCrossfadeLinear);
    RecordingPrompter prompter;
    FixedChooser chooser;
    EXPECT_EQ(TempoMatcher::match(x, prompter, chooser), TempoMatcher::Result::NotMeasured);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kTempoNotMeasuredText});
    EXPECT_EQ(chooser.asked, 0);
}

namespace {
// Clicks on every beat: a short decaying 1.5 kHz burst, which the tempo measuring locks on.
float click(int64_t frame, double bpm)
{
    const double period = 60.0 / bpm * 44100.0;
    const double j = std::fmod(static_cast<double>(frame), period);
    return j < 400 ? static_cast<float>(0.8 * std::sin(2.0 * M_PI * 1500.0 * j / 44100.0) * std::exp(-j / 80.0)) : 0.0f;
}
} // namespace

// Past the measuring: the user's choice, or its absence, decides what the transitions get.
TEST_F(CrossfadeRender, TempoMatchingAppliesTheChoiceOrLeavesTheClipsAlone)
{
    constexpr int64_t kFrames = 44100 * 10;
    struct Row {
        double bpmB;
        std::optional<TempoChoice> answer;
        TempoMatcher::Result result;
        int asked;
    };
    const std::string a90 = writeSignal("a.wav", kFrames, [](int64_t f) { return click(f, 90.0); });
    const std::string b120 = writeSignal("b120.wav", kFrames, [](int64_t f) { return click(f, 120.0); });
    const std::string b90 = writeSignal("b90.wav", kFrames, [](int64_t f) { return click(f, 90.0); });
    for (const Row& row : {Row{120.0, TempoChoice{kTempoGradual, 105.0f}, TempoMatcher::Result::Applied, 1},
                           Row{120.0, std::nullopt, TempoMatcher::Result::Cancelled, 1},
                           Row{90.0, TempoChoice{kTempoHard, 100.0f}, TempoMatcher::Result::SameTempo, 0}}) {
        SCOPED_TRACE(static_cast<int>(row.result));
        auto a = openClip(a90, 0);
        auto b = openClip(row.bpmB == 120.0 ? b120 : b90, int32_t(kFrames - 44100 * 3));
        const int32_t lengthA = a->sourceLength(), lengthB = b->sourceLength();
        Crossfade x(a.get(), b.get(), kCrossfadeLinear);
        RecordingPrompter prompter;
        FixedChooser chooser;
        chooser.answer = row.answer;
        ASSERT_EQ(TempoMatcher::match(x, prompter, chooser), row.result);
        EXPECT_EQ(chooser.asked, row.asked);
        if (row.result != TempoMatcher::Result::Applied) {
            EXPECT_EQ(x.tempoFlags(), 0);
            EXPECT_EQ(a->sourceLength(), lengthA);
            EXPECT_EQ(b->sourceLength(), lengthB);
            EXPECT_EQ(prompter.messages().empty(), row.result == TempoMatcher::Result::Cancelled);
            continue;
        }
        // Each clip goes from its own tempo (90, 120) to the common one.
        EXPECT_EQ(x.tempoFlags(), kTempoGradual);
        EXPECT_NEAR(x.tempoRatioA(), 90.0 / 105.0, 0.015);
        EXPECT_NEAR(x.tempoRatioB(), 120.0 / 105.0, 0.015);
        const int32_t scaledA = a->sourceLength(), scaledB = b->sourceLength();
        EXPECT_NE(scaledA, lengthA);
        EXPECT_NE(scaledB, lengthB);
        // Re-applying restores a scaling the clips lost (as a reopened clip does).
        a->setTransitionScale(0, kTempoAtEnd, 1.0f);
        b->setTransitionScale(0, kTempoAtStart, 1.0f);
        EXPECT_EQ(a->sourceLength(), lengthA);
        x.reapplyTempo();
        EXPECT_EQ(a->sourceLength(), scaledA);
        EXPECT_EQ(b->sourceLength(), scaledB);
    }
}
