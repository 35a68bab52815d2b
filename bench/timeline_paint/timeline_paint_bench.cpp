// How long one frame of the timeline takes to paint for a project of 100 tracks and
// 2000 clips (20 per track, every other pair crossfaded, a volume curve per track, a
// label per CD track): at whole-project zoom, and while scrolling one page at a time
// at a zoom showing a tenth of the project. Peaks are cached by a first paint before
// the measurement, as they are once a project has been on screen. The track headers
// and the master strip are timed too. The goal is under 16 ms a frame; the peer is
// copying a frame of the same size, to show the machine's speed in the same run.
// Sources are generated in $TMPDIR.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/plugin_host.h"
#include "ui/master_view.h"
#include "ui/multitracker_view.h"
#include "ui/track_info_view.h"

#include <QAbstractSlider>
#include <QApplication>

#include "../common/bench_audio.h"
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace quillon;

namespace {

constexpr int kTracks = 100;
constexpr int kClipsPerTrack = 20;
constexpr int kSources = 20;
constexpr int kSourceFrames = 44100;
constexpr int kFrames = 60;
constexpr int kWidth = 1280;
constexpr int kHeight = 800;

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = bench::scratchFolder("paint");
    return folder;
}

std::string source(int i)
{
    const std::string path = (benchFolder() / ("source-" + std::to_string(i) + ".wav")).string();
    if (std::filesystem::exists(path))
        return path;
    // Interleaved sample n of the saw ramp.
    auto at = [&](size_t f) { return 0.5f * float((f * size_t(i + 3)) % 200) / 200.0f - 0.25f; };
    bench::writeStereoWav(path, 44100, kSourceFrames, [&](int64_t frame) {
        return std::pair{at(size_t(frame) * 2), at(size_t(frame) * 2 + 1)};
    });
    return path;
}

void buildProject(CMultitrackerDoc& doc)
{
    for (int t = 0; t < kTracks; ++t) {
        int32_t start = t * 100;
        for (int c = 0; c < kClipsPerTrack; ++c) {
            auto clip = std::make_unique<CAudioClip>(&doc.format());
            if (!clip->openFile(start, source((t + c) % kSources)))
                std::abort();
            start += c % 2 ? kSourceFrames + 1000 : kSourceFrames - 4410;
            doc.addClipToTrack(t, std::move(clip), false);
        }
        CCurve* volume = doc.trackAt(t)->addCurve(CCurve::kVolume);
        for (int p = 1; p < 8; ++p)
            volume->addPoint(p * 100000, 0.1f * float(p));
    }
    for (int l = 1; l < 20; ++l)
        doc.labels().add(l * 44100 * 2, ProjectLabel::kTrackSplit, "Track " + std::to_string(l), "Artist");
    for (int t = 0; t < kTracks; ++t)
        for (CAudioClip* c : doc.trackAt(t)->clips())
            while (c->peakProgress() < 100)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Milliseconds per call: the median and the slowest of kFrames calls.
struct Timing {
    double median = 0;
    double worst = 0;
};

Timing measure(const std::function<void()>& frame)
{
    frame(); // caches
    std::vector<double> ms;
    for (int i = 0; i < kFrames; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        frame();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QUILLON_PEAK_DIR", benchFolder().c_str(), 1);
    QApplication app(argc, argv);
    PluginHost host;
    host.loadServerFolder(QUILLON_BENCH_SERVER_DIR);
    PluginHost::setCurrent(&host);
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    settings.writeProfileInt("General", "StartupTracks", kTracks);
    settings.writeProfileInt("General", "AutoTracks", 0);
    settings.writeProfileInt("View", "ScaleTrackHeights", 0);
    auto doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
    doc->onNewDocument();
    buildProject(*doc);
    // The whole project is the arrangement, not the default 80-minute disc.
    doc->setProjectLength(doc->projectEnd());

    auto view = std::make_unique<CMultitrackerView>(*doc);
    view->resize(kWidth, kHeight);
    view->show();
    auto headers = std::make_unique<CTrackInfoView>(*doc, view.get());
    headers->resize(150, kHeight);
    headers->show();
    auto master = std::make_unique<CMasterView>(*doc, *view);
    master->resize(kWidth + 150, 101);
    master->show();
    QApplication::processEvents();

    view->viewWholeProject();
    const Timing whole = measure([&] { view->renderClient(); });

    const int32_t length = doc->projectLength();
    view->setVisibleRange(SampleRange(0, length / 10));
    const Timing scroll = measure([&] {
        const SampleRange before = view->visibleRange();
        view->scrollHorizontally(QAbstractSlider::SliderPageStepAdd);
        if (view->visibleRange().begin == before.begin)
            view->setVisibleRange(SampleRange(0, length / 10));
        view->renderClient();
    });

    const Timing headerPaint = measure([&] {
        doc->updateAllViews(kHintTrackName);
        headers->renderClient();
    });
    const Timing masterPaint = measure([&] {
        master->onHint(kHintVisibleRange, nullptr);
        master->renderClient();
    });
    const QImage frame = view->renderClient();
    const Timing copy = measure([&] {
        QImage c = frame.copy();
        (void)c;
    });

    std::printf("Project: %d tracks, %d clips, %.1f s; timeline %d x %d pixels; %d frames each\n", kTracks,
                kTracks * kClipsPerTrack, double(length) / 44100.0, kWidth, kHeight, kFrames);
    std::printf("timeline, whole project:      median %7.2f ms, slowest %7.2f ms\n", whole.median, whole.worst);
    std::printf("timeline, scrolling by pages: median %7.2f ms, slowest %7.2f ms\n", scroll.median, scroll.worst);
    std::printf("track headers:                median %7.2f ms, slowest %7.2f ms\n", headerPaint.median,
                headerPaint.worst);
    std::printf("master strip:                 median %7.2f ms, slowest %7.2f ms\n", masterPaint.median,
                masterPaint.worst);
    if (copy.median > 0)
        std::printf("peer, copying one frame:      median %7.3f ms; whole-project frame = %.0fx, scrolling = %.0fx\n",
                    copy.median, whole.median / copy.median, scroll.median / copy.median);
    const bool ok = whole.median < 16.0 && scroll.median < 16.0;
    std::printf("goal under 16 ms a frame: %s\n", ok ? "met" : "NOT met");

    master.reset();
    headers.reset();
    view.reset();
    doc.reset();
    PluginHost::setCurrent(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(benchFolder(), ec);
    return 0;
}
