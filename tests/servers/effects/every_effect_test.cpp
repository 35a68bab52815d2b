// What every shipped effect must do, whatever it does to the sound.

#include "effect_rig.h"

#include "plugins/host_audio_block.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

using namespace quillon;
using namespace quillon::test;

namespace {

const std::vector<std::string> kEffects = {"Gain and Balance", "Parametric Equaliser", "Compressor",     "Limiter",
                                           "Stereo Delay",     "Reverb",               "Noise Reduction", "Click Reduction"};

class EveryEffect : public ::testing::TestWithParam<std::string> {};

std::string testName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name;
    for (char c : info.param)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
}

// A value away from the default inside the range, different for each parameter.
float otherValue(const QuillonFxParameterRange& r, uint32_t index)
{
    if (r.kind == QUILLON_FX_PARAM_SWITCH)
        return r.defaultValue > 0.5f ? 0.0f : 1.0f;
    const float v = r.minimum + (0.23f + 0.05f * static_cast<float>(index % 10)) * (r.maximum - r.minimum);
    return r.kind == QUILLON_FX_PARAM_STEPPED ? std::round(v) : v;
}

TEST(ShippedEffects, AreAllInTheCatalogue)
{
    EXPECT_EQ(EffectRig::effectNames(), kEffects);
}

TEST_P(EveryEffect, DescribesItsParametersAndAnswersTheFixedCommands)
{
    EffectRig rig(GetParam());
    const uint32_t n = rig.parameterCount();
    ASSERT_GT(n, 0u);
    for (uint32_t i = 0; i < n; ++i) {
        char name[64] = {};
        QuillonFxParameterText text{i, name, sizeof(name)};
        ASSERT_EQ(rig.instance().command(QUILLON_FX_PARAMETER_NAME, &text, sizeof(text)), 0);
        EXPECT_GT(std::strlen(name), 0u) << i;
        const QuillonFxParameterRange r = rig.range(i);
        EXPECT_LT(r.minimum, r.maximum) << name;
        EXPECT_GE(r.defaultValue, r.minimum) << name;
        EXPECT_LE(r.defaultValue, r.maximum) << name;
        EXPECT_FLOAT_EQ(rig.get(i), r.defaultValue) << name;
    }
    QuillonFxParameter outside{n, 1.0f};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_SET_PARAMETER, &outside, sizeof(outside)), QUILLON_E_BAD_PARAM);
    QuillonFxParameter notANumber{0, std::numeric_limits<float>::quiet_NaN()};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_SET_PARAMETER, &notANumber, sizeof(notANumber)), QUILLON_E_BAD_PARAM);
    EXPECT_FALSE(std::isnan(rig.get(0)));

    QuillonFxLengthFactor factor{0.0};
    rig.instance().call(QUILLON_FX_LENGTH_FACTOR, factor);
    EXPECT_DOUBLE_EQ(factor.factor, 1.0);
    QuillonFxHasEditor editor{-1};
    rig.instance().call(QUILLON_FX_HAS_EDITOR, editor);
    EXPECT_EQ(editor.hasEditor, 0);
    // Commands with a parameter of the wrong size are refused, not misread.
    uint64_t wrong = 0;
    EXPECT_EQ(rig.instance().command(QUILLON_FX_SET_FORMAT, &wrong, sizeof(wrong)), QUILLON_E_BAD_SIZE);
}

TEST_P(EveryEffect, StateRoundTripRestoresSettingsAndSound)
{
    EffectRig original(GetParam());
    const uint32_t n = original.parameterCount();
    for (uint32_t i = 0; i < n; ++i)
        original.set(i, otherValue(original.range(i), i));
    const std::vector<uint8_t> state = original.saveState();

    EffectRig restored(GetParam());
    restored.loadState(state);
    for (uint32_t i = 0; i < n; ++i)
        EXPECT_FLOAT_EQ(restored.get(i), original.get(i)) << i;
    EXPECT_EQ(restored.saveState(), state);

    // Both start from rest and must sound the same.
    original.reset();
    restored.reset();
    const std::vector<float> input = noise(0.5, 0.5, 44100, 2, 7);
    EXPECT_EQ(original.processed(input), restored.processed(input));
}

TEST_P(EveryEffect, CutOrForeignStateChangesNothing)
{
    EffectRig source(GetParam());
    for (uint32_t i = 0; i < source.parameterCount(); ++i)
        source.set(i, otherValue(source.range(i), i));
    std::vector<uint8_t> state = source.saveState();
    state.resize(state.size() - 2);

    EffectRig target(GetParam());
    const std::vector<uint8_t> before = target.saveState();
    EXPECT_THROW(target.loadState(state), ClassCom);
    EXPECT_THROW(target.loadState(std::vector<uint8_t>(16, 0x33)), ClassCom);
    EXPECT_EQ(target.saveState(), before);
    // An empty state is what a project without saved settings holds: defaults stay.
    EXPECT_NO_THROW(target.loadState({}));
    EXPECT_EQ(target.saveState(), before);
}

