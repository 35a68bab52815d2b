#include "filter_instance.h"

#include "export_format.h"
#include "file_watcher.h"
#include "filter_list.h"
#include "range_reader.h"
#include "save_options.h"
#include "server_settings.h"
#include "tempo_module.h"
#include "ui_module.h"
#include "user_interface.h"
#include "wave_editor_launcher.h"

#include <server_entry.h>

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
// setting's own default (in the user's cache folder).
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

int32_t clampToI32(double frames)
{
    return static_cast<int32_t>(std::clamp<double>(std::llround(frames), 0.0, static_cast<double>(INT32_MAX)));
}

bool isFiniteNonNegative(float v)
{
    return std::isfinite(v) && v >= 0.0f;
}

} // namespace

QuillonInterface FilterInstance::makeRecord(std::unique_ptr<FilterInstance> instance)
{
    constexpr QuillonIdentifier kFileFilterId = QUILLON_IID_FILE_FILTER;
    return server::makeRecord(std::move(instance), kFileFilterId);
}

FilterInstance::FilterInstance() : m_peakFolder(defaultPeakFolder()) {}

FilterInstance::~FilterInstance()
{
    {
        // A destination file is complete once its writer is gone.
        std::lock_guard lock(m_writerMutex);
        m_writer.reset();
    }
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
                p.success = open(SavedState{p.path ? p.path : ""}) ? 1 : 0;
                return 0;
            });
        case QUILLON_FF_OPEN_STATE:
            return withParam<QuillonFfOpenState>(param, size, [&](QuillonFfOpenState& p) {
                const auto state = SavedState::decode(p.state, p.size);
                p.success = open(state ? *state : SavedState{}) ? 1 : 0;
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
        case QUILLON_FF_SOURCE_PATH:
            return withParam<QuillonFfSourcePath>(param, size, [&](auto& p) { return sourcePath(p); });
        case QUILLON_FF_RELINK_STATE:
            return withParam<QuillonFfRelinkState>(param, size, [&](auto& p) { return relinkState(p); });
        case QUILLON_FF_CHOOSE_DESTINATION:
            return withParam<QuillonFfChooseDestination>(param, size, [&](auto& p) { return chooseDestination(p); });
        case QUILLON_FF_CREATE: return withParam<QuillonFfCreate>(param, size, [&](auto& p) { return create(p); });
        case QUILLON_FF_WRITE: return withParam<QuillonFfWrite>(param, size, [&](auto& p) { return write(p); });
        case QUILLON_FF_EXPORT_FORMAT_COUNT:
            return withParam<QuillonFfExportFormatCount>(param, size, [&](auto& p) { return exportFormatCount(p); });
        case QUILLON_FF_EXPORT_FORMAT_NAME:
            return withParam<QuillonFfExportFormatName>(param, size, [&](auto& p) { return exportFormatName(p); });
        case QUILLON_FF_TRANSITION_SCALE:
            return withParam<QuillonFfTransitionScale>(param, size, [&](auto& p) { return setTransitionScale(p); });
        case QUILLON_FF_TIME_SCALE_RATIO:
            return withParam<QuillonFfTimeScaleRatio>(param, size, [&](auto& p) { return setTimeScaleRatio(p); });
        case QUILLON_FF_TEMPO: return withParam<QuillonFfTempo>(param, size, [&](auto& p) { return tempo(p); });
        case QUILLON_FF_DETECT_PAUSES:
            return withParam<QuillonFfDetectPauses>(param, size, [&](auto& p) { return detectPauses(p); });
        case QUILLON_FF_SPLIT_AT_PAUSES:
            return withParam<QuillonFfSplitAtPauses>(param, size, [&](auto& p) { return splitAtPauses(p); });
        case QUILLON_FF_EDIT_EXTERNALLY:
            return withParam<QuillonFfEditExternally>(param, size, [&](auto& p) { return editExternally(p); });
        default: return QUILLON_E_UNKNOWN_COMMAND;
        }
    } catch (...) {
        // Nothing may unwind into the host.
        return QUILLON_E_FAIL;
    }
}

