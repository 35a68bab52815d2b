#pragma once
// The strip across the top of the main window: an overview of the whole project under
// a ruler, the range the timeline shows as a pair of brackets the user can drag (either
// edge or the whole range), the play cursor over the whole project, and below them the
// transport toolbar and the master volume and pan knobs, which set the volume of the
// wave output device (not stored in the project).
//
// All mapping between pixels and samples is done in 64 bits: a project of an hour at
// 96 kHz times a few thousand pixels does not fit in 32.
//
// User-interface thread only.

#include "base/sample_range.h"
#include "base/view_hints.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QLabel;
class QToolBar;

namespace quillon {

class CKnob;
class CMultitrackerDoc;
class CMultitrackerView;

class CMasterView : public QWidget, public HintObserver {
    Q_OBJECT
public:
    static constexpr int kOverviewTop = 18;
    static constexpr int kControlHeight = 40;
    static constexpr int kEdgeSlack = 5;
    static constexpr int32_t kMinimumRange = 40;
    static constexpr int kPanKnobId = 1000;
    static constexpr int kVolumeKnobId = 1001;
    static constexpr QRgb kOutsideWave = qRgb(120, 200, 160);
    static constexpr QRgb kInsideWave = qRgb(0, 0, 128);
    static constexpr QRgb kBracket = qRgb(255, 80, 100);
    static constexpr QRgb kCursor = qRgb(0, 192, 192);
    enum DragMode : int { kDragNone = 0, kDragLeft = 1, kDragRight = 2, kDragRange = 3 };

    CMasterView(CMultitrackerDoc& doc, CMultitrackerView& timeline, QWidget* parent = nullptr);
    ~CMasterView() override;

    // Receives the device volume word (left gain in the low 16 bits, right in the high)
    // whenever a knob moves.
    void setVolumeSink(std::function<void(uint32_t)> sink) { m_volumeSink = std::move(sink); }
    QToolBar* transportBar() const { return m_toolBar; }
    CKnob* volumeKnob() const { return m_volumeKnob; }
    CKnob* panKnob() const { return m_panKnob; }
    int16_t masterVolume() const { return m_volume; }
    int16_t masterPan() const { return m_pan; }
    void setMasterVolume(int16_t db);
    void setMasterPan(int16_t pan);

    int overviewBottom() const { return height() - kControlHeight; }
    // x of a sample position over the whole project, and the samples a pixel step
    // stands for; both 0 for an empty project.
    int xOf(int64_t position) const;
    int64_t samplesFor(int pixels) const;
    DragMode hitTest(int x, int y) const;
    DragMode dragMode() const { return m_drag; }
    // The range a drag from `lastX` to `x` in `mode` makes of `range`.
    SampleRange draggedRange(const SampleRange& range, DragMode mode, int lastX, int x) const;
    // x of the play cursor as last drawn; -1 when none.
    int cursorX() const { return m_cursorX; }

    QImage renderClient();
    QSize sizeHint() const override { return {800, 101}; }

    void onHint(int hint, const HintPayload* payload) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The labels are made before the language pack loads; they follow it.
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyOutputVolume();
    void layoutControls();
    void retranslateLabels();
    void render();
    void paintOverview(QPainter& p);
    void xorCursor(int x);
    void moveCursor();
    int32_t projectLength() const;

    CMultitrackerDoc& m_doc;
    CMultitrackerView& m_timeline;
    QToolBar* m_toolBar = nullptr;
    CKnob* m_volumeKnob = nullptr;
    CKnob* m_panKnob = nullptr;
    QLabel* m_volumeLabel = nullptr;
    QLabel* m_panLabel = nullptr;
    std::function<void(uint32_t)> m_volumeSink;
    int16_t m_volume = 0;
    int16_t m_pan = 0;
    DragMode m_drag = kDragNone;
    int m_lastX = 0;
    int m_visibleLeft = 0;
    int m_visibleRight = 0;
    int m_cursorX = -1;
    std::vector<std::pair<float, float>> m_peaks;
    bool m_peaksStale = true;
    QImage m_frame;
    bool m_dirty = true;
};

} // namespace quillon
