// Writing five minutes of stereo 44.1 kHz float frames, in the 50 ms blocks that export
// hands over, through AudioWriter (own quantisation, header rewritten after every block)
// and through the file-filter server itself (commands 101 and 102, as the export sink
// sends them) against plain libsndfile writing the same blocks (its own float-to-integer
// path, header written on close), as 16-bit WAV and FLAC. And the time scaler's speed as a
// multiple of real time, against Rubber Band fed straight through the same way (no
// seeking, no map), and a stretched clip read through the server in 50 ms blocks.
// Files go to $TMPDIR; the ratios (plain time / our time) are printed after the run. The
// WAV goal is lower than FLAC's because rewriting the header after each block (what keeps
// a file readable when its writer dies) costs about as much as writing the samples.

#include "audio_writer.h"
#include "base/wave_format.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "time_scaler.h"

#include <benchmark/benchmark.h>
#include <rubberband/RubberBandStretcher.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace quillon;
using namespace quillon::filefilter;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kBlock = 2205; // 50 ms
constexpr int64_t kWriteFrames = int64_t{kRate} * 300;
constexpr int64_t kStretchFrames = int64_t{kRate} * 30;

const std::vector<float>& music(int64_t frames)
{
    static std::map<int64_t, std::vector<float>> cache;
    auto& v = cache[frames];
    if (v.empty()) {
        v.resize(static_cast<size_t>(frames * kChannels));
        uint32_t noise = 1;
        for (int64_t i = 0; i < frames; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double t = static_cast<double>(i) / kRate;
            const double x = 0.3 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 331 * t) +
                             0.05 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
            v[static_cast<size_t>(2 * i)] = static_cast<float>(x);
            v[static_cast<size_t>(2 * i + 1)] = static_cast<float>(x * 0.8);
        }
    }
    return v;
}

std::string target(const char* extension)
{
    const char* tmp = std::getenv("TMPDIR");
    return (std::filesystem::path(tmp ? tmp : "/tmp") / (std::string("quillon-write-bench.") + extension)).string();
}

void plainWrite(benchmark::State& state, const char* extension, int format)
{
    const std::vector<float>& frames = music(kWriteFrames);
    const std::string path = target(extension);
    for (auto _ : state) {
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = kChannels;
        info.format = format;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!file) {
            state.SkipWithError("cannot create the file");
            return;
        }
        for (int64_t at = 0; at < kWriteFrames; at += static_cast<int64_t>(kBlock))
            sf_writef_float(file, frames.data() + at * kChannels, std::min<int64_t>(kBlock, kWriteFrames - at));
        sf_close(file);
    }
    std::filesystem::remove(path);
}

void writerWrite(benchmark::State& state, const char* extension)
{
    const std::vector<float>& frames = music(kWriteFrames);
    const std::string path = target(extension);
    for (auto _ : state) {
        AudioWriter writer;
        if (!writer.open(path, makePcmFormat(kRate, kChannels, 16), AudioWriter::Input::Float)) {
            state.SkipWithError(writer.lastError().c_str());
            return;
        }
        for (int64_t at = 0; at < kWriteFrames; at += static_cast<int64_t>(kBlock))
            writer.write(frames.data() + at * kChannels,
                         static_cast<size_t>(std::min<int64_t>(kBlock, kWriteFrames - at)));
        writer.close();
    }
    std::filesystem::remove(path);
}

// The shipped servers, loaded once.
PluginHost& host()
{
    static PluginHost* loaded = [] {
        auto* h = new PluginHost;
        for (const std::string& folder : PluginHost::shippedServerFolders())
            if (h->loadServerFolder(folder) > 0)
                break;
        return h;
    }();
    return *loaded;
}

void filterWrite(benchmark::State& state, const char* extension)
{
    const std::vector<float>& frames = music(kWriteFrames);
    const std::string path = target(extension);
    try {
        for (auto _ : state) {
            FileFilter filter = FileFilter::create(host());
            filter.createDestination(path, makePcmFormat(kRate, kChannels, 16), true);
            for (int64_t at = 0; at < kWriteFrames; at += static_cast<int64_t>(kBlock))
                filter.write(frames.data() + at * kChannels,
                             static_cast<uint32_t>(std::min<int64_t>(kBlock, kWriteFrames - at)));
        } // released: the file is finished inside the timed loop
    } catch (const ClassCom& e) {
        state.SkipWithError(("file filter failed with code " + std::to_string(e.code())).c_str());
    }
    std::filesystem::remove(path);
}