std::shared_ptr<StreamConfig> FilterInstance::makeConfigLocked(const SourceInfo& source,
                                                              const std::vector<int>& positions, uint64_t generation,
                                                              int64_t rangeBegin, int64_t rangeFrames)
{
    auto config = std::make_shared<StreamConfig>();
    config->source = source;
    config->positions = positions;
    config->sourceGeneration = generation;
    // A source that shrank below a piece's stretch leaves the piece what is still there.
    config->rangeBegin = std::clamp<int64_t>(rangeBegin, 0, source.frames);
    const int64_t rest = source.frames - config->rangeBegin;
    config->rangeFrames = rangeFrames < 0 ? rest : std::min(rangeFrames, rest);
    config->outRate = m_outRate ? m_outRate : source.rate;
    config->outChannels = m_outChannels ? m_outChannels : source.channels;
    config->outLength = config->toOutput(config->rangeFrames);
    m_scale.setSourceLength(config->outLength);
    config->scale = m_scale;
    return config;
}

void FilterInstance::publishScaleLocked()
{
    auto config = std::make_shared<StreamConfig>(*m_config);
    config->scale = m_scale;
    m_config = std::move(config);
}

bool FilterInstance::open(const SavedState& state)
{
    std::string path = state.path;
    std::error_code ec;
    // The state must reopen the file whatever the working folder is then.
    const std::filesystem::path absolute = path.empty() ? std::filesystem::path() : std::filesystem::absolute(path, ec);
    if (!path.empty() && !ec)
        path = absolute.lexically_normal().string();
    const auto failed = [&] {
        std::lock_guard lock(m_mutex);
        m_lastOpenFailed = true;
        m_failedPath = path;
        return false;
    };

    SourceFile file;
    if (path.empty() || !file.open(path))
        return failed();
    SourceInfo info = file.info();
    info.path = path;
    std::vector<int> positions(static_cast<size_t>(info.channels));
    for (int c = 0; c < info.channels; ++c)
        positions[static_cast<size_t>(c)] = file.channelPosition(c);
    file.close();
    // A piece whose stretch is no longer in the file has nothing to play.
    if (state.rangeFrames >= 0 && state.rangeBegin >= info.frames)
        return failed();

    unwatch();
    {
        std::lock_guard lock(m_mutex);
        m_scale = TimeScaleMap();
        m_rangeBegin = state.rangeFrames >= 0 ? state.rangeBegin : 0;
        m_rangeFrames = state.rangeFrames;
        auto config = makeConfigLocked(info, positions, ++m_generation, state.rangeBegin, state.rangeFrames);
        // Scalings that do not fit the source as it is now (it changed length) are dropped:
        // the clip then plays unscaled rather than not at all.
        const TimeScaleMap::Transition& start = state.startTransition;
        const TimeScaleMap::Transition& end = state.endTransition;
        if (start.active())
            m_scale.setTransition(start.length, TimeScaleMap::kStart | start.kind, start.ratio);
        if (end.active())
            m_scale.setTransition(end.length, TimeScaleMap::kEnd | end.kind, end.ratio);
        if (state.ratio != 1.0f)
            m_scale.setRatio(state.ratio);
        config->scale = m_scale;
        m_config = std::move(config);
        m_lastOpenFailed = false;
        m_failedPath.clear();
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
        m_config = makeConfigLocked(info, positions, ++m_generation, m_rangeBegin, m_rangeFrames);
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
    // Before the clip's ratio, which the clip applies itself; after the transition scalings.
    p.length = static_cast<int32_t>(std::min<int64_t>(m_config->scale.scaledLength(), INT32_MAX));
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
    // The points' borders in frames of the whole source file.
    const auto points = static_cast<size_t>(p.points);
    std::vector<double> bounds(points + 1);
    const double offset = static_cast<double>(config->rangeBegin);
    if (config->scale.isIdentity()) {
        const double sourceBegin = config->toSource(p.begin);
        const double sourceStep = config->toSource(span) / p.points;
        for (size_t i = 0; i <= points; ++i)
            bounds[i] = offset + sourceBegin + static_cast<double>(i) * sourceStep;
    } else {
        for (size_t i = 0; i <= points; ++i)
            bounds[i] = offset + config->toSource(config->scale.sourceAt(p.begin + span * static_cast<double>(i) /
                                                                                      static_cast<double>(points)));
    }
    const auto rangeBegin = config->rangeBegin;
    const auto rangeEnd = config->rangeBegin + config->rangeFrames;
    const double meanStep = (bounds[points] - bounds[0]) / static_cast<double>(points);
    const size_t stride = static_cast<size_t>(channels) * 2;
    if (meanStep >= static_cast<double>(PeakData::kBlock) || !directPeaks(*config, bounds, buffer.pairs)) {
        for (size_t i = 0; i < points; ++i) {
            const auto first = std::clamp(static_cast<int64_t>(std::floor(bounds[i])), rangeBegin, rangeEnd);
            const auto last = std::clamp(static_cast<int64_t>(std::ceil(bounds[i + 1])), rangeBegin, rangeEnd);
            data->range(first, last, buffer.pairs + i * stride);
        }
    }
    buffer.points = static_cast<uint32_t>(p.points);
    buffer.channels = static_cast<uint32_t>(channels);
    buffer.framesPerPoint = static_cast<float>(span / p.points);
    return 0;
}

bool FilterInstance::directPeaks(const StreamConfig& config, const std::vector<double>& bounds, float* out)
{
    const size_t points = bounds.size() - 1;
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
    for (size_t i = 0; i < points; ++i)
        for (size_t c = 0; c < ch; ++c) {
            out[i * stride + 2 * c] = std::numeric_limits<float>::max();
            out[i * stride + 2 * c + 1] = std::numeric_limits<float>::lowest();
        }
    const int64_t lo = std::min(config.rangeBegin, m_querySource.info().frames);
    const int64_t hi = std::min(config.rangeBegin + config.rangeFrames, m_querySource.info().frames);
    const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(std::floor(bounds.front())), lo, hi);
    const int64_t last = std::clamp<int64_t>(static_cast<int64_t>(std::ceil(bounds.back())), lo, hi);
    if (first < last && !m_querySource.seek(first)) {
        m_querySource.close();
        return false;
    }
    std::vector<float> buf(4096 * ch);
    size_t i = 0;
    for (int64_t at = first; at < last;) {
        const int64_t got = m_querySource.read(buf.data(), std::min<int64_t>(4096, last - at));
        if (got <= 0)
            break;
        for (int64_t f = 0; f < got; ++f) {
            const double x = static_cast<double>(at + f);
            if (x < bounds.front())
                continue;
            while (i + 1 < points && x >= bounds[i + 1])
                ++i;
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
    for (size_t k = 0; k < points * ch; ++k)
        if (out[2 * k] > out[2 * k + 1])
            out[2 * k] = out[2 * k + 1] = 0.0f;
    return true;
}

SavedState FilterInstance::currentStateLocked() const
{
    SavedState state{m_config->source.path};
    std::error_code ec;
    if (const auto bytes = std::filesystem::file_size(state.path, ec); !ec)
        state.fileSize = static_cast<int64_t>(bytes);
    if (m_rangeFrames >= 0) {
        state.rangeBegin = m_rangeBegin;
        state.rangeFrames = m_rangeFrames;
    }
    state.ratio = m_scale.ratio();
    state.startTransition = m_scale.startTransition();
    state.endTransition = m_scale.endTransition();
    return state;
}

int32_t FilterInstance::stateSize(QuillonFfStateSize& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    p.size = static_cast<uint32_t>(currentStateLocked().encode().size());
    return 0;
}

int32_t FilterInstance::saveState(QuillonFfSaveState& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    const std::vector<uint8_t> bytes = currentStateLocked().encode();
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
        m_config = makeConfigLocked(m_config->source, m_config->positions, m_config->sourceGeneration,
                                    m_rangeBegin, m_rangeFrames);
    return 0;
}

int32_t FilterInstance::setSink(const QuillonFfSetSink& p)
{
    static constexpr QuillonIdentifier kSinkId = QUILLON_IID_CLIP_SINK;
    if (p.sink.command && !server::sameIdentifier(p.sink.id, kSinkId))
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

int32_t FilterInstance::relinkState(QuillonFfRelinkState& p)
{
    auto state = SavedState::decode(p.state, p.size);
    if (!state)
        return QUILLON_E_BAD_PARAM;
    p.recordedSize = state->fileSize;
    if (!p.path)
        return 0;
    if (!*p.path || (p.bufferSize > 0 && !p.buffer))
        return QUILLON_E_BAD_PARAM;
    state->path = p.path;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(state->path, ec);
    state->fileSize = ec ? -1 : static_cast<int64_t>(bytes);
    const std::vector<uint8_t> out = state->encode();
    p.length = static_cast<uint32_t>(out.size());
    if (p.bufferSize >= out.size())
        std::memcpy(p.buffer, out.data(), out.size());
    return 0;
}

int32_t FilterInstance::sourcePath(QuillonFfSourcePath& p)
{
    if (p.size > 0 && !p.buffer)
        return QUILLON_E_BAD_PARAM;
    std::string path;
    {
        std::lock_guard lock(m_mutex);
        if (m_lastOpenFailed)
            path = m_failedPath;
        else if (m_config)
            path = m_config->source.path;
    }
    p.length = static_cast<uint32_t>(std::min<size_t>(path.size(), UINT32_MAX));
    if (p.size > 0) {
        const size_t n = std::min<size_t>(path.size(), p.size - 1);
        std::memcpy(p.buffer, path.data(), n);
        p.buffer[n] = 0;
    }
    return 0;
}

// ---- Writing ----

int32_t FilterInstance::chooseDestination(QuillonFfChooseDestination& p)
{
    p.success = 0;
    if (!p.format)
        return QUILLON_E_BAD_PARAM;
    if (!canShowDialogs())
        return 0;
    if (!UiModule::available())
        return QUILLON_E_FAIL; // installed without its dialog module
    std::string folder;
    {
        const std::unique_ptr<SettingsStore> settings = openUserSettings();
        FolderSettings(*settings).lookup(kFolderMyMusic, folder);
    }
    const std::optional<std::string> path = UiModule::chooseDestination(p.defaultFormat, folder);
    if (!path)
        return 0; // cancelled: nothing written, nothing to report
    QuillonFfCreate create{path->c_str(), p.format, QUILLON_FF_INPUT_FLOAT, 0, 0, p.frames};
    if (const int32_t result = this->create(create); result != 0)
        return result;
    p.success = create.success;
    return 0;
}

int32_t FilterInstance::create(QuillonFfCreate& p)
{
    p.success = 0;
    if (!p.path || !*p.path || !p.format || p.input > QUILLON_FF_INPUT_FLOAT)
        return QUILLON_E_BAD_PARAM;
    const SaveOptions options = readSaveOptions(*openUserSettings());
    const auto input = p.input == QUILLON_FF_INPUT_FLOAT ? AudioWriter::Input::Float : AudioWriter::Input::Recorded;
    std::lock_guard lock(m_writerMutex);
    // Finish any file this instance was writing before a new one (perhaps the same path) starts.
    m_writer.reset();
    auto writer = std::make_unique<AudioWriter>();
    if (!writer->open(p.path, *p.format, input, options, std::max<int64_t>(p.frames, 0)))
        return QUILLON_E_IO;
    m_writer = std::move(writer);
    p.success = 1;
    return 0;
}

int32_t FilterInstance::write(const QuillonFfWrite& p)
{
    if (p.count > 0 && !p.frames)
        return QUILLON_E_BAD_PARAM;
    std::lock_guard lock(m_writerMutex);
    if (!m_writer || !m_writer->isOpen())
        return QUILLON_E_FAIL;
    return m_writer->write(p.frames, p.count) ? 0 : QUILLON_E_IO;
}

int32_t FilterInstance::exportFormatCount(QuillonFfExportFormatCount& p)
{
    p.count = static_cast<uint32_t>(exportFormats().size());
    return 0;
}

int32_t FilterInstance::exportFormatName(const QuillonFfExportFormatName& p)
{
    const auto formats = exportFormats();
    if (p.index >= formats.size() || !p.buffer || p.size == 0)
        return QUILLON_E_BAD_PARAM;
    const std::string_view name = formats[p.index].displayName;
    const size_t n = std::min<size_t>(name.size(), p.size - 1);
    std::memcpy(p.buffer, name.data(), n);
    p.buffer[n] = 0;
    return 0;
}

// ---- Time scaling ----

int32_t FilterInstance::setTransitionScale(const QuillonFfTransitionScale& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    if (!m_scale.setTransition(p.length, p.flags, p.ratio))
        return QUILLON_E_BAD_PARAM;
    publishScaleLocked();
    return 0;
}

int32_t FilterInstance::setTimeScaleRatio(const QuillonFfTimeScaleRatio& p)
{
    std::lock_guard lock(m_mutex);
    if (!m_config)
        return QUILLON_E_FAIL;
    if (!m_scale.setRatio(p.ratio))
        return QUILLON_E_BAD_PARAM;
    publishScaleLocked();
    return 0;
}

// ---- Measuring and splitting ----

int32_t FilterInstance::tempo(QuillonFfTempo& p)
{
    p.tempo = 0.0f;
    std::shared_ptr<const StreamConfig> config;
    {
        std::lock_guard lock(m_mutex);
        config = m_config;
    }
    if (!config)
        return QUILLON_E_FAIL;
    RangeReader reader;
    if (!reader.open(*config))
        return QUILLON_E_IO;
    // The position counts frames before the clip's ratio, as the length does; the tempo is
    // measured on the recorded samples and then scaled as the clip plays them.
    const TimeScaleMap& map = config->scale;
    const double unscaled = std::clamp(map.sourceAt(static_cast<double>(p.position) * map.ratio()), 0.0,
                                       static_cast<double>(config->outLength));
    const auto at = std::clamp<int64_t>(std::llround(config->toSource(unscaled)), 0, reader.frames());
    const float bpm = TempoModule::detect(
        reader.channels(), reader.rate(),
        [&](int64_t position, float* dest, size_t frames) { return reader.read(position, dest, frames); },
        reader.frames(), at);
    if (bpm < 0.0f)
        return QUILLON_E_FAIL; // the tempo module is missing or failed
    if (bpm > 0.0f && !map.isIdentity())
        p.tempo = static_cast<float>(bpm / map.localRatio(unscaled));
    else
        p.tempo = bpm;
    return 0;
}

bool FilterInstance::findPieces(float threshold, float minTrackSeconds, float minPauseSeconds, uint32_t capacity,
                                std::shared_ptr<const StreamConfig>& config, std::vector<AudioRange>& pieces)
{
    {
        std::lock_guard lock(m_mutex);
        config = m_config;
    }
    if (!config)
        return false;
    RangeReader reader;
    if (!reader.open(*config))
        return false;
    const PauseDetector detector(reader.channels(), reader.rate());
    PauseDetector::Settings settings;
    settings.threshold = threshold;
    settings.minTrackSeconds = minTrackSeconds;
    settings.minPauseSeconds = minPauseSeconds;
    settings.maxRanges = std::min<size_t>(capacity, QUILLON_FF_MAX_SPLIT_PIECES);
    pieces = detector.detect(
        [&](int64_t position, float* dest, size_t frames) { return reader.read(position, dest, frames); },
        reader.frames(), settings);
    return true;
}

int32_t FilterInstance::detectPauses(QuillonFfDetectPauses& p)
{
    p.count = 0;
    if (!p.ranges || p.capacity == 0 || !isFiniteNonNegative(p.threshold) ||
        !isFiniteNonNegative(p.minTrackSeconds) || !isFiniteNonNegative(p.minPauseSeconds))
        return QUILLON_E_BAD_PARAM;
    std::shared_ptr<const StreamConfig> config;
    std::vector<AudioRange> pieces;
    if (!findPieces(p.threshold, p.minTrackSeconds, p.minPauseSeconds, p.capacity, config, pieces))
        return QUILLON_E_FAIL;
    // Into the frames reads address: output rate, after time scaling.
    const TimeScaleMap& map = config->scale;
    for (const AudioRange& piece : pieces) {
        p.ranges[2 * p.count] = clampToI32(map.outputAt(static_cast<double>(config->toOutput(piece.begin))));
        p.ranges[2 * p.count + 1] = clampToI32(map.outputAt(static_cast<double>(config->toOutput(piece.end))));
        ++p.count;
    }
    return 0;
}

int32_t FilterInstance::splitAtPauses(QuillonFfSplitAtPauses& p)
{
    p.filled = 0;
    if (!p.pieces || p.capacity == 0 || !isFiniteNonNegative(p.threshold) ||
        !isFiniteNonNegative(p.minTrackSeconds) || !isFiniteNonNegative(p.minPauseSeconds))
        return QUILLON_E_BAD_PARAM;
    std::shared_ptr<const StreamConfig> config;
    std::vector<AudioRange> pieces;
    if (!findPieces(p.threshold, p.minTrackSeconds, p.minPauseSeconds, p.capacity, config, pieces))
        return QUILLON_E_FAIL;
    int outRate = 0;
    int outChannels = 0;
    std::string peakFolder;
    {
        std::lock_guard lock(m_mutex);
        outRate = m_outRate;
        outChannels = m_outChannels;
        peakFolder = m_peakFolder;
    }
    std::vector<QuillonInterface> made;
    const auto releaseMade = [&] {
        for (QuillonInterface& record : made)
            record.release(&record);
    };
    try {
        // Last piece first: the host puts each piece in front of the ones before it.
        for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
            auto instance = std::make_unique<FilterInstance>();
            instance->m_outRate = outRate;
            instance->m_outChannels = outChannels;
            instance->m_peakFolder = peakFolder;
            SavedState state{config->source.path};
            state.rangeBegin = config->rangeBegin + piece->begin;
            state.rangeFrames = piece->length();
            if (state.rangeFrames <= 0 || !instance->open(state)) {
                releaseMade();
                return QUILLON_E_FAIL;
            }
            made.push_back(makeRecord(std::move(instance)));
        }
    } catch (...) {
        releaseMade();
        throw;
    }
    std::copy(made.begin(), made.end(), p.pieces);
    p.filled = static_cast<uint32_t>(made.size());
    return 0;
}

int32_t FilterInstance::editExternally(const QuillonFfEditExternally&)
{
    std::string path;
    {
        std::lock_guard lock(m_mutex);
        if (!m_config)
            return QUILLON_E_FAIL;
        path = m_config->source.path;
    }
    // The host names the file without its folder; the instance knows the whole path.
    WaveEditorLauncher launcher = WaveEditorLauncher::fromSettings(*openUserSettings());
    return launcher.launch(path) == WaveEditorLauncher::Result::Started ? 0 : QUILLON_E_IO;
}

} // namespace quillon::filefilter
