#pragma once
// A project document over the shipped file-filter and effects servers, with audio
// generated into a temporary folder, and a sink that keeps every rendered frame.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/wave_format.h"
#include "engine/sample_block.h"
#include "engine/sample_sink.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/effect_catalog.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <atomic>
#include <vector>

namespace quillon::test {

// Keeps every frame it is given; `onBlock` runs on the render thread after each block.
class CollectingSink : public SampleSink {
public:
    bool acceptBlock(const SampleBlock& block) override
    {
        const float* d = block.data();
        frames.insert(frames.end(), d, d + size_t(block.frameCount()) * block.channels());
        blockFrames.push_back(int32_t(block.frameCount()));
        m_done.fetch_add(block.frameCount(), std::memory_order_release);
        if (onBlock)
            return onBlock(int(blockFrames.size()));
        return true;
    }
    // Read by progress polls on other threads while blocks arrive.
    int64_t framesDone() const override { return m_done.load(std::memory_order_acquire); }
    int64_t framesDelivered() const override { return framesDone(); }

    float left(size_t frame) const { return frames[2 * frame]; }
    float right(size_t frame) const { return frames[2 * frame + 1]; }
    size_t frameCount() const { return frames.size() / 2; }
    void clear()
    {
        frames.clear();
        blockFrames.clear();
        onBlock = nullptr;
        m_done.store(0);
    }

    std::vector<float> frames;
    std::vector<int32_t> blockFrames;
    // Receives the number of blocks taken so far; false refuses the block.
    std::function<bool(int)> onBlock;

private:
    std::atomic<int64_t> m_done{0};
};

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture()
        : config("QUILLON_USER_CONFIG_DIR", tmp.file("config")), peaks("QUILLON_PEAK_DIR", tmp.path().string()),
          doc(settings, prompter)
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        const std::string servers = dir ? dir : "";
        EXPECT_TRUE(host.addServerLibrary(servers + "/filefilter.so"));
        EXPECT_TRUE(host.addServerLibrary(servers + "/effects.so"));
        PluginHost::setCurrent(&host);
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
        doc.setAutoCdTracks(0);
    }
    ~EngineFixture() override
    {
        doc.deleteContents();
        EffectCatalog::setCurrent(nullptr);
        PluginHost::setCurrent(nullptr);
    }

    CTrack* addTrack(const std::string& name = "Track")
    {
        CTrack* t = doc.insertTrack(doc.trackCount(), std::make_unique<CTrack>(name));
        t->setPlaybackOff(0);
        return t;
    }

    // A stereo float file at the project rate whose frame f holds fn(channel, f).
    std::string writeSignal(const std::string& name, int64_t frames, const std::function<double(int, int64_t)>& fn)
    {
        std::vector<float> data(size_t(frames * 2));
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < 2; ++c)
                data[size_t(f * 2 + c)] = float(fn(c, f));
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, int(doc.sampleRate()), 2, data));
        return path;
    }

    std::string writeConstant(const std::string& name, int64_t frames, float left, float right)
    {
        return writeSignal(name, frames, [=](int c, int64_t) { return c == 0 ? left : right; });
    }

    CAudioClip* addClip(int32_t track, const std::string& path, int32_t start)
    {
        auto clip = std::make_unique<CAudioClip>(&doc.format());
        EXPECT_TRUE(clip->openFile(start, path)) << path;
        return doc.addClipToTrack(track, std::move(clip), false);
    }

    std::unique_ptr<CTransformPlugin> makeEffect(const std::string& name)
    {
        for (const EffectCatalogEntry& e : catalog.entries())
            if (e.name == name)
                return CTransformPlugin::createFromEntry(e, catalog);
        ADD_FAILURE() << "no effect " << name;
        return nullptr;
    }

    static uint32_t parameterIndex(const CTransformPlugin& effect, const std::string& name)
    {
        for (uint32_t i = 0; i < effect.parameterCount(); ++i)
            if (effect.parameterInfo(i).name == name)
                return i;
        ADD_FAILURE() << "no parameter " << name;
        return 0;
    }

    static void setParameter(CTransformPlugin& effect, const std::string& name, float value)
    {
        effect.setParameter(parameterIndex(effect, name), value);
    }

    TempDir tmp;
    ScopedEnv config;
    ScopedEnv peaks;
    PluginHost host;
    EffectCatalog catalog;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    CMultitrackerDoc doc;
};

} // namespace quillon::test
