#include "ui/track_info_view.h"
#include "ui/lane_geometry.h"

#include "base/prompter.h"
#include "model/assignable_group.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "ui/multitracker_view.h"
#include "ui/transport_control.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quillon {

namespace {

constexpr const char* kContext = "CTrackInfoView";
QString tx(const char* text) { return QCoreApplication::translate(kContext, text); }

constexpr const char* kDeleteTrackText =
    "This operation deletes the track and its entire content. Are you sure you want to proceed?";

constexpr std::array<CTrackInfoView::RowLink, 2> kDefaultLinks{
    CTrackInfoView::RowLink{CTrackInfoView::Link::Volume, -1}, CTrackInfoView::RowLink{CTrackInfoView::Link::Pan, -1}};

QRect spanRect(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

QColor halfToWhite(const QColor& c)
{
    return QColor((c.red() + 255) / 2, (c.green() + 255) / 2, (c.blue() + 255) / 2);
}

// The small glyphs of the header buttons, drawn where the bitmaps would go.
void drawRowButton(QPainter& p, const QRect& r, bool pressed)
{
    p.fillRect(r, pressed ? QColor(160, 160, 160) : QColor(212, 208, 200));
    p.setPen(pressed ? QColor(64, 64, 64) : Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(Qt::black);
    const int cx = r.center().x();
    const int cy = r.center().y() - 1;
    for (int i = 0; i < 3; ++i)
        p.drawLine(cx - 2 + i, cy + i, cx + 2 - i, cy + i);
}

void drawDeleteButton(QPainter& p, const QRect& r, bool pressed)
{
    p.fillRect(r, pressed ? QColor(160, 160, 160) : QColor(212, 208, 200));
    p.setPen(QColor(64, 64, 64));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(QColor(128, 0, 0));
    p.drawLine(r.left() + 2, r.top() + 2, r.right() - 2, r.bottom() - 2);
    p.drawLine(r.left() + 2, r.bottom() - 2, r.right() - 2, r.top() + 2);
}

void drawPlayButton(QPainter& p, const QRect& r, bool off, bool enabled)
{
    p.fillRect(r, QColor(212, 208, 200));
    p.setPen(QColor(64, 64, 64));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const QColor ink = !enabled ? QColor(150, 150, 150) : off ? QColor(0, 100, 0) : QColor(0, 170, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    if (off) {
        const QPoint tri[3] = {{r.left() + 4, r.top() + 3}, {r.left() + 4, r.bottom() - 3}, {r.right() - 3, r.center().y()}};
        p.drawPolygon(tri, 3);
    } else {
        p.drawRect(r.adjusted(4, 4, -4, -4));
    }
    p.setBrush(Qt::NoBrush);
}

} // namespace

CTrackInfoView::HeaderRects CTrackInfoView::rectsFor(int W, int y, bool master)
{
    HeaderRects r;
    r.title = spanRect(0, y, W, y + 15);
    if (!master) {
        r.del = spanRect(W - 12, y + 3, W - 3, y + 12);
        r.play = spanRect(W - 16, y + 48, W - 3, y + 60);
    }
    for (int row = 0; row < 2; ++row) {
        const int d = 15 * row;
        r.rowButton[row] = spanRect(6, y + 19 + d, 15, y + 28 + d);
        r.rowLabel[row] = spanRect(16, y + 17 + d, 50, y + 30 + d);
        r.slider[row] = spanRect(kSliderLeft, y + 17 + d, W, y + 30 + d);
    }
    if (master) {
        r.leftMeter = spanRect(7, y + 48, W / 2 - 2, y + 60);
        r.rightMeter = spanRect(W / 2 + 2, y + 48, W - 7, y + 60);
    } else {
        r.leftMeter = spanRect(7, y + 48, (W - 13) / 2 - 2, y + 60);
        r.rightMeter = spanRect((W - 13) / 2 + 2, y + 48, W - 20, y + 60);
    }
    return r;
}

CTrackInfoView::CTrackInfoView(CMultitrackerDoc& doc, CMultitrackerView* timeline, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_timeline(timeline)
{
    setObjectName(QStringLiteral("CTrackInfoView"));
    setMinimumWidth(kMinimumWidth);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The rows are 13 pixels high and their labels 34 wide: a small face fits them.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    m_doc.hints().addObserver(this);
    rebuildLayout();
}

CTrackInfoView::~CTrackInfoView() { m_doc.hints().removeObserver(this); }

// ---- layout ----

CTrackInfoView::Snapshot CTrackInfoView::snapshot() const
{
    Snapshot s;
    s.count = m_doc.trackCount();
    s.first = m_doc.firstVisibleTrack();
    s.size = size();
    s.groups = m_doc.groupCount();
    for (int32_t i = 0; i < s.count; ++i)
        s.flags.push_back(m_doc.trackAt(i)->stateFlags());
    return s;
}

void CTrackInfoView::rebuildLayout()
{
    const Snapshot now = snapshot();
    if (now.count != m_last.count) {
        // Links and meters are kept by index; once tracks come or go the indexes
        // name other tracks, so every row goes back to its default.
        m_links.assign(size_t(std::max(0, now.count)), kDefaultLinks);
        m_meters.assign(size_t(std::max(0, now.count)), std::array<TrackLevelMeter, 2>{});
    }
    m_last = now;
    m_headers.clear();
    m_headers.push_back({-1, 0});
    for (int32_t i = std::max(0, now.first); i < now.count; ++i) {
        const int y = LaneGeometry::topOfTrack(m_doc, i);
        if (y >= height())
            break;
        m_headers.push_back({i, y});
    }
    m_dirty = true;
}

const CTrackInfoView::Header* CTrackInfoView::headerAt(int y) const
{
    for (const Header& h : m_headers) {
        const int bottom = h.track < 0 ? kMasterHeight : h.y + m_doc.trackAt(h.track)->height();
        if (y >= h.y && y < bottom)
            return &h;
    }
    return nullptr;
}

// ---- rows ----

std::array<CTrackInfoView::RowLink, 2>& CTrackInfoView::linksOf(int32_t track)
{
    if (track < 0)
        return m_masterLinks;
    if (size_t(track) >= m_links.size())
        m_links.resize(size_t(track) + 1, kDefaultLinks);
    return m_links[size_t(track)];
}

CTrackInfoView::RowLink CTrackInfoView::rowLink(int32_t track, int row) const
{
    const RowLink fallback{row == 0 ? Link::Volume : Link::Pan, -1};
    if (track < 0 || size_t(track) >= m_links.size())
        return fallback;
    const RowLink link = m_links[size_t(track)][size_t(row)];
    if (link.kind == Link::Group && (link.group < 0 || link.group >= m_doc.groupCount()))
        return fallback;
    return link;
}

void CTrackInfoView::setRowLink(int32_t track, int row, RowLink link)
{
    if (track < 0 || row < 0 || row > 1)
        return;
    linksOf(track)[size_t(row)] = link;
    m_dirty = true;
    update();
}

bool CTrackInfoView::rowValue(int32_t track, int row, float& value) const
{
    if (track < 0) {
        value = row == 0 ? m_doc.masterLevel() : m_doc.masterPan();
        return true;
    }
    if (track >= m_doc.trackCount())
        return false;
    const CTrack* t = m_doc.trackAt(track);
    const RowLink link = rowLink(track, row);
    switch (link.kind) {
    case Link::Volume: value = t->volume(); return true;
    case Link::Pan: value = t->pan(); return true;
    case Link::Group:
        value = m_doc.sendLevel(track, link.group);
        return true;
    }
    return false;
}

QString CTrackInfoView::rowLabel(int32_t track, int row) const
{
    if (track < 0)
        return row == 0 ? tx("Volume") : tx("Pan");
    const RowLink link = rowLink(track, row);
    switch (link.kind) {
    case Link::Volume: return tx("Volume");
    case Link::Pan: return tx("Pan");
    case Link::Group: return tx("FX G%1").arg(link.group + 1);
    }
    return {};
}

QString CTrackInfoView::sliderText(int32_t track, int row) const
{
    float v = 0.0f;
    if (!rowValue(track, row, v))
        return {};
    const bool pan = track < 0 ? row == 1 : rowLink(track, row).kind == Link::Pan;
    if (pan)
        return QStringLiteral("%1 %").arg(int(-100.0 + 200.0 * v));
    if (v == 0.0f)
        return QStringLiteral("-oo dB");
    return QStringLiteral("%1 dB").arg(int(-40.0 + 52.0 * v));
}

bool CTrackInfoView::writeRow(int32_t track, int row, float value)
{
    float old = 0.0f;
    if (!rowValue(track, row, old) || old == value)
        return false;
    // One undo step per gesture, taken before its first change.
    if (!m_undoOpened) {
        m_doc.openUndoStep();
        m_undoOpened = true;
    }
    if (track < 0) {
        if (row == 0)
            m_doc.setMasterLevel(value);
        else
            m_doc.setMasterPan(value);
    } else {
        CTrack* t = m_doc.trackAt(track);
        const RowLink link = rowLink(track, row);
        switch (link.kind) {
        case Link::Volume: t->setVolume(value); break;
        case Link::Pan: t->setPan(value); break;
        case Link::Group: m_doc.setSendLevel(track, link.group, value); break;
        }
    }
    m_doc.setModified();
    return true;
}

std::unique_ptr<QMenu> CTrackInfoView::rowMenu(int32_t track, int row)
{
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](const QString& text, int id, bool checked) {
        QAction* a = menu->addAction(text);
        a->setData(id);
        if (track >= 0) {
            a->setCheckable(true);
            a->setChecked(checked);
        }
        return a;
    };
    if (track >= 0) {
        const RowLink link = rowLink(track, row);
        add(tx("Volume"), kMenuVolume, link.kind == Link::Volume);
        add(tx("Pan"), kMenuPan, link.kind == Link::Pan);
        for (int32_t g = 0; g < m_doc.groupCount(); ++g)
            add(tx("Assignable Effect Group %1").arg(g + 1), kMenuGroupBase + g,
                link.kind == Link::Group && link.group == g);
        menu->addSeparator();
        menu->addAction(tx("Add Assignable Effect Group"))->setData(int(kMenuAddGroup));
        QAction* edit = menu->addAction(tx("&Edit Assignable Effect Groups..."));
        edit->setData(int(kMenuEditGroups));
        // Offered only where a window opens the group editor for it.
        edit->setEnabled(isSignalConnected(QMetaMethod::fromSignal(&CTrackInfoView::editGroupsRequested)));
        menu->addSeparator();
    }
    menu->addAction(tx("Reset"))->setData(int(kMenuReset));
    return menu;
}

void CTrackInfoView::rowMenuCommand(int32_t track, int row, int id)
{
    if (row < 0 || row > 1 || (track >= 0 && track >= m_doc.trackCount()))
        return;
    if (id == kMenuReset) {
        const bool pan = track < 0 ? row == 1 : rowLink(track, row).kind == Link::Pan;
        m_undoOpened = false;
        if (writeRow(track, row, pan ? kDefaultPan : kDefaultVolume))
            m_doc.updateAllViews(kHintStructure, nullptr, this);
        m_undoOpened = false;
        m_dirty = true;
        update();
        return;
    }
    if (track < 0)
        return;
    switch (id) {
    case kMenuVolume: setRowLink(track, row, {Link::Volume, -1}); break;
    case kMenuPan: setRowLink(track, row, {Link::Pan, -1}); break;
    case kMenuAddGroup: {
        m_doc.openUndoStep();
        m_doc.addGroup();
        m_doc.updateAllViews(kHintStructure);
        setRowLink(track, row, {Link::Group, m_doc.groupCount() - 1});
        break;
    }
    case kMenuEditGroups: emit editGroupsRequested(); return;
    default:
        if (id >= kMenuGroupBase && id - kMenuGroupBase < m_doc.groupCount())
            setRowLink(track, row, {Link::Group, id - kMenuGroupBase});
        break;
    }
    rebuildLayout();
    update();
}

bool CTrackInfoView::removeGroup(int32_t group)
{
    if (group < 0 || group >= m_doc.groupCount())
        return false;
    // The renderer keeps per-group buses for the run it set up: a group leaving the
    // list under a running mix would leave those out of step.
    m_doc.stopPlayback();
    m_doc.openUndoStep();
    m_doc.removeGroup(group);
    // Rows on later groups follow their group down one place; rows on the removed
    // one go back to their own default.
    for (auto& links : m_links)
        for (size_t row = 0; row < links.size(); ++row) {
            RowLink& l = links[row];
            if (l.kind != Link::Group)
                continue;
            if (l.group == group)
                l = RowLink{row == 0 ? Link::Volume : Link::Pan, -1};
            else if (l.group > group)
                --l.group;
        }
    m_doc.updateAllViews(kHintStructure);
    return true;
}

// ---- buttons ----

void CTrackInfoView::playButton(int32_t track)
{
    if (track < 0 || track >= m_doc.trackCount() || !m_doc.trackAt(track)->isActive())
        return;
    TransportControl* transport = m_timeline ? m_timeline->transport() : nullptr;
    if (!transport)
        return;
    if (transport->isPlaying()) {
        m_doc.toggleTrackPlayback(track);
        return;
    }
    const std::vector<int32_t> only{track};
    transport->play(SampleRange(m_doc.cursor(), INT32_MAX), &only, m_doc.loopPlayback().load());
    if (transport->isPlaying())
        m_timeline->startPlayTimer();
    m_doc.updateAllViews(kHintRefresh);
}

void CTrackInfoView::deleteButton(int32_t track)
{
    if (m_doc.trackCount() < 2 || track < 0 || track >= m_doc.trackCount())
        return;
    if (!m_doc.prompter().askOkCancel(kDeleteTrackText))
        return;
    m_doc.openUndoStep();
    m_doc.deleteTrack(track);
    m_doc.setModified();
    m_doc.updateAllViews(kHintStructure);
}

// ---- meters ----

TrackLevelMeter& CTrackInfoView::meter(int32_t track, int channel)
{
    if (track < 0)
        return m_masterMeters[size_t(channel)];
    if (size_t(track) >= m_meters.size())
        m_meters.resize(size_t(track) + 1);
    return m_meters[size_t(track)][size_t(channel)];
}

void CTrackInfoView::feedMeters()
{
    for (const Header& h : m_headers) {
        if (h.track < 0)
            continue;
        meter(h.track, 0).feed(m_doc.trackPeakLeft(h.track));
        meter(h.track, 1).feed(m_doc.trackPeakRight(h.track));
    }
    m_masterMeters[0].feed(m_doc.masterPeakLeft().load(std::memory_order_relaxed));
    m_masterMeters[1].feed(m_doc.masterPeakRight().load(std::memory_order_relaxed));
}

void CTrackInfoView::resetMeters()
{
    for (auto& pair : m_meters)
        for (TrackLevelMeter& m : pair)
            m.reset();
    for (TrackLevelMeter& m : m_masterMeters)
        m.reset();
}

// ---- hints ----

void CTrackInfoView::onHint(int hint, const HintPayload*)
{
    switch (hint) {
    case kHintPlaybackOver:
        resetMeters();
        break;
    case kHintPlayPosition:
        feedMeters();
        break;
    case kHintTrackName:
        rebuildLayout();
        break;
    default: {
        const Snapshot now = snapshot();
        // Undo, redo and loading replace every track: the links are looked up by
        // index, so only a change of shape needs a new layout.
        if (now.count != m_last.count || now.first != m_last.first || now.size != m_last.size ||
            now.flags != m_last.flags || now.groups != m_last.groups || hint == kHintStructure)
            rebuildLayout();
        m_dirty = true;
        break;
    }
    }
    if (hint == kHintPlaybackOver || hint == kHintPlayPosition) {
        // Meters only: drawn into the kept image at once.
        if (!m_frame.isNull() && !m_dirty) {
            QPainter p(&m_frame);
            for (const Header& h : m_headers)
                paintMeters(p, h, true);
        }
        repaint();
        return;
    }
    update();
}

// ---- painting ----

bool CTrackInfoView::trackEnabled(int32_t track) const
{
    return track < 0 || (track < m_doc.trackCount() && m_doc.trackAt(track)->isActive());
}

void CTrackInfoView::paintSlider(QPainter& p, const QRect& r, int32_t track, int row, bool enabled)
{
    const int w = r.width();
    const int h = r.height();
    const int a = h / 2;
    const int x0 = r.left();
    const int y0 = r.top();
    float v = 0.0f;
    rowValue(track, row, v);
    v = std::clamp(v, 0.0f, 1.0f);
    // Groove.
    p.fillRect(QRect(x0, y0 + a - 6, w - 39, 12), palette().color(QPalette::Button));
    p.setPen(QColor(64, 64, 64));
    p.drawLine(x0, y0 + a, x0 + w - 40, y0 + a);
    p.drawLine(x0, y0 + a - 1, x0 + w - 40, y0 + a - 1);
    p.drawLine(x0, y0 + a - 3, x0, y0 + a + 3);
    p.drawLine(x0 + w - 40, y0 + a - 3, x0 + w - 40, y0 + a + 3);
    // Thumb, 8 x 12.
    const int tx0 = x0 + int((w - 47) * v);
    const QRect thumb(tx0, y0 + a - 6, 8, 12);
    p.fillRect(thumb, enabled ? QColor(212, 208, 200) : QColor(230, 230, 230));
    p.setPen(enabled ? Qt::white : QColor(200, 200, 200));
    p.drawLine(thumb.topLeft(), thumb.topRight());
    p.drawLine(thumb.topLeft(), thumb.bottomLeft());
    p.setPen(enabled ? QColor(64, 64, 64) : QColor(160, 160, 160));
    p.drawLine(thumb.bottomLeft(), thumb.bottomRight());
    p.drawLine(thumb.topRight(), thumb.bottomRight());
    // Value.
    p.setPen(enabled ? palette().color(QPalette::WindowText) : QColor(128, 128, 128));
    p.drawText(QRect(x0 + w - 36, y0 + a - 7, 36, 14), Qt::AlignLeft | Qt::AlignTop, sliderText(track, row));
}

void CTrackInfoView::paintMeters(QPainter& p, const Header& h, bool onlyDirty)
{
    const HeaderRects r = rectsFor(width(), h.y, h.track < 0);
    TrackLevelMeter& left = meter(h.track, 0);
    TrackLevelMeter& right = meter(h.track, 1);
    if (!onlyDirty || left.isDirty())
        left.draw(p, r.leftMeter, true, !onlyDirty);
    if (!onlyDirty || right.isDirty())
        right.draw(p, r.rightMeter, false, !onlyDirty);
}

void CTrackInfoView::paintHeader(QPainter& p, const Header& h)
{
    const bool master = h.track < 0;
    const HeaderRects r = rectsFor(width(), h.y, master);
    const CTrack* t = master ? nullptr : m_doc.trackAt(h.track);
    const bool enabled = master || t->isActive();

    const QColor c = master ? QColor(kMasterTitle) : enabled ? QColor(kActiveTitle) : QColor(kInactiveTitle);
    const QColor l = halfToWhite(c);
    const int w = r.title.width();
    for (int i = 0; i < w; ++i) {
        const double f = w > 1 ? double(i) / (w - 1) : 0.0;
        p.setPen(QColor(int(c.red() + (l.red() - c.red()) * f), int(c.green() + (l.green() - c.green()) * f),
                        int(c.blue() + (l.blue() - c.blue()) * f)));
        p.drawLine(i, r.title.top(), i, r.title.bottom());
    }
    const QString title = master ? tx("Master")
                                 : QStringLiteral("%1 - %2").arg(h.track + 1).arg(QString::fromStdString(t->name()));
    p.setPen(Qt::white);
    p.drawText(QRect(3, h.y + (r.title.height() - 14) / 2, w - 3 - (master ? 0 : 14), 14),
               Qt::AlignLeft | Qt::AlignTop, title);
    if (!master)
        drawDeleteButton(p, r.del, m_drag.part == Part::Delete && m_drag.track == h.track);

    for (int row = 0; row < 2; ++row) {
        drawRowButton(p, r.rowButton[size_t(row)], false);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r.rowLabel[size_t(row)], Qt::AlignLeft | Qt::AlignVCenter, rowLabel(h.track, row));
        paintSlider(p, r.slider[size_t(row)], h.track, row, enabled);
    }
    paintMeters(p, h, false);
    if (!master)
        drawPlayButton(p, r.play, t->playbackOff() != 0, enabled);
}

void CTrackInfoView::render()
{
    if (m_frame.size() != size()) {
        m_frame = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        m_dirty = true;
    }
    if (!m_dirty)
        return;
    m_frame.fill(palette().color(QPalette::Window));
    QPainter p(&m_frame);
    p.setFont(font());
    // Tracks first, so that the master header stays on top of a lane scrolled under it.
    for (size_t i = m_headers.size(); i-- > 0;) {
        const Header& h = m_headers[i];
        if (h.track >= m_doc.trackCount())
            continue;
        if (h.track >= 0) {
            p.setPen(palette().color(QPalette::Dark));
            const int bottom = h.y + m_doc.trackAt(h.track)->height() - 1;
            p.drawLine(0, bottom, width(), bottom);
        }
        paintHeader(p, h);
    }
    m_dirty = false;
}

QImage CTrackInfoView::renderClient()
{
    render();
    return m_frame;
}

void CTrackInfoView::paintEvent(QPaintEvent*)
{
    render();
    QPainter p(this);
    p.drawImage(0, 0, m_frame);
}

void CTrackInfoView::resizeEvent(QResizeEvent*)
{
    rebuildLayout();
}

// ---- mouse ----

CTrackInfoView::Hit CTrackInfoView::hitTest(const QPoint& pos) const
{
    Hit hit;
    const Header* h = headerAt(pos.y());
    if (!h)
        return hit;
    hit.track = h->track;
    const HeaderRects r = rectsFor(width(), h->y, h->track < 0);
    auto in = [&](const QRect& rect) { return !rect.isNull() && rect.contains(pos); };
    if (in(r.del)) {
        hit.part = Part::Delete;
        hit.rect = r.del;
        return hit;
    }
    if (in(r.play)) {
        hit.part = Part::Play;
        hit.rect = r.play;
        return hit;
    }
    for (int row = 0; row < 2; ++row) {
        if (in(r.rowButton[size_t(row)])) {
            hit = {Part::RowButton, h->track, row, r.rowButton[size_t(row)]};
            return hit;
        }
        if (in(r.slider[size_t(row)])) {
            hit = {Part::Slider, h->track, row, r.slider[size_t(row)]};
            return hit;
        }
    }
    if (in(r.title))
        hit.part = Part::Title;
    return hit;
}

void CTrackInfoView::dragSlider(const QPoint& pos)
{
    const int w = m_drag.rect.width();
    if (w <= 47)
        return;
    const float v = std::clamp(float(pos.x() - m_drag.rect.left() - 4) / float(w - 47), 0.0f, 1.0f);
    if (writeRow(m_drag.track, m_drag.row, v)) {
        m_dirty = true;
        repaint();
        m_doc.updateAllViews(kHintStructure, nullptr, this);
    }
}

void CTrackInfoView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        // The menu's commands act on the current track: the one whose header was hit.
        if (const Header* h = headerAt(pos.y()); h && h->track >= 0 && h->track != m_doc.currentTrack()) {
            m_doc.setCurrentTrack(h->track);
            m_doc.updateAllViews(kHintRefresh, nullptr, this);
        }
        emit trackContextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const Hit hit = hitTest(pos);
    if (const Header* h = headerAt(pos.y()); h && h->track >= 0 && h->track != m_doc.currentTrack()) {
        m_doc.setCurrentTrack(h->track);
        m_doc.updateAllViews(kHintRefresh, nullptr, this);
    }
    m_drag = hit;
    m_undoOpened = false;
    switch (hit.part) {
    case Part::Slider:
        if (trackEnabled(hit.track))
            dragSlider(pos);
        else
            m_drag = {};
        break;
    case Part::RowButton: {
        const int32_t track = hit.track;
        const int row = hit.row;
        m_drag = {};
        std::unique_ptr<QMenu> menu = rowMenu(track, row);
        if (QAction* chosen = menu->exec(event->globalPosition().toPoint()))
            rowMenuCommand(track, row, chosen->data().toInt());
        break;
    }
    default:
        break;
    }
    m_dirty = true;
    update();
}

void CTrackInfoView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag.part == Part::Slider)
        dragSlider(event->position().toPoint());
}

void CTrackInfoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Hit pressed = m_drag;
    m_drag = {};
    m_undoOpened = false;
    m_dirty = true;
    update();
    // Buttons act on release over the button they were pressed on.
    if (!pressed.rect.contains(event->position().toPoint()))
        return;
    if (pressed.part == Part::Play)
        playButton(pressed.track);
    else if (pressed.part == Part::Delete)
        deleteButton(pressed.track);
}

void CTrackInfoView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_doc.updateAllViews(kHintActivateView, nullptr, this);
}

bool CTrackInfoView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint pos = help->pos();
        QString text;
        if (const Header* h = headerAt(pos.y())) {
            const HeaderRects r = rectsFor(width(), h->y, h->track < 0);
            const QRect meters = spanRect(7, h->y + 48, width() - 20, h->y + 60);
            if (r.slider[0].contains(pos))
                text = tx("Volume Slider (range -40 dB to +12 dB)");
            else if (r.slider[1].contains(pos))
                text = tx("Pan Slider (range -100% = left to 100% = right)");
            else if (!r.play.isNull() && r.play.contains(pos))
                text = tx("Start or stop track playback");
            else if (meters.contains(pos))
                text = tx("Track Level Meter (range -60 dB to 0 dB)");
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace quillon
