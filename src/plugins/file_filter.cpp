#include "plugins/file_filter.h"

#include "plugins/plugin_host.h"

#include <algorithm>
#include <mutex>

namespace quillon {

namespace {

std::mutex g_peakFolderMutex;
std::string g_peakFolder;

constexpr QuillonIdentifier kFileFilterId = QUILLON_IID_FILE_FILTER;

} // namespace

FileFilter FileFilter::create(PluginHost& host)
{
    FileFilter filter(host.create(kFileFilterId, 0));
    if (const std::string folder = defaultPeakFolder(); !folder.empty())
        filter.setPeakFolder(folder);
    return filter;
}

void FileFilter::setDefaultPeakFolder(const std::string& folder)
{
    std::lock_guard lock(g_peakFolderMutex);
    g_peakFolder = folder;
}

std::string FileFilter::defaultPeakFolder()
{
    std::lock_guard lock(g_peakFolderMutex);
    return g_peakFolder;
}

bool FileFilter::openFile(const std::string& path)
{
    QuillonFfOpen p{path.c_str(), 0};
    m_instance.call(QUILLON_FF_OPEN, p);
    return p.success != 0;
}

bool FileFilter::openState(const void* state, uint32_t size)
{
    QuillonFfOpenState p{state, size, 0};
    m_instance.call(QUILLON_FF_OPEN_STATE, p);
    return p.success != 0;
}

void FileFilter::setNotificationSink(const QuillonInterface& sink)
{
    QuillonFfSetSink p{sink};
    m_instance.call(QUILLON_FF_SET_SINK, p);
}

void FileFilter::setOutputFormat(const WAVEFORMATEX& format)
{
    QuillonFfSetOutput p{&format};
    m_instance.call(QUILLON_FF_SET_OUTPUT, p);
}

void FileFilter::setPeakFolder(const std::string& folder)
{
    QuillonFfPeakFolder p{folder.c_str()};
    m_instance.call(QUILLON_FF_PEAK_FOLDER, p);
}

int32_t FileFilter::length() const
{
    QuillonFfLength p{};
    m_instance.call(QUILLON_FF_LENGTH, p);
    return p.length;
}

WAVEFORMATEX FileFilter::sourceFormat() const
{
    WAVEFORMATEX format{};
    QuillonFfSourceFormat p{&format};
    m_instance.call(QUILLON_FF_SOURCE_FORMAT, p);
    return format;
}

std::string FileFilter::filterList() const
{
    char text[QUILLON_FF_FILTER_LIST_CAPACITY] = {};
    QuillonFfFilterList p{text, QUILLON_FF_FILTER_LIST_CAPACITY};
    m_instance.call(QUILLON_FF_FILTER_LIST, p);
    text[QUILLON_FF_FILTER_LIST_CAPACITY - 1] = 0;
    return text;
}

uint32_t FileFilter::createReader() const
{
    QuillonFfCreateReader p{};
    m_instance.call(QUILLON_FF_CREATE_READER, p);
    return p.reader;
}

void FileFilter::seekReader(uint32_t reader, int32_t position) const
{
    QuillonFfSeek p{reader, position};
    m_instance.call(QUILLON_FF_SEEK, p);
}

uint32_t FileFilter::read(uint32_t reader, float* frames, uint32_t count) const
{
    QuillonFfRead p{reader, frames, count, 0};
    m_instance.call(QUILLON_FF_READ, p);
    return p.framesRead;
}

void FileFilter::closeReader(uint32_t reader) const
{
    QuillonFfCloseReader p{reader};
    m_instance.call(QUILLON_FF_CLOSE_READER, p);
}

PeakBuffer FileFilter::peaks(int32_t begin, int32_t end, int32_t points) const
{
    PeakBuffer result;
    if (points <= 0 || end <= begin)
        return result;
    const uint32_t channels = sourceFormat().nChannels;
    result.pairs.resize(static_cast<size_t>(points) * channels * 2);
    QuillonPeakBuffer buffer{result.pairs.data(), static_cast<uint32_t>(points) * channels, 0, 0, 0};
    QuillonFfPeaks p{begin, end, &buffer, points, 0};
    m_instance.call(QUILLON_FF_PEAKS, p);
    result.points = buffer.points;
    result.channels = buffer.channels;
    result.framesPerPoint = buffer.framesPerPoint;
    result.pairs.resize(static_cast<size_t>(result.points) * result.channels * 2);
    return result;
}

uint32_t FileFilter::peakProgress() const
{
    QuillonFfPeakProgress p{};
    m_instance.call(QUILLON_FF_PEAK_PROGRESS, p);
    return p.percent;
}

uint32_t FileFilter::stateSize() const
{
    QuillonFfStateSize p{};
    m_instance.call(QUILLON_FF_STATE_SIZE, p);
    return p.size;
}

std::vector<uint8_t> FileFilter::saveState() const
{
    std::vector<uint8_t> state(stateSize());
    QuillonFfSaveState p{state.data(), static_cast<uint32_t>(state.size())};
    m_instance.call(QUILLON_FF_SAVE_STATE, p);
    return state;
}

float FileFilter::tempo(int32_t position) const
{
    QuillonFfTempo p{position, 0};
    m_instance.call(QUILLON_FF_TEMPO, p);
    return p.tempo;
}

void FileFilter::setTimeScaleRatio(float ratio)
{
    QuillonFfTimeScaleRatio p{ratio};
    m_instance.call(QUILLON_FF_TIME_SCALE_RATIO, p);
}

void FileFilter::setTransitionScale(int32_t length, uint32_t flags, float ratio)
{
    QuillonFfTransitionScale p{length, flags, ratio, 0};
    m_instance.call(QUILLON_FF_TRANSITION_SCALE, p);
}

std::string FileFilter::sourcePath() const
{
    QuillonFfSourcePath p{nullptr, 0, 0};
    m_instance.call(QUILLON_FF_SOURCE_PATH, p);
    // The source may change between the two calls; ask until the buffer holds it all.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string path(size_t{p.length} + 1, '\0');
        QuillonFfSourcePath q{path.data(), static_cast<uint32_t>(path.size()), 0};
        m_instance.call(QUILLON_FF_SOURCE_PATH, q);
        if (q.length < path.size()) {
            path.resize(q.length);
            return path;
        }
        p.length = q.length;
    }
    return {};
}

