#pragma once
// The recorded side at a glance on the detection page: the level of every column in dB
// (mirrored about the middle, so it reads like a waveform), the silence threshold as a
// dashed line at the same scale, and the detected tracks as numbered shaded ranges.
// A dB scale, because the threshold is a dB value far below what a linear waveform
// shows: at -40 dB a linear drawing would put it a pixel from the middle. Clicking a
// range selects it; the page keeps its list of tracks in step.
//
// Peaks are built by the file filter in the background; until they are complete the
// overview polls and repaints, and shows how far the reading has come.
//
// User-interface thread only.

#include "model/audio_clip.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class RecordingOverview : public QWidget {
    Q_OBJECT
public:
    // The dB range drawn, bottom (middle line) to top (full scale).
    static constexpr float kFloorDb = -80.0f;
    static constexpr int kPollMs = 100;

    static QColor backgroundColour() { return {0x20, 0x24, 0x28}; }
    static QColor rangeColour(bool selected) { return selected ? QColor(0x3f, 0x8a, 0x50) : QColor(0x2b, 0x55, 0x35); }
    static QColor waveColour() { return {0x9f, 0xd8, 0xff}; }
    static QColor thresholdColour() { return {0xe0, 0x40, 0x40}; }

    explicit RecordingOverview(QWidget* parent = nullptr);

    // Opens the recording anew (nothing is drawn when it cannot be opened).
    void setRecording(const std::string& path, const WAVEFORMATEX* projectFormat);
    void setRanges(const std::vector<std::pair<int32_t, int32_t>>& ranges);
    void setThresholdDb(float db);
    void setSelectedRange(int index);
    int selectedRange() const { return m_selected; }

    bool hasRecording() const { return m_clip != nullptr; }
    // True once the peaks of the whole recording are in.
    bool peaksComplete() const { return m_progress >= 100; }
    int32_t recordingLength() const { return m_clip ? m_clip->length() : 0; }

    // Geometry, for drawing and for clicks.
    QRect plotRect() const;
    int xOf(int32_t frame) const;
    int32_t frameAt(int x) const;
    // The y of a level in dB above (upper = true) or below the middle line.
    int yOf(float db, bool upper) const;
    // The range under x, or -1.
    int rangeAt(int x) const;

    QSize sizeHint() const override { return {480, 120}; }
    QSize minimumSizeHint() const override { return {160, 60}; }

signals:
    void rangeClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void poll();
    void refreshLevels();

    std::unique_ptr<CAudioClip> m_clip;
    std::vector<std::pair<int32_t, int32_t>> m_ranges;
    // The loudest level of each plot column in dB, kFloorDb when silent.
    std::vector<float> m_levels;
    float m_thresholdDb = -40.0f;
    int m_selected = -1;
    uint32_t m_progress = 100;
    QTimer m_poll;
};

} // namespace quillon
