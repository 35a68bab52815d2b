#include "filter_instance.h"

#include "file_watcher.h"
#include "filter_list.h"
#include "saved_state.h"

#include "base/folder_settings.h"
#include "base/memory_settings_store.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

namespace quillon::filefilter {

namespace {

// The peak-file folder when the host names none: $QUILLON_PEAK_DIR, else the folder
// setting's own default (the system temporary folder).
std::string defaultPeakFolder()
{
    if (const char* env = std::getenv("QUILLON_PEAK_DIR"); env && *env)
        return env;
    MemorySettingsStore noSettings;
    std::string folder;
    FolderSettings(noSettings).lookup(kFolderPeakFiles, folder);
    return folder;
}

template <class P, class F>
int32_t withParam(void* param, uint32_t size, F&& handler)
{
    if (size != sizeof(P))
        return QUILLON_E_BAD_SIZE;
    if (!param)
        return QUILLON_E_BAD_PARAM;
    return handler(*static_cast<P*>(param));
}

bool sameId(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(a.words, b.words, sizeof a.words) == 0;
}

} // namespace

FilterInstance::FilterInstance() : m_peakFolder(defaultPeakFolder()) {}

FilterInstance::~FilterInstance()
{
    unwatch();
    std::lock_guard lock(m_mutex);
    m_peakBuilder.reset();
}

int32_t FilterInstance::command(uint32_t code, void* param, uint32_t size)
{
    try {
        switch (code) {
        case QUILLON_FF_OPEN:
            return withParam<QuillonFfOpen>(param, size, [&](QuillonFfOpen& p) {
                p.success = p.path && open(p.path) ? 1 : 0;
                return 0;
            });
        case QUILLON_FF_OPEN_STATE:
            return withParam<QuillonFfOpenState>(param, size, [&](QuillonFfOpenState& p) {
                const auto state = SavedState::decode(p.state, p.size);
                p.success = state && open(state->path) ? 1 : 0;
                return 0;
            });
        case QUILLON_FF_CREATE_READER:
            return withParam<QuillonFfCreateReader>(param, size, [&](auto& p) { return createReader(p); });
        case QUILLON_FF_SEEK: return withParam<QuillonFfSeek>(param, size, [&](auto& p) { return seek(p); });
        case QUILLON_FF_READ: return withParam<QuillonFfRead>(param, size, [&](auto& p) { return read(p); });
        case QUILLON_FF_CLOSE_READER:
            return withParam<QuillonFfCloseReader>(param, size, [&](auto& p) { return closeReader(p); });
        case QUILLON_FF_LENGTH: return withParam<QuillonFfLength>(param, size, [&](auto& p) { return length(p); });
        case QUILLON_FF_SOURCE_FORMAT:
            return withParam<QuillonFfSourceFormat>(param, size, [&](auto& p) { return sourceFormat(p); });
        case QUILLON_FF_FILTER_LIST:
            return withParam<QuillonFfFilterList>(param, size, [&](auto& p) { return filterList(p); });
        case QUILLON_FF_PEAKS: return withParam<QuillonFfPeaks>(param, size, [&](auto& p) { return peaks(p); });
        case QUILLON_FF_PEAK_PROGRESS:
            return withParam<QuillonFfPeakProgress>(param, size, [&](auto& p) { return peakProgress(p); });
        case QUILLON_FF_SAVE_STATE:
            return withParam<QuillonFfSaveState>(param, size, [&](auto& p) { return saveState(p); });
        case QUILLON_FF_STATE_SIZE:
            return withParam<QuillonFfStateSize>(param, size, [&](auto& p) { return stateSize(p); });
        case QUILLON_FF_SET_OUTPUT:
            return withParam<QuillonFfSetOutput>(param, size, [&](auto& p) { return setOutput(p); });
        case QUILLON_FF_SET_SINK: return withParam<QuillonFfSetSink>(param, size, [&](auto& p) { return setSink(p); });
        case QUILLON_FF_PEAK_FOLDER:
            return withParam<QuillonFfPeakFolder>(param, size, [&](auto& p) { return setPeakFolder(p); });
        default: return QUILLON_E_UNKNOWN_COMMAND;
        }
    } catch (...) {
        // Nothing may unwind into the host.
        return QUILLON_E_FAIL;
    }
}

std::shared_ptr<const StreamConfig> FilterInstance::makeConfig(const SourceInfo& source,
                                                               const std::vector<int>& positions,
                                                               uint64_t generation) const
{
    auto config = std::make_shared<StreamConfig>();
    config->source = source;
    config->positions = positions;
    config->sourceGeneration = generation;
    config->outRate = m_outRate ? m_outRate : source.rate;
    config->outChannels = m_outChannels ? m_outChannels : source.channels;
    config->outLength = config->toOutput(source.frames);
    return config;
}

bool FilterInstance::open(const std::string& path)
{
    SourceFile file;
    if (!file.open(path))
        return false;
    SourceInfo info = file.info();
    std::error_code ec;
    // The state must reopen the file whatever the working folder is then.
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec)
        info.path = absolute.lexically_normal().string();
    std::vector<int> positions(static_cast<size_t>(info.channels));
    for (int c = 0; c < info.channels; ++c)
        positions[static_cast<size_t>(c)] = file.channelPosition(c);
    file.close();

