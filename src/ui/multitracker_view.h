#pragma once
// The arrangement window: a time-scaled picture of every track with its clips,
// crossfades and curves under a 65-pixel strip holding the ruler, the labels and the
// marked section, with the play cursor over it. It owns the visible time range and
// turns mouse, wheel, keys, scroll bars and dropped files into document operations;
// after an edit it asks the document to notify every view and repaints from it.
//
// Painting goes into an off-screen image of the client size. The play cursor is
// drawn into that image with XOR, so that a cursor move during playback only redraws
// two lines.
//
// User-interface thread only.

#include "base/sample_range.h"
#include "base/view_hints.h"
#include "plugins/file_filter.h"
#include "ui/timeline_tool.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QImage>

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class QPainter;

namespace quillon {

class CAudioClip;
class CCurve;
class CMultitrackerDoc;
class CTrack;
class TimeFormatter;
class TransportControl;

class CMultitrackerView : public QAbstractScrollArea, public HintObserver {
    Q_OBJECT
public:
    static constexpr int kCornerWidth = 30;
    static constexpr int kTopStrip = 65;
    static constexpr int32_t kInitialVisibleEnd = 44100000;
    static constexpr int kPlayTimerMs = 25;
    static constexpr int kScrollMax = 32767;
    static constexpr int kTooltipChars = 80;
    static constexpr int kPeakWaitMs = 500;
    // Colours of the curve kinds (volume, pan); drawn lightened on active tracks.
    static constexpr QRgb kVolumeCurveColour = 0x0000c0;
    static constexpr QRgb kPanCurveColour = 0x00a000;

    explicit CMultitrackerView(CMultitrackerDoc& doc, QWidget* parent = nullptr);
    ~CMultitrackerView() override;

    CMultitrackerDoc& document() const { return m_doc; }
    void setTransport(TransportControl* transport) { m_transport = transport; }
    TransportControl* transport() const { return m_transport; }
    bool isPlaying() const;
    // The tools are asked in the order they were added.
    void addTool(std::unique_ptr<TimelineTool> tool);
    const std::vector<std::unique_ptr<TimelineTool>>& tools() const { return m_tools; }
    // The curve whose points are drawn as handles (the curve tool sets it).
    void setSelectedCurve(CCurve* curve) { m_selectedCurve = curve; }
    CCurve* selectedCurve() const { return m_selectedCurve; }

    // ---- geometry ----
    QRect clientRect() const;
    QRect trackArea() const;
    // x of a position and back, in client coordinates.
    int xOf(int32_t position) const;
    int32_t positionAt(int x) const;
    const SampleRange& visibleRange() const { return m_visible; }
    // Clamps the range into the project, updates the scroll bar and repaints.
    void setVisibleRange(const SampleRange& range);

    // ---- commands ----
    void zoomIn();
    void zoomOut();
    void viewWholeProject();
    bool canShowMarkedSection() const;
    void showOnlyMarkedSection();
    bool canDeleteTrack() const;
    void deleteTrack();
    bool canInsertLabels() const;
    void insertCdTrackSplit();
    void insertCdIndex();
    void insertLabel();
    void playFromCursor();
    void playAll();
    void stopPlaying();
    bool showGrid() const { return m_showGrid; }
    void setShowGrid(bool on);

    // ---- scroll bars, in the numbers the view keeps ----
    struct HorizontalScroll {
        bool visible = false;
        int maximum = kScrollMax;
        int page = 0;
        int position = 0;
    };
    HorizontalScroll horizontalScroll() const;
    // `action` is a QAbstractSlider::SliderAction; `thumb` the position for a move.
    void scrollHorizontally(int action, int thumb = 0);
    struct VerticalScroll {
        bool visible = false;
        int range = 0; // sum of the track heights
        int page = 0;  // track-area height
        int position = 0;
    };
    VerticalScroll verticalScroll() const;
    void scrollVertically(int action, int thumb = 0);

