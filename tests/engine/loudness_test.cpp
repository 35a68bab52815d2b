// EBU R128 loudness: the meter against the reference sine, the plan's gains under the
// true-peak ceiling, and exports normalised to a target measuring as that target.
#include "engine/audio_exporter.h"
#include "engine/cd_track_export.h"
#include "engine/gain_schedule_sink.h"
#include "engine/job_runner.h"
#include "engine/loudness_meter.h"
#include "engine/loudness_plan.h"

#include "engine/engine_fixture.h"
#include "engine/sample_block.h"
#include "model/label_list.h"
#include "model/project_label.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace quillon::test {
namespace {

double dbToLinear(double db) { return std::pow(10.0, db / 20.0); }

LoudnessReading measureFile(const std::string& path)
{
    SF_INFO info{};
    const std::vector<float> frames = readAudio(path, &info);
    LoudnessMeter meter(uint32_t(info.channels), uint32_t(info.samplerate));
    meter.addFrames(frames.data(), int64_t(frames.size()) / info.channels);
    return meter.reading();
}

class SineLoudness : public ::testing::TestWithParam<int> {};

// The reference signal: a 1 kHz stereo sine at -23 dBFS reads -23 LUFS.
TEST_P(SineLoudness, OneKilohertzAtMinus23DbfsReadsMinus23Lufs)
{
    const int rate = GetParam();
    const double amplitude = dbToLinear(-23.0);
    std::vector<float> frames(size_t(20 * rate) * 2);
    for (size_t f = 0; f < frames.size() / 2; ++f)
        frames[2 * f] = frames[2 * f + 1] = float(amplitude * std::sin(2.0 * M_PI * 1000.0 * double(f) / rate));
    LoudnessMeter meter(2, uint32_t(rate));
    meter.addFrames(frames.data(), int64_t(frames.size() / 2));
    const LoudnessReading r = meter.reading();
    EXPECT_NEAR(r.integratedLufs, -23.0, 0.1);
    EXPECT_NEAR(r.truePeakDbtp, -23.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Rates, SineLoudness, ::testing::Values(44100, 48000));

struct PlanCase {
    const char* name;
    LoudnessMode mode;
    std::vector<LoudnessReading> pieces;
    LoudnessReading whole;
    std::vector<double> gainsDb;
    std::vector<size_t> lowered;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class LoudnessPlanCases : public ::testing::TestWithParam<PlanCase> {};

TEST_P(LoudnessPlanCases, GainsStayUnderTheCeiling)
{
    const PlanCase& c = GetParam();
    LoudnessTarget target;
    target.mode = c.mode;
    const LoudnessPlan plan(target, c.pieces, c.whole);
    ASSERT_EQ(plan.gains().size(), c.gainsDb.size());
    for (size_t i = 0; i < c.gainsDb.size(); ++i) {
        EXPECT_NEAR(20.0 * std::log10(plan.gains()[i]), c.gainsDb[i], 0.02) << i;
        EXPECT_LE(c.pieces[i].truePeakDbtp + 20.0 * std::log10(plan.gains()[i]), -1.0) << i;
    }
    EXPECT_EQ(plan.lowered(), c.lowered);
    EXPECT_EQ(plan.loweredText(LoudnessPlan::Piece::CdTrack).empty(), c.lowered.empty());
}

const double kSilent = -INFINITY;

INSTANTIATE_TEST_SUITE_P(
    Modes, LoudnessPlanCases,
    ::testing::Values(
        PlanCase{"EachTrackToTheTarget", LoudnessMode::MatchTracks, {{-20, -8}, {-10, -3}}, {-13, -3}, {6, -4}, {}},
        // Track 2 would need +16 dB with a peak at -6 dBTP: held at the ceiling.
        PlanCase{"APeakyTrackIsLowered", LoudnessMode::MatchTracks, {{-20, -8}, {-30, -6}}, {-22, -6}, {6, 4.99}, {1}},
        PlanCase{"SilenceKeepsUnity", LoudnessMode::MatchTracks, {{kSilent, kSilent}, {-14, -2}}, {-17, -2}, {0, 0}, {}},
        PlanCase{"AlbumOneGain", LoudnessMode::Album, {{-20, -8}, {-10, -3}}, {-16, -3}, {1.99, 1.99}, {0, 1}},
        PlanCase{"AlbumUnderTheCeiling", LoudnessMode::Album, {{-20, -9}, {-18, -7}}, {-19, -7}, {5, 5}, {}},
        PlanCase{"Off", LoudnessMode::Off, {{-20, -8}}, {-20, -8}, {0}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

class LoudnessExportTest : public EngineFixture {
protected:
    // A 1 kHz sine of `db` dBFS on both channels, with a click of `click` at its middle.
    std::string sine(const std::string& name, double seconds, double db, float click = 0.0f)
    {
        const int64_t frames = int64_t(seconds * doc.sampleRate());
        const double rate = doc.sampleRate();
        return writeSignal(name, frames, [=](int, int64_t f) {
            if (click != 0.0f && f == frames / 2)
                return double(click);
            return dbToLinear(db) * std::sin(2.0 * M_PI * 1000.0 * double(f) / rate);
        });
    }
    std::filesystem::path out() const { return tmp.path() / "out"; }
};

// Tracks of very different loudness all come out at the target; the quiet one whose
// click would pass -1 dBTP is held back and named.
TEST_F(LoudnessExportTest, MatchedCdTracksLandOnTheTargetOrAreNamed)
{
    addTrack();
    addClip(0, sine("loud.wav", 6, -6.0), 0);
    addClip(0, sine("quiet.wav", 6, -30.0), 6 * 44100);
    addClip(0, sine("clicky.wav", 6, -40.0, 0.5f), 12 * 44100);
    doc.labels().removeAll();
    for (int i = 0; i < 3; ++i)
        doc.labels().add(i * 6 * 44100, ProjectLabel::kTrackSplit, "t" + std::to_string(i + 1));
    std::filesystem::create_directories(out());
    CdTrackExportList list(doc.labels(), doc.projectEnd());
    list.setBaseDirectory(out().string());
    PollingJobRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);
    LoudnessTarget target;
    target.mode = LoudnessMode::MatchTracks;
    exporter.setLoudness(target);
    ASSERT_EQ(exporter.exportCdTracks(list), ExportStatus::Done) << exporter.lastError();
    for (size_t i = 0; i < 2; ++i)
        EXPECT_NEAR(measureFile(list.path(i)).integratedLufs, -14.0, 0.5) << list.path(i);
    const LoudnessReading clicky = measureFile(list.path(2));
    EXPECT_LT(clicky.integratedLufs, -20.0);
    EXPECT_LE(clicky.truePeakDbtp, -0.9);
    EXPECT_EQ(exporter.loudnessPlan().lowered(), std::vector<size_t>{2});
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_NE(prompter.messages().back().find("CD track 3 cannot reach -14.0 LUFS"), std::string::npos)
        << prompter.messages().back();
}

// Keeps what it is given, to see the gains a file gets.
class CollectingSink : public SampleSink {
public:
    bool acceptBlock(const SampleBlock& block) override
    {
        samples.insert(samples.end(), block.data(), block.data() + block.frameCount() * block.channels());
        return true;
    }
    int64_t framesDone() const override { return int64_t(samples.size()); }
    int64_t framesDelivered() const override { return int64_t(samples.size()); }
    std::vector<float> samples;
};

// A change of gain is ramped on the side of the boundary with the higher gain, so no
// frame of a track is ever louder than its own gain; blocks larger than the buffer and
// blocks across a boundary come out the same as frame by frame.
TEST(GainScheduleSink, RampsOnTheLouderSideOfEachBoundary)
{
    CollectingSink out;
    GainScheduleSink sink(out, {{0, 2.0f}, {100, 0.5f}, {200, 1.5f}}, 1, 64, 10);
    std::vector<float> ones(300, 1.0f);
    SampleBlock block(ones.data(), 300, sizeof(float));
    ASSERT_TRUE(sink.acceptBlock(block));
    ASSERT_EQ(out.samples.size(), 300u);
    for (int f = 0; f < 300; ++f) {
        SCOPED_TRACE(f);
        const float own = f < 100 ? 2.0f : f < 200 ? 0.5f : 1.5f;
        EXPECT_LE(out.samples[f], own + 1e-6f);
        EXPECT_FLOAT_EQ(out.samples[f], sink.gainAt(f));
        const bool ramp = (f >= 90 && f < 100) || (f >= 200 && f < 210);
        if (ramp)
            EXPECT_GT(out.samples[f], 0.5f) << "a ramp, not a step";
        else
            EXPECT_FLOAT_EQ(out.samples[f], own);
    }
    for (int f = 91; f < 100; ++f)
        EXPECT_LT(out.samples[f], out.samples[f - 1]);
    for (int f = 201; f < 210; ++f)
        EXPECT_GT(out.samples[f], out.samples[f - 1]);
}

} // namespace
} // namespace quillon::test
