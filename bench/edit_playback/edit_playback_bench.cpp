// Editing while the mix plays, measured: a project of 20 tracks of 100 clips each (with
// crossfades, volume and pan curves and two effects per track, a group and a master
// effect) plays through the paced test sound device for 60 s of sound while edits of
// every kind that keeps playback running go on fifty times a second, each with its undo
// step. Goals: no underrun, no render-thread wait for a lock over 2 ms, and under 100 ms
// from Play to the first buffer in the device.
//
//   quillon_edit_playback_bench [seconds]

#include "alsa_test_setup.h"
#include "edit_workload.h"

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/watched_mutex.h"
#include "engine/renderer.h"
#include "engine/transport.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/effect_catalog.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace quillon;

namespace {

int64_t nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    test::AlsaTestSetup::install();
    test::TempDir tmp;
    PluginHost host;
    const std::string servers = QUILLON_SERVER_BUILD_DIR;
    if (!host.addServerLibrary(servers + "/filefilter.so") || !host.addServerLibrary(servers + "/effects.so")) {
        std::fprintf(stderr, "the plug-in servers are missing from %s\n", servers.c_str());
        return 1;
    }
    PluginHost::setCurrent(&host);
    EffectCatalog catalog;
    catalog.build(host);
    EffectCatalog::setCurrent(&catalog);

    MemorySettingsStore settings;
    RecordingPrompter prompter;
    settings.writeProfileInt("General", "StartupTracks", 1);
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        test::TestTone tone;
        tone.frames = 44100 * 2 + 11025 * i;
        files.push_back(tmp.file("source" + std::to_string(i) + ".wav"));
        test::writeTone(files.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone);
    }

    int64_t worstLatency = 0;
    int64_t underruns = 0;
    int64_t longestWait = 0;
    int64_t blocks = 0;
    int edits = 0;
    {
        CMultitrackerDoc doc(settings, prompter);
        doc.onNewDocument();
        Transport transport(doc, settings);
        test::EditWorkload work(doc, catalog, files, 1208);
        const auto built = std::chrono::steady_clock::now();
        work.buildProject(20, 100, 2);
        size_t clips = 0;
        for (int32_t t = 0; t < doc.trackCount(); ++t)
            clips += doc.trackAt(t)->clips().size();
        std::printf("project: %d tracks, %zu clips, built in %.1f s\n", doc.trackCount(), clips,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - built).count());

        // A few short starts first: the figure is the worst start, not a lucky one.
        const int32_t rate = static_cast<int32_t>(doc.sampleRate());
        for (int start = 0; start < 4; ++start) {
            const bool last = start == 3;
            const int64_t asked = nowNanoseconds();
            transport.play({start * rate, last ? 2147483647 : start * rate + rate}, nullptr, false);
            while (transport.device().runFigures().firstBlockNanoseconds == 0 && transport.isPlaying())
                std::this_thread::yield();
            const int64_t latency = transport.device().runFigures().firstBlockNanoseconds - asked;
            worstLatency = std::max(worstLatency, latency);
            std::printf("start %d: %.1f ms to the first buffer\n", start + 1, latency / 1e6);
            if (!last)
                transport.stopPlayback();
        }

        WatchedMutex::resetRenderWaits();
        const int64_t wanted = int64_t(seconds) * rate;
        const int64_t editEvery = rate / 50;
        int64_t next = editEvery;
        const auto began = std::chrono::steady_clock::now();
        while (transport.isPlaying()) {
            const int64_t done = transport.device().framesDone();
            if (done >= wanted)
                break;
            if (done < next) {
                transport.updatePlayPosition();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            next += editEvery;
            work.randomEdit(false);
            ++edits;
        }
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const WaveOutputDevice::RunFigures figures = transport.device().runFigures();
        blocks = transport.device().framesDelivered() / Renderer::blockFrames(doc.sampleRate());
        transport.stopPlayback();
        underruns = figures.underruns;
        longestWait = WatchedMutex::renderWaits().longestNanoseconds;
        const WatchedMutex::WaitFigures waits = WatchedMutex::renderWaits();
        std::printf("%d edits in %.1f s (%.1f a second); %lld render lock waits, %.2f ms in all; longest gap %lld "
                    "frames\n",
                    edits, elapsed, edits / elapsed, static_cast<long long>(waits.waits), waits.totalNanoseconds / 1e6,
                    static_cast<long long>(figures.longestGapFrames));
        for (int k = 0; k < test::EditWorkload::KindCount; ++k)
            if (work.counts()[size_t(k)])
                std::printf("  %-16s %d\n", test::EditWorkload::name(test::EditWorkload::Kind(k)),
                            work.counts()[size_t(k)]);
    }
    EffectCatalog::setCurrent(nullptr);
    PluginHost::setCurrent(nullptr);
    test::AlsaTestSetup::uninstall();
    std::printf("goals: 0 underruns, longest render wait under 2 ms, start latency under 100 ms\n");
    std::printf("underruns %lld, longest render wait %.2f ms, start latency %.1f ms, blocks %lld\n",
                static_cast<long long>(underruns), longestWait / 1e6, worstLatency / 1e6,
                static_cast<long long>(blocks));
    return 0;
}
