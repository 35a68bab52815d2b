#pragma once
// One audio file-filter instance: the source of one clip, its readers, peaks, saved state
// and change notification.
//
// Threads: reader commands (create, seek, read, close) may come from a playback or export
// thread while the user-interface thread sends the others; the instance lock only guards
// short look-ups, so a long peak query or open never stalls a reader mid-block. The
// notification sink is called from the shared file-watcher thread; it must not wait for the
// user-interface thread.

#include "peak_builder.h"
#include "peak_data.h"
#include "stream_config.h"
#include "stream_reader.h"

#include <quillon/plugin_abi.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace quillon::filefilter {

class FilterInstance {
public:
    FilterInstance();
    ~FilterInstance();
    FilterInstance(const FilterInstance&) = delete;
    FilterInstance& operator=(const FilterInstance&) = delete;

    int32_t command(uint32_t code, void* param, uint32_t size);

    static constexpr size_t kMaxReaders = 256;

private:
    bool open(const std::string& path);
    void sourceChanged();

    int32_t createReader(QuillonFfCreateReader& p);
    int32_t seek(const QuillonFfSeek& p);
    int32_t read(QuillonFfRead& p);
    int32_t closeReader(const QuillonFfCloseReader& p);
    int32_t length(QuillonFfLength& p);
    int32_t sourceFormat(QuillonFfSourceFormat& p);
    int32_t filterList(QuillonFfFilterList& p);
    int32_t peaks(QuillonFfPeaks& p);
    int32_t peakProgress(QuillonFfPeakProgress& p);
    int32_t saveState(QuillonFfSaveState& p);
    int32_t stateSize(QuillonFfStateSize& p);
    int32_t setOutput(const QuillonFfSetOutput& p);
    int32_t setSink(const QuillonFfSetSink& p);
    int32_t setPeakFolder(const QuillonFfPeakFolder& p);

    // A reader and the configuration it must use, or null for an unknown handle.
    std::shared_ptr<StreamReader> reader(uint32_t handle, std::shared_ptr<const StreamConfig>& config);
    std::shared_ptr<const StreamConfig> makeConfig(const SourceInfo& source, const std::vector<int>& positions,
                                                   uint64_t generation) const;
    // Starts the peak job when none runs yet; under m_mutex.
    void ensurePeaksLocked();
    void restartPeaksLocked();
    // Exact minimum and maximum of points shorter than a peak block, read from the source.
    bool directPeaks(const StreamConfig& config, double sourceBegin, double sourceStep, int32_t points,
                     float* out);
    void unwatch();

    std::mutex m_mutex;
    std::shared_ptr<const StreamConfig> m_config; // null until a source is open
    uint64_t m_generation = 0;
    int m_outRate = 0;     // 0: the source's own
    int m_outChannels = 0; // 0: the source's own
    std::map<uint32_t, std::shared_ptr<StreamReader>> m_readers;
    uint32_t m_nextReader = 1;
    std::string m_peakFolder;
    std::shared_ptr<PeakData> m_peaks;
    std::unique_ptr<PeakBuilder> m_peakBuilder;

    std::mutex m_queryMutex; // the source handle of direct peak queries
    SourceFile m_querySource;
    uint64_t m_queryGeneration = 0;

    std::recursive_mutex m_sinkMutex; // held while the sink is called
    QuillonInterface m_sink{};

    std::mutex m_watchMutex;
    uint64_t m_watchId = 0;
};

} // namespace quillon::filefilter