    unwatch();
    {
        std::lock_guard lock(m_mutex);
        m_config = makeConfig(info, positions, ++m_generation);
        // Peaks of the former source are of no use; they start again on demand.
        m_peakBuilder.reset();
        m_peaks.reset();
    }
    std::lock_guard lock(m_watchMutex);
    m_watchId = FileWatcher::shared().add(info.path, info.stamp, [this] { sourceChanged(); });
    return true;
}

void FilterInstance::unwatch()
{
    uint64_t id = 0;
    {
        std::lock_guard lock(m_watchMutex);
        id = std::exchange(m_watchId, 0);
    }
    if (id)
        FileWatcher::shared().remove(id);
}

void FilterInstance::sourceChanged()
{
    std::string path;
    {
        std::lock_guard lock(m_mutex);
        if (!m_config)
            return;
        path = m_config->source.path;
    }
    SourceFile file;
    const bool reopened = file.open(path);
    {
        std::lock_guard lock(m_mutex);
        if (!m_config || m_config->source.path != path)
            return; // another file was opened meanwhile
        SourceInfo info = m_config->source;
        std::vector<int> positions = m_config->positions;
        if (reopened) {
            // Keep the path as the host gave it; the fresh handle knows the rest.
            info = file.info();
            info.path = path;
            positions.assign(static_cast<size_t>(info.channels), 0);
            for (int c = 0; c < info.channels; ++c)
                positions[static_cast<size_t>(c)] = file.channelPosition(c);
        } else {
            SourceFile::stamp(path, info.stamp);
        }
        m_config = makeConfig(info, positions, ++m_generation);
        if (m_peakBuilder)
            restartPeaksLocked();
        else
            m_peaks.reset();
    }
    file.close();
    std::lock_guard sinkLock(m_sinkMutex);
    QuillonInterface sink = m_sink;
    if (sink.command)
        sink.command(&sink, QUILLON_SINK_SOURCE_CHANGED, nullptr, 0);
}

std::shared_ptr<StreamReader> FilterInstance::reader(uint32_t handle, std::shared_ptr<const StreamConfig>& config)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_readers.find(handle);
    if (it == m_readers.end())
        return nullptr;
    config = m_config;
    return it->second;
}

int32_t FilterInstance::createReader(QuillonFfCreateReader& p)
{
    std::shared_ptr<const StreamConfig> config;
    {
        std::lock_guard lock(m_mutex);
        config = m_config;
        if (!config || m_readers.size() >= kMaxReaders)
            return QUILLON_E_FAIL;
    }
    // Opening the reader's own file handle happens outside the lock.
    auto created = std::make_shared<StreamReader>();
    {
        std::lock_guard readerLock(created->mutex());
        created->prepare(config);
    }
    std::lock_guard lock(m_mutex);
    if (m_readers.size() >= kMaxReaders)
        return QUILLON_E_FAIL;
    uint32_t handle = m_nextReader;
    while (handle == 0 || m_readers.count(handle))
        ++handle;
    m_nextReader = handle + 1;
    m_readers.emplace(handle, std::move(created));
    p.reader = handle;
    return 0;
}

int32_t FilterInstance::seek(const QuillonFfSeek& p)
{
    std::shared_ptr<const StreamConfig> config;
    const std::shared_ptr<StreamReader> r = reader(p.reader, config);
    if (!r)
        return QUILLON_E_BAD_HANDLE;
    std::lock_guard lock(r->mutex());
    r->prepare(config);
    r->seek(p.position);
    return 0;
}

