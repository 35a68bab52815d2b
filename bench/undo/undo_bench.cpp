// The cost of one undo step, that is one serialization of the whole project, for a
// project of 100 tracks and 2000 clips (20 per track, neighbours overlapping so that
// every other pair has a crossfade, a volume curve per track, four groups, a label per
// CD track), against copying the same number of bytes with memcpy. Also shown: one
// restore (an undo through the full load path), which reopens every clip's source.
// Sources are generated in $TMPDIR; the summary after the run gives the time per step
// and the step as a multiple of the plain copy.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/assignable_group.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/plugin_host.h"

#include <benchmark/benchmark.h>
#include "../common/bench_audio.h"
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace quillon;

namespace {

constexpr int kTracks = 100;
constexpr int kClipsPerTrack = 20;
constexpr int kSources = 20;
constexpr int kSourceFrames = 44100; // one second each

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = bench::scratchFolder("undo");
    return folder;
}

std::string source(int i)
{
    const std::string path = (benchFolder() / ("source-" + std::to_string(i) + ".wav")).string();
    if (std::filesystem::exists(path))
        return path;
    // Interleaved sample n of the saw ramp.
    auto at = [&](size_t f) { return 0.25f * float((f * (i + 3)) % 200) / 200.0f; };
    bench::writeStereoWav(path, 44100, kSourceFrames, [&](int64_t frame) {
        return std::pair{at(size_t(frame) * 2), at(size_t(frame) * 2 + 1)};
    });
    return path;
}

// The project every benchmark works on, built once.
struct Project {
    Project()
    {
        setenv("QUILLON_PEAK_DIR", benchFolder().c_str(), 1);
        host.loadServerFolder(QUILLON_BENCH_SERVER_DIR);
        PluginHost::setCurrent(&host);
        settings.writeProfileInt("General", "StartupTracks", kTracks);
        settings.writeProfileInt("General", "AutoTracks", 0);
        settings.writeProfileInt("General", "UndoLevels", 1);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
        for (int t = 0; t < kTracks; ++t) {
            int32_t start = t * 100;
            for (int c = 0; c < kClipsPerTrack; ++c) {
                auto clip = std::make_unique<CAudioClip>(&doc->format());
                if (!clip->openFile(start, source((t + c) % kSources)))
                    std::abort();
                // Every other clip overlaps the next one by a tenth of a second.
                start += c % 2 ? kSourceFrames + 1000 : kSourceFrames - 4410;
                doc->addClipToTrack(t, std::move(clip), false);
            }
            CCurve* volume = doc->trackAt(t)->addCurve(CCurve::kVolume);
            for (int p = 1; p < 8; ++p)
                volume->addPoint(p * 100000, 0.1f * float(p));
        }
        for (int g = 0; g < 4; ++g)
            doc->addGroup()->setSendLevel(g * 10, 0.5f);
        for (int l = 1; l < 40; ++l)
            doc->labels().add(l * 200000, ProjectLabel::kTrackSplit, "Track " + std::to_string(l), "Artist");
        // Let the peak builders finish so they do not run during the measurements.
        for (int t = 0; t < kTracks; ++t)
            for (CAudioClip* c : doc->trackAt(t)->clips())
                while (c->peakProgress() < 100)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
        snapshotBytes = doc->takeSnapshot()->size();
    }
    ~Project()
    {
        doc.reset();
        PluginHost::setCurrent(nullptr);
    }

    PluginHost host;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CMultitrackerDoc> doc;
    size_t snapshotBytes = 0;
};

Project& project()
{
    static Project p;
    return p;
}

void undoStep(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state)
        p.doc->openUndoStep();
    state.counters["bytes"] = double(p.snapshotBytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.snapshotBytes));
}

void plainCopy(benchmark::State& state)
{
    const size_t n = project().snapshotBytes;
    std::vector<uint8_t> from(n, 0x5A), to(n);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = double(n);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void restore(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state) {
        state.PauseTiming();
        p.doc->openUndoStep();
        state.ResumeTiming();
        p.doc->undo();
    }
}

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            // The best of the repetitions: other load on the machine only adds time.
            const std::string name = run.benchmark_name().substr(0, run.benchmark_name().find('/'));
            const double seconds = run.GetAdjustedRealTime() / 1e9; // registered in nanoseconds
            auto it = best.find(name);
            if (it == best.end() || seconds < it->second)
                best[name] = seconds;
        }
    }
    std::map<std::string, double> best;
};

} // namespace

BENCHMARK(undoStep)->Unit(benchmark::kNanosecond)->UseRealTime()->Repetitions(3);
BENCHMARK(plainCopy)->Unit(benchmark::kNanosecond)->UseRealTime()->Repetitions(3);
BENCHMARK(restore)->Unit(benchmark::kNanosecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    project();
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double step = reporter.best["undoStep"];
    const double copy = reporter.best["plainCopy"];
    const double back = reporter.best["restore"];
    std::printf("\nProject: %d tracks, %d clips, snapshot %zu bytes\n", kTracks, kTracks * kClipsPerTrack,
                project().snapshotBytes);
    if (step > 0)
        std::printf("one undo step (one serialization): %.3f ms\n", step * 1e3);
    if (step > 0 && copy > 0)
        std::printf("as a multiple of copying the same bytes (memcpy %.1f us): %.0fx\n", copy * 1e6, step / copy);
    if (back > 0)
        std::printf("one undo restore (full load, every clip reopened): %.1f ms\n", back * 1e3);
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(benchFolder(), ec);
    return 0;
}
