#pragma once
// One audio file-filter instance: the source of one clip, its readers, peaks, time
// scaling, measurements, saved state and change notification; or the destination file of
// an export or a recording.
//
// Threads: reader commands (create, seek, read, close) may come from a playback or export
// thread while the user-interface thread sends the others; the instance lock only guards
// short look-ups, so a long peak query or open never stalls a reader mid-block. Writing
// (101, 102) runs under a lock of its own, on the export worker or the recording thread.
// The notification sink is called from the shared file-watcher thread; it must not wait for
// the user-interface thread.

#include "audio_writer.h"
#include "pause_detector.h"
#include "peak_builder.h"
#include "peak_data.h"
#include "stream_config.h"
#include "saved_state.h"
#include "stream_reader.h"
#include "time_scale_map.h"

#include <quillon/plugin_abi.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::filefilter {

class FilterInstance {
public:
    FilterInstance();
    ~FilterInstance();
    FilterInstance(const FilterInstance&) = delete;
    FilterInstance& operator=(const FilterInstance&) = delete;

    int32_t command(uint32_t code, void* param, uint32_t size);

    // An interface record that owns `instance`: its release entry deletes it.
    static QuillonInterface makeRecord(std::unique_ptr<FilterInstance> instance);

    static constexpr size_t kMaxReaders = 256;

private:
    // Opens the state's path, reading only its stretch of the source and scaled as it
    // says (a plain path: all of it, unscaled).
    bool open(const SavedState& state);
    void sourceChanged();
    // The configuration readers see now, with the instance's current time scaling; under
    // m_mutex.
    void publishScaleLocked();
    SavedState currentStateLocked() const;

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
    int32_t sourcePath(QuillonFfSourcePath& p);
    int32_t relinkState(QuillonFfRelinkState& p);

    int32_t chooseDestination(QuillonFfChooseDestination& p);
    int32_t create(QuillonFfCreate& p);
    int32_t write(const QuillonFfWrite& p);
    int32_t exportFormatCount(QuillonFfExportFormatCount& p);
    int32_t exportFormatName(const QuillonFfExportFormatName& p);

    int32_t setTransitionScale(const QuillonFfTransitionScale& p);
    int32_t setTimeScaleRatio(const QuillonFfTimeScaleRatio& p);
    int32_t tempo(QuillonFfTempo& p);
    int32_t detectPauses(QuillonFfDetectPauses& p);
    int32_t splitAtPauses(QuillonFfSplitAtPauses& p);
    int32_t editExternally(const QuillonFfEditExternally& p);

    // Pieces of the source between pauses, in source frames from the stretch's start;
    // false when the source cannot be read.
    bool findPieces(float threshold, float minTrackSeconds, float minPauseSeconds, uint32_t capacity,
                    std::shared_ptr<const StreamConfig>& config, std::vector<AudioRange>& pieces);

    // A reader and the configuration it must use, or null for an unknown handle.
    std::shared_ptr<StreamReader> reader(uint32_t handle, std::shared_ptr<const StreamConfig>& config);
    // A configuration over `source` with the current output format, reading `rangeFrames`
    // frames from `rangeBegin` (< 0: to the end); m_scale takes its length. Under m_mutex.
    std::shared_ptr<StreamConfig> makeConfigLocked(const SourceInfo& source, const std::vector<int>& positions,
                                                   uint64_t generation, int64_t rangeBegin, int64_t rangeFrames);
    // Starts the peak job when none runs yet; under m_mutex.
    void ensurePeaksLocked();
    void restartPeaksLocked();
    // Exact minimum and maximum of points shorter than a peak block, read from the source.
    // `bounds` holds the points' borders in source frames (points + 1 of them).
    bool directPeaks(const StreamConfig& config, const std::vector<double>& bounds, float* out);
    void unwatch();

    std::mutex m_mutex;
    std::shared_ptr<const StreamConfig> m_config; // null until a source is open
    uint64_t m_generation = 0;
    int64_t m_rangeBegin = 0;   // the stretch the open asked for, in source frames;
    int64_t m_rangeFrames = -1; // < 0 reads to the end of the source
    TimeScaleMap m_scale;
    bool m_lastOpenFailed = false;
    std::string m_failedPath; // what the failed open tried
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

    std::mutex m_writerMutex;
    std::unique_ptr<AudioWriter> m_writer;
};

} // namespace quillon::filefilter
