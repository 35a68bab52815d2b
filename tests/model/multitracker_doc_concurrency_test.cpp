#include "doc_fixture.h"
#include "effect_test_host.h"
#include "model/assignable_group.h"
#include "model/transform_plugin.h"
#include "model/track_read_cursor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

using namespace quillon;
using namespace quillon::test;

// A render-like reader pulls every track through its own cursor and walks the groups
// while the user-interface thread keeps changing clips and groups.
TEST_F(DocFixture, ReadingTracksWhileClipsAndGroupsChange)
{
    newDoc(3);
    doc->setAutoCdTracks(0);
    const int kTracks = doc->trackCount();
    const std::string file = fileOf(6000, 0.25f);
    for (int t = 0; t < kTracks; ++t)
        place(t, 1000 * t, 6000);

    // Like playback, the reader fixes the track list when it starts; the track count
    // does not change while it runs.
    std::vector<CTrack*> tracks;
    std::vector<TrackReadCursor*> cursors;
    {
        std::lock_guard guard(doc->lock());
        for (int t = 0; t < kTracks; ++t) {
            tracks.push_back(doc->trackAt(t));
            cursors.push_back(tracks.back()->createReadCursor());
        }
    }

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<int> badSamples{0};
    std::atomic<int> failures{0};
    std::thread reader([&] {
        std::vector<float> buffer(size_t(1024) * 2);
        try {
            while (!stop.load()) {
                for (size_t t = 0; t < tracks.size(); ++t) {
                    if (cursors[t]->deliveredPosition > 60000)
                        tracks[t]->positionReadCursor(cursors[t], 0);
                    tracks[t]->read(cursors[t], buffer.data(), 1024);
                    // Clips hold 0.25; overlaps mix two of them, nothing else is there.
                    for (float s : buffer)
                        if (!std::isfinite(s) || std::fabs(s) > 0.5f + 1e-4f)
                            badSamples.fetch_add(1);
                }
                {
                    std::lock_guard guard(doc->lock());
                    for (int g = 0; g < doc->groupCount(); ++g) {
                        CAssignableGroup* group = doc->groupAt(g);
                        float sum = 0.0f;
                        for (int t = 0; t < group->sendCount(); ++t)
                            sum += group->sendLevelValue(t);
                        group->chain().process(buffer.data(), 1024, 2, 1024);
                        if (sum < 0.0f)
                            badSamples.fetch_add(1);
                    }
                }
                blocks.fetch_add(1);
            }
        } catch (...) {
            failures.fetch_add(1);
        }
    });

    std::mt19937 random(7);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    std::vector<CAudioClip*> live;
    for (int t = 0; t < kTracks; ++t)
        live.push_back(doc->trackAt(t)->clips()[0]);
    for (int round = 0; round < 400; ++round) {
        switch (pick(5)) {
        case 0: {
            auto clip = std::make_unique<CAudioClip>(&doc->format());
            ASSERT_TRUE(clip->openFile(pick(50000), file));
            live.push_back(doc->addClipToTrack(pick(kTracks), std::move(clip), pick(2) == 0));
            break;
        }
        case 1:
            if (!live.empty())
                doc->moveClip(live[size_t(pick(int(live.size())))], pick(3) - 1, pick(20000) - 10000);
            break;
        case 2:
            if (live.size() > 1) {
                const size_t i = size_t(pick(int(live.size())));
                CAudioClip* c = live[i];
                live.erase(live.begin() + long(i));
                ASSERT_GE(doc->removeClip(c, pick(2) == 0), 0);
                delete c;
            }
            break;
        case 3:
            doc->addGroup()->setSendLevel(pick(kTracks), 0.5f);
            break;
        default:
            if (doc->groupCount() > 0)
                doc->removeGroup(pick(doc->groupCount()));
            break;
        }
        if (round % 20 == 0)
            std::this_thread::yield();
    }
    // Let the reader see the final arrangement at least once.
    const int seen = blocks.load();
    while (blocks.load() < seen + 2 && failures.load() == 0)
        std::this_thread::yield();
    stop = true;
    reader.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(badSamples.load(), 0);
    EXPECT_GT(blocks.load(), 0);
    for (int t = 0; t < kTracks; ++t)
        tracks[size_t(t)]->releaseReadCursor(cursors[size_t(t)]);
    size_t clips = 0;
    for (int t = 0; t < kTracks; ++t)
        clips += doc->trackAt(t)->clips().size();
    EXPECT_EQ(clips, live.size());
}

// What the chain editor does while the mix plays: effects are added and removed through
// the document while a render-like reader processes the master chain under the lock.
TEST_F(DocFixture, EffectsComeAndGoWhileTheMasterChainProcesses)
{
    EffectTestHost fx;
    newDoc(1);
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<int> badSamples{0};
    std::thread reader([&] {
        std::vector<float> buffer(size_t(1024) * 2);
        while (!stop.load()) {
            std::fill(buffer.begin(), buffer.end(), 0.25f);
            {
                std::lock_guard guard(doc->lock());
                doc->masterChain().process(buffer.data(), 1024, 2, 1024);
            }
            for (float s : buffer)
                if (!std::isfinite(s) || std::fabs(s - 0.25f) > 1e-4f)
                    badSamples.fetch_add(1);
            blocks.fetch_add(1);
        }
    });
    std::mt19937 random(11);
    size_t expected = 0;
    for (int round = 0; round < 200; ++round) {
        if (expected == 0 || random() % 2 == 0) {
            // At unity the effect leaves the block as it is.
            ASSERT_TRUE(doc->addEffect(CMultitrackerDoc::ChainKind::Master, -1,
                                       CTransformPlugin::createFromEntry(fx.entry("Gain and Balance"), fx.catalog),
                                       int32_t(random() % (expected + 1))));
            ++expected;
        } else {
            ASSERT_TRUE(doc->removeEffect(CMultitrackerDoc::ChainKind::Master, -1, int32_t(random() % expected)));
            --expected;
        }
    }
    const int seen = blocks.load();
    while (blocks.load() < seen + 2)
        std::this_thread::yield();
    stop = true;
    reader.join();
    EXPECT_EQ(doc->masterChain().size(), expected);
    EXPECT_EQ(badSamples.load(), 0);
    doc->deleteContents(); // before the effects' server goes
}
