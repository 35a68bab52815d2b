// Disc image speed: `burn --image` of an 80-minute project of 20 CD tracks (each track
// renders into its own file, then the Image Recorder writes BIN, CUE and TOC) against
// `render` of the same project to one 16-bit WAV, both through quillon-cli's commands in
// this process and in this run. Prints both times and the ratio; the goal is 1.5.

#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "cli/cli_app.h"

#include "../common/bench_audio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace quillon;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;
constexpr int kTracks = 20;
// 20 tracks of 3:59.5 and the first track's 2-second pregap: the disc stays within the
// 80 minutes of the blank the Image Recorder reports.
constexpr int64_t kTrackFrames = int64_t(kRate) * 2395 / 10;
constexpr double kGoal = 1.5;

bool writeSource(const std::string& path, int index)
{
    const double freq = 220.0 + 20.0 * index;
    return bench::writeStereoWav(path, kRate, kTrackFrames, [&](int64_t frame) {
        const double t = double(frame) / kRate;
        return std::pair{float(0.3 * std::sin(2 * M_PI * freq * t)), float(0.3 * std::sin(2 * M_PI * freq * 1.5 * t))};
    });
}

struct Cli {
    MemorySettingsStore settings;
    std::ostringstream out, err;
    bool run(const std::vector<std::string>& args)
    {
        out.str({});
        err.str({});
        CliApp app(settings, out, err);
        if (app.run(args) == 0)
            return true;
        std::cerr << "quillon-cli " << args[0] << " failed:\n" << err.str();
        return false;
    }
};

double timed(Cli& cli, const std::vector<std::string>& args)
{
    const auto start = Clock::now();
    const bool ok = cli.run(args);
    return ok ? std::chrono::duration<double>(Clock::now() - start).count() : -1.0;
}

} // namespace

int main()
{
    if (!std::getenv("QUILLON_SERVER_DIR"))
        setenv("QUILLON_SERVER_DIR", QUILLON_SERVER_BUILD_DIR, 1);
    const fs::path dir = fs::temp_directory_path() / "quillon-cd-image-bench";
    fs::create_directories(dir / "work");
    setenv("QUILLON_PEAK_DIR", dir.c_str(), 1);
    Cli cli;
    FolderSettings(cli.settings).store(kFolderTemporary, (dir / "work").string());

    // Twenty different sources end to end: automatic CD tracks split them without pauses.
    const std::string project = (dir / "disc.vpf").string();
    if (!cli.run({"new", project}))
        return 1;
    for (int t = 0; t < kTracks; ++t) {
        const std::string source = (dir / ("track" + std::to_string(t) + ".wav")).string();
        if (!fs::exists(source) && !writeSource(source, t)) {
            std::fprintf(stderr, "cannot write %s\n", source.c_str());
            return 1;
        }
        if (!cli.run({"add", project, source}))
            return 1;
    }
    if (!cli.run({"cd-tracks", project, "--auto"}))
        return 1;

    const std::string wav = (dir / "mix.wav").string();
    const std::string cue = (dir / "disc.cue").string();
    const double minutes = double(kTrackFrames) * kTracks / kRate / 60;
    std::printf("cd_image: %d CD tracks, %.2f minutes of audio\n", kTracks, minutes);
    // The goal is for writing the image; reading it back to compare is timed beside it.
    std::vector<double> ratios, checkedRatios;
    for (int run = 0; run < 3; ++run) {
        // The render first each time, so both start from the same file cache.
        const double render = timed(cli, {"render", project, wav});
        fs::remove(wav);
        auto image = [&](bool verify) {
            std::vector<std::string> args{"burn", project, "--image", cue};
            if (!verify)
                args.push_back("--no-verify");
            const double seconds = timed(cli, args);
            for (const char* ext : {".bin", ".cue", ".toc"})
                fs::remove(dir / (std::string("disc") + ext));
            return seconds;
        };
        const double written = image(false);
        const double checked = image(true);
        if (render <= 0 || written <= 0 || checked <= 0)
            return 1;
        ratios.push_back(written / render);
        checkedRatios.push_back(checked / render);
        std::printf("cd_image: run %d: render to one WAV %.2f s, disc image %.2f s (ratio %.2f), "
                    "with read-back %.2f s (ratio %.2f)\n",
                    run + 1, render, written, written / render, checked, checked / render);
    }
    for (int t = 1; t <= kTracks; ++t)
        fs::remove(dir / "work" / ("track" + std::to_string(t) + ".wav"));
    std::sort(ratios.begin(), ratios.end());
    std::sort(checkedRatios.begin(), checkedRatios.end());
    const double median = ratios[1];
    std::printf("cd_image: median ratio %.2f (goal: within %.1fx of the render alone) - %s; "
                "with read-back %.2f\n",
                median, kGoal, median <= kGoal ? "met" : "NOT met", checkedRatios[1]);
    return 0;
}
