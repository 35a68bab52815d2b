// Time texts of every format, ruler step candidates and grid snapping.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "ui/time_formatter.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace quillon {
namespace {

constexpr int kRate = 44100;

TimeFormatter formatter(int32_t format, int32_t rate = kRate, int32_t beats = 4, int32_t samplesPerBeat = 22050)
{
    TimeFormatter f;
    f.set(format, rate, beats, samplesPerBeat);
    return f;
}

QString fmt(TimeFormatter f, int32_t position) { return f.format(position); }

TEST(TimeFormatter, PositionAtTheOriginIsZeroInEveryFormat)
{
    for (int32_t origin : {0, 123456}) {
        TimeFormatter metric = formatter(kTimeMetric);
        metric.setOrigin(origin);
        EXPECT_EQ(fmt(metric, origin), "0m 00s:000");
        TimeFormatter bars = formatter(kTimeBarsBeats);
        bars.setOrigin(origin);
        EXPECT_EQ(fmt(bars, origin), "0:0:000");
        TimeFormatter smpte = formatter(kTimeSmpte);
        smpte.setOrigin(origin);
        EXPECT_EQ(fmt(smpte, origin), "00:00:00:00");
        TimeFormatter samples = formatter(kTimeSamples);
        samples.setOrigin(origin);
        EXPECT_EQ(fmt(samples, origin), "0");
    }
}

TEST(TimeFormatter, MetricMillisecondsAndNegativePositions)
{
    EXPECT_EQ(fmt(formatter(kTimeMetric), kRate * 61 + 22050), "1m 01s:500");
    EXPECT_EQ(fmt(formatter(kTimeMetric), -kRate), "-0m 01s:000");
    // Before the first CD track the times count backwards from it.
    TimeFormatter f = formatter(kTimeMetric);
    f.setOrigin(kRate * 2);
    EXPECT_EQ(f.format(kRate / 2), "-0m 01s:500");
    // p * 1000 leaves 32 bits after 48 seconds: the millisecond part must still be right.
    EXPECT_EQ(fmt(formatter(kTimeMetric), kRate * 100 + 441), "1m 40s:010");
}

TEST(TimeFormatter, MetricMinutesAreNotWrappedWhileSmpteShowsHours)
{
    EXPECT_EQ(fmt(formatter(kTimeMetric), kRate * 7200), "120m 00s:000");
    EXPECT_EQ(fmt(formatter(kTimeSmpte), kRate * 7200), "02:00:00:00");
    EXPECT_EQ(fmt(formatter(kTimeSmpte), kRate * 3725 + kRate / 25 * 3), "01:02:05:03");
}

TEST(TimeFormatter, SamplesAreGroupedByThousands)
{
    const TimeFormatter f = formatter(kTimeSamples);
    EXPECT_EQ(fmt(f, 999), "999");
    EXPECT_EQ(fmt(f, 1000), "1 000");
    EXPECT_EQ(fmt(f, 1234567), "1 234 567");
    EXPECT_EQ(fmt(f, 1000000000), "1 000 000 000");
    EXPECT_EQ(fmt(f, 2147483647), "2 147 483 647");
    EXPECT_EQ(fmt(f, -1000001), "-1 000 001");
}

TEST(TimeFormatter, BarsBeatsAndTicksCountFromZero)
{
    const TimeFormatter f = formatter(kTimeBarsBeats);
    EXPECT_EQ(fmt(f, 22050 * 5), "1:1:000");
    EXPECT_EQ(fmt(f, 22050 * 3 + 11025), "0:3:500");
    EXPECT_EQ(fmt(f, 22050 * 4 * 12 + 1), "12:0:000");
}

TEST(TimeFormatter, MinutesAndSecondsForMilliseconds)
{
    TimeFormatter f;
    f.set(kTimeMinSec, 1000, 0, 0);
    EXPECT_EQ(f.format(185000), "3m 05s");
}

TEST(TimeFormatter, UnknownFormatsAndZeroDivisorsGiveNoText)
{
    TimeFormatter fresh;
    EXPECT_EQ(fresh.format(1000), "");
    EXPECT_EQ(fmt(formatter(99), 1000), "");
    EXPECT_EQ(fmt(formatter(kTimeMetric, 0), 1000), "");
    EXPECT_EQ(fmt(formatter(kTimeBarsBeats, kRate, 4, 0), 1000), "");
    EXPECT_EQ(fmt(formatter(kTimeBarsBeats, kRate, 0, 22050), 1000), "");
    // The text stays readable after the call.
    TimeFormatter f = formatter(kTimeSamples);
    f.format(42);
    EXPECT_EQ(f.text(), "42");
}

TEST(TimeFormatter, RulerStepsPerFormat)
{
    int64_t base = -1;
    const auto metric = formatter(kTimeMetric).rulerSteps(base);
    EXPECT_EQ(base, kRate);
    ASSERT_EQ(metric.size(), 8u);
    std::vector<int64_t> sizes;
    for (const RulerStep& s : metric)
        sizes.push_back(s.samples(base));
    EXPECT_EQ(sizes, (std::vector<int64_t>{44, 441, 4410, 44100, 441000, 2646000, 26460000, 158760000}));

    const auto bars = formatter(kTimeBarsBeats, kRate, 3, 22050).rulerSteps(base);
    EXPECT_EQ(base, 22050);
    EXPECT_EQ(bars.back(), RulerStep(0, 3));
    EXPECT_EQ(bars.back().samples(base), 66150);

    const auto smpte = formatter(kTimeSmpte).rulerSteps(base);
    EXPECT_EQ(base, kRate);
    EXPECT_EQ(smpte.front().samples(base), kRate / 25); // one frame
    EXPECT_EQ(smpte[1].samples(base), kRate / 5);       // five frames

    const auto samples = formatter(kTimeSamples).rulerSteps(base);
    EXPECT_EQ(base, 1);
    EXPECT_EQ(samples, std::vector<RulerStep>{RulerStep(0, 1)});

    EXPECT_TRUE(formatter(kTimeMinSec).rulerSteps(base).empty());
}

TEST(TimeFormatter, ProjectSetUpUsesTempoMeterAndTheFirstCdTrack)
{
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    CMultitrackerDoc doc(settings, prompter);
    doc.setTimeFormat(kTimeBarsBeats);
    doc.setTempo(12000);
    doc.setBeatsPerMeasure(3);
    doc.labels().removeAll();
    doc.labels().add(kRate, ProjectLabel::kIndex);
    doc.labels().add(kRate * 2, ProjectLabel::kTrackSplit);
    TimeFormatter f = TimeFormatter::fromDocument(doc);
    EXPECT_EQ(f.samplesPerBeat(), 22050);
    EXPECT_EQ(f.beatsPerMeasure(), 3);
    EXPECT_EQ(f.origin(), kRate * 2);
    EXPECT_EQ(f.format(kRate * 2 + 22050 * 4), "1:1:000");
}

// A language pack that answers with the given texts for the formatter's strings.
class PackTexts : public QTranslator {
public:
    PackTexts(QString bars, QString minutes) : m_bars(std::move(bars)), m_minutes(std::move(minutes)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (QByteArray(context) != "TimeFormatter")
            return QString();
        if (QByteArray(source) == "%d:%.1d:%.3d")
            return m_bars;
        if (QByteArray(source) == "m")
            return m_minutes;
        return QString();
    }

private:
    QString m_bars;
    QString m_minutes;
};

TEST(TimeFormatter, UnitTextsComeFromTheLanguagePackButOnlySafeFormatsAreUsed)
{
    {
        PackTexts pack("%d|%.1d|%.3d", "min");
        QCoreApplication::installTranslator(&pack);
        EXPECT_EQ(fmt(formatter(kTimeBarsBeats), 22050 * 5), "1|1|000");
        EXPECT_EQ(fmt(formatter(kTimeMetric), kRate * 61), "1min 01s:000");
        QCoreApplication::removeTranslator(&pack);
    }
    // A pack whose format asks for text or for the wrong number of fields would read
    // past the numbers it is given: the built-in format is used instead.
    for (const char* bad : {"%s:%d:%d", "%d:%d", "%d:%d:%d:%d", "%d:%n:%d"}) {
        PackTexts pack(bad, "m");
        QCoreApplication::installTranslator(&pack);
        EXPECT_EQ(fmt(formatter(kTimeBarsBeats), 22050 * 5), "1:1:000") << bad;
        QCoreApplication::removeTranslator(&pack);
    }
}

TEST(Snap, TruncatesToTheGridOfFourBeatsPerDivision)
{
    // Quarter notes at 120 BPM and 44100 Hz: one beat, 22050 samples.
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(30000, kRate, 4, 12000), 22050);
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(22049, kRate, 4, 12000), 0);
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(44100, kRate, 4, 12000), 44100);
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(30000, kRate, 0, 12000), 30000);
    // Quarter-note triplets: four beats / 3.
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(30000, kRate, 3, 12000), 29400);
}

} // namespace
} // namespace quillon
