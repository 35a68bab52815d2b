// A two-track project with a crossfade, envelope curves, an equaliser on a track, a send
// into a group with its own equaliser, and master level and balance, rendered and
// exported, against the same mix computed here from the generated sources.

#include "engine/audio_exporter.h"
#include "engine/job_runner.h"
#include "engine/renderer.h"

#include "engine/engine_fixture.h"
#include "model/assignable_group.h"
#include "model/crossfade.h"
#include "model/curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace quillon::test {
namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr float kUnity = 40.0f / 52.0f;

double tone(double amplitude, double frequency, int64_t f, double phase = 0.0)
{
    return amplitude * std::sin(2.0 * kPi * frequency * double(f) / kRate + phase);
}

double a1(int c, int64_t f) { return c == 0 ? tone(0.5, 440, f) : tone(0.4, 550, f); }
double a2(int c, int64_t f) { return c == 0 ? tone(0.45, 330, f, 0.3) : tone(0.35, 770, f); }
double b1(int c, int64_t f) { return tone(0.3, 1000, f) + tone(0.2, 250, f, c); }

struct Point {
    int32_t position;
    double value;
};

// Breakpoints joined by straight lines, flat before the first and after the last.
double envelope(const std::vector<Point>& points, int64_t t)
{
    if (t <= points.front().position)
        return points.front().value;
    for (size_t i = 1; i < points.size(); ++i)
        if (t <= points[i].position) {
            const Point& q = points[i - 1];
            const Point& p = points[i];
            return q.value + (p.value - q.value) * double(t - q.position) / double(p.position - q.position);
        }
    return points.back().value;
}

