#pragma once
// A project document over the shipped file filter, with settings in memory, a
// recording prompter and a log of the hints it sends. Clips read constant-valued
// files generated in a temporary folder.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/view_hints.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quillon::test {

class HintLog : public HintObserver {
public:
    void onHint(int hint, const HintPayload* payload) override
    {
        hints.push_back(hint);
        if (hint == kHintRateChanged && payload)
            ratios.push_back(payload->rateRatio);
    }
    int count(int hint) const
    {
        int n = 0;
        for (int h : hints)
            n += h == hint;
        return n;
    }
    std::vector<int> hints;
    std::vector<float> ratios;
};

class DocFixture : public ::testing::Test {
protected:
    DocFixture() : peakDir("QUILLON_PEAK_DIR", tmp.path().string())
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
    }
    ~DocFixture() override
    {
        doc.reset();
        PluginHost::setCurrent(nullptr);
    }

    // A new document with `startupTracks` tracks; the hint log starts empty.
    CMultitrackerDoc& newDoc(int startupTracks = 1)
    {
        settings.writeProfileInt("General", "StartupTracks", startupTracks);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
        doc->hints().addObserver(&log);
        return *doc;
    }

    // A stereo float file of `frames` frames, every sample `value`, or +value and
    // -value in turn frame by frame.
    std::string fileOf(int frames, float value = 0.5f, bool alternating = false)
    {
        const auto key = std::make_tuple(frames, value, alternating);
        if (auto it = m_files.find(key); it != m_files.end())
            return it->second;
        const std::string path = tmp.file("f" + std::to_string(m_files.size()) + ".wav");
        std::vector<float> data(size_t(frames) * 2);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = alternating && (i / 2) % 2 ? -value : value;
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, data));
        m_files[key] = path;
        return path;
    }

    std::unique_ptr<CAudioClip> openClip(int start, int frames, float value = 0.5f)
    {
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        EXPECT_TRUE(clip->openFile(start, fileOf(frames, value)));
        return clip;
    }

    // A clip of `frames` frames placed at `start` on `track` without a search.
    CAudioClip* place(int track, int start, int frames, float value = 0.5f)
    {
        return doc->addClipToTrack(track, openClip(start, frames, value), false);
    }

    std::vector<std::pair<int32_t, int32_t>> ranges(int track) const
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const CAudioClip* c : doc->trackAt(track)->clips())
            out.emplace_back(c->start(), c->end());
        return out;
    }

    TempDir tmp;
    ScopedEnv peakDir;
    PluginHost host;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    HintLog log;
    std::unique_ptr<CMultitrackerDoc> doc;

private:
    std::map<std::tuple<int, float, bool>, std::string> m_files;
};

using Ranges = std::vector<std::pair<int32_t, int32_t>>;

} // namespace quillon::test
