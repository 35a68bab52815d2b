// Editing while the mix plays: a project plays through the paced sound device while this
// thread, in the user interface's place, keeps editing it in every way the document
// offers. Run under the sanitizers too (AddressSanitizer, ThreadSanitizer presets).

#include "alsa_test_setup.h"
#include "edit_workload.h"

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/watched_mutex.h"
#include "engine/renderer.h"
#include "engine/transport.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "model/track_read_cursor.h"
#include "model/transform_plugin.h"
#include "plugins/effect_catalog.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

using namespace quillon;

namespace {

class EditPlaybackTest : public ::testing::Test {
protected:
    EditPlaybackTest()
    {
        test::AlsaTestSetup::configure(test::AlsaTestSetup::defaults());
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        const std::string servers = dir ? dir : "";
        EXPECT_TRUE(host.addServerLibrary(servers + "/filefilter.so"));
        EXPECT_TRUE(host.addServerLibrary(servers + "/effects.so"));
        PluginHost::setCurrent(&host);
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
        settings.writeProfileInt("General", "StartupTracks", 1);
        settings.writeProfileInt("General", "UndoLevels", 20);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
        transport = std::make_unique<Transport>(*doc, settings);
        for (int i = 0; i < 3; ++i) {
            test::TestTone tone;
            tone.frames = 44100 * (2 + i);
            files.push_back(tmp.file("source" + std::to_string(i) + ".wav"));
            EXPECT_TRUE(test::writeTone(files.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
        }
    }
    ~EditPlaybackTest() override
    {
        transport.reset();
        doc.reset();
        EffectCatalog::setCurrent(nullptr);
        PluginHost::setCurrent(nullptr);
    }

    test::TempDir tmp;
    PluginHost host;
    EffectCatalog catalog;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CMultitrackerDoc> doc;
    std::unique_ptr<Transport> transport;
    std::vector<std::string> files;
};

} // namespace

// Twenty seconds of sound while about fifty edits a second of every kind go on. Each
// playback run (edits that change the track list stop playback, and it starts again)
// must play without a gap longer than one block.
TEST_F(EditPlaybackTest, EveryKindOfEditWhilePlayingLeavesNoGap)
{
    test::EditWorkload work(*doc, catalog, files, 20261208);
    work.buildProject(16, 12, 1);
    const int32_t block = Renderer::blockFrames(doc->sampleRate());
    const int64_t wanted = 20 * int64_t(doc->sampleRate());
    const int64_t editEvery = doc->sampleRate() / 50;

    int64_t played = 0;
    int runs = 0;
    bool sounded = false;
    auto endRun = [&] {
        const WaveOutputDevice::RunFigures figures = transport->device().runFigures();
        const WatchedMutex::WaitFigures waits = WatchedMutex::renderWaits();
        EXPECT_LE(figures.longestGapFrames, block)
            << "run " << runs << ": " << figures.underruns << " underruns, the longest at frame "
            << figures.longestGapAt << " of " << transport->device().framesDone() << "; render lock waits "
            << waits.waits << ", longest " << waits.longestNanoseconds / 1000 << " us";
        WatchedMutex::resetRenderWaits();
        sounded = sounded || figures.firstBlockNanoseconds != 0;
    };
    // Looping over a stretch the edits keep busy: the sound never runs out by itself.
    const SampleRange range{0, 25 * int32_t(doc->sampleRate())};
    while (played < wanted) {
        ASSERT_EQ(transport->play(range, nullptr, true), Transport::PlayResult::Started);
        ++runs;
        int64_t next = editEvery;
        for (;;) {
            // Paced by the sound itself, not by the clock: on a slow machine the edits
            // slow down with the device.
            const int64_t done = transport->device().framesDone();
            if (played + done >= wanted) {
                transport->stopPlayback();
                played += done;
                break;
            }
            if (done < next) {
                // The timer's tick, and room for the render on a machine of two cores.
                transport->updatePlayPosition();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            next = done + editEvery;
            const auto kind = work.randomEdit(true);
            if (test::EditWorkload::stopsPlayback(kind) && !transport->isPlaying()) {
                played += done;
                break;
            }
        }
        endRun();
    }
    EXPECT_TRUE(sounded);
    // Every kind of edit was made at least once.
    for (int k = 0; k < test::EditWorkload::KindCount; ++k)
        EXPECT_GT(work.counts()[size_t(k)], 0) << test::EditWorkload::name(test::EditWorkload::Kind(k));
}

// Adding and removing effects on a track while a render thread reads the track: the
// chain must change under the lock the reader processes it with. Without that, the
// reader walks a list that is being reallocated under it.
TEST_F(EditPlaybackTest, TrackEffectsChangeSafelyWhileTheTrackIsRead)
{
    test::EditWorkload work(*doc, catalog, files, 7);
    work.buildProject(1, 3, 0);
    CTrack* track = doc->trackAt(0);
    TrackReadCursor* cursor = track->createReadCursor();
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        std::vector<float> buffer(size_t(CTrack::kBlockFrames) * 2);
        while (!stop.load()) {
            track->positionReadCursor(cursor, 0);
            track->read(cursor, buffer.data(), CTrack::kBlockFrames);
            reads.fetch_add(1);
            // At a render's pace (a read per block), so the editing side gets its turn.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const EffectCatalogEntry& entry = catalog.entries().front();
    for (int round = 0; round < 25; ++round) {
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(doc->addEffect(CMultitrackerDoc::ChainKind::Track, 0,
                                       CTransformPlugin::createFromEntry(entry, catalog)));
        const int seen = reads.load();
        while (reads.load() == seen)
            std::this_thread::yield();
        while (!track->effects().empty())
            ASSERT_TRUE(doc->removeEffect(CMultitrackerDoc::ChainKind::Track, 0, 0));
    }
    stop = true;
    reader.join();
    track->releaseReadCursor(cursor);
    EXPECT_GT(reads.load(), 0);
}
