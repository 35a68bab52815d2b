#pragma once
// A typed client over one audio file-filter instance (the one at global index 0 of the
// file-filter identifier): one method per command, every nonzero result thrown as ClassCom
// with its code.
//
// Threads: createReader, seekReader, read and closeReader may be called from a playback or
// export thread while the user-interface thread calls the others; the filter allows that.
// The object itself must not be moved or destroyed while another thread uses it.

#include "plugins/plugin_instance.h"

#include <quillon/plugin_abi.h>
#include <quillon/wave_format.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class PluginHost;

// Peaks of the source's own channels: points x channels (minimum, maximum) pairs,
// point-major.
struct PeakBuffer {
    std::vector<float> pairs;
    uint32_t points = 0;
    uint32_t channels = 0;
    float framesPerPoint = 0; // (range end - range begin) / points

    bool isEmpty() const { return points == 0; }
    float minimum(uint32_t point, uint32_t channel) const { return pairs[(point * channels + channel) * 2]; }
    float maximum(uint32_t point, uint32_t channel) const { return pairs[(point * channels + channel) * 2 + 1]; }
};

class FileFilter {
public:
    FileFilter() = default;
    explicit FileFilter(PluginInstance instance) : m_instance(std::move(instance)) {}

    // The file filter at global index 0; throws ClassCom(3) when no server offers one.
    // Sends the default peak folder when one is set.
    static FileFilter create(PluginHost& host);
    // Where new instances keep peak files (the peak-file folder setting); empty: the
    // filter's default ($QUILLON_PEAK_DIR, else the peak-file folder's own default in the
    // user's cache folder).
    static void setDefaultPeakFolder(const std::string& folder);
    static std::string defaultPeakFolder();

    bool isValid() const { return m_instance.isValid(); }
    const PluginInstance& instance() const { return m_instance; }
    PluginInstance& instance() { return m_instance; }

    // False when the filter cannot read the file (the success word is 0).
    bool openFile(const std::string& path);
    bool openState(const void* state, uint32_t size);
    bool openState(const std::vector<uint8_t>& state) { return openState(state.data(), static_cast<uint32_t>(state.size())); }

    // The sink is called with code 100 from a thread of the filter when the source changes.
    // An empty record detaches it.
    void setNotificationSink(const QuillonInterface& sink);
    // Reads deliver 32-bit float frames of this format's rate and channel count from now on.
    void setOutputFormat(const WAVEFORMATEX& format);
    void setPeakFolder(const std::string& folder);

    // Frames of the current output format (the source's own until one is set).
    int32_t length() const;
    WAVEFORMATEX sourceFormat() const;
    // The file-dialog filter list ("description|patterns|" pairs, "All audio files" first).
    std::string filterList() const;

    uint32_t createReader() const;
    void seekReader(uint32_t reader, int32_t position) const;
    // Fills `count` interleaved frames; returns how many lie within the source (the rest
    // is silence).
    uint32_t read(uint32_t reader, float* frames, uint32_t count) const;
    void closeReader(uint32_t reader) const;

    // Peaks of [begin, end) in output frames; empty without a command when points <= 0 or
    // the range is empty.
    PeakBuffer peaks(int32_t begin, int32_t end, int32_t points) const;
    uint32_t peakProgress() const;

    uint32_t stateSize() const;
    std::vector<uint8_t> saveState() const;

    // Time scaling and tempo (filters that lack them throw their code).
    float tempo(int32_t position) const;
    void setTimeScaleRatio(float ratio);
    void setTransitionScale(int32_t length, uint32_t flags, float ratio);

    // The full path of the source; after a failed open, the path it tried (empty when the
    // open named none).
    std::string sourcePath() const;
    // A state whose source is missing, rewritten to name `path` instead; the file size
    // the state records (-1 when none). Need no open source.
    std::vector<uint8_t> relinkState(const std::vector<uint8_t>& state, const std::string& path) const;
    int64_t recordedFileSize(const std::vector<uint8_t>& state) const;
    // Hands the source to the wave editor; `name` is the file name without its folder.
    // Throws ClassCom(QUILLON_E_IO) when the editor cannot be started.
    void editInWaveEditor(const std::string& name);

    // Splitting a recording at its pauses (threshold as a linear gain, durations in
    // seconds; at most QUILLON_FF_MAX_SPLIT_PIECES pieces). The (begin, end) ranges in the
    // frames reads address, in time order.
    std::vector<std::pair<int32_t, int32_t>> splitRanges(float threshold, float minTrackSeconds,
                                                         float minPauseSeconds) const;
    // The same pieces as new file-filter instances, each reading only its stretch of the
    // source, in time order (first piece first, although the command lists them the other
    // way round).
    std::vector<PluginInstance> splitAtPauses(float threshold, float minTrackSeconds, float minPauseSeconds) const;

    // Writing. The destination format gives channels, rate and resolution. chooseDestination
    // asks the user for file and type (false: cancelled, or no user interface);
    // createDestination creates the file (its extension names the type) and throws
    // ClassCom(QUILLON_E_IO) when it cannot. write appends frames: 32-bit floats when the
    // file was created for float input (export), else in the destination format
    // (recording). The file is complete when the instance is released.
    bool chooseDestination(const WAVEFORMATEX& format, int32_t defaultFormat, int64_t frames = 0);
    bool createDestination(const std::string& path, const WAVEFORMATEX& format, bool floatInput, int64_t frames = 0);
    void write(const void* frames, uint32_t count);
    // The export formats' display names; DefExportFormat indexes this list.
    std::vector<std::string> exportFormatNames() const;

private:
    PluginInstance m_instance;
};

} // namespace quillon