// A peaking equaliser band from the audio EQ cookbook, in direct form I.
class Peaking {
public:
    Peaking(double frequency, double q, double gainDb)
    {
        const double a = std::pow(10.0, gainDb / 40.0);
        const double w = 2.0 * kPi * frequency / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha / a;
        m_b0 = (1.0 + alpha * a) / a0;
        m_b1 = -2.0 * std::cos(w) / a0;
        m_b2 = (1.0 - alpha * a) / a0;
        m_a1 = m_b1;
        m_a2 = (1.0 - alpha / a) / a0;
    }
    double operator()(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_b0, m_b1, m_b2, m_a1, m_a2;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

double sliderGain(double v) { return std::pow(10.0, (52.0 * v - 40.0) / 20.0); }

class MixdownTest : public EngineFixture {
protected:
    static constexpr int32_t kA2Start = 30000;
    static constexpr int32_t kBStart = 10000;
    static constexpr int64_t kClipFrames = 44100;
    static constexpr int64_t kBFrames = 66150;
    const std::vector<Point> volumePoints{{0, 1.0}, {20000, 0.5}, {60000, 0.8}};
    const std::vector<Point> panPoints{{0, 0.5}, {10000, 0.2}, {70000, 0.9}};
    static constexpr float kVolumeA = 0.7f;
    static constexpr float kPanA = 0.3f;
    static constexpr float kSendB = 0.6f;
    static constexpr float kMasterLevel = 0.7f;
    static constexpr float kMasterPan = 0.6f;

    void buildProject()
    {
        CTrack* a = addTrack("A");
        addClip(0, writeSignal("a1.wav", kClipFrames, a1), 0);
        addClip(0, writeSignal("a2.wav", kClipFrames, a2), kA2Start);
        ASSERT_EQ(a->clips().size(), 2u);
        Crossfade* fade = a->clips()[0]->outgoing();
        ASSERT_NE(fade, nullptr);
        ASSERT_EQ(fade->length(), kClipFrames - kA2Start);
        fade->setShape(3); // sinusoidal
        CCurve* volume = a->addCurve(CCurve::kVolume);
        volume->removeAllPoints();
        for (const Point& p : volumePoints)
            volume->addPoint(p.position, float(p.value));
        a->setVolume(kVolumeA);
        a->setPan(kPanA);

        CTrack* b = addTrack("B");
        addClip(1, writeSignal("b1.wav", kBFrames, b1), kBStart);
        CCurve* pan = b->addCurve(CCurve::kPan);
        pan->removeAllPoints();
        for (const Point& p : panPoints)
            pan->addPoint(p.position, float(p.value));
        auto trackEq = makeEffect("Parametric Equaliser");
        setParameter(*trackEq, "Band 2 frequency", 1000.0f);
        setParameter(*trackEq, "Band 2 gain", 6.0f);
        setParameter(*trackEq, "Band 2 Q", 1.4f);
        b->effects().append(std::move(trackEq));

        CAssignableGroup* group = doc.addGroup();
        group->setSendLevel(0, 0.0f); // turned all the way down: sends nothing
        group->setSendLevel(1, kSendB);
        auto groupEq = makeEffect("Parametric Equaliser");
        setParameter(*groupEq, "Band 1 frequency", 250.0f);
        setParameter(*groupEq, "Band 1 gain", -9.0f);
        setParameter(*groupEq, "Band 1 Q", 0.7f);
        setParameter(*groupEq, "Output gain", -3.0f);
        group->chain().append(std::move(groupEq));

        doc.setMasterLevel(kMasterLevel);
        doc.setMasterPan(kMasterPan);
    }

    // The mix of the first `frames` frames, interleaved.
    std::vector<double> expectedMix(int64_t frames) const
    {
        std::vector<double> out(size_t(frames) * 2);
        Peaking trackEq[2] = {{1000, 1.4, 6}, {1000, 1.4, 6}};
        Peaking groupEq[2] = {{250, 0.7, -9}, {250, 0.7, -9}};
        const double gainA = sliderGain(kVolumeA);
        const double factorsA[2] = {2 * gainA * std::min(1.0 - kPanA, 0.5), 2 * gainA * std::min<double>(kPanA, 0.5)};
        const double send = std::pow(10.0, ((double(kSendB) + kUnity) * 26.0 - 40.0) / 20.0);
        const double groupOut = std::pow(10.0, -3.0 / 20.0);
        const double master = sliderGain(kMasterLevel);
        const double masterGains[2] = {master * (2.0 - 2.0 * kMasterPan), master};
        const int64_t fadeLength = kClipFrames - kA2Start;

        for (int64_t t = 0; t < frames; ++t) {
            const double v = envelope(panPoints, t);
            const double panFactors[2] = {std::min(1.0, 2 * v), std::min(1.0, 2 * (1 - v))};
            for (int c = 0; c < 2; ++c) {
                double trackA = 0.0;
                if (t < kA2Start) {
                    trackA = a1(c, t);
                } else if (t < kClipFrames) {
                    const double x = double(t - kA2Start) / double(fadeLength);
                    const double g = 0.5 - 0.5 * std::cos(3.14159 * x);
                    trackA = (1 - g) * a1(c, t) + g * a2(c, t - kA2Start);
                } else if (t < kA2Start + kClipFrames) {
                    trackA = a2(c, t - kA2Start);
                }
                trackA *= envelope(volumePoints, t);

                double trackB = t >= kBStart && t < kBStart + kBFrames ? b1(c, t - kBStart) : 0.0;
                trackB = trackEq[c](trackB * panFactors[c]);
                const double group = groupEq[c](trackB * send) * groupOut;

                out[size_t(t) * 2 + c] = (trackA * factorsA[c] + trackB * sliderGain(kUnity) + group) * masterGains[c];
            }
        }
        return out;
    }

    static int64_t wholeBlocks(int64_t frames)
    {
        const int64_t b = Renderer::blockFrames(44100);
        return (frames + b - 1) / b * b;
    }
};

TEST_F(MixdownTest, RenderedMixMatchesTheIndependentComputationSampleBySample)
{
    buildProject();
    const int32_t end = doc.projectEnd();
    ASSERT_EQ(end, kBStart + kBFrames);

    CollectingSink sink;
    RenderRequest r;
    r.sink = &sink;
    r.range = SampleRange(0, end);
    float peak = -1.0f;
    r.peakOut = &peak;
    ASSERT_EQ(Renderer(doc).render(r), 1);
    ASSERT_EQ(int64_t(sink.frameCount()), wholeBlocks(end));

    const std::vector<double> expected = expectedMix(int64_t(sink.frameCount()));
    double worst = 0.0;
    size_t worstAt = 0;
    double loudest = 0.0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const double d = std::fabs(sink.frames[i] - expected[i]);
        if (d > worst) {
            worst = d;
            worstAt = i;
        }
        loudest = std::max(loudest, std::fabs(expected[i]));
    }
    EXPECT_LT(worst, 1e-4) << "frame " << worstAt / 2 << " channel " << worstAt % 2;
    // Something audible was compared, on both channels, past the crossfade too.
    EXPECT_GT(loudest, 0.3);
    EXPECT_GT(std::fabs(sink.right(60000)), 0.0f);
    // The peak output saw the loudest sampled frame, and nothing louder.
    EXPECT_GT(peak, 0.2f);
    EXPECT_LE(peak, loudest + 1e-4);
}

TEST_F(MixdownTest, ExportedFileHoldsTheSameMixAtTheProjectResolution)
{
    buildProject();
    const std::string path = tmp.file("mix.wav");
    PollingJobRunner runner(std::chrono::milliseconds(5));
    AudioExporter exporter(doc, host, runner, prompter);
    doc.trackAt(1)->setPlaybackOff(1); // export sounds every track anyway
    ASSERT_EQ(exporter.exportToFile(path), ExportStatus::Done) << exporter.lastError();
    EXPECT_EQ(exporter.filesCompleted(), 1);
    EXPECT_EQ(doc.trackAt(1)->playbackOff(), 0);

    SF_INFO info{};
    const std::vector<float> file = readAudio(path, &info);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    ASSERT_EQ(int64_t(info.frames), doc.projectEnd()); // a file holds exactly its range

    const std::vector<double> expected = expectedMix(info.frames);
    double worst = 0.0;
    size_t worstAt = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        if (std::fabs(file[i] - expected[i]) > worst) {
            worst = std::fabs(file[i] - expected[i]);
            worstAt = i;
        }
    EXPECT_LT(worst, 1.5 / 32768.0) << "frame " << worstAt / 2 << " channel " << worstAt % 2 << ": " << file[worstAt]
                                    << " for " << expected[worstAt];
    EXPECT_TRUE(prompter.entries().empty());
}

} // namespace
} // namespace quillon::test
