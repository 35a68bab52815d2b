// Peak files: building, answering any range, reuse, and rebuilding after the source
// changes on disk, which the filter also reports to the clip's sink.

#include "filter_fixture.h"

#include "plugins/host_interface.h"

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

using namespace quillon;
using namespace quillon::test;

namespace {

// A swelling tone on the left and a decaying rattle on the right, so that every stretch of
// the file has its own minimum and maximum.
std::vector<float> shapedSignal(int64_t frames, float scale)
{
    std::vector<float> data(static_cast<size_t>(frames) * 2);
    uint32_t noise = 12345;
    for (int64_t f = 0; f < frames; ++f) {
        const double t = double(f) / double(frames);
        data[static_cast<size_t>(2 * f)] = scale * static_cast<float>(t * std::sin(f * 0.0371));
        noise = noise * 1664525u + 1013904223u;
        data[static_cast<size_t>(2 * f + 1)] =
            scale * static_cast<float>((1 - t) * ((noise >> 8) / double(1 << 24) * 2 - 1));
    }
    return data;
}

struct MinMax {
    float lo = std::numeric_limits<float>::max();
    float hi = std::numeric_limits<float>::lowest();
};

MinMax exact(const std::vector<float>& data, int channel, int64_t first, int64_t last)
{
    MinMax m;
    const int64_t frames = static_cast<int64_t>(data.size() / 2);
    for (int64_t f = std::max<int64_t>(0, first); f < std::min(last, frames); ++f) {
        m.lo = std::min(m.lo, data[static_cast<size_t>(2 * f + channel)]);
        m.hi = std::max(m.hi, data[static_cast<size_t>(2 * f + channel)]);
    }
    return m;
}

// Each point must cover at least its own frames and at most those of the whole blocks of
// 256 frames they touch.
void expectPeaksBracketed(const PeakBuffer& peaks, const std::vector<float>& data, double first, double step)
{
    for (uint32_t i = 0; i < peaks.points; ++i) {
        const auto a = static_cast<int64_t>(std::ceil(first + i * step));
        const auto b = static_cast<int64_t>(std::ceil(first + (i + 1) * step));
        const auto outerA = static_cast<int64_t>(std::floor(first + i * step)) / 256 * 256;
        const auto outerB = (static_cast<int64_t>(std::ceil(first + (i + 1) * step)) + 255) / 256 * 256;
        for (int c = 0; c < 2; ++c) {
            const MinMax inner = exact(data, c, a, b);
            const MinMax outer = exact(data, c, outerA, outerB);
            ASSERT_LE(peaks.minimum(i, c), inner.lo) << "point " << i << " channel " << c;
            ASSERT_GE(peaks.minimum(i, c), outer.lo) << "point " << i << " channel " << c;
            ASSERT_GE(peaks.maximum(i, c), inner.hi) << "point " << i << " channel " << c;
            ASSERT_LE(peaks.maximum(i, c), outer.hi) << "point " << i << " channel " << c;
        }
    }
}

class ChangeSink : public HostInterface {
public:
    explicit ChangeSink(FileFilter& filter) : m_filter(filter) {}
    std::atomic<int> changes{0};
    std::atomic<int32_t> lengthSeen{-1};
    std::atomic<int> otherCodes{0};

protected:
    int32_t onCommand(uint32_t code, void*, uint32_t) override
    {
        if (code != QUILLON_SINK_SOURCE_CHANGED) {
            ++otherCodes;
            return 1;
        }
        // As the clip does: read the new length from inside the notification.
        lengthSeen = m_filter.length();
        ++changes;
        return 0;
    }

private:
    FileFilter& m_filter;
};

std::vector<std::filesystem::path> peakFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".vqpk")
            files.push_back(e.path());
    return files;
}

} // namespace

