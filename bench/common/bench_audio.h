#pragma once
// What the benches share to set up their material: a scratch folder per run and stereo
// 16-bit WAV sources generated sample by sample.

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quillon::bench {

// $TMPDIR/quillon-<name>-bench-<pid>, created on first use.
inline std::filesystem::path scratchFolder(const std::string& name)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") /
                                         ("quillon-" + name + "-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

// Writes `frames` stereo frames; `sample(frame)` gives the (left, right) pair.
template <class Sample>
bool writeStereoWav(const std::string& path, int rate, int64_t frames, Sample sample)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f)
        return false;
    constexpr int64_t kBlock = 4096;
    std::vector<float> block(size_t(kBlock) * 2);
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min(kBlock, frames - done);
        for (int64_t i = 0; i < n; ++i) {
            const std::pair<float, float> s = sample(done + i);
            block[size_t(i) * 2] = s.first;
            block[size_t(i) * 2 + 1] = s.second;
        }
        sf_writef_float(f, block.data(), n);
        done += n;
    }
    return sf_close(f) == 0;
}

} // namespace quillon::bench