std::vector<uint8_t> FileFilter::relinkState(const std::vector<uint8_t>& state, const std::string& path) const
{
    QuillonFfRelinkState p{state.data(), static_cast<uint32_t>(state.size()), path.c_str(), nullptr, 0, 0, -1};
    m_instance.call(QUILLON_FF_RELINK_STATE, p);
    std::vector<uint8_t> out(p.length);
    p.buffer = out.data();
    p.bufferSize = static_cast<uint32_t>(out.size());
    m_instance.call(QUILLON_FF_RELINK_STATE, p);
    out.resize(std::min<size_t>(out.size(), p.length));
    return out;
}

int64_t FileFilter::recordedFileSize(const std::vector<uint8_t>& state) const
{
    QuillonFfRelinkState p{state.data(), static_cast<uint32_t>(state.size()), nullptr, nullptr, 0, 0, -1};
    m_instance.call(QUILLON_FF_RELINK_STATE, p);
    return p.recordedSize;
}

void FileFilter::editInWaveEditor(const std::string& name)
{
    QuillonFfEditExternally p{name.c_str(), 0};
    m_instance.call(QUILLON_FF_EDIT_EXTERNALLY, p);
}

std::vector<std::pair<int32_t, int32_t>> FileFilter::splitRanges(float threshold, float minTrackSeconds,
                                                                 float minPauseSeconds) const
{
    int32_t ranges[2 * QUILLON_FF_MAX_SPLIT_PIECES] = {};
    QuillonFfDetectPauses p{threshold, minTrackSeconds, minPauseSeconds, ranges, QUILLON_FF_MAX_SPLIT_PIECES, 0};
    m_instance.call(QUILLON_FF_DETECT_PAUSES, p);
    std::vector<std::pair<int32_t, int32_t>> result;
    for (uint32_t i = 0; i < p.count && i < QUILLON_FF_MAX_SPLIT_PIECES; ++i)
        result.emplace_back(ranges[2 * i], ranges[2 * i + 1]);
    return result;
}

std::vector<PluginInstance> FileFilter::splitAtPauses(float threshold, float minTrackSeconds,
                                                      float minPauseSeconds) const
{
    QuillonInterface records[QUILLON_FF_MAX_SPLIT_PIECES] = {};
    QuillonFfSplitAtPauses p{threshold, minTrackSeconds, minPauseSeconds, records, QUILLON_FF_MAX_SPLIT_PIECES, 0};
    m_instance.call(QUILLON_FF_SPLIT_AT_PAUSES, p);
    std::vector<PluginInstance> pieces;
    const uint32_t filled = std::min<uint32_t>(p.filled, QUILLON_FF_MAX_SPLIT_PIECES);
    pieces.reserve(filled);
    for (uint32_t i = filled; i-- > 0;)
        pieces.emplace_back(records[i]);
    return pieces;
}

bool FileFilter::chooseDestination(const WAVEFORMATEX& format, int32_t defaultFormat, int64_t frames)
{
    QuillonFfChooseDestination p{&format, 1, defaultFormat, 0, frames};
    m_instance.call(QUILLON_FF_CHOOSE_DESTINATION, p);
    return p.success != 0;
}

bool FileFilter::createDestination(const std::string& path, const WAVEFORMATEX& format, bool floatInput,
                                   int64_t frames)
{
    QuillonFfCreate p{path.c_str(), &format,
                      static_cast<uint8_t>(floatInput ? QUILLON_FF_INPUT_FLOAT : QUILLON_FF_INPUT_RECORDED), 0, 0,
                      frames};
    m_instance.call(QUILLON_FF_CREATE, p);
    return p.success != 0;
}

void FileFilter::write(const void* frames, uint32_t count)
{
    QuillonFfWrite p{frames, count, 0};
    m_instance.call(QUILLON_FF_WRITE, p);
}

std::vector<std::string> FileFilter::exportFormatNames() const
{
    QuillonFfExportFormatCount count{};
    m_instance.call(QUILLON_FF_EXPORT_FORMAT_COUNT, count);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count.count; ++i) {
        char buffer[QUILLON_FF_FORMAT_NAME_CHARS] = {};
        QuillonFfExportFormatName p{i, buffer, QUILLON_FF_FORMAT_NAME_CHARS};
        m_instance.call(QUILLON_FF_EXPORT_FORMAT_NAME, p);
        buffer[QUILLON_FF_FORMAT_NAME_CHARS - 1] = 0;
        names.emplace_back(buffer);
    }
    return names;
}

} // namespace quillon