TEST_P(EveryEffect, SilenceInGivesSilenceOutAtEveryRate)
{
    for (uint32_t rate : {22050u, 44100u, 48000u, 96000u}) {
        for (uint32_t channels : {1u, 2u}) {
            EffectRig rig(GetParam(), rate, channels);
            const std::vector<float> out = rig.processed(silence(1.0, rate, channels));
            EXPECT_EQ(peakAll(out), 0.0) << rate << " Hz, " << channels << " channels";
        }
    }
}

TEST_P(EveryEffect, SoundStaysFiniteAndBoundedAtEveryRate)
{
    for (uint32_t rate : {22050u, 44100u, 96000u}) {
        for (uint32_t channels : {1u, 2u}) {
            EffectRig rig(GetParam(), rate, channels);
            const std::vector<float> out = rig.processed(noise(0.5, 1.0, rate, channels, rate + channels));
            for (float v : out)
                ASSERT_TRUE(std::isfinite(v)) << rate << " Hz, " << channels << " channels";
            EXPECT_LT(peakAll(out), 4.0) << rate << " Hz, " << channels << " channels";
            EXPECT_GT(peakAll(out), 0.01) << rate << " Hz, " << channels << " channels";
        }
    }
}

TEST_P(EveryEffect, RefusesFormatsAndBlocksItCannotProcess)
{
    EffectRig rig(GetParam());
    QuillonFxFormat three{44100, 3, 0};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_SET_FORMAT, &three, sizeof(three)), QUILLON_E_BAD_PARAM);
    QuillonFxFormat slow{100, 2, 0};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_SET_FORMAT, &slow, sizeof(slow)), QUILLON_E_BAD_PARAM);

    // A mono block given to an effect set up for stereo would be misread: refused, untouched.
    std::vector<float> mono = noise(0.5, 0.01, 44100, 1);
    const std::vector<float> before = mono;
    HostAudioBlock block(mono.data(), static_cast<uint32_t>(mono.size()), 1, static_cast<uint32_t>(mono.size()), 0);
    QuillonFxProcess p{block.record()};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_PROCESS, &p, sizeof(p)), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(mono, before);
    // A record of another kind is not taken for a block.
    QuillonFxProcess wrongKind{block.record()};
    wrongKind.block.id = QUILLON_IID_BYTE_STREAM;
    EXPECT_EQ(rig.instance().command(QUILLON_FX_PROCESS, &wrongKind, sizeof(wrongKind)), QUILLON_E_BAD_HANDLE);
    // An empty block is fine.
    HostAudioBlock empty(mono.data(), 0, 2, 0, 0);
    QuillonFxProcess none{empty.record()};
    EXPECT_EQ(rig.instance().command(QUILLON_FX_PROCESS, &none, sizeof(none)), 0);
}

// Settings whose history decays slowly through the tiny-number range after the sound
// stops: long low filters, short and fed-back delay lines, a small room.
void makeTailsLinger(EffectRig& rig, const std::string& name)
{
    if (name == "Parametric Equaliser") {
        rig.set(13, 1.0f);  // high-pass on
        rig.set(14, 10.0f); // at 10 Hz
        rig.set(0, 20.0f);  // low shelf at 20 Hz
        rig.set(1, 12.0f);
        rig.set(2, 30.0f); // band 1 at 30 Hz, wide
        rig.set(3, 12.0f);
        rig.set(4, 0.1f);
    } else if (name == "Stereo Delay") {
        rig.set(0, 40.0f);
        rig.set(1, 55.0f);
        rig.set(2, 50.0f);
    } else if (name == "Reverb") {
        rig.set(0, 0.0f);
        rig.set(1, 0.0f);
    } else if (name == "Compressor") {
        rig.set(3, 5.0f); // fast release
    }
}

double secondsToRun(EffectRig& rig, std::vector<float>& frames)
{
    const auto start = std::chrono::steady_clock::now();
    rig.run(frames);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_P(EveryEffect, SilenceAfterSoundIsNotSlowerThanSound)
{
    EffectRig rig(GetParam());
    makeTailsLinger(rig, GetParam());
    const std::vector<float> warmUp = noise(0.8, 1.0, 44100, 2, 3);
    double quietTime = 1e9;
    double loudTime = 1e9;
    for (int round = 0; round < 3; ++round) {
        std::vector<float> first = warmUp;
        std::vector<float> quiet = silence(20.0, 44100, 2);
        rig.reset();
        rig.run(first);
        quietTime = std::min(quietTime, secondsToRun(rig, quiet));

        std::vector<float> second = warmUp;
        std::vector<float> loud = noise(0.8, 20.0, 44100, 2, 11 + round);
        rig.reset();
        rig.run(second);
        loudTime = std::min(loudTime, secondsToRun(rig, loud));
    }
    EXPECT_LT(quietTime, 2.0 * loudTime) << "silence " << quietTime << " s, noise " << loudTime << " s";
}

INSTANTIATE_TEST_SUITE_P(Shipped, EveryEffect, ::testing::ValuesIn(kEffects), testName);

} // namespace