    // ---- painting ----
    // A label of the top strip as it is drawn.
    struct LabelBox {
        QRect rect;  // x(position) .. x(next position) or the right edge, top + 3 .. top + 65
        QString text;
        int kind = 0;
        int32_t position = 0;
        // A CD track split's pause: its text and the pixels it is centred between.
        QString pauseText;
        int pauseLeft = 0;
        int pauseRight = 0;
    };
    // The labels that meet the track area, numbered as they are drawn.
    std::vector<LabelBox> labelBoxes() const;
    // The picture of the whole client as the screen shows it (cursor included).
    QImage renderClient();
    // Opens the first file as a clip at the drop position; false when the point lies
    // on no track or the file cannot be opened.
    bool dropFile(const QString& path, const QPoint& clientPos);
    // Starts the 25 ms play-cursor timer (the transport calls it when playback starts).
    void startPlayTimer();
    bool playTimerActive() const { return m_playTimer.isActive(); }

    void onHint(int hint, const HintPayload* payload) override;

signals:
    // The main window's message pane; empty for "Ready".
    void statusMessage(const QString& text);
    void trackContextMenuRequested(const QPoint& globalPos);
    void waveEditorRequested();
    // The visible range changed (zoom, scrolling, a new project).
    void visibleRangeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int, int) override {}

private:
    struct PeakCache {
        int32_t begin = 0;
        int32_t end = 0;
        int width = 0;
        uint32_t generation = 0;
        PeakBuffer peaks;
    };
    struct Colours {
        QColor face, shadow, highlight, text;
    };

    void refresh();
    void fitTracks();
    void updateScrollBars();
    void clampVisible(SampleRange& range) const;
    void renderContent(QImage& image);
    void ensureFrame();
    Colours colours() const;
    // Fills [left, right) x [top, bottom) as the top strip: alternating CD track
    // bands on `base`, pauses in the shadow colour, the marked section highlighted.
    void fillBands(QPainter& p, int top, int bottom, const QColor& base, int left, int right) const;
    void paintTrack(QPainter& p, CTrack& track, int index, int y, int h, const TimeFormatter& formatter);
    void paintClip(QPainter& p, CTrack& track, CAudioClip& clip, int y, int h, const QColor& bandBase);
    void paintWaveform(QPainter& p, CTrack& track, CAudioClip& clip, int x0, int x1, int y, int h,
                       const QColor& pen);
    void paintCurves(QPainter& p, CTrack& track, int y, int h);
    void paintLabels(QPainter& p);
    void xorCursor(QImage& image, int x) const;
    void moveCursorLine();
    int modifierOf(Qt::KeyboardModifiers modifiers) const;
    TimelineTool* toolAt(int x, int y, int flag, int* flags = nullptr);
    void selectInRubberBand();
    int32_t trackUnder(int y) const;
    void selectNeighbour(int direction);
    void moveCurrentTrack(int delta);

    CMultitrackerDoc& m_doc;
    TransportControl* m_transport = nullptr;
    std::vector<std::unique_ptr<TimelineTool>> m_tools;
    TimelineTool* m_activeTool = nullptr;
    CCurve* m_selectedCurve = nullptr;
    SampleRange m_visible{0, kInitialVisibleEnd};
    SampleRange m_reportedVisible{-1, -1};
    bool m_showGrid = false;
    QPoint m_bandAnchor{-1, -1};
    QPoint m_bandCurrent{-1, -1};
    std::set<CAudioClip*> m_bandBase; // selected before the rubber band started
    QImage m_frame;
    bool m_dirty = true;
    int m_cursorX = -1; // x of the cursor drawn into m_frame; -1 when none
    QBasicTimer m_playTimer;
    // Runs while some clip's peak file is still being built: the picture is painted
    // again until every clip shows its waveform.
    QBasicTimer m_peakWaitTimer;
    bool m_peaksPending = false;
    std::unordered_map<const CAudioClip*, PeakCache> m_peaks;
    bool m_updatingScrollBars = false;
};

} // namespace quillon
