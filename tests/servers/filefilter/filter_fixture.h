#pragma once
// The real file-filter server loaded through the plug-in host, and helpers to read whole
// streams through it.

#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace quillon::test {

inline PluginHost& filterHost()
{
    static PluginHost* host = [] {
        auto* h = new PluginHost; // lives until exit: instances of static fixtures may outlast tests
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(dir && h->addServerLibrary(std::string(dir) + "/filefilter.so"))
            << "QUILLON_SERVER_DIR must name the folder holding filefilter.so";
        return h;
    }();
    return *host;
}

inline FileFilter makeFilter(const std::string& peakFolder = {})
{
    FileFilter f = FileFilter::create(filterHost());
    if (!peakFolder.empty())
        f.setPeakFolder(peakFolder);
    return f;
}

// Reads `count` frames from `position` in blocks of `block` frames.
inline std::vector<float> readFrames(const FileFilter& filter, uint32_t reader, int32_t position, int64_t count,
                                     uint32_t channels, uint32_t block = 1000)
{
    std::vector<float> out(static_cast<size_t>(count) * channels);
    filter.seekReader(reader, position);
    for (int64_t done = 0; done < count;) {
        const auto n = static_cast<uint32_t>(std::min<int64_t>(block, count - done));
        filter.read(reader, out.data() + done * channels, n);
        done += n;
    }
    return out;
}

inline float maxDifference(const std::vector<float>& a, const std::vector<float>& b, size_t from = 0,
                           size_t to = SIZE_MAX)
{
    float worst = 0;
    to = std::min({to, a.size(), b.size()});
    for (size_t i = from; i < to; ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// Polls until `done` holds or the time runs out.
inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline WAVEFORMATEX outputFormat(uint32_t rate, uint16_t channels)
{
    WAVEFORMATEX f{};
    f.wFormatTag = QUILLON_WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 32;
    f.nBlockAlign = static_cast<uint16_t>(channels * 4);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

} // namespace quillon::test
