// Mixdown speed: quillon-cli render of an 8-track project (5-minute stereo 44.1 kHz
// sources, crossfades, volume curves) to a 16-bit WAV, against `sox -m` mixing the same
// eight files and a minimal libsndfile mixer (read float, sum with gains, write 16-bit),
// all measured in this run. Prints multiples of real time and the ratios.

#include "base/archive.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/plugin_host.h"

#include "../common/bench_audio.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quillon;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTracks = 8;
constexpr int kRate = 44100;
constexpr int64_t kFrames = int64_t(kRate) * 300;
constexpr int kRuns = 3;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

bool writeSource(const std::string& path, int index, int64_t frames)
{
    const double freq = 110.0 * (index + 1);
    return bench::writeStereoWav(path, kRate, frames, [&](int64_t frame) {
        const double t = double(frame) / kRate;
        return std::pair{float(0.1 * std::sin(2 * M_PI * freq * t)), float(0.1 * std::sin(2 * M_PI * freq * 1.01 * t))};
    });
}

// Each track: two halves that overlap by two seconds, and a volume curve.
bool buildProject(const std::vector<std::string>& halves, const std::string& project)
{
    PluginHost host;
    if (!host.addServerLibrary(std::string(QUILLON_SERVER_BUILD_DIR) + "/filefilter.so"))
        return false;
    PluginHost::setCurrent(&host);
    MemorySettingsStore settings;
    settings.writeProfileInt("General", "StartupTracks", kTracks);
    RecordingPrompter prompter;
    bool ok = true;
    {
        CMultitrackerDoc doc(settings, prompter);
        doc.onNewDocument();
        for (int t = 0; t < kTracks; ++t) {
            for (int part = 0; part < 2; ++part) {
                auto clip = std::make_unique<CAudioClip>(&doc.format());
                ok = ok && clip->openFile(part ? int32_t(kFrames / 2 - kRate) : 0, halves[size_t(t * 2 + part)]);
                doc.addClipToTrack(t, std::move(clip), false);
            }
            CCurve* curve = doc.trackAt(t)->addCurve(CCurve::kVolume);
            curve->addPoint(int32_t(kFrames / 4), 0.5f);
            curve->addPoint(int32_t(kFrames * 3 / 4), 1.0f);
        }
        MemoryStream stream;
        CArchive ar(stream, CArchive::Mode::Store);
        doc.serialize(ar);
        std::ofstream(project, std::ios::binary).write(reinterpret_cast<const char*>(stream.data()),
                                                        std::streamsize(stream.size()));
    }
    PluginHost::setCurrent(nullptr);
    return ok;
}

double minimalMixer(const std::vector<std::string>& sources, const std::string& out)
{
    const auto start = Clock::now();
    std::vector<SNDFILE*> in;
    for (const std::string& s : sources) {
        SF_INFO info{};
        in.push_back(sf_open(s.c_str(), SFM_READ, &info));
    }
    SF_INFO oinfo{};
    oinfo.samplerate = kRate;
    oinfo.channels = 2;
    oinfo.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* o = sf_open(out.c_str(), SFM_WRITE, &oinfo);
    std::vector<float> sum(4096 * 2), block(4096 * 2);
    for (;;) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        sf_count_t most = 0;
        for (SNDFILE* f : in) {
            const sf_count_t n = sf_readf_float(f, block.data(), 4096);
            most = std::max(most, n);
            for (sf_count_t i = 0; i < n * 2; ++i)
                sum[size_t(i)] += 0.8f * block[size_t(i)];
        }
        if (most == 0)
            break;
        sf_writef_float(o, sum.data(), most);
    }
    for (SNDFILE* f : in)
        sf_close(f);
    sf_close(o);
    return seconds(start, Clock::now());
}

double timed(const std::string& command)
{
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double s = seconds(start, Clock::now());
    return status == 0 ? s : -1.0;
}

} // namespace

int main()
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quillon-mixdown-bench";
    std::filesystem::create_directories(dir);
    std::vector<std::string> sources, halves;
    for (int t = 0; t < kTracks; ++t) {
        sources.push_back((dir / ("source" + std::to_string(t) + ".wav")).string());
        if (!std::filesystem::exists(sources.back()) && !writeSource(sources.back(), t, kFrames)) {
            std::fprintf(stderr, "cannot write %s\n", sources.back().c_str());
            return 1;
        }
        // The project's clips: two halves a second longer than half, overlapping by two seconds.
        for (int part = 0; part < 2; ++part) {
            halves.push_back((dir / ("half" + std::to_string(t) + "_" + std::to_string(part) + ".wav")).string());
            if (!std::filesystem::exists(halves.back()) && !writeSource(halves.back(), t, kFrames / 2 + kRate)) {
                std::fprintf(stderr, "cannot write %s\n", halves.back().c_str());
                return 1;
            }
        }
    }
    const std::string project = (dir / "bench.vpf").string();
    if (!buildProject(halves, project)) {
        std::fprintf(stderr, "cannot build the project\n");
        return 1;
    }
    const double audio = double(kFrames) / kRate;
    const std::string env = "QUILLON_SERVER_DIR=" + std::string(QUILLON_SERVER_BUILD_DIR) +
                            " QUILLON_USER_CONFIG_DIR=" + (dir / "cfg").string() +
                            " QUILLON_SYSTEM_CONFIG_DIR=" + (dir / "sys").string() + " ";
    const std::string oursCommand =
        env + QUILLON_CLI + " render " + project + " " + (dir / "ours.wav").string() + " > /dev/null 2>&1";
    std::string soxCommand = "sox -m";
    for (const std::string& s : sources)
        soxCommand += " " + s;
    soxCommand += " -b 16 " + (dir / "sox.wav").string() + " 2> /dev/null";
    // Each contender runs kRuns times, in turns, and keeps its fastest time: a busy
    // moment of the machine should not decide the comparison.
    double ours = -1.0, sox = -1.0, minimal = -1.0;
    auto best = [](double& kept, double t) {
        if (t > 0 && (kept < 0 || t < kept))
            kept = t;
    };
    for (int run = 0; run < kRuns; ++run) {
        best(ours, timed(oursCommand));
        best(sox, timed(soxCommand));
        best(minimal, minimalMixer(sources, (dir / "minimal.wav").string()));
    }

    std::printf("audio: %.0f s, %d tracks; fastest of %d runs each\n", audio, kTracks, kRuns);
    if (ours > 0)
        std::printf("quillon-cli render: %.2f s = %.0fx real time\n", ours, audio / ours);
    else
        std::printf("quillon-cli render failed\n");
    if (sox > 0)
        std::printf("sox -m:             %.2f s = %.0fx real time\n", sox, audio / sox);
    else
        std::printf("sox -m: not available (install sox)\n");
    std::printf("minimal mixer:      %.2f s = %.0fx real time\n", minimal, audio / minimal);
    if (ours > 0 && sox > 0)
        std::printf("speed vs sox -m: %.2fx (goal >= 3)\n", sox / ours);
    if (ours > 0)
        std::printf("time vs minimal mixer: %.2fx (goal <= 1.5)\n", ours / minimal);
    std::filesystem::remove_all(dir / "cfg");
    return 0;
}
