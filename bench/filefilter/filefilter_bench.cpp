// Reading a 5-minute stereo file through the file filter against a plain libsndfile float
// read of the same file (same rate, and 48 kHz into a 44.1 kHz project), and building the
// peaks of a 60-minute file against computing the same minima and maxima with libsndfile.
// The files are generated in $TMPDIR; the ratios (plain time / filter time, goal >= 0.8
// for reading at the same rate) are printed after the run.

#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"

#include <benchmark/benchmark.h>
#include "../common/bench_audio.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <string>
#include <thread>
#include <vector>

using namespace quillon;

namespace {

constexpr uint32_t kBlock = 5000; // the track's render block
constexpr int64_t kPeakBlock = 256;

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = bench::scratchFolder("filefilter");
    return folder;
}

// A stereo 16-bit WAV of `seconds` seconds, written once per run.
std::string benchFile(int rate, int seconds)
{
    const std::string path =
        (benchFolder() / ("tone-" + std::to_string(rate) + "-" + std::to_string(seconds) + ".wav")).string();
    if (std::filesystem::exists(path))
        return path;
    bench::writeStereoWav(path, rate, int64_t(rate) * seconds, [&](int64_t frame) {
        const double t = double(frame) / rate;
        return std::pair{float(0.5 * std::sin(2 * M_PI * 440 * t) * (1 + std::sin(t)) / 2),
                         float(0.4 * std::sin(2 * M_PI * 660 * t))};
    });
    return path;
}

PluginHost& host()
{
    static PluginHost* h = [] {
        auto* created = new PluginHost;
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        created->addServerLibrary(std::string(dir && *dir ? dir : QUILLON_BENCH_SERVER_DIR) + "/filefilter.so");
        return created;
    }();
    return *h;
}

WAVEFORMATEX project44k()
{
    WAVEFORMATEX f{};
    f.wFormatTag = QUILLON_WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.wBitsPerSample = 32;
    f.nBlockAlign = 8;
    f.nAvgBytesPerSec = 44100 * 8;
    return f;
}

void plainRead(benchmark::State& state, int rate)
{
    const std::string path = benchFile(rate, 300);
    std::vector<float> block(kBlock * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        for (sf_count_t got; (got = sf_readf_float(f, block.data(), kBlock)) > 0;)
            frames += got;
        sf_close(f);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(frames);
}

void filterRead(benchmark::State& state, int rate)
{
    const std::string path = benchFile(rate, 300);
    FileFilter filter = FileFilter::create(host());
    if (!filter.openFile(path)) {
        state.SkipWithError("the filter cannot open the bench file");
        return;
    }
    filter.setOutputFormat(project44k());
    const int32_t length = filter.length();
    std::vector<float> block(kBlock * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        const uint32_t reader = filter.createReader();
        // As the track does: a seek to where the reader already is before every block.
        for (int32_t at = 0; at < length; at += static_cast<int32_t>(kBlock)) {
            filter.seekReader(reader, at);
            frames += filter.read(reader, block.data(), kBlock);
        }
        filter.closeReader(reader);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(frames);
}

void plainPeaks(benchmark::State& state)
{
    const std::string path = benchFile(44100, 3600);
    std::vector<float> block(kPeakBlock * 256 * 2);
    std::vector<float> pairs;
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        pairs.assign(static_cast<size_t>((info.frames + kPeakBlock - 1) / kPeakBlock) * 4, 0.0f);
        size_t at = 0;
        for (sf_count_t got; (got = sf_readf_float(f, block.data(), kPeakBlock * 256)) > 0;) {
            for (sf_count_t first = 0; first < got; first += kPeakBlock) {
                const sf_count_t last = std::min<sf_count_t>(got, first + kPeakBlock);
                for (int c = 0; c < 2; ++c) {
                    float lo = block[first * 2 + c];
                    float hi = lo;
                    for (sf_count_t i = first; i < last; ++i) {
                        lo = std::min(lo, block[i * 2 + c]);
                        hi = std::max(hi, block[i * 2 + c]);
                    }
                    pairs[at++] = lo;
                    pairs[at++] = hi;
                }
            }
        }
        sf_close(f);
        benchmark::DoNotOptimize(pairs.data());
    }
}

void filterPeaks(benchmark::State& state)
{
    const std::string path = benchFile(44100, 3600);
    const std::filesystem::path peaks = benchFolder() / "peaks";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(peaks);
        std::filesystem::create_directories(peaks);
        FileFilter filter = FileFilter::create(host());
        filter.setPeakFolder(peaks.string());
        filter.openFile(path);
        state.ResumeTiming();
        while (filter.peakProgress() < 100)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// Collects the real time per iteration of every benchmark besides printing it.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                // The best of the repetitions: the machine's other load only ever adds time.
                keepLeast(times, run.benchmark_name(), run.GetAdjustedRealTime());
                keepLeast(cpuTimes, run.benchmark_name(), run.GetAdjustedCPUTime());
            }
    }
    static void keepLeast(std::map<std::string, double>& map, const std::string& name, double value)
    {
        const auto it = map.find(name);
        if (it == map.end() || value < it->second)
            map[name] = value;
    }
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes; // the reading thread's own time, less disturbed by other load
};

} // namespace

BENCHMARK_CAPTURE(plainRead, wav44k, 44100)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK_CAPTURE(filterRead, wav44k, 44100)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK_CAPTURE(plainRead, wav48k, 48000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK_CAPTURE(filterRead, wav48kInto44k, 48000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
BENCHMARK(plainPeaks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(filterPeaks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Benchmark names carry their options after the capture name ("/repeats:3/real_time").
    auto find = [](const std::map<std::string, double>& map, const std::string& prefix) {
        for (const auto& [name, value] : map)
            if (name.rfind(prefix + "/", 0) == 0 || name == prefix)
                return value;
        return 0.0;
    };
    auto ratio = [&](const char* label, const std::string& plain, const std::string& filter, const char* goal) {
        const double p = find(reporter.times, plain);
        const double f = find(reporter.times, filter);
        if (p <= 0 || f <= 0)
            return;
        std::printf("%-46s %.2f", label, p / f);
        // Peaks are built on the filter's own thread: only the wall clock compares there.
        const double pc = find(reporter.cpuTimes, plain);
        const double fc = find(reporter.cpuTimes, filter);
        if (filter.rfind("filterRead", 0) == 0 && fc > 0)
            std::printf(" (cpu time %.2f)", pc / fc);
        std::printf("%s\n", goal);
    };
    std::printf("\nSpeed relative to plain libsndfile (plain time / filter time):\n");
    ratio("read 5 min 44.1 kHz stereo WAV", "plainRead/wav44k", "filterRead/wav44k", "  (goal >= 0.80)");
    ratio("read 5 min 48 kHz WAV into a 44.1 kHz project", "plainRead/wav48k", "filterRead/wav48kInto44k", "");
    ratio("peaks of a 60 min 44.1 kHz stereo WAV", "plainPeaks", "filterPeaks", "");
    std::error_code ec;
    std::filesystem::remove_all(benchFolder(), ec);
    benchmark::Shutdown();
    return 0;
}
