#include "peak_builder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <semaphore>
#include <set>
#include <vector>

namespace quillon::filefilter {

namespace {

// At most this many jobs read sources at once.
std::counting_semaphore<64> g_readers(2);

// Peak files being made, so that two clips of one source build it once.
std::mutex g_busyMutex;
std::condition_variable g_busyChanged;
std::set<std::string> g_busy;

class BusySlot {
public:
    BusySlot(const std::string& file, const std::atomic<bool>& cancel) : m_file(file)
    {
        std::unique_lock lock(g_busyMutex);
        while (g_busy.count(m_file)) {
            if (cancel.load())
                return;
            g_busyChanged.wait_for(lock, std::chrono::milliseconds(50));
        }
        g_busy.insert(m_file);
        m_held = true;
    }
    ~BusySlot()
    {
        if (!m_held)
            return;
        {
            std::lock_guard lock(g_busyMutex);
            g_busy.erase(m_file);
        }
        g_busyChanged.notify_all();
    }
    bool held() const { return m_held; }

private:
    std::string m_file;
    bool m_held = false;
};

class ReaderSlot {
public:
    explicit ReaderSlot(const std::atomic<bool>& cancel)
    {
        while (!cancel.load())
            if (g_readers.try_acquire_for(std::chrono::milliseconds(50))) {
                m_held = true;
                return;
            }
    }
    ~ReaderSlot()
    {
        if (m_held)
            g_readers.release();
    }
    bool held() const { return m_held; }

private:
    bool m_held = false;
};

// Minimum and maximum of each channel of `frames` interleaved frames, in one pass.
void summarise(const float* samples, size_t frames, size_t channels, float* out)
{
    if (channels == 2) {
        float lo0 = samples[0], hi0 = samples[0], lo1 = samples[1], hi1 = samples[1];
        for (size_t f = 1; f < frames; ++f) {
            lo0 = std::min(lo0, samples[2 * f]);
            hi0 = std::max(hi0, samples[2 * f]);
            lo1 = std::min(lo1, samples[2 * f + 1]);
            hi1 = std::max(hi1, samples[2 * f + 1]);
        }
        out[0] = lo0;
        out[1] = hi0;
        out[2] = lo1;
        out[3] = hi1;
        return;
    }
    for (size_t c = 0; c < channels; ++c)
        out[2 * c] = out[2 * c + 1] = samples[c];
    for (size_t f = 1; f < frames; ++f)
        for (size_t c = 0; c < channels; ++c) {
            const float v = samples[f * channels + c];
            out[2 * c] = std::min(out[2 * c], v);
            out[2 * c + 1] = std::max(out[2 * c + 1], v);
        }
}

} // namespace

PeakBuilder::PeakBuilder(const SourceInfo& source, std::string peakFolder, std::shared_ptr<PeakData> data)
    : m_source(source), m_peakFolder(std::move(peakFolder)), m_data(std::move(data))
{
    m_thread = std::thread([this] { run(); });
}

PeakBuilder::~PeakBuilder()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void PeakBuilder::cancel() { m_cancel.store(true); }

void PeakBuilder::run()
{
    const std::string file = PeakData::peakFileName(m_peakFolder, m_source.path);
    BusySlot busy(file, m_cancel);
    if (!busy.held())
        return;
    if (m_data->load(file, m_source.stamp)) {
        m_loadedFromFile.store(true);
        m_percent.store(100);
        return;
    }
    ReaderSlot reading(m_cancel);
    if (!reading.held())
        return;
    if (!build())
        return;
    m_data->finish();
    std::error_code ec;
    std::filesystem::create_directories(m_peakFolder, ec);
    // A folder that cannot be written still leaves the peaks in memory.
    m_data->save(file, m_source.stamp);
    m_percent.store(100);
}

bool PeakBuilder::build()
{
    SourceFile source;
    if (!source.open(m_source.path) || source.info().channels != m_data->channels()) {
        // Nothing to read: the peaks stay silent but complete, so nobody waits for them.
        m_percent.store(100);
        m_data->finish();
        return false;
    }
    const size_t ch = static_cast<size_t>(m_data->channels());
    constexpr int64_t kBlocksPerChunk = 256;
    constexpr int64_t kChunkFrames = kBlocksPerChunk * PeakData::kBlock;
    std::vector<float> samples(static_cast<size_t>(kChunkFrames) * ch);
    std::vector<float> pairs(static_cast<size_t>(kBlocksPerChunk) * ch * 2);
    const int64_t total = m_data->frames();
    int64_t done = 0;
    int64_t block = 0;
    while (done < total) {
        if (m_cancel.load())
            return false;
        const int64_t want = std::min(kChunkFrames, total - done);
        const int64_t got = source.read(samples.data(), want);
        if (got <= 0)
            break; // a damaged file ends early; the rest stays silent
        const int64_t blocks = (got + PeakData::kBlock - 1) / PeakData::kBlock;
        for (int64_t b = 0; b < blocks; ++b) {
            const int64_t first = b * PeakData::kBlock;
            const int64_t last = std::min(got, first + PeakData::kBlock);
            summarise(samples.data() + static_cast<size_t>(first) * ch, static_cast<size_t>(last - first), ch,
                      pairs.data() + b * static_cast<int64_t>(ch) * 2);
        }
        m_data->setBlocks(block, pairs.data(), blocks);
        block += blocks;
        done += got;
        // 100 stays reserved for "complete".
        m_percent.store(static_cast<uint32_t>(std::min<int64_t>(99, done * 100 / total)));
        if (got < want)
            break;
    }
    return true;
}

} // namespace quillon::filefilter
