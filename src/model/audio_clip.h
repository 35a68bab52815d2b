#pragma once
// One audio file placed on a track. The clip never reads the file itself: its
// file-filter instance opens, converts, time-scales and reads it.
//
// Threads: everything but the reader calls runs on the user-interface thread; the
// reader calls (openReader, readAt, closeReader) run on the playback or export thread
// under the owning track's lock. The filter's change notification may arrive on any
// thread; it is handed to the notification dispatcher (see setNotificationDispatcher).

#include "base/sample_range.h"
#include "base/serializable.h"
#include "model/crossfade.h"
#include "plugins/file_filter.h"
#include "plugins/host_interface.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillon {

class PluginHost;
class Prompter;

class CAudioClip : public CObject, private HostInterface {
    QUILLON_DECLARE_SERIAL(CAudioClip)
public:
    CAudioClip();
    explicit CAudioClip(const WAVEFORMATEX* projectFormat);
    // Around a ready file-filter instance (pieces of an automatic track split).
    CAudioClip(PluginInstance filter, const WAVEFORMATEX* projectFormat, int32_t start = 0);
    ~CAudioClip() override;
    CAudioClip(const CAudioClip&) = delete;
    CAudioClip& operator=(const CAudioClip&) = delete;

    void serialize(CArchive& ar) override;

    // Creates a filter, opens the file and places the clip at `start`. False when no
    // filter can be created (the prompter, if given, shows why) or the file cannot be
    // opened; the clip then stays without a source.
    bool openFile(int32_t start, const std::string& fileName, Prompter* prompter = nullptr);
    // `failedPath`, when given, receives the source the state names if it cannot be opened.
    bool openState(int32_t start, const void* state, size_t size, std::string* failedPath = nullptr);
    bool isOpen() const { return m_filter.isValid(); }

    void setProjectFormat(const WAVEFORMATEX* projectFormat);
    const WAVEFORMATEX& outputFormat() const { return m_outputFormat; }

    void setTimeScaleRatio(float ratio);
    float timeScaleRatio() const { return m_timeScaleRatio; }
    // The transition scaling of a crossfade; the end follows the new length.
    void setTransitionScale(int32_t length, int32_t flags, float ratio);

    const SampleRange& position() const { return m_position; }
    int32_t start() const { return m_position.begin; }
    int32_t end() const { return m_position.end; }
    int32_t length() const { return m_position.length(); }
    void setPosition(const SampleRange& range) { m_position = range; }
    // Moves the clip keeping its length.
    void moveTo(int32_t start);

    const std::string& fileName() const { return m_fileName; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    uint32_t colour() const { return m_colour; }
    void setColour(uint32_t colour) { m_colour = colour; }

    Crossfade* incoming() const { return m_incoming; }
    Crossfade* outgoing() const { return m_outgoing.get(); }
    void setIncoming(Crossfade* crossfade) { m_incoming = crossfade; }
    void setOutgoing(std::unique_ptr<Crossfade> crossfade);
    std::unique_ptr<Crossfade> takeOutgoing();
    int32_t fadeInLength() const;
    int32_t fadeOutLength() const;

    // Re-reads the length after the source changed on disk.
    void sourceChanged();
    // Where change notifications go; by default they are handled at once. The
    // desktop application posts them to its user-interface thread.
    static void setNotificationDispatcher(std::function<void(CAudioClip*)> dispatcher);
    // Called when a source change has been handled (the document repaints its views).
    void setChangeListener(std::function<void(CAudioClip*)> listener) { m_changeListener = std::move(listener); }

    void editInWaveEditor();
    std::unique_ptr<CAudioClip> duplicate() const;

    // Measured tempo at a source position (0 when none is found).
    float tempoAt(int32_t sourcePosition);
    int32_t sourceLength();
    WAVEFORMATEX sourceFormat();
    uint32_t peakProgress();

    // Reader calls.
    uint32_t openReader();
    void closeReader(uint32_t reader);
    // Seeks the reader to `offset` frames from the clip start and reads n frames.
    void readAt(uint32_t reader, int32_t offset, float* dest, int32_t frames);

    FileFilter* filter() { return m_filter.isValid() ? &m_filter : nullptr; }
    // Grows whenever the peaks drawn for this clip are out of date.
    uint32_t peakGeneration() const { return m_peakGeneration.load(); }

private:
    int32_t onCommand(uint32_t code, void* param, uint32_t size) override;
    bool finishOpen(int32_t start);
    void dropPeakCaches();
    static PluginHost& host();

    FileFilter m_filter;
    SampleRange m_position;
    std::string m_fileName;
    bool m_selected = false;
    uint32_t m_colour = 0;
    float m_timeScaleRatio = 1.0f;
    WAVEFORMATEX m_outputFormat{};
    Crossfade* m_incoming = nullptr;
    std::unique_ptr<Crossfade> m_outgoing;
    const WAVEFORMATEX* m_projectFormat = nullptr;
    std::function<void(CAudioClip*)> m_changeListener;
    std::atomic<uint32_t> m_peakGeneration{0};
};

} // namespace quillon