int32_t FilterInstance::read(QuillonFfRead& p)
{
    if (p.count > 0 && !p.frames)
        return QUILLON_E_BAD_PARAM;
    std::shared_ptr<const StreamConfig> config;
    const std::shared_ptr<StreamReader> r = reader(p.reader, config);
    if (!r)
        return QUILLON_E_BAD_HANDLE;
    std::lock_guard lock(r->mutex());
    r->prepare(config);
    p.framesRead = r->read(p.frames, p.count);
    return 0;
}

int32_t FilterInstance::closeReader(const QuillonFfCloseReader& p)
{
    std::shared_ptr<StreamReader> closing;
    std::lock_guard lock(m_mutex);
    const auto it = m_readers.find(p.reader);
    if (it == m_readers.end())
        return QUILLON_E_BAD_HANDLE;
    // A read still running on another thread keeps its reader alive until it returns.
    closing = std::move(it->second);
    m_readers.erase(it);
    return 0;
}

int32_t FilterInstance::length(QuillonFfLength& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    p.length = static_cast<int32_t>(std::min<int64_t>(m_config->outLength, INT32_MAX));
    return 0;
}

int32_t FilterInstance::sourceFormat(QuillonFfSourceFormat& p)
{
    if (!p.format)
        return QUILLON_E_BAD_PARAM;
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    *p.format = SourceFile::waveFormat(m_config->source);
    return 0;
}

int32_t FilterInstance::filterList(QuillonFfFilterList& p)
{
    const std::string list = filefilter::filterList();
    // A truncated list would end inside a pair; better none at all.
    if (!p.text || list.size() + 1 > p.capacity)
        return QUILLON_E_BAD_PARAM;
    std::memcpy(p.text, list.c_str(), list.size() + 1);
    return 0;
}

void FilterInstance::ensurePeaksLocked()
{
    if (m_peakBuilder || !m_config)
        return;
    m_peaks = std::make_shared<PeakData>(m_config->source.channels, m_config->source.frames);
    m_peakBuilder = std::make_unique<PeakBuilder>(m_config->source, m_peakFolder, m_peaks);
}

void FilterInstance::restartPeaksLocked()
{
    m_peakBuilder.reset();
    m_peaks.reset();
    ensurePeaksLocked();
}

int32_t FilterInstance::peakProgress(QuillonFfPeakProgress& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    ensurePeaksLocked();
    p.percent = m_peakBuilder->percent();
    return 0;
}

int32_t FilterInstance::peaks(QuillonFfPeaks& p)
{
    if (!p.buffer || p.points <= 0 || p.end <= p.begin)
        return QUILLON_E_BAD_PARAM;
    std::shared_ptr<const StreamConfig> config;
    std::shared_ptr<PeakData> data;
    {
        std::lock_guard lock(m_mutex);
        if (!m_config)
            return QUILLON_E_FAIL;
        ensurePeaksLocked();
        config = m_config;
        data = m_peaks;
    }
    QuillonPeakBuffer& buffer = *p.buffer;
    const int channels = config->source.channels;
    const uint64_t needed = static_cast<uint64_t>(p.points) * static_cast<uint64_t>(channels);
    if (!buffer.pairs || buffer.capacity < needed)
        return QUILLON_E_BAD_PARAM;
    const double span = static_cast<double>(p.end) - static_cast<double>(p.begin);
    const double sourceBegin = config->toSource(p.begin);
    const double sourceStep = config->toSource(span) / p.points;
    const size_t stride = static_cast<size_t>(channels) * 2;
    if (sourceStep >= static_cast<double>(PeakData::kBlock) ||
        !directPeaks(*config, sourceBegin, sourceStep, p.points, buffer.pairs)) {
        for (int32_t i = 0; i < p.points; ++i) {
            const auto first = static_cast<int64_t>(std::floor(sourceBegin + i * sourceStep));
            const auto last = static_cast<int64_t>(std::ceil(sourceBegin + (i + 1) * sourceStep));
            data->range(first, last, buffer.pairs + static_cast<size_t>(i) * stride);
        }
    }
    buffer.points = static_cast<uint32_t>(p.points);
    buffer.channels = static_cast<uint32_t>(channels);
    buffer.framesPerPoint = static_cast<float>(span / p.points);
    return 0;
}

