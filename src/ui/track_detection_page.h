#pragma once
// The wizard's second page: the silence threshold (dB), the shortest pause and track,
// an optional expected number of tracks (the threshold then moves until the detection
// finds that many), "Detect", and the pieces found, listed and drawn over the recording.
// Leaving the page makes the pieces.
//
// Threads: user-interface thread.

#include "model/audio_clip.h"
#include "model/wizard_compilation.h"
#include "ui/wizard_frame.h"

#include <memory>
#include <string>
#include <vector>

class QDoubleSpinBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quillon {

class RecordingOverview;

class TrackDetectionPage : public WizardPage {
    Q_OBJECT
public:
    TrackDetectionPage(const WAVEFORMATEX& projectFormat, QWidget* parent = nullptr);

    void setRecording(const std::string& path) { m_recording = path; }
    QString description() const override;
    void activate(WizardFrame& frame) override;
    void leave() override;

    void detect();
    WizardCompilation::Detection settings() const;
    const std::vector<std::pair<int32_t, int32_t>>& ranges() const { return m_ranges; }
    // The pieces made on leaving, in time order; the caller takes them.
    std::vector<std::unique_ptr<CAudioClip>> takePieces() { return std::move(m_pieces); }

    QDoubleSpinBox* thresholdBox() const { return m_threshold; }
    QDoubleSpinBox* pauseBox() const { return m_pause; }
    QDoubleSpinBox* trackBox() const { return m_track; }
    QSpinBox* expectedBox() const { return m_expected; }
    QPushButton* detectButton() const { return m_detect; }
    QListWidget* rangeList() const { return m_list; }
    RecordingOverview* overview() const { return m_overview; }

private:
    const WAVEFORMATEX& m_format;
    std::string m_recording;
    std::vector<std::pair<int32_t, int32_t>> m_ranges;
    std::vector<std::unique_ptr<CAudioClip>> m_pieces;
    QDoubleSpinBox* m_threshold;
    QDoubleSpinBox* m_pause;
    QDoubleSpinBox* m_track;
    QSpinBox* m_expected;
    QPushButton* m_detect;
    QListWidget* m_list;
    RecordingOverview* m_overview;
};

} // namespace quillon