TEST(FileFilterPeaks, MatchTheSourceForAnyRangeAndPointCount)
{
    TempDir tmp;
    TempDir peaksDir;
    const int64_t frames = 44100 * 6 + 77;
    const std::vector<float> data = shapedSignal(frames, 0.9f);
    ASSERT_TRUE(writeAudio(tmp.file("s.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, data));
    FileFilter filter = makeFilter(peaksDir.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("s.wav")));
    filter.setOutputFormat(outputFormat(44100, 2));

    uint32_t last = 0;
    ASSERT_TRUE(waitFor([&] {
        const uint32_t p = filter.peakProgress();
        EXPECT_GE(p, last); // progress never goes back
        last = p;
        return p == 100;
    }));
    ASSERT_EQ(peakFiles(peaksDir.path()).size(), 1u);

    // Whole file, a few hundred points, as the overview asks.
    const PeakBuffer whole = filter.peaks(0, static_cast<int32_t>(frames), 437);
    ASSERT_EQ(whole.points, 437u);
    ASSERT_EQ(whole.channels, 2u);
    EXPECT_FLOAT_EQ(whole.framesPerPoint, float(frames) / 437);
    expectPeaksBracketed(whole, data, 0, double(frames) / 437);

    // A stretch in the middle with many blocks per point (the coarse level answers).
    const PeakBuffer wide = filter.peaks(30000, 250000, 3);
    expectPeaksBracketed(wide, data, 30000, 220000.0 / 3);

    // Zoomed in below one block per point: exact per point.
    const PeakBuffer close = filter.peaks(100001, 102001, 1000);
    for (uint32_t i = 0; i < close.points; ++i)
        for (int c = 0; c < 2; ++c) {
            const MinMax m = exact(data, c, 100001 + 2 * i, 100003 + 2 * i);
            ASSERT_EQ(close.minimum(i, c), m.lo);
            ASSERT_EQ(close.maximum(i, c), m.hi);
        }

    // Past the end there is nothing.
    const PeakBuffer beyond = filter.peaks(static_cast<int32_t>(frames) + 1000, static_cast<int32_t>(frames) + 90000, 10);
    for (float v : beyond.pairs)
        EXPECT_EQ(v, 0.0f);

    // No points or an empty range: no buffer.
    EXPECT_TRUE(filter.peaks(0, 1000, 0).isEmpty());
    EXPECT_TRUE(filter.peaks(500, 500, 10).isEmpty());

    // The range is in output frames: at twice the rate it is twice as long.
    filter.setOutputFormat(outputFormat(88200, 2));
    const PeakBuffer doubled = filter.peaks(0, static_cast<int32_t>(frames * 2), 437);
    EXPECT_EQ(doubled.pairs, whole.pairs);
}

TEST(FileFilterPeaks, PeakFileIsReusedWhileTheSourceIsUnchanged)
{
    TempDir tmp;
    TempDir peaksDir;
    const std::vector<float> data = shapedSignal(50000, 0.5f);
    ASSERT_TRUE(writeAudio(tmp.file("s.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2, data));
    std::vector<float> first;
    {
        FileFilter filter = makeFilter(peaksDir.path().string());
        ASSERT_TRUE(filter.openFile(tmp.file("s.flac")));
        ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
        first = filter.peaks(0, 50000, 100).pairs;
    }
    const auto files = peakFiles(peaksDir.path());
    ASSERT_EQ(files.size(), 1u);
    const auto written = std::filesystem::last_write_time(files[0]);

    FileFilter again = makeFilter(peaksDir.path().string());
    ASSERT_TRUE(again.openFile(tmp.file("s.flac")));
    ASSERT_TRUE(waitFor([&] { return again.peakProgress() == 100; }));
    EXPECT_EQ(again.peaks(0, 50000, 100).pairs, first);
    EXPECT_EQ(std::filesystem::last_write_time(files[0]), written);
    EXPECT_EQ(peakFiles(peaksDir.path()).size(), 1u);

    // A damaged peak file is not trusted: rebuilt, same peaks.
    std::filesystem::resize_file(files[0], 100);
    FileFilter third = makeFilter(peaksDir.path().string());
    ASSERT_TRUE(third.openFile(tmp.file("s.flac")));
    ASSERT_TRUE(waitFor([&] { return third.peakProgress() == 100; }));
    EXPECT_EQ(third.peaks(0, 50000, 100).pairs, first);
    EXPECT_GT(std::filesystem::file_size(files[0]), 100u);
}

TEST(FileFilterPeaks, AnUnwritableFolderStillGivesPeaks)
{
    TempDir tmp;
    const std::vector<float> data = shapedSignal(20000, 0.7f);
    ASSERT_TRUE(writeAudio(tmp.file("s.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, data));
    { std::ofstream notAFolder(tmp.file("blocker")); }
    FileFilter filter = makeFilter(tmp.file("blocker"));
    ASSERT_TRUE(filter.openFile(tmp.file("s.wav")));
    ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
    expectPeaksBracketed(filter.peaks(0, 20000, 50), data, 0, 400);
}

TEST(FileFilterPeaks, ChangedSourceNotifiesAndBuildsFreshPeaks)
{
    TempDir tmp;
    TempDir peaksDir;
    const std::string path = tmp.file("take.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, shapedSignal(30000, 0.25f)));
    FileFilter filter = makeFilter(peaksDir.path().string());
    ASSERT_TRUE(filter.openFile(path));
    auto* sink = new ChangeSink(filter);
    QuillonInterface record = sink->makeRecord(QUILLON_IID_CLIP_SINK, true);
    filter.setNotificationSink(record);
    ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
    EXPECT_NEAR(filter.peaks(0, 30000, 1).maximum(0, 0), 0.25f, 0.01f);

    // Nothing changes: nothing is reported.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sink->changes.load(), 0);

    // The wave editor writes a louder, longer take over it.
    const std::vector<float> louder = shapedSignal(45000, 0.75f);
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, louder));
    ASSERT_TRUE(waitFor([&] { return sink->changes.load() > 0; }, std::chrono::seconds(10)));
    EXPECT_EQ(sink->lengthSeen.load(), 45000);
    EXPECT_EQ(filter.length(), 45000);
    EXPECT_EQ(sink->otherCodes.load(), 0);

    ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
    const PeakBuffer fresh = filter.peaks(0, 45000, 90);
    expectPeaksBracketed(fresh, louder, 0, 500);
    // Readers read the new take.
    const uint32_t reader = filter.createReader();
    const std::vector<float> got = readFrames(filter, reader, 40000, 1000, 2);
    EXPECT_EQ(maxDifference(got, std::vector<float>(louder.begin() + 80000, louder.begin() + 82000)), 0.0f);

    // One change, one report.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(sink->changes.load(), 1);

    // The peak file now holds the new take: a new instance reuses it.
    FileFilter other = makeFilter(peaksDir.path().string());
    ASSERT_TRUE(other.openFile(path));
    ASSERT_TRUE(waitFor([&] { return other.peakProgress() == 100; }));
    EXPECT_EQ(other.peaks(0, 45000, 90).pairs, fresh.pairs);

    // Detaching the sink stops the reports; the filter releases nothing of the host's.
    filter.setNotificationSink(QuillonInterface{});
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, shapedSignal(20000, 0.1f)));
    ASSERT_TRUE(waitFor([&] { return filter.length() == 20000; }, std::chrono::seconds(10)));
    EXPECT_EQ(sink->changes.load(), 1);
    record.release(&record);
}

TEST(FileFilterPeaks, ALinkPlantedUnderThePeakFileNameIsNotFollowed)
{
    TempDir tmp;
    TempDir genuine;
    TempDir planted;
    const std::vector<float> data = shapedSignal(20000, 0.6f);
    ASSERT_TRUE(writeAudio(tmp.file("s.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, data));
    {
        FileFilter filter = makeFilter(genuine.path().string());
        ASSERT_TRUE(filter.openFile(tmp.file("s.wav")));
        ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
    }
    const auto files = peakFiles(genuine.path());
    ASSERT_EQ(files.size(), 1u);
    // The peak file's name is predictable: another user plants a link under it, to a
    // file of the victim's, or to a peak file of their own making.
    const std::filesystem::path trap = planted.path() / files[0].filename();
    const std::string victim = tmp.file("victim.txt");
    std::ofstream(victim) << "precious";
    const auto genuineTime = std::filesystem::last_write_time(files[0]);
    for (const std::string& target : {victim, files[0].string()}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(trap);
        std::filesystem::create_symlink(target, trap);
        FileFilter filter = makeFilter(planted.path().string());
        ASSERT_TRUE(filter.openFile(tmp.file("s.wav")));
        ASSERT_TRUE(waitFor([&] { return filter.peakProgress() == 100; }));
        expectPeaksBracketed(filter.peaks(0, 20000, 50), data, 0, 400);
        EXPECT_FALSE(std::filesystem::is_symlink(trap));
        EXPECT_TRUE(std::filesystem::is_regular_file(trap));
    }
    std::ifstream in(victim);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "precious");
    EXPECT_EQ(std::filesystem::last_write_time(files[0]), genuineTime);
}