bool FilterInstance::directPeaks(const StreamConfig& config, double sourceBegin, double sourceStep, int32_t points,
                                 float* out)
{
    std::lock_guard lock(m_queryMutex);
    if (!m_querySource.isOpen() || m_queryGeneration != config.sourceGeneration) {
        m_queryGeneration = config.sourceGeneration;
        if (!m_querySource.open(config.source.path) || m_querySource.info().channels != config.source.channels) {
            m_querySource.close();
            return false;
        }
    }
    const size_t ch = static_cast<size_t>(config.source.channels);
    const size_t stride = ch * 2;
    for (size_t i = 0; i < static_cast<size_t>(points); ++i)
        for (size_t c = 0; c < ch; ++c) {
            out[i * stride + 2 * c] = std::numeric_limits<float>::max();
            out[i * stride + 2 * c + 1] = std::numeric_limits<float>::lowest();
        }
    const int64_t frames = m_querySource.info().frames;
    const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(std::floor(sourceBegin)), 0, frames);
    const int64_t last =
        std::clamp<int64_t>(static_cast<int64_t>(std::ceil(sourceBegin + points * sourceStep)), 0, frames);
    if (first < last && !m_querySource.seek(first)) {
        m_querySource.close();
        return false;
    }
    std::vector<float> buf(4096 * ch);
    for (int64_t at = first; at < last;) {
        const int64_t got = m_querySource.read(buf.data(), std::min<int64_t>(4096, last - at));
        if (got <= 0)
            break;
        for (int64_t f = 0; f < got; ++f) {
            const double offset = (static_cast<double>(at + f) - sourceBegin) / sourceStep;
            if (offset < 0)
                continue;
            const auto i = static_cast<size_t>(std::min<double>(offset, points - 1));
            float* pair = out + i * stride;
            const float* sample = buf.data() + static_cast<size_t>(f) * ch;
            for (size_t c = 0; c < ch; ++c) {
                pair[2 * c] = std::min(pair[2 * c], sample[c]);
                pair[2 * c + 1] = std::max(pair[2 * c + 1], sample[c]);
            }
        }
        at += got;
    }
    // Points that hold no frame (past the end) are silent.
    for (size_t i = 0; i < static_cast<size_t>(points) * ch; ++i)
        if (out[2 * i] > out[2 * i + 1])
            out[2 * i] = out[2 * i + 1] = 0.0f;
    return true;
}

int32_t FilterInstance::stateSize(QuillonFfStateSize& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    p.size = static_cast<uint32_t>(SavedState{m_config->source.path}.encode().size());
    return 0;
}

int32_t FilterInstance::saveState(QuillonFfSaveState& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    const std::vector<uint8_t> bytes = SavedState{m_config->source.path}.encode();
    if (!p.buffer || p.size < bytes.size())
        return QUILLON_E_BAD_PARAM;
    std::memcpy(p.buffer, bytes.data(), bytes.size());
    return 0;
}

int32_t FilterInstance::setOutput(const QuillonFfSetOutput& p)
{
    if (!p.format || p.format->nChannels < 1 || p.format->nChannels > SourceFile::kMaxChannels ||
        p.format->nSamplesPerSec < 1 || p.format->nSamplesPerSec > static_cast<uint32_t>(SourceFile::kMaxRate))
        return QUILLON_E_BAD_PARAM;
    std::lock_guard lock(m_mutex);
    m_outRate = static_cast<int>(p.format->nSamplesPerSec);
    m_outChannels = p.format->nChannels;
    if (m_config)
        m_config = makeConfig(m_config->source, m_config->positions, m_config->sourceGeneration);
    return 0;
}

int32_t FilterInstance::setSink(const QuillonFfSetSink& p)
{
    static constexpr QuillonIdentifier kSinkId = QUILLON_IID_CLIP_SINK;
    if (p.sink.command && !sameId(p.sink.id, kSinkId))
        return QUILLON_E_BAD_PARAM;
    std::lock_guard lock(m_sinkMutex);
    m_sink = p.sink.command ? p.sink : QuillonInterface{};
    return 0;
}

int32_t FilterInstance::setPeakFolder(const QuillonFfPeakFolder& p)
{
    std::lock_guard lock(m_mutex);
    m_peakFolder = p.folder && *p.folder ? std::string(p.folder) : defaultPeakFolder();
    return 0;
}

} // namespace quillon::filefilter
