#pragma once
// The track headers left of the timeline: a header for the master bus on top, then one
// per visible track aligned with the timeline's lanes. Each has a title, two slider
// rows linked to the volume, the pan or a send level, a stereo meter and, for tracks,
// a play and a delete button. Everything is drawn by the view into an off-screen image.
//
// The rows remember what they are linked to as a kind and a group number per track
// index and look the track and the group up at every use, so no row ever holds a
// pointer into a project that undo, redo or loading has replaced.
//
// Meters live here by track index and survive layout rebuilds; the renderer's peaks
// reach them through the play-position hint.
//
// User-interface thread only.

#include "base/view_hints.h"
#include "ui/track_level_meter.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QMenu;

namespace quillon {

class CMultitrackerDoc;
class CMultitrackerView;

class CTrackInfoView : public QWidget, public HintObserver {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 110;
    static constexpr int kMasterHeight = 65;
    static constexpr int kSliderLeft = 55;
    static constexpr QRgb kMasterTitle = qRgb(120, 0, 0);
    static constexpr QRgb kActiveTitle = qRgb(0, 120, 0);
    static constexpr QRgb kInactiveTitle = qRgb(192, 192, 192);
    static constexpr float kDefaultVolume = 40.0f / 52.0f;
    static constexpr float kDefaultPan = 0.5f;
    // Row menu items; a group's item is kMenuGroupBase + its index.
    enum MenuId : int {
        kMenuVolume = 1,
        kMenuPan = 2,
        kMenuAddGroup = 3,
        kMenuEditGroups = 4,
        kMenuReset = 5,
        kMenuGroupBase = 6,
    };
    enum class Link { Volume, Pan, Group };
    struct RowLink {
        Link kind = Link::Volume;
        int32_t group = -1;
        bool operator==(const RowLink&) const = default;
    };
    // The widgets of one header (track -1: the master).
    struct HeaderRects {
        QRect title, del, play, leftMeter, rightMeter;
        std::array<QRect, 2> rowButton, rowLabel, slider;
    };
    static HeaderRects rectsFor(int width, int y, bool master);

    CTrackInfoView(CMultitrackerDoc& doc, CMultitrackerView* timeline, QWidget* parent = nullptr);
    ~CTrackInfoView() override;

    // ---- layout ----
    struct Header {
        int32_t track = -1;
        int y = 0;
    };
    const std::vector<Header>& headers() const { return m_headers; }
    // The header band holding y, or null.
    const Header* headerAt(int y) const;

    // ---- rows ----
    // What a row is linked to now: a link to a group that no longer exists shows the
    // row's own default (row 0 volume, row 1 pan).
    RowLink rowLink(int32_t track, int row) const;
    void setRowLink(int32_t track, int row, RowLink link);
    // The linked value, 0..1; false when the track (or group) does not exist.
    bool rowValue(int32_t track, int row, float& value) const;
    // The label and the text a row's slider shows.
    QString rowLabel(int32_t track, int row) const;
    QString sliderText(int32_t track, int row) const;
    // The menu a row button opens; its actions carry the MenuId in data().
    std::unique_ptr<QMenu> rowMenu(int32_t track, int row);
    // Runs a row menu item.
    void rowMenuCommand(int32_t track, int row, int id);
    // Removes a group: a running playback is stopped first, an undo step opened.
    bool removeGroup(int32_t group);

    // ---- buttons ----
    void playButton(int32_t track);
    void deleteButton(int32_t track);

    // ---- meters ----
    TrackLevelMeter& meter(int32_t track, int channel);

    // The picture as the screen shows it.
    QImage renderClient();
    QSize sizeHint() const override { return {150, 300}; }

    void onHint(int hint, const HintPayload* payload) override;

signals:
    void trackContextMenuRequested(const QPoint& globalPos);
    // "&Edit Assignable Effect Groups..." was chosen.
    void editGroupsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Snapshot {
        int32_t count = -1;
        int32_t first = -1;
        QSize size;
        std::vector<uint32_t> flags;
        int32_t groups = -1;
    };
    enum class Part { None, Title, Delete, Play, RowButton, Slider };
    struct Hit {
        Part part = Part::None;
        int32_t track = -2;
        int row = 0;
        QRect rect;
    };

    void rebuildLayout();
    Snapshot snapshot() const;
    void render();
    void paintHeader(QPainter& p, const Header& h);
    void paintSlider(QPainter& p, const QRect& r, int32_t track, int row, bool enabled);
    void paintMeters(QPainter& p, const Header& h, bool onlyDirty);
    Hit hitTest(const QPoint& pos) const;
    void dragSlider(const QPoint& pos);
    // Writes a row's value; false when it did not change.
    bool writeRow(int32_t track, int row, float value);
    bool trackEnabled(int32_t track) const;
    std::array<RowLink, 2>& linksOf(int32_t track);
    void feedMeters();
    void resetMeters();

    CMultitrackerDoc& m_doc;
    CMultitrackerView* m_timeline;
    std::vector<Header> m_headers;
    Snapshot m_last;
    QImage m_frame;
    bool m_dirty = true;
    std::array<RowLink, 2> m_masterLinks{RowLink{Link::Volume, -1}, RowLink{Link::Pan, -1}};
    std::vector<std::array<RowLink, 2>> m_links; // by track index
    std::vector<std::array<TrackLevelMeter, 2>> m_meters; // by track index
    std::array<TrackLevelMeter, 2> m_masterMeters;
    Hit m_drag;
    bool m_undoOpened = false;
};

} // namespace quillon
