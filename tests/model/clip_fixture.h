#pragma once
// Clips over the shipped file filter reading files generated in a temporary folder.

#include "base/wave_format.h"
#include "model/audio_clip.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace quillon::test {

class ClipFixture : public ::testing::Test {
protected:
    ClipFixture()
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
        project = makePcmFormat(44100, 2, 16);
    }
    ~ClipFixture() override { PluginHost::setCurrent(nullptr); }

    // A stereo float file whose frame f holds fn(f) in every channel.
    std::string writeSignal(const std::string& name, int64_t frames, const std::function<float(int64_t)>& fn,
                            int rate = 44100, int channels = 2)
    {
        std::vector<float> data(size_t(frames * channels));
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                data[size_t(f * channels + c)] = fn(f);
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, channels, data));
        return path;
    }

    std::string writeConstant(const std::string& name, int64_t frames, float value)
    {
        return writeSignal(name, frames, [value](int64_t) { return value; });
    }

    std::unique_ptr<CAudioClip> openClip(const std::string& path, int32_t start)
    {
        auto clip = std::make_unique<CAudioClip>(&project);
        EXPECT_TRUE(clip->openFile(start, path)) << path;
        return clip;
    }

    TempDir tmp;
    PluginHost host;
    WAVEFORMATEX project{};
};

} // namespace quillon::test