void plainWav(benchmark::State& state) { plainWrite(state, "wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16); }
void filterWav(benchmark::State& state) { filterWrite(state, "wav"); }
void filterFlac(benchmark::State& state) { filterWrite(state, "flac"); }
void writerWav(benchmark::State& state) { writerWrite(state, "wav"); }
void plainFlac(benchmark::State& state) { plainWrite(state, "flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16); }
void writerFlac(benchmark::State& state) { writerWrite(state, "flac"); }

void realTime(benchmark::State& state, int64_t frames)
{
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(frames) / kRate * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void stretch(benchmark::State& state, TimeScaler::Quality quality)
{
    const std::vector<float>& source = music(kStretchFrames);
    TimeScaleMap map(kStretchFrames);
    map.setRatio(1.25f);
    std::vector<float> out(kBlock * kChannels);
    for (auto _ : state) {
        TimeScaler scaler(
            [&](int64_t position, float* dest, size_t count) {
                std::memcpy(dest, source.data() + position * kChannels, count * kChannels * sizeof(float));
                return count;
            },
            kChannels, kRate, quality);
        scaler.setMap(map);
        for (int64_t at = 0; at < map.outputLength(); at += static_cast<int64_t>(kBlock))
            scaler.read(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    realTime(state, map.outputLength());
}

void scalerFast(benchmark::State& state) { stretch(state, TimeScaler::Quality::Fast); }

// A clip stretched by 1.25 read through the server in 50 ms blocks, as a track renders it.
void filterStretch(benchmark::State& state)
{
    const std::string path = target("stretch.wav");
    {
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = kChannels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!file) {
            state.SkipWithError("cannot create the source");
            return;
        }
        sf_writef_float(file, music(kStretchFrames).data(), kStretchFrames);
        sf_close(file);
    }
    std::vector<float> out(kBlock * kChannels);
    int64_t length = 0;
    try {
        FileFilter filter = FileFilter::create(host());
        if (!filter.openFile(path)) {
            state.SkipWithError("cannot open the source");
            return;
        }
        filter.setTimeScaleRatio(1.25f);
        length = std::llround(filter.length() * 1.25);
        for (auto _ : state) {
            const uint32_t reader = filter.createReader();
            for (int64_t at = 0; at < length; at += static_cast<int64_t>(kBlock)) {
                filter.seekReader(reader, static_cast<int32_t>(at));
                filter.read(reader, out.data(), kBlock);
            }
            filter.closeReader(reader);
            benchmark::DoNotOptimize(out.data());
        }
    } catch (const ClassCom& e) {
        state.SkipWithError(("file filter failed with code " + std::to_string(e.code())).c_str());
    }
    std::filesystem::remove(path);
    realTime(state, length);
}
void scalerFine(benchmark::State& state) { stretch(state, TimeScaler::Quality::Fine); }

// Rubber Band alone, fed and drained in the same blocks without our bookkeeping.
void plainStretch(benchmark::State& state)
{
    using RubberBand::RubberBandStretcher;
    const std::vector<float>& source = music(kStretchFrames);
    std::vector<std::vector<float>> planes(kChannels, std::vector<float>(1024));
    std::vector<float*> pointers{planes[0].data(), planes[1].data()};
    const int64_t wanted = std::llround(kStretchFrames * 1.25);
    for (auto _ : state) {
        RubberBandStretcher rb(kRate, kChannels,
                               RubberBandStretcher::OptionProcessRealTime | RubberBandStretcher::OptionThreadingNever |
                                   RubberBandStretcher::OptionChannelsTogether | RubberBandStretcher::OptionEngineFaster,
                               1.25, 1.0);
        rb.setMaxProcessSize(1024);
        int64_t fed = 0;
        int64_t got = 0;
        while (got < wanted) {
            const int available = rb.available();
            if (available > 0) {
                got += static_cast<int64_t>(rb.retrieve(pointers.data(), std::min<size_t>(available, 1024)));
                continue;
            }
            const size_t n = std::clamp<size_t>(rb.getSamplesRequired(), 256, 1024);
            for (size_t i = 0; i < n; ++i) {
                const int64_t at = std::min<int64_t>(fed + static_cast<int64_t>(i), kStretchFrames - 1);
                planes[0][i] = source[static_cast<size_t>(2 * at)];
                planes[1][i] = source[static_cast<size_t>(2 * at + 1)];
            }
            rb.process(pointers.data(), n, false);
            fed += static_cast<int64_t>(n);
        }
        benchmark::DoNotOptimize(planes[0].data());
    }
    realTime(state, wanted);
}

// Collects the real time per iteration of every benchmark besides printing it.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(plainWav)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(writerWav)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(filterWav)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(plainFlac)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(writerFlac)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(filterFlac)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(plainStretch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(scalerFast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(scalerFine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(filterStretch)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    host(); // loading the servers is no part of any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* label, const std::string& plain, const std::string& ours, const char* goal) {
        const auto p = reporter.times.find(plain);
        const auto o = reporter.times.find(ours);
        if (p != reporter.times.end() && o != reporter.times.end() && o->second > 0)
            std::printf("%-52s plain/ours = %.2f%s\n", label, p->second / o->second, goal);
    };
    ratio("write 5 min stereo 16-bit WAV", "plainWav/real_time", "writerWav/real_time", " (goal >= 0.5)");
    ratio("write 5 min stereo 16-bit FLAC", "plainFlac/real_time", "writerFlac/real_time", " (goal >= 0.8)");
    ratio("write 5 min stereo 16-bit WAV through the filter", "plainWav/real_time", "filterWav/real_time",
          " (goal >= 0.5)");
    ratio("write 5 min stereo 16-bit FLAC through the filter", "plainFlac/real_time", "filterFlac/real_time",
          " (goal >= 0.8)");
    ratio("stretch 30 s stereo by 1.25 (fast engine)", "plainStretch/real_time", "scalerFast/real_time",
          " (goal >= 0.9)");
    for (const char* name : {"scalerFast/real_time", "scalerFine/real_time", "filterStretch/real_time"}) {
        const auto t = reporter.times.find(name);
        if (t != reporter.times.end() && t->second > 0)
            std::printf("%-52s %.1f x real time\n", name,
                        std::llround(kStretchFrames * 1.25) / double{kRate} / (t->second / 1000.0));
    }
    benchmark::Shutdown();
    return 0;
}
